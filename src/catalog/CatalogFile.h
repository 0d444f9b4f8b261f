// A look at the catalog file's first bytes before the storage library touches it, so that a
// file of another kind is refused instead of being turned into a catalog.
#pragma once

#include <cstdint>
#include <string>

namespace reelkeep {

// Stamped into every catalog this program creates.
inline constexpr std::uint32_t kCatalogApplicationId = 0x524B4D56;  // "RKMV"
// Raised whenever the layout of the tables changes; older files are migrated on open.
inline constexpr std::uint32_t kCatalogSchemaVersion = 3;

enum class CatalogFileState {
    Missing,  // no file: a read-write open creates the catalog
    Empty,    // a file of zero bytes, or a database without a single table that no program
              // has claimed: nothing to lose, treated as a new catalog
    Catalog,  // a catalog of this program
};

// Throws dbException with a message for the user when the file exists but is not a catalog
// this program may open (another kind of file, another program's database, a damaged or
// shortened catalog, a catalog of a newer version) or cannot be read at all.
CatalogFileState InspectCatalogFile(const std::string& path);

}  // namespace reelkeep
