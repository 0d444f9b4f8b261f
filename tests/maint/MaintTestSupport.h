// Helpers of the maintenance tests: a debug viewer of their own, environment variables set for
// one test, child processes that run in the background, and waiting for a condition.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "maint/DebugTrace.h"

namespace reelkeep::test {

// Sets an environment variable for the life of the object, then puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(std::string name, const std::string& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::optional<std::string> old_;
};

// A viewer socket under a name of its own in this user's private folder, made the channel's
// target for its lifetime.
class TraceListener {
public:
    // A fresh name unless one is given; `forgetViewer` makes the channel look up again.
    explicit TraceListener(std::string name = {}, bool forgetViewer = true);
    ~TraceListener();
    TraceListener(const TraceListener&) = delete;
    TraceListener& operator=(const TraceListener&) = delete;

    const std::string& Name() const { return name_; }
    // Every record waiting now, decoded; malformed ones are returned with processId 0 and
    // the text "(malformed)".
    std::vector<DebugRecord> Take();
    std::vector<std::string> TakeTexts();

private:
    std::string name_;
    std::string path_;
    int fd_ = -1;
    std::optional<ScopedEnv> env_;
};

// A child process whose output goes to files; the environment gets `env` added.
class ChildProcess {
public:
    ChildProcess(const std::string& program, const std::vector<std::string>& args,
                 const std::vector<std::pair<std::string, std::string>>& env,
                 const std::string& outputFolder);
    ~ChildProcess();  // kills a child still running
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t Pid() const { return pid_; }
    // The wait status (as waitpid gives it); empty when it has not ended within the time.
    std::optional<int> Wait(std::chrono::milliseconds limit = std::chrono::seconds(20));
    std::string Output() const;

private:
    pid_t pid_ = -1;
    std::string outputPath_;
    bool reaped_ = false;
};

// A process of another user: a child that runs as user and group 65534 ("nobody"), which only
// a test running as root can start. `setUp` runs first and its line is what Ready() returns;
// the child then waits until Finish(), runs `finish` and Finish() returns its line.
class OtherUserProcess {
public:
    static constexpr unsigned kUserId = 65534;
    static bool Possible();  // true when the test runs as root

    OtherUserProcess(std::function<std::string()> setUp, std::function<std::string()> finish);
    ~OtherUserProcess();
    OtherUserProcess(const OtherUserProcess&) = delete;
    OtherUserProcess& operator=(const OtherUserProcess&) = delete;

    std::string Ready();
    std::string Finish();

private:
    std::string ReadLine();

    pid_t pid_ = -1;
    int fromChild_ = -1;
    int toChild_ = -1;
};

// Polls until the condition holds; false when the limit passed first.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds limit = std::chrono::seconds(20));

}  // namespace reelkeep::test
