#include "maint/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "maint/PrivateFolder.h"

namespace reelkeep {

std::string InstanceLockPath() {
    const std::string folder = PrivateRuntimeFolder(true);
    return folder.empty() ? std::string() : folder + kInstanceLockName;
}

InstanceLock::~InstanceLock() {
    if (fd_ >= 0) ::close(fd_);
}

bool InstanceLock::Acquire() {
    if (fd_ >= 0) return true;
    const std::string path = InstanceLockPath();
    if (path.empty()) return true;
    // Close-on-exec: a process we start must not inherit our hold on the lock.
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
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
