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
#include "catalog/CatalogPaths.h"
#include "RealisticMovie.h"

using namespace reelkeep;
using Clock = std::chrono::steady_clock;
using Access = CatalogDatabase::Access;
using bench::RealisticMovie;

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

    struct stat info {};
    ::stat(path.c_str(), &info);
    std::printf("file size: %.1f MB\n", static_cast<double>(info.st_size) / 1e6);

    if (temporary) std::filesystem::remove_all(folder);
    return 0;
}
