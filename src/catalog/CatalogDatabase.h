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
#include <string>
#include <string_view>
#include <vector>

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

    // Reads one record; false when there is no record with that identifier.
    bool Fetch(ObjectId oid, Movie& movie);
    // Writes the record over the stored one; false when there is none.
    bool Update(ObjectId oid, const Movie& movie);
    // Removes the record; false when there was none.
    bool Remove(ObjectId oid);

private:
    struct Connection;

    Connection& Live();

    std::string filePath_;
    std::chrono::milliseconds busyTimeout_;
    std::unique_ptr<Connection> connection_;
    bool emptyReadOnly_ = false;  // a read-only open of a zero-byte file: a catalog with nothing
};

}  // namespace reelkeep
