// show, export: the selected movies as the window shows and exports them.
#include <array>
#include <ostream>

#include "catalog/CatalogDatabase.h"
#include "catalog/CatalogPaths.h"
#include "cli/CliCommand.h"
#include "interop/CsvExport.h"
#include "platform/Folders.h"
#include "present/CatalogDocument.h"
#include "present/Export.h"

namespace reelkeep::cli {

namespace {

std::vector<ObjectId> ParseObjectIds(std::span<const std::string> args) {
    std::vector<ObjectId> oids;
    for (const std::string& arg : args) oids.push_back(ParseObjectId(arg));
    return oids;
}

int Show(CliContext& context, std::span<const std::string> args) {
    if (args.empty()) throw UsageError("show takes at least one object identifier");
    const FixedMovieSelection list(ParseObjectIds(args));
    int selection = -1;
    const CatalogDocument built =
        BuildCatalogDocument(list, context.catalogFolder, selection, false);
    if (!built.document) {
        context.err << built.catalogProblem << '\n';
        return 1;
    }
    context.out << SerializeCatalogDocument(*built.document);
    return 0;
}

// Every movie of the catalog in storage order, as the window lists them.
std::vector<ObjectId> AllMovies(const std::string& catalogFolder) {
    CatalogDatabase database(CatalogFilePath(catalogFolder));
    database.Open(CatalogDatabase::Access::ReadOnly);
    std::vector<ObjectId> oids = database.SelectAll();
    database.Close();
    return oids;
}

int Export(CliContext& context, std::span<const std::string> args) {
    if (args.size() < 3 || (args[0] != "--xml" && args[0] != "--html" && args[0] != "--csv")) {
        throw UsageError("export takes --xml FILE, --html FILE or --csv FILE, then object "
                         "identifiers or --all");
    }
    const std::string kind = args[0];
    const std::string& path = args[1];
    args = args.subspan(2);
    TemplatePaths templates = DefaultTemplatePaths(ProgramFolder());
    if (kind == "--html" && args.size() >= 2 && args[0] == "--template") {
        templates.view = templates.multiple = args[1];
        args = args.subspan(2);
    }
    if (args.empty()) throw UsageError("export needs object identifiers or --all");
    if (args[0] == "--all" && args.size() > 1) {
        throw UsageError("export takes either --all or object identifiers");
    }
    const FixedMovieSelection list(args[0] == "--all" ? AllMovies(context.catalogFolder)
                                                      : ParseObjectIds(args));

    const ExportResult result =
        kind == "--html"  ? ExportHtml(PresentationSource{list, context.catalogFolder, templates, false}, path)
        : kind == "--csv" ? ExportCsv(list, context.catalogFolder, path)
                          : ExportXml(list, context.catalogFolder, path);
    switch (result.status) {
        case ExportResult::Status::Written:
            return 0;
        case ExportResult::Status::NothingWritten:
            context.err << "Nothing written: " << result.detail << '\n';
            return 1;
        case ExportResult::Status::Failed:
            context.err << result.caption << ": " << result.detail << '\n';
            return 1;
    }
    return 1;
}

constexpr std::array kCommands = {
    CliCommand{"show", "OID...", &Show},
    CliCommand{"export",
               "--xml FILE | --html FILE [--template PATH] | --csv FILE, then OID... | --all",
               &Export},
};

}  // namespace

std::span<const CliCommand> PresentCommands() { return kCommands; }

}  // namespace reelkeep::cli
