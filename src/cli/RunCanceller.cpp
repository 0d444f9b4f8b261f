#include "cli/RunCanceller.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <utility>

#include "maint/ProgramThread.h"

namespace reelkeep::cli {

namespace {

// How often the watcher looks whether the run has ended.
constexpr std::chrono::milliseconds kWatchStep{100};

}  // namespace

RunCanceller::RunCanceller(std::function<void()> cancel,
                           std::optional<std::chrono::milliseconds> limit, std::FILE* err)
    : cancel_(std::move(cancel)), err_(err) {
    if (limit) deadline_ = std::chrono::steady_clock::now() + *limit;
    if (::pipe2(wake_, O_CLOEXEC) != 0) wake_[0] = wake_[1] = -1;
    // Blocked here, the signals are blocked in every thread started from now on as well: only
    // the watcher takes them, with sigtimedwait.
    sigemptyset(&signals_);
    sigaddset(&signals_, SIGINT);
    sigaddset(&signals_, SIGTERM);
    ::pthread_sigmask(SIG_BLOCK, &signals_, &previousMask_);
    watcher_ = StartProgramThread([this] { Watch(); });
}

RunCanceller::~RunCanceller() {
    finished_ = true;
    watcher_.join();
    ::pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
    for (const int fd : wake_) {
        if (fd >= 0) ::close(fd);
    }
}

void RunCanceller::Cancel(const char* why) {
    std::fputs(why, err_);
    std::fflush(err_);
    cancelled_ = true;
    cancel_();
    if (wake_[1] >= 0) {
        [[maybe_unused]] const ssize_t put = ::write(wake_[1], "x", 1);
    }
}

void RunCanceller::Watch() {
    while (!finished_) {
        auto step = kWatchStep;
        if (deadline_ && !cancelled_) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(
                *deadline_ - std::chrono::steady_clock::now());
            if (left.count() <= 0) {
                Cancel("run-script: the time limit has passed; cancelling the script.\n");
                continue;
            }
            step = std::min(step, left);
        }
        const timespec wait{0, static_cast<long>(step.count()) * 1000000L};
        const int signal = ::sigtimedwait(&signals_, nullptr, &wait);
        if (signal < 0) continue;  // time up, or EINTR
        if (cancelled_) {
            // Asked again while the cancelled run has not yet ended: stop at once.
            std::_Exit(128 + signal);
        }
        Cancel(signal == SIGINT ? "run-script: interrupted; cancelling the script.\n"
                                : "run-script: terminated; cancelling the script.\n");
    }
}

}  // namespace reelkeep::cli
