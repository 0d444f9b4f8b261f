// Where the catalog lives: a folder ending in "/" and "Movies.db" inside it.
#pragma once

#include <string>

namespace reelkeep {

// "<documents>/Reelkeep/", created when missing.
std::string DefaultCatalogFolder();

// "%sMovies.db" of the folder.
std::string CatalogFilePath(const std::string& folder);

// Deletes the catalog file for "New catalog" (a missing file is no error), together with the
// write-ahead files beside it so that a later catalog there never inherits them.
// Returns false when the file exists and could not be deleted.
bool RemoveCatalogFile(const std::string& filePath);

}  // namespace reelkeep
