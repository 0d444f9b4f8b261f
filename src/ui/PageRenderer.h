// Makes the pane's pages on threads of their own, so that the window keeps answering while a
// large selection is read, put into a document and run through its template. Only the page
// of the newest request comes back: a new request stops the one under way (between movies,
// or at the transform's next instruction), and a stopped request's page never comes.
#pragma once

#include <QObject>
#include <memory>
#include <string>
#include <vector>

#include "present/TemplateTransform.h"

namespace reelkeep {

// What became of a request.
struct RenderOutcome {
    RenderedPage page;
    std::string databaseError;  // the catalog could not be read: the message, and no page
};

class PageRenderer : public QObject {
    Q_OBJECT

public:
    explicit PageRenderer(QObject* parent = nullptr);
    // Stops every render and waits for their threads.
    ~PageRenderer() override;

    // Starts making the page; the request under way, if any, is stopped.
    void Start(PageRequest request);
    // Stops the request under way: its page never comes.
    void Stop();
    // A request's page is still to come.
    bool Busy() const { return current_ != nullptr; }
    // No request's thread is left, a stopped one's included, and whatever they sent has been
    // handled.
    bool Idle() const { return jobs_.empty(); }

signals:
    // The outcome of the newest request, on the window's thread.
    void Rendered(const reelkeep::RenderOutcome& outcome);

private:
    struct Job;

    void Deliver(const std::shared_ptr<Job>& job, const RenderOutcome& outcome);
    // Joins the threads of the requests that have ended.
    void Reap();

    std::shared_ptr<Job> current_;
    std::vector<std::shared_ptr<Job>> jobs_;  // every request whose thread is not joined yet
};

}  // namespace reelkeep
