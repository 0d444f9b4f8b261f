// The main window's frame and commands: what is built, the prompts and keys, the enabling
// rules at idle time and the list's context menu.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrinter>
#include <QSignalSpy>
#include <QSplitter>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include "GuiTestSupport.h"
#include "app/MainFrame.h"
#include "catalog/CatalogPaths.h"
#include "support/TempFolder.h"
#include "ui/BrowserPane.h"
#include "ui/MovieListModel.h"
#include "ui/MovieListView.h"
#include "ui/PaneScheme.h"
#include "ui/ResScheme.h"

namespace reelkeep::test {

namespace {

QStringList Texts(const QList<QAction*>& actions) {
    QStringList texts;
    for (const QAction* action : actions) {
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    return texts;
}

QMenu* TopMenu(const MainFrame& frame, const QString& title) {
    for (QAction* action : frame.menuBar()->actions()) {
        if (action->text() == title)
            return action->menu();
    }
    return nullptr;
}

}  // namespace

class MainFrameTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        SeedDefaultCatalog(
            {{"Alien", 1979, 8.5f, true}, {"Brazil", 1985, 7.9f}, {"Casablanca", 1942}});
        frame_ = OpenFrame();
    }
    void cleanup() {
        CancelPendingAnswers();
        frame_.reset();
    }

    void buildsMenusInTheirOrderWithMnemonics() {
        QCOMPARE(Texts(frame_->menuBar()->actions()),
                 QStringList({"&File", "&Edit", "Movie", "&Scripts", "&View", "&Help"}));
        QCOMPARE(Texts(TopMenu(*frame_, "&File")->actions()),
                 QStringList({"&New\tCtrl+N", "&Open...\tCtrl+O", "-", "&Print...\tCtrl+P",
                              "Print Pre&view", "P&age Setup...", "-", "P&references...", "-",
                              "E&xit", "&Export"}));
        QMenu* exportMenu = TopMenu(*frame_, "&File")->actions().last()->menu();
        QCOMPARE(Texts(exportMenu->actions()), QStringList({"&XML...", "&HTML..."}));
        QCOMPARE(
            Texts(TopMenu(*frame_, "&Edit")->actions()),
            QStringList({"&Undo\tCtrl+Z", "-", "Cu&t\tCtrl+X", "&Copy\tCtrl+C", "&Paste\tCtrl+V"}));
        QCOMPARE(Texts(TopMenu(*frame_, "Movie")->actions()),
                 QStringList({"&New...", "&Delete", "-", "&Update...", "-", "&Edit Mode"}));
        QCOMPARE(Texts(TopMenu(*frame_, "&Scripts")->actions()), QStringList({"Empty"}));
        QVERIFY(!TopMenu(*frame_, "&Scripts")->actions().front()->isEnabled());
        QMenu* view = TopMenu(*frame_, "&View");
        QCOMPARE(Texts(view->actions()), QStringList({"&Toolbar", "&Status Bar", "-", "S&ort by"}));
        QCOMPARE(Texts(view->actions().last()->menu()->actions()),
                 QStringList({"&Title", "&Year", "&Rating", "&Index"}));
        QCOMPARE(Texts(TopMenu(*frame_, "&Help")->actions()),
                 QStringList({"&Help", "-", "&About Reelkeep..."}));
    }

    void buildsToolbarSearchBarStatusBarAndSplitter() {
        QCOMPARE(Texts(frame_->MainToolBar()->actions()),
                 QStringList({"&New...", "&Edit Mode", "-", "Cu&t\tCtrl+X", "&Copy\tCtrl+C",
                              "&Paste\tCtrl+V", "-", "P&references...", "-", "&Print...\tCtrl+P",
                              "&Help"}));
        for (QAction* action : frame_->MainToolBar()->actions()) {
            QVERIFY(action->isSeparator() || !action->icon().isNull());
        }
        auto* searchBar = frame_->findChild<QToolBar*>("searchBar");
        QVERIFY(searchBar);
        QCOMPARE(frame_->toolBarArea(searchBar), Qt::TopToolBarArea);
        QVERIFY(frame_->toolBarBreak(searchBar));
        QVERIFY(searchBar->findChild<QLabel*>()->text() == "Search");
        QCOMPARE(frame_->statusBar()->currentMessage(), QString("Ready"));

        const QList<int> sizes = frame_->Splitter()->sizes();
        QCOMPARE(sizes.size(), 2);
        QVERIFY(qAbs(sizes[0] * 2 - sizes[1]) <= 4);
        QCOMPARE(frame_->Splitter()->widget(0), frame_->List());
        QCOMPARE(frame_->Splitter()->widget(1), frame_->Pane());
        QCOMPARE(frame_->CatalogFolder(), DefaultCatalogFolder());
        QCOMPARE(frame_->List()->width(), frame_->Splitter()->sizes()[0]);
    }

