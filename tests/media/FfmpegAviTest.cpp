// The reader on AVI files written by ffmpeg: real muxer output, several codecs and tags.
#include <gtest/gtest.h>

#include "FfmpegMaker.h"
#include "media/AviHeader.h"
#include "support/TempFolder.h"

namespace reelkeep {
namespace {

using test::MakeAviWithFfmpeg;

struct FfmpegCase {
    const char* name;
    const char* size;
    const char* rate;
    std::vector<std::string> options;
    const char* video;
    const char* audio;  // nullptr: the file has no audio stream
    float fps;
    std::int32_t width;
    std::int32_t height;
};

void PrintTo(const FfmpegCase& c, std::ostream* out) {
    *out << c.name;
}

class FfmpegAviTest : public ::testing::TestWithParam<FfmpegCase> {};

TEST_P(FfmpegAviTest, ReadsWhatTheMuxerWrote) {
    const FfmpegCase& c = GetParam();
    test::TempFolder folder;
    const std::string path = folder / (std::string(c.name) + ".avi");
    const std::string failure = MakeAviWithFfmpeg(path, c.size, c.rate, c.options);
    ASSERT_EQ(failure, "");

    const AviHeaderInfo info = InspectAviFile(path);
    EXPECT_EQ(info.size, test::ReadFileBytes(path).size());
    EXPECT_EQ(info.video, c.video);
    if (c.audio) {
        EXPECT_EQ(info.audio, c.audio);
    } else {
        EXPECT_FALSE(info.audio);
    }
    ASSERT_TRUE(info.fps);
    EXPECT_NEAR(*info.fps, c.fps, 0.001f);
    EXPECT_EQ(info.width, c.width);
    EXPECT_EQ(info.height, c.height);
}

const std::vector<std::string> kNoAudio = {"-map", "0:v"};

std::vector<std::string> Options(std::vector<std::string> first, std::vector<std::string> more) {
    first.insert(first.end(), more.begin(), more.end());
    return first;
}

INSTANTIATE_TEST_SUITE_P(
    Codecs, FfmpegAviTest,
    ::testing::Values(
        FfmpegCase{"xvid_mp3",
                   "64x48",
                   "25",
                   {"-c:v", "mpeg4", "-vtag", "XVID", "-c:a", "libmp3lame"},
                   "XviD MPEG-4 Codec",
                   "MPEG Layer 3 (MP3)",
                   25.0f,
                   64,
                   48},
        FfmpegCase{"lowercase_xvid_ac3",
                   "64x48",
                   "24",
                   {"-c:v", "mpeg4", "-vtag", "xvid", "-c:a", "ac3"},
                   "XviD MPEG-4 Codec",
                   "AC3",
                   24.0f,
                   64,
                   48},
        FfmpegCase{"dx50_pcm",
                   "96x64",
                   "30000/1001",
                   {"-c:v", "mpeg4", "-vtag", "DX50", "-c:a", "pcm_s16le"},
                   "DivX 5.x",
                   "PCM",
                   29.97003f,
                   96,
                   64},
        FfmpegCase{"fmp4_unknown_code", "64x48", "25", Options(kNoAudio, {"-c:v", "mpeg4"}), "FMP4",
                   nullptr, 25.0f, 64, 48},
        FfmpegCase{"div3", "64x48", "25", Options(kNoAudio, {"-c:v", "msmpeg4", "-vtag", "DIV3"}),
                   "DivX 3.11 Low Motion", nullptr, 25.0f, 64, 48},
        FfmpegCase{"mp42", "64x48", "15", Options(kNoAudio, {"-c:v", "msmpeg4v2"}),
                   "Microsoft MPEG-4", nullptr, 15.0f, 64, 48},
        FfmpegCase{"mjpeg_ntsc", "64x48", "30000/1001", Options(kNoAudio, {"-c:v", "mjpeg"}),
                   "Motion JPEG", nullptr, 29.97003f, 64, 48},
        FfmpegCase{"msvideo1", "64x48", "25", Options(kNoAudio, {"-c:v", "msvideo1"}),
                   "Microsoft Video 1", nullptr, 25.0f, 64, 48},
        FfmpegCase{"cinepak", "64x48", "25", Options(kNoAudio, {"-c:v", "cinepak"}),
                   "Cinepak Radius", nullptr, 25.0f, 64, 48},
        FfmpegCase{"h263", "128x96", "25", Options(kNoAudio, {"-c:v", "h263"}), "Intel ITU H.263",
                   nullptr, 25.0f, 128, 96},
        // Uncompressed: compression code 0 and no handler, so the name is empty and the size
        // comes from the frame rectangle (the bitmap's height is negative, top-down rows).
        FfmpegCase{"raw_bgr24", "64x48", "25",
                   Options(kNoAudio, {"-c:v", "rawvideo", "-pix_fmt", "bgr24"}), "", nullptr, 25.0f,
                   64, 48},
        FfmpegCase{"two_audio_mp3_then_ac3",
                   "64x48",
                   "25",
                   {"-map", "0:v", "-map", "1:a", "-map", "1:a", "-c:v", "mpeg4", "-vtag", "XVID",
                    "-c:a:0", "libmp3lame", "-c:a:1", "ac3"},
                   "XviD MPEG-4 Codec",
                   "AC3",
                   25.0f,
                   64,
                   48},
        FfmpegCase{"two_audio_ac3_then_mp3",
                   "64x48",
                   "25",
                   {"-map", "0:v", "-map", "1:a", "-map", "1:a", "-c:v", "mpeg4", "-c:a:0", "ac3",
                    "-c:a:1", "libmp3lame"},
                   "FMP4",
                   "MPEG Layer 3 (MP3)",
                   25.0f,
                   64,
                   48}),
    [](const ::testing::TestParamInfo<FfmpegCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace reelkeep
