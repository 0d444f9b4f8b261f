// Script runs end to end: a real catalog, a real engine, a real HTTP server on 127.0.0.1.
#include "script/ScriptRunner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "catalog/CatalogPaths.h"
#include "platform/MessageBoxStyle.h"
#include "support/HttpTestServer.h"
#include "support/TempFolder.h"
#include "script/RecordingHost.h"

namespace reelkeep {
namespace {

using namespace std::chrono_literals;
using test::HttpExchange;
using test::HttpRequest;
using test::HttpTestServer;
using test::TempFolder;
using ItemState = ScriptRunHost::ItemState;
using test::RecordingHost;

class ScriptRunnerTest : public ::testing::Test {
protected:
    ObjectId Add(const std::string& title, int year = 0) {
        CatalogDatabase database(catalogFile);
        database.Open(CatalogDatabase::Access::ReadWrite);
        Movie movie;
        movie.szTitle = title;
        movie.nYear = year;
        movie.bWatched = year % 2;
        movie.pnSizes = {1234};
        movie.pszFilenames = {title + ".avi"};
        movie.pszActors = {"First Actor"};
        movie.pszPictures = {"old.jpg"};
        movie.dtAdded.stamp = 1000;
        return database.Insert(movie);
    }

    Movie Stored(ObjectId oid) {
        CatalogDatabase database(catalogFile);
        database.Open(CatalogDatabase::Access::ReadOnly);
        Movie movie;
        EXPECT_TRUE(database.Fetch(oid, movie));
        return movie;
    }

    std::vector<ScriptRunMovie> Movies(std::initializer_list<ObjectId> oids) {
        std::vector<ScriptRunMovie> movies;
        for (const ObjectId oid : oids) movies.push_back({oid, Stored(oid).szTitle});
        return ScriptRunner::InRunOrder(movies);
    }

    int Run(const std::string& script, const std::vector<ScriptRunMovie>& movies,
            const std::string& include = {}, std::uint32_t timeout = 0) {
        ScriptRun run(host, folder.Path(), timeout);
        ScriptRunner runner(run, script, include, catalogFile);
        return runner.ScriptWorker(movies);
    }

    TempFolder folder;
    std::string catalogFile = CatalogFilePath(folder.Path());
    RecordingHost host;
};

TEST_F(ScriptRunnerTest, MoviesAreProcessedInTitleOrderAndStoredWithTheirChanges) {
    const ObjectId c = Add("C", 1999), a = Add("a", 2000), b = Add("B", 2001);
    const auto movies = Movies({c, a, b});
    ASSERT_EQ(movies.size(), 3u);
    EXPECT_EQ(movies[0].title, "a");
    EXPECT_EQ(movies[1].title, "B");
    EXPECT_EQ(movies[2].title, "C");

    EXPECT_EQ(Run("szTitle += ' (' + nYear + ')'; pszActors.append('Second'); "
                  "string[] none; pszPictures = none; szPlot = nIndex;",
                  movies),
              1);
    EXPECT_TRUE(host.boxes.empty()) << host.boxes.front().text;
    EXPECT_EQ(host.states, (std::vector<std::pair<std::size_t, ItemState>>{
                               {0, ItemState::Processing}, {0, ItemState::Done},
                               {1, ItemState::Processing}, {1, ItemState::Done},
                               {2, ItemState::Processing}, {2, ItemState::Done}}));
    EXPECT_EQ(host.stored, (std::vector<std::pair<std::size_t, std::string>>{
                               {0, "a (2000)"}, {1, "B (2001)"}, {2, "C (1999)"}}));
    EXPECT_EQ(host.storedWatched, (std::vector<bool>{false, true, true}));

    const Movie stored = Stored(c);
    EXPECT_EQ(stored.szTitle, "C (1999)");
    EXPECT_EQ(stored.pszActors, (StringArray{"First Actor", "Second"}));
    EXPECT_TRUE(stored.pszPictures.empty());
    EXPECT_EQ(stored.szPlot, "1");  // nIndex reads the catalog number
    // Fields that scripts cannot see keep their stored values.
    EXPECT_EQ(stored.pnSizes, Int64Array{1234});
    EXPECT_EQ(stored.dtAdded.stamp, 1000u);
    EXPECT_TRUE(stored.bWatched);
}

TEST_F(ScriptRunnerTest, AFailingMovieStopsTheRunAndKeepsWhatWasDoneBefore) {
    const ObjectId a = Add("A"), b = Add("B"), c = Add("C");
    // Fails for B after changing the plot: an index out of range.
    const std::string script =
        "szPlot = 'changed'; if (szTitle == 'B') { string s; s[3] = 65; } szTitle += '!';";
    EXPECT_EQ(Run(script, Movies({a, b, c})), 1);

    EXPECT_EQ(Stored(a).szTitle, "A!");
    EXPECT_EQ(Stored(a).szPlot, "changed");
    EXPECT_EQ(Stored(b).szTitle, "B");
    EXPECT_EQ(Stored(b).szPlot, "");  // changed in the buffer, never stored
    EXPECT_EQ(Stored(c).szPlot, "");
    // The third movie was never started.
    for (const auto& [item, state] : host.states) EXPECT_NE(item, 2u);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].caption, "Reelkeep");
    EXPECT_EQ(host.boxes[0].style & 0xF0, MB_ICONERROR);
    EXPECT_NE(host.boxes[0].text.find("Out of range"), std::string::npos) << host.boxes[0].text;
}

