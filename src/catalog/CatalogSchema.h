// The tables of a catalog file, derived from the record's field table.
#pragma once

#include <string>

namespace reelkeep {

// Statements that create every table and index of a new catalog (one string, ";"-separated).
std::string CatalogCreationSql();

// The record's columns in field-table order, comma-separated: "nIndex, szTitle, ...".
std::string MovieColumnList();

// Name of the counter behind an auto-increment field.
std::string CounterName(std::string_view field);

}  // namespace reelkeep
