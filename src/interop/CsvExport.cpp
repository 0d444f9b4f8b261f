#include "interop/CsvExport.h"

#include <charconv>

#include "catalog/CatalogPaths.h"
#include "interop/Csv.h"
#include "interop/FieldValues.h"
#include "interop/ListCell.h"
#include "present/XmlText.h"

namespace reelkeep {

namespace {

template <class Integer>
std::string IntegerText(Integer value) {
    char buffer[24];
    return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

// Record strings are bytes; the file is UTF-8, read as the pane reads them.
std::string Text(const std::string& bytes) { return ToXmlText(bytes); }

std::string Cell(const MovieField& field, const Movie& movie) {
    switch (field.kind) {
        case FieldKind::Int32: return IntegerText(field.Of<std::int32_t>(movie));
        case FieldKind::Float: return FloatCellText(field.Of<float>(movie));
        case FieldKind::Bool: return field.Of<bool>(movie) ? "1" : "0";
        case FieldKind::DateTime: return DateTimeText(field.Of<dbDateTime>(movie));
        case FieldKind::String: return GuardFormula(Text(field.Of<std::string>(movie)));
        case FieldKind::Int64: return {};
        case FieldKind::Array:
            if (field.elementKind == FieldKind::Int64) {
                StringArray numbers;
                for (const std::int64_t size : field.Of<Int64Array>(movie)) numbers.push_back(IntegerText(size));
                return JoinListCell(numbers);
            } else {
                StringArray entries;
                for (const std::string& entry : field.Of<StringArray>(movie)) entries.push_back(Text(entry));
                return GuardFormula(JoinListCell(entries));
            }
    }
    return {};
}

}  // namespace

std::string CsvHeader() {
    std::string row;
    for (const MovieField& field : MovieFields()) {
        if (!row.empty()) row += ',';
        row += field.name;
    }
    return row + "\r\n";
}

void AppendCsvRow(std::string& out, const Movie& movie) {
    bool first = true;
    for (const MovieField& field : MovieFields()) {
        if (!first) out += ',';
        first = false;
        AppendCsvCell(out, Cell(field, movie));
    }
    out += "\r\n";
}

std::string CsvDocument(const std::vector<Movie>& movies) {
    std::string out(kUtf8ByteOrderMark);
    out += CsvHeader();
    for (const Movie& movie : movies) AppendCsvRow(out, movie);
    return out;
}

ExportResult ExportCsv(const MovieSelection& list, const std::string& catalogFolder,
                       const std::string& path) {
    const std::vector<int> rows = list.SelectedRows();
    if (rows.empty()) return {ExportResult::Status::NothingWritten, {}, "No movie is selected."};
    CatalogDatabase database(CatalogFilePath(catalogFolder));
    try {
        database.Open(CatalogDatabase::Access::ReadOnly);
    } catch (const dbException& error) {
        return {ExportResult::Status::NothingWritten, {}, error.what()};
    }
    std::string out(kUtf8ByteOrderMark);
    out += CsvHeader();
    Movie movie;
    for (const int row : rows) {
        const ObjectId oid = list.RowObjectId(row);
        if (oid == 0 || !database.Fetch(oid, movie)) {
            throw dbException("The movie with identifier " + std::to_string(oid) +
                              " is no longer in the catalog.");
        }
        AppendCsvRow(out, movie);
    }
    database.Close();
    if (std::string error = WriteFileReplacing(path, out); !error.empty()) {
        return {ExportResult::Status::Failed, kExportErrorCaption, std::move(error)};
    }
    return {ExportResult::Status::Written, {}, {}};
}

}  // namespace reelkeep
