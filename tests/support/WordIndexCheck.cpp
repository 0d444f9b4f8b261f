#include "support/WordIndexCheck.h"

#include <sqlite3.h>

#include "catalog/CatalogFunctions.h"
#include "catalog/FindIndex.h"

namespace reelkeep::test {

namespace {

int Collect(void* out, int columns, char** values, char**) {
    auto& text = *static_cast<std::string*>(out);
    for (int i = 0; i < columns; ++i) text += std::string(values[i] ? values[i] : "NULL") + (i + 1 < columns ? " " : "; ");
    return 0;
}

}  // namespace

std::string WordIndexDifference(const std::string& catalogFile) {
    sqlite3* db = nullptr;
    // Read-write for the index's own integrity check, which is run as a write; nothing is kept.
    if (sqlite3_open_v2(catalogFile.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return "the catalog does not open";
    }
    RegisterCatalogFunctions(db);
    const std::string table = kWordIndexTable;
    const std::string sql =
        "BEGIN;" + WordIndexTableSql("temp.Fresh") + ";" + WordIndexFillSql("temp.Fresh") + ";" +
        "CREATE VIRTUAL TABLE temp.KeptWords USING fts5vocab(main, " + table + ", instance);"
        "CREATE VIRTUAL TABLE temp.FreshWords USING fts5vocab(temp, Fresh, instance);";
    std::string difference;
    char* error = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        difference = std::string("cannot compare: ") + (error ? error : "");
    } else {
        std::string extra, missing;
        sqlite3_exec(db,
                     "SELECT term, doc, col FROM temp.KeptWords EXCEPT SELECT term, doc, col FROM "
                     "temp.FreshWords LIMIT 5",
                     &Collect, &extra, nullptr);
        sqlite3_exec(db,
                     "SELECT term, doc, col FROM temp.FreshWords EXCEPT SELECT term, doc, col FROM "
                     "temp.KeptWords LIMIT 5",
                     &Collect, &missing, nullptr);
        std::string check;
        if (sqlite3_exec(db, ("INSERT INTO " + table + "(" + table + ") VALUES('integrity-check')").c_str(),
                         nullptr, nullptr, &error) != SQLITE_OK) {
            check = error ? error : "failed";
        }
        std::string queued;
        sqlite3_exec(db, ("SELECT oid FROM " + std::string(kWordQueueTable) + " LIMIT 5").c_str(), &Collect,
                     &queued, nullptr);
        if (!queued.empty()) difference += "changes left in the queue: " + queued;
        if (!extra.empty()) difference += "indexed but not in the records: " + extra;
        if (!missing.empty()) difference += "in the records but not indexed: " + missing;
        if (!check.empty()) difference += "integrity check: " + check;
    }
    sqlite3_free(error);
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);  // the file stays as it was
    sqlite3_close(db);
    return difference;
}

bool TakeBackToTheFormerLayout(const std::string& catalogFile) {
    sqlite3* db = nullptr;
    const bool done =
        sqlite3_open_v2(catalogFile.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK &&
        sqlite3_exec(db,
                     "DROP TRIGGER MovieWordsQueue_insert; DROP TRIGGER MovieWordsQueue_update;"
                     " DROP TRIGGER MovieWordsQueue_delete; DROP TABLE MovieWords;"
                     " DROP TABLE MovieWordsQueue; DROP INDEX Movie_numbers;"
                     " PRAGMA user_version = 2; VACUUM;",
                     nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return done;
}

}  // namespace reelkeep::test
