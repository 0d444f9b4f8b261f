// reelkeep-trace: the debug viewer. Listens on the debug channel of this user and prints each
// record as it arrives: the sender's process id, a tab, the text (a line break added when it
// has none). The channel's socket is removed again when the viewer ends.
//   reelkeep-trace [--name NAME] [--count N]
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "maint/DebugTrace.h"

namespace {

char g_socketPath[4096];

void RemoveSocketAndExit(int signal) {
    ::unlink(g_socketPath);
    ::_exit(128 + signal);
}

int Usage() {
    std::fprintf(stderr, "usage: reelkeep-trace [--name NAME] [--count N]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string name = reelkeep::DebugViewerName();
    long count = -1;  // run until stopped
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--name" && i + 1 < argc) {
            name = argv[++i];
        } else if (arg == "--count" && i + 1 < argc) {
            char* end = nullptr;
            count = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || count < 1) return Usage();
        } else {
            return Usage();
        }
    }

    std::string path, error;
    const int fd = reelkeep::ListenOnDebugChannel(name, path, error);
    if (fd < 0) {
        std::fprintf(stderr, "reelkeep-trace: cannot listen on %s: %s\n", name.c_str(),
                     error.c_str());
        return 1;
    }
    std::snprintf(g_socketPath, sizeof g_socketPath, "%s", path.c_str());
    struct sigaction action {};
    action.sa_handler = RemoveSocketAndExit;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
    std::fprintf(stderr, "reelkeep-trace: listening on %s\n", path.c_str());

    std::vector<char> buffer(1 << 20);
    int status = 0;
    for (long received = 0; count < 0 || received < count;) {
        const ssize_t got = ::recv(fd, buffer.data(), buffer.size(), 0);
        if (got < 0) {
            if (errno == EINTR) continue;
            std::perror("reelkeep-trace");
            status = 1;
            break;
        }
        ++received;
        const auto record =
            reelkeep::DecodeDebugRecord({buffer.data(), static_cast<std::size_t>(got)});
        if (!record) {
            std::printf("(malformed record of %zd bytes)\n", got);
        } else {
            const bool ends = !record->text.empty() && record->text.back() == '\n';
            std::printf("%u\t%s%s", record->processId, record->text.c_str(), ends ? "" : "\n");
        }
        std::fflush(stdout);
    }
    ::unlink(path.c_str());
    return status;
}
