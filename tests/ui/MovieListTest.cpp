// The movie list through the real window: load, the sort commands, search, Select All, new
// movie, delete and the New/Open catalog question.
#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QRegularExpression>
#include <QStatusBar>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <future>
#include <thread>
#include <QTest>

#include "GuiTestSupport.h"
#include "app/MainFrame.h"
#include "catalog/CatalogOperations.h"
#include "catalog/CatalogPaths.h"
#include "maint/Settings.h"
#include "platform/Folders.h"
#include "support/TempFolder.h"
#include "ui/MovieListModel.h"
#include "ui/MovieListView.h"
#include "ui/Prompts.h"
#include "ui/ResScheme.h"

namespace reelkeep::test {

namespace {

QStringList StoredTitles(const std::string& catalogFile) {
    QStringList titles;
    for (const MovieListRow& row : LoadMovieList(catalogFile)) {
        titles << QString::fromStdString(row.title);
    }
    titles.sort();
    return titles;
}

// Types the title into the open title dialog and presses Enter.
void AnswerTitle(const QString& title) {
    WhenModalShows([title](QWidget* dialog) {
        auto* input = dialog->findChild<QLineEdit*>("titleInput");
        if (!input)
            return;
        QTest::keyClicks(input, title);
        QTest::keyClick(input, Qt::Key_Return);
    });
}

// Takes the file addresses that the window hands to the desktop.
class OpenedFiles : public QObject {
    Q_OBJECT

public:
    OpenedFiles() { QDesktopServices::setUrlHandler("file", this, "Open"); }
    ~OpenedFiles() override { QDesktopServices::unsetUrlHandler("file"); }
    QList<QUrl> urls;

public slots:
    void Open(const QUrl& url) { urls << url; }
};

}  // namespace

class MovieListTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() {
        CancelPendingAnswers();
        frame_.reset();
    }

    void loadsEveryMovieSortedByTitleWithItsWatchedState() {
        SeedDefaultCatalog({{"delta"}, {"Charlie", 0, 0, true}, {"Bravo"}, {"alpha"}});
        frame_ = OpenFrame();
        QCOMPARE(ListTitles(*frame_), QStringList({"Bravo", "Charlie", "alpha", "delta"}));
        const QModelIndex charlie = frame_->Model()->index(1, 0);
        QVERIFY(charlie.data(Qt::DecorationRole).value<QIcon>().cacheKey() !=
                frame_->Model()->index(0, 0).data(Qt::DecorationRole).value<QIcon>().cacheKey());
        QVERIFY(frame_->List()->SelectedRows().empty());
    }

    void sortCommandsFollowTheirDirectionsAndTieBreaks() {
        SeedDefaultCatalog({{"Gamma", 2001, 7.25f},
                            {"Beta", 1999, 7.251f},
                            {"Alpha", 2001, 6.0f},
                            {"Alpha", 2001, 9.0f},
                            {"Delta", 2010, 7.3f}});
        frame_ = OpenFrame();
        QCOMPARE(ListTitles(*frame_), QStringList({"Alpha", "Alpha", "Beta", "Delta", "Gamma"}));
        const ObjectId firstAlpha = frame_->Model()->Oid(0);

        frame_->Action(ID_SORT_TITLE)->trigger();  // title again: Z to A
        QCOMPARE(ListTitles(*frame_), QStringList({"Gamma", "Delta", "Beta", "Alpha", "Alpha"}));
        // Equal titles still go by catalog number, ascending.
        QCOMPARE(frame_->Model()->Oid(3), firstAlpha);

        frame_->Action(ID_SORT_YEAR)->trigger();  // newest first, ties by title ascending
        QCOMPARE(ListTitles(*frame_), QStringList({"Delta", "Alpha", "Alpha", "Gamma", "Beta"}));
        QCOMPARE(frame_->Model()->Oid(1), firstAlpha);
        WaitForIdle();
        QVERIFY(frame_->Action(ID_SORT_YEAR)->isChecked());
        frame_->Action(ID_SORT_YEAR)->trigger();  // oldest first, ties still ascending
        QCOMPARE(ListTitles(*frame_), QStringList({"Beta", "Alpha", "Alpha", "Gamma", "Delta"}));
        QCOMPARE(frame_->Model()->Oid(1), firstAlpha);

        frame_->Action(ID_SORT_RATING)->trigger();  // best first; 7.25 and 7.251 are equal
        QCOMPARE(ListTitles(*frame_), QStringList({"Alpha", "Delta", "Beta", "Gamma", "Alpha"}));
        frame_->Action(ID_SORT_INDEX)->trigger();  // highest catalog number first
        QCOMPARE(ListTitles(*frame_), QStringList({"Delta", "Alpha", "Alpha", "Beta", "Gamma"}));
        WaitForIdle();
        QVERIFY(frame_->Action(ID_SORT_INDEX)->isChecked());
        QVERIFY(!frame_->Action(ID_SORT_TITLE)->isChecked());
    }

