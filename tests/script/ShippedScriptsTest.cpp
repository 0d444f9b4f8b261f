// The example scripts shipped beside the program, run as the window runs them, against pages
// served on 127.0.0.1.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "catalog/CatalogPaths.h"
#include "platform/MessageBoxStyle.h"
#include "script/ScriptFiles.h"
#include "script/ScriptRunner.h"
#include "support/HttpTestServer.h"
#include "support/TempFolder.h"

namespace reelkeep {
namespace {

using test::HttpTestServer;
using test::TempFolder;

// Shows nothing; answers input and select as told, and keeps every message box's text.
struct AnsweringHost : ScriptRunHost {
    void SetRange(std::uint32_t) override {}
    void SetPosition(std::uint32_t) override {}
    void SetItemState(std::size_t, ItemState) override {}
    void MovieStored(std::size_t, const std::string&, bool) override {}
    int MessageBox(const std::string& text, const std::string&, std::uint32_t style) override {
        messages.push_back(text);
        return MessageDefaultResult(style);
    }
    bool Input(std::string& value, const std::string&, const std::string&, bool) override {
        if (!inputAnswer)
            return false;
        value = *inputAnswer;
        return true;
    }
    int Select(const StringArray& items, const std::string&, const std::string&) override {
        offered = items;
        return selectAnswer;
    }

    std::vector<std::string> messages;
    std::optional<std::string> inputAnswer;
    StringArray offered;
    int selectAnswer = -1;
};

class ShippedScriptsTest : public ::testing::Test {
protected:
    ObjectId Add(Movie movie) {
        CatalogDatabase database(catalogFile);
        database.Open(CatalogDatabase::Access::ReadWrite);
        const ObjectId oid = database.Insert(movie);
        database.Close();
        return oid;
    }

    Movie Stored(ObjectId oid) {
        CatalogDatabase database(catalogFile);
        database.Open(CatalogDatabase::Access::ReadOnly);
        Movie movie;
        EXPECT_TRUE(database.Fetch(oid, movie));
        return movie;
    }

    // Runs a shipped script over one movie; true when it was stored.
    bool Run(const std::string& name, ObjectId oid) {
        const std::string scripts = DefaultScriptsFolder();
        const auto text = ReadScriptText(scripts, name);
        EXPECT_TRUE(text) << "no shipped script " << name;
        if (!text)
            return false;
        ScriptRun run(host, catalog.Path(), 5000);
        ScriptRunner runner(run, *text, ReadIncludeText(scripts, name), catalogFile);
        runner.ScriptWorker({{oid, Stored(oid).szTitle}});
        return host.messages.empty();
    }

