// Figures of importing: a 10,000-row IMDb export, a 10,000-movie Tellico file and our own CSV
// of 100,000 movies, each read, previewed and stored into an empty catalog as
// `reelkeep-cli import` does; and a folder of 5,000 video files with an NFO beside each,
// dropped into an empty catalog as the window drops it, with no question asked (the NFO files
// name the movies), then dropped again. The videos are copies of one small Matroska file
// (read by the media helpers) and, as a second figure, of one AVI file (read in process);
// ffmpeg makes them.
//   import_bench [SCALE]   (1 by default; 0.1 makes every file a tenth as large)
#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>

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
#include "import/MovieImport.h"

using namespace reelkeep;
using Clock = std::chrono::steady_clock;

namespace {

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Processor time of this process, or of its children that have ended (the media helpers).
double CpuSeconds(int who = RUSAGE_SELF) {
    rusage usage{};
    ::getrusage(who, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

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
    const double cpu = CpuSeconds();
    const auto start = Clock::now();
    const ImportBatch batch = ReadImportFiles({file});
    const auto read = Clock::now();
    const ImportPreview preview = PreviewImport(CatalogFilePath(catalogFolder), batch);
    const auto previewed = Clock::now();
    const ImportSummary summary = ApplyImport(catalogFolder, batch, ExistingMovies::Skip);
    const auto stored = Clock::now();
    const double total = Seconds(stored - start);
    std::printf("%-34s %7zu movies (%zu new, %zu left out)  read %6.2f s  preview %5.2f s  store %6.2f s  "
                "total %6.2f s  cpu %6.2f s  (target %.0f s: %s)\n",
                what, batch.movies.size(), preview.newCount, batch.leftOut, Seconds(read - start),
                Seconds(previewed - read), Seconds(stored - previewed), total, CpuSeconds() - cpu, target,
                total <= target ? "met" : "MISSED");
    if (!summary.Stored()) std::printf("  not stored: %s\n", summary.error.c_str());
}

bool RunQuietly(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (const int descriptor : {0, 1, 2}) {
        posix_spawn_file_actions_addopen(&actions, descriptor, "/dev/null", descriptor ? O_WRONLY : O_RDONLY, 0);
    }
    pid_t pid = 0;
    const int rc = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return false;
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// What a media centre writes for a movie: about 1.5 KB.
std::string NfoOf(const Movie& movie, int number) {
    std::string nfo = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\n<movie>\n  <title>" +
                      Escaped(movie.szTitle) + "</title>\n  <year>" + std::to_string(movie.nYear) +
                      "</year>\n  <plot>" + Escaped(movie.szPlot) + "</plot>\n  <runtime>" +
                      std::to_string(movie.nLength) + "</runtime>\n";
    for (const std::string& genre : movie.pszCategories) nfo += "  <genre>" + Escaped(genre) + "</genre>\n";
    for (const std::string& country : movie.pszCountries) nfo += "  <country>" + Escaped(country) + "</country>\n";
    for (const std::string& director : movie.pszDirectors) nfo += "  <director>" + Escaped(director) + "</director>\n";
    for (std::size_t i = 0; i < movie.pszActors.size(); ++i) {
        nfo += "  <actor><name>" + Escaped(movie.pszActors[i]) + "</name><role>Role</role><order>" +
               std::to_string(i) + "</order></actor>\n";
    }
    nfo += "  <ratings><rating name=\"imdb\" max=\"10\" default=\"true\"><value>7.1</value></rating></ratings>\n"
           "  <uniqueid type=\"imdb\" default=\"true\">tt" + std::to_string(2000000 + number) + "</uniqueid>\n</movie>\n";
    return nfo;
}

// Never asked: every file's NFO names its movie. Counts the questions all the same.
class NoQuestions : public ImportHost {
public:
    ObjectId FindRowByTitle(const std::string& title) override { return rows_.Find(title); }
    std::optional<TitleAnswer> AskTitle(const std::string& derived, const std::vector<std::string>&) override {
        ++asked;
        return TitleAnswer{derived, true};
    }
    void MovieAdded(const MovieListRow& row) override { rows_.Append(row); }
    int asked = 0;

private:
    ListedTitles rows_{{}};
};

void DropFolder(const char* what, const std::string& folder, const std::string& catalogFolder, double target) {
    ::sync();
    for (const char* pass : {"first drop", "again"}) {
        NoQuestions host;
        const double cpu = CpuSeconds();
        const double helpers = CpuSeconds(RUSAGE_CHILDREN);
        const auto start = Clock::now();
        const DropResult result = AddDroppedPaths(CatalogFilePath(catalogFolder), {folder}, host);
        const double wall = Seconds(Clock::now() - start);
        std::printf("%-34s %-10s %5d added %5d moved, %5d NFO read, %d asked  total %6.2f s  cpu %5.2f s + helpers %5.2f s",
                    what, pass, result.added, result.relocated, result.described, host.asked, wall,
                    CpuSeconds() - cpu, CpuSeconds(RUSAGE_CHILDREN) - helpers);
        if (pass[0] == 'f') std::printf("  (target %.0f s: %s)", target, wall <= target ? "met" : "MISSED");
        std::printf("\n");
        if (!result.error.empty()) std::printf("  %s\n", result.error.c_str());
    }
}

// A folder of `count` copies of the video with an NFO beside each; false when ffmpeg cannot
// make the video.
bool MediaCentreFolder(const std::string& folder, const std::string& extension, int count) {
    const std::string source = folder + "../source" + extension;
    // clang-format off
    std::vector<std::string> make = {"ffmpeg", "-nostdin", "-y",
        "-f", "lavfi", "-i", "testsrc=size=320x240:rate=25", "-f", "lavfi", "-i", "sine=frequency=440",
        "-t", "2", "-shortest"};
    // clang-format on
    const bool avi = extension == ".avi";
    make.insert(make.end(), {"-c:v", avi ? "mpeg4" : "libx264", "-c:a", avi ? "libmp3lame" : "aac"});
    make.push_back(source);
    if (!RunQuietly(make)) return false;
    std::mt19937 random(31);
    for (int i = 0; i < count; ++i) {
        const Movie movie = bench::RealisticMovie(random, i);
        const std::string name = "Film " + std::to_string(10000 + i) + " (" + std::to_string(movie.nYear) + ")";
        std::filesystem::copy_file(source, folder + name + extension);
        Write(folder + name + ".nfo", NfoOf(movie, i));
    }
    return true;
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
    std::filesystem::remove(files + "catalog.csv");

    const int videos = scaled(5'000);
    for (const char* extension : {".mkv", ".avi"}) {
        const std::string folder = Folder(root, std::string("library") + extension);
        const std::string what = std::to_string(videos) + " " + (extension + 1) + " files + NFO";
        if (MediaCentreFolder(folder, extension, videos)) {
            DropFolder(what.c_str(), folder, Folder(root, std::string("dropped") + extension), 10);
        } else {
            std::printf("%-34s ffmpeg could not make the video\n", what.c_str());
        }
        std::filesystem::remove_all(folder);
    }

    std::filesystem::remove_all(root);
    return 0;
}
