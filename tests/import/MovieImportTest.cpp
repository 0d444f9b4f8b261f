// Adding dropped files and folders to a real catalog, with a scripted title question.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <deque>

#include "RiffBuilder.h"
#include "catalog/CatalogOperations.h"
#include "import/MovieImport.h"
#include "support/TempFolder.h"

namespace reelkeep {
namespace {

using namespace test;

// Answers the title question from a queue (nothing = Cancel) and records what it was asked.
class ScriptedHost : public ImportHost {
public:
    explicit ScriptedHost(std::vector<MovieListRow> rows) : rows_(std::move(rows)) {}

    ObjectId FindRowByTitle(const std::string& title) override { return rows_.Find(title); }
    std::optional<std::string> AskTitle(const std::string& derived,
                                        const std::vector<std::string>& titles) override {
        asked.push_back(derived);
        lastTitles = titles;
        if (answers.empty())
            return derived;
        std::optional<std::string> answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void MovieAdded(const MovieListRow& row) override {
        rows_.Append(row);
        added.push_back(row.title);
    }

    std::deque<std::optional<std::string>> answers;
    std::vector<std::string> asked;
    std::vector<std::string> lastTitles;
    std::vector<std::string> added;

private:
    ListedTitles rows_;
};

class MovieImportTest : public ::testing::Test {
protected:
    TempFolder folder;
    std::string catalog = folder / "Movies.db";

