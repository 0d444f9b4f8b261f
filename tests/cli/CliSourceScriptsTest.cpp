// The shipped scripts for public sources through reelkeep-cli run-script: Wikipedia with no
// setup, TMDB after typing the key once at the terminal, and user.remember/recall from one
// process to the next. The sources are played by a local server with their documented answers.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>

#include "catalog/CatalogDatabase.h"
#include "catalog/CatalogPaths.h"
#include "support/HttpTestServer.h"
#include "support/Process.h"
#include "support/TempFolder.h"

namespace reelkeep {
namespace {

using test::HttpExchange;
using test::HttpRequest;
using test::HttpTestServer;
using test::ReadFileBytes;
using test::TempFolder;
using test::WriteFileBytes;

std::string Fixture(const std::string& name) {
    return ReadFileBytes(REELKEEP_SOURCE_DIR "/tests/script/fixtures/" + name);
}

// Runs the program on a terminal of its own; each time its output so far ends with a prompt of
// `answers` (a prompt's text, then the line to type), types that line. Returns all it wrote.
std::string RunOnTerminal(const std::vector<std::string>& args, const std::string& configHome,
                          std::vector<std::pair<std::string, std::string>> answers) {
    int terminal = -1;
    const pid_t pid = ::forkpty(&terminal, nullptr, nullptr, nullptr);
    if (pid == 0) {
        ::setenv("XDG_CONFIG_HOME", configHome.c_str(), 1);
        std::vector<char*> argv{const_cast<char*>(REELKEEP_CLI_PATH)};
        for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        ::execv(REELKEEP_CLI_PATH, argv.data());
        ::_exit(127);
    }
    std::string output;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd wait{terminal, POLLIN, 0};
        if (::poll(&wait, 1, 100) <= 0) continue;
        char buffer[4096];
        const ssize_t got = ::read(terminal, buffer, sizeof buffer);
        if (got <= 0) break;  // the program has ended
        output.append(buffer, static_cast<std::size_t>(got));
        if (!answers.empty() && output.find(answers.front().first) != std::string::npos) {
            const std::string line = answers.front().second + "\n";
            EXPECT_EQ(::write(terminal, line.data(), line.size()), static_cast<ssize_t>(line.size()));
            answers.erase(answers.begin());
        }
    }
    if (std::chrono::steady_clock::now() >= deadline) ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ::close(terminal);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << output;
    EXPECT_TRUE(answers.empty()) << "not asked: " << answers.front().first << "\n" << output;
    return output;
}

class CliSourceScriptsTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::copy(REELKEEP_SOURCE_DIR "/resources/Scripts", scripts.Path(),
                              std::filesystem::copy_options::recursive);
        Point("Include/Wikipedia.as", "https://en.wikipedia.org/w/api.php", server.Url("/w/api.php"));
        Point("Include/Wikipedia.as", "WIKIPEDIA_PAUSE = 1000", "WIKIPEDIA_PAUSE = 0");
        Point("Include/TMDB.as", "https://api.themoviedb.org/3", server.Url("/3"));
        Point("Include/TMDB.as", "https://image.tmdb.org/t/p/w500", server.Url("/t/p/w500"));
        server.Route("/w/api.php", [this](const HttpRequest& request, HttpExchange& exchange) {
            std::string body = Fixture(request.target.find("list=search") != std::string::npos
                                           ? "wikipedia/search-amelie.json"
                                           : "wikipedia/page-amelie.json");
            const std::string host = "https://upload.wikimedia.org/";
            if (const std::size_t at = body.find(host); at != std::string::npos)
                body.replace(at, host.size(), server.Url("/upload/"));  // leads to the test server
            exchange.Send(HttpTestServer::Response(200, body));
        });
        server.Route("/3/search/movie", [](const HttpRequest& request, HttpExchange& exchange) {
            const bool key = request.target.find("api_key=typed-key") != std::string::npos;
            exchange.Send(HttpTestServer::Response(key ? 200 : 401, Fixture(key ? "tmdb/search-amelie.json"
                                                                               : "tmdb/invalid-key.json")));
        });
        server.Serve("/3/movie/194", Fixture("tmdb/movie-194.json"), "application/json");
        server.RouteOthers([](const HttpRequest& request, HttpExchange& exchange) {
            exchange.Send(HttpTestServer::Response(200, "IMAGE " + request.target));
        });
        CatalogDatabase database(CatalogFilePath(catalog.Path()));
        database.Open(CatalogDatabase::Access::ReadWrite);
        Movie movie;
        movie.szTitle = "Am\xC3\xA9lie";
        movie.nYear = 2001;
        oid = database.Insert(movie);
    }

    void Point(const std::string& file, const std::string& from, const std::string& to) {
        std::string text = ReadFileBytes(scripts / file);
        ASSERT_NE(text.find(from), std::string::npos) << from;
        text.replace(text.find(from), from.size(), to);
        WriteFileBytes(scripts / file, text);
    }

    Movie Stored() {
        CatalogDatabase database(CatalogFilePath(catalog.Path()));
        database.Open(CatalogDatabase::Access::ReadOnly);
        Movie movie;
        database.Fetch(oid, movie);
        return movie;
    }

    std::vector<std::string> RunArgs(const std::string& script) {
        return {"--catalog", catalog.Path(), "run-script", "--scripts", scripts.Path(), script,
                std::to_string(oid)};
    }

    HttpTestServer server;
    TempFolder catalog, scripts, config;
    ObjectId oid = 0;
};

