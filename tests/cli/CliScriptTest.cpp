// reelkeep-cli scripts and run-script on a real catalog and a real scripts folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "catalog/CatalogDatabase.h"
#include "catalog/CatalogPaths.h"
#include "support/HttpTestServer.h"
#include "support/Process.h"
#include "support/TempFolder.h"

namespace reelkeep {
namespace {

using test::RunProcess;
using test::TempFolder;
using test::WriteFileBytes;

class CliScriptTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(scripts / "Include");
        WriteFileBytes(scripts / "Include/common.as", "string Shout(const string &in t) { return t + '!'; }\n");
        CatalogDatabase database(CatalogFilePath(catalog.Path()));
        database.Open(CatalogDatabase::Access::ReadWrite);
        for (const char* title : {"Zeta", "alpha"}) {
            Movie movie;
            movie.szTitle = title;
            database.Insert(movie);
        }
    }

    test::ProcessResult Cli(std::vector<std::string> args, const std::string& input = {}) {
        args.insert(args.begin(), {"--catalog", catalog.Path()});
        return RunProcess(REELKEEP_CLI_PATH, args, input);
    }

    TempFolder catalog, scripts;
};

TEST_F(CliScriptTest, RunScriptFillsEveryMovieOrTheChosenOnes) {
    WriteFileBytes(scripts / "Shout.rks", "szTitle = Shout(szTitle);");
    WriteFileBytes(scripts / "Plot.rks", "szPlot = 'plot of ' + szTitle;");
    EXPECT_EQ(Cli({"scripts", "--scripts", scripts.Path()}).out, "61440\tPlot\n61441\tShout\n");

    auto all = Cli({"run-script", "--scripts", scripts.Path(), "Shout"});
    EXPECT_EQ(all.exitCode, 0) << all.err;
    EXPECT_NE(all.err.find("[1/2] alpha"), std::string::npos) << all.err;
    EXPECT_NE(all.err.find("[2/2] Zeta"), std::string::npos) << all.err;
    EXPECT_NE(all.err.find("2 of 2 movies stored."), std::string::npos) << all.err;
    EXPECT_EQ(Cli({"list"}).out, "1\t1\tZeta!\t0\t0\t0\n2\t2\talpha!\t0\t0\t0\n");

    auto one = Cli({"run-script", "--scripts", scripts.Path(), "Shout", "2"});
    EXPECT_EQ(one.exitCode, 0) << one.err;
    EXPECT_EQ(Cli({"list"}).out, "1\t1\tZeta!\t0\t0\t0\n2\t2\talpha!!\t0\t0\t0\n");
}

TEST_F(CliScriptTest, ReverseFindStartingWhereAMatchBegins) {
    WriteFileBytes(scripts / "Find.rks",
                   "string text = 'abcabc';\n"
                   "szTitle = 'rfind ' + text.rfind('bc', 4) + ' ' + text.rfind('bc', 3) + ' ' +\n"
                   "          text.rfind('abc', 0) + ' ' + text.find('bc', 4);\n");
    const auto run = Cli({"run-script", "--scripts", scripts.Path(), "Find", "1"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Cli({"list"}).out, "1\t1\trfind 4 1 0 4\t0\t0\t0\n2\t2\talpha\t0\t0\t0\n");
}

TEST_F(CliScriptTest, FailuresAndQuestionsWithoutATerminal) {
    WriteFileBytes(scripts / "Broken.rks", "szTitle = ;");
    auto broken = Cli({"run-script", "--scripts", scripts.Path(), "Broken"});
    EXPECT_EQ(broken.exitCode, 1);
    EXPECT_NE(broken.err.find("ExecuteString ("), std::string::npos) << broken.err;
    EXPECT_NE(broken.err.find("0 of 2 movies stored."), std::string::npos) << broken.err;

    // No terminal on stdin: input and select are cancelled, alert takes the default button.
    WriteFileBytes(scripts / "Ask.rks",
                   "string t = 'kept'; bool ok = user.input(t, 'T', 'L', true);\n"
                   "string[] items; items.append('x');\n"
                   "szPlot = t + ' ' + (ok ? 1 : 0) + ' ' + user.select(items, 'T', 'L') + ' ' + "
                   "user.alert('Continue?', 0x124);");
    auto asked = Cli({"run-script", "--scripts", scripts.Path(), "Ask", "1"}, "typed\n1\n");
    EXPECT_EQ(asked.exitCode, 0) << asked.err;
    EXPECT_NE(asked.err.find("Reelkeep: Continue?"), std::string::npos) << asked.err;
    CatalogDatabase database(CatalogFilePath(catalog.Path()));
    database.Open(CatalogDatabase::Access::ReadOnly);
    Movie movie;
    ASSERT_TRUE(database.Fetch(1, movie));
    EXPECT_EQ(movie.szPlot, "kept 0 -1 7");  // MB_DEFBUTTON2 of Yes/No is No

    EXPECT_EQ(Cli({"run-script", "--scripts", scripts.Path(), "Missing"}).exitCode, 1);
    EXPECT_EQ(Cli({"run-script", "--scripts", scripts.Path(), "Ask", "99"}).exitCode, 1);
    EXPECT_EQ(Cli({"run-script", "--timeout", "soon", "Ask"}).exitCode, 2);
    EXPECT_EQ(Cli({"run-script"}).exitCode, 2);
}

TEST_F(CliScriptTest, DownloadsLandInTheCatalogFolder) {
    test::HttpTestServer server;
    server.Serve("/cover", "PICTURE", "image/jpeg");
    WriteFileBytes(scripts / "Cover.rks",
                   "string f = 'a/b/../cover.jpg'; if (www.download('" + server.Url("/cover") +
                       "', f)) pszPictures.append(f);");
    auto run = Cli({"run-script", "--scripts", scripts.Path(), "--timeout", "2000", "Cover", "1"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(test::ReadFileBytes(catalog / "cover.jpg"), "PICTURE");
}

}  // namespace
}  // namespace reelkeep
