// The Filter box through the real window: typing narrows the list, Select All and Delete act
// on what is shown, a query that cannot be read says why and changes nothing, Escape shows
// every movie again, undo finds the rows the Filter hides, and the statistics page's bars set
// the Filter when clicked.
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <sqlite3.h>

#include "GuiTestSupport.h"
#include "PaneTestSupport.h"
#include "app/MainFrame.h"
#include "catalog/CatalogHistory.h"
#include "catalog/CatalogOperations.h"
#include "catalog/CatalogPaths.h"
#include "present/EditForm.h"
#include "support/TempFolder.h"
#include "support/WordIndexCheck.h"
#include "ui/BrowserPane.h"
#include "ui/FilterBox.h"
#include "ui/MovieListModel.h"
#include "ui/MovieListView.h"
#include "ui/ResScheme.h"
#include "ui/TitleDialog.h"

namespace reelkeep::test {

namespace {

QStringList StoredTitles(const std::string& catalogFile) {
    QStringList titles;
    for (const MovieListRow& row : LoadMovieList(catalogFile)) titles << QString::fromStdString(row.title);
    titles.sort();
    return titles;
}

// Types into the box as a user does, and lets the list follow.
void TypeFilter(MainFrame& frame, const QString& text) {
    frame.Filter()->setFocus();
    QTest::keyClicks(frame.Filter(), text);
    WaitForIdle();
}

std::vector<SeedMovie> FiveMovies() {
    return {{"Heat", 1995, 8.3f}, {"Alien", 1979, 8.5f, true}, {"Up", 2009, 8.2f},
            {"Aliens", 1986, 8.4f}, {"Alien Resurrection", 1997, 6.2f}};
}

}  // namespace

class FilterTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() {
        CancelPendingAnswers();
        frame_.reset();
    }

    void selectAllAndDeleteActOnTheShownMoviesOnly() {
        SeedDefaultCatalog(FiveMovies());
        frame_ = OpenFrame();
        QVERIFY(!frame_->FilterCount()->isVisible());  // an empty Filter changes nothing

        TypeFilter(*frame_, "alien");
        QCOMPARE(ListTitles(*frame_), QStringList({"Alien", "Alien Resurrection", "Aliens"}));
        QVERIFY(frame_->FilterCount()->isVisible());
        QCOMPARE(frame_->FilterCount()->text(), QString("3 of 5 movies"));

        // The Search box still selects the first title that begins with what is typed.
        QTest::keyClicks(frame_->SearchBox(), "aliens");
        WaitForIdle();
        QCOMPARE(SelectedTitles(*frame_), QStringList({"Aliens"}));

        frame_->List()->setFocus();
        QTest::keyClick(frame_->List(), Qt::Key_A, Qt::ControlModifier);
        WaitForIdle();
        QCOMPARE(SelectedTitles(*frame_), QStringList({"Alien", "Alien Resurrection", "Aliens"}));

        auto seen = AnswerNextBox(true);
        QTest::keyClick(frame_->List(), Qt::Key_Delete);
        QVERIFY(seen->shown);
        QCOMPARE(seen->text, QString("Delete 3 records?"));
        QVERIFY(WaitUntil([&] { return frame_->Model()->rowCount() == 0; }));
        QCOMPARE(StoredTitles(frame_->CatalogFile()), QStringList({"Heat", "Up"}));
        QTRY_COMPARE(frame_->FilterCount()->text(), QString("0 of 2 movies"));

        // Escape in the box shows every movie again, in the sort order.
        frame_->Filter()->setFocus();
        QTest::keyClick(frame_->Filter(), Qt::Key_Escape);
        WaitForIdle();
        QCOMPARE(frame_->Filter()->text(), QString());
        QCOMPARE(ListTitles(*frame_), QStringList({"Heat", "Up"}));
        QVERIFY(!frame_->FilterCount()->isVisible());
    }