    void everyCommandHasItsPromptTooltipAndKey() {
        const struct {
            CommandId id;
            const char* status;
            const char* tip;
        } prompts[] = {
            {ID_FILE_NEW, "Create a new catalog", "New"},
            {ID_FILE_PRINT, "Print the active document", "Print"},
            {ID_APP_EXIT, "Quit the application; prompts to save documents", "Exit"},
            {ID_EDIT_CUT, "Cut the selection and put it on the Clipboard", "Cut"},
            {ID_MOVIE_DELETE, "Delete selected movie(s)", "Delete Movie(s)"},
            {ID_MOVIE_UPDATE, "Update movie details from an external file", "Update Movie"},
            {ID_VIEW_TOOLBAR, "Show or hide the toolbar", "Toggle ToolBar"},
            {ID_SORT_INDEX, "Sort by index", "Sort Index"},
            {ID_APP_ABOUT, "Display program information, version number and copyright", "About"},
        };
        for (const auto& prompt : prompts) {
            QCOMPARE(frame_->Action(prompt.id)->statusTip(), QString(prompt.status));
            QCOMPARE(frame_->Action(prompt.id)->toolTip(), QString(prompt.tip));
        }
        const struct {
            CommandId id;
            const char* keys;
        } keys[] = {{ID_EDIT_SELECT_ALL, "Ctrl+A"}, {ID_FILE_NEW, "Ctrl+N"},
                    {ID_FILE_OPEN, "Ctrl+O"},       {ID_FILE_PRINT, "Ctrl+P"},
                    {ID_FILE_SAVE, "Ctrl+S"},       {ID_HELP_CONTENTS, "F1"}};
        for (const auto& key : keys) {
            QCOMPARE(frame_->Action(key.id)->shortcut(), QKeySequence(key.keys));
        }
        QVERIFY(frame_->Action(ID_EDIT_COPY)->shortcut().isEmpty());
    }

    void enablingRulesFollowTheSelection() {
        const auto enabled = [this](CommandId id) { return frame_->Action(id)->isEnabled(); };
        SelectRows(*frame_, {});
        QVERIFY(!enabled(ID_MOVIE_DELETE) && !enabled(ID_MOVIE_UPDATE));
        QVERIFY(!enabled(ID_EXPORT_XML) && !enabled(ID_EXPORT_HTML));
        QVERIFY(enabled(ID_MOVIE_NEW) && enabled(ID_FILE_NEW) && enabled(ID_APP_ABOUT));

        SelectRows(*frame_, {1});
        QVERIFY(enabled(ID_MOVIE_DELETE) && enabled(ID_MOVIE_UPDATE));
        QVERIFY(enabled(ID_EXPORT_XML) && enabled(ID_EXPORT_HTML));

        SelectRows(*frame_, {0, 2});
        QVERIFY(enabled(ID_MOVIE_DELETE) && !enabled(ID_MOVIE_UPDATE));
        QVERIFY(enabled(ID_EXPORT_XML));

        // The Delete key with nothing selected asks nothing and removes nothing.
        SelectRows(*frame_, {});
        frame_->List()->setFocus();
        QTest::keyClick(frame_->List(), Qt::Key_Delete);
        QCOMPARE(frame_->Model()->rowCount(), 3);
    }

    void clipboardCommandsAreOffWhileTheListHasTheFocus() {
        frame_->List()->setFocus();
        WaitForIdle();
        QTRY_VERIFY(frame_->List()->hasFocus());
        for (CommandId id : {ID_EDIT_UNDO, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE}) {
            QVERIFY2(!frame_->Action(id)->isEnabled(), qPrintable(frame_->Action(id)->text()));
        }
        // A page with selected text in a field: the pane's own commands come alive once the
        // pane has the focus.
        QSignalSpy loaded(frame_->Pane(), &QWebEngineView::loadFinished);
        frame_->Pane()->setHtml("<input id=f value='some text'>");
        QVERIFY(loaded.wait(10000));
        frame_->Pane()->setFocus();
        frame_->Pane()->page()->runJavaScript("document.getElementById('f').select();");
        QTRY_VERIFY(frame_->Pane()->HasFocusInside());
        QTRY_VERIFY_WITH_TIMEOUT(frame_->Action(ID_EDIT_COPY)->isEnabled(), 10000);
        QVERIFY(frame_->Action(ID_EDIT_CUT)->isEnabled());
        frame_->List()->setFocus();
        QTRY_VERIFY(!frame_->Action(ID_EDIT_COPY)->isEnabled());
    }

