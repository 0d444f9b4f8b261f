// A CSV file is outside data: whatever it holds, reading it must give movies that keep the
// record's rules (a title, no NUL in any text) and problems on lines the file has; a list
// written into a cell must come back as it was.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "interop/Csv.h"
#include "interop/CsvImport.h"
#include "interop/FieldValues.h"
#include "interop/ListCell.h"

namespace {

bool HasNul(const std::string& text) { return text.find('\0') != std::string::npos; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace reelkeep;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::size_t lines = 1;
    for (const char c : bytes) lines += c == '\n' || c == '\r';

    const CsvTable table = ReadCsv(bytes);
    for (const CsvRecord& record : table.records) {
        if (record.line == 0 || record.line > lines) std::abort();
    }
    try {
        const ImportBatch batch = ReadCsvMovies(bytes, "fuzz.csv");
        for (const ImportedMovie& imported : batch.movies) {
            if (imported.movie.szTitle.empty()) std::abort();
            for (const MovieField& field : MovieFields()) {
                if (field.kind == FieldKind::String && HasNul(field.Of<std::string>(imported.movie))) std::abort();
                if (field.kind == FieldKind::Array && field.elementKind == FieldKind::String) {
                    for (const std::string& entry : field.Of<StringArray>(imported.movie)) {
                        if (HasNul(entry)) std::abort();
                    }
                }
            }
        }
        for (const ImportProblem& problem : batch.problems) {
            if (problem.line > lines) std::abort();
        }
    } catch (const ImportFileError&) {
    }

    // Every list survives its cell, and every guarded text its guard.
    std::vector<std::string> entries;
    for (const CsvRecord& record : table.records) {
        for (const std::string& cell : record.cells) entries.push_back(cell);
    }
    if (SplitListCell(JoinListCell(entries)) != entries) std::abort();
    const std::string text(bytes);
    if (UnguardFormula(GuardFormula(text)) != text) std::abort();
    (void)ParseMinutes(bytes);
    (void)ParseDateTime(bytes);
    (void)ParseDecimal(bytes);
    return 0;
}
