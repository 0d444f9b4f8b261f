// find, stats: the Filter's query and the statistics page without a window.
#include <array>
#include <ostream>

#include "catalog/CatalogDatabase.h"
#include "catalog/CatalogOperations.h"
#include "catalog/CatalogPaths.h"
#include "catalog/FindQuery.h"
#include "cli/CliCommand.h"
#include "platform/Folders.h"
#include "platform/SearchText.h"
#include "present/Export.h"
#include "present/StatisticsPage.h"

namespace reelkeep::cli {

namespace {

using Access = CatalogDatabase::Access;

std::string JoinedQuery(std::span<const std::string> args) {
    std::string query;
    for (const std::string& arg : args) query += (query.empty() ? "" : " ") + arg;
    return query;
}

// A catalog made before the word index gets it now, as the window's first change would
// give it; so does one that another program changed without the store.
void PrepareCatalog(CliContext& context, const std::string& catalogFile) {
    if (!CatalogNeedsWordIndex(catalogFile)) return;
    context.err << "Bringing the catalog's word index up to date..." << std::endl;
    PrepareWordIndex(catalogFile, {});
}

int Find(CliContext& context, std::span<const std::string> args) {
    if (args.empty()) throw UsageError("find takes a query");
    const FindQueryParse parse = ParseFindQuery(JoinedQuery(args));
    if (!parse.Ok()) {
        context.err << parse.error << '\n';
        return 1;
    }
    const std::string catalogFile = CatalogFilePath(context.catalogFolder);
    PrepareCatalog(context, catalogFile);
    CatalogDatabase database(catalogFile);
    database.Open(Access::ReadOnly);
    Movie movie;
    for (const ObjectId oid : database.Find(parse.query)) {
        if (database.Fetch(oid, movie)) PrintListLine(context.out, oid, movie);
    }
    database.Close();
    return 0;
}

void PrintBars(std::ostream& out, const char* title, const std::vector<CatalogSummary::Bar>& bars,
               std::string (*label)(std::int64_t)) {
    out << title << ":\n";
    for (const auto& [key, count] : bars) out << "  " << label(key) << '\t' << count << '\n';
}

void PrintEntries(std::ostream& out, const char* title,
                  const std::vector<CatalogSummary::Entry>& entries) {
    out << title << ":\n";
    for (const auto& [entry, count] : entries) out << "  " << RecordTextUtf8(entry) << '\t' << count << '\n';
}

int Stats(CliContext& context, std::span<const std::string> args) {
    std::string html;
    std::string templatePath = StatisticsTemplatePath(ProgramFolder());
    while (!args.empty() && (args[0] == "--html" || args[0] == "--template")) {
        if (args.size() < 2) throw UsageError(args[0] + " needs a file");
        (args[0] == "--html" ? html : templatePath) = args[1];
        args = args.subspan(2);
    }
    const std::string filter = JoinedQuery(args);
    const FindQueryParse parse = ParseFindQuery(filter);
    if (!parse.Ok()) {
        context.err << parse.error << '\n';
        return 1;
    }
    const std::string catalogFile = CatalogFilePath(context.catalogFolder);
    if (!parse.query.Empty()) PrepareCatalog(context, catalogFile);

    if (!html.empty()) {
        const RenderedPage page = RenderStatistics(catalogFile, filter, templatePath, false);
        if (!page.HasPage()) {
            context.err << (page.caption.empty() ? "" : page.caption + ": ") << page.detail << '\n';
            return 1;
        }
        if (const std::string error = WriteFileReplacing(html, page.bytes); !error.empty()) {
            context.err << error << '\n';
            return 1;
        }
        return 0;
    }

    CatalogDatabase database(catalogFile);
    database.Open(Access::ReadOnly);
    const CatalogSummary summary = database.Summarize(parse.query);
    database.Close();
    std::ostream& out = context.out;
    out << "movies\t" << summary.movies << '\n';
    if (!parse.query.Empty()) out << "in the catalog\t" << summary.catalogMovies << '\n';
    out << "watched\t" << summary.watched << '\n'
        << "not watched\t" << summary.movies - summary.watched << '\n'
        << "running time (minutes)\t" << summary.minutes << '\n'
        << "size of files (bytes)\t" << summary.bytes << '\n'
        << "files\t" << summary.files << '\n'
        << "without a year\t" << summary.undated << '\n'
        << "not rated\t" << summary.unrated << '\n';
    PrintBars(out, "by decade", summary.decades,
              [](std::int64_t decade) { return std::to_string(decade) + "s"; });
    PrintBars(out, "by rating", summary.ratings, [](std::int64_t tenths) {
        return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
    });
    PrintBars(out, "added per year", summary.addedYears,
              [](std::int64_t year) { return std::to_string(year); });
    PrintEntries(out, "categories", summary.categories);
    PrintEntries(out, "directors", summary.directors);
    PrintEntries(out, "actors", summary.actors);
    return 0;
}

constexpr std::array kCommands = {
    CliCommand{"find", "QUERY...", &Find},
    CliCommand{"stats", "[--html FILE [--template PATH]] [QUERY...]", &Stats},
};

}  // namespace

std::span<const CliCommand> FindCommands() { return kCommands; }

}  // namespace reelkeep::cli
