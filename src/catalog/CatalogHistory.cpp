#include "catalog/CatalogHistory.h"

#include "catalog/CatalogFile.h"

namespace reelkeep {

using Access = CatalogDatabase::Access;

namespace {

bool CatalogExists(const std::string& catalogFile) {
    return !catalogFile.empty() && InspectCatalogFile(catalogFile) == CatalogFileState::Catalog;
}

HistoryMove MoveStep(const std::string& catalogFile, bool undo, std::optional<std::int64_t> expected) {
    if (!CatalogExists(catalogFile)) throw dbException(undo ? "There is nothing to undo." : "There is nothing to redo.");
    CatalogDatabase database(catalogFile);
    database.Open(Access::ReadWrite);
    try {
        HistoryMove move = undo ? database.Undo(expected) : database.Redo(expected);
        database.Close();
        return move;
    } catch (const dbException&) {
        database.Abandon();
        throw;
    }
}

}  // namespace

std::vector<HistoryStepInfo> ListHistory(const std::string& catalogFile) {
    if (!CatalogExists(catalogFile)) return {};
    CatalogDatabase database(catalogFile);
    database.Open(Access::ReadOnly);
    return database.History();
}

PendingSteps ReadPendingSteps(const std::string& catalogFile) {
    PendingSteps pending;
    if (!CatalogExists(catalogFile)) return pending;
    CatalogDatabase database(catalogFile);
    database.Open(Access::ReadOnly);
    // Newest first: the steps taken back come before the first one still in force.
    for (HistoryStepInfo& step : database.History()) {
        if (!step.undone) {
            pending.undo = std::move(step);
            break;
        }
        pending.redo = std::move(step);
    }
    return pending;
}

HistoryMove UndoStep(const std::string& catalogFile, std::optional<std::int64_t> expected) {
    return MoveStep(catalogFile, true, expected);
}

HistoryMove RedoStep(const std::string& catalogFile, std::optional<std::int64_t> expected) {
    return MoveStep(catalogFile, false, expected);
}

}  // namespace reelkeep
