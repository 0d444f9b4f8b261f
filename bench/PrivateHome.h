// What the window benchmarks share: a private home, so that they never touch the user's
// settings or catalog, and an offscreen platform.
#pragma once

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace reelkeep::bench {

// Points HOME and the XDG folders into `root` (ending in "/") and runs the window offscreen.
inline void UsePrivateOffscreenHome(const std::string& root) {
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"}) {
        const std::string folder = root + name;
        ::mkdir(folder.c_str(), 0700);
        ::setenv(name, folder.c_str(), 1);
    }
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // The web engine's sandbox refuses to run as root.
    if (::getuid() == 0)
        ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
}

}  // namespace reelkeep::bench
