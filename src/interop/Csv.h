// Comma-separated values as spreadsheets write them (RFC 4180): cells in double quotes may hold
// the separator, quotes (doubled) and line breaks; records end in CRLF or LF. A UTF-8
// byte-order mark at the start is dropped. The separator is a comma, or a semicolon when the
// header row holds more semicolons than commas outside quotes (spreadsheets of countries
// whose decimal mark is a comma write those).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace reelkeep {

inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

struct CsvRecord {
    std::size_t line = 0;  // the line on which the record starts, from 1
    std::vector<std::string> cells;
};

struct CsvTable {
    char separator = ',';
    std::vector<CsvRecord> records;  // the header first; blank lines are left out
    // A quoted cell never closed: the records before it are kept, the rest is lost.
    std::size_t unclosedQuoteLine = 0;
};

CsvTable ReadCsv(std::string_view bytes);

// The cell as a CSV field: quoted when it holds the separator, a quote, a line break or
// leading or trailing blanks; as it is otherwise.
void AppendCsvCell(std::string& out, std::string_view cell, char separator = ',');

}  // namespace reelkeep
