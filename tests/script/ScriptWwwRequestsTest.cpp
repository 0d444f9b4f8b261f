// What `www` offers scripts that read public sources: the agent name their requests carry, the
// status code of the last page, and a pause between transfers that Cancel cuts short.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "catalog/CatalogPaths.h"
#include "script/RecordingHost.h"
#include "script/ScriptRunner.h"
#include "support/HttpTestServer.h"
#include "support/TempFolder.h"

namespace reelkeep {
namespace {

using namespace std::chrono_literals;
using test::HttpTestServer;
using Clock = std::chrono::steady_clock;

class ScriptWwwRequestsTest : public ::testing::Test {
protected:
    void SetUp() override {
        CatalogDatabase database(CatalogFilePath(catalog.Path()));
        database.Open(CatalogDatabase::Access::ReadWrite);
        for (const char* title : {"A", "B"}) {
            Movie movie;
            movie.szTitle = title;
            oids.push_back(database.Insert(movie));
        }
        server.Serve("/page", "page");
        server.Route("/missing", [](const test::HttpRequest&, test::HttpExchange& exchange) {
            exchange.Send(HttpTestServer::Response(404, "not here"));
        });
        server.Route("/busy", [](const test::HttpRequest&, test::HttpExchange& exchange) {
            exchange.Send(HttpTestServer::Response(429, "{\"status_code\":25}", "Retry-After: 2\r\n"));
        });
    }

    Movie Stored(ObjectId oid) {
        CatalogDatabase database(CatalogFilePath(catalog.Path()));
        database.Open(CatalogDatabase::Access::ReadOnly);
        Movie movie;
        database.Fetch(oid, movie);
        return movie;
    }

    std::string Url(const std::string& path) { return server.Url(path); }

    HttpTestServer server;
    test::TempFolder catalog;
    test::RecordingHost host;
    std::vector<ObjectId> oids;
};

TEST_F(ScriptWwwRequestsTest, TheAgentAndTheStatusOfTheLastPage) {
    ScriptRun run(host, catalog.Path(), 5000);
    ScriptRunner runner(run,
                        "szPlot = www.status + ' ' + www.agent;\n"
                        "www.agent = 'Reelkeep/1.0 (test; \\xC3\\xA9)';\n"
                        "www.open('" + Url("/page") + "'); szPlot += ' ' + www.status;\n"
                        "www.open('" + Url("/missing") + "'); szPlot += ' ' + www.status;\n"
                        "www.open('" + Url("/busy") + "'); szPlot += ' ' + www.status;\n"
                        "string file = 'x.jpg'; www.download('" + Url("/missing") + "', file);\n"
                        "szPlot += ' ' + www.status + ' ' + www.agent;\n",
                        {}, CatalogFilePath(catalog.Path()));
    EXPECT_EQ(runner.ScriptWorker({{oids[0], "A"}}), 1);
    EXPECT_TRUE(host.boxes.empty()) << host.boxes.front().text;
    const std::string program = ProgramAgentName();
    // A download leaves the status of the last page, as it leaves its location.
    EXPECT_EQ(Stored(oids[0]).szPlot, "0 " + program + " 200 404 429 429 Reelkeep/1.0 (test; \xC3\xA9)");
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 4u);
    for (const auto& request : requests)
        EXPECT_EQ(request.Header("User-Agent"), "Reelkeep/1.0 (test; \xC3\xA9)") << request.target;

    // An empty agent goes back to the program's name; one that could end the header line, or
    // an overlong one, stops the script.
    for (const std::string& bad : std::vector<std::string>{"'a\\r\\nX-Injected: 1'", "'a\\nb'", "'tab\\there'",
                                                           "'" + std::string(257, 'a') + "'"}) {
        SCOPED_TRACE(bad);
        host.boxes.clear();
        ScriptRun again(host, catalog.Path(), 5000);
        ScriptRunner second(again, "www.agent = " + bad + "; szPlot = 'went on';", {},
                            CatalogFilePath(catalog.Path()));
        second.ScriptWorker({{oids[1], "B"}});
        ASSERT_EQ(host.boxes.size(), 1u);
        EXPECT_NE(host.boxes[0].text.find("The agent name"), std::string::npos) << host.boxes[0].text;
        EXPECT_EQ(again.Agent(), program);
    }
    EXPECT_EQ(Stored(oids[1]).szPlot, "");
}

TEST_F(ScriptWwwRequestsTest, APauseSeparatesTransfersAcrossMovies) {
    ScriptRun run(host, catalog.Path(), 5000);
    ScriptRunner runner(run,
                        "www.pause = 300; szPlot = '' + www.pause;\n"
                        "www.open('" + Url("/page") + "');\n"
                        "string file = 'p.jpg'; www.download('" + Url("/page") + "', file);\n",
                        {}, CatalogFilePath(catalog.Path()));
    const auto start = Clock::now();
    EXPECT_EQ(runner.ScriptWorker({{oids[0], "A"}, {oids[1], "B"}}), 1);
    EXPECT_TRUE(host.boxes.empty()) << host.boxes.front().text;
    // Four transfers, three pauses between them, the one between the movies too.
    EXPECT_GE(Clock::now() - start, 900ms);
    EXPECT_EQ(Stored(oids[1]).szPlot, "300");

    // The pause is bounded.
    ScriptRun bounded(host, catalog.Path(), 0);
    bounded.SetPause(3'600'000);
    EXPECT_EQ(bounded.Pause(), ScriptRun::kMaxPause);
}

TEST_F(ScriptWwwRequestsTest, CancelEndsAPauseAtOnce) {
    ScriptRun run(host, catalog.Path(), 5000);
    ScriptRunner runner(run,
                        "www.pause = 60000; www.open('" + Url("/page") + "');\n"
                        "szPlot = 'first'; www.open('" + Url("/page") + "'); szPlot = 'second';\n",
                        {}, CatalogFilePath(catalog.Path()));
    Clock::time_point cancelledAt;
    std::thread canceller([&] {
        while (server.Requests().empty()) std::this_thread::sleep_for(5ms);
        std::this_thread::sleep_for(200ms);  // inside the pause
        cancelledAt = Clock::now();
        run.Cancel();
    });
    runner.ScriptWorker({{oids[0], "A"}});
    const auto afterCancel = Clock::now() - cancelledAt;
    canceller.join();
    EXPECT_LT(afterCancel, 1s);
    EXPECT_EQ(server.Requests().size(), 1u);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].text, "The session was closed");
    EXPECT_EQ(Stored(oids[0]).szPlot, "");
}

}  // namespace
}  // namespace reelkeep
