// The scripts shipped in resources/Scripts, run from the source tree against pages served on
// 127.0.0.1 (the site address in Include/Site.as is pointed at the test server).
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "catalog/CatalogPaths.h"
#include "script/RecordingHost.h"
#include "script/ScriptFiles.h"
#include "script/ScriptRunner.h"
#include "support/HttpTestServer.h"
#include "support/TempFolder.h"

namespace reelkeep {
namespace {

namespace fs = std::filesystem;
using test::HttpTestServer;
using test::TempFolder;

const char kMoviePage[] = R"(<html><head><title>Matrix</title></head><body>
<h1 class="title">The Matrix</h1>
<span class="year">1999</span> <span class="length">136 min</span>
<span class="rating">8.7</span>
<span class="country">USA</span><span class="country">Australia</span>
<span class="genre">Action</span><span class="genre">Sci-Fi</span><span class="genre">Action</span>
<a class="director" href="/p/1">Lana Wachowski</a>, <a class="director" href="/p/2">Lilly Wachowski</a>
<a class="actor" href="/p/3">Keanu Reeves</a><a class="actor" href="/p/4">Carrie-Anne Moss</a>
<div class="plot">A hacker learns <b>the truth</b> &amp; joins
the fight.<br/>Caf&#233; scene included.</div>
<img class="poster" src="/img/matrix.jpg">
</body></html>)";

class ShippedScriptsTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::copy(REELKEEP_SOURCE_DIR "/resources/Scripts", scripts.Path(), fs::copy_options::recursive);
        test::WriteFileBytes(scripts / "Include/Site.as",
                             "const string SITE = '" + server.Url("") + "';\n");
        // The scripts for public sources ask the test server too, never the sources.
        for (const char* source : {"Include/Wikipedia.as", "Include/TMDB.as"}) {
            std::string text = test::ReadFileBytes(scripts / source);
            for (std::size_t at = text.find("'https://"); at != std::string::npos; at = text.find("'https://", at)) {
                const std::size_t end = text.find('\'', at + 1);
                text.replace(at + 1, end - at - 1, server.Url("/source"));
            }
            test::WriteFileBytes(scripts / source, text);
        }
        server.Route("/search", [](const test::HttpRequest& request, test::HttpExchange& exchange) {
            const bool matrix = request.target.find("q=The+Matrix") != std::string::npos;
            exchange.Send(HttpTestServer::Response(
                200, matrix ? "<ul><li><a class=\"result\" href=\"/title/1\">The Matrix (1999)</a></li>"
                              "<li><a class=\"result\" href=\"/title/2\">The Matrix <i>Reloaded</i></a></li></ul>"
                            : "<p>No results.</p>"));
        });
        server.Serve("/title/1", kMoviePage);
        server.Serve("/img/matrix.jpg", "JPEG BYTES", "image/jpeg");
    }

    ObjectId Add(Movie movie) {
        CatalogDatabase database(CatalogFilePath(catalog.Path()));
        database.Open(CatalogDatabase::Access::ReadWrite);
        return database.Insert(movie);
    }

    Movie Stored(ObjectId oid) {
        CatalogDatabase database(CatalogFilePath(catalog.Path()));
        database.Open(CatalogDatabase::Access::ReadOnly);
        Movie movie;
        EXPECT_TRUE(database.Fetch(oid, movie));
        return movie;
    }

    void Run(const std::string& name, ObjectId oid) {
        const auto text = ReadScriptText(scripts.Path(), name);
        ASSERT_TRUE(text) << name;
        ScriptRun run(host, catalog.Path(), 5000);
        ScriptRunner runner(run, *text, ReadIncludeText(scripts.Path(), name),
                            CatalogFilePath(catalog.Path()));
        runner.ScriptWorker({{oid, Stored(oid).szTitle}});
    }

    HttpTestServer server;
    TempFolder scripts, catalog;
    test::RecordingHost host;
};

TEST_F(ShippedScriptsTest, EveryScriptIsListedAndCompiles) {
    const auto found = FindScripts(scripts.Path());
    std::vector<std::string> names;
    for (const auto& script : found) names.push_back(script.name);
    EXPECT_EQ(names, (std::vector<std::string>{"Fetch Details", "Search Title", "Split Lists", "Tidy Title",
                                              "TMDB", "Wikipedia"}));

    // Without a web address, the fetching script stops early with a hint and no error.
    Movie movie;
    movie.szTitle = "Nothing";
    const ObjectId oid = Add(movie);
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        host.boxes.clear();
        Run(name, oid);
        for (const auto& box : host.boxes) EXPECT_EQ(box.text.find(" : Error : "), std::string::npos) << box.text;
    }
}

