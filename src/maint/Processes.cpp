#include "maint/Processes.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

extern char** environ;

namespace reelkeep {

void WaitForProcess(pid_t pid) {
    if (pid <= 0 || pid == ::getpid()) return;
    const int fd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    if (fd >= 0) {
        pollfd ended{fd, POLLIN, 0};
        while (::poll(&ended, 1, -1) < 0 && errno == EINTR) {
        }
        ::close(fd);
        return;
    }
    if (errno == ESRCH) return;
    // A kernel without process descriptors: ask until the process is gone.
    while (::kill(pid, 0) == 0 || errno == EPERM) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

bool StartProgram(const std::string& program, const std::string& commandLineRest) {
    char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(commandLineRest.c_str()),
                    nullptr};
    pid_t pid = 0;
    return ::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) == 0;
}

}  // namespace reelkeep
