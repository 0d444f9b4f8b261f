// The CSV export: one column per field in the field table's order, our field names as the
// header, lists joined as ListCell.h says, UTF-8 with a byte-order mark and CRLF line ends.
#pragma once

#include <string>
#include <vector>

#include "catalog/Movie.h"
#include "present/Export.h"
#include "present/MovieSelection.h"

namespace reelkeep {

// The header row and one row per movie.
std::string CsvDocument(const std::vector<Movie>& movies);
void AppendCsvRow(std::string& out, const Movie& movie);
std::string CsvHeader();

// Writes the list's selection, in list order, to the file. Throws dbException when the
// catalog cannot be read.
ExportResult ExportCsv(const MovieSelection& list, const std::string& catalogFolder,
                       const std::string& path);

}  // namespace reelkeep
