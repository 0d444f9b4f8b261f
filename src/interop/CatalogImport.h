// Storing what was read from outside files: one operation in one transaction, all or nothing.
// A preview first tells how many movies are new and how many the catalog has already (the
// same IMDb id, or the same title ignoring case and the same year, an unknown year matching
// any); the user then says what becomes of those: skipped, their empty fields filled, or
// replaced by what the file gives.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "catalog/CatalogDatabase.h"
#include "interop/ImportBatch.h"

namespace reelkeep {

enum class ExistingMovies { Skip, Fill, Replace };

struct ImportPreview {
    std::size_t newCount = 0;
    std::size_t existingCount = 0;
    std::vector<std::string> newExamples;       // "Heat (1995)", a few
    std::vector<std::string> existingExamples;  // a few
};

// Throws dbException when the catalog cannot be read. A missing catalog has no movies.
ImportPreview PreviewImport(const std::string& catalogFile, const ImportBatch& batch);

struct ImportSummary {
    bool cancelled = false;  // nothing was stored
    std::string error;       // nothing was stored, for this reason
    std::size_t added = 0;
    std::size_t filled = 0;     // existing movies that got some empty fields filled
    std::size_t replaced = 0;
    std::size_t skipped = 0;    // existing movies left as they were
    std::size_t unchanged = 0;  // existing movies that the file would not change
    std::vector<ObjectId> addedIds;
    std::vector<ImportProblem> pictureProblems;  // movies stored without a picture, and why

    bool Stored() const { return !cancelled && error.empty(); }
};

// Told after each movie how many are done out of how many; false cancels the import.
using ImportProgress = std::function<bool(std::size_t done, std::size_t total)>;

// Stores the batch into the catalog of the folder (ending in "/"), created when missing.
// Cancelling or a failure stores nothing and takes away the pictures already copied.
ImportSummary ApplyImport(const std::string& catalogFolder, const ImportBatch& batch,
                          ExistingMovies existing, const ImportProgress& progress = {});

// What the preview says, and what became of the import, as lines of text for a dialog or
// the command line.
std::string DescribePreview(const ImportBatch& batch, const ImportPreview& preview);
std::string DescribeSummary(const ImportBatch& batch, const ImportSummary& summary);

}  // namespace reelkeep
