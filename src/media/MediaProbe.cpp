#include "media/MediaProbe.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/Folders.h"

extern char** environ;

namespace reelkeep {

namespace {

using Clock = std::chrono::steady_clock;

int MillisecondsLeft(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, 60'000));
}

// Waits for the socket to be ready; false at the deadline or on an error of the socket.
bool WaitFor(int socket, short events, Clock::time_point deadline) {
    for (;;) {
        pollfd entry{socket, events, 0};
        const int ready = ::poll(&entry, 1, MillisecondsLeft(deadline));
        if (ready > 0)
            return true;  // readable, writable or hung up: the next call says which
        if (ready == 0 || errno != EINTR)
            return false;
    }
}

void Pause(std::chrono::microseconds length) {
    timespec time{0, static_cast<long>(length.count() * 1000)};
    ::nanosleep(&time, nullptr);
}

}  // namespace

std::string DefaultProbeProgram() {
    return ProgramFolder() + kProbeProgramName;
}

MediaProbe::MediaProbe(std::string program, std::chrono::milliseconds timeLimit)
    : program_(std::move(program)), timeLimit_(timeLimit) {}

MediaProbe::~MediaProbe() {
    Stop(false);
}

bool MediaProbe::Start() {
    int ends[2];
    // Our end is close-on-exec, so no other child of the program inherits it; the helper's
    // copies on its standard input and output are made by the spawn.
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0)
        return false;
    // Only our end waits with a deadline; the helper's blocks as a program's input does.
    ::fcntl(ends[0], F_SETFL, ::fcntl(ends[0], F_GETFL) | O_NONBLOCK);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[1], 0);
    posix_spawn_file_actions_adddup2(&actions, ends[1], 1);
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
    // Nothing else of ours (catalog files, other sockets) reaches the helper.
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
#endif
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // A thread of the window may block signals, and the program ignores SIGPIPE where it
    // writes to sockets: the helper starts with neither.
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    char* argv[] = {program_.data(), nullptr};
    pid_t pid = 0;
    const int failed = ::posix_spawn(&pid, program_.c_str(), &actions, &attributes, argv, environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    ::close(ends[1]);
    if (failed != 0) {
        ::close(ends[0]);
        return false;
    }
    pid_ = pid;
    socket_ = ends[0];
    ++starts_;
    return true;
}

void MediaProbe::Stop(bool kill) {
    if (socket_ >= 0) {
        ::close(socket_);  // the helper reads the end of its input and finishes
        socket_ = -1;
    }
    if (pid_ <= 0)
        return;
    if (!kill) {
        // A helper between files ends within a few milliseconds of its input's end.
        for (int waited = 0; waited < 1000; ++waited) {
            if (::waitpid(pid_, nullptr, WNOHANG) == pid_) {
                pid_ = 0;
                return;
            }
            Pause(std::chrono::microseconds(waited < 50 ? 100 : 2000));
        }
    }
    ::kill(pid_, SIGKILL);
    while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
    }
    pid_ = 0;
}

bool MediaProbe::Send(const std::string& bytes, Clock::time_point deadline) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t count =
            ::send(socket_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (count > 0) {
            sent += static_cast<std::size_t>(count);
        } else if (count < 0 && errno == EINTR) {
            continue;
        } else if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (!WaitFor(socket_, POLLOUT, deadline))
                return false;
        } else {
            return false;  // the helper is gone
        }
    }
    return true;
}

std::optional<std::string> MediaProbe::Receive(Clock::time_point deadline) {
    NetstringReader reader(kMaxAnswerBytes);
    std::string body;
    char buffer[16384];
    for (;;) {
        switch (reader.Next(body)) {
            case NetstringReader::Status::Complete:
                // One answer per request: anything beyond it is a helper out of step.
                if (reader.Pending() != 0)
                    return std::nullopt;
                return body;
            case NetstringReader::Status::Malformed:
                return std::nullopt;
            case NetstringReader::Status::NeedMore:
                break;
        }
        const ssize_t count = ::recv(socket_, buffer, sizeof buffer, 0);
        if (count > 0) {
            reader.Feed({buffer, static_cast<std::size_t>(count)});
        } else if (count < 0 && errno == EINTR) {
            continue;
        } else if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (!WaitFor(socket_, POLLIN, deadline))
                return std::nullopt;
        } else {
            return std::nullopt;  // the helper ended mid-answer
        }
    }
}

std::optional<ProbeAnswer> MediaProbe::Inspect(const std::string& path) {
    if (path.size() > kMaxRequestBytes)
        return std::nullopt;
    if (pid_ == 0 && !Start())
        return std::nullopt;
    const Clock::time_point deadline = Clock::now() + timeLimit_;
    std::optional<ProbeAnswer> answer;
    if (Send(EncodeNetstring(path), deadline)) {
        if (const std::optional<std::string> body = Receive(deadline))
            answer = DecodeAnswerBody(*body);
    }
    if (!answer)
        Stop(true);  // crashed, hung or out of step: the next file gets a fresh helper
    return answer;
}

}  // namespace reelkeep
