// The update check over a temporary program folder, against a real server on 127.0.0.1 that
// serves a local folder.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <atomic>
#include <set>
#include <thread>

#include "maint/FileDigest.h"
#include "maint/InternetUpdateFetcher.h"
#include "maint/MaintTestSupport.h"
#include "maint/UpdateCheck.h"
#include "support/HttpTestServer.h"
#include "support/TempFolder.h"

namespace reelkeep {
namespace {

using test::FileExists;
using test::ReadFileBytes;
using test::WriteFileBytes;
namespace fs = std::filesystem;

class ScriptedQuestion : public CUpdateQuestion {
public:
    explicit ScriptedQuestion(bool answer) : answer_(answer) {}
    bool AskToDownload() override {
        ++asked;
        return answer_;
    }
    int asked = 0;

private:
    bool answer_;
};

// Serves "<root>/updates/..." as "/updates/...", 404 for what is missing. Paths in `failing`
// get no answer at all: the connection is dropped, as a dead server or a closed session would.
class FolderServer {
public:
    explicit FolderServer(std::string root) : root_(std::move(root)) {
        server_.RouteOthers([this](const test::HttpRequest& request, test::HttpExchange& exchange) {
            if (failing.count(request.target)) {
                exchange.CloseAfter();
                return;
            }
            const std::string path = root_ + Unescape(request.target);
            if (!fs::is_regular_file(path)) {
                exchange.Send(test::HttpTestServer::Response(404, "<html><body>Not Found, sorry</body></html>"));
                return;
            }
            const std::string bytes = ReadFileBytes(path);
            if (truncateTo && !request.target.ends_with("list.txt")) {
                exchange.Send("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + bytes.substr(0, truncateTo));
                exchange.CloseAfter();
                return;
            }
            exchange.Send(test::HttpTestServer::Response(200, bytes));
        });
    }
    std::string Address() const { return server_.Url(""); }
    std::vector<std::string> Requested() const {
        std::vector<std::string> targets;
        for (const auto& request : server_.Requests()) targets.push_back(request.target);
        return targets;
    }
    test::HttpRequest First() const { return server_.Requests().at(0); }
    std::set<std::string> failing;
    std::size_t truncateTo = 0;  // files (not the list) are cut to this many bytes when set

private:
    static std::string Unescape(const std::string& target) {
        std::string text;
        for (std::size_t i = 0; i < target.size(); ++i) {
            if (target[i] == '%' && i + 2 < target.size()) {
                text += static_cast<char>(std::stoi(target.substr(i + 1, 2), nullptr, 16));
                i += 2;
            } else {
                text += target[i];
            }
        }
        return text;
    }
    std::string root_;
    test::HttpTestServer server_;
};

std::string DigestOf(const std::string& bytes) {
    test::TempFolder folder;
    WriteFileBytes(folder / "bytes", bytes);
    return FileDigestText(folder / "bytes").value();
}

std::string Marker(const std::string& version) {
    return "\x7F" "ELF..RKVERSION:" + version + std::string(1, '\0') + "..";
}

class UpdateCheckTest : public ::testing::Test {
protected:
    UpdateCheckTest() {
        fs::create_directories(root.Path() + "prog");
        fs::create_directories(root.Path() + "server/updates");
    }
    std::string Program(const std::string& name) const { return root.Path() + "prog/" + name; }
    void Serve(const std::string& name, const std::string& bytes) {
        const std::string path = root.Path() + "server/updates/" + name;
        fs::create_directories(fs::path(path).parent_path());
        WriteFileBytes(path, bytes);
    }
    void Install(const std::string& name, const std::string& bytes) {
        fs::create_directories(fs::path(Program(name)).parent_path());
        WriteFileBytes(Program(name), bytes);
    }
    UpdateOutcome Check(bool answer = true) {
        question = ScriptedQuestion(answer);
        CInternetSession session;
        InternetUpdateFetcher fetcher(session);
        return CheckForUpdates(server.Address(), root.Path() + "prog/", Program("reelkeep"),
                               fetcher, question);
    }

