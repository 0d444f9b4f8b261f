// reelkeep-cli show and export end to end, with the templates the build puts beside it.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "catalog/CatalogDatabase.h"
#include "catalog/CatalogPaths.h"
#include "support/Process.h"
#include "support/TempFolder.h"

namespace reelkeep {
namespace {

using test::ReadFileBytes;
using test::RunProcess;
using test::TempFolder;

class CliPresentTest : public ::testing::Test {
protected:
    void SetUp() override {
        CatalogDatabase database(CatalogFilePath(folder.Path()));
        database.Open(CatalogDatabase::Access::ReadWrite);
        for (const char* title : {"Alpha & <Omega>", "Beta", "Gamma"}) {
            Movie movie;
            movie.szTitle = title;
            movie.fRating = 6.5f;
            database.Insert(movie);
        }
    }
    test::ProcessResult Cli(std::vector<std::string> args) {
        args.insert(args.begin(), {"--catalog", folder.Path()});
        return RunProcess(REELKEEP_CLI_PATH, args);
    }
    TempFolder folder;
};

TEST_F(CliPresentTest, ShowPrintsTheDocumentAsExportWritesIt) {
    const auto shown = Cli({"show", "3", "1"});
    ASSERT_EQ(shown.exitCode, 0) << shown.err;
    EXPECT_EQ(shown.out.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Reelkeep>\n", 0), 0u);
    const auto gamma = shown.out.find("<szTitle>Gamma</szTitle>");
    const auto alpha = shown.out.find("<szTitle>Alpha &amp; &lt;Omega&gt;</szTitle>");
    ASSERT_NE(gamma, std::string::npos);
    ASSERT_NE(alpha, std::string::npos);
    EXPECT_LT(gamma, alpha);
    EXPECT_NE(shown.out.find("<fRating>6.500000</fRating>"), std::string::npos);

    const std::string file = folder / "out.xml";
    ASSERT_EQ(Cli({"export", "--xml", file, "3", "1"}).exitCode, 0);
    EXPECT_EQ(ReadFileBytes(file), shown.out);
}

TEST_F(CliPresentTest, ExportHtmlUsesViewForOneAndMultipleForSeveral) {
    const std::string one = folder / "one.html";
    const auto single = Cli({"export", "--html", one, "2"});
    ASSERT_EQ(single.exitCode, 0) << single.err;
    EXPECT_NE(ReadFileBytes(one).find("<body class=\"view\">"), std::string::npos);

    const std::string several = folder / "several.html";
    ASSERT_EQ(Cli({"export", "--html", several, "1", "2", "3"}).exitCode, 0);
    const std::string page = ReadFileBytes(several);
    EXPECT_NE(page.find("<body class=\"multiple\">"), std::string::npos);
    EXPECT_NE(page.find("Alpha &amp; &lt;Omega&gt;"), std::string::npos);

    const std::string custom = folder / "Title.xsl";
    test::WriteFileBytes(custom, R"x(<xsl:stylesheet version="1.0"
        xmlns:xsl="http://www.w3.org/1999/XSL/Transform"><xsl:output method="text"/>
        <xsl:template match="/"><xsl:value-of select="count(//Movie)"/></xsl:template>
        </xsl:stylesheet>)x");
    const std::string counted = folder / "count.txt";
    ASSERT_EQ(Cli({"export", "--html", counted, "--template", custom, "1", "3"}).exitCode, 0);
    EXPECT_EQ(ReadFileBytes(counted), "2");
}

// An array whose stored length fits the whole blob but not what follows the length: the
// record is reported damaged, never read past the blob's end.
TEST_F(CliPresentTest, AnArrayLongerThanItsBlobIsReportedDamaged) {
    for (const char* blob : {"X'04616263'", "X'01610462630a'"}) {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(CatalogFilePath(folder.Path()).c_str(), &db), SQLITE_OK);
        const std::string sql = std::string("UPDATE Movie SET pszDirectors = ") + blob +
                                " WHERE oid = 2";
        ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);

        const auto shown = Cli({"show", "2"});
        EXPECT_EQ(shown.exitCode, 1) << blob;
        EXPECT_EQ(shown.out, "") << blob;
        EXPECT_NE(shown.err.find("a record is damaged (field pszDirectors)"), std::string::npos)
            << shown.err;
        // The other movies read as before.
        EXPECT_EQ(Cli({"show", "1"}).exitCode, 0);
    }
}

TEST_F(CliPresentTest, FailuresAreReportedWithoutWritingAnything) {
    const std::string file = folder / "out.html";
    const auto missingTemplate =
        Cli({"export", "--html", file, "--template", folder / "none.xsl", "1"});
    EXPECT_EQ(missingTemplate.exitCode, 1);
    EXPECT_NE(missingTemplate.err.find("Nothing written"), std::string::npos);
    EXPECT_FALSE(test::FileExists(file));

    const auto unwritable = Cli({"export", "--xml", folder / "no/such/dir/out.xml", "1"});
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_NE(unwritable.err.find("Cannot write"), std::string::npos) << unwritable.err;

    const auto gone = Cli({"show", "1", "99"});
    EXPECT_EQ(gone.exitCode, 1);
    EXPECT_EQ(gone.out, "");
    EXPECT_NE(gone.err.find("99"), std::string::npos);

    TempFolder empty;
    const auto noCatalog = RunProcess(REELKEEP_CLI_PATH, {"--catalog", empty.Path(), "show", "1"});
    EXPECT_EQ(noCatalog.exitCode, 1);
    EXPECT_NE(noCatalog.err.find("does not exist"), std::string::npos);

    EXPECT_EQ(Cli({"show"}).exitCode, 2);
    EXPECT_EQ(Cli({"export", "--pdf", file, "1"}).exitCode, 2);
    EXPECT_EQ(Cli({"export", "--xml", file}).exitCode, 2);
    EXPECT_EQ(Cli({"export", "--html", file, "--template", folder / "t.xsl", "x"}).exitCode, 2);
}

}  // namespace
}  // namespace reelkeep
