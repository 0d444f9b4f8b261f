// The shipped "TMDB" script against the TMDB API's documented answers: the key asked for once
// and remembered, searching, picking, details with credits, and the failures a user meets.
#include <gtest/gtest.h>

#include <cctype>
#include <functional>

#include "SourceScriptFixture.h"

namespace reelkeep::test {
namespace {

const char kKey[] = "0123456789abcdef0123456789abcdef";

class TmdbScriptTest : public SourceScriptFixture {
protected:
    void SetUp() override {
        SourceScriptFixture::SetUp();
        Rewrite("Include/TMDB.as", "https://api.themoviedb.org/3", server.Url("/3"));
        Rewrite("Include/TMDB.as", "https://image.tmdb.org/t/p/w500", server.Url("/t/p/w500"));
        Rewrite("Include/TMDB.as", "TMDB_PAUSE = 300", "TMDB_PAUSE = 10");
        using Choose = std::function<std::string(const std::string&)>;
        const auto answer = [this](Choose fixture) {
            return [this, fixture](const HttpRequest& request, HttpExchange& exchange) {
                if (busy) {
                    SendJson(exchange, 429, Fixture("tmdb/rate-limit.json"));
                } else if (request.target.find(std::string("api_key=") + kKey) == std::string::npos) {
                    SendJson(exchange, 401, Fixture("tmdb/invalid-key.json"));
                } else {
                    SendJson(exchange, 200, Fixture("tmdb/" + fixture(request.target)));
                }
            };
        };
        // TMDB's search takes no account of case.
        server.Route("/3/search/movie", answer([](std::string target) -> std::string {
            for (char& c : target) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            if (target.find("query=the%20matrix&year=1999") != std::string::npos) return "search-matrix.json";
            if (target.find("query=solaris&") != std::string::npos) return "search-solaris.json";
            if (target.find("query=am%c3%a9lie&year=2001") != std::string::npos) return "search-amelie.json";
            return "search-none.json";
        }));
        for (const char* id : {"603", "2103", "194"}) {
            server.Route(std::string("/3/movie/") + id,
                         answer([id](const std::string&) { return std::string("movie-") + id + ".json"; }));
        }
        server.RouteOthers([](const HttpRequest& request, HttpExchange& exchange) {
            exchange.Send(HttpTestServer::Response(200, "POSTER " + request.target, "Content-Type: image/jpeg\r\n"));
        });
    }

    std::string RememberedKey() { return ReadFileBytes(config / "xdg/Tarvenn/Reelkeep Scripts/TMDBKey"); }

