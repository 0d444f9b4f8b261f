// The window's side of a drop while it runs: the drop itself works on a thread of its own, so
// that the window keeps drawing while files are read, and this dialog shows how many files are
// done and how many are left, with Cancel. It appears only when the drop takes longer than a
// moment; until then the window takes no input. The window's own part of the drop (the title
// question, finding and appending list rows) is served on the user-interface thread.
#pragma once

#include <QDialog>
#include <atomic>
#include <functional>
#include <thread>

#include "import/MovieImport.h"

class QEventLoop;
class QLabel;
class QProgressBar;
class QPushButton;

namespace reelkeep {

class DropProgressDialog : public QDialog, private ImportHost {
    Q_OBJECT

public:
    // How long a drop may take before the dialog shows.
    static constexpr int kShowAfterMs = 400;

    // `windowHost` answers for the window; it is only ever called on this dialog's thread.
    DropProgressDialog(QWidget* owner, ImportHost& windowHost);
    ~DropProgressDialog() override;

    // Runs the drop on the worker thread with this dialog as its host and returns its result
    // once it is over.
    DropResult Run(const std::function<DropResult(ImportHost&)>& drop);

    QProgressBar* Bar() const { return bar_; }
    QLabel* Status() const { return status_; }
    QPushButton* CancelButton() const { return cancel_; }
    bool StopWasRequested() const { return stop_; }

    // Escape, the close box and Cancel: the drop stops once the file in hand is done.
    void reject() override;

private:
    // ImportHost, called on the worker thread.
    ObjectId FindRowByTitle(const std::string& title) override;
    std::optional<TitleAnswer> AskTitle(const std::string& derived,
                                        const std::vector<std::string>& titles) override;
    void MovieAdded(const MovieListRow& row) override;
    void Progress(std::size_t done, std::size_t left) override;
    bool StopRequested() override { return stop_; }

    void OnWorkerDone();

    ImportHost& windowHost_;
    QLabel* status_;
    QProgressBar* bar_;
    QPushButton* cancel_;
    std::thread worker_;
    std::atomic<bool> stop_ = false;
    bool finished_ = false;
    QEventLoop* quickLoop_ = nullptr;
};

}  // namespace reelkeep
