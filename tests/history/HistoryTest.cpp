// The catalog's history on a real catalog: every kind of operation taken back and made again
// exactly, the bound, steps refused after a change from elsewhere, and older catalogs.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <functional>
#include <map>

#include "catalog/CatalogHistory.h"
#include "catalog/CatalogOperations.h"
#include "catalog/CatalogPaths.h"
#include "import/MovieImport.h"
#include "interop/CatalogImport.h"
#include "interop/ImportFile.h"
#include "present/EditForm.h"
#include "script/RecordingHost.h"
#include "script/ScriptRunner.h"
#include "support/TempFolder.h"
#include "support/WordIndexCheck.h"

namespace reelkeep {
namespace {

using Access = CatalogDatabase::Access;
using test::TempFolder;
using test::WriteFileBytes;

// Every record by identifier: what undo must give back exactly, nIndex and all.
using CatalogState = std::map<ObjectId, Movie>;

// Takes every title the drop offers.
class AcceptingHost : public ImportHost {
public:
    explicit AcceptingHost(std::vector<MovieListRow> rows) : rows_(std::move(rows)) {}
    ObjectId FindRowByTitle(const std::string& title) override { return rows_.Find(title); }
    std::optional<TitleAnswer> AskTitle(const std::string& derived, const std::vector<std::string>&) override {
        return TitleAnswer{derived};
    }
    void MovieAdded(const MovieListRow& row) override { rows_.Append(row); }

private:
    ListedTitles rows_;
};

void Exec(const std::string& path, const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, &error);
    EXPECT_EQ(rc, SQLITE_OK) << (error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
}

class HistoryTest : public ::testing::Test {
protected:
    CatalogState State() {
        CatalogState state;
        CatalogDatabase database(catalog);
        database.Open(Access::ReadOnly);
        database.ForEach([&](ObjectId oid, const Movie& movie) { state.emplace(oid, movie); });
        return state;
    }

    ObjectId Insert(const std::string& title, const std::string& file = {}) {
        Movie movie;
        movie.szTitle = title;
        movie.nYear = 1995;
        movie.pszActors = {"One", "Two"};
        movie.fRating = 7.5f;
        if (!file.empty()) movie.pszFilenames = {file};
        CatalogDatabase database(catalog);
        database.Open(Access::ReadWrite);
        const ObjectId oid = database.Insert(movie);
        database.Close();
        return oid;
    }

    std::string NextUndoLabel() {
        const PendingSteps pending = ReadPendingSteps(catalog);
        return pending.undo ? pending.undo->label : "";
    }

    std::vector<ObjectId> MoviesWithFile(const std::string& name) {
        CatalogDatabase database(catalog);
        database.Open(Access::ReadOnly);
        return database.SelectByFilename(name);
    }

    // Runs the operation, then takes it back and makes it again, comparing every record; the
    // word index follows each of the three.
    void UndoAndRedo(const std::string& label, const std::function<void()>& operation) {
        SCOPED_TRACE(label);
        const CatalogState before = State();
        operation();
        const CatalogState after = State();
        ASSERT_NE(before, after);
        ASSERT_EQ(NextUndoLabel(), label);
        EXPECT_EQ(test::WordIndexDifference(catalog), "");

        const HistoryMove undone = UndoStep(catalog);
        EXPECT_EQ(undone.label, label);
        EXPECT_EQ(State(), before);
        EXPECT_EQ(ReadPendingSteps(catalog).redo->label, label);
        EXPECT_EQ(test::WordIndexDifference(catalog), "");

        const HistoryMove redone = RedoStep(catalog);
        EXPECT_EQ(redone.label, label);
        EXPECT_EQ(State(), after);
        EXPECT_FALSE(ReadPendingSteps(catalog).redo);
        EXPECT_EQ(test::WordIndexDifference(catalog), "");
    }

