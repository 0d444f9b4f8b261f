// Where the catalog lives: a folder ending in "/" and "Movies.db" inside it, with the files
// the storage library and the program keep beside it under names that begin the same way.
#pragma once

#include <string>
#include <string_view>

namespace reelkeep {

inline constexpr const char* kCatalogFileName = "Movies.db";
// A catalog being built is named "Movies.db.new-XXXXXX" until it is complete.
inline constexpr const char* kCatalogCreationInfix = ".new-";
// A catalog set aside by File > New is named "Movies.db.replaced-<date>T<time>".
inline constexpr const char* kCatalogReplacedInfix = ".replaced-";

// "<documents>/Reelkeep/", created when missing.
std::string DefaultCatalogFolder();

// "%sMovies.db" of the folder.
std::string CatalogFilePath(const std::string& folder);

// A bare file name that the catalog itself uses or may use: "Movies.db", its journal and
// shared-memory companions, the files it is built in and set aside as; in short every name
// that begins with "Movies.db", compared without regard to case. Nothing from outside (a
// page, a server, an archive) may be written under such a name.
bool IsCatalogFileName(std::string_view bareName);

// Deletes the journal, write-ahead and shared-memory files beside a catalog file.
void RemoveCatalogCompanions(const std::string& filePath);

// Deletes the catalog file (a missing file is no error), together with the write-ahead files
// beside it so that a later catalog there never inherits them.
// Returns false when the file exists and could not be deleted.
bool RemoveCatalogFile(const std::string& filePath);

}  // namespace reelkeep
