// One connection to a catalog file, for the length of one operation.
//
// Open() begins one transaction and Close() commits it; a connection that is destroyed while
// open closes itself the same way. Read-only connections never block on writers (the file
// keeps a write-ahead log); a second writer waits for the first up to the busy timeout.
// Every failure raises dbException with the storage library's message.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/CatalogSummary.h"
#include "catalog/FindQuery.h"
#include "catalog/Movie.h"
#include "catalog/dbException.h"

namespace reelkeep {

// The record's identity between the list and the store: a positive 32-bit number.
using ObjectId = std::uint32_t;

// What a list row shows of a movie.
struct MovieListRow {
    ObjectId oid = 0;
    std::string title;
    bool watched = false;
};

// The four keys the list sorts by.
struct MovieSortKeys {
    ObjectId oid = 0;
    std::int32_t index = 0;
    std::string title;
    std::int32_t year = 0;
    float rating = 0.0f;
};

// One step of the catalog's history.
struct HistoryStepInfo {
    std::int64_t number = 0;
    std::uint32_t time = 0;  // seconds since 1970, when the step was made
    std::string label;       // "Delete 3 Movies"
    std::size_t movies = 0;  // records the step touched
    bool undone = false;     // taken back, so that Redo can make it again
};

// What an undo or a redo did to the records: those it put back or changed, and those it took
// away, so that the list can follow.
struct HistoryMove {
    std::string label;
    std::vector<MovieListRow> present;
    std::vector<ObjectId> removed;
};

class CatalogDatabase {
public:
    enum class Access { ReadOnly, ReadWrite };
    static constexpr std::chrono::milliseconds kDefaultBusyTimeout{10000};

    // Waits for another writer as long as the calling thread allows (ThreadBusyTimeout).
    explicit CatalogDatabase(std::string filePath);
    CatalogDatabase(std::string filePath, std::chrono::milliseconds busyTimeout);

    // How long connections made on this thread wait for another writer before they give up
    // with a message saying the catalog is in use. A window's thread keeps this short, so
    // that it never stops answering for long; other threads wait kDefaultBusyTimeout.
    static void SetThreadBusyTimeout(std::chrono::milliseconds timeout);
    static std::chrono::milliseconds ThreadBusyTimeout();

    // A catalog of an older layout is brought up to date by its first read-write open, in
    // that open's transaction; building its word index takes seconds for a large one. The
    // function, when set, hears how many records are done of how many while that lasts, on
    // this thread's opens.
    using UpgradeProgress = std::function<void(std::size_t done, std::size_t total)>;
    static void SetThreadUpgradeProgress(UpgradeProgress progress);
    ~CatalogDatabase();
    CatalogDatabase(const CatalogDatabase&) = delete;
    CatalogDatabase& operator=(const CatalogDatabase&) = delete;

    // Read-write creates an empty catalog when the file is missing. A file that is not a
    // catalog is never written to: the open fails with a message saying so.
    void Open(Access access);
    // Commits and closes; does nothing when not open.
    void Close();
    // Closes without keeping anything changed since Open; does nothing when not open.
    void Abandon();
    bool IsOpen() const;
    const std::string& FilePath() const { return filePath_; }

    // Stores a new record, fills its nIndex from the catalog's counter (1 for the first
    // record, never handed out twice) and returns its identifier.
    ObjectId Insert(Movie& movie);

    // Every record's identifier in storage order.
    std::vector<ObjectId> SelectAll();
    // Every record in storage order.
    void ForEach(const std::function<void(ObjectId, const Movie&)>& visit);
    std::vector<MovieListRow> SelectListRows();
    std::vector<MovieSortKeys> SelectSortKeys();
    // Records whose pszFilenames hold exactly this name (bytewise), in storage order.
    std::vector<ObjectId> SelectByFilename(std::string_view bareName);
    std::size_t Count();

    // Whether the open file has the word index the Filter needs (a catalog of an older layout
    // gets it at its first read-write open).
    bool HasWordIndex() const;
    // Whether another program changed records without the store since, so that the index
    // still has to take them (the next read-write open does).
    bool HasQueuedWords();
    // The movies the query finds, in storage order. Throws dbException when the catalog has
    // no word index yet.
    std::vector<ObjectId> Find(const FindQuery& query);
    // The figures of the movies the query finds (all of them for an empty query).
    CatalogSummary Summarize(const FindQuery& query);

    // Reads one record; false when there is no record with that identifier.
    bool Fetch(ObjectId oid, Movie& movie);
    // Writes the record over the stored one; false when there is none.
    bool Update(ObjectId oid, const Movie& movie);
    // Removes the record; false when there was none.
    bool Remove(ObjectId oid);

    // The history of changes. Every read-write connection keeps what it changes as one step
    // of the catalog's history, stored with the change; KeepHistory(false) before Open makes
    // one that does not (the benchmark compares the two).
    void KeepHistory(bool keep) { keepHistory_ = keep; }
    // What the step of this connection is called ("Delete 3 Movies"; HistoryLabels.h).
    void SetStepLabel(std::string label);
    // Every step, newest first.
    std::vector<HistoryStepInfo> History();
    // The step Undo would take back and the one Redo would make again.
    std::optional<HistoryStepInfo> NextUndo();
    std::optional<HistoryStepInfo> NextRedo();
    // Puts back the records of the newest step as they were before it (Undo) or as it left
    // them (Redo), with their identifiers. `expected` is the step the caller offered: when
    // another program made a newer one meanwhile, nothing happens. So it does when a record
    // was changed since, naming it. Failures raise dbException with a message for the user;
    // the caller then abandons the connection.
    HistoryMove Undo(std::optional<std::int64_t> expected);
    HistoryMove Redo(std::optional<std::int64_t> expected);

    struct Connection;

private:
    Connection& Live();
    std::optional<HistoryStepInfo> StepOf(std::size_t query);
    HistoryMove Move(bool undo, std::optional<std::int64_t> expected);

    std::string filePath_;
    std::chrono::milliseconds busyTimeout_;
    std::unique_ptr<Connection> connection_;
    bool emptyReadOnly_ = false;  // a read-only open of a zero-byte file: a catalog with nothing
    bool keepHistory_ = true;
    std::int64_t schemaVersion_ = 0;  // of the open file; history came with version 2
};

}  // namespace reelkeep
