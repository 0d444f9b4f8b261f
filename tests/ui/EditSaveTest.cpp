// Save on the edit page, in the real window and through the web engine's own submission: the
// movie it writes into is the one whose page was shown, however the selection got there, and
// only the fields the user changed are written.
#include <sqlite3.h>
#include <QAction>
#include <QApplication>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>
#include <future>
#include <memory>
#include <thread>

#include "GuiTestSupport.h"
#include "PaneTestSupport.h"
#include "app/MainFrame.h"
#include "catalog/CatalogPaths.h"
#include "maint/Settings.h"
#include "platform/Folders.h"
#include "present/CatalogDocument.h"
#include "present/Export.h"
#include "support/TempFolder.h"
#include "ui/BrowserPane.h"
#include "ui/MovieListModel.h"
#include "ui/MovieListView.h"
#include "ui/ResScheme.h"

namespace reelkeep {

// A record as QCOMPARE shows it: its element of the catalog document, every field.
char* toString(const Movie& movie) {
    XmlDocPtr document = NewCatalogDocument();
    AppendMovieElement(*document, movie);
    return qstrdup(SerializeCatalogDocument(*document).c_str());
}

}  // namespace reelkeep

namespace reelkeep::test {

namespace {

std::string CatalogFile() {
    return CatalogFilePath(DefaultCatalogFolder());
}

Movie ReadMovieOrGone(ObjectId oid) {
    CatalogDatabase database(CatalogFile());
    database.Open(CatalogDatabase::Access::ReadOnly);
    Movie movie;
    if (!database.Fetch(oid, movie))
        movie.szTitle = "(gone)";
    return movie;
}

// Every stored byte of a movie: its row, column by column with each value's type, and the
// rows of the file-name index that point at it.
std::string StoredBytes(ObjectId oid) {
    sqlite3* db = nullptr;
    std::string bytes;
    if (sqlite3_open_v2(CatalogFile().c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return "(no catalog)";
    }
    for (const char* sql : {"SELECT * FROM Movie WHERE oid = ?1",
                            "SELECT * FROM MovieFile WHERE movie = ?1 ORDER BY name"}) {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
        sqlite3_bind_int64(statement, 1, oid);
        while (sqlite3_step(statement) == SQLITE_ROW) {
            for (int column = 0; column < sqlite3_column_count(statement); ++column) {
                bytes += std::string(sqlite3_column_name(statement, column)) + ":" +
                         std::to_string(sqlite3_column_type(statement, column)) + ":";
                const auto* data = static_cast<const char*>(sqlite3_column_blob(statement, column));
                bytes.append(data ? data : "", sqlite3_column_bytes(statement, column));
                bytes += '\n';
            }
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return bytes;
}

// A movie whose lists hold commas and blanks around entries, with a plot of several lines.
Movie AwkwardMovie() {
    Movie movie;
    movie.szTitle = "Movie, The";
    movie.szTranslated = "  Le film  ";
    movie.nYear = 1999;
    movie.nLength = 97;
    movie.fRating = 7.3f;
    movie.fFPS = 23.976f;
    movie.bWatched = true;
    movie.pszDirectors = {"Milestone, Lewis"};
    movie.pszActors = {"Davis Jr., Sammy", " Dean Martin ", "Bishop,Joey"};
    movie.pszCategories = {"Comedy", "Crime"};
    movie.pszCountries = {"USA"};
    movie.pszComments = {"first, with a comma", "two\nlines"};
    movie.szPlot = "Line one\nLine two\n\n  indented line four\n";
    movie.szURL = "http://example.org/?a=1&b=%20c";
    movie.szLocation = "/media/films/Movie, The (1999).avi";
    movie.pszMedia = {"File"};
    movie.pszFilenames = {"Movie, The (1999).avi", "Movie, The (1999) CD2.avi"};
    movie.pnSizes = {734003200, 5};
    movie.pszPictures = {"poster, front.jpg"};
    movie.szVideo = "DivX 5.x";
    movie.nWidth = 640;
    movie.nHeight = 272;
    movie.dtAdded.stamp = 1136214245;
    return movie;
}

// Clicks the page's Save button, as the user's click does.
void ClickSave(BrowserPane& pane, const QString& before = {}) {
    RunPageScript(
        pane, before + QStringLiteral("document.querySelector('button[type=submit]').click();"));
}

// Collects the text of every message box while the result lives, answering each with OK.
struct Boxes {
    QStringList texts;
};
std::shared_ptr<Boxes> CollectBoxes() {
    auto boxes = std::make_shared<Boxes>();
    auto* timer = new QTimer(QApplication::instance());
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [weak = std::weak_ptr<Boxes>(boxes), timer] {
        const std::shared_ptr<Boxes> alive = weak.lock();
        if (!alive) {
            timer->deleteLater();
            return;
        }
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            alive->texts << box->text();
            box->accept();
        }
    });
    timer->start();
    return boxes;
}

}  // namespace

class EditSaveTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        oids_ = SeedDefaultCatalog(
            {{"Alien", 1979, 8.5f, true}, {"Brazil", 1985}, {"Casablanca", 1942}});
    }
    void cleanup() {
        CancelPendingAnswers();
        frame_.reset();
        std::remove(SettingsFilePath().c_str());
    }

