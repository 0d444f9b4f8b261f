// Figures of the Filter on a catalog of realistic records: the store's answer to typical
// queries, the word index's build for a catalog of the former layout, what the index adds to
// the file, and the statistics summary; then, built with the window, the same queries from the
// last keystroke to the list shown and the statistics page from the menu to shown. Processor
// time stands beside wall time: it holds still on a shared machine.
//   find_bench [--common-words] [COUNT] [FOLDER]
//     defaults: 100000 movies, a fresh temp folder; a FOLDER that holds a catalog of COUNT
//     movies already is used as it is. --common-words fills the catalog with the words of a
//     real collection (RealisticMovieOfCommonWords) instead of random letters.
#include <sqlite3.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "BenchFigures.h"
#include "RealisticMovie.h"
#if REELKEEP_FIND_BENCH_WINDOW
#include "FindWindowFigures.h"
#endif
#include "catalog/CatalogDatabase.h"
#include "catalog/CatalogPaths.h"
#include "catalog/FindQuery.h"

using namespace reelkeep;
using Clock = std::chrono::steady_clock;
using Access = CatalogDatabase::Access;
using bench::FileMegabytes;
using bench::MedianMilliseconds;

namespace {

double Milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Wall and processor time of one run of `work`, in milliseconds.
struct Took {
    double wall;
    double cpu;
};
template <class F>
Took Time(F&& work) {
    const auto start = Clock::now();
    const std::clock_t cpu = std::clock();
    work();
    return {Milliseconds(Clock::now() - start),
            static_cast<double>(std::clock() - cpu) * 1000.0 / CLOCKS_PER_SEC};
}

void Exec(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    char* error = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::fprintf(stderr, "find_bench: %s\n", error ? error : "");
        std::exit(1);
    }
    sqlite3_close(db);
}

// What the catalog looked like before the word index.
const char* kFormerLayout =
    "DROP TRIGGER MovieWordsQueue_insert; DROP TRIGGER MovieWordsQueue_update;"
    " DROP TRIGGER MovieWordsQueue_delete; DROP TABLE MovieWords; DROP TABLE MovieWordsQueue;"
    " DROP INDEX Movie_numbers; PRAGMA user_version = 2;";

std::size_t CountOf(const std::string& path) {
    if (!std::filesystem::exists(path)) return 0;
    CatalogDatabase database(path);
    database.Open(Access::ReadOnly);
    return database.Count();
}

