// The update check at start: on its own thread with the frame's session, its question asked
// on the user-interface thread, a close held back while it runs, and the finishing step.
#include <QCoreApplication>
#include <QThread>

#include "app/FrameUpdate.h"
#include "app/MainFrame.h"
#include "maint/FileSystem.h"
#include "maint/InternetUpdateFetcher.h"
#include "maint/MaintStrings.h"
#include "maint/ProgramThread.h"
#include "maint/Restart.h"
#include "platform/MessageBoxStyle.h"
#include "ui/StyledMessageBox.h"

namespace reelkeep {

namespace {

// Asks on the window's thread, owned by the window, while the check waits for the answer.
class FrameUpdateQuestion : public CUpdateQuestion {
public:
    FrameUpdateQuestion(QWidget* window, const FrameUpdate& update)
        : window_(window), update_(update) {}

    bool AskToDownload() override {
        bool yes = false;
        QMetaObject::invokeMethod(
            window_,
            [this, &yes] {
                if (update_.stopping || update_.closePending)
                    return;
                yes = ShowStyledMessageBox(window_, QString::fromUtf8(kUpdateQuestionText),
                                           QString::fromUtf8(kProgramCaption),
                                           MB_YESNO | MB_ICONINFORMATION) == IDYES;
            },
            Qt::BlockingQueuedConnection);
        return yes;
    }

private:
    QWidget* window_;
    const FrameUpdate& update_;
};

void ShowUpdated(QWidget* window, const char* text) {
    ShowStyledMessageBox(window, QString::fromUtf8(text), QString::fromUtf8(kProgramCaption),
                         MB_OK | MB_ICONINFORMATION);
}

}  // namespace

void MainFrame::StartUpdateCheck() {
    // A build without an update server, and no server named in the environment: no check.
    if (settings_.autoUpdate == 0 || update_ || UpdateServerAddress().empty())
        return;
    update_ = std::make_unique<FrameUpdate>();
    FrameUpdate& update = *update_;
    update.thread = StartProgramThread([this, &update, programFolder = settings_.programFolder] {
        InternetUpdateFetcher fetcher(update.session);
        FrameUpdateQuestion question(this, update);
        update.outcome = CheckForUpdates(UpdateServerAddress(), programFolder, OwnProgramPath(),
                                         fetcher, question);
        update.finished = true;
        QMetaObject::invokeMethod(this, &MainFrame::OnUpdateDone, Qt::QueuedConnection);
    });
}

bool MainFrame::UpdateRunning() const {
    return update_ && update_->thread.joinable();
}

bool MainFrame::HoldCloseForUpdate() {
    if (!UpdateRunning())
        return false;
    // The check's transfer under way fails; its end posts the close again.
    update_->session.Close();
    update_->closePending = true;
    return true;
}

void MainFrame::OnUpdateDone() {
    if (!UpdateRunning())
        return;
    update_->thread.join();
    if (update_->stopping)
        return;
    const UpdateOutcome outcome = update_->outcome;
    bool close = update_->closePending;
    if (outcome.result != 0) {
        if (outcome.pendingReplacement.empty()) {
            ShowUpdated(this, kUpdatedText);
        } else if (StartRestartRelay(outcome.pendingReplacement)) {
            ShowUpdated(this, kUpdatedRestartText);
            close = true;
        }
    }
    // A close that came while the check was finishing anyway is not lost either.
    if (close)
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void MainFrame::StopUpdateCheck() {
    if (!UpdateRunning())
        return;
    update_->stopping = true;
    update_->session.Close();
    // The check may be waiting for its question on this thread: serve it until it ends.
    while (!update_->finished) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    update_->thread.join();
}

}  // namespace reelkeep
