// reelkeep-cli import and export --csv / --all end to end, and the exported page that carries
// its own styles.
#include <gtest/gtest.h>

#include <filesystem>

#include "InteropTestSupport.h"
#include "ZipMaker.h"
#include "catalog/CatalogDatabase.h"
#include "catalog/CatalogPaths.h"
#include "support/Process.h"
#include "support/TempFolder.h"

namespace reelkeep {
namespace {

using test::ReadFileBytes;
using test::RunProcess;
using test::TempFolder;
using test::WriteFileBytes;

class InteropCliTest : public ::testing::Test {
protected:
    test::ProcessResult Cli(const std::string& catalog, std::vector<std::string> args) {
        args.insert(args.begin(), {"--catalog", catalog});
        return RunProcess(REELKEEP_CLI_PATH, args);
    }
    std::string List(const std::string& catalog) { return Cli(catalog, {"list"}).out; }

    TempFolder first, second, files;
};

TEST_F(InteropCliTest, ImportPrintsThePreviewAndTheSummaryAndTakesTheAnswerForExistingMovies) {
    const std::string sheet = files / "movies.csv";
    WriteFileBytes(sheet, "Title,Year,Rating,Shelf\nAlien,1979,8.5,A1\nHeat,1995,,B2\nBad,later,,\n");
    const auto added = Cli(first.Path(), {"import", sheet});
    ASSERT_EQ(added.exitCode, 0) << added.err;
    EXPECT_NE(added.out.find("Read 2 movies (CSV).\n2 movies are new, for example Alien (1979), Heat (1995).\n"
                             "0 movies are already in the catalog.\n"),
              std::string::npos)
        << added.out;
    EXPECT_NE(added.out.find("Columns skipped (no field of that name): Shelf."), std::string::npos);
    EXPECT_NE(added.out.find("movies.csv line 4: \"Year\" \"later\" is not a whole number"),
              std::string::npos)
        << added.out;
    EXPECT_NE(added.out.find("2 movies added."), std::string::npos);
    EXPECT_EQ(List(first.Path()), "1\t1\tAlien\t1979\t8.5\t0\n2\t2\tHeat\t1995\t0\t0\n");

    WriteFileBytes(sheet, "Title,Year,Rating\nalien,1979,3\nHeat,1995,7\n");
    const auto skipped = Cli(first.Path(), {"import", sheet});
    EXPECT_NE(skipped.out.find("2 movies are already in the catalog, for example alien (1979), Heat (1995)."),
              std::string::npos);
    EXPECT_EQ(List(first.Path()), "1\t1\tAlien\t1979\t8.5\t0\n2\t2\tHeat\t1995\t0\t0\n");
    ASSERT_EQ(Cli(first.Path(), {"import", "--existing", "fill", sheet}).exitCode, 0);
    EXPECT_EQ(List(first.Path()), "1\t1\tAlien\t1979\t8.5\t0\n2\t2\tHeat\t1995\t7\t0\n");
    const auto replaced = Cli(first.Path(), {"import", "--existing", "replace", sheet});
    EXPECT_NE(replaced.out.find("0 movies added, 1 movie replaced, 1 movie already as the file has them."),
              std::string::npos)
        << replaced.out;
    EXPECT_EQ(List(first.Path()), "1\t1\talien\t1979\t3\t0\n2\t2\tHeat\t1995\t7\t0\n");

    EXPECT_EQ(Cli(first.Path(), {"import", "--existing", "merge", sheet}).exitCode, 2);
    const auto refused = Cli(first.Path(), {"import", files / "absent.csv"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("Nothing was imported."), std::string::npos);
}

// Every kind of file the import knows, each through the command line with its preview and its
// summary; the pictures the catalogs bring land in the catalog's folder.
TEST_F(InteropCliTest, EverySourceImportsWithItsPreviewAndSummary) {
    const std::string imdb = files / "ratings.csv";
    WriteFileBytes(imdb,
                   "Const,Your Rating,Date Rated,Title,URL,Title Type,IMDb Rating,Runtime (mins),Year,Genres,Directors\n"
                   "tt0078748,9,2021-01-01,Alien,,movie,8.5,117,1979,Horror,Ridley Scott\n"
                   "tt0903747,10,2021-01-03,Breaking Bad,,TV Series,9.5,49,2008,Drama,\n");
    const std::string letterboxd = files / "letterboxd.zip";
    WriteFileBytes(letterboxd, test::MakeZip(files.Path(), {
        {"watched.csv", "Date,Name,Year,Letterboxd URI\n2021-01-01,Stalker,1979,https://boxd.it/29Qe\n"},
        {"ratings.csv", "Date,Name,Year,Letterboxd URI,Rating\n2021-01-02,Stalker,1979,https://boxd.it/29Qe,4\n"},
    }));
    const std::string tellico = files / "videos.tc";
    WriteFileBytes(tellico, test::MakeZip(files.Path(), {
        {"tellico.xml",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<tellico xmlns=\"http://periapsis.org/tellico/\" syntaxVersion=\"11\">"
         "<collection title=\"Videos\" type=\"3\"><entry id=\"1\"><title>Solaris</title><year>1972</year>"
         "<cover>c0ffee.png</cover></entry></collection>"
         "<images><image id=\"c0ffee.png\" format=\"PNG\">" + test::Base64(test::kPng) + "</image></images>"
         "</tellico>"},
    }));
    const std::string gcstar = files / "Films.gcs";
    WriteFileBytes(files / "ronin.jpg", test::kJpeg);
    WriteFileBytes(gcstar, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<collection type=\"GCfilms\" items=\"1\">"
                           "<item id=\"1\" title=\"Ronin\" date=\"1998\" image=\"ronin.jpg\" seen=\"1\"/></collection>");
    ASSERT_EQ(Cli(second.Path(), {"add", "Heat"}).exitCode, 0);
    const std::string xml = files / "ours.xml";
    ASSERT_EQ(Cli(second.Path(), {"export", "--xml", xml, "--all"}).exitCode, 0);

    const struct {
        std::string file;
        std::string format;
        std::string title;
    } sources[] = {{imdb, "IMDb list", "Alien"}, {letterboxd, "Letterboxd", "Stalker"},
                   {tellico, "Tellico", "Solaris"}, {gcstar, "GCstar", "Ronin"}, {xml, "Reelkeep XML", "Heat"}};
    for (const auto& source : sources) {
        const auto imported = Cli(first.Path(), {"import", source.file});
        ASSERT_EQ(imported.exitCode, 0) << source.format << ": " << imported.err;
        EXPECT_NE(imported.out.find("Read 1 movie (" + source.format + ").\n1 movie is new, for example " +
                                    source.title),
                  std::string::npos)
            << imported.out;
        EXPECT_NE(imported.out.find("1 movie added."), std::string::npos) << imported.out;
        EXPECT_EQ(imported.out.find("could not be read"), std::string::npos) << imported.out;
    }
    const std::string list = List(first.Path());
    for (const char* title : {"Alien", "Stalker", "Solaris", "Ronin", "Heat"}) {
        EXPECT_NE(list.find(std::string("\t") + title + "\t"), std::string::npos) << list;
    }
    int pictures = 0;
    for (const auto& entry : std::filesystem::directory_iterator(first.Path())) {
        pictures += entry.path().filename().string().rfind("picture-", 0) == 0;
    }
    EXPECT_EQ(pictures, 2);
}

TEST_F(InteropCliTest, CsvExportOfAllMoviesImportsIntoAnEmptyCatalogAsTheSameMovies) {
    for (const char* title : {"Alien", "=SUM(1)", "Heat, the \"movie\""}) {
        ASSERT_EQ(Cli(first.Path(), {"add", title}).exitCode, 0);
    }
    const std::string csv = files / "all.csv";
    const auto exported = Cli(first.Path(), {"export", "--csv", csv, "--all"});
    ASSERT_EQ(exported.exitCode, 0) << exported.err;
    ASSERT_EQ(Cli(second.Path(), {"import", csv}).exitCode, 0);
    EXPECT_EQ(List(second.Path()), List(first.Path()));
    const std::string again = files / "again.csv";
    ASSERT_EQ(Cli(second.Path(), {"export", "--csv", again, "--all"}).exitCode, 0);
    EXPECT_EQ(ReadFileBytes(again), ReadFileBytes(csv));

    const std::string xml = files / "all.xml";
    ASSERT_EQ(Cli(first.Path(), {"export", "--xml", xml, "--all"}).exitCode, 0);
    EXPECT_EQ(ReadFileBytes(xml), Cli(first.Path(), {"show", "1", "2", "3"}).out);
    EXPECT_EQ(Cli(first.Path(), {"export", "--csv", csv, "--all", "2"}).exitCode, 2);
}

TEST_F(InteropCliTest, AnExportedPageCarriesItsStylesAndLinksNoSheet) {
    ASSERT_EQ(Cli(first.Path(), {"add", "Alien"}).exitCode, 0);
    ASSERT_EQ(Cli(first.Path(), {"add", "Heat"}).exitCode, 0);
    for (const std::vector<std::string>& which : {std::vector<std::string>{"1"}, std::vector<std::string>{"--all"}}) {
        const std::string page = files / "page.html";
        std::vector<std::string> args = {"export", "--html", page};
        args.insert(args.end(), which.begin(), which.end());
        const auto exported = Cli(first.Path(), args);
        ASSERT_EQ(exported.exitCode, 0) << exported.err;
        const std::string html = ReadFileBytes(page);
        EXPECT_EQ(html.find("Reelkeep.css"), std::string::npos);
        EXPECT_EQ(html.find("<link rel=\"stylesheet\""), std::string::npos);
        const std::size_t style = html.find("<style>");
        ASSERT_NE(style, std::string::npos);
        // The sheet's own rules, with their ">" as written.
        EXPECT_NE(html.find(".details > header", style), std::string::npos);
        EXPECT_LT(style, html.find("</head>"));
    }
}

}  // namespace
}  // namespace reelkeep