    void aQueryThatCannotBeReadSaysWhyAndChangesNothing() {
        SeedDefaultCatalog(FiveMovies());
        frame_ = OpenFrame();
        TypeFilter(*frame_, "year:1990-1999");
        QCOMPARE(ListTitles(*frame_), QStringList({"Alien Resurrection", "Heat"}));
        SelectRows(*frame_, {1});
        QCOMPARE(frame_->Filter()->Problem(), QString());

        TypeFilter(*frame_, " rating:good");
        QVERIFY2(frame_->Filter()->Problem().contains("\"rating:good\" needs a rating"),
                 qPrintable(frame_->Filter()->Problem()));
        QVERIFY(frame_->Filter()->ProblemNote()->isVisible());
        QCOMPARE(frame_->Filter()->ProblemNote()->text(), frame_->Filter()->Problem());
        QCOMPARE(ListTitles(*frame_), QStringList({"Alien Resurrection", "Heat"}));
        QCOMPARE(SelectedTitles(*frame_), QStringList({"Heat"}));

        // Readable again: the note goes, and what stays shown of the selection stays selected.
        for (int i = 0; i < 4; ++i) QTest::keyClick(frame_->Filter(), Qt::Key_Backspace);
        QTest::keyClicks(frame_->Filter(), ">8");
        WaitForIdle();
        QCOMPARE(frame_->Filter()->Problem(), QString());
        QVERIFY(!frame_->Filter()->ProblemNote()->isVisible());
        QCOMPARE(ListTitles(*frame_), QStringList({"Heat"}));
        QCOMPARE(SelectedTitles(*frame_), QStringList({"Heat"}));

        // Emptying the box by hand shows every movie again.
        frame_->Filter()->selectAll();
        QTest::keyClick(frame_->Filter(), Qt::Key_Delete);
        WaitForIdle();
        QCOMPARE(ListTitles(*frame_).size(), 5);
        QCOMPARE(SelectedTitles(*frame_), QStringList({"Heat"}));
    }

    void undoAndADropFindTheRowsTheFilterHides() {
        const std::vector<ObjectId> oids = SeedDefaultCatalog(FiveMovies());
        frame_ = OpenFrame();
        TypeFilter(*frame_, "alien");
        // Another program renames "Heat", which the Filter hides; Undo puts the name back.
        QVERIFY(ApplyEditForm("szTitle=Heat+2", oids[0], frame_->CatalogFile()).stored);
        frame_->List()->setFocus();
        frame_->UpdateCommandStates();  // as the Edit menu does when it opens
        QCOMPARE(frame_->Action(ID_EDIT_UNDO)->text(), QString("&Undo Edit of \"Heat 2\"\tCtrl+Z"));
        QTest::keyClick(frame_->List(), Qt::Key_Z, Qt::ControlModifier);
        WaitForIdle();
        QCOMPARE(StoredTitles(frame_->CatalogFile()),
                 QStringList({"Alien", "Alien Resurrection", "Aliens", "Heat", "Up"}));
        QCOMPARE(ListTitles(*frame_), QStringList({"Alien", "Alien Resurrection", "Aliens"}));

        // A dropped file named after a movie the Filter hides joins it as another disc.
        TempFolder media;
        WriteFileBytes(media / "Heat.avi", "");
        bool asked = false;
        AnswerWhenShows<TitleDialog>([&](TitleDialog* dialog) {
            asked = true;
            dialog->reject();
        });
        frame_->DropPaths({QString::fromStdString(media / "Heat.avi")});
        WaitForIdle();
        CancelPendingAnswers();
        QVERIFY(!asked);
        CatalogDatabase database(frame_->CatalogFile());
        database.Open(CatalogDatabase::Access::ReadOnly);
        QCOMPARE(database.SelectByFilename("Heat.avi"), std::vector<ObjectId>{oids[0]});
        database.Close();

        frame_->Filter()->setFocus();
        QTest::keyClick(frame_->Filter(), Qt::Key_Escape);
        WaitForIdle();
        QCOMPARE(ListTitles(*frame_), QStringList({"Alien", "Alien Resurrection", "Aliens", "Heat", "Up"}));
    }

