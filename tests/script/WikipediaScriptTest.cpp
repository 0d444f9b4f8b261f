// The shipped "Wikipedia" script against the MediaWiki API's documented answers.
#include <gtest/gtest.h>

#include <map>

#include "SourceScriptFixture.h"

namespace reelkeep::test {
namespace {

const char kAgent[] = "Reelkeep/1.0 (desktop movie catalog; Wikipedia script)";

class WikipediaScriptTest : public SourceScriptFixture {
protected:
    void SetUp() override {
        SourceScriptFixture::SetUp();
        Rewrite("Include/Wikipedia.as", "https://en.wikipedia.org/w/api.php", server.Url("/w/api.php"));
        Rewrite("Include/Wikipedia.as", "WIKIPEDIA_PAUSE = 1000", "WIKIPEDIA_PAUSE = 20");
        server.Route("/w/api.php", [this](const HttpRequest& request, HttpExchange& exchange) {
            if (!answerWith.empty()) {
                exchange.Send(HttpTestServer::Response(200, answerWith));
                return;
            }
            if (busy) {
                exchange.Send(HttpTestServer::Response(429, Fixture("wikipedia/too-many-requests.html"),
                                                       "Content-Type: text/html\r\nRetry-After: 60\r\n"));
                return;
            }
            for (const auto& [query, fixture] : answers) {
                if (request.target.find(query) != std::string::npos) {
                    SendJson(exchange, 200, Fixture("wikipedia/" + fixture, "https://upload.wikimedia.org/", "/upload/"));
                    return;
                }
            }
            SendJson(exchange, 200, Fixture("wikipedia/search-none.json"));
        });
        server.RouteOthers([](const HttpRequest& request, HttpExchange& exchange) {
            exchange.Send(HttpTestServer::Response(200, "IMAGE " + request.target, "Content-Type: image/jpeg\r\n"));
        });
    }

    std::map<std::string, std::string> answers = {
        {"srsearch=The%20Matrix%201999%20film", "search-matrix.json"},
        {"pageids=30007", "page-matrix.json"},
        {"srsearch=Dune%20film", "search-dune.json"},
        {"pageids=52340219", "page-dune-2021.json"},
        {"srsearch=A%20Trip%20to%20the%20Moon%201902%20film", "search-short.json"},
        {"pageids=219339", "page-short.json"},
        {"srsearch=Am%C3%A9lie%202001%20film", "search-amelie.json"},
        {"pageids=57331", "page-amelie.json"},
    };
    bool busy = false;
    std::string answerWith;  // every answer, when set
};

TEST_F(WikipediaScriptTest, OneLikelyFilmFillsTheMovieFromItsInfoboxSummaryAndImage) {
    Movie movie;
    movie.szTitle = "The Matrix";
    movie.nYear = 1999;
    movie.pszPictures = {"old.jpg"};
    movie.fRating = 8.5f;
    const ObjectId oid = Add(movie);

    EXPECT_EQ(Run("Wikipedia", oid), 1);
    EXPECT_TRUE(host.boxes.empty()) << host.boxes.front().text;
    EXPECT_TRUE(host.asked.empty());  // one likely film: nothing to choose
    const Movie stored = Stored(oid);
    EXPECT_EQ(stored.szTitle, "The Matrix");
    EXPECT_EQ(stored.pszDirectors, (StringArray{"The Wachowskis"}));
    EXPECT_EQ(stored.pszProducers, (StringArray{"Joel Silver"}));
    EXPECT_EQ(stored.pszActors, (StringArray{"Keanu Reeves", "Laurence Fishburne", "Carrie-Anne Moss",
                                             "Hugo Weaving", "Joe Pantoliano"}));
    EXPECT_EQ(stored.pszCountries, (StringArray{"United States", "Australia"}));
    EXPECT_EQ(stored.pszLanguages, (StringArray{"English"}));
    EXPECT_EQ(stored.nLength, 136);
    EXPECT_EQ(stored.nYear, 1999);
    EXPECT_FLOAT_EQ(stored.fRating, 8.5f);  // Wikipedia gives none
    EXPECT_EQ(stored.szPlot.rfind("The Matrix is a 1999 science fiction action film", 0), 0u) << stored.szPlot;
    EXPECT_NE(stored.szPlot.find("\nThe film premiered"), std::string::npos);
    EXPECT_EQ(stored.pszPictures, (StringArray{"old.jpg", "440px-The_Matrix_Poster.jpg"}));
    EXPECT_EQ(ReadFileBytes(catalog / "440px-The_Matrix_Poster.jpg"),
              "IMAGE /upload/wikipedia/en/thumb/c/c1/The_Matrix_Poster.jpg/440px-The_Matrix_Poster.jpg");

    // One request at a time, each naming the program.
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 3u);
    for (const HttpRequest& request : requests) EXPECT_EQ(request.Header("User-Agent"), kAgent);
    EXPECT_NE(requests[0].target.find("action=query&list=search"), std::string::npos);
    EXPECT_NE(requests[0].target.find("format=json&formatversion=2"), std::string::npos);
    EXPECT_NE(requests[1].target.find("prop=extracts|pageimages|revisions"), std::string::npos)
        << requests[1].target;

