// A record's fields as the columns of one row: bound into a statement, read back from one, and
// summed up as a number that tells two states of a record apart.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "catalog/Movie.h"
#include "catalog/SqliteStatement.h"

namespace reelkeep {

// Binds the record's fields, in field-table order, from parameter `first` on. Encoded arrays
// are kept in `keep` until the statement has run. Returns the bytes the row holds, roughly.
std::size_t BindMovie(StatementUse& use, int first, const Movie& movie, std::vector<std::string>& keep);

// Reads the record's fields, in field-table order, from column `first` on. A damaged array
// raises dbException naming the field.
void ReadMovie(sqlite3* db, const StatementUse& use, int first, Movie& movie);

// A digest of every field. Never kAbsentMovieState, which stands for "no such record".
std::uint64_t MovieState(const Movie& movie);
inline constexpr std::uint64_t kAbsentMovieState = 0;

// An SQL expression, over the record's columns, of the bytes BindMovie reports for that row.
std::string MovieRowBytesSql();

}  // namespace reelkeep
