// reelkeep-cli inspect end to end.
#include <gtest/gtest.h>

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
    EXPECT_EQ(result.out, std::to_string(avi.size()) +
                              "\tDivX 5.x\tAC3\t29.970030\t720\t400\n"
                              "5\t\t\t\t\t\n"
                              "\t\t\t\t\t\n" +
                              std::to_string(ReadFileBytes(folder / "midi.avi").size()) +
                              "\t\tMidi\t\t\t\n");
}

TEST(CliInspect, WithoutFilesItIsAUsageError) {
    TempFolder folder;
    const auto result = RunProcess(REELKEEP_CLI_PATH, {"--catalog", folder.Path(), "inspect"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_NE(result.err.find("inspect FILE..."), std::string::npos) << result.err;
}

}  // namespace
}  // namespace reelkeep
