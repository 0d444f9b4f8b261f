// Figures of the script runner: a trivial script over a real catalog, and page transfers from a
// server on 127.0.0.1.
//   runner_bench [MOVIES]   (default 1000)
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "catalog/CatalogDatabase.h"
#include "catalog/CatalogPaths.h"
#include "net/HttpTransfers.h"
#include "script/ScriptRunner.h"
#include "support/HttpTestServer.h"

using namespace reelkeep;
using Clock = std::chrono::steady_clock;

namespace {

struct QuietHost : ScriptRunHost {
    void SetRange(std::uint32_t) override {}
    void SetPosition(std::uint32_t) override {}
    void SetItemState(std::size_t, ItemState) override {}
    void MovieStored(std::size_t, const std::string&, bool) override { ++stored; }
    int MessageBox(const std::string& text, const std::string&, std::uint32_t) override {
        std::fprintf(stderr, "%s\n", text.c_str());
        return 1;
    }
    bool Input(std::string&, const std::string&, const std::string&, bool) override { return false; }
    int Select(const StringArray&, const std::string&, const std::string&) override { return -1; }
    std::size_t stored = 0;
};

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 1000;
    std::string pattern = (std::filesystem::temp_directory_path() / "runner-bench-XXXXXX").string();
    const std::string folder = std::string(::mkdtemp(pattern.data())) + "/";
    const std::string catalogFile = CatalogFilePath(folder);

    std::vector<ScriptRunMovie> movies;
    {
        CatalogDatabase database(catalogFile);
        database.Open(CatalogDatabase::Access::ReadWrite);
        for (int i = 0; i < count; ++i) {
            Movie movie;
            movie.szTitle = "Movie " + std::to_string(i);
            movie.pszActors = {"A", "B", "C"};
            movies.push_back({database.Insert(movie), movie.szTitle});
        }
    }
    movies = ScriptRunner::InRunOrder(movies);

    std::string include;
    for (int i = 0; i < 100; ++i) {
        include += "string Helper" + std::to_string(i) + "(const string &in t) {\n"
                   "    return t + '" + std::to_string(i) + "';\n}\n";
    }
    QuietHost host;
    ScriptRun run(host, folder, 0);
    ScriptRunner runner(run, "szPlot = Helper7(szTitle); pszActors.append('D'); nYear = 1999;",
                        include, catalogFile);
    auto start = Clock::now();
    runner.ScriptWorker(movies);
    const double total = Seconds(Clock::now() - start);
    std::printf("script over %d movies (300-line include), stored %zu: %.2f ms per movie\n", count,
                host.stored, total * 1000.0 / count);

    test::HttpTestServer server;
    const std::string page(10 * 1024 * 1024, 'p');
    server.Serve("/page", page);
    CInternetSession session;
    std::string location;
    OpenUrl(session, server.Url("/page"), location);  // warm the connection
    constexpr int kRepeats = 10;
    start = Clock::now();
    for (int i = 0; i < kRepeats; ++i) OpenUrl(session, server.Url("/page"), location);
    const double seconds = Seconds(Clock::now() - start) / kRepeats;
    std::printf("open of a 10 MB page from 127.0.0.1: %.1f ms, %.0f MB/s\n", seconds * 1000.0,
                10.0 * 1.048576 / seconds);

    std::filesystem::remove_all(folder);
    return 0;
}