// The surname of an entry "First Last".
std::string Surname(const std::string& name) { return name.substr(name.find(' ') + 1); }

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    const bool commonWords = !args.empty() && args.front() == "--common-words";
    if (commonWords) args.erase(args.begin());
    const int count = !args.empty() ? std::atoi(args[0].c_str()) : 100'000;
    std::string folder;
    bool temporary = false;
    if (args.size() > 1) {
        folder = args[1];
        if (folder.back() != '/') folder += '/';
        std::filesystem::create_directories(folder);
    } else {
        std::string pattern = (std::filesystem::temp_directory_path() / "find-bench-XXXXXX").string();
        folder = std::string(::mkdtemp(pattern.data())) + "/";
        temporary = true;
    }
    const std::string path = CatalogFilePath(folder);
    std::printf("movies: %d (%s)\n", count, commonWords ? "the words of a real collection" : "random letters");

    if (CountOf(path) != static_cast<std::size_t>(count)) {
        RemoveCatalogFile(path);
        std::mt19937 random(2024);
        std::vector<Movie> movies;
        movies.reserve(count);
        for (int i = 0; i < count; ++i) {
            movies.push_back(commonWords ? bench::RealisticMovieOfCommonWords(random, i)
                                         : bench::RealisticMovie(random, i));
        }
        const Took took = Time([&] {
            CatalogDatabase database(path);
            database.Open(Access::ReadWrite);
            for (Movie& movie : movies) database.Insert(movie);
            database.Close();
        });
        std::printf("insert all, one connection, the index taking them at the commit: %.0f ms "
                    "(processor %.0f ms)\n", took.wall, took.cpu);
    }

    // ---- What the index adds to the file, and its build for a catalog of the former layout.
    const std::string former = folder + "former/";
    std::filesystem::create_directories(former);
    const std::string formerPath = CatalogFilePath(former);
    RemoveCatalogFile(formerPath);
    Exec(path, "VACUUM INTO '" + formerPath + "'");
    const double withIndex = FileMegabytes(formerPath);
    Exec(formerPath, kFormerLayout);
    Exec(formerPath, "VACUUM");
    const double withoutIndex = FileMegabytes(formerPath);
    std::printf("file size: %.1f MB without the index, %.1f MB with it (+%.0f %%; both vacuumed)\n",
                withoutIndex, withIndex, 100.0 * (withIndex - withoutIndex) / withoutIndex);
    {
        std::size_t reports = 0;
        CatalogDatabase::SetThreadUpgradeProgress([&](std::size_t, std::size_t) { ++reports; });
        const Took took = Time([&] {
            CatalogDatabase database(formerPath);
            database.Open(Access::ReadWrite);
            database.Close();
        });
        CatalogDatabase::SetThreadUpgradeProgress({});
        std::printf("index built at the first write of a catalog of the former layout: %.0f ms "
                    "(processor %.0f ms; %zu progress reports); file %.1f MB after\n",
                    took.wall, took.cpu, reports, FileMegabytes(formerPath));
    }
    std::filesystem::remove_all(former);

    // ---- Queries: each on a connection of its own, as the window makes them.
    Movie sample;
    {
        CatalogDatabase database(path);
        database.Open(Access::ReadOnly);
        const std::vector<ObjectId> oids = database.SelectAll();
        database.Fetch(oids[oids.size() / 3], sample);
    }
    const std::string word = Lower(Surname(sample.pszActors[1]));
    const std::string director = Lower(sample.pszDirectors[0].substr(0, 4));
    const std::string year = std::to_string(sample.nYear - 5) + "-" + std::to_string(sample.nYear + 5);
    struct Case {
        std::string label;
        std::string query;
    };
    std::vector<Case> cases;
    for (std::size_t typed = 1; typed <= word.size(); ++typed) {
        cases.push_back({"typing, " + std::to_string(typed) + " letters", word.substr(0, typed)});
    }
    cases.push_back({"one word", word});
    cases.push_back({"three fields", "actor:" + word + " director:" + director + " year:" + year});
    cases.push_back({"range", "year:1990-1999"});
    cases.push_back({"two ranges", "rating:>7 length:<=100"});
    cases.push_back({"phrase", "actor:\"" + sample.pszActors[1] + "\""});
    cases.push_back({"whole entry", WholeEntryQuery("actor", sample.pszActors[1])});
    cases.push_back({"exclusion alone", "-thriller"});
    cases.push_back({"word and range", word.substr(0, 2) + " year:1990-1999 watched:no"});
    std::printf("queries (median of 21, open + find + close, read-only):\n");
    for (const Case& c : cases) {
        const FindQuery query = ParseFindQuery(c.query).query;
        std::size_t found = 0;
        const double ms = MedianMilliseconds(21, [&] {
            CatalogDatabase database(path);
            database.Open(Access::ReadOnly);
            found = database.Find(query).size();
            database.Close();
        });
        std::printf("  %-22s %-58s %8.1f ms  %6zu found\n", c.label.c_str(), c.query.c_str(), ms, found);
    }

    // ---- The statistics summary.
    for (const std::string& filter : {std::string(), std::string("year:1990-1999"), word.substr(0, 1)}) {
        const FindQuery query = ParseFindQuery(filter).query;
        std::int64_t movies = 0;
        std::vector<Took> runs;
        for (int i = 0; i < 5; ++i) {
            runs.push_back(Time([&] {
                CatalogDatabase database(path);
                database.Open(Access::ReadOnly);
                movies = database.Summarize(query).movies;
            }));
        }
        std::sort(runs.begin(), runs.end(), [](const Took& a, const Took& b) { return a.wall < b.wall; });
        std::printf("statistics summary%s%s: %.0f ms (processor %.0f ms; %lld movies)\n",
                    filter.empty() ? "" : " of ", filter.c_str(), runs[2].wall, runs[2].cpu,
                    static_cast<long long>(movies));
    }

#if REELKEEP_FIND_BENCH_WINDOW
    std::vector<bench::WindowQuery> windowQueries;
    for (const Case& c : cases) windowQueries.push_back({c.label, c.query});
    bench::PrintWindowFigures(argc, argv, folder, windowQueries);
#endif

    if (temporary) std::filesystem::remove_all(folder);
    return 0;
}
