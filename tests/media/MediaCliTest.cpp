// reelkeep-cli inspect end to end.
#include <gtest/gtest.h>

#include "MediaSamples.h"
#include "RiffBuilder.h"
#include "support/Process.h"
#include "support/TempFolder.h"

namespace reelkeep {
namespace {

using namespace test;

TEST(CliInspect, OneLinePerFileWithTheResultsThatWereFound) {
    TempFolder folder;
    const std::string avi = AviFile(VideoStreamList("DX50", 720, 400, 30000, 1001) +
                                    AudioStreamList(0x55) + AudioStreamList(0x2000));
    WriteFileBytes(folder / "movie.avi", avi);
    WriteFileBytes(folder / "notes.txt", "hello");
    StreamHeader midi;
    midi.type = "mids";
    WriteFileBytes(folder / "midi.avi",
                   AviFile(ListChunk("strl", StrhChunk(midi) + Chunk("strf", ""))));

    const auto result = RunProcess(
        REELKEEP_CLI_PATH, {"--catalog", folder.Path(), "inspect", folder / "movie.avi",
                            folder / "notes.txt", folder / "missing.avi", folder / "midi.avi"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    // Today's six columns as they were, then running time and the two language lists.
    EXPECT_EQ(result.out, std::to_string(avi.size()) +
                              "\tDivX 5.x\tAC3\t29.970030\t720\t400\t\t\t\n"
                              "5\t\t\t\t\t\t\t\t\n"
                              "\t\t\t\t\t\t\t\t\n" +
                              std::to_string(ReadFileBytes(folder / "midi.avi").size()) +
                              "\t\tMidi\t\t\t\t\t\t\n");
}

TEST(CliInspect, MatroskaGivesRunningTimeAndLanguagesToo) {
    TempFolder folder;
    MediaSample sample;
    sample.name = "Heat (1995).mkv";
    sample.video = "libx264";
    sample.size = "160x120";
    sample.rate = "2";
    sample.seconds = 95;
    sample.audio = {{"ac3", "eng", true}, {"aac", "fre", false}, {"aac", "eng", false}};
    sample.subtitleEncoder = "srt";
    sample.subtitleLanguages = {"ger"};
    if (!MissingEncoders(sample).empty())
        GTEST_SKIP() << "this ffmpeg lacks " << MissingEncoders(sample).front();
    ASSERT_EQ(MakeSample(folder.Path(), sample), "");
    WriteFileBytes(folder / "noise.mp4", std::string(5000, '\x7F'));
    const auto result = RunProcess(REELKEEP_CLI_PATH,
                                   {"inspect", folder / "Heat (1995).mkv", folder / "noise.mp4"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out,
              std::to_string(ReadFileBytes(folder / "Heat (1995).mkv").size()) +
                  "\tH.264 / AVC\tAC-3\t2.000000\t160\t120\t2\tEnglish, French\tGerman\n"
                  "5000\t\t\t\t\t\t\t\t\n");
}

TEST(CliInspect, WithoutFilesItIsAUsageError) {
    TempFolder folder;
    const auto result = RunProcess(REELKEEP_CLI_PATH, {"--catalog", folder.Path(), "inspect"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_NE(result.err.find("inspect FILE..."), std::string::npos) << result.err;
}

}  // namespace
}  // namespace reelkeep
