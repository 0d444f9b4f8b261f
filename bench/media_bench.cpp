// Cost per file of reading AVI headers, beside ffprobe and mediainfo on the same files.
//   media_bench [COUNT] [FOLDER]   (defaults: 40 files of a few MB, a fresh temp folder)
// Also makes sparse 4 MiB and 4 GiB files with the same headers: their costs should match.
#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "media/AviHeader.h"
#include "platform/Folders.h"

extern char** environ;

using namespace reelkeep;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

namespace {

double Microseconds(Clock::duration d) {
    return std::chrono::duration<double, std::micro>(d).count();
}

double Median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Runs a program with its output thrown away; false when it could not run or failed.
bool RunQuietly(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int rc = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        return false;
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Drops the file's pages from the page cache, so that the next read goes to the disk.
void DropFromCache(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    ::close(fd);
}

struct Group {
    const char* label;
    std::vector<std::string> files;
};

// Median cost of one InspectAviFile over `rounds` passes; `cold` drops the cache first.
double ReaderCost(const Group& group, int rounds, bool cold) {
    std::vector<double> costs;
    for (int round = 0; round < rounds; ++round) {
        for (const std::string& file : group.files) {
            if (cold)
                DropFromCache(file);
            const auto start = Clock::now();
            const AviHeaderInfo info = InspectAviFile(file);
            costs.push_back(Microseconds(Clock::now() - start));
            if (!info.video)
                std::fprintf(stderr, "media_bench: no video found in %s\n", file.c_str());
        }
    }
    return Median(costs);
}

// Median cost of one run of a program per file; negative when the program is missing.
double ProgramCost(const Group& group, const std::vector<std::string>& command) {
    std::vector<double> costs;
    for (const std::string& file : group.files) {
        std::vector<std::string> args = command;
        args.push_back(file);
        const auto start = Clock::now();
        if (!RunQuietly(args))
            return -1;
        costs.push_back(Microseconds(Clock::now() - start));
    }
    return Median(costs);
}

void PrintCost(const char* what, double microseconds, double reference) {
    if (microseconds < 0) {
        std::printf("  %-44s (not installed)\n", what);
        return;
    }
    std::printf("  %-44s %12.1f us", what, microseconds);
    if (reference > 0)
        std::printf("   %8.1fx the in-process reader", microseconds / reference);
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 40;
    std::string folder;
    bool removeFolder = false;
    if (argc > 2) {
        folder = WithTrailingSlash(argv[2]);
        EnsureFolder(folder);
    } else {
        char pattern[] = "/tmp/reelkeep-media-bench-XXXXXX";
        if (!::mkdtemp(pattern))
            return 1;
        folder = WithTrailingSlash(pattern);
        removeFolder = true;
    }

    // One real movie of a few MB, copied `count` times: every copy is a file of its own.
    const std::string source = folder + "source.avi";
    // clang-format off
    const std::vector<std::string> makeSource = {
        "ffmpeg", "-nostdin", "-y",
        "-f", "lavfi", "-i", "testsrc=size=640x360:rate=25",
        "-f", "lavfi", "-i", "sine=sample_rate=48000",
        "-t", "0.5", "-vf", "noise=alls=60:allf=t",  // noise keeps the encoder from shrinking it
        "-c:v", "mpeg4", "-vtag", "XVID", "-q:v", "2", "-c:a", "libmp3lame",
        source};
    // clang-format on
    if (!RunQuietly(makeSource)) {
        std::fprintf(stderr, "media_bench: ffmpeg could not make the source movie\n");
        return 1;
    }
    Group ordinary{"few-MB files", {}};
    for (int i = 0; i < count; ++i) {
        const std::string copy = folder + "movie" + std::to_string(i) + ".avi";
        fs::copy_file(source, copy, fs::copy_options::overwrite_existing);
        ordinary.files.push_back(copy);
    }
    // The same head, made up to 4 MiB and to 4 GiB with holes (the movie data is not read).
    Group small{"4 MiB files", {}}, large{"4 GiB sparse files", {}};
    for (int i = 0; i < 5; ++i) {
        for (auto [group, size] : {std::pair{&small, 4ull << 20}, std::pair{&large, 4ull << 30}}) {
            const std::string path =
                folder + (group == &small ? "small" : "large") + std::to_string(i) + ".avi";
            fs::copy_file(source, path, fs::copy_options::overwrite_existing);
            fs::resize_file(path, size);
            group->files.push_back(path);
        }
    }
    const std::uintmax_t sourceSize = fs::file_size(source);
    ::sync();  // dirty pages cannot be dropped from the cache

    std::printf(
        "media_bench: %d copies of a %.1f MB AVI file (mpeg4 + mp3), 5 files of 4 MiB "
        "and 5 sparse files of 4 GiB, in %s\n",
        count, sourceSize / 1e6, folder.c_str());
    const std::string cli = ProgramFolder() + "reelkeep-cli";
    const bool haveCli = ::access(cli.c_str(), X_OK) == 0;
    for (const Group* group : {&ordinary, &small, &large}) {
        std::printf("%s (median per file):\n", group->label);
        const double warm = ReaderCost(*group, 5, false);
        PrintCost("ReadAviHeader, page cache warm", warm, 0);
        PrintCost("ReadAviHeader, page cache dropped", ReaderCost(*group, 3, true), 0);
        PrintCost("reelkeep-cli inspect (a process per file)",
                  haveCli ? ProgramCost(*group, {cli, "inspect"}) : -1, warm);
        PrintCost("ffprobe -v error -show_streams",
                  ProgramCost(*group, {"ffprobe", "-v", "error", "-show_streams"}), warm);
        PrintCost("mediainfo", ProgramCost(*group, {"mediainfo"}), warm);
    }

    if (removeFolder)
        fs::remove_all(folder);
    return 0;
}