    TempFolder folder;
    std::string catalog = CatalogFilePath(folder.Path());
};

TEST_F(HistoryTest, EveryKindOfOperationIsTakenBackAndMadeAgainExactly) {
    const ObjectId heat = Insert("Heat", "heat.avi");
    const ObjectId alien = Insert("Alien");
    const ObjectId up = Insert("Up");

    UndoAndRedo("New Movie \"Casablanca\"", [&] { AddMovieByTitle(catalog, "Casablanca"); });

    UndoAndRedo("Edit of \"Heat 2\"", [&] {
        const EditFormResult result = ApplyEditForm("szTitle=Heat+2&nYear=1996", heat, catalog);
        ASSERT_TRUE(result.stored) << result.error;
    });

    UndoAndRedo("Update of \"Alien\" from a File", [&] {
        WriteFileBytes(folder / "alien.avi", "abc");
        ASSERT_TRUE(UpdateMovieFromFile(catalog, alien, folder / "alien.avi"));
    });
    EXPECT_EQ(MoviesWithFile("alien.avi"), std::vector<ObjectId>{alien});

    // A drop that adds a movie, moves a known file and joins a second file to a movie.
    const std::string drop = folder / "drop/";
    std::filesystem::create_directories(drop);
    WriteFileBytes(drop + "heat.avi", "moved");
    WriteFileBytes(drop + "Up.avi", "joins");
    WriteFileBytes(drop + "Brand New.avi", "new");
    UndoAndRedo("Drop of 3 Files", [&] {
        AcceptingHost host(LoadMovieList(catalog));
        const DropResult result = AddDroppedPaths(catalog, {drop}, host);
        ASSERT_EQ(result.added + result.attached + result.relocated, 3) << result.error;
    });
    EXPECT_EQ(MoviesWithFile("Up.avi"), std::vector<ObjectId>{up});
    UndoStep(catalog);
    EXPECT_TRUE(MoviesWithFile("Up.avi").empty());
    EXPECT_TRUE(MoviesWithFile("Brand New.avi").empty());
    RedoStep(catalog);

    // A picture the script fetched stays in the folder: another movie may show it too.
    WriteFileBytes(folder / "poster.jpg", "picture");
    UndoAndRedo("Script \"Plots\" on 2 Movies", [&] {
        test::RecordingHost host;
        ScriptRun run(host, folder.Path(), 0);
        ScriptRunner runner(run, "szPlot = 'About ' + szTitle; nYear += 1; pszPictures.append('poster.jpg');", "", catalog);
        runner.SetScriptName("Plots");
        ASSERT_EQ(runner.ScriptWorker({{alien, "Alien"}, {up, "Up"}}), 1);
    });

    EXPECT_TRUE(test::FileExists(folder / "poster.jpg"));

    // An import that adds two movies and, answered "replace", rewrites one it has.
    WriteFileBytes(folder / "list.csv", "szTitle,nYear,szPlot\nUp,1996,Balloons\nNew One,2001,x\nNew Two,2002,y\n");
    UndoAndRedo("Import of 3 Movies", [&] {
        const ImportBatch batch = ReadImportFiles({folder / "list.csv"});
        const ImportSummary summary = ApplyImport(folder.Path(), batch, ExistingMovies::Replace, {});
        ASSERT_TRUE(summary.Stored()) << summary.error;
        ASSERT_EQ(summary.added, 2u);
        ASSERT_EQ(summary.replaced, 1u);
    });

    UndoAndRedo("Delete 3 Movies", [&] {
        const std::vector<ObjectId> oids{heat, alien, up};
        DeleteMovies(catalog, oids, [](std::size_t) {});
    });
    // Put back with their identifiers, they are found by their files again.
    UndoStep(catalog);
    EXPECT_EQ(MoviesWithFile("heat.avi"), std::vector<ObjectId>{heat});
}

TEST_F(HistoryTest, HistoryIsALineThatOutlivesTheConnectionAndANewStepEndsTheRedos) {
    EXPECT_TRUE(ListHistory(catalog).empty());
    AddMovieByTitle(catalog, "One");
    AddMovieByTitle(catalog, "Two");
    AddMovieByTitle(catalog, "Three");

    const std::vector<HistoryStepInfo> steps = ListHistory(catalog);
    ASSERT_EQ(steps.size(), 3u);
    EXPECT_EQ(steps[0].label, "New Movie \"Three\"");
    EXPECT_EQ(steps[2].label, "New Movie \"One\"");
    EXPECT_EQ(steps[0].movies, 1u);
    EXPECT_GT(steps[0].number, steps[1].number);

    UndoStep(catalog);
    UndoStep(catalog);
    PendingSteps pending = ReadPendingSteps(catalog);
    EXPECT_EQ(pending.undo->label, "New Movie \"One\"");
    EXPECT_EQ(pending.redo->label, "New Movie \"Two\"");  // the oldest undone comes back first

    AddMovieByTitle(catalog, "Four");
    pending = ReadPendingSteps(catalog);
    EXPECT_EQ(pending.undo->label, "New Movie \"Four\"");
    EXPECT_FALSE(pending.redo);
    EXPECT_EQ(ListHistory(catalog).size(), 2u);
    EXPECT_THROW(RedoStep(catalog), dbException);

    UndoStep(catalog);
    UndoStep(catalog);
    EXPECT_TRUE(State().empty());
    try {
        UndoStep(catalog);
        ADD_FAILURE() << "undid a step that is not there";
    } catch (const dbException& error) {
        EXPECT_STREQ(error.what(), "There is nothing to undo.");
    }
}

TEST_F(HistoryTest, TheBoundDropsTheOldestStepsFirst) {
    for (int i = 0; i < 105; ++i) AddMovieByTitle(catalog, "Movie " + std::to_string(i));
    const std::vector<HistoryStepInfo> steps = ListHistory(catalog);
    ASSERT_EQ(steps.size(), 100u);
    EXPECT_EQ(steps.front().label, "New Movie \"Movie 104\"");
    EXPECT_EQ(steps.back().label, "New Movie \"Movie 5\"");
    for (int i = 0; i < 100; ++i) UndoStep(catalog);
    EXPECT_EQ(State().size(), 5u);
    EXPECT_THROW(UndoStep(catalog), dbException);
}

TEST_F(HistoryTest, AStepWhoseMovieWasChangedSinceIsRefusedNamingItAndNothingChanges) {
    const ObjectId heat = Insert("Heat");
    ASSERT_TRUE(ApplyEditForm("nYear=1996", heat, catalog).stored);
    {
        // Another program's connection, which keeps no history.
        CatalogDatabase other(catalog);
        other.KeepHistory(false);
        other.Open(Access::ReadWrite);
        Movie movie;
        ASSERT_TRUE(other.Fetch(heat, movie));
        movie.szTitle = "Heat (director's cut)";
        other.Update(heat, movie);
        other.Close();
    }
    const CatalogState changed = State();
    try {
        UndoStep(catalog);
        ADD_FAILURE() << "the step was undone over a later change";
    } catch (const dbException& error) {
        EXPECT_NE(std::string(error.what()).find("\"Heat (director's cut)\" was changed after"),
                  std::string::npos)
            << error.what();
    }
    EXPECT_EQ(State(), changed);
    EXPECT_EQ(NextUndoLabel(), "Edit of \"Heat\"");
}

TEST_F(HistoryTest, AnOfferMadeBeforeAnotherProgramsStepIsRefused) {
    AddMovieByTitle(catalog, "Mine");
    const std::int64_t offered = ReadPendingSteps(catalog).undo->number;
    AddMovieByTitle(catalog, "Theirs");
    const CatalogState state = State();
    EXPECT_THROW(UndoStep(catalog, offered), dbException);
    EXPECT_EQ(State(), state);
    const std::int64_t newest = ReadPendingSteps(catalog).undo->number;
    EXPECT_EQ(UndoStep(catalog, newest).label, "New Movie \"Theirs\"");
}

TEST_F(HistoryTest, ACatalogOfTheFormerLayoutStartsWithAnEmptyHistory) {
    Insert("Kept");
    Exec(catalog, "DROP TABLE HistoryMovie; DROP TABLE HistoryStep; PRAGMA user_version = 1;");
    EXPECT_TRUE(ListHistory(catalog).empty());
    EXPECT_FALSE(ReadPendingSteps(catalog).undo);

    AddMovieByTitle(catalog, "New");
    ASSERT_EQ(ListHistory(catalog).size(), 1u);
    EXPECT_EQ(test::WordIndexDifference(catalog), "");
    UndoStep(catalog);
    ASSERT_EQ(State().size(), 1u);
    EXPECT_EQ(State().begin()->second.szTitle, "Kept");
}

}  // namespace
}  // namespace reelkeep
