#include "catalog/CatalogDatabase.h"

#include <gtest/gtest.h>

#include "catalog/CatalogPaths.h"
#include "support/TempFolder.h"

namespace reelkeep {
namespace {

using Access = CatalogDatabase::Access;
using test::FileExists;
using test::TempFolder;

Movie Titled(std::string title, StringArray files = {}) {
    Movie movie;
    movie.szTitle = std::move(title);
    movie.pszFilenames = std::move(files);
    return movie;
}

class CatalogDatabaseTest : public ::testing::Test {
protected:
    ObjectId InsertOne(Movie&& movie) { return InsertOne(movie); }
    ObjectId InsertOne(Movie& movie) {
        CatalogDatabase database(path);
        database.Open(Access::ReadWrite);
        const ObjectId oid = database.Insert(movie);
        database.Close();
        return oid;
    }

    Movie FetchOne(ObjectId oid) {
        CatalogDatabase database(path);
        database.Open(Access::ReadOnly);
        Movie movie;
        EXPECT_TRUE(database.Fetch(oid, movie));
        return movie;
    }

    TempFolder folder;
    std::string path = CatalogFilePath(folder.Path());
};

TEST_F(CatalogDatabaseTest, ReadOnlyOpenOfAMissingFileFailsAndCreatesNothing) {
    CatalogDatabase database(path);
    EXPECT_THROW(database.Open(Access::ReadOnly), dbException);
    EXPECT_FALSE(database.IsOpen());
    EXPECT_FALSE(FileExists(path));
}

TEST_F(CatalogDatabaseTest, ReadWriteOpenCreatesAnEmptyCatalog) {
    CatalogDatabase database(path);
    database.Open(Access::ReadWrite);
    EXPECT_EQ(database.Count(), 0u);
    database.Close();
    EXPECT_TRUE(FileExists(path));

    database.Open(Access::ReadOnly);
    EXPECT_TRUE(database.SelectAll().empty());
}

TEST_F(CatalogDatabaseTest, OpenInAMissingFolderFailsWithTheSystemsReason) {
    CatalogDatabase database(folder / "no/such/folder/Movies.db");
    try {
        database.Open(Access::ReadWrite);
        FAIL() << "opened";
    } catch (const dbException& error) {
        const std::string message = error.what();
        EXPECT_NE(message.find("Cannot create the catalog \"" + (folder / "no/such/folder/Movies.db")),
                  std::string::npos) << message;
        EXPECT_NE(message.find("No such file or directory"), std::string::npos) << message;
    }
    EXPECT_FALSE(FileExists(folder / "no"));
}

TEST_F(CatalogDatabaseTest, InsertNumbersRecordsFromOneAndNeverHandsANumberOutTwice) {
    Movie first = Titled("First");
    Movie second = Titled("Second");
    {
        CatalogDatabase database(path);
        database.Open(Access::ReadWrite);
        const ObjectId a = database.Insert(first);
        const ObjectId b = database.Insert(second);
        EXPECT_NE(a, b);
        EXPECT_GT(a, 0u);
        EXPECT_EQ(first.nIndex, 1);
        EXPECT_EQ(second.nIndex, 2);
        EXPECT_TRUE(database.Remove(b));  // the highest number goes...
    }
    Movie third = Titled("Third");
    const ObjectId c = InsertOne(third);  // ...and is not handed out again, nor its identifier
    EXPECT_EQ(third.nIndex, 3);
    EXPECT_EQ(FetchOne(c).nIndex, 3);
    EXPECT_GT(c, 2u);
}

TEST_F(CatalogDatabaseTest, EveryFieldSurvivesTheRoundTripByteForByte) {
    Movie movie;
    std::string everyByte;
    for (int b = 1; b < 256; ++b) everyByte.push_back(static_cast<char>(b));
    movie.szTitle = "Caf\xE9 \xC3\xA9 \xFF\xFE invalid UTF-8 kept";
    movie.szTranslated = everyByte;
    movie.pszDirectors = {"b", "a", "b", ""};  // order, duplicates and empty entries stay
    movie.pszProducers = {""};
    movie.pszActors = {"One", "Two", "Three"};
    movie.pszCountries = {"X"};
    movie.pszCategories = {"Drama", "Drama"};
    movie.nYear = -44;
    movie.nLength = 2147483647;
    movie.szURL = "http://127.0.0.1/";
    movie.szPlot = std::string(5000, 'p');
    movie.pszComments = {"\n\r\t"};
    movie.szVideo = "DivX 5";
    movie.szAudio = "MPEG Layer-3";
    movie.pszFilenames = {"a.avi", "b.avi"};
    movie.pnSizes = {1, 9'000'000'000LL};
    movie.nWidth = 720;
    movie.nHeight = -576;
    movie.fFPS = 29.97f;
    movie.pszLanguages = {"en"};
    movie.pszSubtitles = {"de", "fr"};
    movie.pszMedia = {"File"};
    movie.fRating = 8.25f;
    movie.dtAdded.stamp = 4'000'000'000u;  // past 2038
    movie.pszPictures = {"cover.jpg"};
    movie.bWatched = true;
    movie.szRelease = "r";
    movie.szLocation = "/films/a.avi";
    movie.szLender = "Lender";

    const ObjectId oid = InsertOne(movie);
    EXPECT_EQ(FetchOne(oid), movie);
}

TEST_F(CatalogDatabaseTest, SelectAllUpdateAndRemoveWorkByIdentifier) {
    const ObjectId a = InsertOne(Titled("A"));
    const ObjectId b = InsertOne(Titled("B"));
    const ObjectId c = InsertOne(Titled("C"));

    CatalogDatabase database(path);
    database.Open(Access::ReadWrite);
    EXPECT_EQ(database.SelectAll(), (std::vector<ObjectId>{a, b, c}));

    Movie movie;
    ASSERT_TRUE(database.Fetch(b, movie));
    movie.szTitle = "B2";
    movie.bWatched = true;
    movie.nYear = 2001;
    movie.fRating = 6.5f;
    EXPECT_TRUE(database.Update(b, movie));
    EXPECT_TRUE(database.Remove(a));
    EXPECT_FALSE(database.Remove(a));
    EXPECT_FALSE(database.Update(a, movie));
    EXPECT_FALSE(database.Fetch(a, movie));
    database.Close();

    database.Open(Access::ReadOnly);
    const auto rows = database.SelectListRows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].oid, b);
    EXPECT_EQ(rows[0].title, "B2");
    EXPECT_TRUE(rows[0].watched);
    EXPECT_EQ(rows[1].title, "C");
    EXPECT_FALSE(rows[1].watched);