    bool busy = false;
};

TEST_F(TmdbScriptTest, TheKeyIsAskedOnceAndTheMovieFilledFromDetailsAndCredits) {
    Movie movie;
    movie.szTitle = "the matrix";
    movie.nYear = 1999;
    movie.pszPictures = {"old.jpg"};
    movie.szLocation = "Shelf 3";
    const ObjectId oid = Add(movie);

    host.inputAnswer = std::string("  ") + kKey + " ";
    EXPECT_EQ(Run("TMDB", oid), 1);
    EXPECT_TRUE(host.boxes.empty()) << host.boxes.front().text;
    ASSERT_EQ(host.asked.size(), 1u);  // the key; one result has the title and year
    EXPECT_EQ(host.asked[0].rfind("TMDB API key|", 0), 0u) << host.asked[0];
    EXPECT_EQ(RememberedKey(), kKey);

    const Movie stored = Stored(oid);
    EXPECT_EQ(stored.szTitle, "The Matrix");
    EXPECT_EQ(stored.szTranslated, "");  // the original title is the same
    EXPECT_EQ(stored.nYear, 1999);
    EXPECT_EQ(stored.nLength, 136);
    EXPECT_EQ(stored.pszCategories, (StringArray{"Action", "Science Fiction"}));
    EXPECT_EQ(stored.pszCountries, (StringArray{"Australia", "United States of America"}));
    EXPECT_EQ(stored.pszLanguages, (StringArray{"English"}));
    EXPECT_EQ(stored.pszDirectors, (StringArray{"Lilly Wachowski", "Lana Wachowski"}));
    EXPECT_EQ(stored.pszProducers, (StringArray{"Joel Silver"}));
    EXPECT_EQ(stored.pszActors, (StringArray{"Keanu Reeves", "Laurence Fishburne", "Carrie-Anne Moss",
                                             "Hugo Weaving", "Joe Pantoliano"}));
    EXPECT_EQ(stored.szPlot.rfind("Set in the 22nd century, The Matrix", 0), 0u);
    EXPECT_FLOAT_EQ(stored.fRating, 8.2f);
    EXPECT_EQ(stored.szURL, "https://www.imdb.com/title/tt0133093/");
    EXPECT_EQ(stored.szLocation, "Shelf 3");
    EXPECT_EQ(stored.pszPictures, (StringArray{"old.jpg", "f89U3ADr1oiB1s9GkdPOEpXUk5H.jpg"}));
    EXPECT_EQ(ReadFileBytes(catalog / "f89U3ADr1oiB1s9GkdPOEpXUk5H.jpg"),
              "POSTER /t/p/w500/f89U3ADr1oiB1s9GkdPOEpXUk5H.jpg");
    const auto details = Asked("/3/movie/603");
    ASSERT_EQ(details.size(), 1u);
    EXPECT_NE(details[0].find("append_to_response=credits"), std::string::npos);
    for (const HttpRequest& request : server.Requests())
        EXPECT_EQ(request.Header("User-Agent"), "Reelkeep/1.0 (desktop movie catalog; TMDB script)");

    // The next run, a new run of the program, takes the remembered key without asking.
    host.asked.clear();
    host.inputAnswer.reset();
    EXPECT_EQ(Run("TMDB", oid), 1);
    EXPECT_TRUE(host.asked.empty());
    EXPECT_TRUE(host.boxes.empty()) << host.boxes.front().text;
    EXPECT_EQ(Asked("/3/movie/603").size(), 2u);
}

TEST_F(TmdbScriptTest, AWrongKeyIsSaidPlainlyForgottenAndLeavesTheMovieAsItWas) {
    Movie movie;
    movie.szTitle = "The Matrix";
    movie.nYear = 1999;
    movie.szPlot = "kept";
    const ObjectId oid = Add(movie);

    host.inputAnswer = "wrong-key";
    EXPECT_EQ(Run("TMDB", oid), 1);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].text.rfind("TMDB did not accept the API key \"wrong-key\": Invalid API key: "
                                       "You must be granted a valid key.\n", 0),
              0u)
        << host.boxes[0].text;
    EXPECT_FALSE(FileExists(config / "xdg/Tarvenn/Reelkeep Scripts/TMDBKey"));
    EXPECT_EQ(Stored(oid).szPlot, "kept");
    EXPECT_EQ(Stored(oid).szTitle, "The Matrix");

    // A remembered key that TMDB no longer takes is forgotten too; the next run asks again.
    SourceScriptFixture::Rewrite("TMDB.rks", "string key = TmdbKey(typed);",
                                 "user.remember('TMDBKey', 'revoked'); string key = TmdbKey(typed);");
    host.boxes.clear();
    host.asked.clear();
    EXPECT_EQ(Run("TMDB", oid), 1);
    EXPECT_TRUE(host.asked.empty());
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_NE(host.boxes[0].text.find("\"revoked\""), std::string::npos);
    EXPECT_FALSE(FileExists(config / "xdg/Tarvenn/Reelkeep Scripts/TMDBKey"));

    // Cancelling the question leaves everything as it was, without a request.
    host.inputAnswer.reset();
    const std::size_t requests = server.Requests().size();
    SourceScriptFixture::Rewrite("TMDB.rks", "user.remember('TMDBKey', 'revoked'); ", "");
    EXPECT_EQ(Run("TMDB", oid), 1);
    EXPECT_EQ(server.Requests().size(), requests);
    EXPECT_EQ(Stored(oid).szPlot, "kept");
}

