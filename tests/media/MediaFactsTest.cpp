// ReadMediaFacts on real files of every common container, made by ffmpeg, through the real
// media helper; and the helper's failures: files that make no sense, a helper killed while it
// works on a file, one that hangs, one that is not there.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <random>
#include <thread>

#include "FfmpegMaker.h"
#include "MediaSamples.h"
#include "RiffBuilder.h"
#include "media/AviHeader.h"
#include "media/MediaFacts.h"
#include "media/MediaProbe.h"
#include "support/TempFolder.h"

namespace reelkeep {
namespace {

using namespace test;

struct ContainerCase {
    MediaSample sample;
    const char* video;
    const char* audio;
    float fps;  // 0: the library may not know it from the headers alone
    std::int32_t width;
    std::int32_t height;
};

void PrintTo(const ContainerCase& c, std::ostream* out) {
    *out << c.sample.name;
}

// Skips the test when ffmpeg lacks an encoder the sample needs; fails when making it fails.
#define MAKE_SAMPLE(folder, sample)                                                 \
    do {                                                                            \
        const std::vector<std::string> missing = MissingEncoders(sample);           \
        if (!missing.empty())                                                       \
            GTEST_SKIP() << "this ffmpeg has no " << missing.front() << " encoder"; \
        ASSERT_EQ(MakeSample((folder).Path(), sample), "");                         \
    } while (false)

class ContainerTest : public ::testing::TestWithParam<ContainerCase> {};

TEST_P(ContainerTest, FactsComeFromTheHeaders) {
    const ContainerCase& c = GetParam();
    TempFolder folder;
    MAKE_SAMPLE(folder, c.sample);
    const std::string path = folder / c.sample.name;
    MediaProbe probe;
    const MediaFacts facts = ReadMediaFacts(path, probe);
    EXPECT_EQ(facts.size, ReadFileBytes(path).size());
    EXPECT_EQ(facts.video, c.video);
    EXPECT_EQ(facts.audio, c.audio);
    EXPECT_EQ(facts.width, c.width);
    EXPECT_EQ(facts.height, c.height);
    if (c.fps > 0) {
        ASSERT_TRUE(facts.fps);
        EXPECT_NEAR(*facts.fps, c.fps, 0.01f);
    }
    EXPECT_EQ(probe.Starts(), 1);
}

// Frames of 160 by 120: at much smaller sizes the library cannot always tell a Matroska
// file's frame rate from the headers alone.
MediaSample Sample(std::string name, std::string video, std::vector<std::string> audio,
                   std::string size = "160x120", std::string rate = "25") {
    MediaSample sample;
    sample.name = std::move(name);
    sample.video = std::move(video);
    for (std::string& encoder : audio) sample.audio.push_back({std::move(encoder), "", true});
    sample.size = std::move(size);
    sample.rate = std::move(rate);
    return sample;
}

// The AV1 encoder that this ffmpeg has, libaom's at its quickest setting preferred.
MediaSample Av1Sample() {
    MediaSample sample = Sample("av1.mkv", "libaom-av1", {"libvorbis"});
    sample.videoOptions = {"-cpu-used", "8"};
    if (!HasFfmpegEncoder("libaom-av1") && HasFfmpegEncoder("libsvtav1")) {
        sample.video = "libsvtav1";
        sample.videoOptions.clear();
    }
    return sample;
}

INSTANTIATE_TEST_SUITE_P(
    Containers, ContainerTest,
    ::testing::Values(ContainerCase{Sample("h264_aac.mkv", "libx264", {"aac"}), "H.264 / AVC",
                                    "AAC", 25, 160, 120},
                      ContainerCase{Sample("hevc_ac3.mp4", "libx265", {"ac3"}), "H.265 / HEVC",
                                    "AC-3", 25, 160, 120},
                      ContainerCase{
                          Sample("vp9_opus.webm", "libvpx-vp9", {"libopus"}, "96x64", "30"), "VP9",
                          "Opus", 30, 96, 64},
                      ContainerCase{Av1Sample(), "AV1", "Vorbis", 25, 160, 120},
                      ContainerCase{Sample("mpeg2_mp2.ts", "mpeg2video", {"mp2"}, "64x48"),
                                    "MPEG-2 Video", "MP2", 25, 64, 48},
                      ContainerCase{Sample("h264_eac3.m2ts", "libx264", {"eac3"}), "H.264 / AVC",
                                    "E-AC-3", 0, 160, 120},
                      ContainerCase{Sample("mpeg4_mp3.mp4", "mpeg4", {"libmp3lame"}, "64x48", "24"),
                                    "MPEG-4 Visual", "MP3", 24, 64, 48},
                      ContainerCase{Sample("mpeg4_aac.m4v", "mpeg4", {"aac"}), "MPEG-4 Visual",
                                    "AAC", 25, 160, 120},
                      ContainerCase{Sample("h264_pcm.mov", "libx264", {"pcm_s16le"}), "H.264 / AVC",
                                    "PCM", 25, 160, 120},
                      ContainerCase{Sample("h264_flac.mkv", "libx264", {"flac"}), "H.264 / AVC",
                                    "FLAC", 25, 160, 120},
                      ContainerCase{Sample("mpeg2_ac3.vob", "mpeg2video", {"ac3"}), "MPEG-2 Video",
                                    "AC-3", 25, 160, 120},
                      ContainerCase{Sample("wmv2_wma.wmv", "wmv2", {"wmav2"}),
                                    "Windows Media Video 8", "WMA", 25, 160, 120},
                      ContainerCase{Sample("flv_mp3.flv", "flv", {"libmp3lame"}), "Sorenson Spark",
                                    "MP3", 25, 160, 120},
                      ContainerCase{Sample("theora_vorbis.ogv", "libtheora", {"libvorbis"}),
                                    "Theora", "Vorbis", 25, 160, 120},
                      ContainerCase{Sample("h263_aac.3gp", "h263", {"aac"}, "176x144"), "H.263",
                                    "AAC", 25, 176, 144},
                      ContainerCase{Sample("h264_dts.mkv", "libx264", {"dca"}), "H.264 / AVC",
                                    "DTS", 25, 160, 120},
                      ContainerCase{Sample("h264_truehd.mkv", "libx264", {"truehd"}), "H.264 / AVC",
                                    "Dolby TrueHD", 25, 160, 120}));

// Two audio tracks with languages, the second the default one, and two subtitle tracks; a
// minute long, so that the running time shows.
MediaSample TwoLanguages(std::string name, std::string subtitles) {
    MediaSample sample;
    sample.name = std::move(name);
    sample.video = "libx264";
    sample.rate = "2";
    sample.seconds = 61;
    sample.audio = {{"aac", "deu", false}, {"ac3", "eng", true}};
    sample.subtitleEncoder = std::move(subtitles);
    sample.subtitleLanguages = {"fre", "spa"};
    return sample;
}

TEST(MediaFacts, LanguagesOfAudioAndSubtitleTracksInTrackOrder) {
    for (const MediaSample& sample :
         {TwoLanguages("two.mkv", "srt"), TwoLanguages("two.mp4", "mov_text"),
          TwoLanguages("two.webm", "webvtt")}) {
        SCOPED_TRACE(sample.name);
        MediaSample made = sample;
        if (made.name.ends_with(".webm")) {
            made.video = "libvpx-vp9";
            made.audio = {{"libopus", "deu", false}, {"libvorbis", "eng", true}};
        }
        TempFolder folder;
        MAKE_SAMPLE(folder, made);
        MediaProbe probe;
        const MediaFacts facts = ReadMediaFacts(folder / made.name, probe);
        EXPECT_EQ(facts.languages, (std::vector<std::string>{"German", "English"}));
        EXPECT_EQ(facts.subtitles, (std::vector<std::string>{"French", "Spanish"}));
        EXPECT_EQ(facts.minutes, 1);
        // The default track's codec, not the first's.
        EXPECT_EQ(facts.audio, made.name.ends_with(".webm") ? "Vorbis" : "AC-3");
        EXPECT_NEAR(facts.fps.value_or(0), 2.0f, 0.01f);
    }
}

TEST(MediaFacts, AviFilesKeepTheHeaderReaderAndGainTheirRunningTime) {
    TempFolder folder;
    const std::string path = folder / "long.avi";
    ASSERT_EQ(MakeAviWithFfmpeg(path, "64x48", "1",
                                {"-c:v", "mpeg4", "-vtag", "XVID", "-c:a", "libmp3lame"}, 90),
              "");
    MediaProbe probe;
    const MediaFacts facts = ReadMediaFacts(path, probe);
    const AviHeaderInfo avi = InspectAviFile(path);
    EXPECT_EQ(facts.video, avi.video);
    EXPECT_EQ(facts.audio, avi.audio);
    EXPECT_EQ(facts.fps, avi.fps);
    EXPECT_EQ(facts.width, avi.width);
    EXPECT_EQ(facts.height, avi.height);
    EXPECT_EQ(facts.size, avi.size);
    EXPECT_EQ(facts.video, "XviD MPEG-4 Codec");
    EXPECT_EQ(facts.minutes, 2);  // 90 frames at one a second: a minute and a half, rounded
    EXPECT_TRUE(facts.languages.empty());
    // No helper for AVI files.
    EXPECT_EQ(probe.Starts(), 0);
}

// Files that make no sense give their size and nothing else, and the helper goes on.
TEST(MediaFacts, StrangeFilesGiveTheirSizeOnly) {
    TempFolder folder;
    const MediaSample good = Sample("good.mkv", "libx264", {"aac"});
    MAKE_SAMPLE(folder, good);
    const std::string whole = ReadFileBytes(folder / "good.mkv");
    WriteFileBytes(folder / "empty.mkv", "");
    WriteFileBytes(folder / "cut.mp4", ReadFileBytes(folder / "good.mkv").substr(0, 700));
    std::mt19937 random(16);
    std::string noise(1 << 20, '\0');
    for (char& byte : noise) byte = static_cast<char>(random());
    WriteFileBytes(folder / "noise.mkv", noise);
    WriteFileBytes(folder / "notes.txt", "Just some notes.\n");
    // An odd name: a line break and a byte that is no UTF-8.
    WriteFileBytes(folder / "odd\nname\xFF.mkv", whole);

    MediaProbe probe;
    for (const char* name : {"empty.mkv", "noise.mkv", "notes.txt"}) {
        SCOPED_TRACE(name);
        const MediaFacts facts = ReadMediaFacts(folder / name, probe);
        EXPECT_EQ(facts.size, ReadFileBytes(folder / name).size());
        EXPECT_FALSE(facts.video || facts.audio || facts.fps || facts.width || facts.minutes);
    }
    // A file cut off after its first headers: whatever they tell, and its true size.
    EXPECT_EQ(ReadMediaFacts(folder / "cut.mp4", probe).size, 700u);
    EXPECT_EQ(ReadMediaFacts(folder / "odd\nname\xFF.mkv", probe).video, "H.264 / AVC");
    EXPECT_EQ(ReadMediaFacts(folder / "missing.mkv", probe), MediaFacts{});
    EXPECT_EQ(probe.Starts(), 1);
}

// The helper dies while it works on a file: that file gets its size only, the next file a
// fresh helper.
TEST(MediaFacts, AHelperKilledMidFileCostsThatFileOnly) {
    TempFolder folder;
    const MediaSample sample = Sample("a.mkv", "libx264", {"aac"});
    MAKE_SAMPLE(folder, sample);
    MediaProbe probe;
    ASSERT_EQ(ReadMediaFacts(folder / "a.mkv", probe).video, "H.264 / AVC");
    const pid_t first = probe.HelperPid();
    ASSERT_GT(first, 0);
    // Stopped, it takes the request but cannot answer; then it is killed.
    ASSERT_EQ(::kill(first, SIGSTOP), 0);
    std::thread killer([first] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        ::kill(first, SIGKILL);
    });
    const MediaFacts lost = ReadMediaFacts(folder / "a.mkv", probe);
    killer.join();
    EXPECT_EQ(lost.size, ReadFileBytes(folder / "a.mkv").size());
    EXPECT_FALSE(lost.video);
    EXPECT_EQ(probe.HelperPid(), 0);
    EXPECT_NE(::kill(first, 0), 0);  // reaped, not left as a zombie

