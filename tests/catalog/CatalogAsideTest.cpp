// Setting a catalog aside for File > New, and the names the catalog keeps for itself.
#include "catalog/CatalogAside.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "catalog/CatalogDatabase.h"
#include "catalog/CatalogPaths.h"
#include "support/TempFolder.h"

namespace reelkeep {
namespace {

using Access = CatalogDatabase::Access;
using test::FileExists;
using test::ReadFileBytes;
using test::TempFolder;
using test::WriteFileBytes;

std::size_t CountIn(const std::string& path) {
    CatalogDatabase database(path);
    database.Open(Access::ReadOnly);
    return database.Count();
}

TEST(CatalogAside, TheMovedCatalogIsWholeOnItsOwnAndNamesAreNeverReused) {
    TempFolder folder;
    const std::string path = CatalogFilePath(folder.Path());
    {
        CatalogDatabase database(path);
        database.Open(Access::ReadWrite);
        database.Insert(*std::make_unique<Movie>());
    }
    // A commit that lives only in the write-ahead log: its writer died before folding it in.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        sqlite3* db = nullptr;
        sqlite3_open(path.c_str(), &db);
        sqlite3_exec(db, "PRAGMA wal_autocheckpoint=0; INSERT INTO Movie(szTitle) VALUES(x'41')",
                     nullptr, nullptr, nullptr);
        ::raise(SIGKILL);  // before the last connection's close folds the log in
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(FileExists(path + "-wal"));

    const std::time_t when = 1'800'000'000;
    const std::string expected = AsideName(path, when);
    EXPECT_EQ(expected.rfind(path + ".replaced-", 0), 0u) << expected;
    const std::string aside = SetCatalogAside(path, when);
    EXPECT_EQ(aside, expected);
    EXPECT_FALSE(FileExists(path));
    EXPECT_FALSE(FileExists(path + "-wal"));
    EXPECT_FALSE(FileExists(aside + "-wal"));  // folded in, not carried along
    EXPECT_EQ(CountIn(aside), 2u);

    // A second catalog replaced within the same second gets a name of its own.
    WriteFileBytes(path, "someone else's file");
    WriteFileBytes(path + "-journal", "its journal");
    const std::string second = SetCatalogAside(path, when);
    EXPECT_EQ(second, expected + "-2");
    EXPECT_EQ(ReadFileBytes(second), "someone else's file");
    EXPECT_EQ(ReadFileBytes(second + "-journal"), "its journal");
    EXPECT_EQ(CountIn(aside), 2u);
}

TEST(CatalogAside, AMissingCatalogCannotBeSetAside) {
    TempFolder folder;
    EXPECT_THROW(SetCatalogAside(CatalogFilePath(folder.Path())), dbException);
}

TEST(CatalogFileNames, EveryNameBeginningLikeTheCatalogIsTheCatalogs) {
    for (const char* name : {"Movies.db", "movies.DB", "MOVIES.DB-wal", "Movies.db-shm",
                             "movies.db-journal", "Movies.db.new-Ab12Cd", "Movies.db.replaced-2026"}) {
        EXPECT_TRUE(IsCatalogFileName(name)) << name;
    }
    for (const char* name : {"", "Movies.d", "Movies", "cover.jpg", "~Movies.db", "My Movies.db"}) {
        EXPECT_FALSE(IsCatalogFileName(name)) << name;
    }
}

}  // namespace
}  // namespace reelkeep
