// Figures of importing: a 10,000-row IMDb export, a 10,000-movie Tellico file and our own CSV
// of 100,000 movies, each read, previewed and stored into an empty catalog as
// `reelkeep-cli import` does.
//   import_bench [SCALE]   (1 by default; 0.1 makes every file a tenth as large)
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "RealisticMovie.h"
#include "catalog/CatalogPaths.h"
#include "interop/CatalogImport.h"
#include "interop/CsvExport.h"
#include "interop/ImportFile.h"

using namespace reelkeep;
using Clock = std::chrono::steady_clock;

namespace {

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

std::string Folder(const std::string& root, const std::string& name) {
    const std::string folder = root + name + "/";
    std::filesystem::create_directories(folder);
    return folder;
}

void Write(const std::string& path, const std::string& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

std::string Escaped(const std::string& text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '<': out += "&lt;"; break;
            case '&': out += "&amp;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

std::string Joined(const StringArray& items) {
    std::string out;
    for (const std::string& item : items) out += (out.empty() ? "" : ", ") + item;
    return out;
}

std::string ImdbExport(int rows) {
    std::mt19937 random(17);
    std::string csv =
        "Const,Your Rating,Date Rated,Title,Original Title,URL,Title Type,IMDb Rating,"
        "Runtime (mins),Year,Genres,Num Votes,Release Date,Directors\r\n";
    for (int i = 0; i < rows; ++i) {
        const Movie movie = bench::RealisticMovie(random, i);
        const std::string id = "tt" + std::to_string(1000000 + i);
        const bool series = i % 20 == 0;
        csv += id + "," + (i % 3 ? std::to_string(1 + i % 10) : "") + ",2021-03-04," +
               Quoted(movie.szTitle) + "," + Quoted(movie.szTitle) + ",https://www.imdb.com/title/" + id +
               "/," + (series ? "TV Series" : "Movie") + ",7.4," + std::to_string(movie.nLength) + "," +
               std::to_string(movie.nYear) + "," + Quoted(Joined(movie.pszCategories)) + ",12345,1999-01-01," +
               Quoted(Joined(movie.pszDirectors)) + "\r\n";
    }
    return csv;
}

std::string TellicoFile(int entries) {
    std::mt19937 random(23);
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<tellico xmlns=\"http://periapsis.org/tellico/\" syntaxVersion=\"11\">\n"
        " <collection title=\"Videos\" type=\"3\">\n  <fields><field name=\"_default\"/></fields>\n";
    const auto group = [](const char* field, const StringArray& values) {
        std::string out = std::string("<") + field + "s>";
        for (const std::string& value : values) out += std::string("<") + field + ">" + Escaped(value) + "</" + field + ">";
        return out + "</" + field + "s>";
    };
    for (int i = 0; i < entries; ++i) {
        const Movie movie = bench::RealisticMovie(random, i);
        xml += "  <entry id=\"" + std::to_string(i + 1) + "\"><title>" + Escaped(movie.szTitle) +
               "</title><medium>DVD</medium><year>" + std::to_string(movie.nYear) + "</year>" +
               group("genre", movie.pszCategories) + group("nationality", movie.pszCountries) +
               group("director", movie.pszDirectors) + group("producer", movie.pszProducers) + "<casts>";
        for (const std::string& actor : movie.pszActors) {
            xml += "<cast><column>" + Escaped(actor) + "</column><column>Role</column></cast>";
        }
        xml += "</casts><running-time>" + std::to_string(movie.nLength) + "</running-time><plot>" +
               Escaped(movie.szPlot) + "</plot><rating>4</rating></entry>\n";
    }
    return xml + " </collection>\n</tellico>\n";
}

void Measure(const char* what, const std::string& file, const std::string& catalogFolder, double target) {
    const auto start = Clock::now();
    const ImportBatch batch = ReadImportFiles({file});
    const auto read = Clock::now();
    const ImportPreview preview = PreviewImport(CatalogFilePath(catalogFolder), batch);
    const auto previewed = Clock::now();
    const ImportSummary summary = ApplyImport(catalogFolder, batch, ExistingMovies::Skip);
    const auto stored = Clock::now();
    const double total = Seconds(stored - start);
    std::printf("%-34s %7zu movies (%zu new, %zu left out)  read %6.2f s  preview %5.2f s  store %6.2f s  "
                "total %6.2f s  (target %.0f s: %s)\n",
                what, batch.movies.size(), preview.newCount, batch.leftOut, Seconds(read - start),
                Seconds(previewed - read), Seconds(stored - previewed), total, target,
                total <= target ? "met" : "MISSED");
    if (!summary.Stored()) std::printf("  not stored: %s\n", summary.error.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    const double scale = argc > 1 ? std::atof(argv[1]) : 1.0;
    const auto scaled = [scale](int count) { return std::max(1, static_cast<int>(count * scale)); };
    std::string pattern = (std::filesystem::temp_directory_path() / "import-bench-XXXXXX").string();
    const std::string root = std::string(::mkdtemp(pattern.data())) + "/";
    const std::string files = Folder(root, "files");

    Write(files + "ratings.csv", ImdbExport(scaled(10'000)));
    Measure("IMDb export, 10,000 rows", files + "ratings.csv", Folder(root, "imdb"), 2);

    Write(files + "videos.xml", TellicoFile(scaled(10'000)));
    Measure("Tellico file, 10,000 movies", files + "videos.xml", Folder(root, "tellico"), 5);

    std::mt19937 random(2024);
    std::vector<Movie> movies;
    const int count = scaled(100'000);
    movies.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) movies.push_back(bench::RealisticMovie(random, i));
    Write(files + "catalog.csv", CsvDocument(movies));
    movies.clear();
    Measure("Our CSV, 100,000 movies", files + "catalog.csv", Folder(root, "ours"), 15);

    std::filesystem::remove_all(root);
    return 0;
}
