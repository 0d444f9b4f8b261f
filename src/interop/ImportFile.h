// Reading the files of one import: the format of each is found from its content (a zip
// archive, an XML catalog, or CSV with a header row), never from its name.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "interop/ImportBatch.h"

namespace reelkeep {

// Files larger than this are not read.
inline constexpr std::size_t kImportFileLimit = std::size_t{1} << 30;

// Every file in order, as one batch; the rows of one film that Letterboxd spreads over
// several files become one movie. Throws ImportFileError for a file that cannot be imported
// at all (missing, unreadable, of no known format, a refused archive).
ImportBatch ReadImportFiles(const std::vector<std::string>& paths);

// One file's bytes. `folder` (ending in "/") is where pictures beside the file are looked
// for; empty to look nowhere.
ImportBatch ReadImportBytes(std::string_view bytes, const std::string& fileName,
                            const std::string& folder);

// Joins the movies marked joinsByTitle that have the same title and year.
void JoinSameFilms(ImportBatch& batch);

}  // namespace reelkeep
