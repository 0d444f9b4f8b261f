#include "catalog/CatalogDatabase.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "catalog/ArrayCodec.h"
#include "catalog/CatalogCreation.h"
#include "catalog/CatalogFile.h"
#include "catalog/CatalogSchema.h"
#include "catalog/SqliteStatement.h"

namespace reelkeep {

namespace {

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

[[noreturn]] void ThrowDamaged(sqlite3* db, std::string_view field) {
    const char* file = sqlite3_db_filename(db, "main");
    throw dbException("Catalog \"" + std::string(file ? file : "") +
                      "\": a record is damaged (field " + std::string(field) + ").");
}

enum Query : std::size_t {
    kInsert,
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
    kQueryCount
};

std::string QueryText(Query query) {
    const std::string columns = MovieColumnList();
    switch (query) {
        case kInsert: {
            std::string marks;
            for (std::size_t i = 0; i < MovieFields().size(); ++i) marks += i ? ",?" : "?";
            return "INSERT INTO Movie(" + columns + ") VALUES(" + marks + ")";
        }
        case kUpdate: {
            std::string sets;
            for (const MovieField& field : MovieFields()) {
                sets += (sets.empty() ? "" : ", ") + std::string(field.name) + "=?";
            }
            return "UPDATE Movie SET " + sets + " WHERE oid=?";
        }
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
        case kQueryCount: break;
    }
    return {};
}

// Binds the record's fields, in field-table order, from parameter `first` on. Encoded
// arrays are kept in `keep` until the statement has run.
void BindMovie(StatementUse& use, int first, const Movie& movie, std::vector<std::string>& keep) {
    keep.clear();
    keep.reserve(MovieFields().size());
    int index = first;
    for (const MovieField& field : MovieFields()) {
        switch (field.kind) {
            case FieldKind::Int32: use.Bind(index, std::int64_t{field.Of<std::int32_t>(movie)}); break;
            case FieldKind::Int64: break;  // no scalar 64-bit field in the record
            case FieldKind::Float: use.Bind(index, double{field.Of<float>(movie)}); break;
            case FieldKind::Bool: use.Bind(index, std::int64_t{field.Of<bool>(movie)}); break;
            case FieldKind::DateTime:
                use.Bind(index, std::int64_t{field.Of<dbDateTime>(movie).stamp});
                break;
            case FieldKind::String: use.BindBytes(index, field.Of<std::string>(movie)); break;
            case FieldKind::Array:
                keep.push_back(field.elementKind == FieldKind::String
                                   ? EncodeStringArray(field.Of<StringArray>(movie))
                                   : EncodeInt64Array(field.Of<Int64Array>(movie)));
                use.BindBytes(index, keep.back());
                break;
        }
        ++index;
    }
}

void ReadMovie(sqlite3* db, const StatementUse& use, int first, Movie& movie) {
    int column = first;
    for (const MovieField& field : MovieFields()) {
        switch (field.kind) {
            case FieldKind::Int32:
                field.Of<std::int32_t>(movie) = static_cast<std::int32_t>(use.Int(column));
                break;
            case FieldKind::Int64: break;
            case FieldKind::Float: field.Of<float>(movie) = static_cast<float>(use.Real(column)); break;
            case FieldKind::Bool: field.Of<bool>(movie) = use.Int(column) != 0; break;
            case FieldKind::DateTime:
                field.Of<dbDateTime>(movie).stamp = static_cast<std::uint32_t>(use.Int(column));
                break;
            case FieldKind::String: field.Of<std::string>(movie) = use.Bytes(column); break;
            case FieldKind::Array:
                if (field.elementKind == FieldKind::String) {
                    auto entries = DecodeStringArray(use.Bytes(column));
                    if (!entries) ThrowDamaged(db, field.name);
                    field.Of<StringArray>(movie) = std::move(*entries);
                } else {
                    auto entries = DecodeInt64Array(use.Bytes(column));
                    if (!entries) ThrowDamaged(db, field.name);
                    field.Of<Int64Array>(movie) = std::move(*entries);
                }
                break;
        }
        ++column;
    }
}

}  // namespace

struct CatalogDatabase::Connection {
    SqliteHandle db;
    std::array<SqliteStatementHandle, kQueryCount> statements;
    std::vector<std::string> encoded;  // scratch for BindMovie
    bool inTransaction = false;