    // A second run keeps the picture once.
    EXPECT_EQ(Run("Wikipedia", oid), 1);
    EXPECT_EQ(Stored(oid).pszPictures, (StringArray{"old.jpg", "440px-The_Matrix_Poster.jpg"}));
}

TEST_F(WikipediaScriptTest, SeveralLikelyFilmsAreOfferedWithTheirSnippetsAndMissingFieldsStay) {
    Movie movie;
    movie.szTitle = "Dune";
    movie.pszProducers = {"Kept Producer"};
    movie.pszLanguages = {"Kept Language"};
    movie.nLength = 99;
    const ObjectId oid = Add(movie);

    host.selectAnswer = -1;  // cancelled: nothing changes, no message
    EXPECT_EQ(Run("Wikipedia", oid), 1);
    EXPECT_TRUE(host.boxes.empty());
    ASSERT_EQ(host.offered.size(), 1u);
    // The novel is no film; each entry carries the hit's snippet for the info tip.
    EXPECT_EQ(host.offered[0],
              (StringArray{"Dune (1984 film): Dune is a 1984 American epic space opera film written and "
                           "directed by David Lynch, based on the 1965 novel by Frank Herbert",
                           "Dune (2021 film): Dune (titled on screen as Dune: Part One) is a 2021 American "
                           "epic science fiction film directed by Denis Villeneuve & co-written"}));
    EXPECT_EQ(Stored(oid).szPlot, "");
    EXPECT_EQ(Asked("/w/api.php").size(), 1u);

    host.selectAnswer = 1;
    EXPECT_EQ(Run("Wikipedia", oid), 1);
    EXPECT_TRUE(host.boxes.empty()) << host.boxes.front().text;
    const Movie stored = Stored(oid);
    EXPECT_EQ(stored.pszDirectors, (StringArray{"Denis Villeneuve"}));
    EXPECT_EQ(stored.pszActors, (StringArray{"Timoth\xC3\xA9" "e Chalamet", "Rebecca Ferguson", "Oscar Isaac"}));
    EXPECT_EQ(stored.nYear, 2021);
    EXPECT_EQ(stored.pszCountries, (StringArray{"United States"}));
    // The infobox gives no producer, language or running time, the page no image.
    EXPECT_EQ(stored.pszProducers, (StringArray{"Kept Producer"}));
    EXPECT_EQ(stored.pszLanguages, (StringArray{"Kept Language"}));
    EXPECT_EQ(stored.nLength, 99);
    EXPECT_TRUE(stored.pszPictures.empty());
    EXPECT_EQ(stored.szPlot.rfind("Dune (titled on screen as Dune: Part One)", 0), 0u);
}

TEST_F(WikipediaScriptTest, APageWithoutInfoboxGivesItsSummaryAndNonAsciiTitlesAreAskedAsUtf8) {
    Movie shortFilm;
    shortFilm.szTitle = "A Trip to the Moon";
    shortFilm.nYear = 1902;
    shortFilm.pszDirectors = {"Kept Director"};
    const ObjectId trip = Add(shortFilm);
    EXPECT_EQ(Run("Wikipedia", trip), 1);
    EXPECT_TRUE(host.boxes.empty()) << host.boxes.front().text;
    Movie stored = Stored(trip);
    EXPECT_EQ(stored.pszDirectors, (StringArray{"Kept Director"}));
    EXPECT_EQ(stored.nYear, 1902);
    EXPECT_EQ(stored.szPlot, "A Trip to the Moon is a 1902 French adventure short film directed by "
                             "Georges M\xC3\xA9li\xC3\xA8s.");

    Movie amelie;
    amelie.szTitle = "Am\xC3\xA9lie";
    amelie.nYear = 2001;
    const ObjectId oid = Add(amelie);
    EXPECT_EQ(Run("Wikipedia", oid), 1);
    EXPECT_TRUE(host.boxes.empty()) << host.boxes.front().text;
    stored = Stored(oid);
    EXPECT_EQ(stored.pszDirectors, (StringArray{"Jean-Pierre Jeunet"}));
    EXPECT_EQ(stored.pszProducers, (StringArray{"Jean-Marc Deschamps", "Claudie Ossard"}));
    EXPECT_EQ(stored.pszActors, (StringArray{"Audrey Tautou", "Mathieu Kassovitz"}));
    EXPECT_EQ(stored.pszCountries, (StringArray{"France", "Germany"}));
    EXPECT_EQ(stored.pszLanguages, (StringArray{"French"}));
    EXPECT_EQ(stored.nLength, 122);
    EXPECT_EQ(stored.szPlot.rfind("Am\xC3\xA9lie (French: Le Fabuleux Destin d'Am\xC3\xA9lie Poulain)", 0), 0u);
    // The picture's escaped name becomes the file's UTF-8 name.
    EXPECT_EQ(stored.pszPictures, (StringArray{"440px-Am\xC3\xA9lie_poster.jpg"}));
    EXPECT_TRUE(FileExists(catalog / "440px-Am\xC3\xA9lie_poster.jpg"));
}

TEST_F(WikipediaScriptTest, NoHitAndTooManyRequestsSayWhyAndChangeNothing) {
    Movie movie;
    movie.szTitle = "Nothing Here";
    movie.nYear = 1950;
    movie.szPlot = "kept";
    const ObjectId oid = Add(movie);
    EXPECT_EQ(Run("Wikipedia", oid), 1);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].text, "Wikipedia has no film page for \"Nothing Here\" (1950).");
    EXPECT_EQ(Stored(oid).szPlot, "kept");

    busy = true;
    host.boxes.clear();
    const std::size_t before = server.Requests().size();
    EXPECT_EQ(Run("Wikipedia", oid), 1);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_NE(host.boxes[0].text.find("Too many requests\" (HTTP 429)"), std::string::npos) << host.boxes[0].text;
    EXPECT_EQ(server.Requests().size(), before + 1);  // no further request after the refusal
    EXPECT_EQ(Stored(oid).szPlot, "kept");

    // An error of the API itself, and a page that is no JSON at all (a wrong address).
    busy = false;
    const struct {
        std::string answer;
        const char* message;
    } refusals[] = {
        {Fixture("wikipedia/error-maxlag.json"),
         "Wikipedia refused the request: Waiting for 10.64.48.150: 7 seconds lagged. (maxlag)"},
        {"<html><body>Sign in to the network</body></html>",
         "Wikipedia answered with something other than JSON"},
    };
    for (const auto& refusal : refusals) {
        answerWith = refusal.answer;
        host.boxes.clear();
        EXPECT_EQ(Run("Wikipedia", oid), 1);
        ASSERT_EQ(host.boxes.size(), 1u);
        EXPECT_EQ(host.boxes[0].text.rfind(refusal.message, 0), 0u) << host.boxes[0].text;
        EXPECT_EQ(Stored(oid).szPlot, "kept");
    }
}

}  // namespace
}  // namespace reelkeep::test