    void sortingKeepsTheSelectionOnItsMovies() {
        SeedDefaultCatalog({{"A", 1990}, {"B", 2000}, {"C", 1980}});
        frame_ = OpenFrame();
        SelectRows(*frame_, {0, 2});
        frame_->Action(ID_SORT_YEAR)->trigger();
        QCOMPARE(ListTitles(*frame_), QStringList({"B", "A", "C"}));
        QCOMPARE(SelectedTitles(*frame_), QStringList({"A", "C"}));
    }

    void searchSelectsTheFirstTitleWithThePrefixIgnoringCase() {
        SeedDefaultCatalog({{"The Thing"}, {"Alien"}, {"the birds"}, {"Aliens"}});
        frame_ = OpenFrame();
        QLineEdit* search = frame_->SearchBox();
        frame_->List()->setFocus();
        QTest::keyClicks(search, "ALI");
        QCOMPARE(SelectedTitles(*frame_), QStringList({"Alien"}));
        QTest::keyClicks(search, "ENS");
        QCOMPARE(SelectedTitles(*frame_), QStringList({"Aliens"}));
        search->setText("the ");
        QCOMPARE(SelectedTitles(*frame_), QStringList({"The Thing"}));
        search->setText("zzz");
        QVERIFY(SelectedTitles(*frame_).isEmpty());
        QCOMPARE(frame_->Model()->rowCount(), 4);  // the search never filters
    }

    void selectAllGivesOneRefresh() {
        std::vector<SeedMovie> many;
        for (int i = 0; i < 500; ++i) many.push_back({"Movie " + std::to_string(i)});
        SeedDefaultCatalog(many);
        frame_ = OpenFrame();
        const int before = frame_->RefreshCount();
        QTest::keyClick(frame_.get(), Qt::Key_A, Qt::ControlModifier);
        WaitForIdle();
        QCOMPARE(frame_->List()->SelectedCount(), 500);
        QCOMPARE(frame_->RefreshCount(), before + 1);
    }

    void newMovieIsAddedSelectedFocusedAndInEditMode() {
        SeedDefaultCatalog({{"Alpha"}, {"Beta"}});
        frame_ = OpenFrame();
        SelectRows(*frame_, {0});

        // Enter on an empty title keeps the dialog open; Escape then cancels.
        bool stayedOpen = false;
        WhenModalShows([&](QWidget* dialog) {
            auto* input = dialog->findChild<QLineEdit*>("titleInput");
            QTest::keyClick(input, Qt::Key_Return);
            stayedOpen = dialog->isVisible() && dialog->windowTitle() == "New Movie";
            QTest::keyClick(input, Qt::Key_Escape);
        });
        frame_->Action(ID_MOVIE_NEW)->trigger();
        QVERIFY(stayedOpen);
        QCOMPARE(frame_->Model()->rowCount(), 2);
        QVERIFY(!frame_->EditMode());

        AnswerTitle(" Zorro ");
        frame_->Action(ID_MOVIE_NEW)->trigger();
        QCOMPARE(ListTitles(*frame_), QStringList({"Alpha", "Beta", " Zorro "}));
        QCOMPARE(SelectedTitles(*frame_), QStringList({" Zorro "}));
        QCOMPARE(frame_->List()->FocusedRow(), 2);
        QVERIFY(frame_->EditMode());
        QCOMPARE(StoredTitles(frame_->CatalogFile()), QStringList({" Zorro ", "Alpha", "Beta"}));
    }

