#include "ui/PageRenderer.h"

#include <atomic>
#include <exception>
#include <thread>

#include "catalog/CatalogDatabase.h"
#include "maint/ProgramThread.h"
#include "present/RenderControl.h"

namespace reelkeep {

struct PageRenderer::Job {
    RenderControl control;
    std::thread thread;
    std::atomic<bool> ended{false};
};

namespace {

RenderOutcome Render(const PageRequest& request, RenderControl& control, XmlDocPtr& document) {
    RenderOutcome outcome;
    try {
        outcome.page = RenderPage(request, &control, &document);
    } catch (const dbException& error) {
        outcome.databaseError = error.what();
    } catch (const std::exception& error) {
        // Out of memory, most likely: the page of this selection cannot be made.
        outcome.page.status = RenderedPage::Status::Failed;
        outcome.page.caption = "Reelkeep";
        outcome.page.detail = std::string("The page could not be made: ") + error.what();
    }
    return outcome;
}

}  // namespace

PageRenderer::PageRenderer(QObject* parent) : QObject(parent) {}

PageRenderer::~PageRenderer() {
    for (const std::shared_ptr<Job>& job : jobs_) job->control.Stop();
    for (const std::shared_ptr<Job>& job : jobs_) job->thread.join();
}

void PageRenderer::Start(PageRequest request) {
    Stop();
    Reap();
    auto job = std::make_shared<Job>();
    current_ = job;
    jobs_.push_back(job);
    // The thread waits for another program's writes no longer than the window would.
    const auto busyTimeout = CatalogDatabase::ThreadBusyTimeout();
    // The thread is joined before this object goes away, so it may post to it.
    job->thread = StartProgramThread([this, job, request = std::move(request), busyTimeout] {
        CatalogDatabase::SetThreadBusyTimeout(busyTimeout);
        XmlDocPtr document;
        RenderOutcome outcome = Render(request, job->control, document);
        if (!job->control.Stopped()) {
            QMetaObject::invokeMethod(
                this, [this, job, outcome = std::move(outcome)] { Deliver(job, outcome); },
                Qt::QueuedConnection);
        }
        // A document of many movies takes a while to take apart: the page goes first.
        document.reset();
        job->ended = true;
        QMetaObject::invokeMethod(this, &PageRenderer::Reap, Qt::QueuedConnection);
    });
}

void PageRenderer::Stop() {
    if (!current_) return;
    current_->control.Stop();
    current_.reset();
}

void PageRenderer::Deliver(const std::shared_ptr<Job>& job, const RenderOutcome& outcome) {
    // A request stopped after its page was sent off is stopped all the same.
    if (job != current_) return;
    current_.reset();
    emit Rendered(outcome);
}

void PageRenderer::Reap() {
    std::erase_if(jobs_, [](const std::shared_ptr<Job>& job) {
        if (!job->ended) return false;
        job->thread.join();
        return true;
    });
}

}  // namespace reelkeep