    TempFolder catalog;
    std::string catalogFile = CatalogFilePath(catalog.Path());
    AnsweringHost host;
    HttpTestServer server;
};

TEST_F(ShippedScriptsTest, TheScriptsAreListedFromTheProgramsFolder) {
    std::vector<std::string> names;
    for (const ScriptEntry& entry : FindScripts(DefaultScriptsFolder()))
        names.push_back(entry.name);
    EXPECT_EQ(names, (std::vector<std::string>{"Fetch Details", "Split Lists", "Tidy Title"}));
}

TEST_F(ShippedScriptsTest, TidyTitleTrimsAndPutsTheArticleInFront) {
    Movie movie;
    movie.szTitle = "  Third Man, The ";
    movie.szTranslated = "\tDer dritte Mann ";
    const ObjectId oid = Add(movie);
    ASSERT_TRUE(Run("Tidy Title", oid)) << host.messages.front();
    EXPECT_EQ(Stored(oid).szTitle, "The Third Man");
    EXPECT_EQ(Stored(oid).szTranslated, "Der dritte Mann");

    movie.szTitle = "Casablanca";
    const ObjectId plain = Add(movie);
    ASSERT_TRUE(Run("Tidy Title", plain));
    EXPECT_EQ(Stored(plain).szTitle, "Casablanca");
}

TEST_F(ShippedScriptsTest, SplitListsMakesOneEntryPerName) {
    Movie movie;
    movie.szTitle = "Casablanca";
    movie.pszActors = {"Humphrey Bogart, Ingrid Bergman ,, Paul Henreid", "Claude Rains"};
    movie.pszCountries = {"USA"};
    const ObjectId oid = Add(movie);
    ASSERT_TRUE(Run("Split Lists", oid)) << host.messages.front();
    const Movie stored = Stored(oid);
    EXPECT_EQ(stored.pszActors,
              (StringArray{"Humphrey Bogart", "Ingrid Bergman", "Paul Henreid", "Claude Rains"}));
    EXPECT_EQ(stored.pszCountries, StringArray{"USA"});
    EXPECT_TRUE(stored.pszDirectors.empty());
}

const char kMoviePage[] =
    "<html><h1 class=\"title\">Casablanca &#38; more</h1><span class=\"year\">1942</span>"
    "<span class=\"rating\">8.5</span>"
    "<p class=\"plot\">  A caf&#233; owner and an old flame. </p>"
    "<a class=\"director\" href=\"/p/1\">Michael Curtiz</a>"
    "<a class=\"actor\" href=\"/p/2\">Humphrey Bogart</a><a class=\"actor\" href=\"/p/3\">"
    "Ingrid Bergman</a><img class=\"cover\" src=\"../covers/casablanca.jpg\"></html>";

TEST_F(ShippedScriptsTest, FetchDetailsFillsTheFieldsAndDownloadsTheCover) {
    server.Serve("/movies/casablanca", kMoviePage);
    server.Serve("/covers/casablanca.jpg", std::string("\xFF\xD8JPEG\0data", 10), "image/jpeg");
    Movie movie;
    movie.szTitle = "Casablanca";
    movie.szURL = server.Url("/movies/casablanca");
    movie.pszPictures = {"old.jpg"};
    const ObjectId oid = Add(movie);
    ASSERT_TRUE(Run("Fetch Details", oid)) << host.messages.front();

    const Movie stored = Stored(oid);
    EXPECT_EQ(stored.szTitle, "Casablanca & more");
    EXPECT_EQ(stored.nYear, 1942);
    EXPECT_FLOAT_EQ(stored.fRating, 8.5f);
    EXPECT_EQ(stored.szPlot, "A caf\xE9 owner and an old flame.");  // references are read as bytes
    EXPECT_EQ(stored.pszDirectors, StringArray{"Michael Curtiz"});
    EXPECT_EQ(stored.pszActors, (StringArray{"Humphrey Bogart", "Ingrid Bergman"}));
    EXPECT_EQ(stored.pszPictures, (StringArray{"old.jpg", "casablanca.jpg"}));
    std::ifstream cover(catalog.Path() + "casablanca.jpg", std::ios::binary);
    std::ostringstream bytes;
    bytes << cover.rdbuf();
    EXPECT_EQ(bytes.str(), std::string("\xFF\xD8JPEG\0data", 10));
}

TEST_F(ShippedScriptsTest, FetchDetailsLetsTheUserPickFromASearchPage) {
    server.Serve(
        "/search",
        "<ul><li class=\"result\"><a href=\"/movies/1\">Casablanca (1942)</a></li>"
        "<li class=\"result\"><a href=\"movies/2\">Casablanca Express (1989)</a></li></ul>");
    server.Serve("/movies/2", "<h1>Casablanca Express</h1><span class=\"year\">1989</span>");
    Movie movie;
    movie.szTitle = "Casablanca";
    const ObjectId oid = Add(movie);
    host.inputAnswer = " " + server.Url("/search") + " ";
    host.selectAnswer = 1;
    ASSERT_TRUE(Run("Fetch Details", oid)) << host.messages.front();
    EXPECT_EQ(host.offered, (StringArray{"Casablanca (1942)", "Casablanca Express (1989)"}));
    const Movie stored = Stored(oid);
    EXPECT_EQ(stored.szTitle, "Casablanca Express");
    EXPECT_EQ(stored.nYear, 1989);
    EXPECT_EQ(stored.szURL, server.Url("/movies/2"));
}

TEST_F(ShippedScriptsTest, FetchDetailsChangesNothingWhenTheUserCancels) {
    Movie movie;
    movie.szTitle = "Casablanca";
    const ObjectId oid = Add(movie);
    ASSERT_TRUE(Run("Fetch Details", oid));  // cancelling the address ends the script quietly
    EXPECT_EQ(Stored(oid).szURL, "");
    EXPECT_EQ(Stored(oid).szTitle, "Casablanca");
}

}  // namespace
}  // namespace reelkeep
