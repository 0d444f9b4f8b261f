// Cost per file of reading media facts, beside ffprobe and mediainfo on the same files.
//   media_bench [COUNT] [FOLDER] [DROP_COUNT]
//   (defaults: 40 files of a few MB, a fresh temp folder, a drop of 1000 Matroska files)
// AVI files go through the header reader; Matroska and MP4 files (1080p) through
// ReadMediaFacts and the media helper, warm and with the helper's start. Sparse 4 MiB and
// 4 GiB files with the same heads show that a file's size costs nothing. Last, a folder of
// DROP_COUNT Matroska files is dropped through the core into a fresh catalog, no dialogs.
#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "catalog/CatalogPaths.h"
#include "import/MovieImport.h"
#include "media/AviHeader.h"
#include "media/MediaFacts.h"
#include "media/MediaProbe.h"
#include "media/probe/LibraryReading.h"
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

// Wall time, and processor time (this thread's and that of the processes doing the work for
// it): the second holds still on a machine that others share, the first does not.
struct Cost {
    double wall = -1;  // microseconds; negative: the program is missing
    double cpu = -1;
};

Cost MedianCost(const std::vector<double>& walls, const std::vector<double>& cpus) {
    return {Median(walls), Median(cpus)};
}

double ThreadCpuMicroseconds() {
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e6 + now.tv_nsec / 1e3;
}

// Processor time a process has had so far (the scheduler's nanosecond count).
double ProcessCpuMicroseconds(pid_t pid) {
    std::FILE* file = std::fopen(("/proc/" + std::to_string(pid) + "/schedstat").c_str(), "r");
    if (!file)
        return 0;
    unsigned long long nanoseconds = 0;
    if (std::fscanf(file, "%llu", &nanoseconds) != 1)
        nanoseconds = 0;
    std::fclose(file);
    return nanoseconds / 1e3;
}

double Microseconds(const timeval& time) {
    return time.tv_sec * 1e6 + time.tv_usec;
}

