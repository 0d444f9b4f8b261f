#include "catalog/CatalogDatabase.h"

#include <algorithm>

#include "catalog/CatalogConnection.h"
#include "catalog/CatalogCreation.h"
#include "catalog/CatalogFile.h"
#include "catalog/CatalogFunctions.h"
#include "catalog/CatalogSchema.h"
#include "catalog/FindIndex.h"
#include "catalog/HistoryRecorder.h"
#include "catalog/MovieRow.h"

namespace reelkeep {

namespace {

thread_local std::chrono::milliseconds threadBusyTimeout = CatalogDatabase::kDefaultBusyTimeout;
thread_local CatalogDatabase::UpgradeProgress threadUpgradeProgress;

}  // namespace

void CatalogDatabase::SetThreadBusyTimeout(std::chrono::milliseconds timeout) {
    threadBusyTimeout = timeout;
}

std::chrono::milliseconds CatalogDatabase::ThreadBusyTimeout() { return threadBusyTimeout; }

void CatalogDatabase::SetThreadUpgradeProgress(UpgradeProgress progress) {
    threadUpgradeProgress = std::move(progress);
}

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
    // The triggers that keep the word index call them.
    RegisterCatalogFunctions(raw);

    connection->Exec(readOnly ? "BEGIN" : "BEGIN IMMEDIATE");
    connection->inTransaction = true;
    // The file may have been replaced since it was inspected.
    if (connection->PragmaValue("PRAGMA application_id") != kCatalogApplicationId) {
        throw dbException("The file \"" + filePath_ + "\" is not a Reelkeep catalog. It was left as it is.");
    }
    schemaVersion_ = connection->PragmaValue("PRAGMA user_version");
    if (!readOnly) {
        if (schemaVersion_ < kCatalogSchemaVersion) {
            // Tables of a newer layout are added in the transaction of the first write.
            connection->Exec(CatalogMigrationSql(schemaVersion_).c_str());
            if (schemaVersion_ < kFirstVersionWithWordIndex) {
                BuildFindIndex(connection->db.get(), threadUpgradeProgress);
            }
            schemaVersion_ = kCatalogSchemaVersion;
        }
        connection->writable = true;
        // What another program changed without the store.
        FlushWordQueue(connection->db.get());
        if (keepHistory_) connection->history = std::make_unique<HistoryRecorder>(*connection);
    }
    connection_ = std::move(connection);
}

void CatalogDatabase::Close() {
    emptyReadOnly_ = false;
    if (!connection_) return;
    std::unique_ptr<Connection> connection = std::move(connection_);
    if (connection->inTransaction && connection->writable) {
        try {
            // The word index takes what changed before the change is kept, and so does the
            // history.
            FlushWordQueue(connection->db.get());
            if (connection->history) connection->history->Finish();
        } catch (const dbException&) {
            // A change is never stored without its step.
            sqlite3_exec(connection->db.get(), "ROLLBACK", nullptr, nullptr, nullptr);
            throw;
        }
    }
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

void CatalogDatabase::SetStepLabel(std::string label) {
    if (connection_ && connection_->history) connection_->history->SetLabel(std::move(label));
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
    if (c.history) c.history->Inserted(oid, movie);
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
    if (c.history) c.history->BeforeChange(oid);
    {
        StatementUse update = c.Use(kUpdate);
        BindMovie(update, 1, movie, c.encoded);
        update.Bind(static_cast<int>(MovieFields().size()) + 1, std::int64_t{oid});
        update.Step();
    }
    if (sqlite3_changes(c.db.get()) == 0) return false;
    c.ForgetFileNames(oid);
    c.AddFileNames(oid, movie.pszFilenames);
    if (c.history) c.history->Changed(oid, movie);
    return true;
}

bool CatalogDatabase::Remove(ObjectId oid) {
    Connection& c = Live();
    if (c.history) c.history->BeforeChange(oid);
    {
        StatementUse remove = c.Use(kRemove);
        remove.Bind(1, std::int64_t{oid});
        remove.Step();
    }
    if (sqlite3_changes(c.db.get()) == 0) return false;
    c.ForgetFileNames(oid);
    if (c.history) c.history->Removed(oid);
    return true;
}

}  // namespace reelkeep
