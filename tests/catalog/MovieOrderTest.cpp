#include "catalog/MovieOrder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "catalog/CatalogOperations.h"
#include "catalog/CatalogPaths.h"
#include "support/TempFolder.h"

namespace reelkeep {
namespace {

MovieSortKeys Keys(std::int32_t index, std::string title, std::int32_t year = 0,
                   float rating = 0.0f) {
    return {static_cast<ObjectId>(index), index, std::move(title), year, rating};
}

std::vector<std::string> TitlesAfterSort(std::vector<MovieSortKeys> movies, SortOrder order) {
    SortMovies(movies, order);
    std::vector<std::string> titles;
    for (const MovieSortKeys& movie : movies) titles.push_back(movie.title);
    return titles;
}

TEST(MovieOrderTest, ChoosingAKeyStartsInItsOwnDirectionAndRepeatingItReverses) {
    EXPECT_EQ(ChooseSortKey(kInitialSortOrder, kSortByTitle), kSortByTitle | kSortDescending);
    EXPECT_EQ(ChooseSortKey(kInitialSortOrder, kSortByYear), kSortByYear | kSortDescending);
    EXPECT_EQ(ChooseSortKey(kSortByYear | kSortDescending, kSortByYear), kSortByYear);
    EXPECT_EQ(ChooseSortKey(kSortByYear, kSortByRating), kSortByRating | kSortDescending);
    EXPECT_EQ(ChooseSortKey(kSortByRating, kSortByIndex), kSortByIndex | kSortDescending);
    EXPECT_EQ(ChooseSortKey(kSortByIndex | kSortDescending, kSortByTitle), kSortByTitle);
}

TEST(MovieOrderTest, TitlesCompareAsUnsignedBytesWithCaseAndPrefixFirst) {
    const std::vector<MovieSortKeys> movies = {Keys(1, "alpha"), Keys(2, "Alpha"),
                                               Keys(3, "\xC3\x89t\xC3\xA9"), Keys(4, "Alp"),
                                               Keys(5, "Zulu")};
    EXPECT_EQ(TitlesAfterSort(movies, kSortByTitle),
              (std::vector<std::string>{"Alp", "Alpha", "Zulu", "alpha", "\xC3\x89t\xC3\xA9"}));
    EXPECT_EQ(TitlesAfterSort(movies, kSortByTitle | kSortDescending),
              (std::vector<std::string>{"\xC3\x89t\xC3\xA9", "alpha", "Zulu", "Alpha", "Alp"}));
}

TEST(MovieOrderTest, TiesGoByTitleThenIndexAscendingWhateverTheDirection) {
    const std::vector<MovieSortKeys> movies = {Keys(4, "B", 2001), Keys(1, "C", 1999),
                                               Keys(3, "A", 2001), Keys(2, "A", 2001)};
    std::vector<MovieSortKeys> newestFirst = movies;
    SortMovies(newestFirst, kSortByYear | kSortDescending);
    std::vector<std::int32_t> indexes;
    for (const auto& movie : newestFirst) indexes.push_back(movie.index);
    EXPECT_EQ(indexes, (std::vector<std::int32_t>{2, 3, 4, 1}));

    std::vector<MovieSortKeys> oldestFirst = movies;
    SortMovies(oldestFirst, kSortByYear);
    indexes.clear();
    for (const auto& movie : oldestFirst) indexes.push_back(movie.index);
    EXPECT_EQ(indexes, (std::vector<std::int32_t>{1, 2, 3, 4}));
}

TEST(MovieOrderTest, RatingsWithinAHundredthAreEqualAndFallBackToTitle) {
    const MovieSortKeys higher = Keys(1, "Beta", 0, 7.251f);
    const MovieSortKeys lower = Keys(2, "Alpha", 0, 7.25f);
    EXPECT_LT(CompareMovies(lower, higher, kSortByRating | kSortDescending), 0);
    EXPECT_LT(CompareMovies(lower, higher, kSortByRating), 0);
    const MovieSortKeys best = Keys(3, "Zeta", 0, 7.26f);
    EXPECT_LT(CompareMovies(best, lower, kSortByRating | kSortDescending), 0);
    EXPECT_GT(CompareMovies(best, lower, kSortByRating), 0);
}

TEST(MovieOrderTest, ExtremeAndUndefinedValuesSortWithoutFault) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float huge = std::numeric_limits<float>::max();
    std::vector<MovieSortKeys> movies;
    for (int i = 1; i <= 200; ++i) {
        const float rating = i % 5 == 0 ? nan : (i % 7 == 0 ? huge : -huge * (i % 3));
        movies.push_back(Keys(i % 11 == 0 ? std::numeric_limits<std::int32_t>::min() : i,
                              std::to_string(i % 13), i % 2 ? INT32_MAX : INT32_MIN, rating));
    }
    for (std::uint32_t key = 0; key < 5; ++key) {
        for (SortOrder direction : {0u, kSortDescending}) {
            std::vector<MovieSortKeys> sorted = movies;
            SortMovies(sorted, key | direction);
            EXPECT_EQ(sorted.size(), movies.size());
        }
    }
    EXPECT_GT(CompareMovies(Keys(1, "a", INT32_MAX), Keys(2, "a", INT32_MIN), kSortByYear), 0);
}

TEST(CatalogOperationsTest, ListAddSortDeleteAndLocationWorkOnTheFile) {
    test::TempFolder folder;
    const std::string file = CatalogFilePath(folder.Path());
    EXPECT_TRUE(LoadMovieList(file).empty());
    EXPECT_TRUE(test::FileExists(file));

    const MovieListRow b = AddMovieByTitle(file, "Bravo ");
    const MovieListRow a = AddMovieByTitle(file, "Alpha");
    const MovieListRow c = AddMovieByTitle(file, "Charlie");
    EXPECT_EQ(b.title, "Bravo ");
    EXPECT_FALSE(b.watched);

    const std::vector<MovieListRow> rows = LoadMovieList(file);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].oid, b.oid);
    EXPECT_EQ(SortedMovieIds(file, kSortByTitle), (std::vector<ObjectId>{a.oid, b.oid, c.oid}));
    EXPECT_EQ(SortedMovieIds(file, kSortByIndex | kSortDescending),
              (std::vector<ObjectId>{c.oid, a.oid, b.oid}));

    {
        CatalogDatabase database(file);
        database.Open(CatalogDatabase::Access::ReadWrite);
        Movie movie;
        ASSERT_TRUE(database.Fetch(a.oid, movie));
        movie.szLocation = "/films/alpha.avi";
        database.Update(a.oid, movie);
    }
    EXPECT_EQ(MovieLocation(file, a.oid), "/films/alpha.avi");
    EXPECT_EQ(MovieLocation(file, 9999), "");

    std::vector<std::size_t> removed;
    const std::vector<ObjectId> doomed = {c.oid, 9999, a.oid};
    DeleteMovies(file, doomed, [&](std::size_t position) { removed.push_back(position); });
    EXPECT_EQ(removed, (std::vector<std::size_t>{0, 1, 2}));
    const std::vector<MovieListRow> left = LoadMovieList(file);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].oid, b.oid);
}

