#include "catalog/CatalogConnection.h"

#include "catalog/CatalogSchema.h"
#include "catalog/HistoryRecorder.h"
#include "catalog/MovieRow.h"
#include "catalog/WordTokenizer.h"

namespace reelkeep {

namespace {

std::string Marks(std::size_t count) {
    std::string marks;
    for (std::size_t i = 0; i < count; ++i) marks += i ? ",?" : "?";
    return marks;
}

// "szTitle=?, nYear=?, ..." from parameter `first` on.
std::string Assignments(int first) {
    std::string sets;
    for (const MovieField& field : MovieFields()) {
        sets += (sets.empty() ? "" : ", ") + std::string(field.name) + "=?" + std::to_string(first++);
    }
    return sets;
}

std::string QueryText(Query query) {
    const std::string columns = MovieColumnList();
    const std::size_t fields = MovieFields().size();
    switch (query) {
        case kInsert: return "INSERT INTO Movie(" + columns + ") VALUES(" + Marks(fields) + ")";
        case kInsertWithOid:
            return "INSERT INTO Movie(oid, " + columns + ") VALUES(" + Marks(fields + 1) + ")";
        case kUpdate: return "UPDATE Movie SET " + Assignments(1) + " WHERE oid=?" + std::to_string(fields + 1);
        case kRemove: return "DELETE FROM Movie WHERE oid=?";
        case kFetch: return "SELECT " + columns + " FROM Movie WHERE oid=?";
        case kSelectAll: return "SELECT oid FROM Movie ORDER BY oid";
        case kForEach: return "SELECT oid, " + columns + " FROM Movie ORDER BY oid";
        // Read from the list's covering index; storage order is restored afterwards.
        case kListRows: return "SELECT oid, szTitle, bWatched FROM Movie INDEXED BY Movie_list";
        case kSortKeys:
            return "SELECT oid, nIndex, szTitle, nYear, fRating FROM Movie INDEXED BY Movie_list";
        case kByFilename: return "SELECT movie FROM MovieFile WHERE name=? ORDER BY movie";
        case kCount: return "SELECT count(*) FROM Movie";
        case kNextCounter: return "UPDATE Counter SET value=value+1 WHERE name=? RETURNING value";
        case kFileAdd: return "INSERT OR IGNORE INTO MovieFile(name, movie) VALUES(?, ?)";
        case kFileForget: return "DELETE FROM MovieFile WHERE movie=?";

        case kHistoryDiscardRedoMovies:
            return "DELETE FROM HistoryMovie WHERE step IN (SELECT step FROM HistoryStep WHERE undone)";
        case kHistoryDiscardRedoSteps: return "DELETE FROM HistoryStep WHERE undone";
        case kHistoryNewStep:
            return "INSERT INTO HistoryStep(label, time, movies, bytes, undone) VALUES('', 0, 0, 0, 0)";
        case kHistoryKeepRecord:
            return "INSERT INTO HistoryMovie(step, oid, bytes, " + columns + ") SELECT ?1, oid, " +
                   MovieRowBytesSql() + ", " + columns + " FROM Movie WHERE oid=?2";
        case kHistoryFinishStep:
            return "UPDATE HistoryStep SET label=?2, time=?3, movies=?4, states=?5,"
                   " bytes=(SELECT total(bytes) FROM HistoryMovie WHERE step=?1) WHERE step=?1";
        case kHistoryStepStates: return "SELECT states FROM HistoryStep WHERE step=?";
        case kHistoryStepSizes: return "SELECT step, bytes FROM HistoryStep ORDER BY step DESC";
        case kHistoryDropMovies: return "DELETE FROM HistoryMovie WHERE step<=?1";
        case kHistoryDropSteps: return "DELETE FROM HistoryStep WHERE step<=?1";
        case kHistoryNewestDone:
            return "SELECT step, label FROM HistoryStep WHERE NOT undone ORDER BY step DESC LIMIT 1";
        case kHistoryOldestUndone:
            return "SELECT step, label FROM HistoryStep WHERE undone ORDER BY step LIMIT 1";
        case kHistoryStepRows:
            return "SELECT oid, " + columns + " FROM HistoryMovie WHERE step=?";
        case kHistoryPutRow:
            return "INSERT OR REPLACE INTO HistoryMovie(step, oid, bytes, " + columns + ") VALUES(" +
                   Marks(fields + 3) + ")";
        case kHistoryForgetRow: return "DELETE FROM HistoryMovie WHERE step=?1 AND oid=?2";
        case kHistoryMark:
            return "UPDATE HistoryStep SET undone=?2, states=?3,"
                   " bytes=(SELECT total(bytes) FROM HistoryMovie WHERE step=?1) WHERE step=?1";
        case kHistoryList:
            return "SELECT step, time, label, movies, undone FROM HistoryStep ORDER BY step DESC";
        case kQueryCount: break;
    }
    return {};
}

}  // namespace

[[noreturn]] void ThrowFor(sqlite3* db, const std::string& /*context*/) {
    const char* file = sqlite3_db_filename(db, "main");
    const std::string path = file ? file : "";
    const int code = sqlite3_errcode(db);
    if (code == SQLITE_BUSY || code == SQLITE_LOCKED) {
        throw dbException("The catalog \"" + path +
                          "\" is in use by another program or operation, so nothing was "
                          "changed. Try again when it has finished.");
    }
    throw dbException("Catalog \"" + path + "\": " + sqlite3_errmsg(db));
}

CatalogDatabase::Connection::Connection() = default;
CatalogDatabase::Connection::~Connection() = default;

StatementUse CatalogDatabase::Connection::Use(Query query) {
    SqliteStatementHandle& statement = statements[query];
    if (!statement) {
        sqlite3_stmt* raw = nullptr;
        const std::string text = QueryText(query);
        if (sqlite3_prepare_v3(db.get(), text.c_str(), static_cast<int>(text.size() + 1),
                               SQLITE_PREPARE_PERSISTENT, &raw, nullptr) != SQLITE_OK) {
            ThrowFor(db.get(), "prepare");
        }
        statement.reset(raw);
    }
    return StatementUse(db.get(), statement.get(), &ThrowFor);
}

void CatalogDatabase::Connection::Exec(const char* sql) {
    if (sqlite3_exec(db.get(), sql, nullptr, nullptr, nullptr) != SQLITE_OK) ThrowFor(db.get(), sql);
}

std::int64_t CatalogDatabase::Connection::PragmaValue(const char* sql) {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db.get(), sql, -1, &raw, nullptr) != SQLITE_OK) ThrowFor(db.get(), sql);
    SqliteStatementHandle statement(raw);
    StatementUse use(db.get(), raw, &ThrowFor);
    return use.Step() ? use.Int(0) : 0;
}

void CatalogDatabase::Connection::AddFileNames(ObjectId oid, const StringArray& names) {
    for (const std::string& name : names) {
        StatementUse add = Use(kFileAdd);
        add.BindBytes(1, name);
        add.Bind(2, std::int64_t{oid});
        add.Step();
    }
}

const WordTokenizer& CatalogDatabase::Connection::Tokenizer() {
    if (!tokenizer) tokenizer = std::make_unique<WordTokenizer>(db.get());
    return *tokenizer;
}

void CatalogDatabase::Connection::ForgetFileNames(ObjectId oid) {
    StatementUse forget = Use(kFileForget);
    forget.Bind(1, std::int64_t{oid});
    forget.Step();
}

}  // namespace reelkeep
