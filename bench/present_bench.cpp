// Figures of the presentation chain: catalog document + XSLT transform, against xsltproc run on
// the same document and template.
//   present_bench [TEMPLATES_FOLDER]   (default: the Templates folder beside this program)
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
#include "present/Export.h"
#include "present/TemplateTransform.h"
#include "RealisticMovie.h"

extern char** environ;

using namespace reelkeep;
using Clock = std::chrono::steady_clock;
using bench::RealisticMovie;

namespace {

double Median(std::vector<double> values) {
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

template <class F>
double MedianMilliseconds(int repeats, F&& run) {
    std::vector<double> times;
    for (int i = 0; i < repeats; ++i) {
        const auto start = Clock::now();
        run();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return Median(times);
}

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

}  // namespace

int main(int argc, char** argv) {
    const std::string templatesFolder =
        argc > 1 ? WithTrailingSlash(argv[1]) : ProgramFolder() + "Templates/";
    const TemplatePaths templates = {templatesFolder + "View.xsl", templatesFolder + "Edit.xsl",
                                     templatesFolder + "Multiple.xsl"};

    std::string pattern =
        (std::filesystem::temp_directory_path() / "present-bench-XXXXXX").string();
    const std::string folder = std::string(::mkdtemp(pattern.data())) + "/";

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

    std::filesystem::remove_all(folder);
    return 0;
}