    void contextMenuDependsOnTheSelection() {
        const auto contextTexts = [this] {
            std::unique_ptr<QMenu> menu = frame_->BuildListContextMenu();
            return Texts(menu->actions());
        };
        SelectRows(*frame_, {});
        QCOMPARE(contextTexts(), QStringList({"&Title", "&Year", "&Rating", "&Index"}));
        SelectRows(*frame_, {0});
        QCOMPARE(contextTexts(), QStringList({"&Scripts", "-", "&Update...", "-", "&Title", "&Year",
                                              "&Rating", "&Index"}));
        {
            std::unique_ptr<QMenu> menu = frame_->BuildListContextMenu();
            QVERIFY(frame_->Action(ID_MOVIE_UPDATE)->isEnabled());
            QCOMPARE(Texts(menu->actions().front()->menu()->actions()), QStringList({"Empty"}));
        }
        SelectRows(*frame_, {0, 1});
        QCOMPARE(contextTexts(),
                 QStringList({"&Scripts", "-", "&Title", "&Year", "&Rating", "&Index"}));
    }

    void rightClickOpensTheContextMenuAndItsSortItemsWork() {
        SelectRows(*frame_, {});
        QStringList shown;
        QTimer::singleShot(0, this, [&] {
            QTRY_VERIFY(QApplication::activePopupWidget());
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(menu);
            shown = Texts(menu->actions());
            menu->actions().at(1)->trigger();  // Year
            menu->close();
        });
        emit frame_->List()->customContextMenuRequested(QPoint(5, 5));
        QCOMPARE(shown, QStringList({"&Title", "&Year", "&Rating", "&Index"}));
        QCOMPARE(ListTitles(*frame_), QStringList({"Brazil", "Alien", "Casablanca"}));
    }

    void saveKeyDoesNothingAndF1ShowsTheHelpPage() {
        const QStringList before = ListTitles(*frame_);
        QTest::keyClick(frame_.get(), Qt::Key_S, Qt::ControlModifier);
        WaitForIdle();
        QCOMPARE(ListTitles(*frame_), before);

        QTest::keyClick(frame_.get(), Qt::Key_F1);
        QTRY_COMPARE(frame_->Pane()->url(), ResourceUrl(kHelpResource));
        QTRY_COMPARE_WITH_TIMEOUT(frame_->Pane()->title(), QString("Reelkeep Documentation"),
                                  10000);
        // The next selection change replaces the help page.
        SelectRows(*frame_, {0});
        QTRY_COMPARE(frame_->Pane()->url().scheme(), QString(kPaneScheme));
    }

    void toolbarAndStatusBarToggleWithTheirChecks() {
        QVERIFY(frame_->Action(ID_VIEW_TOOLBAR)->isChecked());
        frame_->Action(ID_VIEW_TOOLBAR)->trigger();
        QVERIFY(frame_->MainToolBar()->isHidden());
        QVERIFY(!frame_->Action(ID_VIEW_TOOLBAR)->isChecked());
        QVERIFY(frame_->findChild<QToolBar*>("searchBar")->isVisible());
        frame_->Action(ID_VIEW_TOOLBAR)->trigger();
        QVERIFY(frame_->MainToolBar()->isVisible());

        frame_->Action(ID_VIEW_STATUS_BAR)->trigger();
        QVERIFY(frame_->statusBar()->isHidden());
        QVERIFY(!frame_->Action(ID_VIEW_STATUS_BAR)->isChecked());
        frame_->Action(ID_VIEW_STATUS_BAR)->trigger();
        QVERIFY(frame_->statusBar()->isVisible());
    }

