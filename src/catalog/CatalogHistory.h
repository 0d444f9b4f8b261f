// The catalog's history as the window and reelkeep-cli use it, each call on a connection of
// its own. Failures, and an undo or redo that may not happen, raise dbException with a message
// for the user; nothing is changed then.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "catalog/CatalogDatabase.h"

namespace reelkeep {

// Every step, newest first; none for a catalog that is missing or older than its history.
std::vector<HistoryStepInfo> ListHistory(const std::string& catalogFile);

// What Undo and Redo would act on now.
struct PendingSteps {
    std::optional<HistoryStepInfo> undo;
    std::optional<HistoryStepInfo> redo;
};
PendingSteps ReadPendingSteps(const std::string& catalogFile);

// `expected`: the step the caller offered the user; see CatalogDatabase::Undo.
HistoryMove UndoStep(const std::string& catalogFile, std::optional<std::int64_t> expected = std::nullopt);
HistoryMove RedoStep(const std::string& catalogFile, std::optional<std::int64_t> expected = std::nullopt);

}  // namespace reelkeep
