// The walk over headers built byte by byte.
#include <gtest/gtest.h>

#include <vector>

#include "GuardedBytes.h"
#include "RiffBuilder.h"
#include "media/AviHeader.h"

namespace reelkeep {
namespace {

using namespace test;
using namespace std::string_view_literals;

// The bytes end exactly where an unreadable page begins, so that a read past the end fails
// the test in the release build too, not only under the address sanitizer.
AviHeaderInfo Walk(const std::string& bytes) {
    const GuardedBytes head(bytes);
    AviHeaderInfo info;
    WalkAviHeaders(head.Bytes(), info);
    return info;
}

const std::string kZeroCode(4, '\0');

bool NothingFound(const AviHeaderInfo& info) {
    return !info.video && !info.audio && !info.fps && !info.width && !info.height;
}

TEST(AviWalk, VideoAndAudioStreams) {
    const auto info = Walk(AviFile(VideoStreamList("XVID", 640, 352) + AudioStreamList(0x55)));
    EXPECT_EQ(info.video, "XviD MPEG-4 Codec");
    EXPECT_EQ(info.audio, "MPEG Layer 3 (MP3)");
    EXPECT_EQ(info.fps, 25.0f);
    EXPECT_EQ(info.width, 640);
    EXPECT_EQ(info.height, 352);
    EXPECT_FALSE(info.size);  // the walk knows no file
}

TEST(AviWalk, FileHeadChecks) {
    const std::string streams = VideoStreamList("DX50", 320, 240);
    EXPECT_EQ(Walk(AviFile(streams, "AVIX")).video, "DivX 5.x");
    EXPECT_EQ(Walk(AviFile(streams, "AVI\0"sv)).video, "DivX 5.x");
    EXPECT_TRUE(NothingFound(Walk(AviFile(streams, "WAVE"))));
    EXPECT_TRUE(NothingFound(Walk(AviFile(streams, "avi "))));
    std::string rifx = AviFile(streams);
    rifx[3] = 'X';
    EXPECT_TRUE(NothingFound(Walk(rifx)));
    EXPECT_TRUE(NothingFound(Walk("")));
    EXPECT_TRUE(NothingFound(Walk("RIFF\x10\0\0\0AV")));
    EXPECT_TRUE(NothingFound(Walk("RIFF\x10\0\0\0AVI")));
    EXPECT_TRUE(NothingFound(Walk("\x1A\x45\xDF\xA3 a Matroska file, or rather its start")));
}

TEST(AviWalk, TopLevelStopsAtTheFirstChunkThatIsNoList) {
    const std::string hdrl = ListChunk("hdrl", VideoStreamList("XVID", 64, 48));
    EXPECT_TRUE(NothingFound(Walk(RiffForm("AVI ", Chunk("JUNK", "pad!") + hdrl))));
    // Other lists are stepped over, odd sizes without a pad byte.
    const auto info = Walk(RiffForm("AVI ", ListChunk("INFO", "odd") + hdrl));
    EXPECT_EQ(info.video, "XviD MPEG-4 Codec");
}

TEST(AviWalk, ChunksInsideListsAreSteppedOver) {
    const std::string strl = ListChunk(
        "strl", Chunk("strn", "a name") + StrhChunk({}) + Chunk("JUNK", "x") +
                    Chunk("strd", "abc") + BitmapStrf(720, 576, "MJPG") + Chunk("indx", ""));
    const std::string hdrl =
        ListChunk("hdrl", Chunk("avih", std::string(56, '\0')) + ListChunk("odml", "12345") +
                              Chunk("JUNK", std::string(1001, ' ')) + strl);
    const auto info = Walk(RiffForm("AVI ", hdrl));
    EXPECT_EQ(info.video, "Motion JPEG");
    EXPECT_EQ(info.width, 720);
    EXPECT_EQ(info.height, 576);
    // "strl" only counts inside "hdrl", "hdrl" only at the top.
    EXPECT_TRUE(NothingFound(Walk(RiffForm("AVI ", ListChunk("movi", strl)))));
    EXPECT_TRUE(NothingFound(Walk(RiffForm("AVI ", ListChunk("hdrl", ListChunk("hdrl", strl))))));
    // A second "hdrl" list is walked too.
    const auto twice = Walk(RiffForm("AVI ", hdrl + ListChunk("hdrl", AudioStreamList(1))));
    EXPECT_EQ(twice.video, "Motion JPEG");
    EXPECT_EQ(twice.audio, "PCM");
}

TEST(AviWalk, UncompressedVideoFallsBackOnTheStreamHeader) {
    StreamHeader header;
    header.handler = "dvsd";
    header.right = 720;
    header.bottom = 480;
    auto info = Walk(AviFile(ListChunk("strl", StrhChunk(header) + BitmapStrf(1, 2, kZeroCode))));
    EXPECT_EQ(info.video, "DV Codec (MainConcept codec)");
    EXPECT_EQ(info.width, 720);
    EXPECT_EQ(info.height, 480);

    // A compression code with any zero byte counts as uncompressed; the frame rectangle's edges
    // are signed 16-bit values.
    header.handler = kZeroCode;
    header.right = -2;
    header.bottom = static_cast<std::int16_t>(0x8000);
    info = Walk(AviFile(ListChunk("strl", StrhChunk(header) + BitmapStrf(1, 2, "ab\0d"sv))));
    EXPECT_EQ(info.video, "");
    EXPECT_EQ(info.width, -2);
    EXPECT_EQ(info.height, -32768);
}

TEST(AviWalk, BitmapSizeIsTakenAsFound) {
    const auto info = Walk(AviFile(VideoStreamList("FMP4", 1920, -1080)));
    EXPECT_EQ(info.video, "FMP4");
    EXPECT_EQ(info.width, 1920);
    EXPECT_EQ(info.height, -1080);
    EXPECT_EQ(Walk(AviFile(VideoStreamList("xvid", 8, 8))).video, "XviD MPEG-4 Codec");
}

TEST(AviWalk, FrameRate) {
    EXPECT_EQ(Walk(AviFile(VideoStreamList("XVID", 8, 8, 25, 1))).fps, 25.0f);
    const auto ntsc = Walk(AviFile(VideoStreamList("XVID", 8, 8, 30000, 1001))).fps;
    ASSERT_TRUE(ntsc);
    EXPECT_NEAR(*ntsc, 29.97f, 0.001f);
    EXPECT_FALSE(Walk(AviFile(VideoStreamList("XVID", 8, 8, 25, 0))).fps);
    // Both are unsigned: values with the top bit set are not negative.
    const auto big = Walk(AviFile(VideoStreamList("XVID", 8, 8, 0xFFFFFFFF, 0x80000000))).fps;
    ASSERT_TRUE(big);
    EXPECT_NEAR(*big, 2.0f, 1e-6f);
    // A later stream with scale 0 keeps the rate of the one before.
    const auto kept = Walk(
        AviFile(VideoStreamList("XVID", 8, 8, 24, 1) + VideoStreamList("DX50", 16, 16, 25, 0)));
    EXPECT_EQ(kept.fps, 24.0f);
    EXPECT_EQ(kept.video, "DivX 5.x");
    EXPECT_EQ(kept.width, 16);
}

TEST(AviWalk, TheLastStreamOfAKindDecides) {
    EXPECT_EQ(Walk(AviFile(AudioStreamList(0x55) + AudioStreamList(0x2000))).audio, "AC3");
    EXPECT_EQ(Walk(AviFile(AudioStreamList(0x55) + AudioStreamList(0x0162))).audio, "");
    EXPECT_EQ(Walk(AviFile(AudioStreamList(0x2000) + AudioStreamList(0x55))).audio,
              "MPEG Layer 3 (MP3)");
    const auto video = Walk(AviFile(VideoStreamList("XVID", 640, 480) + AudioStreamList(1) +
                                    VideoStreamList("MJPG", 320, 240, 30, 1)));
    EXPECT_EQ(video.video, "Motion JPEG");
    EXPECT_EQ(video.width, 320);
    EXPECT_EQ(video.fps, 30.0f);
    EXPECT_EQ(video.audio, "PCM");
}

TEST(AviWalk, MidiAndOtherStreamTypes) {
    StreamHeader midi;
    midi.type = "mids";
    EXPECT_EQ(Walk(AviFile(ListChunk("strl", StrhChunk(midi) + Chunk("strf", "")))).audio, "Midi");
    StreamHeader text;
    text.type = "txts";
    text.scale = 1;
    EXPECT_TRUE(
        NothingFound(Walk(AviFile(ListChunk("strl", StrhChunk(text) + BitmapStrf(8, 8, "XVID"))))));
}

TEST(AviWalk, TheStreamHeaderIsKeptAcrossStreamLists) {
    // The second stream list has no "strh": it uses the audio header of the first.
    const std::string streams = AudioStreamList(0x55) + ListChunk("strl", WaveStrf(0x2000));
    EXPECT_EQ(Walk(AviFile(streams)).audio, "AC3");
    // A "strf" before any "strh" at all is skipped.
    const auto info =
        Walk(AviFile(ListChunk("strl", BitmapStrf(8, 8, "XVID")) + AudioStreamList(1)));
    EXPECT_FALSE(info.video);
    EXPECT_EQ(info.audio, "PCM");
}

TEST(AviWalk, InterleavedDvTakesTheStreamHeader) {
    StreamHeader dv;
    dv.type = "iavs";
    dv.handler = "dvsd";
    dv.scale = 1001;
    dv.rate = 30000;
    dv.right = 720;
    dv.bottom = 480;
    // The format is a DV description whose bytes 16..19 are no compression code.
    const std::string dvinfo =
        Chunk("strf", std::string(16, '\x11') + "\xFF\xFF\xFF\xFF" + std::string(12, '\x22'));
    const auto info = Walk(AviFile(ListChunk("strl", StrhChunk(dv) + dvinfo)));
    EXPECT_EQ(info.video, "DV Codec (MainConcept codec)");
    EXPECT_EQ(info.width, 720);
    EXPECT_EQ(info.height, 480);
    ASSERT_TRUE(info.fps);
    EXPECT_NEAR(*info.fps, 29.97f, 0.001f);
}

// Every cut of a good file must stop cleanly; the sanitizers watch for reads past the end.
TEST(AviWalk, TruncatedHeadersNeverReadPastTheEnd) {
    const std::string file = AviFile(VideoStreamList("XVID", 640, 480) + AudioStreamList(0x55));
    const auto whole = Walk(file);
    for (std::size_t length = 0; length <= file.size(); ++length) {
        const auto info = Walk(file.substr(0, length));
        if (info.video) {
            EXPECT_EQ(info.video, whole.video);
        }
        if (info.audio) {
            EXPECT_EQ(info.audio, whole.audio);
            EXPECT_TRUE(info.video) << "audio found before the video stream at " << length;
        }
    }
}

TEST(AviWalk, FieldsPastTheEndEndTheirLoop) {
    // A "strh" of 8 bytes at the very end: its fields are not there to read.
    const std::string shortHeader =
        ListChunk("strl", BitmapStrf(8, 8, "XVID") + Chunk("strh", "vidsXVID"));
    EXPECT_TRUE(NothingFound(Walk(RiffForm("AVI ", ListChunk("hdrl", shortHeader)))));

    // A "strf" too short for its compression code, last in the file.
    std::string format = Chunk("strf", std::string(12, '\x01'));
    const std::string strl = ListChunk("strl", StrhChunk({}) + format);
    EXPECT_TRUE(NothingFound(Walk(RiffForm("AVI ", ListChunk("hdrl", strl)))));
}

// A video format block that ends anywhere short of the end of its compression code, last in
// the file: the code is not read, nor is anything after the block.
TEST(AviWalk, AFormatBlockEndingShortOfItsCompressionCodeIsNotReadPast) {
    StreamHeader header;
    header.handler = "HFYU";
    for (std::size_t length = 0; length <= 20; ++length) {
        std::string bitmap = BitmapStrf(320, 240, "XVID").substr(8, length);
        const std::string strl = ListChunk("strl", StrhChunk(header) + Chunk("strf", bitmap));
        const AviHeaderInfo info = Walk(RiffForm("AVI ", ListChunk("hdrl", strl)));
        if (length < 20) {
            EXPECT_TRUE(NothingFound(info)) << length;
        } else {
            EXPECT_EQ(info.video, "XviD MPEG-4 Codec");
            EXPECT_EQ(info.width, 320);
        }
    }
}

TEST(AviWalk, CorruptSizesCannotLoopOrGoBackwards) {
    // Sizes of 0xFFFFFFFF at every level: the walk ends instead of wrapping around.
    std::string file = AviFile(VideoStreamList("XVID", 8, 8) + AudioStreamList(1));
    const auto info = Walk(file);
    ASSERT_EQ(info.audio, "PCM");
    for (std::size_t at = 0; at + 8 <= file.size(); ++at) {
        if (file.compare(at, 4, "LIST") && file.compare(at, 4, "strh") &&
            file.compare(at, 4, "strf") && file.compare(at, 4, "avih")) {
            continue;
        }
        std::string corrupt = file;
        corrupt.replace(at + 4, 4, "\xFF\xFF\xFF\xFF");
        Walk(corrupt);
        corrupt.replace(at + 4, 4, std::string(4, '\0'));
        Walk(corrupt);
    }
    // A stream list claiming to run past the end still gives what it holds.
    std::string longList = AviFile(VideoStreamList("XVID", 8, 8));
    const std::size_t strl = longList.find("LIST", 12 + 12);
    longList.replace(strl + 4, 4, "\xF0\xFF\xFF\x7F");
    EXPECT_EQ(Walk(longList).video, "XviD MPEG-4 Codec");
}

TEST(AviWalk, NothingPastTheWindowIsRead) {
    // A JUNK chunk inside "hdrl" pushes the stream list over the 5 MiB window.
    const std::string streams = VideoStreamList("XVID", 64, 48);
    const std::size_t before = 12 + 12 + 8;  // RIFF head, "hdrl" list head, JUNK head
    std::string junk(kAviWindow - before - streams.size() / 2, ' ');
    std::string file = RiffForm("AVI ", ListChunk("hdrl", Chunk("JUNK", junk) + streams));
    ASSERT_GT(file.size(), kAviWindow);
    EXPECT_TRUE(NothingFound(Walk(file)));
    // The same stream list just inside the window is found.
    junk.resize(kAviWindow - before - streams.size());
    file = RiffForm("AVI ", ListChunk("hdrl", Chunk("JUNK", junk) + streams));
    ASSERT_EQ(file.size(), kAviWindow);
    EXPECT_EQ(Walk(file + "trailing bytes").video, "XviD MPEG-4 Codec");
}

// Beyond the described results: the running time of the last video stream, from its length
// in frames and its rate. A header too short for the length changes nothing else.
TEST(AviWalk, RunningTimeComesFromTheVideoStreamsLengthAndRate) {
    StreamHeader header;
    header.handler = "XVID";
    header.rate = 30000;
    header.scale = 1001;
    header.length = 161838;  // 90 minutes at 29.97 frames a second
    const std::string video = ListChunk("strl", StrhChunk(header) + BitmapStrf(64, 48, "XVID"));
    const AviHeaderInfo info = Walk(AviFile(video + AudioStreamList(0x55)));
    ASSERT_TRUE(info.seconds);
    EXPECT_NEAR(*info.seconds, 5400.0, 0.1);
    EXPECT_TRUE(info.aviHead);

    // No rate, no running time; the frame rate is left alone as before.
    header.scale = 0;
    EXPECT_FALSE(
        Walk(AviFile(ListChunk("strl", StrhChunk(header) + BitmapStrf(64, 48, "XVID")))).seconds);

    // A stream header cut off before its length field: the rest is found as before.
    header.scale = 1;
    header.rate = 25;
    std::string strh = StrhChunk(header).substr(8, 32);
    const std::string cut = ListChunk("strl", Chunk("strh", strh) + BitmapStrf(64, 48, "XVID"));
    const AviHeaderInfo short_ = Walk(AviFile(cut));
    EXPECT_EQ(short_.video, "XviD MPEG-4 Codec");
    EXPECT_EQ(short_.fps, 25.0f);
    EXPECT_EQ(short_.width, 64);
    EXPECT_FALSE(short_.seconds);
    EXPECT_FALSE(Walk("\x1A\x45\xDF\xA3 not AVI").aviHead);
}

}  // namespace
}  // namespace reelkeep