// Runs a program with its output thrown away; false when it could not run or failed. `cpu`
// gets the processor time it used.
bool RunQuietly(const std::vector<std::string>& args, double* cpu = nullptr) {
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
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    if (cpu)
        *cpu = Microseconds(usage.ru_utime) + Microseconds(usage.ru_stime);
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
Cost ReaderCost(const Group& group, int rounds, bool cold) {
    std::vector<double> walls, cpus;
    for (int round = 0; round < rounds; ++round) {
        for (const std::string& file : group.files) {
            if (cold)
                DropFromCache(file);
            const auto start = Clock::now();
            const double cpu = ThreadCpuMicroseconds();
            const AviHeaderInfo info = InspectAviFile(file);
            cpus.push_back(ThreadCpuMicroseconds() - cpu);
            walls.push_back(Microseconds(Clock::now() - start));
            if (!info.video)
                std::fprintf(stderr, "media_bench: no video found in %s\n", file.c_str());
        }
    }
    return MedianCost(walls, cpus);
}

// Median cost of one run of a program per file; negative when the program is missing.
Cost ProgramCost(const Group& group, const std::vector<std::string>& command) {
    std::vector<double> walls, cpus;
    for (const std::string& file : group.files) {
        std::vector<std::string> args = command;
        args.push_back(file);
        const auto start = Clock::now();
        double cpu = 0;
        if (!RunQuietly(args, &cpu))
            return {};
        walls.push_back(Microseconds(Clock::now() - start));
        cpus.push_back(cpu);
    }
    return MedianCost(walls, cpus);
}

void PrintHeading() {
    std::printf("  %-44s %11s %11s %9s %9s\n", "(median per file)", "wall us", "cpu us", "x wall",
                "x cpu");
}

// The figures, and how many times the first figure of the group they are.
void PrintCost(const char* what, Cost cost, Cost reference) {
    if (cost.wall < 0) {
        std::printf("  %-44s (not installed)\n", what);
        return;
    }
    std::printf("  %-44s %11.1f %11.1f", what, cost.wall, cost.cpu);
    if (reference.wall > 0 && reference.cpu > 0)
        std::printf(" %8.1fx %8.1fx", cost.wall / reference.wall, cost.cpu / reference.cpu);
    std::printf("\n");
}

// Median cost of one ReadMediaFacts with the helper already running; the processor time is
// this thread's and the helper's.
Cost FactsCost(const Group& group, int rounds, bool cold, MediaProbe& probe) {
    std::vector<double> walls, cpus;
    for (int round = 0; round < rounds; ++round) {
        for (const std::string& file : group.files) {
            if (cold)
                DropFromCache(file);
            const pid_t helper = probe.HelperPid();
            const auto start = Clock::now();
            const double cpu = ThreadCpuMicroseconds() + ProcessCpuMicroseconds(helper);
            const MediaFacts facts = ReadMediaFacts(file, probe);
            cpus.push_back(ThreadCpuMicroseconds() + ProcessCpuMicroseconds(helper) - cpu);
            walls.push_back(Microseconds(Clock::now() - start));
            if (!facts.video)
                std::fprintf(stderr, "media_bench: no video found in %s\n", file.c_str());
        }
    }
    return MedianCost(walls, cpus);
}

// Median cost of the helper's own work done in this process: the library alone, no helper.
Cost LibraryCost(const Group& group, int rounds) {
    std::vector<double> walls, cpus;
    for (int round = 0; round < rounds; ++round) {
        for (const std::string& file : group.files) {
            const auto start = Clock::now();
            const double cpu = ThreadCpuMicroseconds();
            InspectFile(file);
            cpus.push_back(ThreadCpuMicroseconds() - cpu);
            walls.push_back(Microseconds(Clock::now() - start));
        }
    }
    return MedianCost(walls, cpus);
}

// Median cost of a first file: a fresh helper started, then the file read.
Cost FirstFileCost(const Group& group) {
    std::vector<double> walls, cpus;
    for (const std::string& file : group.files) {
        const auto start = Clock::now();
        const double cpu = ThreadCpuMicroseconds();
        MediaProbe probe;
        ReadMediaFacts(file, probe);
        cpus.push_back(ThreadCpuMicroseconds() - cpu + ProcessCpuMicroseconds(probe.HelperPid()));
        walls.push_back(Microseconds(Clock::now() - start));
    }
    return MedianCost(walls, cpus);
}

// A whole file of about `bytes`: the source's streams played over and over, copied into one
// container whose indexes cover all of it (a real 4 GiB file, not a short one padded with
// holes, whose container would end long before the file does).
bool MakeLooped(const std::string& source, const std::string& path, std::uint64_t bytes) {
    return RunQuietly({"ffmpeg", "-nostdin", "-y", "-stream_loop", "-1", "-i", source, "-map", "0",
                       "-c", "copy", "-fs", std::to_string(bytes), path});
}

// Four seconds of a 1080p movie at 8 Mbit/s with two audio tracks and subtitles, as today's
// files come; the MP4 is the same streams remuxed.
bool MakeContainerSource(const std::string& path) {
    const std::string subtitles = path + ".srt";
    std::FILE* text = std::fopen(subtitles.c_str(), "w");
    if (!text)
        return false;
    std::fputs("1\n00:00:00,000 --> 00:00:01,000\nA line\n\n", text);
    std::fclose(text);
    // clang-format off
    const std::vector<std::string> make = {
        "ffmpeg", "-nostdin", "-y",
        "-f", "lavfi", "-i", "testsrc=size=1920x1080:rate=24000/1001",
        "-f", "lavfi", "-i", "sine=sample_rate=48000",
        "-f", "lavfi", "-i", "sine=frequency=880:sample_rate=48000",
        "-i", subtitles,
        "-t", "4", "-map", "0:v", "-map", "1:a", "-map", "2:a", "-map", "3:s",
        "-vf", "noise=alls=20:allf=t", "-c:v", "libx264", "-preset", "ultrafast",
        "-b:v", "8M", "-maxrate", "8M", "-bufsize", "16M",
        "-c:a:0", "ac3", "-c:a:1", "aac", "-c:s", path.ends_with(".mp4") ? "mov_text" : "srt",
        "-metadata:s:a:0", "language=eng", "-metadata:s:a:1", "language=ger",
        "-metadata:s:s:0", "language=fre",
        path};
    // clang-format on
    return RunQuietly(make);
}

// Answers every title question with the derived title, as reelkeep-cli does.
class DerivedTitles : public ImportHost {
public:
    ObjectId FindRowByTitle(const std::string& title) override { return rows_.Find(title); }
    std::optional<TitleAnswer> AskTitle(const std::string& derived,
                                        const std::vector<std::string>&) override {
        return TitleAnswer{derived, true};
    }
    void MovieAdded(const MovieListRow& row) override { rows_.Append(row); }

private:
    ListedTitles rows_{{}};
};

void ContainerFigures(const std::string& folder, int count, int dropCount) {
    for (const std::string extension : {".mkv", ".mp4"}) {
        const std::string source = folder + "source" + extension;
        if (!MakeContainerSource(source)) {
            std::fprintf(stderr, "media_bench: ffmpeg could not make %s\n", source.c_str());
            continue;
        }
        Group ordinary{"1080p files", {}};
        for (int i = 0; i < count; ++i) {
            const std::string copy = folder + "movie" + std::to_string(i) + extension;
            fs::copy_file(source, copy, fs::copy_options::overwrite_existing);
            ordinary.files.push_back(copy);
        }
        Group small{"a 4 MiB file", {}}, large{"a 4 GiB file", {}};
        for (auto [group, size] : {std::pair{&small, 4ull << 20}, std::pair{&large, 4ull << 30}}) {
            const std::string path = folder + (group == &small ? "small" : "large") + extension;
            if (!MakeLooped(source, path, size)) {
                std::fprintf(stderr, "media_bench: ffmpeg could not make %s\n", path.c_str());
                return;
            }
            group->files.assign(5, path);
        }
        ::sync();
        std::printf(
            "\n%s: %d copies of a %.1f MB 1080p file (H.264 at 8 Mbit/s, AC-3 + AAC, "
            "subtitles); a %.1f MB and a %.2f GB file of the same streams\n",
            extension.c_str() + 1, count, fs::file_size(source) / 1e6,
            fs::file_size(small.files.front()) / 1e6, fs::file_size(large.files.front()) / 1e9);
        const std::string cli = ProgramFolder() + "reelkeep-cli";
        for (const Group* group : {&ordinary, &small, &large}) {
            std::printf("%s:\n", group->label);
            PrintHeading();
            MediaProbe probe;
            ReadMediaFacts(group->files.front(), probe);  // the helper is running
            const Cost warm = FactsCost(*group, 5, false, probe);
            PrintCost("ReadMediaFacts, helper running, cache warm", warm, {});
            PrintCost("ReadMediaFacts, helper running, cache dropped",
                      FactsCost(*group, 2, true, probe), warm);
            PrintCost("the library in this process (for reference)", LibraryCost(*group, 5), warm);
            PrintCost("ReadMediaFacts, first file (helper start)", FirstFileCost(*group), warm);
            PrintCost("reelkeep-cli inspect (a process per file)",
                      ProgramCost(*group, {cli, "inspect"}), warm);
            PrintCost("ffprobe -v error -show_streams",
                      ProgramCost(*group, {"ffprobe", "-v", "error", "-show_streams"}), warm);
            PrintCost("mediainfo", ProgramCost(*group, {"mediainfo"}), warm);
        }
    }

    // A folder of Matroska files dropped through the core into a fresh catalog.
    const std::string source = folder + "source.mkv";
    const std::string dropFolder = folder + "drop/";
    fs::create_directories(dropFolder);
    // Links to one file: a thousand names, one file's worth of disk.
    for (int i = 0; i < dropCount; ++i) {
        const std::string name = dropFolder + "Movie." + std::to_string(i) + ".mkv";
        fs::remove(name);
        fs::create_hard_link(source, name);
    }
    std::printf(
        "\ndrop of a folder of %d Matroska files (links to the 1080p file) into a new "
        "catalog, no dialogs:\n",
        dropCount);
    const std::string catalogFolder = folder + "catalog/";
    // As the window and the CLI drop (a big drop reads on two helpers), and on one helper.
    for (const bool oneHelper : {false, true}) {
        fs::remove_all(catalogFolder);
        fs::create_directories(catalogFolder);
        DerivedTitles host;
        MediaProbe probe;
        const auto start = Clock::now();
        const DropResult result = AddDroppedPaths(CatalogFilePath(catalogFolder), {dropFolder},
                                                  host, oneHelper ? &probe : nullptr);
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        std::printf("  %-44s %9.2f s wall   (%d added%s)\n",
                    oneHelper ? "AddDroppedPaths, one helper" : "AddDroppedPaths (two helpers)",
                    seconds, result.added,
                    result.error.empty() ? "" : (", " + result.error).c_str());
    }
    double load[3] = {0, 0, 0};
    if (::getloadavg(load, 3) > 0)
        std::printf("\nload average at the end: %.2f %.2f %.2f on %ld processors\n", load[0],
                    load[1], load[2], ::sysconf(_SC_NPROCESSORS_ONLN));
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 40;
    const int dropCount = argc > 3 ? std::max(1, std::atoi(argv[3])) : 1000;
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
        std::printf("%s:\n", group->label);
        PrintHeading();
        const Cost warm = ReaderCost(*group, 5, false);
        PrintCost("ReadAviHeader, page cache warm", warm, {});
        PrintCost("ReadAviHeader, page cache dropped", ReaderCost(*group, 3, true), warm);
        PrintCost("reelkeep-cli inspect (a process per file)",
                  haveCli ? ProgramCost(*group, {cli, "inspect"}) : Cost{}, warm);
        PrintCost("ffprobe -v error -show_streams",
                  ProgramCost(*group, {"ffprobe", "-v", "error", "-show_streams"}), warm);
        PrintCost("mediainfo", ProgramCost(*group, {"mediainfo"}), warm);
    }

    ContainerFigures(folder, count, dropCount);

    if (removeFolder)
        fs::remove_all(folder);
    return 0;
}