TEST_F(ScriptRunnerTest, CompileErrorsShowTheEnginesMessagesAndChangeNothing) {
    const ObjectId a = Add("A");
    struct Case {
        std::string script, include, expected;
    } cases[] = {
        {"void f() {}", "", "ExecuteString ("},            // scripts are statements only
        {"nIndex = 5;", "", "ExecuteString ("},            // the catalog number is read-only
        {"bWatched = true;", "", "ExecuteString ("},       // not visible to scripts
        {"pnSizes.length();", "", "ExecuteString ("},
        {"szPlot = 'x';", "int broken(", "include ("},     // a broken include fails every script
        {"szPlot = 'x';", "string szTitle;", "Name conflict"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script + " / " + c.include);
        host.boxes.clear();
        EXPECT_EQ(Run(c.script, Movies({a}), c.include), 1);
        ASSERT_EQ(host.boxes.size(), 1u);
        EXPECT_NE(host.boxes[0].text.find(c.expected), std::string::npos) << host.boxes[0].text;
        EXPECT_NE(host.boxes[0].text.find(" : Error : "), std::string::npos) << host.boxes[0].text;
        EXPECT_EQ(Stored(a).szPlot, "");
    }
}

TEST_F(ScriptRunnerTest, IncludeTextProvidesFunctionsAndTheFirstScriptLineIsRowOne) {
    const ObjectId a = Add("A");
    EXPECT_EQ(Run("szPlot = Decorate(szTitle);", Movies({a}), "string Decorate(const string &in t) { return '*' + t + '*'; }\n"), 1);
    EXPECT_EQ(Stored(a).szPlot, "*A*");

    host.boxes.clear();
    Run("int x = 1;\nundefinedThing = 2;", Movies({a}));
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_NE(host.boxes[0].text.find("ExecuteString (2, "), std::string::npos) << host.boxes[0].text;
}

TEST_F(ScriptRunnerTest, WwwFetchesIntoStringsAndTheCatalogFolder) {
    HttpTestServer server;
    server.Serve("/final", "<b>Plot text</b>");
    server.Route("/redirect", [](const HttpRequest&, HttpExchange& exchange) {
        exchange.Send(HttpTestServer::Response(301, "", "Location: /final\r\n"));
    });
    server.Serve("/cover", "JPEGDATA", "image/jpeg");
    const ObjectId a = Add("A");
    const std::string script =
        "szPlot = www.open('" + server.Url("/redirect") + "') % '<b>(.*)</b>';\n"
        "szURL = www.location;\n"
        "string file = 'C:\\\\x\\\\cover.jpg';\n"
        "if (www.download('" + server.Url("/cover") + "', file)) pszPictures.append(file);\n"
        "szLender = www.location;\n"
        "szRelease = www.open('" + server.Url("/nothing-here") + "');\n";
    EXPECT_EQ(Run(script, Movies({a})), 1);
    EXPECT_TRUE(host.boxes.empty()) << host.boxes.front().text;
    const Movie stored = Stored(a);
    EXPECT_EQ(stored.szPlot, "Plot text");
    EXPECT_EQ(stored.szURL, server.Url("/final"));
    EXPECT_EQ(stored.szLender, server.Url("/final"));  // download leaves location alone
    EXPECT_EQ(stored.pszPictures, (StringArray{"old.jpg", "cover.jpg"}));
    EXPECT_EQ(test::ReadFileBytes(folder / "cover.jpg"), "JPEGDATA");
    EXPECT_EQ(stored.szRelease, "<html><body>Not Found</body></html>");
    EXPECT_FALSE(host.ranges.empty());
}