    StatementUse Use(Query query) {
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

    void Exec(const char* sql) {
        if (sqlite3_exec(db.get(), sql, nullptr, nullptr, nullptr) != SQLITE_OK) {
            ThrowFor(db.get(), sql);
        }
    }

    std::int64_t PragmaValue(const char* sql) {
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v2(db.get(), sql, -1, &raw, nullptr) != SQLITE_OK) {
            ThrowFor(db.get(), sql);
        }
        SqliteStatementHandle statement(raw);
        StatementUse use(db.get(), raw, &ThrowFor);
        return use.Step() ? use.Int(0) : 0;
    }

    void AddFileNames(ObjectId oid, const StringArray& names) {
        for (const std::string& name : names) {
            StatementUse add = Use(kFileAdd);
            add.BindBytes(1, name);
            add.Bind(2, std::int64_t{oid});
            add.Step();
        }
    }

    void ForgetFileNames(ObjectId oid) {
        StatementUse forget = Use(kFileForget);
        forget.Bind(1, std::int64_t{oid});
        forget.Step();
    }
};

namespace {

thread_local std::chrono::milliseconds threadBusyTimeout = CatalogDatabase::kDefaultBusyTimeout;

}  // namespace

void CatalogDatabase::SetThreadBusyTimeout(std::chrono::milliseconds timeout) {
    threadBusyTimeout = timeout;
}

std::chrono::milliseconds CatalogDatabase::ThreadBusyTimeout() { return threadBusyTimeout; }

CatalogDatabase::CatalogDatabase(std::string filePath)
    : CatalogDatabase(std::move(filePath), threadBusyTimeout) {}

CatalogDatabase::CatalogDatabase(std::string filePath, std::chrono::milliseconds busyTimeout)
    : filePath_(std::move(filePath)), busyTimeout_(busyTimeout) {}

CatalogDatabase::~CatalogDatabase() {
    try {
        Close();
    } catch (const dbException&) {
        // A failed commit at destruction leaves the catalog as at the last commit.
    }
}

bool CatalogDatabase::IsOpen() const { return connection_ != nullptr || emptyReadOnly_; }

void CatalogDatabase::Open(Access access) {
    if (IsOpen()) Close();
    CatalogFileState state = InspectCatalogFile(filePath_);
    const bool readOnly = access == Access::ReadOnly;
    if (readOnly && state == CatalogFileState::Missing) {
        throw dbException("The catalog \"" + filePath_ + "\" does not exist.");
    }
    if (readOnly && state == CatalogFileState::Empty) {
        emptyReadOnly_ = true;
        return;
    }
    if (state != CatalogFileState::Catalog) {
        CreateCatalogFile(filePath_);
        state = InspectCatalogFile(filePath_);
        if (state != CatalogFileState::Catalog) {
            throw dbException("The catalog \"" + filePath_ + "\" could not be created.");
        }
    }

    // The library never creates the file: only a whole catalog ever bears its name.
    auto connection = std::make_unique<Connection>();
    const int flags = (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(filePath_.c_str(), &raw, flags, nullptr);
    connection->db.reset(raw);
    if (rc != SQLITE_OK) {
        const std::string why = raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc);
        throw dbException("Cannot open the catalog \"" + filePath_ + "\": " + why);
    }
    sqlite3_extended_result_codes(raw, 1);
    sqlite3_busy_timeout(raw, static_cast<int>(busyTimeout_.count()));

    connection->Exec(readOnly ? "BEGIN" : "BEGIN IMMEDIATE");
    // The file may have been replaced since it was inspected.
    if (connection->PragmaValue("PRAGMA application_id") != kCatalogApplicationId) {
        throw dbException("The file \"" + filePath_ + "\" is not a Reelkeep catalog. It was left as it is.");
    }
    connection->inTransaction = true;
    connection_ = std::move(connection);
}

void CatalogDatabase::Close() {
    emptyReadOnly_ = false;
    if (!connection_) return;
    std::unique_ptr<Connection> connection = std::move(connection_);
    if (connection->inTransaction &&
        sqlite3_exec(connection->db.get(), "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
        const std::string message = "Catalog \"" + filePath_ +
                                    "\": the changes could not be saved: " +
                                    sqlite3_errmsg(connection->db.get());
        sqlite3_exec(connection->db.get(), "ROLLBACK", nullptr, nullptr, nullptr);
        throw dbException(message);
    }
}

void CatalogDatabase::Abandon() {
    emptyReadOnly_ = false;
    if (!connection_) return;
    std::unique_ptr<Connection> connection = std::move(connection_);
    if (connection->inTransaction) {
        sqlite3_exec(connection->db.get(), "ROLLBACK", nullptr, nullptr, nullptr);
    }
}

CatalogDatabase::Connection& CatalogDatabase::Live() {
    if (!connection_) throw dbException("The catalog \"" + filePath_ + "\" is not open.");
    return *connection_;
}

ObjectId CatalogDatabase::Insert(Movie& movie) {
    Connection& c = Live();
    for (const MovieField& field : MovieFields()) {
        if ((field.flags & kAutoIncrement) && field.kind == FieldKind::Int32) {
            StatementUse next = c.Use(kNextCounter);
            const std::string counter = CounterName(field.name);
            next.BindText(1, counter);
            if (!next.Step()) throw dbException("Catalog \"" + filePath_ + "\": no counter " + counter);
            field.Of<std::int32_t>(movie) = static_cast<std::int32_t>(next.Int(0));
        }
    }
    ObjectId oid = 0;
    {
        StatementUse insert = c.Use(kInsert);
        BindMovie(insert, 1, movie, c.encoded);
        insert.Step();
        oid = static_cast<ObjectId>(sqlite3_last_insert_rowid(c.db.get()));
    }
    c.AddFileNames(oid, movie.pszFilenames);
    return oid;
}

std::vector<ObjectId> CatalogDatabase::SelectAll() {
    std::vector<ObjectId> oids;
    if (emptyReadOnly_) return oids;
    StatementUse select = Live().Use(kSelectAll);
    while (select.Step()) oids.push_back(static_cast<ObjectId>(select.Int(0)));
    return oids;
}

void CatalogDatabase::ForEach(const std::function<void(ObjectId, const Movie&)>& visit) {
    if (emptyReadOnly_) return;
    Connection& c = Live();
    StatementUse select = c.Use(kForEach);
    Movie movie;
    while (select.Step()) {
        ReadMovie(c.db.get(), select, 1, movie);
        visit(static_cast<ObjectId>(select.Int(0)), movie);
    }
}

std::vector<MovieListRow> CatalogDatabase::SelectListRows() {
    std::vector<MovieListRow> rows;
    if (emptyReadOnly_) return rows;
    StatementUse select = Live().Use(kListRows);
    while (select.Step()) {
        rows.push_back({static_cast<ObjectId>(select.Int(0)), std::string(select.Bytes(1)),
                        select.Int(2) != 0});
    }
    std::sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.oid < b.oid; });
    return rows;
}

