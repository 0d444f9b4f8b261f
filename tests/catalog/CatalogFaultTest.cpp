// What the store does with files that are not catalogs, with processes that die mid-work,
// and with two connections at once.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <future>
#include <random>
#include <thread>

#include "catalog/CatalogDatabase.h"
#include "catalog/CatalogPaths.h"
#include "support/TempFolder.h"

namespace reelkeep {
namespace {

using namespace std::chrono_literals;
using Access = CatalogDatabase::Access;
using test::ReadFileBytes;
using test::TempFolder;
using test::WriteFileBytes;

void InsertTitles(const std::string& path, int count, std::size_t plotBytes = 0) {
    CatalogDatabase database(path);
    database.Open(Access::ReadWrite);
    for (int i = 0; i < count; ++i) {
        Movie movie;
        movie.szTitle = "Movie " + std::to_string(i);
        movie.szPlot.assign(plotBytes, 'p');
        database.Insert(movie);
    }
    database.Close();
}

std::size_t CountMovies(const std::string& path) {
    CatalogDatabase database(path);
    database.Open(Access::ReadOnly);
    return database.Count();
}

void SqliteExec(const std::string& path, const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

// Opens the file both ways and checks that each open is refused with the given words and
// that the file's bytes, and the folder's contents, stay exactly as they were.
void ExpectRefusedAndUntouched(const std::string& path, const std::string& words) {
    const std::string before = ReadFileBytes(path);
    const auto folder = std::filesystem::path(path).parent_path();
    const auto entries = [&] {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    };
    const auto entriesBefore = entries();
    for (const Access access : {Access::ReadWrite, Access::ReadOnly}) {
        CatalogDatabase database(path);
        try {
            database.Open(access);
            ADD_FAILURE() << "opened " << path;
        } catch (const dbException& error) {
            EXPECT_NE(std::string(error.what()).find(words), std::string::npos) << error.what();
            EXPECT_NE(std::string(error.what()).find(path), std::string::npos) << error.what();
        }
    }
    EXPECT_EQ(ReadFileBytes(path), before);
    EXPECT_EQ(entries(), entriesBefore);
}

TEST(CatalogFaults, FilesThatAreNotCatalogsAreRefusedAndLeftAsTheyWere) {
    TempFolder folder;
    const std::string path = CatalogFilePath(folder.Path());

    std::mt19937 random(7);
    std::string noise(8192, '\0');
    for (char& c : noise) c = static_cast<char>(random());
    WriteFileBytes(path, noise);
    ExpectRefusedAndUntouched(path, "is not a Reelkeep catalog");

    WriteFileBytes(path, "hello");  // shorter than any database header
    ExpectRefusedAndUntouched(path, "is not a Reelkeep catalog");

    std::filesystem::remove(path);
    SqliteExec(path, "CREATE TABLE Movie(x); INSERT INTO Movie VALUES(1);");
    ExpectRefusedAndUntouched(path, "database of another program");

    std::filesystem::remove(path);
    std::filesystem::create_directory(path);
    CatalogDatabase database(path);
    EXPECT_THROW(database.Open(Access::ReadWrite), dbException);
}

TEST(CatalogFaults, ShortenedOrNewerCatalogsAreRefusedAndLeftAsTheyWere) {
    TempFolder folder;
    const std::string path = CatalogFilePath(folder.Path());
    InsertTitles(path, 300, 2000);
    const std::string whole = ReadFileBytes(path);
    ASSERT_GT(whole.size(), 100'000u);

    WriteFileBytes(path, whole.substr(0, whole.size() / 2));
    ExpectRefusedAndUntouched(path, "is damaged");

    WriteFileBytes(path, whole);
    EXPECT_EQ(CountMovies(path), 300u);
    SqliteExec(path, "PRAGMA user_version = 99");
    ExpectRefusedAndUntouched(path, "newer version");
}

TEST(CatalogFaults, AnEmptyFileIsANewCatalog) {
    TempFolder folder;
    const std::string path = CatalogFilePath(folder.Path());
    WriteFileBytes(path, "");
    CatalogDatabase database(path);
    database.Open(Access::ReadOnly);
    EXPECT_EQ(database.Count(), 0u);
    Movie movie;
    EXPECT_FALSE(database.Fetch(1, movie));
    database.Close();
    InsertTitles(path, 1);
    EXPECT_EQ(CountMovies(path), 1u);
}

TEST(CatalogFaults, ADatabaseWithoutTablesLeftByAKillIsANewCatalog) {
    TempFolder folder;
    const std::string path = CatalogFilePath(folder.Path());
    // What a process killed between the library's first page and the first table left behind.
    SqliteExec(path, "PRAGMA journal_mode=WAL");
    ASSERT_EQ(ReadFileBytes(path).size(), 4096u);
    EXPECT_EQ(CountMovies(path), 0u);
    InsertTitles(path, 2);
    EXPECT_EQ(CountMovies(path), 2u);

    // A database with a table in it is someone's, however small.
    std::filesystem::remove(path);
    SqliteExec(path, "CREATE TABLE Notes(x)");
    ExpectRefusedAndUntouched(path, "database of another program");
}

TEST(CatalogFaults, TheLogOfADeletedCatalogIsNotReadIntoANewOne) {
    TempFolder folder;
    const std::string path = CatalogFilePath(folder.Path());
    InsertTitles(path, 5, 3000);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Commits into the log, then dies before the log is folded into the file.
        sqlite3* db = nullptr;
        sqlite3_open(path.c_str(), &db);
        sqlite3_exec(db, "PRAGMA wal_autocheckpoint=0; UPDATE Movie SET szPlot = zeroblob(9000)",
                     nullptr, nullptr, nullptr);
        ::raise(SIGKILL);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_GT(std::filesystem::file_size(path + "-wal"), 0u);

    std::filesystem::remove(path);  // the user throws the catalog away, not its log
    InsertTitles(path, 1);
    EXPECT_EQ(CountMovies(path), 1u);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    std::string check;
    sqlite3_exec(
        db, "PRAGMA integrity_check",
        [](void* out, int, char** values, char**) {
            *static_cast<std::string*>(out) += values[0];
            return 0;
        },
        &check, nullptr);
    sqlite3_close(db);
    EXPECT_EQ(check, "ok");
}

TEST(CatalogFaults, ACatalogIsBuiltAsideAndLeavesNothingBehind) {
    TempFolder folder;
    const std::string path = CatalogFilePath(folder.Path());
    InsertTitles(path, 1);
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
        names.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(names, std::vector<std::string>{"Movies.db"});
}

TEST(CatalogFaults, AProcessKilledBeforeClosingLeavesTheCatalogAsAtTheLastClose) {
    TempFolder folder;
    const std::string path = CatalogFilePath(folder.Path());
    InsertTitles(path, 10);

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Enough data that pages leave memory for the file before the end.
        CatalogDatabase database(path);
        database.Open(Access::ReadWrite);
        for (int i = 0; i < 3000; ++i) {
            Movie movie;
            movie.szPlot.assign(4000, 'x');
            database.Insert(movie);
        }
        ::raise(SIGKILL);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));

    EXPECT_EQ(CountMovies(path), 10u);
    // The numbering goes on from the last committed record.
    Movie movie;
    CatalogDatabase database(path);
    database.Open(Access::ReadWrite);
    database.Insert(movie);
    EXPECT_EQ(movie.nIndex, 11);
}

TEST(CatalogFaults, AReaderIsNotBlockedByAWritersOpenTransaction) {
    TempFolder folder;
    const std::string path = CatalogFilePath(folder.Path());
    InsertTitles(path, 2);

    std::promise<void> written, release;
    std::thread writer([&] {
        CatalogDatabase database(path);
        database.Open(Access::ReadWrite);
        Movie movie;
        database.Insert(movie);
        written.set_value();
        release.get_future().wait();
        database.Close();
    });
    written.get_future().wait();

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(CountMovies(path), 2u);  // sees the last commit, without waiting
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);