    void editModeTogglesItsCheckAndRefreshesOnce() {
        SelectRows(*frame_, {0});
        const int refreshes = frame_->RefreshCount();
        frame_->Action(ID_MOVIE_EDITMODE)->trigger();
        WaitForIdle();
        QVERIFY(frame_->EditMode());
        QVERIFY(frame_->Action(ID_MOVIE_EDITMODE)->isChecked());
        QCOMPARE(frame_->RefreshCount(), refreshes + 1);
        frame_->Action(ID_MOVIE_EDITMODE)->trigger();
        WaitForIdle();
        QVERIFY(!frame_->EditMode());
        QVERIFY(!frame_->Action(ID_MOVIE_EDITMODE)->isChecked());
    }

    void aboutShowsTheVersionLine() {
        QString line;
        WhenModalShows([&](QWidget* dialog) {
            auto* version = dialog->findChild<QLabel*>("versionLine");
            if (version)
                line = version->text();
            dialog->close();
        });
        frame_->Action(ID_APP_ABOUT)->trigger();
        QVERIFY(line.startsWith("Reelkeep"));
        QVERIFY(line.endsWith(REELKEEP_VERSION_TEXT));
    }

    void printWritesTheShownPage() {
        frame_->Action(ID_HELP_CONTENTS)->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(frame_->Pane()->title(), QString("Reelkeep Documentation"),
                                  10000);
        TempFolder out;
        const QString pdf = QString::fromStdString(out / "help.pdf");
        WhenModalShows([pdf](QWidget* modal) {
            auto* dialog = qobject_cast<QPrintDialog*>(modal);
            if (!dialog)
                return;
            dialog->printer()->setOutputFormat(QPrinter::PdfFormat);
            dialog->printer()->setOutputFileName(pdf);
            dialog->done(QDialog::Accepted);
        });
        QSignalSpy finished(frame_->Pane(), &QWebEngineView::printFinished);
        frame_->Action(ID_FILE_PRINT)->trigger();
        QVERIFY(finished.wait(20000));
        QVERIFY(finished.front().front().toBool());
        QVERIFY(ReadFileBytes(out / "help.pdf").starts_with("%PDF"));
        WaitForIdle();
        QVERIFY(frame_->Action(ID_FILE_PRINT)->isEnabled());
    }

    // Pictures of the window for people to look at, in the build folder's "screenshots".
    void savesScreenshotsOfTheWindow() {
        const QString folder = QCoreApplication::applicationDirPath() + "/../screenshots";
        QVERIFY(QDir().mkpath(folder));
        SelectRows(*frame_, {1});
        frame_->Action(ID_HELP_CONTENTS)->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(frame_->Pane()->title(), QString("Reelkeep Documentation"),
                                  10000);
        // The page is painted a moment after it reports loaded: wait for its heading's ink.
        const auto paneHasInk = [this] {
            const QImage pane = frame_->Pane()->grab().toImage();
            for (int y = 0; y < pane.height(); y += 2) {
                for (int x = 0; x < pane.width(); x += 2) {
                    if (qGray(pane.pixel(x, y)) < 128)
                        return true;
                }
            }
            return false;
        };
        QTRY_VERIFY_WITH_TIMEOUT(paneHasInk(), 10000);
        const QImage shot = frame_->grab().toImage();
        QVERIFY(!shot.isNull());
        QVERIFY(shot.save(folder + "/main-window-help.png"));

        const auto grabDialog = [folder](const QString& name, auto prepare) {
            auto saved = std::make_shared<bool>(false);
            WhenModalShows([saved, folder, name, prepare](QWidget* dialog) {
                prepare(dialog);
                *saved = dialog->grab().save(folder + "/" + name);
                dialog->close();
            });
            return saved;
        };
        const auto aboutSaved = grabDialog("about.png", [](QWidget*) {});
        frame_->Action(ID_APP_ABOUT)->trigger();
        QVERIFY(*aboutSaved);
        const auto titleSaved = grabDialog("new-movie.png", [](QWidget* dialog) {
            QTest::keyClicks(dialog->findChild<QLineEdit*>("titleInput"), "The Third Man");
        });
        frame_->Action(ID_MOVIE_NEW)->trigger();
        QVERIFY(*titleSaved);
    }

    void exitClosesTheWindow() {
        bool closed = false;
        connect(frame_.get(), &MainFrame::Closed, this, [&] { closed = true; });
        frame_->Action(ID_APP_EXIT)->trigger();
        QVERIFY(closed);
        QVERIFY(!frame_->isVisible());
    }

private:
    std::unique_ptr<MainFrame> frame_;
};

}  // namespace reelkeep::test

REELKEEP_GUI_TEST_MAIN(reelkeep::test::MainFrameTest)
#include "MainFrameTest.moc"
