// The tables of a catalog file, derived from the record's field table.
#pragma once

#include <cstdint>
#include <string>

namespace reelkeep {

// Statements that create every table and index of a new catalog (one string, ";"-separated).
std::string CatalogCreationSql();

// Statements that bring a catalog of an older layout up to this one, in its write transaction.
std::string CatalogMigrationSql(std::int64_t fromVersion);

// The tables of the history of changes.
std::string HistoryCreationSql();

// The record's columns in field-table order, comma-separated: "nIndex, szTitle, ...".
std::string MovieColumnList();

// Name of the counter behind an auto-increment field.
std::string CounterName(std::string_view field);

}  // namespace reelkeep
