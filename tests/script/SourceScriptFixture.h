// The shipped scripts that read public sources, run from the source tree against a local
// server that answers with the sources' documented responses (tests/script/fixtures). The
// copied include files point the scripts at 127.0.0.1; the user's settings folder is the
// test's own.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "catalog/CatalogPaths.h"
#include "script/RecordingHost.h"
#include "script/ScriptFiles.h"
#include "script/ScriptRunner.h"
#include "support/HttpTestServer.h"
#include "support/TempFolder.h"

namespace reelkeep::test {

class SourceScriptFixture : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* old = std::getenv("XDG_CONFIG_HOME")) oldConfigHome_ = old;
        ::setenv("XDG_CONFIG_HOME", (config / "xdg").c_str(), 1);
        std::filesystem::copy(REELKEEP_SOURCE_DIR "/resources/Scripts", scripts.Path(),
                              std::filesystem::copy_options::recursive);
    }
    void TearDown() override {
        if (oldConfigHome_.empty())
            ::unsetenv("XDG_CONFIG_HOME");
        else
            ::setenv("XDG_CONFIG_HOME", oldConfigHome_.c_str(), 1);
    }

    // Replaces `from` by `to` in a copied script file; the text must be there.
    void Rewrite(const std::string& file, const std::string& from, const std::string& to) {
        std::string text = ReadFileBytes(scripts / file);
        const std::size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << file << ": " << from;
        text.replace(at, from.size(), to);
        WriteFileBytes(scripts / file, text);
    }

    // A response of tests/script/fixtures, with the source's picture host moved to the server.
    std::string Fixture(const std::string& name, const std::string& imageHost = {},
                        const std::string& imagePath = {}) {
        std::string text = ReadFileBytes(REELKEEP_SOURCE_DIR "/tests/script/fixtures/" + name);
        EXPECT_FALSE(text.empty()) << name;
        if (!imageHost.empty()) {
            for (std::size_t at = text.find(imageHost); at != std::string::npos;
                 at = text.find(imageHost, at))
                text.replace(at, imageHost.size(), server.Url(imagePath));
        }
        return text;
    }

    static void SendJson(HttpExchange& exchange, int status, const std::string& body) {
        exchange.Send(HttpTestServer::Response(status, body,
                                               "Content-Type: application/json; charset=utf-8\r\n"));
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

    // Runs the shipped script over one movie; the number of movies stored (0 or 1).
    int Run(const std::string& name, ObjectId oid) {
        const auto text = ReadScriptText(scripts.Path(), name);
        EXPECT_TRUE(text) << name;
        if (!text) return 0;
        ScriptRun run(host, catalog.Path(), 5000);
        ScriptRunner runner(run, *text, ReadIncludeText(scripts.Path(), name),
                            CatalogFilePath(catalog.Path()));
        const std::size_t before = host.stored.size();
        runner.ScriptWorker({{oid, Stored(oid).szTitle}});
        return static_cast<int>(host.stored.size() - before);
    }

    // The targets the server was asked for whose path starts with `prefix`.
    std::vector<std::string> Asked(const std::string& prefix) {
        std::vector<std::string> targets;
        for (const HttpRequest& request : server.Requests()) {
            if (request.target.rfind(prefix, 0) == 0) targets.push_back(request.target);
        }
        return targets;
    }

    HttpTestServer server;
    TempFolder scripts, catalog, config;
    RecordingHost host;

private:
    std::string oldConfigHome_;
};

}  // namespace reelkeep::test