TEST_F(ScriptRunnerTest, PagesWithZeroBytesKeepEveryByteThroughCopiesAndReturns) {
    HttpTestServer server;
    const std::string body("<p>a\0b</p>\0tail", 15);
    server.Serve("/zero", body, "application/octet-stream");
    const std::string url = server.Url("/zero");
    const ObjectId a = Add("A");
    // The idiom of the shipped scripts, a copy made by initialisation, and functions of an
    // include file that return a page or pass one by value. Record strings hold no zero
    // byte, so the script reports what it saw.
    const std::string include =
        "string Fetch(const string &in u) { return www.open(u); }\n"
        "string Passed(string text) { string inner = text; return inner; }\n";
    const std::string script =
        "string page = www.open('" + url + "');\n"
        "string copy = page;\n"
        "string other(copy);\n"
        "string passed = Passed(other);\n"
        "string fetched = Fetch('" + url + "');\n"
        "szURL = '' + page.length() + ' ' + copy.length() + ' ' + other.length() + ' ' +\n"
        "        passed.length() + ' ' + fetched.length();\n"
        "if (copy == page && other == page && passed == page && fetched == page) szPlot = 'same';\n"
        "szRelease = fetched.mid(11);\n";
    EXPECT_EQ(Run(script, Movies({a}), include), 1);
    EXPECT_TRUE(host.boxes.empty()) << host.boxes.front().text;
    const Movie stored = Stored(a);
    EXPECT_EQ(stored.szURL, "15 15 15 15 15");
    EXPECT_EQ(stored.szPlot, "same");
    EXPECT_EQ(stored.szRelease, "tail");
}

TEST_F(ScriptRunnerTest, CancellingDuringADownloadEndsTheRunWithTheNetworkMessage) {
    HttpTestServer server;
    server.Route("/slow", [](const HttpRequest&, HttpExchange& exchange) {
        exchange.Send("HTTP/1.1 200 OK\r\nContent-Length: 1000000\r\n\r\n");
        for (int i = 0; i < 100 && exchange.Send("x"); ++i) {
            if (!exchange.Sleep(100ms)) break;
        }
        exchange.CloseAfter();
    });
    const ObjectId a = Add("A"), b = Add("B");
    ScriptRun run(host, folder.Path(), 0);
    ScriptRunner runner(run, "szPlot = 'x'; string f = 'p.jpg'; www.download('" + server.Url("/slow") + "', f);",
                        "", catalogFile);
    std::thread canceller([&] {
        std::this_thread::sleep_for(300ms);
        run.Cancel();
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(runner.ScriptWorker(Movies({a, b})), 1);
    canceller.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1500ms);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].caption, "Failed to read from network (8192 bytes)");
    EXPECT_EQ(host.boxes[0].style & 0xF0, MB_ICONERROR);
    EXPECT_EQ(Stored(a).szPlot, "");
    EXPECT_EQ(Stored(b).szPlot, "");
}

TEST_F(ScriptRunnerTest, APageThatNeverEndsStopsTheRunAtThePageLimit) {
    HttpTestServer server;
    // No length, and bytes for as long as anyone reads them: the program's memory would be the
    // only bound.
    server.ServeWithoutEnd("/endless");
    const ObjectId a = Add("A");
    ScriptRun run(host, folder.Path(), 0);
    ScriptRunner runner(run, "szPlot = 'x'; string page = www.open('" + server.Url("/endless") + "');",
                        "", catalogFile);
    EXPECT_EQ(runner.ScriptWorker(Movies({a})), 1);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].caption, "Failed to read from network (8192 bytes)");
    EXPECT_NE(host.boxes[0].text.find("The page is larger than 100 MB"), std::string::npos) << host.boxes[0].text;
    EXPECT_EQ(Stored(a).szPlot, "");
}

