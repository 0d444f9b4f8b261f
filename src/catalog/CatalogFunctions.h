// The SQL functions a catalog's triggers and queries call: the word index's text of a field,
// the sum of a size array, the most frequent entries of an array field, and the check of a
// phrase. Every connection that writes Movie rows must have them (CatalogDatabase registers
// them on each of its own); without them a change to a record fails instead of leaving the
// word index behind.
#pragma once

#include <sqlite3.h>

namespace reelkeep {

// Throws dbException when the library refuses them.
void RegisterCatalogFunctions(sqlite3* db);

}  // namespace reelkeep
