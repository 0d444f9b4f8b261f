#include "catalog/FindIndex.h"

#include <array>

#include "catalog/ArrayCodec.h"
#include "catalog/Movie.h"
#include "catalog/SqliteStatement.h"
#include "catalog/dbException.h"
#include "platform/SearchText.h"

namespace reelkeep {

namespace {

struct IndexColumn {
    std::string_view name;
    std::string_view field;  // of the Movie record
};

// In FindColumn order.
constexpr std::array<IndexColumn, kFindColumnCount> kColumns = {{
    {"title", "szTitle"},
    {"translated", "szTranslated"},
    {"directors", "pszDirectors"},
    {"producers", "pszProducers"},
    {"actors", "pszActors"},
    {"countries", "pszCountries"},
    {"categories", "pszCategories"},
    {"languages", "pszLanguages"},
    {"subtitles", "pszSubtitles"},
    {"plot", "szPlot"},
    {"comments", "pszComments"},
    {"release", "szRelease"},
    {"location", "szLocation"},
    {"lender", "szLender"},
    {"files", "pszFilenames"},
}};

// Rows per statement while the index is built, and so between two reports of progress.
constexpr std::size_t kBuildChunk = 2000;

std::string ColumnNames() {
    std::string names;
    for (const IndexColumn& column : kColumns) {
        names += (names.empty() ? "" : ", ") + std::string(column.name);
    }
    return names;
}

std::string SourceValues(std::string_view row) {
    std::string values;
    for (unsigned column = 0; column < kFindColumnCount; ++column) {
        values += ", " + FindColumnSourceSql(static_cast<FindColumn>(column), row);
    }
    return values;
}

[[noreturn]] void Fail(sqlite3* db) {
    const char* file = sqlite3_db_filename(db, "main");
    throw dbException("Catalog \"" + std::string(file ? file : "") +
                      "\": the word index could not be brought up to date: " + sqlite3_errmsg(db));
}

}  // namespace

std::string_view FindColumnName(FindColumn column) { return kColumns[column].name; }

std::string FindColumnSourceSql(FindColumn column, std::string_view row) {
    const std::string field = std::string(row) + "." + std::string(kColumns[column].field);
    const MovieField* described = FindMovieField(kColumns[column].field);
    return (described && described->kind == FieldKind::Array ? "rk_entries(" : "rk_text(") +
           field + ")";
}

std::string WordIndexTableSql(std::string_view name) {
    // Contentless: the index keeps words, not the texts, which the records hold already. A
    // removal names the words it takes away, which is why the queue keeps the old texts.
    return "CREATE VIRTUAL TABLE IF NOT EXISTS " + std::string(name) + " USING fts5(" +
           ColumnNames() + ", content='', columnsize=0, detail=column, prefix='1', tokenize='" +
           kWordTokenizerDeclaration + "')";
}

std::string WordIndexFillSql(std::string_view name) {
    return "INSERT INTO " + std::string(name) + "(rowid, " + ColumnNames() + ") SELECT m.oid" +
           SourceValues("m") + " FROM Movie m";
}

std::string FindIndexCreationSql() {
    const std::string table = kWordIndexTable;
    const std::string queue = kWordQueueTable;
    std::string fields, oldValues, changed, queueColumns;
    for (const IndexColumn& column : kColumns) {
        const std::string field(column.field);
        fields += ", " + field;
        oldValues += ", old." + field;
        queueColumns += ", " + field + " BLOB";
        changed += (changed.empty() ? "" : " OR ") + ("old." + field + " IS NOT new." + field);
    }
    // The first change to a record in a transaction keeps what the index holds of it: nothing
    // for a new record, its texts as they were otherwise.
    const std::string keepOld = "INSERT OR IGNORE INTO " + queue + "(oid, present" + fields +
                                ") VALUES(old.oid, 1" + oldValues + ");";
    return WordIndexTableSql(table) + ";\n" +
           // Sixteen segments of a size are merged at once instead of four: a large drop or the
           // index's first build rewrites the index half as often, at a few per cent of its size.
           "INSERT INTO " + table + "(" + table + ", rank) VALUES('automerge', 16);\n" +
           "CREATE TABLE IF NOT EXISTS " + queue + "(oid INTEGER PRIMARY KEY, present INTEGER NOT NULL" +
           queueColumns + ");\n" +
           "CREATE TRIGGER IF NOT EXISTS " + queue + "_insert AFTER INSERT ON Movie BEGIN"
           " INSERT OR IGNORE INTO " + queue + "(oid, present) VALUES(new.oid, 0); END;\n" +
           "CREATE TRIGGER IF NOT EXISTS " + queue + "_delete AFTER DELETE ON Movie BEGIN " + keepOld +
           " END;\n" +
           // A change to numbers or pictures leaves the words as they are.
           "CREATE TRIGGER IF NOT EXISTS " + queue + "_update AFTER UPDATE ON Movie WHEN " + changed +
           " BEGIN " + keepOld + " END;\n" +
           // What the Filter compares besides words, read from a small index instead of the
           // records.
           "CREATE INDEX IF NOT EXISTS Movie_numbers ON Movie(nYear, fRating, nLength, bWatched,"
           " dtAdded);\n";
}

bool FlushWordQueue(sqlite3* db) {
    const std::string table = kWordIndexTable;
    const std::string queue = kWordQueueTable;
    {
        sqlite3_stmt* raw = nullptr;
        const std::string any = "SELECT 1 FROM " + queue + " LIMIT 1";
        if (sqlite3_prepare_v2(db, any.c_str(), -1, &raw, nullptr) != SQLITE_OK) Fail(db);
        SqliteStatementHandle statement(raw);
        const int rc = sqlite3_step(raw);
        if (rc == SQLITE_DONE) return false;
        if (rc != SQLITE_ROW) Fail(db);
    }
    // Each a statement of its own over every queued record: the index takes its words in
    // one batch instead of one batch per change.
    const std::string sql =
        "INSERT INTO " + table + "(" + table + ", rowid, " + ColumnNames() + ") SELECT 'delete', q.oid" +
        SourceValues("q") + " FROM " + queue + " q WHERE q.present ORDER BY q.oid;\n" +
        "INSERT INTO " + table + "(rowid, " + ColumnNames() + ") SELECT m.oid" + SourceValues("m") +
        " FROM " + queue + " q JOIN Movie m ON m.oid = q.oid ORDER BY m.oid;\n" +
        "DELETE FROM " + queue + ";";
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) Fail(db);
    return true;
}