std::vector<MovieSortKeys> CatalogDatabase::SelectSortKeys() {
    std::vector<MovieSortKeys> keys;
    if (emptyReadOnly_) return keys;
    StatementUse select = Live().Use(kSortKeys);
    while (select.Step()) {
        keys.push_back({static_cast<ObjectId>(select.Int(0)),
                        static_cast<std::int32_t>(select.Int(1)), std::string(select.Bytes(2)),
                        static_cast<std::int32_t>(select.Int(3)),
                        static_cast<float>(select.Real(4))});
    }
    std::sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) { return a.oid < b.oid; });
    return keys;
}

std::vector<ObjectId> CatalogDatabase::SelectByFilename(std::string_view bareName) {
    std::vector<ObjectId> oids;
    if (emptyReadOnly_) return oids;
    StatementUse select = Live().Use(kByFilename);
    select.BindBytes(1, bareName);
    while (select.Step()) oids.push_back(static_cast<ObjectId>(select.Int(0)));
    return oids;
}

std::size_t CatalogDatabase::Count() {
    if (emptyReadOnly_) return 0;
    StatementUse count = Live().Use(kCount);
    return count.Step() ? static_cast<std::size_t>(count.Int(0)) : 0;
}

bool CatalogDatabase::Fetch(ObjectId oid, Movie& movie) {
    if (emptyReadOnly_) return false;
    Connection& c = Live();
    StatementUse fetch = c.Use(kFetch);
    fetch.Bind(1, std::int64_t{oid});
    if (!fetch.Step()) return false;
    ReadMovie(c.db.get(), fetch, 0, movie);
    return true;
}

bool CatalogDatabase::Update(ObjectId oid, const Movie& movie) {
    Connection& c = Live();
    {
        StatementUse update = c.Use(kUpdate);
        BindMovie(update, 1, movie, c.encoded);
        update.Bind(static_cast<int>(MovieFields().size()) + 1, std::int64_t{oid});
        update.Step();
    }
    if (sqlite3_changes(c.db.get()) == 0) return false;
    c.ForgetFileNames(oid);
    c.AddFileNames(oid, movie.pszFilenames);
    return true;
}

bool CatalogDatabase::Remove(ObjectId oid) {
    Connection& c = Live();
    {
        StatementUse remove = c.Use(kRemove);
        remove.Bind(1, std::int64_t{oid});
        remove.Step();
    }
    if (sqlite3_changes(c.db.get()) == 0) return false;
    c.ForgetFileNames(oid);
    return true;
}

}  // namespace reelkeep