    void aScriptRunIsFollowedByTheFilter() {
        SeedDefaultCatalog(FiveMovies());
        frame_ = OpenFrame();
        TempFolder scripts;
        WriteFileBytes(scripts / "Rename.rks", "if (szTitle == 'Aliens') szTitle = 'Predator';\n");
        frame_->UseScriptsFolder(scripts.Path());
        TypeFilter(*frame_, "alien");
        frame_->List()->setFocus();
        QTest::keyClick(frame_->List(), Qt::Key_A, Qt::ControlModifier);
        WaitForIdle();

        frame_->ScriptsMenu()->actions().front()->trigger();
        WaitForIdle();
        // The movie the script took out of the Filter's reach goes from the list.
        QCOMPARE(ListTitles(*frame_), QStringList({"Alien", "Alien Resurrection"}));
        QCOMPARE(frame_->FilterCount()->text(), QString("2 of 5 movies"));
    }

    void aClickOnAChartBarSetsTheFilter() {
        SeedDefaultCatalog(FiveMovies());
        frame_ = OpenFrame();
        frame_->Action(ID_VIEW_STATISTICS)->trigger();
        WaitForIdle();
        QVERIFY(frame_->StatisticsShown());
        QCOMPARE(PageTitle(*frame_->Pane()), QString("Statistics"));
        QCOMPARE(RunPageScript(*frame_->Pane(), "document.querySelector('h1').textContent.trim()").toString(),
                 QString("5 movies"));

        // A real click in the middle of the 1990s column.
        const QVariantList box =
            RunPageScript(*frame_->Pane(),
                          "(() => { const bar = [...document.querySelectorAll('a.slice')]"
                          ".find(a => a.textContent.includes('1990s')).querySelector('rect.bar');"
                          " const r = bar.getBoundingClientRect();"
                          " return [r.left + r.width / 2, r.top + r.height / 2]; })()")
                .toList();
        QCOMPARE(box.size(), 2);
        const QPoint at(qRound(box[0].toDouble()), qRound(box[1].toDouble()));
        QWidget* surface = frame_->Pane()->focusProxy();
        QVERIFY(surface);
        QTest::mouseClick(surface, Qt::LeftButton, {}, at);
        QVERIFY(WaitUntil([&] { return frame_->Filter()->text() == "year:1990s"; }));
        WaitForIdle();
        QCOMPARE(ListTitles(*frame_), QStringList({"Alien Resurrection", "Heat"}));
        QCOMPARE(frame_->FilterCount()->text(), QString("2 of 5 movies"));
        // The page stays the program's, and now sums up the Filter's movies.
        QVERIFY(frame_->StatisticsShown());
        QCOMPARE(frame_->Pane()->url().scheme(), QStringLiteral("rkpage"));
        QVERIFY(WaitUntil([&] {
            return RunPageScript(*frame_->Pane(), "document.querySelector('h1').textContent.trim()")
                       .toString() == "2 of 5 movies";
        }));

        // A selection shows the selection's page again.
        SelectRows(*frame_, {0});
        QVERIFY(!frame_->StatisticsShown());
        QCOMPARE(PageTitle(*frame_->Pane()), QString("Alien Resurrection"));
    }

    void aCatalogOfTheFormerLayoutGetsItsIndexWhenTheWindowOpensIt() {
        SeedDefaultCatalog(FiveMovies());
        const std::string catalog = CatalogFilePath(DefaultCatalogFolder());
        QVERIFY(TakeBackToTheFormerLayout(catalog));
        frame_ = OpenFrame();
        QCOMPARE(QString::fromStdString(WordIndexDifference(catalog)), QString());
        TypeFilter(*frame_, "up");
        QCOMPARE(ListTitles(*frame_), QStringList({"Up"}));
    }

private:
    std::unique_ptr<MainFrame> frame_;
};

}  // namespace reelkeep::test

REELKEEP_GUI_TEST_MAIN(reelkeep::test::FilterTest)

#include "FilterTest.moc"