    test::TempFolder root;
    FolderServer server{root.Path() + "server"};
    ScriptedQuestion question{true};
    test::TraceListener viewer;
};

TEST_F(UpdateCheckTest, EmptyListDoesNothing) {
    Serve("list.txt", "");
    const UpdateOutcome outcome = Check();
    EXPECT_EQ(outcome.result, 0);
    EXPECT_EQ(question.asked, 0);
    EXPECT_EQ(server.Requested(), std::vector<std::string>{"/updates/list.txt"});
    EXPECT_TRUE(viewer.TakeTexts().empty());
}

TEST_F(UpdateCheckTest, MissingFileIsAskedForCreatedAndFetched) {
    Serve("list.txt", "Scripts\\Include\\new.rki, anything;Scripts\\b.rks, v1.0.0.0;");
    Serve("Scripts/Include/new.rki", "new include");
    Serve("Scripts/b.rks", Marker("1.0.0.0"));  // a "v" entry promises exactly that version
    const UpdateOutcome outcome = Check();
    EXPECT_EQ(outcome.result, 1);
    EXPECT_EQ(outcome.pendingReplacement, "");
    EXPECT_EQ(question.asked, 1);  // once for both files
    EXPECT_EQ(ReadFileBytes(Program("Scripts/Include/new.rki")), "new include");
    EXPECT_EQ(ReadFileBytes(Program("Scripts/b.rks")), Marker("1.0.0.0"));
    EXPECT_FALSE(FileExists(Program("Scripts/Include/~new.rki")));
    EXPECT_EQ(server.Requested().at(1), "/updates/Scripts/Include/new.rki");
    EXPECT_EQ(viewer.TakeTexts(),
              (std::vector<std::string>{"Update Scripts\\Include\\new.rki (anything)",
                                        "Updating new file Scripts\\Include\\new.rki",
                                        "Update Scripts\\b.rks (v1.0.0.0)",
                                        "Updating new file Scripts\\b.rks"}));
}

TEST_F(UpdateCheckTest, VersionsCompareAsUnsignedNumbers) {
    Install("same.dll", Marker("1.0.40000.0"));
    Install("older.dll", Marker("1.0.39999.0"));
    Serve("older.dll", Marker("1.0.40000.0"));
    Serve("list.txt", "same.dll, v1.0.40000.0;older.dll,v1.0.40000.0 ;");
    const UpdateOutcome outcome = Check();
    EXPECT_EQ(outcome.result, 1);
    EXPECT_EQ(ReadFileBytes(Program("older.dll")), Marker("1.0.40000.0"));
    EXPECT_EQ(server.Requested().size(), 2u);  // the list and older.dll only
    const auto lines = viewer.TakeTexts();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[2], "Unmatched version for " + Program("older.dll") +
                            " (1.0.39999.0 instead of 1.0.40000.0 ");
}

TEST_F(UpdateCheckTest, EntriesWithoutSemicolonsShowOnlyTheFirst) {
    Install("a.dll", Marker("1.0.0.0"));
    Serve("list.txt", "a.dll, v1.0.0.0\r\nb.dll, v2.0.0.0\r\n");
    Serve("b.dll", "b");
    EXPECT_EQ(Check().result, 0);
    EXPECT_EQ(question.asked, 0);
    EXPECT_FALSE(FileExists(Program("b.dll")));
}

TEST_F(UpdateCheckTest, DigestsCompareWithoutRegardToCase) {
    Install("abc.txt", "abc");
    Serve("list.txt", "abc.txt, c900150983cd24fb0d6963f7d28e17f72;");
    EXPECT_EQ(Check().result, 0);
    EXPECT_EQ(question.asked, 0);

    // A blank before the ";" is part of the digest text: it never matches.
    Serve("abc.txt", "abc");
    Serve("list.txt", "abc.txt, c900150983CD24FB0D6963F7D28E17F72 ;");
    EXPECT_EQ(Check().result, 1);
    EXPECT_EQ(Check().result, 1);
    const auto lines = viewer.TakeTexts();
    EXPECT_EQ(lines.back(), "Unmatched crc for " + Program("abc.txt") +
                                " (900150983CD24FB0D6963F7D28E17F72 instead of "
                                "900150983CD24FB0D6963F7D28E17F72 ");
}

TEST_F(UpdateCheckTest, StopsAtTheFirstEntryThatFails) {
    Serve("list.txt", "first.txt, x;missing.txt, x;third.txt, x;");
    Serve("first.txt", "1");
    Serve("third.txt", "3");
    EXPECT_EQ(Check().result, 0);
    EXPECT_EQ(ReadFileBytes(Program("first.txt")), "1");  // handled before the stop
    EXPECT_TRUE(FileExists(Program("~missing.txt")));     // the empty temporary file stays
    EXPECT_EQ(ReadFileBytes(Program("~missing.txt")), "");
    EXPECT_FALSE(FileExists(Program("third.txt")));

    // Existing files whose entries cannot be judged stop the check too.
    for (const std::string list : {"first.txt, x;", "first.txt, v1.0.0.0;",
                                   "unreadable.txt, cD41D8CD98F00B204E9800998ECF8427E;"}) {
        Install("unreadable.txt", "");
        ::chmod(Program("unreadable.txt").c_str(), 0);
        Serve("list.txt", list + "third.txt, x;");
        const bool root = ::geteuid() == 0;
        if (list.starts_with("unreadable") && root) continue;  // root reads anything
        EXPECT_EQ(Check().result, 0) << list;
        EXPECT_FALSE(FileExists(Program("third.txt"))) << list;
    }
    Install("versioned.dll", Marker("1.0.0.0"));
    Serve("list.txt", "versioned.dll, v1.x;third.txt, x;");
    EXPECT_EQ(Check().result, 0);
    EXPECT_FALSE(FileExists(Program("third.txt")));
}

TEST_F(UpdateCheckTest, NoFetchesNothing) {
    Serve("list.txt", "new.txt, x;");
    Serve("new.txt", "n");
    EXPECT_EQ(Check(/*answer=*/false).result, 0);
    EXPECT_EQ(question.asked, 1);
    EXPECT_FALSE(FileExists(Program("new.txt")));
    EXPECT_FALSE(FileExists(Program("~new.txt")));
}

TEST_F(UpdateCheckTest, ProgramFileBecomesThePendingReplacement) {
    Install("reelkeep", Marker("1.0.0.0"));
    ::chmod(Program("reelkeep").c_str(), 0755);
    Serve("reelkeep", Marker("1.0.0.1") + "new program");
    Serve("list.txt", "reelkeep, v1.0.0.1;");
    const UpdateOutcome outcome = Check();
    EXPECT_EQ(outcome.result, 1);
    EXPECT_EQ(outcome.pendingReplacement, Program("~reelkeep"));
    EXPECT_EQ(ReadFileBytes(Program("reelkeep")), Marker("1.0.0.0"));
    EXPECT_EQ(ReadFileBytes(Program("~reelkeep")), Marker("1.0.0.1") + "new program");
    struct stat info {};
    ASSERT_EQ(::stat(Program("~reelkeep").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0755u);  // runnable as the relay
}

TEST_F(UpdateCheckTest, HostileNameWritesNothing) {
    // A name starts with a letter, digit or underscore, so it is never absolute here; a ".."
    // component would still climb out of the program folder.
    fs::create_directories(root.Path() + "outside");
    for (const std::string& name : std::vector<std::string>{
             "Scripts\\..\\..\\outside\\evil", "Scripts/../../outside/evil", "a\\..\\..",
             "a\\..\\..\\outside"}) {
        Serve("list.txt", "good.txt, x;" + name + ", x;");
        Serve("good.txt", "g");
        EXPECT_EQ(Check().result, 0) << name;
        EXPECT_EQ(question.asked, 0) << name;
        EXPECT_TRUE(fs::is_empty(root.Path() + "outside")) << name;
        EXPECT_TRUE(fs::is_empty(root.Path() + "prog")) << name;
    }
    // Dots inside names are fine.
    Serve("list.txt", "a..b\\..hidden..txt, x;");
    Serve("a..b/..hidden..txt", "h");
    EXPECT_EQ(Check().result, 1);
    EXPECT_EQ(ReadFileBytes(Program("a..b/..hidden..txt")), "h");
}

TEST_F(UpdateCheckTest, TransferFailuresEndTheCheckSilently) {
    // No list on the server: its error page is not read as entries.
    EXPECT_EQ(Check().result, 0);
    EXPECT_EQ(question.asked, 0);

    server.failing.insert("/updates/list.txt");
    EXPECT_EQ(Check().result, 0);

    server.failing.clear();
    server.failing.insert("/updates/b.txt");
    Serve("list.txt", "a.txt, x;b.txt, x;");
    Serve("a.txt", "a");
    Serve("b.txt", "b");
    const UpdateOutcome outcome = Check();
    EXPECT_EQ(outcome.result, 0);
    EXPECT_EQ(ReadFileBytes(Program("a.txt")), "a");
    EXPECT_FALSE(FileExists(Program("b.txt")));
}

TEST_F(UpdateCheckTest, RequestsAskForFreshCopiesAndCarryUnusualNamesEscaped) {
    Serve("list.txt", "Scripts\\My Script #1.rks, x;");
    Serve("Scripts/My Script #1.rks", "script");
    EXPECT_EQ(Check().result, 1);
    EXPECT_EQ(ReadFileBytes(Program("Scripts/My Script #1.rks")), "script");
    EXPECT_EQ(server.Requested().at(1), "/updates/Scripts/My%20Script%20%231.rks");
    EXPECT_EQ(server.First().Header("Cache-Control"), "no-cache");
    EXPECT_EQ(server.First().Header("Pragma"), "no-cache");
}

TEST_F(UpdateCheckTest, AReceivedFileThatDoesNotMatchItsEntryReplacesNothing) {
    // The server sends the first 19 bytes of each file, without a length, and closes: the
    // transfer itself looks complete.
    server.truncateTo = 19;
    const std::string program = Marker("1.0.0.1") + std::string(4000, 'p');
    const std::string script = std::string(3000, 's');
    Install("reelkeep", Marker("1.0.0.0"));
    Install("Scripts/a.rks", "old script");
    Serve("reelkeep", program);
    Serve("Scripts/a.rks", script);
    for (const std::string& list :
         {"Scripts\\a.rks, c" + DigestOf(script) + ";", std::string("reelkeep, v1.0.0.1;")}) {
        SCOPED_TRACE(list);
        Serve("list.txt", list);
        const UpdateOutcome outcome = Check();
        EXPECT_EQ(outcome.result, 0);
        EXPECT_EQ(outcome.pendingReplacement, "");
        EXPECT_EQ(ReadFileBytes(Program("Scripts/a.rks")), "old script");
        EXPECT_EQ(ReadFileBytes(Program("reelkeep")), Marker("1.0.0.0"));
        EXPECT_FALSE(FileExists(Program("Scripts/~a.rks")));
        EXPECT_FALSE(FileExists(Program("~reelkeep")));
    }

    // Whole files that match their entries are put in place; a listed version must be the
    // received file's own, not merely an older one.
    server.truncateTo = 0;
    Serve("list.txt", "Scripts\\a.rks, c" + DigestOf(script) + " ;reelkeep, v1.0.0.1;");
    UpdateOutcome outcome = Check();
    EXPECT_EQ(outcome.result, 1);
    EXPECT_EQ(ReadFileBytes(Program("Scripts/a.rks")), script);
    EXPECT_EQ(outcome.pendingReplacement, Program("~reelkeep"));
    fs::remove(Program("~reelkeep"));
    Serve("list.txt", "reelkeep, v1.0.0.2;");
    outcome = Check();
    EXPECT_EQ(outcome.result, 0);
    EXPECT_FALSE(FileExists(Program("~reelkeep")));
}

TEST_F(UpdateCheckTest, ANameEndingInAFolderSeparatorIsRefused) {
    for (const std::string name : {"Scripts\\", "Scripts/", "a\\b\\"}) {
        Serve("list.txt", name + ", x;");
        EXPECT_EQ(Check().result, 0) << name;
        EXPECT_EQ(question.asked, 0) << name;
        EXPECT_TRUE(fs::is_empty(root.Path() + "prog")) << name;
    }
}

// Sends `head` and then blank lines for as long as the client reads (or `limit` bytes),
// without a length; counts what went out.
void SendEndlessly(test::HttpExchange& exchange, const std::string& head, std::size_t limit,
                   std::atomic<std::size_t>& sent) {
    exchange.CloseAfter();
    exchange.Send("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + head);
    const std::string block(64 * 1024, '\n');
    while (sent < limit && exchange.Send(block)) sent += block.size();
}

TEST_F(UpdateCheckTest, AnOverlongListMeansNoUpdate) {
    // A real list is a few kilobytes; one over a mebibyte is no list at all.
    const std::string entry = "Scripts\\new.rks, x;";
    Serve("Scripts/new.rks", "new script");
    Serve("list.txt", entry + std::string((1 << 20) - entry.size(), '\n'));
    EXPECT_EQ(Check().result, 1);
    EXPECT_EQ(question.asked, 1);
    fs::remove(Program("Scripts/new.rks"));

    Serve("list.txt", entry + std::string((1 << 20) - entry.size() + 1, '\n'));
    EXPECT_EQ(Check().result, 0);
    EXPECT_EQ(question.asked, 0);
    EXPECT_FALSE(FileExists(Program("Scripts/new.rks")));
}

TEST_F(UpdateCheckTest, AnEndlessListOrFileIsCutOffAndEndsTheCheck) {
    test::HttpTestServer endless;
    std::atomic<std::size_t> listSent = 0, fileSent = 0;
    endless.Route("/updates/list.txt", [&](const test::HttpRequest&, test::HttpExchange& exchange) {
        SendEndlessly(exchange, "Scripts\\new.rks, x;", std::size_t{1} << 30, listSent);
    });
    const auto check = [&](InternetUpdateFetcher& fetcher, CInternetSession& session) {
        // Were the check to read on for ever, closing the session would end it: it must end
        // by itself long before.
        std::atomic<bool> done = false, closed = false;
        std::thread watchdog([&] {
            for (int i = 0; i < 2000 && !done; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (!done) {
                closed = true;
                session.Close();
            }
        });
        const UpdateOutcome outcome = CheckForUpdates(endless.Url(""), root.Path() + "prog/",
                                                      Program("reelkeep"), fetcher, question);
        done = true;
        watchdog.join();
        EXPECT_FALSE(closed);
        return outcome;
    };
    {
        CInternetSession session;
        InternetUpdateFetcher fetcher(session);
        EXPECT_EQ(check(fetcher, session).result, 0);
        EXPECT_EQ(question.asked, 0);
        EXPECT_LT(listSent, std::size_t{8} << 20);
    }

    // Every fetched file has its limit too (a real one never reaches it; here it is small).
    endless.Serve("/updates/list.txt", "Scripts\\new.rks, x;");
    endless.Route("/updates/Scripts/new.rks", [&](const test::HttpRequest&, test::HttpExchange& exchange) {
        SendEndlessly(exchange, "", std::size_t{1} << 30, fileSent);
    });
    CInternetSession session;
    InternetUpdateFetcher fetcher(session, {1 << 20, 1 << 20});
    EXPECT_EQ(check(fetcher, session).result, 0);
    EXPECT_EQ(question.asked, 1);
    EXPECT_LT(fileSent, std::size_t{8} << 20);
    EXPECT_FALSE(FileExists(Program("Scripts/new.rks")));
    EXPECT_FALSE(FileExists(Program("Scripts/~new.rks")));  // nor its part
    // The defaults: a mebibyte of list, a gibibyte per file.
    EXPECT_EQ(UpdateLimits{}.listBytes, std::size_t{1} << 20);
    EXPECT_EQ(UpdateLimits{}.fileBytes, std::uint64_t{1} << 30);
}

TEST(UpdateServerTest, EnvironmentOverridesTheBuiltInAddress) {
    {
        test::ScopedEnv server("REELKEEP_UPDATE_SERVER", "http://127.0.0.1:9/");
        EXPECT_EQ(UpdateServerAddress(), "http://127.0.0.1:9");
    }
    test::ScopedEnv unset("REELKEEP_UPDATE_SERVER", "");
    EXPECT_EQ(UpdateServerAddress(), REELKEEP_UPDATE_SERVER_BUILT_IN);
}

}  // namespace
}  // namespace reelkeep
