// How a script run on the command line is cancelled from outside, as the window's Cancel does:
// Ctrl+C (SIGINT) or SIGTERM, or a time limit. A second signal ends the program at once.
#pragma once

#include <signal.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <optional>
#include <thread>

namespace reelkeep::cli {

class RunCanceller {
public:
    // From now until destruction SIGINT and SIGTERM call `cancel` (from a thread of its own),
    // and so does the end of `limit`, when one is given. What happened goes to `err`.
    RunCanceller(std::function<void()> cancel, std::optional<std::chrono::milliseconds> limit,
                 std::FILE* err);
    ~RunCanceller();
    RunCanceller(const RunCanceller&) = delete;
    RunCanceller& operator=(const RunCanceller&) = delete;

    bool Cancelled() const { return cancelled_.load(); }
    // Readable once the run is cancelled, for waits that must end then (a question on stdin).
    int CancelledFd() const { return wake_[0]; }

private:
    void Watch();
    void Cancel(const char* why);

    std::function<void()> cancel_;
    std::optional<std::chrono::steady_clock::time_point> deadline_;
    std::FILE* err_;
    sigset_t signals_{};
    sigset_t previousMask_{};
    int wake_[2] = {-1, -1};
    std::atomic<bool> cancelled_ = false;
    std::atomic<bool> finished_ = false;
    std::thread watcher_;
};

}  // namespace reelkeep::cli