    const auto keys = database.SelectSortKeys();
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0].oid, b);
    EXPECT_EQ(keys[0].index, 2);
    EXPECT_EQ(keys[0].title, "B2");
    EXPECT_EQ(keys[0].year, 2001);
    EXPECT_EQ(keys[0].rating, 6.5f);

    std::vector<std::string> titles;
    database.ForEach([&](ObjectId, const Movie& m) { titles.push_back(m.szTitle); });
    EXPECT_EQ(titles, (std::vector<std::string>{"B2", "C"}));
}

TEST_F(CatalogDatabaseTest, FileNameQueryMatchesOnlyTheExactBareName) {
    const ObjectId a = InsertOne(Titled("A", {"movie.avi", "movie.avi"}));
    const ObjectId b = InsertOne(Titled("B", {"other.avi", "movie.avi"}));
    InsertOne(Titled("C", {"Movie.avi", "movie.avi.part", "/films/movie.avi"}));

    CatalogDatabase database(path);
    database.Open(Access::ReadWrite);
    EXPECT_EQ(database.SelectByFilename("movie.avi"), (std::vector<ObjectId>{a, b}));
    EXPECT_TRUE(database.SelectByFilename("/films/other.avi").empty());  // never a full path
    EXPECT_TRUE(database.SelectByFilename("MOVIE.AVI").empty());
    EXPECT_TRUE(database.SelectByFilename("movie").empty());
    EXPECT_TRUE(database.SelectByFilename("").empty());

    // The answer follows updates and removals.
    Movie movie;
    ASSERT_TRUE(database.Fetch(b, movie));
    movie.pszFilenames = {"renamed.avi"};
    ASSERT_TRUE(database.Update(b, movie));
    EXPECT_EQ(database.SelectByFilename("movie.avi"), (std::vector<ObjectId>{a}));
    EXPECT_EQ(database.SelectByFilename("renamed.avi"), (std::vector<ObjectId>{b}));
    ASSERT_TRUE(database.Remove(a));
    EXPECT_TRUE(database.SelectByFilename("movie.avi").empty());
}

TEST_F(CatalogDatabaseTest, AConnectionDestroyedWhileOpenCommitsLikeClose) {
    {
        CatalogDatabase database(path);
        database.Open(Access::ReadWrite);
        Movie movie = Titled("kept");
        database.Insert(movie);
    }
    CatalogDatabase database(path);
    database.Open(Access::ReadOnly);
    EXPECT_EQ(database.Count(), 1u);
}

TEST_F(CatalogDatabaseTest, OperationsOnAClosedConnectionThrow) {
    CatalogDatabase database(path);
    Movie movie;
    EXPECT_THROW(database.Insert(movie), dbException);
    EXPECT_THROW(database.Fetch(1, movie), dbException);
    database.Close();  // closing twice is harmless
}

TEST_F(CatalogDatabaseTest, ReadOnlyConnectionCannotWrite) {
    InsertOne(Titled("A"));
    CatalogDatabase database(path);
    database.Open(Access::ReadOnly);
    Movie movie = Titled("B");
    EXPECT_THROW(database.Insert(movie), dbException);
    database.Close();
    database.Open(Access::ReadOnly);
    EXPECT_EQ(database.Count(), 1u);
}

TEST_F(CatalogDatabaseTest, RemovingTheCatalogFileTakesItsWriteAheadFilesAlong) {
    InsertOne(Titled("A"));
    test::WriteFileBytes(path + "-wal", "stale");
    test::WriteFileBytes(path + "-shm", "stale");
    EXPECT_TRUE(RemoveCatalogFile(path));
    EXPECT_FALSE(FileExists(path));
    EXPECT_FALSE(FileExists(path + "-wal"));
    EXPECT_FALSE(FileExists(path + "-shm"));
    EXPECT_TRUE(RemoveCatalogFile(path));  // a missing file is no error

    CatalogDatabase database(path);  // the next read-write open starts afresh
    database.Open(Access::ReadWrite);
    EXPECT_EQ(database.Count(), 0u);
    Movie movie = Titled("new");
    database.Insert(movie);
    EXPECT_EQ(movie.nIndex, 1);
}

}  // namespace
}  // namespace reelkeep
