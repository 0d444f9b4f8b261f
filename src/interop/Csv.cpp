#include "interop/Csv.h"

namespace reelkeep {

namespace {

char DetectSeparator(std::string_view bytes) {
    std::size_t commas = 0, semicolons = 0;
    bool quoted = false;
    for (const char c : bytes) {
        if (c == '"') {
            quoted = !quoted;
        } else if (!quoted) {
            if (c == '\n' || c == '\r') break;
            if (c == ',') ++commas;
            if (c == ';') ++semicolons;
        }
    }
    return semicolons > commas ? ';' : ',';
}

bool IsBlank(const CsvRecord& record) {
    return record.cells.size() == 1 && record.cells.front().empty();
}

}  // namespace

CsvTable ReadCsv(std::string_view bytes) {
    CsvTable table;
    if (bytes.substr(0, kUtf8ByteOrderMark.size()) == kUtf8ByteOrderMark) {
        bytes.remove_prefix(kUtf8ByteOrderMark.size());
    }
    table.separator = DetectSeparator(bytes);
    const char separator = table.separator;
    const std::string stops{separator, '\r', '\n'};

    std::size_t line = 1;
    std::size_t i = 0;
    const std::size_t size = bytes.size();
    CsvRecord record;
    record.line = line;
    std::string cell;
    const auto endCell = [&] { record.cells.push_back(std::move(cell)); cell.clear(); };
    const auto endRecord = [&] {
        endCell();
        if (!IsBlank(record)) table.records.push_back(std::move(record));
        record = CsvRecord();
        record.line = line;
    };

    while (i < size) {
        const char c = bytes[i];
        if (c == '"' && cell.empty()) {
            // A quoted cell: runs to the quote that is not doubled.
            const std::size_t openedOn = line;
            ++i;
            bool closed = false;
            while (i < size) {
                const std::size_t quote = bytes.find_first_of("\"\n", i);
                if (quote == std::string_view::npos) {
                    cell.append(bytes.substr(i));
                    i = size;
                    break;
                }
                cell.append(bytes.substr(i, quote - i));
                i = quote + 1;
                if (bytes[quote] == '\n') {
                    cell += '\n';
                    ++line;
                } else if (i < size && bytes[i] == '"') {
                    cell += '"';
                    ++i;
                } else {
                    closed = true;
                    break;
                }
            }
            if (!closed) {
                table.unclosedQuoteLine = openedOn;
                return table;
            }
            // Whatever follows the closing quote up to the separator belongs to the cell, as
            // spreadsheets read it.
            continue;
        }
        if (c == separator) {
            endCell();
            ++i;
        } else if (c == '\r' && i + 1 < size && bytes[i + 1] == '\n') {
            i += 2;
            ++line;
            endRecord();
        } else if (c == '\n' || c == '\r') {
            ++i;
            ++line;
            endRecord();
        } else {
            const std::size_t end = bytes.find_first_of(stops, i);
            const std::size_t stop = end == std::string_view::npos ? size : end;
            cell.append(bytes.substr(i, stop - i));
            i = stop;
        }
    }
    if (!cell.empty() || !record.cells.empty()) endRecord();
    return table;
}

void AppendCsvCell(std::string& out, std::string_view cell, char separator) {
    const bool quote = cell.find_first_of(std::string{separator, '"', '\r', '\n'}) !=
                           std::string_view::npos ||
                       (!cell.empty() && (cell.front() == ' ' || cell.back() == ' '));
    if (!quote) {
        out.append(cell);
        return;
    }
    out += '"';
    for (const char c : cell) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

}  // namespace reelkeep