TEST_F(TmdbScriptTest, SeveralHitsAreOfferedAndFieldsTmdbLacksStay) {
    Movie movie;
    movie.szTitle = "Solaris";
    movie.szPlot = "kept plot";
    movie.pszActors = {"Kept Actor"};
    movie.nLength = 115;
    movie.fRating = 7.0f;
    movie.szURL = "https://example.org/solaris";
    const ObjectId oid = Add(movie);
    host.inputAnswer = kKey;
    host.selectAnswer = 1;
    EXPECT_EQ(Run("TMDB", oid), 1);
    EXPECT_TRUE(host.boxes.empty()) << host.boxes.front().text;
    ASSERT_EQ(host.offered.size(), 1u);
    ASSERT_EQ(host.offered[0].size(), 2u);
    EXPECT_EQ(host.offered[0][0].rfind("Solaris (1972): Ground control has been receiving", 0), 0u);
    EXPECT_EQ(host.offered[0][1].rfind("Solaris (2002): A troubled psychologist", 0), 0u);

    const Movie stored = Stored(oid);
    EXPECT_EQ(stored.pszDirectors, (StringArray{"Steven Soderbergh"}));
    EXPECT_EQ(stored.szPlot, "kept plot");
    EXPECT_EQ(stored.pszActors, (StringArray{"Kept Actor"}));
    EXPECT_EQ(stored.nLength, 115);
    EXPECT_EQ(stored.nYear, 0);
    EXPECT_FLOAT_EQ(stored.fRating, 7.0f);
    EXPECT_EQ(stored.szURL, "https://example.org/solaris");
    EXPECT_TRUE(stored.pszPictures.empty());
    EXPECT_TRUE(Asked("/t/").empty());
}

TEST_F(TmdbScriptTest, NonAsciiTitlesCastInBillingOrderAndABoundedCast) {
    Rewrite("Include/TMDB.as", "TMDB_CAST = 15", "TMDB_CAST = 2");
    Movie movie;
    movie.szTitle = "Am\xC3\xA9lie";
    movie.nYear = 2001;
    const ObjectId oid = Add(movie);
    host.inputAnswer = kKey;
    EXPECT_EQ(Run("TMDB", oid), 1);
    EXPECT_TRUE(host.boxes.empty()) << host.boxes.front().text;
    EXPECT_EQ(host.asked.size(), 1u);
    const Movie stored = Stored(oid);
    EXPECT_EQ(stored.szTitle, "Am\xC3\xA9lie");
    EXPECT_EQ(stored.szTranslated, "Le Fabuleux Destin d'Am\xC3\xA9lie Poulain");
    EXPECT_EQ(stored.pszActors, (StringArray{"Audrey Tautou", "Mathieu Kassovitz"}));
    EXPECT_EQ(stored.pszLanguages, (StringArray{"French"}));
    EXPECT_EQ(stored.pszCountries, (StringArray{"France", "Germany"}));
    EXPECT_EQ(stored.szPlot, "At a tiny Parisian caf\xC3\xA9, the adorable yet painfully shy Am\xC3\xA9lie "
                             "accidentally discovers a gift for helping others.");
    EXPECT_FLOAT_EQ(stored.fRating, 7.9f);
    EXPECT_EQ(Asked("/3/search/movie?").size(), 1u);
}

TEST_F(TmdbScriptTest, NoHitAndTooManyRequestsSayWhyAndChangeNothing) {
    Movie movie;
    movie.szTitle = "Nothing Here";
    movie.nYear = 1950;
    movie.szPlot = "kept";
    const ObjectId oid = Add(movie);
    host.inputAnswer = kKey;
    EXPECT_EQ(Run("TMDB", oid), 1);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].text, "TMDB knows no movie \"Nothing Here\" (1950).");
    // With the year and, since nothing came, without it.
    const auto searches = Asked("/3/search/movie?");
    ASSERT_EQ(searches.size(), 2u);
    EXPECT_NE(searches[0].find("&year=1950"), std::string::npos);
    EXPECT_EQ(searches[1].find("year="), std::string::npos);
    EXPECT_EQ(Stored(oid).szPlot, "kept");

    busy = true;
    host.boxes.clear();
    EXPECT_EQ(Run("TMDB", oid), 1);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_NE(host.boxes[0].text.find("too many requests (HTTP 429)"), std::string::npos) << host.boxes[0].text;
    EXPECT_EQ(Stored(oid).szPlot, "kept");
    EXPECT_EQ(RememberedKey(), kKey);  // a busy source is no wrong key
}

}  // namespace
}  // namespace reelkeep::test
