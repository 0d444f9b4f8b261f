#include "catalog/CatalogOperations.h"

#include "catalog/CatalogFile.h"
#include "catalog/HistoryLabels.h"

namespace reelkeep {

using Access = CatalogDatabase::Access;

namespace {

// An empty path would open a private temporary database: the work would seem done and be lost.
CatalogDatabase Connect(const std::string& catalogFile) {
    if (catalogFile.empty())
        throw dbException("No catalog folder has been chosen.");
    return CatalogDatabase(catalogFile);
}

}  // namespace

std::vector<MovieListRow> LoadMovieList(const std::string& catalogFile) {
    CatalogDatabase database = Connect(catalogFile);
    // Only a missing catalog needs writing; reading never waits for another program's writes.
    const bool exists = InspectCatalogFile(catalogFile) == CatalogFileState::Catalog;
    database.Open(exists ? Access::ReadOnly : Access::ReadWrite);
    std::vector<MovieListRow> rows = database.SelectListRows();
    database.Close();
    return rows;
}

std::vector<ObjectId> SortedMovieIds(const std::string& catalogFile, SortOrder order) {
    CatalogDatabase database = Connect(catalogFile);
    database.Open(Access::ReadOnly);
    std::vector<MovieSortKeys> keys = database.SelectSortKeys();
    database.Close();
    SortMovies(keys, order);
    std::vector<ObjectId> oids;
    oids.reserve(keys.size());
    for (const MovieSortKeys& movie : keys) oids.push_back(movie.oid);
    return oids;
}

MovieListRow AddMovieByTitle(const std::string& catalogFile, const std::string& title) {
    Movie movie;
    movie.szTitle = title;
    CatalogDatabase database = Connect(catalogFile);
    database.Open(Access::ReadWrite);
    const ObjectId oid = database.Insert(movie);
    database.SetStepLabel(NewMovieLabel(title));
    database.Close();
    return {oid, title, false};
}

void DeleteMovies(const std::string& catalogFile, std::span<const ObjectId> oids,
                  const std::function<void(std::size_t position)>& removed,
                  const std::atomic<bool>* stop) {
    CatalogDatabase database = Connect(catalogFile);
    database.Open(Access::ReadWrite);
    // Labelled as it goes: whatever stops the walk, the removals before it are kept.
    std::size_t count = 0;
    for (std::size_t i = 0; i < oids.size(); ++i) {
        if (stop && stop->load(std::memory_order_relaxed)) break;
        // A record that another connection removed already is gone all the same.
        if (database.Remove(oids[i])) database.SetStepLabel(DeleteLabel(++count));
        removed(i);
    }
    database.Close();
}

std::string MovieLocation(const std::string& catalogFile, ObjectId oid) {
    CatalogDatabase database = Connect(catalogFile);
    database.Open(Access::ReadOnly);
    Movie movie;
    const bool found = database.Fetch(oid, movie);
    database.Close();
    return found ? movie.szLocation : std::string();
}

bool CatalogNeedsWordIndex(const std::string& catalogFile) {
    if (InspectCatalogFile(catalogFile) != CatalogFileState::Catalog) return false;
    CatalogDatabase database = Connect(catalogFile);
    database.Open(Access::ReadOnly);
    return !database.HasWordIndex() || database.HasQueuedWords();
}

void PrepareWordIndex(const std::string& catalogFile,
                      const CatalogDatabase::UpgradeProgress& progress) {
    CatalogDatabase::SetThreadUpgradeProgress(progress);
    try {
        CatalogDatabase database = Connect(catalogFile);
        database.Open(Access::ReadWrite);
        database.Close();
    } catch (...) {
        CatalogDatabase::SetThreadUpgradeProgress({});
        throw;
    }
    CatalogDatabase::SetThreadUpgradeProgress({});
}

std::vector<ObjectId> FindMovies(const std::string& catalogFile, const FindQuery& query) {
    CatalogDatabase database = Connect(catalogFile);
    database.Open(Access::ReadOnly);
    std::vector<ObjectId> oids = database.Find(query);
    database.Close();
    return oids;
}

}  // namespace reelkeep
