// reelkeep-cli find and stats end to end on a real catalog file.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "catalog/CatalogDatabase.h"
#include "catalog/CatalogPaths.h"
#include "support/Process.h"
#include "support/TempFolder.h"
#include "support/WordIndexCheck.h"

namespace reelkeep {
namespace {

using Access = CatalogDatabase::Access;
using test::RunProcess;
using test::TempFolder;

class CliFindTest : public ::testing::Test {
protected:
    void SetUp() override {
        CatalogDatabase database(catalog);
        database.Open(Access::ReadWrite);
        Movie heat;
        heat.szTitle = "Heat";
        heat.nYear = 1995;
        heat.fRating = 8.3f;
        heat.pszActors = {"Al Pacino", "Robert De Niro"};
        heat.pszCategories = {"Crime"};
        heat.nLength = 170;
        database.Insert(heat);
        Movie amelie;
        amelie.szTitle = "Am\xC3\xA9lie";
        amelie.nYear = 2001;
        amelie.fRating = 8.3f;
        amelie.bWatched = true;
        amelie.pszCategories = {"Comedy", "Romance"};
        amelie.nLength = 122;
        database.Insert(amelie);
        Movie serpico;
        serpico.szTitle = "Serpico";
        serpico.nYear = 1973;
        serpico.pszActors = {"Al Pacino"};
        serpico.pszCategories = {"Crime"};
        database.Insert(serpico);
    }

    test::ProcessResult Cli(std::vector<std::string> args) {
        args.insert(args.begin(), {"--catalog", folder.Path()});
        return RunProcess(REELKEEP_CLI_PATH, args);
    }

    TempFolder folder;
    std::string catalog = CatalogFilePath(folder.Path());
};

TEST_F(CliFindTest, FindPrintsTheMoviesAsListDoes) {
    const auto found = Cli({"find", "al", "pacino"});  // the words of one query
    ASSERT_EQ(found.exitCode, 0) << found.err;
    EXPECT_EQ(found.out, "1\t1\tHeat\t1995\t8.3\t0\n3\t3\tSerpico\t1973\t0\t0\n");
    EXPECT_EQ(Cli({"find", "AMELIE"}).out, "2\t2\tAm\xC3\xA9lie\t2001\t8.3\t1\n");
    EXPECT_EQ(Cli({"find", "actor:pacino year:<1990"}).out, "3\t3\tSerpico\t1973\t0\t0\n");
    EXPECT_EQ(Cli({"find", "nothing"}).out, "");

    const auto bad = Cli({"find", "rating:good"});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_EQ(bad.out, "");
    EXPECT_NE(bad.err.find("\"rating:good\" needs a rating"), std::string::npos) << bad.err;
    EXPECT_EQ(Cli({"find"}).exitCode, 2);
}

TEST_F(CliFindTest, FindOnACatalogOfTheFormerLayoutBuildsItsIndexFirst) {
    ASSERT_TRUE(test::TakeBackToTheFormerLayout(catalog));
    const auto found = Cli({"find", "serpico"});
    ASSERT_EQ(found.exitCode, 0) << found.err;
    EXPECT_EQ(found.out, "3\t3\tSerpico\t1973\t0\t0\n");
    EXPECT_NE(found.err.find("word index"), std::string::npos);
    EXPECT_EQ(test::WordIndexDifference(catalog), "");
    EXPECT_EQ(Cli({"find", "heat"}).err, "");  // once is enough
}

TEST_F(CliFindTest, StatsPrintsTheFiguresAndWritesThePage) {
    const auto all = Cli({"stats"});
    ASSERT_EQ(all.exitCode, 0) << all.err;
    EXPECT_NE(all.out.find("movies\t3\nwatched\t1\nnot watched\t2\nrunning time (minutes)\t292\n"),
              std::string::npos)
        << all.out;
    EXPECT_NE(all.out.find("by decade:\n  1970s\t1\n  1990s\t1\n  2000s\t1\n"), std::string::npos) << all.out;
    EXPECT_NE(all.out.find("categories:\n  Crime\t2\n  Comedy\t1\n  Romance\t1\n"), std::string::npos) << all.out;
    EXPECT_NE(all.out.find("actors:\n  Al Pacino\t2\n  Robert De Niro\t1\n"), std::string::npos) << all.out;

    const auto crime = Cli({"stats", "genre:crime"});
    EXPECT_NE(crime.out.find("movies\t2\nin the catalog\t3\n"), std::string::npos) << crime.out;

    const std::string page = folder / "stats.html";
    const auto written = Cli({"stats", "--html", page, "genre:crime"});
    ASSERT_EQ(written.exitCode, 0) << written.err;
    const std::string html = test::ReadFileBytes(page);
    EXPECT_NE(html.find("href=\"rkpage:/filter?genre%3Acrime%20actor%3A%3D%22Al%20Pacino%22\""), std::string::npos);
    EXPECT_NE(html.find("2 of 3 movies"), std::string::npos);

    const auto bad = Cli({"stats", "--html", page, "watched:often"});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_NE(bad.err.find("watched: takes yes or no."), std::string::npos) << bad.err;
}

}  // namespace
}  // namespace reelkeep