    void aBusyCatalogSaysSoAndOffersTheTypedTitleAgain() {
        SeedDefaultCatalog({{"Alpha"}, {"Beta"}});
        frame_ = OpenFrame();
        // Another program holds the catalog's write lock until the error has been seen.
        std::promise<void> holding, release;
        std::thread other([&, file = frame_->CatalogFile()] {
            CatalogDatabase database(file, std::chrono::seconds(10));
            database.Open(CatalogDatabase::Access::ReadWrite);
            holding.set_value();
            release.get_future().wait();
        });
        holding.get_future().wait();

        QString error, offeredAgain;
        WhenModalShows([&](QWidget* dialog) {
            auto* input = dialog->findChild<QLineEdit*>("titleInput");
            QTest::keyClicks(input, "Heat");
            WhenModalShows([&](QWidget* box) {
                error = box->property("text").toString();
                WhenModalShows([&](QWidget* again) {
                    auto* retyped = again->findChild<QLineEdit*>("titleInput");
                    offeredAgain = retyped->text();
                    release.set_value();
                    other.join();
                    QTest::keyClick(retyped, Qt::Key_Return);
                });
                box->close();
            });
            QTest::keyClick(input, Qt::Key_Return);
        });
        frame_->Action(ID_MOVIE_NEW)->trigger();
        QVERIFY2(error.contains("in use") &&
                     error.contains(QString::fromStdString(frame_->CatalogFile())),
                 qPrintable(error));
        QCOMPARE(offeredAgain, QStringLiteral("Heat"));
        QCOMPARE(ListTitles(*frame_), QStringList({"Alpha", "Beta", "Heat"}));
        QCOMPARE(StoredTitles(frame_->CatalogFile()), QStringList({"Alpha", "Beta", "Heat"}));

        // Delete says so too, and every row stays.
        std::promise<void> holdingAgain, releaseAgain;
        std::thread again([&, file = frame_->CatalogFile()] {
            CatalogDatabase database(file, std::chrono::seconds(10));
            database.Open(CatalogDatabase::Access::ReadWrite);
            holdingAgain.set_value();
            releaseAgain.get_future().wait();
        });
        holdingAgain.get_future().wait();
        SelectRows(*frame_, {0});
        QString deleteError;
        WhenModalShows([&](QWidget* question) {
            // The delete's progress may show first while it waits for the catalog.
            AnswerWhenShows<QMessageBox>([&](QMessageBox* box) {
                deleteError = box->text();
                box->close();
            }, question);
            static_cast<QMessageBox*>(question)->button(QMessageBox::Yes)->click();
        });
        frame_->Action(ID_MOVIE_DELETE)->trigger();
        releaseAgain.set_value();
        again.join();
        QVERIFY2(deleteError.contains("in use"), qPrintable(deleteError));
        QCOMPARE(ListTitles(*frame_), QStringList({"Alpha", "Beta", "Heat"}));
    }

    void deleteRemovesExactlyTheSelectedMoviesAfterYes() {
        std::vector<SeedMovie> movies;
        for (const char* title : {"A", "B", "C", "D", "E", "F"}) movies.push_back({title});
        SeedDefaultCatalog(movies);
        frame_ = OpenFrame();
        SelectRows(*frame_, {0, 2, 5});

        auto seen = AnswerNextBox(false);
        frame_->Action(ID_MOVIE_DELETE)->trigger();
        QVERIFY(seen->shown);
        QCOMPARE(seen->text, QString("Delete 3 records?"));
        QCOMPARE(seen->title, QString("Reelkeep"));
        QVERIFY(seen->warningIcon && seen->noIsDefault);
        QCOMPARE(frame_->Model()->rowCount(), 6);

        seen = AnswerNextBox(true);
        frame_->List()->setFocus();
        QTest::keyClick(frame_->List(), Qt::Key_Delete);
        QVERIFY(seen->shown);
        QCOMPARE(ListTitles(*frame_), QStringList({"B", "D", "E"}));
        QCOMPARE(StoredTitles(frame_->CatalogFile()), QStringList({"B", "D", "E"}));

        // The keypad's Delete key is the same key; Shift+Delete is not.
        SelectRows(*frame_, {1});
        seen = AnswerNextBox(true);
        QTest::keyClick(frame_->List(), Qt::Key_Delete, Qt::KeypadModifier);
        QVERIFY(seen->shown);
        QCOMPARE(seen->text, QString("Delete 1 records?"));
        QCOMPARE(ListTitles(*frame_), QStringList({"B", "E"}));
        CancelPendingAnswers();
        seen = AnswerNextBox(true);
        QTest::keyClick(frame_->List(), Qt::Key_Delete, Qt::ShiftModifier);
        QVERIFY(!seen->shown);
        QCOMPARE(ListTitles(*frame_), QStringList({"B", "E"}));
    }

