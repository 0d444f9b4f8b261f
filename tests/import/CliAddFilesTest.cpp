// reelkeep-cli add-files end to end.
#include <gtest/gtest.h>

#include "catalog/CatalogDatabase.h"
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

// Titles match as in the window: without regard to case in any script, whether the record
// holds UTF-8 or Windows-1252 bytes; accents and "ß" are letters of their own.
TEST(CliAddFiles, TitlesMatchIgnoringCaseBeyondAscii) {
    TempFolder folder;
    TempFolder media;
    std::vector<ObjectId> oids;
    {
        CatalogDatabase database(folder / "Movies.db");
        database.Open(CatalogDatabase::Access::ReadWrite);
        for (const char* title : {"\xC3\x89lan", "\xC9" "cole", "\xCE\xA3\xCE\x8A\xCE\xA3\xCE\xA5\xCE\xA6\xCE\x9F\xCE\xA3",
                                  "Stra\xC3\x9F" "e"}) {
            Movie movie;
            movie.szTitle = title;
            oids.push_back(database.Insert(movie));
        }
    }
    const std::vector<std::string> files = {
        "\xC3\xA9lan.avi",                                            // élan
        "\xC3\x89" "COLE.avi",                                        // ÉCOLE
        "\xCF\x83\xCE\xAF\xCF\x83\xCF\x85\xCF\x86\xCE\xBF\xCF\x82.avi",  // σίσυφος
        "Elan.avi", "STRASSE.avi"};
    std::vector<std::string> args = {"--catalog", folder.Path(), "add-files"};
    for (const std::string& file : files) {
        WriteFileBytes(media / file, "x");
        args.push_back(media / file);
    }
    const auto result = RunProcess(REELKEEP_CLI_PATH, args);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "added 2, attached 3, moved 0\n");
    CatalogDatabase database(folder / "Movies.db");
    database.Open(CatalogDatabase::Access::ReadOnly);
    for (std::size_t i = 0; i < 3; ++i) {
        Movie movie;
        ASSERT_TRUE(database.Fetch(oids[i], movie));
        EXPECT_EQ(movie.pszFilenames, StringArray{files[i]}) << i;
    }
    Movie strasse;
    ASSERT_TRUE(database.Fetch(oids[3], strasse));
    EXPECT_TRUE(strasse.pszFilenames.empty());
}

TEST(CliAddFiles, NfoFilesNameTheirMoviesAndADamagedOneIsNamedWithItsReason) {
    TempFolder folder;
    TempFolder media;
    WriteFileBytes(media / "heat_1995.avi", "1");
    WriteFileBytes(media / "heat_1995.nfo", "<movie><title>Heat</title><year>1995</year></movie>");
    WriteFileBytes(media / "Ronin.1998.avi", "22");
    WriteFileBytes(media / "Ronin.1998.nfo", "<movie><title>Ronin</title><year>1998</movie>");
    const auto result = RunProcess(REELKEEP_CLI_PATH, {"--catalog", folder.Path(), "add-files", media.Path()});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const std::string expected =
        "added 2, attached 0, moved 0\n"
        "These files beside the dropped movies were skipped; the movies were added without them:\n\n" +
        media / "Ronin.1998.nfo" + ": The file is not well-formed XML (line 1: ";
    EXPECT_EQ(result.out.substr(0, expected.size()), expected);
    const std::vector<MovieListRow> rows = LoadMovieList(folder / "Movies.db");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].title, "Heat");
    EXPECT_EQ(rows[1].title, "Ronin");
}

TEST(CliAddFiles, WithoutPathsItIsAUsageError) {
    TempFolder folder;
    const auto result = RunProcess(REELKEEP_CLI_PATH, {"--catalog", folder.Path(), "add-files"});
    EXPECT_EQ(result.exitCode, 2);
}

}  // namespace
}  // namespace reelkeep
