// Making a new catalog file in one step: the tables are built in a private file beside it,
// which then takes the catalog's name. At every instant the catalog's name is either free or
// names a whole, empty catalog, so a process killed while creating leaves nothing that a later
// open would refuse.
#pragma once

#include <string>

namespace reelkeep {

// Creates an empty catalog at `path` unless a file appears there meanwhile (another process
// won the race; its catalog is kept). A zero-byte file at `path`, which holds nothing, is
// replaced. Throws dbException when the folder cannot take the file.
void CreateCatalogFile(const std::string& path);

}  // namespace reelkeep
