// Figures of the maintenance core: the update list parser, the file checks of an update pass,
// and what a debug line costs with and without a viewer.
//   maint_bench [ENTRIES]   (default: 20000 list entries)
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "maint/DebugTrace.h"
#include "maint/FileDigest.h"
#include "maint/UpdateList.h"
#include "maint/VersionMarker.h"

using namespace reelkeep;
using Clock = std::chrono::steady_clock;

namespace {

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

template <typename Work>
double Time(Work work) {
    const auto start = Clock::now();
    work();
    return Seconds(Clock::now() - start);
}

}  // namespace

int main(int argc, char** argv) {
    const long entries = argc > 1 ? std::atol(argv[1]) : 20000;

    std::string list;
    for (long i = 0; i < entries; ++i) {
        list += "Scripts\\Include\\file" + std::to_string(i) + ".rki, " +
                (i % 2 ? "v1.2.3." + std::to_string(i % 65536)
                       : std::string("c900150983CD24FB0D6963F7D28E17F72")) +
                ";\r\n";
    }
    std::size_t found = 0;
    const double parse = Time([&] { found = ParseUpdateList(list).size(); });
    std::printf("update list: %zu entries, %.1f KiB parsed in %.2f ms (%.0f MiB/s)\n", found,
                list.size() / 1024.0, parse * 1e3, list.size() / parse / (1 << 20));
    // Worst case for a backtracking matcher: one name start after another, no comma at all.
    const std::string noComma(1 << 20, 'a');
    const double worst = Time([&] { found = ParseUpdateList(noComma).size(); });
    std::printf("update list: 1 MiB without a comma parsed in %.2f ms\n", worst * 1e3);

    char folderPattern[] = "/tmp/maint-bench-XXXXXX";
    const std::string folder = ::mkdtemp(folderPattern);
    const std::string file = folder + "/program";
    {
        std::ofstream out(file, std::ios::binary);
        const std::string block(1 << 20, 'x');
        for (int i = 0; i < 64; ++i) out << block;
        out << "RKVERSION:1.0.0.0" << '\0';
    }
    std::optional<std::uint64_t> version;
    const double versionTime = Time([&] { version = ReadFileVersion(file); });
    std::printf("version marker at the end of a 64 MiB file: found=%d in %.1f ms\n",
                version.has_value(), versionTime * 1e3);
    std::optional<std::string> digest;
    const double digestTime = Time([&] { digest = FileDigestText(file); });
    std::printf("MD5 of a 64 MiB file: %.1f ms (%.0f MiB/s)\n", digestTime * 1e3,
                64 / digestTime);
    std::filesystem::remove_all(folder);

    const int lines = 100000;
    ::setenv("REELKEEP_TRACE_CHANNEL", ("maint-bench-" + std::to_string(::getpid())).c_str(), 1);
    ForgetDebugViewer();
    const double dropped = Time([&] {
        for (int i = 0; i < lines; ++i) DebugTrace("Update %s (%s)", "Scripts\\a.rks", "v1.0.0.0");
    });
    std::printf("debug line without a viewer: %.2f us each\n", dropped / lines * 1e6);

    // A viewer that takes records as fast as it can; what it cannot take at once is dropped.
    std::string path, error;
    const int viewer = ListenOnDebugChannel(DebugViewerName(), path, error);
    if (viewer < 0) {
        std::printf("debug line with a viewer: cannot listen (%s)\n", error.c_str());
        return 1;
    }
    int counted[2];
    if (::pipe(counted) != 0) return 1;
    const pid_t reader = ::fork();
    if (reader == 0) {
        timeval quiet{0, 200000};
        ::setsockopt(viewer, SOL_SOCKET, SO_RCVTIMEO, &quiet, sizeof quiet);
        char buffer[4096];
        int received = 0;
        while (::recv(viewer, buffer, sizeof buffer, 0) > 0) ++received;
        [[maybe_unused]] const ssize_t put = ::write(counted[1], &received, sizeof received);
        ::_exit(0);
    }
    ForgetDebugViewer();
    const double sent = Time([&] {
        for (int i = 0; i < lines; ++i) DebugTrace("Update %s (%s)", "Scripts\\a.rks", "v1.0.0.0");
    });
    int received = 0;
    [[maybe_unused]] const ssize_t got = ::read(counted[0], &received, sizeof received);
    ::waitpid(reader, nullptr, 0);
    std::printf("debug line with a viewer: %.2f us each, %d of %d taken by the viewer\n",
                sent / lines * 1e6, received, lines);
    ::close(viewer);
    ::unlink(path.c_str());
    return 0;
}