    void saveAfterTheSearchBoxWritesTheMovieOnThePage() {
        frame_ = OpenFrame();
        frame_->List()->SelectAndFocus(0);
        WaitForIdle();
        frame_->Action(ID_MOVIE_EDITMODE)->trigger();
        QCOMPARE(PageTitle(*frame_->Pane()), QStringLiteral("Edit: Alien"));
        const std::string alien = StoredBytes(oids_[0]);
        // The Search box moves the selection; the focus stays on Alien.
        QTest::keyClicks(frame_->SearchBox(), "cas");
        WaitForIdle();
        QCOMPARE(PageTitle(*frame_->Pane()), QStringLiteral("Edit: Casablanca"));
        QCOMPARE(frame_->List()->FocusedRow(), 0);

        ClickSave(*frame_->Pane(), "document.querySelector('[name=nYear]').value = '1943';");
        QVERIFY(WaitUntil([&] { return !frame_->EditMode(); }));
        QCOMPARE(ReadMovieOrGone(oids_[2]).nYear, 1943);
        QCOMPARE(ReadMovieOrGone(oids_[2]).szTitle, std::string("Casablanca"));
        QCOMPARE(StoredBytes(oids_[0]), alien);
        QCOMPARE(ListTitles(*frame_), QStringList({"Alien", "Brazil", "Casablanca"}));
        QCOMPARE(PageTitle(*frame_->Pane()), QStringLiteral("Casablanca"));
    }

    void saveAfterACtrlClickWritesTheMovieOnThePage() {
        frame_ = OpenFrame();
        frame_->List()->SelectAndFocus(0);
        WaitForIdle();
        frame_->Action(ID_MOVIE_EDITMODE)->trigger();
        const auto ctrlClick = [&](int row) {
            MovieListView* list = frame_->List();
            QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                              list->visualRect(frame_->Model()->index(row, 0)).center());
            WaitForIdle();
        };
        ctrlClick(1);  // Alien and Brazil
        QCOMPARE(PageTitle(*frame_->Pane()), QStringLiteral("2 movies"));
        ctrlClick(0);  // Brazil alone is selected, the focus is on Alien
        QCOMPARE(SelectedTitles(*frame_), QStringList{"Brazil"});
        QCOMPARE(frame_->List()->FocusedRow(), 0);
        QCOMPARE(PageTitle(*frame_->Pane()), QStringLiteral("Edit: Brazil"));
        const std::string alien = StoredBytes(oids_[0]);

