#include "maint/MaintTestSupport.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <thread>

#include "support/TempFolder.h"

extern char** environ;

namespace reelkeep::test {

ScopedEnv::ScopedEnv(std::string name, const std::string& value) : name_(std::move(name)) {
    if (const char* old = std::getenv(name_.c_str())) old_ = old;
    ::setenv(name_.c_str(), value.c_str(), 1);
}

ScopedEnv::~ScopedEnv() {
    if (old_) {
        ::setenv(name_.c_str(), old_->c_str(), 1);
    } else {
        ::unsetenv(name_.c_str());
    }
}

TraceListener::TraceListener(std::string name, bool forgetViewer) : name_(std::move(name)) {
    static std::atomic<int> counter{0};
    if (name_.empty()) {
        name_ = "reelkeep-test-" + std::to_string(::getpid()) + "-" + std::to_string(++counter);
    }
    std::string error;
    fd_ = ListenOnDebugChannel(name_, path_, error);
    if (fd_ < 0) throw std::runtime_error("cannot bind the test viewer: " + error);
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) | O_NONBLOCK);
    env_.emplace("REELKEEP_TRACE_CHANNEL", name_);
    if (forgetViewer) ForgetDebugViewer();
}

TraceListener::~TraceListener() {
    ::close(fd_);
    ::unlink(path_.c_str());
}

std::vector<DebugRecord> TraceListener::Take() {
    std::vector<DebugRecord> records;
    std::string buffer(1 << 20, '\0');
    for (;;) {
        const ssize_t got = ::recv(fd_, buffer.data(), buffer.size(), 0);
        if (got < 0) break;
        auto record = DecodeDebugRecord({buffer.data(), static_cast<std::size_t>(got)});
        records.push_back(record ? *record : DebugRecord{0, "(malformed)"});
    }
    return records;
}

std::vector<std::string> TraceListener::TakeTexts() {
    std::vector<std::string> texts;
    for (auto& record : Take()) texts.push_back(std::move(record.text));
    return texts;
}

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
                           const std::vector<std::pair<std::string, std::string>>& env,
                           const std::string& outputFolder) {
    static std::atomic<int> counter{0};
    outputPath_ = outputFolder + "child-" + std::to_string(++counter) + ".out";
    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text = *entry;
        bool replaced = false;
        for (const auto& [name, value] : env) replaced |= text.rfind(name + "=", 0) == 0;
        if (!replaced) environment.push_back(text);
    }
    for (const auto& [name, value] : env) environment.push_back(name + "=" + value);

    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (auto& entry : environment) envp.push_back(entry.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outputPath_.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    const int rc = ::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(),
                                 envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) throw std::runtime_error("cannot start " + program);
}

ChildProcess::~ChildProcess() {
    if (!reaped_) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
}

std::optional<int> ChildProcess::Wait(std::chrono::milliseconds limit) {
    int status = 0;
    const bool ended = WaitUntil(
        [&] { return ::waitpid(pid_, &status, WNOHANG) == pid_; }, limit);
    if (!ended) return std::nullopt;
    reaped_ = true;
    return status;
}

std::string ChildProcess::Output() const { return ReadFileBytes(outputPath_); }

bool OtherUserProcess::Possible() { return ::geteuid() == 0; }

OtherUserProcess::OtherUserProcess(std::function<std::string()> setUp,
                                   std::function<std::string()> finish) {
    int up[2], down[2];
    if (::pipe2(up, O_CLOEXEC) != 0 || ::pipe2(down, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    pid_ = ::fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        ::close(up[0]);
        ::close(down[1]);
        const auto send = [&](std::string line) {
            line += '\n';
            [[maybe_unused]] const ssize_t put = ::write(up[1], line.data(), line.size());
        };
        if (::setgroups(0, nullptr) != 0 || ::setgid(kUserId) != 0 || ::setuid(kUserId) != 0) {
            send("cannot become user 65534");
            ::_exit(1);
        }
        send(setUp());
        char go = 0;
        [[maybe_unused]] const ssize_t got = ::read(down[0], &go, 1);
        send(finish());
        ::_exit(0);
    }
    ::close(up[1]);
    ::close(down[0]);
    fromChild_ = up[0];
    toChild_ = down[1];
}

OtherUserProcess::~OtherUserProcess() {
    ::close(toChild_);  // a child still waiting finishes now
    ::close(fromChild_);
    ::waitpid(pid_, nullptr, 0);
}

std::string OtherUserProcess::ReadLine() {
    std::string line;
    char c = 0;
    while (::read(fromChild_, &c, 1) == 1 && c != '\n') line.push_back(c);
    return line;
}

std::string OtherUserProcess::Ready() { return ReadLine(); }

std::string OtherUserProcess::Finish() {
    [[maybe_unused]] const ssize_t put = ::write(toChild_, "x", 1);
    return ReadLine();
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

}  // namespace reelkeep::test