TEST_F(ShippedScriptsTest, TidyTitleAndSplitLists) {
    Movie movie;
    movie.szTitle = "  Matrix,   The ";
    movie.pszDirectors = {"Lana Wachowski, Lilly Wachowski"};
    movie.pszActors = {"Keanu Reeves", " Carrie-Anne Moss ,, Laurence Fishburne"};
    movie.pszCategories = {"Action,Sci-Fi"};
    const ObjectId oid = Add(movie);
    Run("Tidy Title", oid);
    Run("Split Lists", oid);
    EXPECT_TRUE(host.boxes.empty()) << host.boxes.front().text;
    const Movie stored = Stored(oid);
    EXPECT_EQ(stored.szTitle, "The Matrix");
    EXPECT_EQ(stored.pszDirectors, (StringArray{"Lana Wachowski", "Lilly Wachowski"}));
    EXPECT_EQ(stored.pszActors, (StringArray{"Keanu Reeves", "Carrie-Anne Moss", "Laurence Fishburne"}));
    EXPECT_EQ(stored.pszCategories, (StringArray{"Action", "Sci-Fi"}));
}

TEST_F(ShippedScriptsTest, SearchOffersTheResultsAndFetchFillsTheMovieIn) {
    Movie movie;
    movie.szTitle = "The Matrix";
    movie.pszPictures = {"old.jpg"};
    const ObjectId oid = Add(movie);

    host.selectAnswer = 0;
    Run("Search Title", oid);
    EXPECT_EQ(host.asked, std::vector<std::string>{"select 2"});
    EXPECT_EQ(Stored(oid).szURL, server.Url("/title/1"));

    Run("Fetch Details", oid);
    EXPECT_TRUE(host.boxes.empty()) << host.boxes.front().text;
    const Movie stored = Stored(oid);
    EXPECT_EQ(stored.nYear, 1999);
    EXPECT_EQ(stored.nLength, 136);
    EXPECT_FLOAT_EQ(stored.fRating, 8.7f);
    EXPECT_EQ(stored.szTranslated, "");  // the page's title is the movie's own
    EXPECT_EQ(stored.szPlot, "A hacker learns the truth & joins the fight.\nCaf\xE9 scene included.");
    EXPECT_EQ(stored.pszDirectors, (StringArray{"Lana Wachowski", "Lilly Wachowski"}));
    EXPECT_EQ(stored.pszActors, (StringArray{"Keanu Reeves", "Carrie-Anne Moss"}));
    EXPECT_EQ(stored.pszCountries, (StringArray{"USA", "Australia"}));
    EXPECT_EQ(stored.pszCategories, (StringArray{"Action", "Sci-Fi"}));
    EXPECT_EQ(stored.pszPictures, (StringArray{"old.jpg", "matrix.jpg"}));
    EXPECT_EQ(test::ReadFileBytes(catalog / "matrix.jpg"), "JPEG BYTES");

    // Cancelling the choice changes nothing; no result says so.
    host.selectAnswer = -1;
    Run("Search Title", oid);
    EXPECT_EQ(Stored(oid).szURL, server.Url("/title/1"));
    Movie unknown;
    unknown.szTitle = "Unknown Film";
    const ObjectId other = Add(unknown);
    Run("Search Title", other);
    ASSERT_FALSE(host.boxes.empty());
    EXPECT_EQ(host.boxes.back().text, "Nothing was found for \"Unknown Film\".");
    EXPECT_EQ(Stored(other).szURL, "");
}

TEST_F(ShippedScriptsTest, APosterNamedLikeTheCatalogIsNeverDownloaded) {
    // Pages whose poster carries a name the catalog uses for itself.
    const std::vector<std::string> posters = {"/img/Movies.db", "/img/MOVIES.DB-wal",
                                              "/img/movies.db-journal", "/img/Movies.DB-shm",
                                              "/img/Movies.db.new-AbC123"};
    std::vector<ObjectId> oids;
    for (std::size_t i = 0; i < posters.size(); ++i) {
        std::string page = kMoviePage;
        page.replace(page.find("/img/matrix.jpg"), std::strlen("/img/matrix.jpg"), posters[i]);
        server.Serve("/title/h" + std::to_string(i), page);
        server.Serve(posters[i], "NOT A CATALOG", "image/jpeg");
        Movie movie;
        movie.szTitle = "Hostile " + std::to_string(i);
        movie.szURL = server.Url("/title/h" + std::to_string(i));
        oids.push_back(Add(movie));
    }
    const std::string catalogBefore = test::ReadFileBytes(CatalogFilePath(catalog.Path()));

    for (const ObjectId oid : oids) Run("Fetch Details", oid);

    EXPECT_TRUE(host.boxes.empty()) << host.boxes.front().text;
    for (const ObjectId oid : oids) {
        const Movie stored = Stored(oid);  // every movie is still there, filled in
        EXPECT_EQ(stored.nYear, 1999);
        EXPECT_TRUE(stored.pszPictures.empty()) << stored.pszPictures.front();
    }
    for (const test::HttpRequest& request : server.Requests()) {
        EXPECT_EQ(request.target.find("/img/"), std::string::npos) << request.target;
    }
    for (const auto& entry : fs::directory_iterator(catalog.Path())) {
        EXPECT_EQ(test::ReadFileBytes(entry.path().string()).find("NOT A CATALOG"), std::string::npos)
            << entry.path();
    }
    EXPECT_NE(catalogBefore.size(), 0u);
}

}  // namespace
}  // namespace reelkeep
