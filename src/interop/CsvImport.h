// Movies from a CSV file: our own export, a spreadsheet whose header names our fields or the
// labels our pages show, the IMDb list and ratings export, and Letterboxd's CSV files.
#pragma once

#include <string>
#include <string_view>

#include "interop/ImportBatch.h"

namespace reelkeep {

// `fileName` is the file's own name (Letterboxd's "watchlist.csv" holds films not yet seen).
// Throws ImportFileError when no column of the header names anything Reelkeep knows.
ImportBatch ReadCsvMovies(std::string_view bytes, const std::string& fileName);

// "tt0078748" out of an IMDb address or identifier; empty when there is none.
std::string ImdbId(std::string_view text);
std::string ImdbUrl(std::string_view id);

}  // namespace reelkeep