    ObjectId AddTitled(const std::string& title) { return AddMovieByTitle(catalog, title).oid; }
    Movie Read(ObjectId oid) {
        CatalogDatabase database(catalog);
        database.Open(CatalogDatabase::Access::ReadOnly);
        Movie movie;
        EXPECT_TRUE(database.Fetch(oid, movie));
        return movie;
    }
    std::string File(const std::string& name, const std::string& bytes = "data") {
        WriteFileBytes(folder / name, bytes);
        return folder / name;
    }
};

TEST(DerivedTitle, DropsTheExtensionAndTurnsFullStopsIntoBlanks) {
    EXPECT_EQ(DerivedTitle("/a/b/My.Movie.2004.avi"), "My Movie 2004");
    EXPECT_EQ(DerivedTitle("/a.b/Plain"), "Plain");
    EXPECT_EQ(BareFileName("/a.b/Film.Name.CD2.avi"), "Film.Name.CD2.avi");
}

TEST_F(MovieImportTest, NewFileBecomesAMovieWithItsMediaFacts) {
    const std::string avi = AviFile(VideoStreamList("DX50", 640, 352, 25) + AudioStreamList(0x55));
    const std::string path = File("Some.Movie.avi", avi);
    ScriptedHost host(LoadMovieList(catalog));
    const DropResult result = AddDroppedPaths(catalog, {path}, host);
    EXPECT_FALSE(result.cancelled);
    EXPECT_EQ(result.added, 1);
    ASSERT_EQ(host.asked, std::vector<std::string>{"Some Movie"});
    const std::vector<MovieListRow> rows = LoadMovieList(catalog);
    ASSERT_EQ(rows.size(), 1u);
    const Movie movie = Read(rows[0].oid);
    EXPECT_EQ(movie.szTitle, "Some Movie");
    EXPECT_EQ(movie.szLocation, path);
    EXPECT_EQ(movie.pszMedia, StringArray{"File"});
    EXPECT_EQ(movie.pszFilenames, StringArray{"Some.Movie.avi"});
    EXPECT_EQ(movie.pnSizes, Int64Array{static_cast<std::int64_t>(avi.size())});
    EXPECT_EQ(movie.nWidth, 640);
    EXPECT_EQ(movie.nHeight, 352);
    EXPECT_EQ(movie.szVideo, "DivX 5.x");
}

TEST_F(MovieImportTest, KnownFileNameMovesEveryMovieThatListsItWithoutAQuestion) {
    Movie first;
    first.szTitle = "One";
    first.szLocation = "/old/place.avi";
    first.pszFilenames = {"place.avi"};
    Movie second = first;
    second.szTitle = "Two";
    ObjectId a, b;
    {
        CatalogDatabase database(catalog);
        database.Open(CatalogDatabase::Access::ReadWrite);
        a = database.Insert(first);
        b = database.Insert(second);
        database.Close();
    }
    const std::string path = File("place.avi");
    ScriptedHost host(LoadMovieList(catalog));
    const DropResult result = AddDroppedPaths(catalog, {path}, host);
    EXPECT_EQ(result.relocated, 2);
    EXPECT_TRUE(host.asked.empty());
    EXPECT_EQ(Read(a).szLocation, path);
    EXPECT_EQ(Read(b).szLocation, path);
    EXPECT_EQ(Read(a).pszFilenames, StringArray{"place.avi"});
}

TEST_F(MovieImportTest, TitleMatchIgnoringCaseAttachesTheFileWithoutAQuestion) {
    const ObjectId oid = AddTitled("film name");
    const std::string path = File("Film.Name.avi", "12345");
    ScriptedHost host(LoadMovieList(catalog));
    const DropResult result = AddDroppedPaths(catalog, {path}, host);
    EXPECT_EQ(result.attached, 1);
    EXPECT_TRUE(host.asked.empty());
    const Movie movie = Read(oid);
    EXPECT_EQ(movie.pszFilenames, StringArray{"Film.Name.avi"});
    EXPECT_EQ(movie.pnSizes, Int64Array{5});
    // Location and media stay as they were for an attached file.
    EXPECT_EQ(movie.szLocation, "");
    EXPECT_TRUE(movie.pszMedia.empty());
}

TEST_F(MovieImportTest, SecondDiscJoinsTheTitleChosenInTheDialog) {
    AddTitled("Other");
    const ObjectId oid = AddTitled("Film Name");
    const std::string path = File("Film.Name.CD2.avi", "123");
    ScriptedHost host(LoadMovieList(catalog));
    host.answers.push_back("Film Name");
    AddDroppedPaths(catalog, {path}, host);
    EXPECT_EQ(host.asked, std::vector<std::string>{"Film Name CD2"});
    EXPECT_EQ(host.lastTitles, (std::vector<std::string>{"Other", "Film Name"}));
    EXPECT_TRUE(host.added.empty());
    EXPECT_EQ(Read(oid).pszFilenames, StringArray{"Film.Name.CD2.avi"});
    EXPECT_EQ(LoadMovieList(catalog).size(), 2u);
}

TEST_F(MovieImportTest, CancellingTheSecondOfThreeFilesKeepsTheFirstAndSkipsTheThird) {
    const std::vector<std::string> paths = {File("One.avi"), File("Two.avi"), File("Three.avi")};
    ScriptedHost host(LoadMovieList(catalog));
    host.answers = {std::string("One"), std::nullopt, std::string("Three")};
    const DropResult result = AddDroppedPaths(catalog, paths, host);
    EXPECT_TRUE(result.cancelled);
    EXPECT_TRUE(result.error.empty());
    EXPECT_EQ(host.asked, (std::vector<std::string>{"One", "Two"}));
    const std::vector<MovieListRow> rows = LoadMovieList(catalog);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].title, "One");
}

TEST_F(MovieImportTest, FolderIsWalkedRecursivelyInListingOrderWhateverTheExtension) {
    ASSERT_EQ(::mkdir((folder / "drop").c_str(), 0700), 0);
    ASSERT_EQ(::mkdir((folder / "drop/sub").c_str(), 0700), 0);
    File("drop/b.txt");
    File("drop/A.avi");
    File("drop/sub/c.mkv");
    File("drop/Z.avi");
    // A link back up the tree is entered once only.
    ASSERT_EQ(::symlink("..", (folder / "drop/sub/up").c_str()), 0);
    ScriptedHost host(LoadMovieList(catalog));
    const DropResult result = AddDroppedPaths(catalog, {folder / "drop"}, host);
    EXPECT_FALSE(result.cancelled);
    EXPECT_EQ(host.added, (std::vector<std::string>{"A", "b", "c", "Z"}));
}

TEST_F(MovieImportTest, SameTitleTwiceInOneDropJoinsTheMovieCreatedFirst) {
    ScriptedHost host(LoadMovieList(catalog));
    AddDroppedPaths(catalog, {File("Film.avi", "1"), File("Film.AVI2", "22")}, host);
    const std::vector<MovieListRow> rows = LoadMovieList(catalog);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(Read(rows[0].oid).pnSizes, (Int64Array{1, 2}));
}

TEST_F(MovieImportTest, PipeIsSkippedInsteadOfHangingTheDrop) {
    ASSERT_EQ(::mkfifo((folder / "pipe.avi").c_str(), 0600), 0);
    ScriptedHost host(LoadMovieList(catalog));
    const DropResult result = AddDroppedPaths(catalog, {folder / "pipe.avi", File("x.avi")}, host);
    EXPECT_EQ(host.added, std::vector<std::string>{"x"});
    EXPECT_FALSE(result.cancelled);
}

TEST_F(MovieImportTest, CatalogThatIsNotOneStopsTheDropWithItsMessage) {
    WriteFileBytes(catalog, "this is not a database file at all, not even close to one....");
    ScriptedHost host({});
    const DropResult result = AddDroppedPaths(catalog, {File("x.avi")}, host);
    EXPECT_TRUE(result.cancelled);
    EXPECT_FALSE(result.error.empty());
    EXPECT_TRUE(host.asked.empty());
}

TEST_F(MovieImportTest, UpdateFromAFileAttachesItOnceAndAddsTheFileMediumOnce) {
    const ObjectId oid = AddTitled("Movie");
    const std::string path = File("disc1.avi", "abc");
    ASSERT_TRUE(UpdateMovieFromFile(catalog, oid, path));
    Movie movie = Read(oid);
    EXPECT_EQ(movie.szLocation, path);
    EXPECT_EQ(movie.pszMedia, StringArray{"File"});
    EXPECT_EQ(movie.pnSizes, Int64Array{3});

    // The same name again, from elsewhere: nothing is stored, the location included.
    ASSERT_EQ(::mkdir((folder / "moved").c_str(), 0700), 0);
    EXPECT_FALSE(UpdateMovieFromFile(catalog, oid, File("moved/disc1.avi")));
    EXPECT_EQ(Read(oid), movie);

    ASSERT_TRUE(UpdateMovieFromFile(catalog, oid, File("disc2.avi", "abcd")));
    movie = Read(oid);
    EXPECT_EQ(movie.pszMedia, StringArray{"File"});
    EXPECT_EQ(movie.pszFilenames, (StringArray{"disc1.avi", "disc2.avi"}));
    EXPECT_EQ(movie.pnSizes, (Int64Array{3, 4}));
}

}  // namespace
}  // namespace reelkeep
