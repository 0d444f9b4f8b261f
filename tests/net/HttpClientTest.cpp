// The HTTP client against a real server on 127.0.0.1.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "net/CInternetException.h"
#include "net/CInternetUrl.h"
#include "net/HttpTransfers.h"
#include "support/HttpTestServer.h"
#include "support/TempFolder.h"

namespace reelkeep {
namespace {

using namespace std::chrono_literals;
using test::HttpExchange;
using test::HttpRequest;
using test::HttpTestServer;
using Clock = std::chrono::steady_clock;

struct RecordedProgress : TransferProgress {
    void SetRange(std::uint32_t high) override { ranges.push_back(high); }
    void SetPosition(std::uint32_t position) override { positions.push_back(position); }
    std::vector<std::uint32_t> ranges;
    std::vector<std::uint32_t> positions;
};

// A body sent in pieces and then closed, without a Content-Length.
void SendWithoutLength(HttpExchange& exchange, const std::string& body) {
    exchange.CloseAfter();
    exchange.Send("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n");
    for (std::size_t at = 0; at < body.size(); at += 1000) exchange.Send(body.substr(at, 1000));
}

std::string Pattern(std::size_t size) {
    std::string body(size, '\0');
    for (std::size_t i = 0; i < size; ++i) body[i] = static_cast<char>((i * 131) % 251);
    return body;
}

std::string CatchMessage(const std::function<void()>& run) {
    try {
        run();
    } catch (const CInternetException& error) {
        EXPECT_FALSE(error.responseText.empty());
        return error.message;
    }
    return "(no exception)";
}

TEST(HttpClient, OpenReturnsTheBodyWithProgressAndTheAgentName) {
    HttpTestServer server;
    const std::string body = Pattern(20000) + std::string("\0tail", 5);
    server.Serve("/page", body);
    CInternetSession session;
    std::string location;
    RecordedProgress progress;
    EXPECT_EQ(OpenUrl(session, server.Url("/page?q=1"), location, &progress), body);
    EXPECT_EQ(location, server.Url("/page?q=1"));
    EXPECT_EQ(progress.ranges, std::vector<std::uint32_t>{20005});
    EXPECT_EQ(progress.positions, (std::vector<std::uint32_t>{0, 8192, 16384, 20005}));
    EXPECT_EQ(server.Requests().at(0).method, "GET");
    EXPECT_EQ(server.Requests().at(0).Header("User-Agent"), "net_tests");
}

TEST(HttpClient, RedirectsAreFollowedAndLocationIsTheFinalAddress) {
    HttpTestServer server;
    server.Serve("/final", "arrived");
    server.Route("/moved", [&](const HttpRequest&, HttpExchange& exchange) {
        exchange.Send(HttpTestServer::Response(302, "", "Location: /final\r\n"));
    });
    server.Route("/loop", [&](const HttpRequest&, HttpExchange& exchange) {
        exchange.Send(HttpTestServer::Response(302, "", "Location: /loop\r\n"));
    });
    CInternetSession session;
    std::string location = "before";
    EXPECT_EQ(OpenUrl(session, server.Url("/moved"), location), "arrived");
    EXPECT_EQ(location, server.Url("/final"));

    location = "before";
    EXPECT_EQ(CatchMessage([&] { OpenUrl(session, server.Url("/loop"), location); }),
              "Failed to open http url (" + server.Url("/loop") + ")");
    EXPECT_EQ(location, "before");  // unchanged by a failure
}

TEST(HttpClient, ErrorPagesAreBodiesLikeAnyOther) {
    HttpTestServer server;
    test::TempFolder folder;
    CInternetSession session;
    std::string location;
    EXPECT_EQ(OpenUrl(session, server.Url("/missing"), location), "<html><body>Not Found</body></html>");
    std::string name = "missing.html";
    EXPECT_TRUE(DownloadUrl(session, server.Url("/missing"), name, folder.Path()));
    EXPECT_EQ(test::ReadFileBytes(folder / "missing.html"), "<html><body>Not Found</body></html>");
}

TEST(HttpClient, BodiesWithoutALengthAreReadWholeWithoutProgressRange) {
    // Before the server: its handlers may still be sending it while the test ends.
    const std::string body = Pattern(50000);
    HttpTestServer server;
    server.Route("/stream", [&](const HttpRequest&, HttpExchange& exchange) { SendWithoutLength(exchange, body); });
    server.Route("/chunked", [&](const HttpRequest&, HttpExchange& exchange) {
        exchange.Send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n");
        for (std::size_t at = 0; at < body.size(); at += 7000) {
            const std::string piece = body.substr(at, 7000);
            char size[16];
            std::snprintf(size, sizeof size, "%zx\r\n", piece.size());
            exchange.Send(size + piece + "\r\n");
        }
        exchange.Send("0\r\n\r\n");
    });
    CInternetSession session;
    for (const char* path : {"/stream", "/chunked"}) {
        SCOPED_TRACE(path);
        std::string location;
        RecordedProgress progress;
        EXPECT_EQ(OpenUrl(session, server.Url(path), location, &progress), body);
        EXPECT_TRUE(progress.ranges.empty());
        EXPECT_EQ(progress.positions, std::vector<std::uint32_t>{0});

        CInternetUrl request(session, server.Url(path));
        EXPECT_EQ(CatchMessage([&] { request.QueryNumber(CInternetUrl::kQueryContentLength); }),
                  "Failed to query http info (536870917)");
    }
}

TEST(HttpClient, LargeBodyReportsProgressInBlocksOfAtMost8192Bytes) {
    HttpTestServer server;
    const std::string body = Pattern(10 * 1024 * 1024);
    server.Serve("/big", body, "application/octet-stream");
    CInternetSession session;
    std::string location;
    RecordedProgress progress;
    EXPECT_EQ(OpenUrl(session, server.Url("/big"), location, &progress), body);
    ASSERT_EQ(progress.ranges, std::vector<std::uint32_t>{10 * 1024 * 1024});
    ASSERT_GT(progress.positions.size(), 1280u);
    for (std::size_t i = 1; i < progress.positions.size(); ++i) {
        ASSERT_GT(progress.positions[i], progress.positions[i - 1]);
        ASSERT_LE(progress.positions[i] - progress.positions[i - 1], 8192u);
    }
    EXPECT_EQ(progress.positions.back(), body.size());
}

TEST(HttpClient, TimeoutsEndStalledTransfersWithTheOpenOrReadMessage) {
    HttpTestServer server;
    server.Route("/silent", [](const HttpRequest&, HttpExchange& exchange) {
        exchange.Sleep(5s);
        exchange.CloseAfter();
    });
    server.Route("/stalls", [](const HttpRequest&, HttpExchange& exchange) {
        exchange.Send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\nfirst bytes");
        exchange.Sleep(5s);
        exchange.CloseAfter();
    });
    CInternetSession session;
    session.SetOption(CInternetSession::kConnectTimeout, 1500);
    session.SetOption(CInternetSession::kSendTimeout, 1500);
    session.SetOption(CInternetSession::kReceiveTimeout, 1500);
    std::string location;

    auto start = Clock::now();
    EXPECT_EQ(CatchMessage([&] { OpenUrl(session, server.Url("/silent"), location); }),
              "Failed to open http url (" + server.Url("/silent") + ")");
    EXPECT_LT(Clock::now() - start, 3500ms);

    start = Clock::now();
    EXPECT_EQ(CatchMessage([&] { OpenUrl(session, server.Url("/stalls"), location); }),
              "Failed to read from network (8192 bytes)");
    EXPECT_LT(Clock::now() - start, 3500ms);

    EXPECT_EQ(CatchMessage([&] { session.SetOption(99, 1); }), "Failed to set an internet option (99)");
}

// Runs `open` on another thread; a watchdog closes the session when it has not ended within
// `patience`, so that a transfer that would wait for ever fails the test instead of hanging it.
struct WatchedOpen {
    std::string message;
    Clock::duration took{};
    bool closedByWatchdog = false;
};
WatchedOpen OpenWatched(CInternetSession& session, const std::string& url,
                        std::chrono::milliseconds patience) {
    WatchedOpen result;
    std::atomic<bool> done = false;
    std::thread watchdog([&] {
        const auto deadline = Clock::now() + patience;
        while (!done && Clock::now() < deadline) std::this_thread::sleep_for(10ms);
        if (!done) {
            result.closedByWatchdog = true;
            session.Close();
        }
    });
    const auto start = Clock::now();
    std::string location;
    result.message = CatchMessage([&] { OpenUrl(session, url, location); });
    result.took = Clock::now() - start;
    done = true;
    watchdog.join();
    return result;
}

TEST(HttpClient, WithoutTimeoutSettingsASilentServerStillEndsTheTransfer) {
    HttpTestServer server;
    server.Route("/silent", [](const HttpRequest&, HttpExchange& exchange) {
        exchange.Sleep(20s);
        exchange.CloseAfter();
    });
    server.Route("/headers-only", [](const HttpRequest&, HttpExchange& exchange) {
        exchange.Send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n");
        exchange.Sleep(20s);
        exchange.CloseAfter();
    });
    // Sessions without time-out options wait about a minute for a connection and for progress.
    EXPECT_EQ(CInternetSession().ConnectLimit(), 60s);
    EXPECT_EQ(CInternetSession().StallLimit(), 60s);

    // The same rule with a shorter default, so that the test does not wait a minute.
    const auto restore = CInternetSession::DefaultLimit();
    CInternetSession::SetDefaultLimit(1500ms);
    CInternetSession session;
    CInternetSession::SetDefaultLimit(restore);
    EXPECT_EQ(session.ConnectLimit(), 1500ms);

    WatchedOpen silent = OpenWatched(session, server.Url("/silent"), 8s);
    EXPECT_FALSE(silent.closedByWatchdog);
    EXPECT_EQ(silent.message, "Failed to open http url (" + server.Url("/silent") + ")");
    EXPECT_LT(silent.took, 5s);

    // Once the headers are in, a stall is a failed read.
    WatchedOpen stalled = OpenWatched(session, server.Url("/headers-only"), 8s);
    EXPECT_FALSE(stalled.closedByWatchdog);
    EXPECT_EQ(stalled.message, "Failed to read from network (8192 bytes)");
    EXPECT_LT(stalled.took, 5s);
}

TEST(HttpClient, BlanksAndOtherBytesAnAddressCannotCarryAreSentEncoded) {
    HttpTestServer server;
    server.Serve("/a%20b", "spaced");
    server.Serve("/caf%E9%22%3C%3E", "escaped");
    server.Serve("/c%20d", "kept");
    CInternetSession session;
    std::string location;
    EXPECT_EQ(OpenUrl(session, server.Url("/a b?q=x y"), location), "spaced");
    EXPECT_EQ(location, server.Url("/a%20b?q=x%20y"));
    EXPECT_EQ(OpenUrl(session, server.Url("/caf\xE9\"<>"), location), "escaped");
    // What is already encoded stays as it is.
    EXPECT_EQ(OpenUrl(session, server.Url("/c%20d?x=%41&y=a+b"), location), "kept");
    std::vector<std::string> targets;
    for (const HttpRequest& request : server.Requests()) targets.push_back(request.target);
    EXPECT_EQ(targets, (std::vector<std::string>{"/a%20b?q=x%20y", "/caf%E9%22%3C%3E",
                                                 "/c%20d?x=%41&y=a+b"}));
}

TEST(HttpClient, ClosingTheSessionFromAnotherThreadCancelsWithinASecond) {
    HttpTestServer server;
    test::TempFolder folder;
    server.Route("/slow", [](const HttpRequest&, HttpExchange& exchange) {
        exchange.Send("HTTP/1.1 200 OK\r\nContent-Length: 1000000\r\n\r\n");
        for (int i = 0; i < 100 && exchange.Send(std::string(100, 'x')); ++i) {
            if (!exchange.Sleep(100ms)) break;
        }
        exchange.CloseAfter();
    });
    CInternetSession session;
    std::thread canceller([&] {
        std::this_thread::sleep_for(500ms);
        session.Close();
    });
    std::string name = "cover.jpg";
    const auto start = Clock::now();
    EXPECT_EQ(CatchMessage([&] { DownloadUrl(session, server.Url("/slow"), name, folder.Path()); }),
              "Failed to read from network (8192 bytes)");
    const auto took = Clock::now() - start;
    canceller.join();
    EXPECT_LT(took, 1500ms);
    EXPECT_EQ(name, "cover.jpg");
    EXPECT_TRUE(test::FileExists(folder / "~cover.jpg"));  // the partial file stays
    EXPECT_FALSE(test::FileExists(folder / "cover.jpg"));

    // Every later transfer on a closed session fails at once.
    std::string location;
    EXPECT_EQ(CatchMessage([&] { OpenUrl(session, server.Url("/slow"), location); }),
              "Failed to open http url (" + server.Url("/slow") + ")");
}

TEST(HttpClient, DownloadKeepsToTheFolderUnderTheBaseName) {
    HttpTestServer server;
    test::TempFolder folder;
    server.Serve("/file", "picture", "image/jpeg");
    CInternetSession session;

    struct Case {
        std::string name;
        std::string stored;  // empty: refused
    } cases[] = {{"C:\\x\\cover.jpg", "cover.jpg"}, {"a/b.jpg", "b.jpg"}, {"c:d.jpg", "d.jpg"},
                 {"..", ""}, {"x/", ""}, {"x/..", ""}, {".", ""}, {"", ""}};
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string name = c.name;
        const std::size_t requestsBefore = server.Requests().size();
        const bool stored = DownloadUrl(session, server.Url("/file"), name, folder.Path());
        EXPECT_EQ(stored, !c.stored.empty());
        if (stored) {
            EXPECT_EQ(name, c.stored);
            EXPECT_EQ(test::ReadFileBytes(folder / c.stored), "picture");
            EXPECT_FALSE(test::FileExists(folder / ("~" + c.stored)));
        } else {
            EXPECT_EQ(name, c.name);
            EXPECT_EQ(server.Requests().size(), requestsBefore);  // nothing was asked for
        }
    }
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::recursive_directory_iterator(folder.Path())) ++files;
    EXPECT_EQ(files, 3u);  // cover.jpg, b.jpg, d.jpg and nothing else, anywhere