TEST_F(CliSourceScriptsTest, WikipediaFillsAMovieWithoutAnySetup) {
    const auto run = test::RunProcess(REELKEEP_CLI_PATH, RunArgs("Wikipedia"), {},
                                      {"XDG_CONFIG_HOME=" + config.Path()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.err.find("1 of 1 movies stored."), std::string::npos) << run.err;
    const Movie movie = Stored();
    EXPECT_EQ(movie.pszDirectors, (StringArray{"Jean-Pierre Jeunet"}));
    EXPECT_EQ(movie.nLength, 122);
    EXPECT_EQ(movie.pszPictures, (StringArray{"440px-Am\xC3\xA9lie_poster.jpg"}));
    EXPECT_TRUE(test::FileExists(catalog / "440px-Am\xC3\xA9lie_poster.jpg"));
}

TEST_F(CliSourceScriptsTest, TmdbAsksForTheKeyOnceAtTheTerminalAndRemembersIt) {
    // Without a terminal the key cannot be asked: nothing is requested or changed.
    const auto quiet = test::RunProcess(REELKEEP_CLI_PATH, RunArgs("TMDB"), {},
                                        {"XDG_CONFIG_HOME=" + config.Path()});
    EXPECT_EQ(quiet.exitCode, 0) << quiet.err;
    EXPECT_TRUE(server.Requests().empty());

    const std::string first = RunOnTerminal(RunArgs("TMDB"), config.Path(), {{"TMDB API key - ", "typed-key"}});
    EXPECT_NE(first.find("1 of 1 movies stored."), std::string::npos) << first;
    Movie movie = Stored();
    EXPECT_EQ(movie.szTranslated, "Le Fabuleux Destin d'Am\xC3\xA9lie Poulain");
    EXPECT_EQ(movie.pszDirectors, (StringArray{"Jean-Pierre Jeunet"}));
    EXPECT_EQ(movie.szURL, "https://www.imdb.com/title/tt0211915/");

    // The next run, on a terminal again, does not ask.
    movie.szPlot.clear();
    {
        CatalogDatabase database(CatalogFilePath(catalog.Path()));
        database.Open(CatalogDatabase::Access::ReadWrite);
        database.Update(oid, movie);
    }
    const std::string second = RunOnTerminal(RunArgs("TMDB"), config.Path(), {});
    EXPECT_EQ(second.find("API key"), std::string::npos) << second;
    EXPECT_EQ(Stored().szPlot.rfind("At a tiny Parisian caf\xC3\xA9", 0), 0u);
}

TEST_F(CliSourceScriptsTest, AValueRememberedByOneProcessIsRecalledByTheNext) {
    WriteFileBytes(scripts / "Keep.rks", "user.remember('Preferred', 'de-DE');");
    WriteFileBytes(scripts / "Use.rks", "szPlot = 'language ' + user.recall('Preferred');");
    for (const char* script : {"Keep", "Use"}) {
        const auto run = test::RunProcess(REELKEEP_CLI_PATH, RunArgs(script), {},
                                          {"XDG_CONFIG_HOME=" + config.Path()});
        EXPECT_EQ(run.exitCode, 0) << run.err;
    }
    EXPECT_EQ(Stored().szPlot, "language de-DE");
    EXPECT_EQ(ReadFileBytes(config / "Tarvenn/Reelkeep Scripts/Preferred"), "de-DE");
}

}  // namespace
}  // namespace reelkeep