    release.set_value();
    writer.join();
    EXPECT_EQ(CountMovies(path), 3u);
}

TEST(CatalogFaults, ASecondWriterWaitsForTheFirstAndATimeoutSaysSo) {
    TempFolder folder;
    const std::string path = CatalogFilePath(folder.Path());
    InsertTitles(path, 1);

    std::promise<void> holding, release;
    std::thread first([&] {
        CatalogDatabase database(path);
        database.Open(Access::ReadWrite);
        holding.set_value();
        release.get_future().wait();
        Movie movie;
        database.Insert(movie);
        database.Close();
    });
    holding.get_future().wait();

    // With a short timeout the second writer gives up with a clear message.
    {
        CatalogDatabase impatient(path, 100ms);
        try {
            impatient.Open(Access::ReadWrite);
            ADD_FAILURE() << "a second writer got in";
        } catch (const dbException& error) {
            EXPECT_NE(std::string(error.what()).find("is in use by another program or operation"),
                      std::string::npos)
                << error.what();
        }
    }

    // With the normal timeout it waits, then goes on after the first writer's commit.
    std::atomic<bool> secondOpened = false;
    std::thread second([&] {
        CatalogDatabase database(path);
        database.Open(Access::ReadWrite);
        secondOpened = true;
        Movie movie;
        database.Insert(movie);
        EXPECT_EQ(movie.nIndex, 3);
    });
    std::this_thread::sleep_for(200ms);
    EXPECT_FALSE(secondOpened);
    release.set_value();
    first.join();
    second.join();
    EXPECT_TRUE(secondOpened);
    EXPECT_EQ(CountMovies(path), 3u);
}

}  // namespace
}  // namespace reelkeep
