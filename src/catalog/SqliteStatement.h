// Thin owners of the storage library's handles, with the binding and stepping the store uses.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace reelkeep {

struct SqliteCloser {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
struct SqliteFinalizer {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using SqliteHandle = std::unique_ptr<sqlite3, SqliteCloser>;
using SqliteStatementHandle = std::unique_ptr<sqlite3_stmt, SqliteFinalizer>;

// A prepared statement in use: binds, steps, reads; resets itself when the use ends so that
// it never holds the file longer than needed. Errors go to the fail callback, which throws.
class StatementUse {
public:
    using Fail = void (*)(sqlite3* db, const std::string& context);

    StatementUse(sqlite3* db, sqlite3_stmt* statement, Fail fail)
        : db_(db), statement_(statement), fail_(fail) {}
    ~StatementUse() {
        sqlite3_reset(statement_);
        sqlite3_clear_bindings(statement_);
    }
    StatementUse(const StatementUse&) = delete;
    StatementUse& operator=(const StatementUse&) = delete;

    void Bind(int index, std::int64_t value) { Check(sqlite3_bind_int64(statement_, index, value)); }
    void Bind(int index, double value) { Check(sqlite3_bind_double(statement_, index, value)); }
    // The bytes must stay alive until the statement has been stepped.
    void BindBytes(int index, std::string_view bytes) {
        // A zero-length blob must still be a blob, not NULL: give it a non-null address.
        static const char kNothing = 0;
        Check(sqlite3_bind_blob64(statement_, index, bytes.empty() ? &kNothing : bytes.data(),
                                  bytes.size(), SQLITE_STATIC));
    }

    void BindText(int index, std::string_view text) {
        Check(sqlite3_bind_text64(statement_, index, text.data(), text.size(), SQLITE_STATIC,
                                  SQLITE_UTF8));
    }

    // True while there is a row to read.
    bool Step() {
        const int rc = sqlite3_step(statement_);
        if (rc == SQLITE_ROW) return true;
        if (rc == SQLITE_DONE) return false;
        fail_(db_, "step");
        return false;
    }

    std::int64_t Int(int column) const { return sqlite3_column_int64(statement_, column); }
    double Real(int column) const { return sqlite3_column_double(statement_, column); }
    std::string_view Bytes(int column) const {
        const void* data = sqlite3_column_blob(statement_, column);
        const int size = sqlite3_column_bytes(statement_, column);
        return data ? std::string_view(static_cast<const char*>(data), size) : std::string_view();
    }

private:
    void Check(int rc) {
        if (rc != SQLITE_OK) fail_(db_, "bind");
    }

    sqlite3* db_;
    sqlite3_stmt* statement_;
    Fail fail_;
};

}  // namespace reelkeep
