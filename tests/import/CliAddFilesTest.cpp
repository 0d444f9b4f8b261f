// reelkeep-cli add-files end to end.
#include <gtest/gtest.h>

#include "catalog/CatalogOperations.h"
#include "support/Process.h"
#include "support/TempFolder.h"

namespace reelkeep {
namespace {

using namespace test;

TEST(CliAddFiles, AddsNewFilesUnderTheirDerivedTitlesAndJoinsSecondDiscs) {
    TempFolder folder;
    TempFolder media;
    WriteFileBytes(media / "The.Film.avi", "1");
    WriteFileBytes(media / "the film.avi2", "22");
    WriteFileBytes(media / "Other.avi", "333");
    const auto result = RunProcess(REELKEEP_CLI_PATH,
                                   {"--catalog", folder.Path(), "add-files", media / "The.Film.avi",
                                    media / "the film.avi2", media / "Other.avi"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "added 2, attached 1, moved 0\n");
    const std::vector<MovieListRow> rows = LoadMovieList(folder / "Movies.db");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].title, "The Film");
    EXPECT_EQ(rows[1].title, "Other");

    const auto again =
        RunProcess(REELKEEP_CLI_PATH, {"--catalog", folder.Path(), "add-files", media.Path()});
    ASSERT_EQ(again.exitCode, 0) << again.err;
    EXPECT_EQ(again.out, "added 0, attached 0, moved 3\n");
}

TEST(CliAddFiles, WithoutPathsItIsAUsageError) {
    TempFolder folder;
    const auto result = RunProcess(REELKEEP_CLI_PATH, {"--catalog", folder.Path(), "add-files"});
    EXPECT_EQ(result.exitCode, 2);
}

}  // namespace
}  // namespace reelkeep
