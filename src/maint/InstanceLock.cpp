#include "maint/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace reelkeep {

std::string InstanceLockPath() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string folder = runtime && runtime[0] == '/' ? runtime : "";
    if (folder.empty()) {
        const char* temp = std::getenv("TMPDIR");
        folder = temp && temp[0] == '/' ? temp : "/tmp";
    }
    if (folder.back() != '/') folder.push_back('/');
    return folder + kInstanceLockName;
}

InstanceLock::~InstanceLock() {
    if (fd_ >= 0) ::close(fd_);
}

bool InstanceLock::Acquire() {
    if (fd_ >= 0) return true;
    // Close-on-exec: a process we start must not inherit our hold on the lock.
    const int fd = ::open(InstanceLockPath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW,
                          0600);
    if (fd < 0) return true;
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const bool held = errno == EWOULDBLOCK;
        ::close(fd);
        return !held;
    }
    fd_ = fd;
    return true;
}

}  // namespace reelkeep
