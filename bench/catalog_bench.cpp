// Figures of the catalog store on a catalog of realistic records.
//   catalog_bench [COUNT] [FOLDER]   (defaults: 100000 movies, a fresh temp folder)
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "catalog/CatalogDatabase.h"
#include "catalog/CatalogHistory.h"
#include "catalog/CatalogOperations.h"
#include "catalog/CatalogPaths.h"
#include "import/MovieImport.h"
#include "BenchFigures.h"
#include "RealisticMovie.h"

using namespace reelkeep;
using Clock = std::chrono::steady_clock;
using Access = CatalogDatabase::Access;
using bench::RealisticMovie;
using bench::FileMegabytes;

namespace {

double Milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

template <class F>
double MedianMicroseconds(int repeats, F&& run) {
    std::vector<double> times;
    for (int i = 0; i < repeats; ++i) {
        const auto start = Clock::now();
        run(i);
        times.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
    return times[times.size() / 2];
}

// What a script run does to the store: every movie read, changed and written back, in one
// connection.
double ScriptLikeUpdate(const std::string& path, const std::vector<ObjectId>& oids, bool history, int round) {
    const auto start = Clock::now();
    CatalogDatabase database(path);
    database.KeepHistory(history);
    database.Open(Access::ReadWrite);
    Movie movie;
    for (const ObjectId oid : oids) {
        database.Fetch(oid, movie);
        movie.szPlot = "Round " + std::to_string(round) + ": " + movie.szPlot.substr(0, 400);
        movie.nYear += 1;
        database.Update(oid, movie);
    }
    database.SetStepLabel("Script \"Bench\" on 1,000 Movies");
    database.Close();
    return Milliseconds(Clock::now() - start);
}

// What a drop of new files does to the store: each file's name looked up, then a new movie
// with its file, location, size and facts.
double DropLikeInsert(const std::string& path, int files, bool history, int round) {
    const auto start = Clock::now();
    CatalogDatabase database(path);
    database.KeepHistory(history);
    database.Open(Access::ReadWrite);
    for (int i = 0; i < files; ++i) {
        const std::string name = "drop" + std::to_string(round) + "-" + std::to_string(i) + ".mkv";
        if (!database.SelectByFilename(name).empty()) continue;
        Movie movie;
        movie.szTitle = "Dropped " + std::to_string(i);
        movie.szLocation = "/media/films/" + name;
        movie.pszFilenames = {name};
        movie.pnSizes = {1'500'000'000 + i};
        movie.pszMedia = {"File"};
        movie.szVideo = "H.264 / AVC";
        movie.szAudio = "AAC";
        movie.nWidth = 1920;
        movie.nHeight = 1080;
        movie.fFPS = 23.976f;
        database.Insert(movie);
    }
    database.SetStepLabel("Drop of 10,000 Files");
    database.Close();
    return Milliseconds(Clock::now() - start);
}

template <class F>
std::pair<double, double> MedianWithAndWithout(int repeats, F&& run) {
    std::vector<double> with, without;
    // Each goes first in every other round, so that neither gains from the other's warm cache.
    for (int i = 0; i < repeats; ++i) {
        if (i % 2) {
            with.push_back(run(true, 2 * i));
            without.push_back(run(false, 2 * i + 1));
        } else {
            without.push_back(run(false, 2 * i));
            with.push_back(run(true, 2 * i + 1));
        }
    }
    std::sort(with.begin(), with.end());
    std::sort(without.begin(), without.end());
    return {with[with.size() / 2], without[without.size() / 2]};
}

class NoQuestions : public ImportHost {
public:
    ObjectId FindRowByTitle(const std::string&) override { return 0; }
    std::optional<TitleAnswer> AskTitle(const std::string& derived, const std::vector<std::string>&) override {
        return TitleAnswer{derived, true};
    }
    void MovieAdded(const MovieListRow&) override {}
};

void HistoryFigures(const std::string& folder, const std::vector<ObjectId>& oids) {
    const std::string path = CatalogFilePath(folder);
    const double sizeBefore = FileMegabytes(path);

    std::vector<ObjectId> thousand;
    for (std::size_t i = 0; i < 1000 && i < oids.size(); ++i) thousand.push_back(oids[(i * 97) % oids.size()]);
    const auto [updateWith, updateWithout] = MedianWithAndWithout(
        5, [&](bool history, int round) { return ScriptLikeUpdate(path, thousand, history, round); });
    std::printf("script-like update of %zu movies: %.0f ms with history, %.0f ms without (+%.0f %%)\n",
                thousand.size(), updateWith, updateWithout, 100.0 * (updateWith / updateWithout - 1));

    const auto [dropWith, dropWithout] = MedianWithAndWithout(
        4, [&](bool history, int round) { return DropLikeInsert(path, 10'000, history, round); });
    std::printf("store side of a 10,000-file drop: %.0f ms with history, %.0f ms without (+%.0f %%)\n",
                dropWith, dropWithout, 100.0 * (dropWith / dropWithout - 1));

    // The real drop, with its walk and each file's header read (small files that hold no movie).
    const std::string media = folder + "drop/";
    std::filesystem::create_directories(media);
    for (int i = 0; i < 10'000; ++i) {
        std::FILE* file = std::fopen((media + "Real.Drop." + std::to_string(i) + ".avi").c_str(), "wb");
        std::fputs("not a movie", file);
        std::fclose(file);
    }
    NoQuestions host;
    auto start = Clock::now();
    const DropResult dropped = AddDroppedPaths(path, {media}, host);
    std::printf("a real drop of 10,000 files, with history: %.0f ms (%d added)\n",
                Milliseconds(Clock::now() - start), dropped.added);
    start = Clock::now();
    UndoStep(path);
    std::printf("undo of that drop: %.0f ms\n", Milliseconds(Clock::now() - start));
    std::filesystem::remove_all(media);

    std::vector<ObjectId> doomed;
    for (std::size_t i = 0; i < 10'000 && i < oids.size(); ++i) doomed.push_back(oids[oids.size() - 1 - i]);
    start = Clock::now();
    DeleteMovies(path, doomed, [](std::size_t) {});
    std::printf("delete of %zu movies, with history: %.0f ms\n", doomed.size(), Milliseconds(Clock::now() - start));
    start = Clock::now();
    const HistoryMove undone = UndoStep(path);
    std::printf("undo of that delete: %.0f ms (%zu movies back)\n", Milliseconds(Clock::now() - start),
                undone.present.size());
    start = Clock::now();
    RedoStep(path);
    std::printf("redo of that delete: %.0f ms\n", Milliseconds(Clock::now() - start));
    UndoStep(path);

    std::size_t steps = 0;
    for (const HistoryStepInfo& step : ListHistory(path)) steps += step.undone ? 0 : 1;
    std::printf("file size: %.1f MB before the history figures, %.1f MB after (%zu steps kept; "
                "the history's bound is 64 MB or a quarter of the catalog)\n",
                sizeBefore, FileMegabytes(path), steps);
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 100'000;
    std::string folder;
    bool temporary = false;
    if (argc > 2) {
        folder = argv[2];
        if (folder.back() != '/') folder += '/';
    } else {
        std::string pattern = (std::filesystem::temp_directory_path() / "catalog-bench-XXXXXX").string();
        folder = std::string(::mkdtemp(pattern.data())) + "/";
        temporary = true;
    }
    const std::string path = CatalogFilePath(folder);
    RemoveCatalogFile(path);

    std::mt19937 random(2024);
    std::vector<Movie> movies;
    movies.reserve(count);
    for (int i = 0; i < count; ++i) movies.push_back(RealisticMovie(random, i));

    std::vector<ObjectId> oids;
    auto start = Clock::now();
    {
        CatalogDatabase database(path);
        database.Open(Access::ReadWrite);
        for (Movie& movie : movies) oids.push_back(database.Insert(movie));
        database.Close();
    }
    std::printf("movies: %d\n", count);
    std::printf("insert all, one connection: %.0f ms\n", Milliseconds(Clock::now() - start));

    const double openClose = MedianMicroseconds(201, [&](int) {
        CatalogDatabase database(path);
        database.Open(Access::ReadOnly);
        database.Close();
    });
    std::printf("open + close read-only: %.1f us\n", openClose);

    CatalogDatabase database(path);
    database.Open(Access::ReadOnly);
    std::size_t rows = 0;
    const double selectAll = MedianMicroseconds(5, [&](int) { rows = database.SelectListRows().size(); });
    std::printf("select all rows (identifier, title, watched): %.1f ms (%zu rows)\n",
                selectAll / 1000.0, rows);

    const double sortKeys = MedianMicroseconds(5, [&](int) { rows = database.SelectSortKeys().size(); });
    std::printf("sort keys of all rows: %.1f ms\n", sortKeys / 1000.0);

    std::size_t found = 0;
    const double byName = MedianMicroseconds(1001, [&](int i) {
        found += database.SelectByFilename("movie" + std::to_string((i * 7919) % count) + ".cd2.avi").size();
    });
    std::printf("file-name query: %.1f us (%zu found of 1001)\n", byName, found);

    Movie movie;
    const double fetch = MedianMicroseconds(1001, [&](int i) {
        database.Fetch(oids[(static_cast<std::size_t>(i) * 7919) % oids.size()], movie);
    });
    std::printf("position + read one record: %.1f us\n", fetch);
    database.Close();

    std::printf("file size: %.1f MB\n", FileMegabytes(path));

    HistoryFigures(folder, oids);

    if (temporary) std::filesystem::remove_all(folder);
    return 0;
}
