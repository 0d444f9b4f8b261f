#include "catalog/CatalogAside.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <stdio.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "catalog/CatalogFile.h"
#include "catalog/CatalogPaths.h"
#include "catalog/SqliteStatement.h"
#include "catalog/dbException.h"

namespace reelkeep {

namespace {

constexpr const char* kCompanions[] = {"-wal", "-shm", "-journal"};

bool Exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

bool Taken(const std::string& path) {
    if (Exists(path)) return true;
    for (const char* suffix : kCompanions) {
        if (Exists(path + suffix)) return true;
    }
    return false;
}

// Folds the write-ahead log into the file, so that the file alone holds every commit.
void FoldLog(const std::string& filePath) {
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(filePath.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                                   nullptr);
    SqliteHandle db(raw);
    if (rc != SQLITE_OK) return;
    sqlite3_busy_timeout(db.get(), 1000);
    sqlite3_exec(db.get(), "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
}

}  // namespace

std::string AsideName(const std::string& filePath, std::time_t when) {
    std::tm local {};
    ::localtime_r(&when, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H-%M-%S", &local);
    const std::string base = filePath + kCatalogReplacedInfix + stamp;
    std::string name = base;
    for (int number = 2; Taken(name); ++number) name = base + "-" + std::to_string(number);
    return name;
}

std::string SetCatalogAside(const std::string& filePath, std::time_t when) {
    CatalogFileState state = CatalogFileState::Missing;
    try {
        state = InspectCatalogFile(filePath);
    } catch (const dbException&) {
        state = CatalogFileState::Empty;  // not ours to read: it moves as it is
    }
    if (state == CatalogFileState::Catalog) FoldLog(filePath);

    const std::string aside = AsideName(filePath, when);
    if (::renameat2(AT_FDCWD, filePath.c_str(), AT_FDCWD, aside.c_str(), RENAME_NOREPLACE) != 0) {
        throw dbException("The catalog \"" + filePath + "\" could not be set aside as \"" + aside +
                          "\": " + std::strerror(errno));
    }
    for (const char* suffix : kCompanions) {
        const std::string companion = filePath + suffix;
        if (Exists(companion)) ::rename(companion.c_str(), (aside + suffix).c_str());
    }
    return aside;
}

}  // namespace reelkeep
