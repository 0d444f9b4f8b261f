// A large catalog in the real window: the window keeps answering while the page of every movie
// is made, while many movies are exported and deleted, and the page on show in the end is the
// newest selection's.
#include <libxml/parser.h>
#include <libxml/xpath.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <cstdio>

#include "GuiTestSupport.h"
#include "PaneTestSupport.h"
#include "app/MainFrame.h"
#include "catalog/CatalogOperations.h"
#include "catalog/CatalogPaths.h"
#include "maint/Settings.h"
#include "platform/Folders.h"
#include "present/TemplateTransform.h"
#include "support/TempFolder.h"
#include "ui/BrowserPane.h"
#include "ui/MovieListModel.h"
#include "ui/MovieListView.h"
#include "ui/ResScheme.h"

namespace reelkeep::test {

namespace {

// Enough movies that making the page of all of them takes a while on any machine.
constexpr int kMovies = 30000;

// The longest the window's thread went without running a 10 ms timer: whether the window
// answered. A window that waits on its work goes seconds without.
class TickGaps {
public:
    TickGaps() {
        QObject::connect(&ticks_, &QTimer::timeout, [this] {
            longest_ = std::max(longest_, sinceTick_.restart());
        });
        sinceTick_.start();
        ticks_.start(10);
    }
    qint64 Longest() const { return std::max(longest_, sinceTick_.elapsed()); }

private:
    QTimer ticks_;
    QElapsedTimer sinceTick_;
    qint64 longest_ = 0;
};

constexpr qint64 kAnswering = 2000;

QMenu* MenuTitled(MainFrame& frame, const char* title) {
    for (QAction* action : frame.menuBar()->actions()) {
        if (action->menu() && action->text() == QLatin1String(title))
            return action->menu();
    }
    return nullptr;
}

int RowsOnPage(BrowserPane& pane) {
    return RunPageScript(pane, "document.querySelectorAll('tbody tr').length").toInt();
}

// Movie elements of an exported XML file.
int MoviesInFile(const std::string& path) {
    xmlDoc* document = xmlReadFile(path.c_str(), nullptr, XML_PARSE_NONET | XML_PARSE_HUGE);
    if (!document)
        return -1;
    xmlXPathContext* context = xmlXPathNewContext(document);
    xmlXPathObject* count =
        xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>("count(/Reelkeep/Movie)"), context);
    const int movies = count ? static_cast<int>(count->floatval) : -1;
    xmlXPathFreeObject(count);
    xmlXPathFreeContext(context);
    xmlFreeDoc(document);
    return movies;
}

}  // namespace

class LargeSelectionTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        // Movies as a catalog holds them after a few script runs: a plot, people, files.
        const std::string file = CatalogFilePath(DefaultCatalogFolder());
        SeedDefaultCatalog({});
        CatalogDatabase database(file);
        database.Open(CatalogDatabase::Access::ReadWrite);
        char title[32];
        for (int i = 1; i <= kMovies; ++i) {
            std::snprintf(title, sizeof title, "Movie %05d", i);
            Movie movie;
            movie.szTitle = title;
            movie.nYear = 1930 + i % 90;
            movie.fRating = static_cast<float>(i % 100) / 10.0f;
            movie.bWatched = i % 2 == 0;
            movie.szPlot = std::string(200, 'p');
            movie.pszActors = {"First Actor", "Second Actor", "Third Actor", "Fourth Actor"};
            movie.pszDirectors = {"A Director"};
            movie.pszCategories = {"Drama", "Comedy"};
            movie.pszFilenames = {std::string(title) + ".avi"};
            movie.pnSizes = {700000000};
            database.Insert(movie);
        }
        Movie zebra;
        zebra.szTitle = "Zebra crossing";
        database.Insert(zebra);
        database.Close();
    }
    void cleanup() {
        CancelPendingAnswers();
        frame_.reset();
    }

    void theWindowAnswersWhileEveryMovieRendersAndShowsTheNewestSelection() {
        frame_ = OpenFrame();
        QStringList shown;
        connect(frame_->Pane(), &QWebEngineView::loadFinished, this,
                [&](bool) { shown << frame_->Pane()->title(); });
        const TickGaps gaps;
        QTest::keyClick(frame_->List(), Qt::Key_A, Qt::ControlModifier);
        QVERIFY(WaitUntil([&] { return frame_->RenderPending(); }));
        QVERIFY(QGuiApplication::overrideCursor());
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);

        // While the page of every movie is being made, the menus open with their states and
        // their commands run.
        QMenu* viewMenu = MenuTitled(*frame_, "&View");
        QVERIFY(viewMenu);
        viewMenu->popup(frame_->mapToGlobal(QPoint(40, 40)));
        QVERIFY(QTest::qWaitForWindowExposed(viewMenu));
        QVERIFY(frame_->Action(ID_MOVIE_DELETE)->isEnabled());
        viewMenu->close();
        frame_->Action(ID_VIEW_STATUS_BAR)->trigger();
        QVERIFY(frame_->statusBar()->isHidden());
        frame_->Action(ID_VIEW_STATUS_BAR)->trigger();
        QVERIFY(!frame_->statusBar()->isHidden());
        QVERIFY(frame_->RenderPending());

        // Then another movie, and a search.
        const int refreshes = frame_->RefreshCount();
        frame_->List()->SelectAndFocus(5);
        QVERIFY(WaitUntil([&] { return frame_->RefreshCount() > refreshes; }));
        QTest::keyClicks(frame_->SearchBox(), "zeb");
        QCOMPARE(SelectedTitles(*frame_), QStringList{"Zebra crossing"});

        QCOMPARE(PageTitle(*frame_->Pane()), QStringLiteral("Zebra crossing"));
        QVERIFY2(gaps.Longest() < kAnswering, qPrintable(QString::number(gaps.Longest())));
        // The pages no longer wanted never showed.
        QVERIFY2(!shown.contains(QStringLiteral("%1 movies").arg(kMovies + 1)),
                 qPrintable(shown.join(", ")));
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void theMultiplePageListsAFirstBlockAndItsLinkListsTheRest() {
        frame_ = OpenFrame();
        const TickGaps gaps;
        frame_->Action(ID_EDIT_SELECT_ALL)->trigger();
        QCOMPARE(PageTitle(*frame_->Pane()), QStringLiteral("%1 movies").arg(kMovies + 1));
        QVERIFY2(gaps.Longest() < kAnswering, qPrintable(QString::number(gaps.Longest())));
        QCOMPARE(RowsOnPage(*frame_->Pane()), int(MainFrame::kFirstRows));
        QCOMPARE(RunPageScript(*frame_->Pane(), "document.querySelector('.more').textContent")
                     .toString()
                     .simplified(),
                 QStringLiteral("%1 more movies are not listed. List all %2 movies")
                     .arg(kMovies + 1 - int(MainFrame::kFirstRows))
                     .arg(kMovies + 1));

        // Fifteen hundred movies: the link lists them all, and the pane stays the program's.
        SelectRows(*frame_, {});
        QItemSelectionModel* selection = frame_->List()->selectionModel();
        selection->select(QItemSelection(frame_->Model()->index(0, 0),
                                         frame_->Model()->index(1499, 0)),
                          QItemSelectionModel::Select);
        QCOMPARE(PageTitle(*frame_->Pane()), QStringLiteral("1500 movies"));
        QCOMPARE(RowsOnPage(*frame_->Pane()), int(MainFrame::kFirstRows));
        const int refreshes = frame_->RefreshCount();
        RunPageScript(*frame_->Pane(), "document.getElementById('all-rows').click()");
        QVERIFY(WaitUntil([&] { return frame_->RefreshCount() > refreshes; }));
        QCOMPARE(PageTitle(*frame_->Pane()), QStringLiteral("1500 movies"));
        QCOMPARE(frame_->Pane()->url().scheme(), QStringLiteral("rkpage"));
        QCOMPARE(RowsOnPage(*frame_->Pane()), 1500);
        QCOMPARE(RunPageScript(*frame_->Pane(), "document.querySelectorAll('.more').length").toInt(),
                 0);

        // The next selection lists its first block again.
        selection->select(frame_->Model()->index(1500, 0), QItemSelectionModel::Select);
        QCOMPARE(PageTitle(*frame_->Pane()), QStringLiteral("1501 movies"));
        QCOMPARE(RowsOnPage(*frame_->Pane()), int(MainFrame::kFirstRows));
    }

    void exportAndDeleteOfEveryMovieLeaveTheWindowAnswering() {
        frame_ = OpenFrame();
        frame_->Action(ID_EDIT_SELECT_ALL)->trigger();
        WaitForIdle();
        TempFolder scripts;
        WriteFileBytes(scripts / "Mark.rks", "szTitle += ' (marked)';");
        frame_->UseScriptsFolder(scripts.Path());
        // A step Undo could take back, offered while the list has the focus.
        {
            CatalogDatabase database(frame_->CatalogFile());
            database.Open(CatalogDatabase::Access::ReadWrite);
            Movie movie;
            QVERIFY(database.Fetch(frame_->Model()->Oid(0), movie));
            movie.szPlot = "Changed before the export";
            database.Update(frame_->Model()->Oid(0), movie);
        }
        frame_->List()->setFocus();
        frame_->UpdateCommandStates();
        QVERIFY(frame_->Action(ID_EDIT_UNDO)->isEnabled());
        // What the window looks like while the work runs, seen from its own event loop: the
        // commands that change the catalog are grayed, the scripts in both menus and Undo too.
        bool sawOperation = false;
        bool deleteGrayed = true;
        bool scriptsGrayed = true;
        bool undoGrayed = true;
        QTimer probe;
        connect(&probe, &QTimer::timeout, this, [&] {
            if (!frame_->OperationRunning())
                return;
            sawOperation = true;
            deleteGrayed = deleteGrayed && !frame_->Action(ID_MOVIE_DELETE)->isEnabled();
            undoGrayed = undoGrayed && !frame_->Action(ID_EDIT_UNDO)->isEnabled() &&
                         !frame_->Action(ID_EDIT_REDO)->isEnabled();
            const std::unique_ptr<QMenu> context = frame_->BuildListContextMenu();
            QAction* scriptsEntry = context->actions().value(0);
            scriptsGrayed = scriptsGrayed && scriptsEntry && scriptsEntry->menu() &&
                            !scriptsEntry->isEnabled();
            for (QAction* script : frame_->ScriptsMenu()->actions())
                scriptsGrayed = scriptsGrayed && !script->isEnabled();
        });
        probe.start(5);

        TempFolder folder;
        const QString exported = QString::fromStdString(folder / "all.xml");
        WhenModalShows([exported](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            auto* name = dialog ? dialog->findChild<QLineEdit*>("fileNameEdit") : nullptr;
            if (!name)
                return;
            name->setText(exported);
            QTest::keyClick(name, Qt::Key_Return);
        });
        TickGaps exportGaps;
        frame_->Action(ID_EXPORT_XML)->trigger();
        QVERIFY2(exportGaps.Longest() < kAnswering,
                 qPrintable(QString::number(exportGaps.Longest())));
        QCOMPARE(MoviesInFile(exported.toStdString()), kMovies + 1);

        const auto asked = AnswerNextBox(true);
        TickGaps deleteGaps;
        frame_->Action(ID_MOVIE_DELETE)->trigger();
        QVERIFY(asked->shown);
        QVERIFY2(deleteGaps.Longest() < kAnswering,
                 qPrintable(QString::number(deleteGaps.Longest())));
        QCOMPARE(frame_->Model()->rowCount(), 0);
        QCOMPARE(LoadMovieList(CatalogFilePath(DefaultCatalogFolder())).size(), 0u);
        QVERIFY(sawOperation);
        QVERIFY(deleteGrayed);
        QVERIFY(scriptsGrayed);
        QVERIFY(undoGrayed);
        QVERIFY(!frame_->OperationRunning());
        QVERIFY(frame_->Action(ID_SORT_TITLE)->isEnabled());
        QVERIFY(!QGuiApplication::overrideCursor());
    }

private:
    std::unique_ptr<MainFrame> frame_;
};

}  // namespace reelkeep::test

REELKEEP_GUI_TEST_MAIN(reelkeep::test::LargeSelectionTest)
#include "LargeSelectionTest.moc"
