// The single-instance rule: an exclusive lock on a file named
// "BCE52BDA-DA12-4910-AD99-E3FEA7346B58" in the runtime folder, held until the process ends
// (the kernel lets go of it even after a crash).
#pragma once

#include <string>

namespace reelkeep {

inline constexpr char kInstanceLockName[] = "BCE52BDA-DA12-4910-AD99-E3FEA7346B58";

// "$XDG_RUNTIME_DIR/<name>", or the same name in the temporary folder.
std::string InstanceLockPath();

class InstanceLock {
public:
    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // False only when another process holds the lock. A lock file that cannot be opened at
    // all does not keep the program from running.
    bool Acquire();

private:
    int fd_ = -1;
};

}  // namespace reelkeep