        ClickSave(*frame_->Pane(),
                  "document.querySelector('[name=szTitle]').value = 'Brazil (1985)';");
        QVERIFY(WaitUntil([&] { return !frame_->EditMode(); }));
        QCOMPARE(ReadMovieOrGone(oids_[1]).szTitle, std::string("Brazil (1985)"));
        QCOMPARE(StoredBytes(oids_[0]), alien);
        QCOMPARE(ListTitles(*frame_), QStringList({"Alien", "Brazil (1985)", "Casablanca"}));
    }

    void saveForAMovieThatIsGoneStoresNothingAndSaysSo() {
        frame_ = OpenFrame();
        frame_->List()->SelectAndFocus(0);
        WaitForIdle();
        frame_->Action(ID_MOVIE_EDITMODE)->trigger();
        QTest::keyClicks(frame_->SearchBox(), "bra");
        WaitForIdle();
        QCOMPARE(PageTitle(*frame_->Pane()), QStringLiteral("Edit: Brazil"));
        // Another program removes the movie while its page is on show.
        {
            CatalogDatabase other(CatalogFile());
            other.Open(CatalogDatabase::Access::ReadWrite);
            QVERIFY(other.Remove(oids_[1]));
            other.Close();
        }
        const std::string alien = StoredBytes(oids_[0]);
        const std::string casablanca = StoredBytes(oids_[2]);
        const auto boxes = CollectBoxes();

        ClickSave(*frame_->Pane(), "document.querySelector('[name=nYear]').value = '2001';");
        QVERIFY(WaitUntil([&] { return !boxes->texts.isEmpty(); }));
        QTest::qWait(200);  // any further box would show now
        QCOMPARE(boxes->texts.size(), 1);
        QVERIFY2(boxes->texts.front().contains("no longer in the catalog"),
                 qPrintable(boxes->texts.front()));
        QVERIFY2(boxes->texts.front().contains("nothing was saved"),
                 qPrintable(boxes->texts.front()));
        QCOMPARE(StoredBytes(oids_[0]), alien);
        QCOMPARE(StoredBytes(oids_[2]), casablanca);
        QCOMPARE(StoredBytes(oids_[1]), std::string());
        // The list no longer offers the movie that is gone.
        QCOMPARE(ListTitles(*frame_), QStringList({"Alien", "Casablanca"}));
    }

    void aBusyCatalogKeepsWhatWasTypedAndSaysSo() {
        frame_ = OpenFrame();
        frame_->List()->SelectAndFocus(0);
        WaitForIdle();
        frame_->Action(ID_MOVIE_EDITMODE)->trigger();
        QCOMPARE(PageTitle(*frame_->Pane()), QStringLiteral("Edit: Alien"));
        const std::string alien = StoredBytes(oids_[0]);

        // Another program holds the catalog's write lock for as long as it likes.
        std::promise<void> holding, release;
        std::thread other([&] {
            CatalogDatabase database(CatalogFile(), std::chrono::seconds(10));
            database.Open(CatalogDatabase::Access::ReadWrite);
            holding.set_value();
            release.get_future().wait();
            database.Close();
        });
        holding.get_future().wait();

        // The window keeps answering while it waits: ticks of its own timer keep coming.
        QElapsedTimer sinceTick;
        qint64 longestGap = 0;
        QTimer ticks;
        QObject::connect(&ticks, &QTimer::timeout, [&] {
            longestGap = std::max(longestGap, sinceTick.restart());
        });
        sinceTick.start();
        ticks.start(10);
        const auto boxes = CollectBoxes();
        ClickSave(*frame_->Pane(), "document.querySelector('[name=nYear]').value = '2001';");
        QVERIFY(WaitUntil([&] { return !boxes->texts.isEmpty(); }));
        ticks.stop();
        const QString message = boxes->texts.front();
        QVERIFY2(message.contains(QString::fromStdString(CatalogFile())), qPrintable(message));
        QVERIFY2(message.contains("in use"), qPrintable(message));
        QVERIFY2(longestGap < 2000, qPrintable(QString::number(longestGap)));
        // Nothing stored, still editing, and the page holds what was typed.
        QCOMPARE(StoredBytes(oids_[0]), alien);
        QVERIFY(frame_->EditMode());
        QCOMPARE(RunPageScript(*frame_->Pane(), "document.querySelector('[name=nYear]').value")
                     .toString(),
                 QStringLiteral("2001"));

        // Once the other program is done, the same Save stores it.
        release.set_value();
        other.join();
        ClickSave(*frame_->Pane());
        QVERIFY(WaitUntil([&] { return !frame_->EditMode(); }));
        QCOMPARE(ReadMovieOrGone(oids_[0]).nYear, 2001);
        QCOMPARE(boxes->texts.size(), 1);
    }

    void aFormOnThePageOfSeveralMoviesWritesIntoTheFocusedOneAmongThem() {
        TempFolder folder;
        WriteFileBytes(folder / "Form.xsl",
                       "<?xml version='1.0'?>"
                       "<xsl:stylesheet version='1.0' "
                       "xmlns:xsl='http://www.w3.org/1999/XSL/Transform'>"
                       "<xsl:output method='html' encoding='UTF-8'/>"
                       "<xsl:template match='/'><html><head><title>several</title></head><body>"
                       "<form method='post'><input name='szLender' value='Kim'/>"
                       "<button type='submit'>Lend</button></form>"
                       "</body></html></xsl:template></xsl:stylesheet>");
        Settings settings = LoadSettings(ProgramFolder());
        settings.multiple = folder / "Form.xsl";
        QVERIFY(SaveSettings(settings));
        frame_ = OpenFrame();
        frame_->List()->SelectAndFocus(1);
        frame_->List()->selectionModel()->select(frame_->Model()->index(0, 0),
                                                 QItemSelectionModel::Select);
        WaitForIdle();
        QCOMPARE(PageTitle(*frame_->Pane()), QStringLiteral("several"));
        ClickSave(*frame_->Pane());
        QVERIFY(WaitUntil([&] { return ReadMovieOrGone(oids_[1]).szLender == "Kim"; }));
        QCOMPARE(ReadMovieOrGone(oids_[0]).szLender, std::string());

        // With the focus on a row outside the selection the page stands for no one movie.
        frame_->List()->selectionModel()->setCurrentIndex(frame_->Model()->index(2, 0),
                                                          QItemSelectionModel::NoUpdate);
        SelectRows(*frame_, {0, 1});
        const int refreshes = frame_->RefreshCount();
        QCOMPARE(PageTitle(*frame_->Pane()), QStringLiteral("several"));
        ClickSave(*frame_->Pane(), "document.querySelector('[name=szLender]').value = 'Lee';");
        QVERIFY(WaitUntil([&] { return frame_->RefreshCount() > refreshes; }));
        for (const ObjectId oid : oids_) QVERIFY(ReadMovieOrGone(oid).szLender != "Lee");
    }

    void saveWithoutChangesLeavesTheRecordAsItWas() {
        const ObjectId oid = AddAwkwardMovie();
        frame_ = OpenFrame();
        frame_->List()->SelectAndFocus(3);
        WaitForIdle();
        frame_->Action(ID_MOVIE_EDITMODE)->trigger();
        QCOMPARE(PageTitle(*frame_->Pane()), QStringLiteral("Edit: Movie, The"));
        // The files are shown, not offered for editing: they pair with the sizes.
        QCOMPARE(RunPageScript(*frame_->Pane(),
                               "document.querySelectorAll('[name=pszFilenames], [name=pnSizes]')"
                               ".length")
                     .toInt(),
                 0);
        QVERIFY(RunPageScript(*frame_->Pane(), "document.body.textContent")
                    .toString()
                    .contains(QStringLiteral("Movie, The (1999) CD2.avi")));
        const std::string before = StoredBytes(oid);

        ClickSave(*frame_->Pane());
        QVERIFY(WaitUntil([&] { return !frame_->EditMode(); }));
        QCOMPARE(ReadMovieOrGone(oid), awkward_);
        QCOMPARE(StoredBytes(oid), before);

        // A change taken back with Revert is no change either.
        frame_->Action(ID_MOVIE_EDITMODE)->trigger();
        QCOMPARE(PageTitle(*frame_->Pane()), QStringLiteral("Edit: Movie, The"));
        ClickSave(*frame_->Pane(),
                  "document.querySelector('[name=pszActors]').value = 'Someone else';"
                  "document.querySelector('[name=bWatched][type=checkbox]').click();"
                  "document.querySelector('button[type=reset]').click();");
        QVERIFY(WaitUntil([&] { return !frame_->EditMode(); }));
        QCOMPARE(StoredBytes(oid), before);
    }

    void saveWritesOnlyTheFieldsTheUserChanged() {
        const ObjectId oid = AddAwkwardMovie();
        frame_ = OpenFrame();
        frame_->List()->SelectAndFocus(3);
        WaitForIdle();
        Movie expected = awkward_;
        const auto saveWith = [&](const QString& change) {
            frame_->Action(ID_MOVIE_EDITMODE)->trigger();
            QCOMPARE(PageTitle(*frame_->Pane()), QStringLiteral("Edit: Movie, The"));
            ClickSave(*frame_->Pane(), change);
            QVERIFY(WaitUntil([&] { return !frame_->EditMode(); }));
            QCOMPARE(ReadMovieOrGone(oid), expected);
        };
        expected.nYear = 2000;
        saveWith("document.querySelector('[name=nYear]').value = '2000';");
        // The box and the hidden value before it share the name: both go, or neither.
        expected.bWatched = false;
        if (!QTest::currentTestFailed())
            saveWith("document.querySelector('[name=bWatched][type=checkbox]').click();");
        expected.pszCountries = {"USA", "Canada"};
        if (!QTest::currentTestFailed())
            saveWith("document.querySelector('[name=pszCountries]').value += ', Canada';");
        // Other movies were not touched at all.
        QCOMPARE(ReadMovieOrGone(oids_[0]).szTitle, std::string("Alien"));
    }

private:
    ObjectId AddAwkwardMovie() {
        CatalogDatabase database(CatalogFile());
        database.Open(CatalogDatabase::Access::ReadWrite);
        awkward_ = AwkwardMovie();
        const ObjectId oid = database.Insert(awkward_);
        database.Close();
        return oid;
    }

    Movie awkward_;  // as stored, its catalog number filled in

    std::vector<ObjectId> oids_;
    std::unique_ptr<MainFrame> frame_;
};

}  // namespace reelkeep::test

REELKEEP_GUI_TEST_MAIN(reelkeep::test::EditSaveTest)
#include "EditSaveTest.moc"