TEST(CatalogOperationsTest, AStoppedDeleteKeepsWhatItRemovedAndTheRest) {
    test::TempFolder folder;
    const std::string file = CatalogFilePath(folder.Path());
    std::vector<ObjectId> oids;
    for (const char* title : {"One", "Two", "Three", "Four"}) {
        oids.push_back(AddMovieByTitle(file, title).oid);
    }
    // Another thread asks the walk to stop once two records are gone.
    std::atomic<bool> stop{false};
    std::vector<std::size_t> removed;
    DeleteMovies(
        file, oids,
        [&](std::size_t position) {
            removed.push_back(position);
            if (removed.size() == 2) stop = true;
        },
        &stop);
    EXPECT_EQ(removed, (std::vector<std::size_t>{0, 1}));
    const std::vector<MovieListRow> left = LoadMovieList(file);
    ASSERT_EQ(left.size(), 2u);
    EXPECT_EQ(left[0].oid, oids[2]);
    EXPECT_EQ(left[1].oid, oids[3]);
}

TEST(CatalogOperationsTest, AFileThatIsNoCatalogIsRefusedAndKept) {
    test::TempFolder folder;
    const std::string file = CatalogFilePath(folder.Path());
    test::WriteFileBytes(file, "not a catalog at all, just some words in a file");
    EXPECT_THROW(LoadMovieList(file), dbException);
    EXPECT_THROW(AddMovieByTitle(file, "x"), dbException);
    EXPECT_EQ(test::ReadFileBytes(file), "not a catalog at all, just some words in a file");
}

TEST(CatalogOperationsTest, WithoutACatalogPathNothingPretendsToSucceed) {
    EXPECT_THROW(LoadMovieList(""), dbException);
    EXPECT_THROW(AddMovieByTitle("", "Lost"), dbException);
}

}  // namespace
}  // namespace reelkeep
