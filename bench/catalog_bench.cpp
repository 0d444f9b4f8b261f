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

using namespace reelkeep;
using Clock = std::chrono::steady_clock;
using Access = CatalogDatabase::Access;

namespace {

double Milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

std::string Word(std::mt19937& random, std::size_t minLength, std::size_t maxLength) {
    std::uniform_int_distribution<std::size_t> length(minLength, maxLength);
    std::uniform_int_distribution<int> letter('a', 'z');
    std::string word(length(random), ' ');
    for (char& c : word) c = static_cast<char>(letter(random));
    word[0] = static_cast<char>(word[0] - 'a' + 'A');
    return word;
}

std::string Name(std::mt19937& random) { return Word(random, 4, 9) + " " + Word(random, 5, 11); }

Movie RealisticMovie(std::mt19937& random, int i) {
    Movie movie;
    movie.szTitle = Word(random, 3, 10) + " " + Word(random, 3, 10) + " " + std::to_string(i);
    movie.szTranslated = Word(random, 5, 20);
    for (int k = 0; k < 3; ++k) movie.pszDirectors.push_back(Name(random));
    for (int k = 0; k < 10; ++k) movie.pszActors.push_back(Name(random));
    movie.pszCountries = {"USA"};
    movie.pszCategories = {"Drama", "Thriller"};
    movie.nYear = 1930 + static_cast<int>(random() % 95);
    movie.nLength = 80 + static_cast<int>(random() % 100);
    movie.szURL = "http://movies.example/title/" + std::to_string(i);
    while (movie.szPlot.size() < 500) movie.szPlot += Word(random, 2, 9) + " ";
    movie.szPlot.resize(500);
    movie.szVideo = "DivX 5";
    movie.szAudio = "MPEG Layer-3";
    movie.pszFilenames = {"movie" + std::to_string(i) + ".cd1.avi",
                          "movie" + std::to_string(i) + ".cd2.avi"};
    movie.pnSizes = {734'003'200, 730'000'000};
    movie.nWidth = 640;
    movie.nHeight = 272;
    movie.fFPS = 23.976f;
    movie.pszLanguages = {"English"};
    movie.pszMedia = {"File"};
    movie.fRating = static_cast<float>(random() % 1000) / 100.0f;
    movie.pszPictures = {"cover" + std::to_string(i) + ".jpg"};
    movie.bWatched = random() % 2;
    movie.szLocation = "/films/movie" + std::to_string(i) + ".cd2.avi";
    return movie;
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