std::string FindIndexEntriesText(std::string_view encodedArray) {
    const std::optional<StringArray> entries = DecodeStringArray(encodedArray);
    std::string text;
    if (!entries) return text;
    for (const std::string& entry : *entries) {
        if (!text.empty()) text += '\n';
        text += SearchText(entry);
    }
    return text;
}

void BuildFindIndex(sqlite3* db, const std::function<void(std::size_t, std::size_t)>& progress) {
    const std::string table = kWordIndexTable;
    const std::string clear = "INSERT INTO " + table + "(" + table + ") VALUES('delete-all'); DELETE FROM " +
                              std::string(kWordQueueTable) + ";";
    if (sqlite3_exec(db, clear.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
        Fail(db);
    }
    std::vector<std::int64_t> oids;
    {
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT oid FROM Movie ORDER BY oid", -1, &raw, nullptr) != SQLITE_OK) {
            Fail(db);
        }
        SqliteStatementHandle select(raw);
        int rc = SQLITE_ROW;
        while ((rc = sqlite3_step(raw)) == SQLITE_ROW) oids.push_back(sqlite3_column_int64(raw, 0));
        if (rc != SQLITE_DONE) Fail(db);
    }
    const std::string sql = WordIndexFillSql(table) + " WHERE m.oid BETWEEN ?1 AND ?2";
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &raw, nullptr) != SQLITE_OK) Fail(db);
    SqliteStatementHandle insert(raw);
    if (progress) progress(0, oids.size());
    for (std::size_t first = 0; first < oids.size(); first += kBuildChunk) {
        const std::size_t last = std::min(oids.size(), first + kBuildChunk) - 1;
        sqlite3_bind_int64(raw, 1, oids[first]);
        sqlite3_bind_int64(raw, 2, oids[last]);
        if (sqlite3_step(raw) != SQLITE_DONE) Fail(db);
        sqlite3_reset(raw);
        if (progress) progress(last + 1, oids.size());
    }
}

std::string EncodePhrasePattern(const PhrasePattern& pattern) {
    StringArray entries;
    entries.push_back(std::string(pattern.prefixLast ? "p" : "") + (pattern.wholeEntry ? "e" : ""));
    entries.insert(entries.end(), pattern.words.begin(), pattern.words.end());
    return EncodeStringArray(entries);
}

std::optional<PhrasePattern> DecodePhrasePattern(std::string_view bytes) {
    std::optional<StringArray> entries = DecodeStringArray(bytes);
    if (!entries || entries->size() < 2) return std::nullopt;
    PhrasePattern pattern;
    pattern.prefixLast = entries->front().find('p') != std::string::npos;
    pattern.wholeEntry = entries->front().find('e') != std::string::npos;
    pattern.words.assign(entries->begin() + 1, entries->end());
    return pattern;
}

bool TextHoldsPhrase(std::string_view text, const std::vector<Word>& words,
                     const PhrasePattern& pattern) {
    const std::size_t count = pattern.words.size();
    if (count == 0 || words.size() < count) return false;
    const auto lineBreakBetween = [&text](std::size_t from, std::size_t to) {
        const std::size_t at = text.find('\n', from);
        return at != std::string_view::npos && at < to;
    };
    for (std::size_t first = 0; first + count <= words.size(); ++first) {
        bool match = true;
        for (std::size_t k = 0; k < count && match; ++k) {
            const std::string& wanted = pattern.words[k];
            const std::string& found = words[first + k].text;
            const bool prefix = pattern.prefixLast && k + 1 == count;
            match = prefix ? found.compare(0, wanted.size(), wanted) == 0 : found == wanted;
        }
        const std::size_t last = first + count - 1;
        if (!match || lineBreakBetween(words[first].start, words[last].end)) continue;
        if (pattern.wholeEntry) {
            const bool startsLine = first == 0 || lineBreakBetween(words[first - 1].end, words[first].start);
            const bool endsLine =
                last + 1 == words.size() || lineBreakBetween(words[last].end, words[last + 1].start);
            if (!startsLine || !endsLine) continue;
        }
        return true;
    }
    return false;
}

}  // namespace reelkeep
