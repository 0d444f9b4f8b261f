// Edit > Undo and Redo through the real window: the keys on the list, the menu's labels, the
// list and the pane following, the Search box keeping its own Undo, and a step made by
// another program meanwhile.
#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTest>
#include <map>

#include "GuiTestSupport.h"
#include "PaneTestSupport.h"
#include "app/MainFrame.h"
#include "catalog/CatalogOperations.h"
#include "maint/Settings.h"
#include "ui/MovieListModel.h"
#include "ui/MovieListView.h"
#include "ui/ResScheme.h"

namespace reelkeep::test {

namespace {

// Every stored record by identifier, nIndex included.
std::map<ObjectId, Movie> StoredMovies(const std::string& catalogFile) {
    std::map<ObjectId, Movie> movies;
    CatalogDatabase database(catalogFile);
    database.Open(CatalogDatabase::Access::ReadOnly);
    database.ForEach([&](ObjectId oid, const Movie& movie) { movies.emplace(oid, movie); });
    return movies;
}

}  // namespace

class UndoTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() {
        CancelPendingAnswers();
        frame_.reset();
    }

    void aDeleteIsTakenBackAndMadeAgainWithTheKeysOfTheList() {
        SeedDefaultCatalog({{"Alien", 1979}, {"Brazil", 1985}, {"Casablanca", 1942}, {"Dune", 1984}});
        frame_ = OpenFrame();
        const std::map<ObjectId, Movie> before = StoredMovies(frame_->CatalogFile());
        QAction* undo = frame_->Action(ID_EDIT_UNDO);
        QAction* redo = frame_->Action(ID_EDIT_REDO);

        SelectRows(*frame_, {1, 2});
        frame_->List()->setFocus();
        auto seen = AnswerNextBox(true);
        QTest::keyClick(frame_->List(), Qt::Key_Delete);
        QVERIFY(seen->shown);
        QCOMPARE(ListTitles(*frame_), QStringList({"Alien", "Dune"}));
        WaitForIdle();
        QCOMPARE(undo->text(), QString("&Undo Delete 2 Movies\tCtrl+Z"));
        QVERIFY(undo->isEnabled());
        QCOMPARE(redo->text(), QString("&Redo\tCtrl+Shift+Z"));
        QVERIFY(!redo->isEnabled());
        QCOMPARE(undo->statusTip(), QString("Undo the last action"));

        QTest::keyClick(frame_->List(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(ListTitles(*frame_), QStringList({"Alien", "Brazil", "Casablanca", "Dune"}));
        QCOMPARE(SelectedTitles(*frame_), QStringList({"Brazil", "Casablanca"}));
        QCOMPARE(StoredMovies(frame_->CatalogFile()), before);
        QVERIFY(WaitUntil([&] { return PageTitle(*frame_->Pane()) == "2 movies"; }));
        WaitForIdle();
        QCOMPARE(redo->text(), QString("&Redo Delete 2 Movies\tCtrl+Shift+Z"));
        QVERIFY(redo->isEnabled());
        QVERIFY(!undo->isEnabled());

        QTest::keyClick(frame_->List(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(ListTitles(*frame_), QStringList({"Alien", "Dune"}));

        // In the Search box, Ctrl+Z takes back typing, never a step of the catalog.
        QLineEdit* search = frame_->SearchBox();
        search->setFocus();
        QTest::keyClicks(search, "du");
        WaitForIdle();
        QCOMPARE(undo->text(), QString("&Undo\tCtrl+Z"));
        QTest::keyClick(search, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(ListTitles(*frame_), QStringList({"Alien", "Dune"}));
        QCOMPARE(search->text(), QString());
    }

    void aStepOfAnotherProgramIsOfferedOnceTheWindowHasSeenIt() {
        SeedDefaultCatalog({{"Heat", 1995}});
        frame_ = OpenFrame();
        QAction* undo = frame_->Action(ID_EDIT_UNDO);
        frame_->List()->setFocus();
        SelectRows(*frame_, {0});
        AddMovieByTitle(frame_->CatalogFile(), "Mine");
        OpenAndCloseEditMenu();
        QCOMPARE(undo->text(), QString("&Undo New Movie \"Mine\"\tCtrl+Z"));

        // Another step lands before the window looks again: the offered one is not taken back.
        AddMovieByTitle(frame_->CatalogFile(), "Theirs");
        QString shown;
        WhenModalShows([&](QWidget* box) {
            shown = static_cast<QMessageBox*>(box)->text();
            box->close();
        });
        undo->trigger();
        QVERIFY2(shown.contains("changed by another program"), qPrintable(shown));
        QCOMPARE(undo->text(), QString("&Undo New Movie \"Theirs\"\tCtrl+Z"));
        QCOMPARE(StoredMovies(frame_->CatalogFile()).size(), std::size_t{3});

        // Now offered, it goes; the selection and its page stay.
        undo->trigger();
        QCOMPARE(StoredMovies(frame_->CatalogFile()).size(), std::size_t{2});
        QCOMPARE(undo->text(), QString("&Undo New Movie \"Mine\"\tCtrl+Z"));
        QCOMPARE(ListTitles(*frame_), QStringList({"Heat"}));
        QCOMPARE(PageTitle(*frame_->Pane()), QString("Heat"));
    }

private:
    void OpenAndCloseEditMenu() {
        QMenu* menu = nullptr;
        for (QAction* item : frame_->menuBar()->actions()) {
            if (item->text() == "&Edit") menu = item->menu();
        }
        QVERIFY(menu);
        menu->popup(frame_->mapToGlobal(QPoint(0, 0)));
        QVERIFY(QTest::qWaitForWindowExposed(menu));
        QCOMPARE(menu->actions().at(0)->text(), frame_->Action(ID_EDIT_UNDO)->text());
        menu->close();
    }

    std::unique_ptr<MainFrame> frame_;
};

}  // namespace reelkeep::test

REELKEEP_GUI_TEST_MAIN(reelkeep::test::UndoTest)
#include "UndoTest.moc"