    // An existing file is replaced, an existing temporary file overwritten.
    test::WriteFileBytes(folder / "cover.jpg", "old and longer than the new one");
    test::WriteFileBytes(folder / "~cover.jpg", "stale temporary file, longer still");
    std::string name = "cover.jpg";
    EXPECT_TRUE(DownloadUrl(session, server.Url("/file"), name, folder.Path()));
    EXPECT_EQ(test::ReadFileBytes(folder / "cover.jpg"), "picture");

    // No temporary file, no request.
    name = "y.jpg";
    EXPECT_FALSE(DownloadUrl(session, server.Url("/file"), name, folder / "missing/"));
}

TEST(HttpClient, ADownloadThatNeverEndsStopsAtItsLimitAndKeepsNothing) {
    HttpTestServer server;
    server.ServeWithoutEnd("/endless");
    test::TempFolder folder;
    CInternetSession session;
    std::string name = "poster.jpg";
    try {
        DownloadUrl(session, server.Url("/endless"), name, folder.Path(), nullptr, 2'000'000);
        ADD_FAILURE() << "the download ended";
    } catch (const CInternetException& error) {
        EXPECT_EQ(error.message, "Failed to read from network (8192 bytes)");
        EXPECT_EQ(error.responseText, "The file is larger than 2 MB, more than a script may fetch.");
    }
    EXPECT_EQ(name, "poster.jpg");
    EXPECT_FALSE(test::FileExists(folder / "poster.jpg"));
    EXPECT_FALSE(test::FileExists(folder / "~poster.jpg"));
}

