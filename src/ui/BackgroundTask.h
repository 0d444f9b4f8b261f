// A long command's work on a thread of its own, while the window keeps handling events: the
// wait cursor shows at once, and when the work lasts more than a moment a progress dialog,
// modal to the window, shows how far it got and offers Cancel. Run() returns when the work
// has ended, so that the command goes on as if the work had run in place.
#pragma once

#include <QString>
#include <cstddef>
#include <functional>
#include <utility>

class QWidget;

namespace reelkeep {

class BackgroundTask {
public:
    // How far the work got: done and total (a total of 0 when it cannot tell).
    using Progress = std::function<std::pair<std::size_t, std::size_t>()>;

    BackgroundTask(QWidget* window, QString label);

    // Asked on the window's thread while the dialog shows.
    void SetProgress(Progress progress) { progress_ = std::move(progress); }
    // Called on the window's thread when the user asks to cancel; without it there is no
    // Cancel button. The work is to end soon after.
    void SetCancel(std::function<void()> cancel) { cancel_ = std::move(cancel); }

    // Runs the work on a program thread with the calling thread's catalog busy timeout and
    // returns when it has ended; an exception of the work is thrown here.
    void Run(const std::function<void()>& work);

    // How long the work runs before the dialog shows.
    static constexpr int kDialogAfterMs = 400;

private:
    QWidget* window_;
    QString label_;
    Progress progress_;
    std::function<void()> cancel_;
};

}  // namespace reelkeep
