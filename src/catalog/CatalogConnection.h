// Inside a CatalogDatabase: the open connection, its prepared statements, and what it keeps of
// the operation's history. Only the store's own files include this.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "catalog/CatalogDatabase.h"
#include "catalog/SqliteStatement.h"

namespace reelkeep {

class HistoryRecorder;
class WordTokenizer;

enum Query : std::size_t {
    kInsert,
    kInsertWithOid,
    kUpdate,
    kRemove,
    kFetch,
    kSelectAll,
    kForEach,
    kListRows,
    kSortKeys,
    kByFilename,
    kCount,
    kNextCounter,
    kFileAdd,
    kFileForget,
    // The history of changes (HistoryRecorder, CatalogDatabaseHistory.cpp).
    kHistoryDiscardRedoMovies,
    kHistoryDiscardRedoSteps,
    kHistoryNewStep,
    kHistoryKeepRecord,
    kHistoryFinishStep,
    kHistoryStepStates,
    kHistoryStepSizes,
    kHistoryDropMovies,
    kHistoryDropSteps,
    kHistoryNewestDone,
    kHistoryOldestUndone,
    kHistoryStepRows,
    kHistoryPutRow,
    kHistoryForgetRow,
    kHistoryMark,
    kHistoryList,
    kQueryCount
};

// Raises dbException with the storage library's message for the connection's last error; a
// catalog that another writer holds gets a message the user can act on.
[[noreturn]] void ThrowFor(sqlite3* db, const std::string& context);

struct CatalogDatabase::Connection {
    Connection();
    ~Connection();

    SqliteHandle db;
    std::array<SqliteStatementHandle, kQueryCount> statements;
    std::vector<std::string> encoded;  // scratch for BindMovie
    bool inTransaction = false;
    bool writable = false;
    // Set on read-write connections that keep the history of what they change.
    std::unique_ptr<HistoryRecorder> history;
    // Made when a query first needs it.
    std::unique_ptr<WordTokenizer> tokenizer;

    StatementUse Use(Query query);
    void Exec(const char* sql);
    std::int64_t PragmaValue(const char* sql);
    void AddFileNames(ObjectId oid, const StringArray& names);
    void ForgetFileNames(ObjectId oid);
    const WordTokenizer& Tokenizer();
};

}  // namespace reelkeep
