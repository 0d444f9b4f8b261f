// reelkeep-cli end to end on a real catalog file.
#include <gtest/gtest.h>

#include "catalog/CatalogDatabase.h"
#include "catalog/CatalogPaths.h"
#include "support/Process.h"
#include "support/TempFolder.h"

namespace reelkeep {
namespace {

using test::RunProcess;
using test::TempFolder;

class CliCatalogTest : public ::testing::Test {
protected:
    test::ProcessResult Cli(std::vector<std::string> args) {
        args.insert(args.begin(), {"--catalog", folder.Path()});
        return RunProcess(REELKEEP_CLI_PATH, args);
    }
    TempFolder folder;
};

TEST_F(CliCatalogTest, AddListDeleteRoundTrip) {
    auto added = Cli({"add", "The First"});
    ASSERT_EQ(added.exitCode, 0) << added.err;
    EXPECT_EQ(added.out, "1\t1\n");
    ASSERT_EQ(Cli({"add", "Caf\xC3\xA9 \xFF"}).exitCode, 0);
    ASSERT_EQ(Cli({"add", "Third"}).exitCode, 0);

    auto listed = Cli({"list"});
    ASSERT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_EQ(listed.out,
              "1\t1\tThe First\t0\t0\t0\n"
              "2\t2\tCaf\xC3\xA9 \xFF\t0\t0\t0\n"
              "3\t3\tThird\t0\t0\t0\n");

    auto deleted = Cli({"delete", "1", "3"});
    EXPECT_EQ(deleted.exitCode, 0) << deleted.err;
    EXPECT_EQ(Cli({"list"}).out, "2\t2\tCaf\xC3\xA9 \xFF\t0\t0\t0\n");

    auto missing = Cli({"delete", "3"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("No movie with identifier 3"), std::string::npos);
}

TEST_F(CliCatalogTest, FindFileListsTheMoviesHoldingTheBareName) {
    {
        CatalogDatabase database(CatalogFilePath(folder.Path()));
        database.Open(CatalogDatabase::Access::ReadWrite);
        Movie a, b;
        a.szTitle = "A";
        a.pszFilenames = {"cd1.avi", "cd2.avi"};
        b.szTitle = "B";
        b.pszFilenames = {"cd2.avi"};
        database.Insert(a);
        database.Insert(b);
    }
    EXPECT_EQ(Cli({"find-file", "cd2.avi"}).out, "1\tA\n2\tB\n");
    EXPECT_EQ(Cli({"find-file", "cd1.avi"}).out, "1\tA\n");
    const auto none = Cli({"find-file", "/x/cd1.avi"});
    EXPECT_EQ(none.exitCode, 0);
    EXPECT_EQ(none.out, "");
}

TEST_F(CliCatalogTest, ErrorsAndUsageHaveTheirExitCodes) {
    auto noCatalog = Cli({"list"});
    EXPECT_EQ(noCatalog.exitCode, 1);
    EXPECT_NE(noCatalog.err.find("does not exist"), std::string::npos) << noCatalog.err;

    test::WriteFileBytes(folder / "Movies.db", "not a catalog at all, just some text");
    auto refused = Cli({"add", "x"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("is not a Reelkeep catalog"), std::string::npos) << refused.err;
    EXPECT_EQ(test::ReadFileBytes(folder / "Movies.db"), "not a catalog at all, just some text");

    EXPECT_EQ(RunProcess(REELKEEP_CLI_PATH, {}).exitCode, 2);
    EXPECT_EQ(Cli({"frobnicate"}).exitCode, 2);
    EXPECT_EQ(Cli({"add"}).exitCode, 2);
    EXPECT_EQ(Cli({"delete", "abc"}).exitCode, 2);
    EXPECT_EQ(Cli({"delete", "0"}).exitCode, 2);
    EXPECT_EQ(RunProcess(REELKEEP_CLI_PATH, {"--bogus", "list"}).exitCode, 2);
}

TEST(CliDefaultCatalog, WithoutCatalogOptionTheDocumentsFolderIsUsed) {
    TempFolder home;
    ::setenv("HOME", home.Path().c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    ASSERT_EQ(RunProcess(REELKEEP_CLI_PATH, {"add", "Home movie"}).exitCode, 0);
    EXPECT_TRUE(test::FileExists(home / "Documents/Reelkeep/Movies.db"));
    EXPECT_EQ(RunProcess(REELKEEP_CLI_PATH, {"list"}).out, "1\t1\tHome movie\t0\t0\t0\n");
}

}  // namespace
}  // namespace reelkeep
