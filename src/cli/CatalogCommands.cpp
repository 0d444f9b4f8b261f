// add, list, delete, find-file: the catalog as it is.
#include <array>
#include <cstdio>
#include <ostream>

#include "catalog/CatalogDatabase.h"
#include "catalog/CatalogPaths.h"
#include "catalog/HistoryLabels.h"
#include "cli/CliCommand.h"

namespace reelkeep::cli {

namespace {

using Access = CatalogDatabase::Access;

int Add(CliContext& context, std::span<const std::string> args) {
    if (args.size() != 1) throw UsageError("add takes one title");
    CatalogDatabase database(CatalogFilePath(context.catalogFolder));
    database.Open(Access::ReadWrite);
    Movie movie;
    movie.szTitle = args[0];
    const ObjectId oid = database.Insert(movie);
    database.SetStepLabel(NewMovieLabel(movie.szTitle));
    database.Close();
    context.out << oid << '\t' << movie.nIndex << '\n';
    return 0;
}

int List(CliContext& context, std::span<const std::string> args) {
    if (!args.empty()) throw UsageError("list takes no arguments");
    CatalogDatabase database(CatalogFilePath(context.catalogFolder));
    database.Open(Access::ReadOnly);
    database.ForEach([&](ObjectId oid, const Movie& movie) { PrintListLine(context.out, oid, movie); });
    database.Close();
    return 0;
}

int Delete(CliContext& context, std::span<const std::string> args) {
    if (args.empty()) throw UsageError("delete takes at least one object identifier");
    std::vector<ObjectId> oids;
    for (const std::string& arg : args) oids.push_back(ParseObjectId(arg));
    CatalogDatabase database(CatalogFilePath(context.catalogFolder));
    database.Open(Access::ReadWrite);
    int missing = 0;
    for (const ObjectId oid : oids) {
        if (!database.Remove(oid)) {
            context.err << "No movie with identifier " << oid << ".\n";
            ++missing;
        }
    }
    database.SetStepLabel(DeleteLabel(oids.size() - static_cast<std::size_t>(missing)));
    database.Close();
    return missing ? 1 : 0;
}

int FindFile(CliContext& context, std::span<const std::string> args) {
    if (args.size() != 1) throw UsageError("find-file takes one bare file name");
    CatalogDatabase database(CatalogFilePath(context.catalogFolder));
    database.Open(Access::ReadOnly);
    for (const ObjectId oid : database.SelectByFilename(args[0])) {
        Movie movie;
        if (database.Fetch(oid, movie)) context.out << oid << '\t' << movie.szTitle << '\n';
    }
    database.Close();
    return 0;
}

constexpr std::array kCommands = {
    CliCommand{"add", "TITLE", &Add},
    CliCommand{"list", "", &List},
    CliCommand{"delete", "OID...", &Delete},
    CliCommand{"find-file", "NAME", &FindFile},
};

}  // namespace

std::span<const CliCommand> CatalogCommands() { return kCommands; }

void PrintListLine(std::ostream& out, std::uint32_t oid, const Movie& movie) {
    char rating[32];
    std::snprintf(rating, sizeof rating, "%g", static_cast<double>(movie.fRating));
    out << oid << '\t' << movie.nIndex << '\t' << movie.szTitle << '\t' << movie.nYear << '\t'
        << rating << '\t' << (movie.bWatched ? 1 : 0) << '\n';
}

}  // namespace reelkeep::cli