TEST(HttpClient, DownloadAsksForCompressionAndStoresTheDecodedBody) {
    HttpTestServer server;
    test::TempFolder folder;
    const std::string gzipped(
        "\x1f\x8b\x08\x00\x00\x00\x00\x00\x02\x03\x4b\x49\x4d\xce\x4f\x49\x4d\x51\x28\xc8\x4c"
        "\x2e\x29\x2d\x4a\x55\x48\xaa\x2c\x49\x2d\x56\x48\x19\x15\x1d\xe4\xa2\x00\x0c\xb4\x8a"
        "\x77\xb8\x01\x00\x00",
        47);
    server.Route("/packed", [&](const HttpRequest& request, HttpExchange& exchange) {
        const bool gzip = request.Header("Accept-Encoding").find("gzip") != std::string::npos;
        exchange.Send(gzip ? HttpTestServer::Response(200, gzipped, "Content-Encoding: gzip\r\n")
                           : HttpTestServer::Response(200, "client did not ask for gzip"));
    });
    CInternetSession session;
    std::string name = "plot.txt";
    ASSERT_TRUE(DownloadUrl(session, server.Url("/packed"), name, folder.Path()));
    std::string expected;
    for (int i = 0; i < 20; ++i) expected += "decoded picture bytes ";
    EXPECT_EQ(test::ReadFileBytes(folder / "plot.txt"), expected);
    EXPECT_EQ(server.Requests().at(0).Header("Accept"), "*/*");
}

TEST(HttpClient, RequestsOfASessionShareKeptOpenConnections) {
    HttpTestServer server;
    server.Serve("/a", "one");
    CInternetSession session;
    std::string location;
    for (int i = 0; i < 5; ++i) EXPECT_EQ(OpenUrl(session, server.Url("/a"), location), "one");
    EXPECT_EQ(server.Connections(), 1);
}

TEST(HttpClient, AnUnreachableServerFailsWithTheUrlInTheMessage) {
    const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(probe);  // nothing listens on that port now
    const std::string url = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/x";

    CInternetSession session;
    std::string location;
    try {
        OpenUrl(session, url, location);
        FAIL() << "connected";
    } catch (const CInternetException& error) {
        EXPECT_EQ(error.message, "Failed to open http url (" + url + ")");
        EXPECT_EQ(error.handle, nullptr);
        EXPECT_NE(error.responseError, 0u);
        EXPECT_FALSE(error.responseText.empty());
    }
    EXPECT_EQ(CInternetException(nullptr, 0, 0, "", "m").responseText, "Unknown error");
}

}  // namespace
}  // namespace reelkeep
