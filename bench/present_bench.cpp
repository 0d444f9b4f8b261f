// Figures of the presentation chain: catalog document + XSLT transform, against xsltproc run on
// the same document and template; then where the time of the pane's page of a large selection
// goes: reading the records, making the document, the template, taking the document apart.
//   present_bench [TEMPLATES_FOLDER] [LARGE_COUNT] [--large-only]   (defaults: the Templates
//   folder beside this program, 100000; a LARGE_COUNT of 0 leaves the large selection out)
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "catalog/CatalogDatabase.h"
#include "catalog/CatalogPaths.h"
#include "platform/Folders.h"
#include "present/CatalogDocument.h"
#include "present/RenderControl.h"
#include "present/Export.h"
#include "present/TemplateTransform.h"
#include "BenchFigures.h"
#include "RealisticMovie.h"

extern char** environ;

using namespace reelkeep;
using Clock = std::chrono::steady_clock;
using bench::RealisticMovie;
using bench::MedianMilliseconds;

namespace {

bool RunXsltproc(const std::string& templatePath, const std::string& xmlPath) {
    const char* argv[] = {"xsltproc", "--nonet", "-o", "/dev/null", templatePath.c_str(),
                          xmlPath.c_str(), nullptr};
    pid_t child = 0;
    char** args = const_cast<char**>(argv);
    if (posix_spawnp(&child, "xsltproc", nullptr, nullptr, args, environ) != 0) return false;
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void Compare(const char* label, const std::string& catalogFolder, const TemplatePaths& templates,
             const std::vector<ObjectId>& rows, int repeats, const std::string& scratch) {
    const FixedMovieSelection list(rows);
    const PresentationSource source{list, catalogFolder, templates, false};
    std::size_t pageBytes = 0;
    const double ours = MedianMilliseconds(repeats, [&] {
        int selection = -1;
        const RenderedPage page = TransformSelection(source, selection, true);
        if (!page.HasPage()) {
            std::fprintf(stderr, "no page: %s\n", page.detail.c_str());
            std::exit(1);
        }
        pageBytes = page.bytes.size();
    });

    // The same document, with the pane's attributes, for xsltproc.
    int selection = -1;
    CatalogDocument built = BuildCatalogDocument(list, catalogFolder, selection, true);
    const std::string& templatePath = ChooseTemplate(templates, selection, true, false);
    SetRootAttribute(*built.document, kStyleSheetAttribute, TemplateFolder(templatePath));
    const std::string xmlPath = scratch + "document.xml";
    WriteFileReplacing(xmlPath, SerializeCatalogDocument(*built.document));
    const double buildOnly = MedianMilliseconds(repeats, [&] {
        int again = -1;
        BuildCatalogDocument(list, catalogFolder, again, true);
    });

    bool ran = true;
    const double theirs =
        MedianMilliseconds(repeats, [&] { ran = RunXsltproc(templatePath, xmlPath) && ran; });
    std::printf("%-30s build+transform %8.2f ms (build %7.2f ms, page %7.1f KB)"
                " | xsltproc %8.2f ms%s | ratio %.2f\n",
                label, ours, buildOnly, static_cast<double>(pageBytes) / 1024.0, theirs,
                ran ? "" : " (FAILED)", ours / theirs);
}

double Since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The pane's page of every movie of a large catalog, phase by phase, as the window makes it.
void LargeSelection(const TemplatePaths& templates, int count, const std::string& scratch) {
    const std::string folder = scratch + "large/";
    std::filesystem::create_directories(folder);
    std::mt19937 random(7);
    std::vector<ObjectId> oids;
    {
        CatalogDatabase database(CatalogFilePath(folder));
        database.Open(CatalogDatabase::Access::ReadWrite);
        for (int i = 0; i < count; ++i) {
            Movie movie = RealisticMovie(random, i);
            oids.push_back(database.Insert(movie));
        }
        database.Close();
    }
    // The list's order is the titles', not the storage's.
    std::shuffle(oids.begin(), oids.end(), random);
    std::printf("large selection: %d movies, Multiple.xsl with the pane's first block\n", count);

    auto start = Clock::now();
    {
        std::vector<ObjectId> sorted = oids;
        std::sort(sorted.begin(), sorted.end());
        CatalogDatabase database(CatalogFilePath(folder));
        database.Open(CatalogDatabase::Access::ReadOnly);
        Movie movie;
        for (const ObjectId oid : sorted) database.Fetch(oid, movie);
        database.Close();
    }
    std::printf("  reading the records (one thread)  %8.1f ms\n", Since(start));

    PageRequest request;
    request.catalogFolder = folder;
    request.templates = templates;
    request.movies = oids;
    request.rowLimit = 1000;
    start = Clock::now();
    CatalogDocument built = BuildMovieDocument(folder, oids, true);
    std::printf("  document (two threads)            %8.1f ms\n", Since(start));
    start = Clock::now();
    const SelectionSummary& sum = built.summary;
    const double figures[] = {double(sum.watched), double(sum.minutes), sum.bytes,
                              double(sum.files), double(sum.lent)};
    std::vector<TemplateParameter> parameters = {{kRowLimitParameter, 1000.0}};
    for (std::size_t i = 0; i < std::size(figures); ++i)
        parameters.push_back({kSummaryParameters[i], figures[i]});
    const RenderedPage page =
        TransformDocument(*built.document, templates.multiple, true, parameters);
    std::printf("  template (first 1,000 rows)       %8.1f ms (page %.1f KB)\n", Since(start),
                static_cast<double>(page.bytes.size()) / 1024.0);
    start = Clock::now();
    built.document.reset();
    std::printf("  taking the document apart         %8.1f ms\n", Since(start));

    start = Clock::now();
    RenderControl control;
    XmlDocPtr kept;
    const RenderedPage whole = RenderPage(request, &control, &kept);
    const double toPage = Since(start);
    kept.reset();
    std::printf("  RenderPage to the page            %8.1f ms%s (then freed: %.1f ms in all)\n",
                toPage, whole.HasPage() ? "" : " (NO PAGE)", Since(start));
}

}  // namespace

int main(int argc, char** argv) {
    const std::string templatesFolder =
        argc > 1 ? WithTrailingSlash(argv[1]) : ProgramFolder() + "Templates/";
    const TemplatePaths templates = {templatesFolder + "View.xsl", templatesFolder + "Edit.xsl",
                                     templatesFolder + "Multiple.xsl"};

    std::string pattern =
        (std::filesystem::temp_directory_path() / "present-bench-XXXXXX").string();
    const std::string folder = std::string(::mkdtemp(pattern.data())) + "/";

    const int large = argc > 2 ? std::atoi(argv[2]) : 100'000;
    if (argc > 3 && std::string(argv[3]) == "--large-only") {
        LargeSelection(templates, large, folder);
        std::filesystem::remove_all(folder);
        return 0;
    }

    constexpr int kMovies = 10'000;
    std::mt19937 random(2024);
    std::vector<ObjectId> oids;
    {
        CatalogDatabase database(CatalogFilePath(folder));
        database.Open(CatalogDatabase::Access::ReadWrite);
        for (int i = 0; i < kMovies; ++i) {
            Movie movie = RealisticMovie(random, i);
            oids.push_back(database.Insert(movie));
        }
        database.Close();
    }
    std::printf("catalog: %d movies; templates: %s\n", kMovies, templatesFolder.c_str());

    Compare("1 movie, View.xsl", folder, templates, {oids[kMovies / 2]}, 101, folder);
    Compare("1,000 movies, Multiple.xsl", folder, templates,
            std::vector<ObjectId>(oids.begin(), oids.begin() + 1000), 11, folder);
    Compare("10,000 movies, Multiple.xsl", folder, templates, oids, 5, folder);

    if (large > 0) LargeSelection(templates, large, folder);

    std::filesystem::remove_all(folder);
    return 0;
}