    EXPECT_EQ(ReadMediaFacts(folder / "a.mkv", probe).video, "H.264 / AVC");
    EXPECT_EQ(probe.Starts(), 2);
}

// A helper that stops answering is given the shipped five seconds, then replaced.
TEST(MediaFacts, AHangingHelperIsReplacedAfterTheTimeLimit) {
    TempFolder folder;
    const MediaSample sample = Sample("a.webm", "libvpx-vp9", {"libopus"});
    MAKE_SAMPLE(folder, sample);
    MediaProbe probe;
    ASSERT_EQ(ReadMediaFacts(folder / "a.webm", probe).video, "VP9");
    const pid_t hung = probe.HelperPid();
    ASSERT_EQ(::kill(hung, SIGSTOP), 0);
    const MediaFacts lost = ReadMediaFacts(folder / "a.webm", probe);
    EXPECT_FALSE(lost.video);
    EXPECT_TRUE(lost.size);
    EXPECT_NE(::kill(hung, 0), 0);
    EXPECT_EQ(ReadMediaFacts(folder / "a.webm", probe).audio, "Opus");
    EXPECT_EQ(probe.Starts(), 2);
}

// A 5 KB Matroska file found by fuzzing the media library: the library's parser never comes
// back from it. The helper is killed after its five seconds and the next file gets a new one.
TEST(MediaFacts, AFileThatHangsTheLibraryCostsItsOwnFactsOnly) {
    const std::string hang = REELKEEP_MEDIA_TEST_DATA "/library-hang.mkv";
    TempFolder folder;
    const MediaSample sample = Sample("good.mkv", "libx264", {"aac"});
    MAKE_SAMPLE(folder, sample);
    MediaProbe probe;
    const MediaFacts facts = ReadMediaFacts(hang, probe);
    EXPECT_EQ(facts.size, ReadFileBytes(hang).size());
    EXPECT_EQ(ReadMediaFacts(folder / "good.mkv", probe).video, "H.264 / AVC");
    // A library that no longer hangs on it answers with one helper.
    EXPECT_LE(probe.Starts(), 2);
}

TEST(MediaFacts, WithoutItsHelperAFileKeepsItsSize) {
    TempFolder folder;
    WriteFileBytes(folder / "film.mkv", std::string(1000, 'x'));
    MediaProbe probe(folder / "no-such-helper");
    const MediaFacts facts = ReadMediaFacts(folder / "film.mkv", probe);
    EXPECT_EQ(facts.size, 1000u);
    EXPECT_FALSE(facts.video);
    EXPECT_EQ(probe.Starts(), 0);
    // An AVI file needs no helper at all.
    WriteFileBytes(folder / "film.avi", AviFile(VideoStreamList("DX50", 64, 48)));
    EXPECT_EQ(ReadMediaFacts(folder / "film.avi", probe).video, "DivX 5.x");
}

}  // namespace
}  // namespace reelkeep