TEST_F(ScriptRunnerTest, CancelEndsAnyScriptWithinASecondWhateverItCatches) {
    HttpTestServer server;
    server.Serve("/page", "page");
    const std::string url = server.Url("/page");
    // Cancelled between two transfers the script stops at its next statement; cancelled during
    // one, the transfer fails and the report is the network's.
    const std::string stopped = "Reelkeep|Script cancelled";
    const std::string failed = "Failed to open http url (" + url + ")|The session was closed";
    struct Case {
        std::string script;
        std::vector<std::string> reports;
    } cases[] = {
        {"while (true) {}", {stopped}},
        {"int n = 0; while (true) { n++; }", {stopped}},
        {"while (true) try { www.open('" + url + "'); } catch {}", {stopped, failed}},
    };
    const ObjectId a = Add("A"), b = Add("B");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        host.boxes.clear();
        ScriptRun run(host, folder.Path(), 0);
        ScriptRunner runner(run, "szPlot = 'x'; " + c.script, "", catalogFile);
        std::thread canceller([&] {
            std::this_thread::sleep_for(300ms);
            run.Cancel();
        });
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(runner.ScriptWorker(Movies({a, b})), 1);
        const auto took = std::chrono::steady_clock::now() - start;
        canceller.join();
        EXPECT_LT(took, 1300ms);
        ASSERT_EQ(host.boxes.size(), 1u);
        std::string text = host.boxes[0].text;
        text = text.substr(text.rfind(" : ") == std::string::npos ? 0 : text.rfind(" : ") + 3);
        while (!text.empty() && text.back() == '\n') text.pop_back();
        const std::string report = host.boxes[0].caption + "|" + text;
        EXPECT_NE(std::find(c.reports.begin(), c.reports.end(), report), c.reports.end()) << report;
        EXPECT_EQ(Stored(a).szPlot, "");
        EXPECT_EQ(Stored(b).szPlot, "");
    }
}

TEST_F(ScriptRunnerTest, AFailedTransferCannotBeCaughtByTheScript) {
    const ObjectId a = Add("A");
    EXPECT_EQ(Run("try { www.open('http://127.0.0.1:1/'); } catch { user.alert('caught'); }\n"
                  "szPlot = 'went on';",
                  Movies({a})),
              1);
    // The only box is the runner's report: the script never reached its catch.
    ASSERT_EQ(host.boxes.size(), 1u) << host.boxes[0].text;
    EXPECT_EQ(host.boxes[0].caption, "Failed to open http url (http://127.0.0.1:1/)");
    EXPECT_EQ(Stored(a).szPlot, "");
}

TEST_F(ScriptRunnerTest, TimeoutsComeFromTheRunsSetting) {
    HttpTestServer server;
    server.Route("/stall", [](const HttpRequest&, HttpExchange& exchange) {
        exchange.Sleep(5s);
        exchange.CloseAfter();
    });
    const ObjectId a = Add("A");
    const auto start = std::chrono::steady_clock::now();
    Run("szPlot = www.open('" + server.Url("/stall") + "');", Movies({a}), "", 1500);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 4s);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].caption, "Failed to open http url (" + server.Url("/stall") + ")");
}

TEST_F(ScriptRunnerTest, UserQuestionsGoToTheHost) {
    const ObjectId a = Add("A");
    host.alertAnswer = IDNO;
    host.inputAnswer = "typed";
    host.selectAnswer = 1;
    const std::string script =
        "int answer = user.alert('Sure?', 36);\n"
        "string text = 'offered';\n"
        "bool ok = user.input(text, 'Title', 'Label', false);\n"
        "string[] items; items.append('x'); items.append('y');\n"
        "int chosen = user.select(items, 'Pick', 'One');\n"
        "szPlot = '' + answer + ' ' + text + ' ' + chosen;\n";
    EXPECT_EQ(Run(script, Movies({a})), 1);
    EXPECT_EQ(Stored(a).szPlot, "7 typed 1");
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].text, "Sure?");
    EXPECT_EQ(host.boxes[0].caption, "Reelkeep");
    EXPECT_EQ(host.boxes[0].style, 36u);
    EXPECT_EQ(host.asked, (std::vector<std::string>{"Title|Label|offered", "select 2"}));
}

TEST_F(ScriptRunnerTest, AMovieDeletedMeanwhileIsADatabaseError) {
    const ObjectId a = Add("A");
    std::vector<ScriptRunMovie> movies = Movies({a});
    movies.push_back({a + 100, "ghost"});
    EXPECT_EQ(Run("szPlot = 'x';", movies), 0);
    EXPECT_EQ(Stored(a).szPlot, "x");  // the first movie was kept by the closing commit
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].caption, "Reelkeep");
}

}  // namespace
}  // namespace reelkeep
