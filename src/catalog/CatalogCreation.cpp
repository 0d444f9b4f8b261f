#include "catalog/CatalogCreation.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "catalog/CatalogFile.h"
#include "catalog/CatalogPaths.h"
#include "catalog/CatalogSchema.h"
#include "catalog/SqliteStatement.h"
#include "catalog/dbException.h"

namespace reelkeep {

namespace {

[[noreturn]] void Fail(const std::string& path, const std::string& why) {
    throw dbException("Cannot create the catalog \"" + path + "\": " + why);
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

bool SyncPath(const std::string& path, int flags) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0) return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

// The private file, removed again unless it became the catalog.
class PrivateFile {
public:
    explicit PrivateFile(const std::string& catalogPath)
        : path_(catalogPath + kCatalogCreationInfix + "XXXXXX") {
        const int fd = ::mkstemp(path_.data());
        if (fd < 0) Fail(catalogPath, std::strerror(errno));
        ::close(fd);
    }
    ~PrivateFile() {
        if (path_.empty()) return;
        ::unlink(path_.c_str());
        ::unlink((path_ + "-wal").c_str());
        ::unlink((path_ + "-shm").c_str());
        ::unlink((path_ + "-journal").c_str());
    }
    PrivateFile(const PrivateFile&) = delete;
    PrivateFile& operator=(const PrivateFile&) = delete;

    const std::string& Path() const { return path_; }
    void Release() { path_.clear(); }

private:
    std::string path_;
};

void BuildTables(const std::string& file, const std::string& catalogPath) {
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                                   nullptr);
    SqliteHandle db(raw);
    if (rc != SQLITE_OK) Fail(catalogPath, raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc));
    // Nobody else knows this file: it needs no journal while it is built. Write-ahead
    // logging is switched on last, so every connection to the catalog uses it.
    const std::string sql = "PRAGMA journal_mode=OFF; BEGIN; " + CatalogCreationSql() +
                            "COMMIT; PRAGMA journal_mode=WAL;";
    if (sqlite3_exec(db.get(), sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
        Fail(catalogPath, sqlite3_errmsg(db.get()));
    }
    // Closing the last connection folds the log back into the file and removes it.
    if (sqlite3_close(db.release()) != SQLITE_OK) Fail(catalogPath, "the new file could not be closed");
}

// A file under the catalog's name that holds nothing may be replaced; anything else is kept.
bool ClearEmptyFile(const std::string& path) {
    CatalogFileState state = CatalogFileState::Catalog;
    try {
        state = InspectCatalogFile(path);
    } catch (const dbException&) {
        return false;  // the open that follows says what is wrong with it
    }
    if (state == CatalogFileState::Missing) return true;
    if (state != CatalogFileState::Empty) return false;
    return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

// Gives the private file the catalog's name unless that name is taken. False when it is.
bool Publish(const std::string& file, const std::string& path) {
    if (::renameat2(AT_FDCWD, file.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno == EEXIST) return false;
    if (errno != EINVAL && errno != ENOSYS) Fail(path, std::strerror(errno));
    // A file system without that kind of rename: a hard link refuses a taken name too.
    if (::link(file.c_str(), path.c_str()) != 0) {
        if (errno == EEXIST) return false;
        Fail(path, std::strerror(errno));
    }
    ::unlink(file.c_str());
    return true;
}

}  // namespace

void CreateCatalogFile(const std::string& path) {
    PrivateFile file(path);
    BuildTables(file.Path(), path);
    if (!SyncPath(file.Path(), O_RDONLY)) Fail(path, std::strerror(errno));

    if (!ClearEmptyFile(path)) return;  // someone else's file, or a catalog made meanwhile
    // Log files of a catalog that is gone would be read into the new one as its own.
    RemoveCatalogCompanions(path);
    if (!Publish(file.Path(), path)) return;
    file.Release();
    SyncPath(FolderOf(path), O_RDONLY | O_DIRECTORY);
}

}  // namespace reelkeep
