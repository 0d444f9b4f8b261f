// reelkeep-trace: the debug viewer. Listens on the debug channel and prints each record as it
// arrives: the sender's process id, a tab, the text (a line break added when it has none).
//   reelkeep-trace [--name NAME] [--count N]
#include <sys/socket.h>
#include <sys/un.h>
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

    sockaddr_un address{};
    if (name.empty() || name.size() + 1 > sizeof address.sun_path) return Usage();
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path + 1, name.data(), name.size());
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    if (fd < 0 || ::bind(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0) {
        std::fprintf(stderr, "reelkeep-trace: cannot listen on %s: %s\n", name.c_str(),
                     std::strerror(errno));
        return 1;
    }
    std::fprintf(stderr, "reelkeep-trace: listening on %s\n", name.c_str());

    std::vector<char> buffer(1 << 20);
    for (long received = 0; count < 0 || received < count;) {
        const ssize_t got = ::recv(fd, buffer.data(), buffer.size(), 0);
        if (got < 0) {
            if (errno == EINTR) continue;
            std::perror("reelkeep-trace");
            return 1;
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
    return 0;
}
