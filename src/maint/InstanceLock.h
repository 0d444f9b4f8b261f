// The single-instance rule: an exclusive lock on a file named
// "BCE52BDA-DA12-4910-AD99-E3FEA7346B58" in this user's private runtime folder, held until the
// process ends (the kernel lets go of it even after a crash). No other user can create or
// hold that file.
#pragma once

#include <string>

namespace reelkeep {

inline constexpr char kInstanceLockName[] = "BCE52BDA-DA12-4910-AD99-E3FEA7346B58";

// The lock file in PrivateRuntimeFolder(); empty when this user has no private folder.
std::string InstanceLockPath();

class InstanceLock {
public:
    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // False only when another process of this user holds the lock. Without a private folder,
    // or a lock file that cannot be opened at all, the program runs.
    bool Acquire();

private:
    int fd_ = -1;
};

}  // namespace reelkeep