    void openOpensTheCatalogOfTheChosenFolder() {
        SeedDefaultCatalog({{"Kept"}});
        TempFolder other, bare, foreign;
        const std::string otherFile = CatalogFilePath(other.Path());
        AddMovieByTitle(otherFile, "Elsewhere");
        AddMovieByTitle(otherFile, "Abroad");
        WriteFileBytes(CatalogFilePath(foreign.Path()), "not a catalog at all");
        frame_ = OpenFrame();
        const std::string originalFolder = frame_->CatalogFolder();

        SetNextChosenFolder(std::nullopt);  // Cancel
        frame_->Action(ID_FILE_OPEN)->trigger();
        QCOMPARE(frame_->CatalogFolder(), originalFolder);

        // A folder without a catalog, or with a file that is none: a clear error, no change.
        for (const TempFolder* folder : {&bare, &foreign}) {
            SetNextChosenFolder(QString::fromStdString(folder->Path()).chopped(1));
            QString error;
            WhenModalShows([&](QWidget* dialog) {
                error = dialog->property("text").toString();
                dialog->close();
            });
            frame_->Action(ID_FILE_OPEN)->trigger();
            QVERIFY2(error.contains(QString::fromStdString(folder->Path())), qPrintable(error));
            QCOMPARE(frame_->CatalogFolder(), originalFolder);
            QCOMPARE(ListTitles(*frame_), QStringList({"Kept"}));
        }
        QVERIFY(!FileExists(CatalogFilePath(bare.Path())));
        QCOMPARE(ReadFileBytes(CatalogFilePath(foreign.Path())), std::string("not a catalog at all"));

        // A folder with a catalog: no question, its movies in order, remembered at close.
        SetNextChosenFolder(QString::fromStdString(other.Path()).chopped(1));
        auto seen = AnswerNextBox(true);
        frame_->Action(ID_FILE_OPEN)->trigger();
        QVERIFY(!seen->shown);
        CancelPendingAnswers();
        QCOMPARE(frame_->CatalogFolder(), other.Path());
        QCOMPARE(ListTitles(*frame_), QStringList({"Abroad", "Elsewhere"}));
        QCOMPARE(StoredTitles(otherFile), QStringList({"Abroad", "Elsewhere"}));
        frame_->close();
        QCOMPARE(LoadSettings(ProgramFolder()).database, other.Path());
        std::remove(SettingsFilePath().c_str());
    }

    void newCatalogKeepsTheOldOneAside() {
        SeedDefaultCatalog({{"Kept"}});
        TempFolder other;
        const std::string otherFile = CatalogFilePath(other.Path());
        AddMovieByTitle(otherFile, "Elsewhere");
        frame_ = OpenFrame();
        const std::string originalFolder = frame_->CatalogFolder();

        SetNextChosenFolder(QString::fromStdString(other.Path()).chopped(1));
        auto seen = AnswerNextBox(false);
        frame_->Action(ID_FILE_NEW)->trigger();
        QCOMPARE(seen->text, QString("Database already exists.\nDo you want to remove it?"));
        QVERIFY(seen->warningIcon && seen->noIsDefault);
        QCOMPARE(frame_->CatalogFolder(), originalFolder);
        QCOMPARE(ListTitles(*frame_), QStringList({"Kept"}));
        QVERIFY(FileExists(otherFile));

        SetNextChosenFolder(QString::fromStdString(other.Path()));
        seen = AnswerNextBox(true);
        frame_->Action(ID_FILE_NEW)->trigger();
        QVERIFY(seen->shown);
        QCOMPARE(frame_->CatalogFolder(), other.Path());
        QCOMPARE(frame_->Model()->rowCount(), 0);
        QVERIFY(!FileExists(otherFile));
        // The old catalog lies beside, whole, under a name that says what it is.
        QStringList aside = QDir(QString::fromStdString(other.Path()))
                                .entryList({"Movies.db.replaced-*"}, QDir::Files);
        QCOMPARE(aside.size(), 1);
        QVERIFY2(QRegularExpression("^Movies\\.db\\.replaced-\\d{4}-\\d\\d-\\d\\dT\\d\\d-\\d\\d-\\d\\d$")
                     .match(aside.front())
                     .hasMatch(),
                 qPrintable(aside.front()));
        QVERIFY(frame_->statusBar()->currentMessage().contains(aside.front()));
        QCOMPARE(StoredTitles(other / aside.front().toStdString()), QStringList({"Elsewhere"}));

        // The next operation starts the fresh catalog there.
        AnswerTitle("First");
        frame_->Action(ID_MOVIE_NEW)->trigger();
        QCOMPARE(StoredTitles(otherFile), QStringList({"First"}));
        QCOMPARE(StoredTitles(CatalogFilePath(originalFolder)), QStringList({"Kept"}));
        QCOMPARE(StoredTitles(other / aside.front().toStdString()), QStringList({"Elsewhere"}));
    }

