#include "maint/MaintTestSupport.h"

#include <fcntl.h>
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
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path + 1, name_.data(), name_.size());
    fd_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name_.size());
    if (fd_ < 0 || ::bind(fd_, reinterpret_cast<const sockaddr*>(&address), length) != 0) {
        throw std::runtime_error("cannot bind the test viewer");
    }
    env_.emplace("REELKEEP_TRACE_CHANNEL", name_);
    if (forgetViewer) ForgetDebugViewer();
}

TraceListener::~TraceListener() { ::close(fd_); }

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

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

}  // namespace reelkeep::test
