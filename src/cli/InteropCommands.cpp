// import: movies from other programs' files and our own exports, previewed on stdout and
// stored in one transaction.
#include <array>
#include <ostream>

#include "catalog/CatalogPaths.h"
#include "cli/CliCommand.h"
#include "interop/CatalogImport.h"
#include "interop/ImportFile.h"

namespace reelkeep::cli {

namespace {

ExistingMovies ParseExisting(const std::string& text) {
    if (text == "skip") return ExistingMovies::Skip;
    if (text == "fill") return ExistingMovies::Fill;
    if (text == "replace") return ExistingMovies::Replace;
    throw UsageError("--existing takes skip, fill or replace, not " + text);
}

int Import(CliContext& context, std::span<const std::string> args) {
    ExistingMovies existing = ExistingMovies::Skip;
    std::vector<std::string> files;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--existing") {
            if (i + 1 == args.size()) throw UsageError("--existing needs skip, fill or replace");
            existing = ParseExisting(args[++i]);
        } else {
            files.push_back(args[i]);
        }
    }
    if (files.empty()) throw UsageError("import takes at least one file");

    ImportBatch batch;
    try {
        batch = ReadImportFiles(files);
    } catch (const ImportFileError& error) {
        context.err << "reelkeep-cli: " << error.message << "\nNothing was imported.\n";
        return 1;
    }
    context.out << DescribePreview(batch, PreviewImport(CatalogFilePath(context.catalogFolder), batch));
    const ImportSummary summary = ApplyImport(context.catalogFolder, batch, existing);
    if (!summary.Stored()) {
        context.err << "reelkeep-cli: " << DescribeSummary(batch, summary);
        return 1;
    }
    context.out << DescribeSummary(batch, summary);
    return 0;
}

constexpr std::array kCommands = {
    CliCommand{"import", "[--existing skip|fill|replace] FILE...", &Import},
};

}  // namespace

std::span<const CliCommand> InteropCommands() { return kCommands; }

}  // namespace reelkeep::cli