    void newCatalogInAnEmptyFolderAsksNothing() {
        SeedDefaultCatalog({{"Kept"}});
        TempFolder empty;
        frame_ = OpenFrame();
        SetNextChosenFolder(QString::fromStdString(empty.Path()));
        auto seen = AnswerNextBox(true);
        frame_->Action(ID_FILE_NEW)->trigger();
        WaitForIdle();
        QVERIFY(!seen->shown);
        QCOMPARE(frame_->CatalogFolder(), empty.Path());
        QCOMPARE(frame_->Model()->rowCount(), 0);
    }

    void doubleClickOpensTheFileOfTheOneSelectedMovie() {
        TempFolder films;
        WriteFileBytes(films / "alpha.avi", "RIFF");
        SeedDefaultCatalog({{"Alpha", 0, 0, false, films / "alpha.avi"},
                            {"Beta", 0, 0, false, films / "gone.avi"},
                            {"Gamma"}});
        frame_ = OpenFrame();
        OpenedFiles opened;
        MovieListView* list = frame_->List();
        const auto doubleClick = [list](int row) {
            const QRect cell = list->visualRect(list->model()->index(row, 0));
            // What the window system delivers: press, release, press, double-click, release.
            QWidget* viewport = list->viewport();
            QTest::mouseClick(viewport, Qt::LeftButton, {}, cell.center());
            QTest::mousePress(viewport, Qt::LeftButton, {}, cell.center());
            QTest::mouseDClick(viewport, Qt::LeftButton, {}, cell.center());
            QTest::mouseRelease(viewport, Qt::LeftButton, {}, cell.center());
        };
        doubleClick(0);
        QCOMPARE(opened.urls,
                 QList<QUrl>({QUrl::fromLocalFile(QString::fromStdString(films / "alpha.avi"))}));
        doubleClick(1);  // its file is gone
        doubleClick(2);  // it has no file
        QCOMPARE(opened.urls.size(), 1);
        SelectRows(*frame_, {0, 1});
        emit list->doubleClicked(list->model()->index(0, 0));
        QCOMPARE(opened.urls.size(), 1);
    }

    void aCatalogThatIsNoCatalogShowsTheErrorAndAnEmptyList() {
        const std::string file = CatalogFilePath(DefaultCatalogFolder());
        RemoveCatalogFile(file);
        WriteFileBytes(file, "these are not the movies you are looking for");
        QString error;
        WhenModalShows([&](QWidget* dialog) {
            error = dialog->property("text").toString();
            dialog->close();
        });
        frame_ = OpenFrame();
        QVERIFY(!error.isEmpty());
        QCOMPARE(frame_->Model()->rowCount(), 0);
        QCOMPARE(ReadFileBytes(file), std::string("these are not the movies you are looking for"));
        RemoveCatalogFile(file);
    }

private:
    std::unique_ptr<MainFrame> frame_;
};

}  // namespace reelkeep::test

REELKEEP_GUI_TEST_MAIN(reelkeep::test::MovieListTest)
#include "MovieListTest.moc"
