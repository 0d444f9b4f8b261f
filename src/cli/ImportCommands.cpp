// add-files: adds files and folders to the catalog as a drop on the window does; the title
// question is answered with the title derived from the file name. The files that lay beside
// them and were skipped are named after the summary.
#include <array>
#include <ostream>

#include "catalog/CatalogOperations.h"
#include "catalog/CatalogPaths.h"
#include "cli/CliCommand.h"
#include "import/MovieImport.h"

namespace reelkeep::cli {

namespace {

class DerivedTitleHost : public ImportHost {
public:
    explicit DerivedTitleHost(std::vector<MovieListRow> rows) : rows_(std::move(rows)) {}

    ObjectId FindRowByTitle(const std::string& title) override { return rows_.Find(title); }
    std::optional<TitleAnswer> AskTitle(const std::string& derived,
                                        const std::vector<std::string>& /*titles*/) override {
        return TitleAnswer{derived, true};
    }
    void MovieAdded(const MovieListRow& row) override { rows_.Append(row); }

private:
    ListedTitles rows_;
};

int AddFiles(CliContext& context, std::span<const std::string> args) {
    if (args.empty())
        throw UsageError("add-files takes at least one file or folder");
    const std::string catalogFile = CatalogFilePath(context.catalogFolder);
    DerivedTitleHost host(LoadMovieList(catalogFile));
    const DropResult result =
        AddDroppedPaths(catalogFile, std::vector<std::string>(args.begin(), args.end()), host);
    context.out << "added " << result.added << ", attached " << result.attached << ", moved "
                << result.relocated << '\n';
    if (const std::string skipped = DescribeSkippedFiles(result); !skipped.empty())
        context.out << skipped << '\n';
    if (!result.error.empty()) {
        context.err << "reelkeep-cli: " << result.error << '\n';
        return 1;
    }
    return 0;
}

constexpr std::array kCommands = {
    CliCommand{"add-files", "PATH...", &AddFiles},
};

}  // namespace

std::span<const CliCommand> ImportCommands() {
    return kCommands;
}

}  // namespace reelkeep::cli
