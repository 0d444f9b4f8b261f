// File > New on a folder that holds a catalog keeps the old one: it is moved aside in the same
// folder under a name that says what it is and when it was replaced.
#pragma once

#include <ctime>
#include <string>

namespace reelkeep {

// "Movies.db.replaced-2026-12-08T10-15-00" beside `filePath`, for the local time `when`; a
// name already taken gets "-2", "-3", ... after it.
std::string AsideName(const std::string& filePath, std::time_t when);

// Moves the catalog file aside under AsideName, its write-ahead log folded into it first when
// it is a catalog of ours (otherwise its companion files move along under the same new name),
// so that the moved file is whole on its own. Returns the new path. Throws dbException when
// the file cannot be moved; then nothing has changed.
std::string SetCatalogAside(const std::string& filePath, std::time_t when = std::time(nullptr));

}  // namespace reelkeep
