// The reader on real files: opening, the size, the window, files held by a writer.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "RiffBuilder.h"
#include "catalog/Movie.h"
#include "media/AviHeader.h"
#include "support/TempFolder.h"

namespace reelkeep {
namespace {

using namespace test;

// The caller's places, filled with values that the reader must keep unless it finds better.
struct Places {
    std::string video = "old video";
    std::string audio = "old audio";
    float fps = 12.5f;
    std::int32_t width = 11;
    std::int32_t height = 22;
    std::uint64_t size = 99;

    void Read(const std::string& path) {
        ReadAviHeader(path, video, audio, fps, width, height, size);
    }
    bool OnlySizeChanged() const {
        return video == "old video" && audio == "old audio" && fps == 12.5f && width == 11 &&
               height == 22;
    }
};

// A sparse file: `head` at the start, holes up to `size` bytes.
void WriteSparseFile(const std::string& path, const std::string& head, std::uint64_t size) {
    WriteFileBytes(path, head);
    ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(size)), 0) << errno;
}

class AviFileTest : public ::testing::Test {
protected:
    TempFolder folder;
    const std::string avi =
        AviFile(VideoStreamList("XVID", 640, 272, 24000, 1001) + AudioStreamList(0x2000));
};

TEST_F(AviFileTest, AnAviFileFillsEveryPlace) {
    WriteFileBytes(folder / "movie.avi", avi);
    Places places;
    places.Read(folder / "movie.avi");
    EXPECT_EQ(places.video, "XviD MPEG-4 Codec");
    EXPECT_EQ(places.audio, "AC3");
    EXPECT_NEAR(places.fps, 23.976f, 0.001f);
    EXPECT_EQ(places.width, 640);
    EXPECT_EQ(places.height, 272);
    EXPECT_EQ(places.size, avi.size());

    Movie movie;
    movie.szAudio = "kept? no";
    std::uint64_t size = 0;
    ReadAviHeader(folder / "movie.avi", movie, size);
    EXPECT_EQ(movie.szVideo, "XviD MPEG-4 Codec");
    EXPECT_EQ(movie.szAudio, "AC3");
    EXPECT_EQ(movie.nWidth, 640);
    EXPECT_EQ(movie.nHeight, 272);
    EXPECT_EQ(size, avi.size());
}

TEST_F(AviFileTest, ForeignEmptyAndTruncatedFilesGiveTheSizeOnly) {
    struct Case {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"empty.avi", ""},
        {"text.txt", "just some text, nothing like a movie\n"},
        {"movie.mkv", "\x1A\x45\xDF\xA3\x9F\x42\x86\x81\x01"},
        {"junk-first.avi", RiffForm("AVI ", Chunk("JUNK", "1234") + ListChunk("hdrl", ""))},
        {"cut.avi", avi.substr(0, 12 + 12 + 64 + 20)},
    };
    for (const Case& c : cases) {
        WriteFileBytes(folder / c.name, c.bytes);
        Places places;
        places.Read(folder / c.name);
        EXPECT_TRUE(places.OnlySizeChanged()) << c.name;
        EXPECT_EQ(places.size, c.bytes.size()) << c.name;
    }
}

TEST_F(AviFileTest, WhatCannotBeOpenedGivesNothing) {
    ASSERT_EQ(::mkdir((folder / "folder.avi").c_str(), 0755), 0);
    ASSERT_EQ(::mkfifo((folder / "pipe.avi").c_str(), 0644), 0);
    for (const char* name : {"missing.avi", "folder.avi", "pipe.avi"}) {
        Places places;
        places.Read(folder / name);
        EXPECT_TRUE(places.OnlySizeChanged()) << name;
        EXPECT_EQ(places.size, 99u) << name;
    }
}

// Another process that keeps a file open for writing until this object goes away.
class WriterProcess {
public:
    explicit WriterProcess(const std::string& path) {
        int ready[2], release[2];
        if (::pipe(ready) != 0 || ::pipe(release) != 0)
            return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(ready[0]);
            ::close(release[1]);
            const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND);
            char byte = fd >= 0 ? '1' : '0';
            (void)!::write(ready[1], &byte, 1);
            (void)!::read(release[0], &byte, 1);  // until the parent closes its end
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(release[0]);
        release_ = release[1];
        char opened = 0;
        holding_ = pid_ > 0 && ::read(ready[0], &opened, 1) == 1 && opened == '1';
        ::close(ready[0]);
    }
    ~WriterProcess() {
        if (release_ >= 0)
            ::close(release_);
        if (pid_ > 0)
            ::waitpid(pid_, nullptr, 0);
    }
    WriterProcess(const WriterProcess&) = delete;
    WriterProcess& operator=(const WriterProcess&) = delete;
    bool Holding() const { return holding_; }

private:
    pid_t pid_ = -1;
    int release_ = -1;
    bool holding_ = false;
};

// Whether this file system lets us see writers at all (leases may be switched off, or
// unsupported); where it does not, a file held by a writer is read like any other.
bool LeasesWork(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    const bool taken = fd >= 0 && ::fcntl(fd, F_SETLEASE, F_RDLCK) == 0;
    if (taken)
        ::fcntl(fd, F_SETLEASE, F_UNLCK);
    if (fd >= 0)
        ::close(fd);
    return taken;
}

TEST_F(AviFileTest, AFileHeldOpenForWritingByAnotherProcessGivesNothing) {
    const std::string path = folder / "recording.avi";
    WriteFileBytes(path, avi);
    const bool leasesWork = LeasesWork(path);
    {
        const WriterProcess writer(path);
        ASSERT_TRUE(writer.Holding());
        Places held;
        held.Read(path);
        if (leasesWork) {
            EXPECT_TRUE(held.OnlySizeChanged());
            EXPECT_EQ(held.size, 99u);
        } else {
            EXPECT_EQ(held.video, "XviD MPEG-4 Codec");
            EXPECT_EQ(held.size, avi.size());
        }
    }
    Places released;
    released.Read(path);
    EXPECT_EQ(released.video, "XviD MPEG-4 Codec");
    EXPECT_EQ(released.size, avi.size());
}

TEST_F(AviFileTest, TheReaderLetsGoOfTheFile) {
    const std::string path = folder / "movie.avi";
    WriteFileBytes(path, avi);
    Places places;
    places.Read(path);
    // A lease still held would make this open fail with EWOULDBLOCK.
    const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
    EXPECT_GE(fd, 0) << errno;
    if (fd >= 0)
        ::close(fd);
}

TEST_F(AviFileTest, LargeFilesAreReadThroughTheWindowOnly) {
    const std::uint64_t fourGiB = 4ull << 30;
    WriteSparseFile(folder / "large.avi", avi, fourGiB + 3);
    Places large;
    large.Read(folder / "large.avi");
    EXPECT_EQ(large.size, fourGiB + 3);
    EXPECT_EQ(large.video, "XviD MPEG-4 Codec");
    EXPECT_EQ(large.audio, "AC3");

    // Headers that begin past the window are never seen, however large the file.
    const std::string streams = VideoStreamList("XVID", 64, 48);
    const std::string far =
        RiffForm("AVI ", ListChunk("hdrl", Chunk("JUNK", std::string(kAviWindow, ' ')) + streams));
    WriteSparseFile(folder / "far.avi", far, fourGiB);
    Places farPlaces;
    farPlaces.Read(folder / "far.avi");
    EXPECT_TRUE(farPlaces.OnlySizeChanged());
    EXPECT_EQ(farPlaces.size, fourGiB);
}

}  // namespace
}  // namespace reelkeep
