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
#include "catalog/CatalogHistory.h"
#include "catalog/CatalogOperations.h"
#include "catalog/CatalogPaths.h"
#include "support/TempFolder.h"
#include "ui/BrowserPane.h"
#include "ui/MovieListModel.h"
#include "ui/MovieListView.h"
#include "ui/PaneScheme.h"
#include "ui/Prompts.h"
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

// The menu of the menu bar, or one of its submenus, that lists the action.
QMenu* MenuHolding(const MainFrame& frame, const QAction* action) {
    for (QMenu* menu : frame.menuBar()->findChildren<QMenu*>()) {
        if (menu->actions().contains(const_cast<QAction*>(action)))
            return menu;
    }
    return nullptr;
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
                 QStringList({"&New\tCtrl+N", "&Open...\tCtrl+O", "&Import...", "-", "&Print...\tCtrl+P",
                              "Print Pre&view", "P&age Setup...", "-", "P&references...", "-",
                              "E&xit", "&Export"}));
        QMenu* exportMenu = TopMenu(*frame_, "&File")->actions().last()->menu();
        QCOMPARE(Texts(exportMenu->actions()), QStringList({"&XML...", "&HTML...", "&CSV..."}));
        QCOMPARE(
            Texts(TopMenu(*frame_, "&Edit")->actions()),
            QStringList({"&Undo\tCtrl+Z", "&Redo\tCtrl+Shift+Z", "-", "Cu&t\tCtrl+X", "&Copy\tCtrl+C",
                         "&Paste\tCtrl+V"}));
        QCOMPARE(Texts(TopMenu(*frame_, "Movie")->actions()),
                 QStringList({"&New...", "&Delete", "-", "&Update...", "-", "&Edit Mode"}));
        QCOMPARE(Texts(TopMenu(*frame_, "&Scripts")->actions()), QStringList({"Empty"}));
        QVERIFY(!TopMenu(*frame_, "&Scripts")->actions().front()->isEnabled());
        QMenu* view = TopMenu(*frame_, "&View");
        QCOMPARE(Texts(view->actions()),
                 QStringList({"&Toolbar", "&Status Bar", "-", "S&ort by", "-", "Stat&istics"}));
        QCOMPARE(Texts(view->actions().at(3)->menu()->actions()),
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

    // Every command of the window in one table: its menu text, the prompt that the status bar
    // shows while the item is highlighted, the tooltip, the key, whether its picture shows in
    // the menus, and when it is enabled with the list holding the focus.
    void everyCommandHasItsPromptKeyPictureAndEnablingRule() {
        // History: in the list, while the catalog has a step to take back (or to make again).
        enum class Enabled { Always, Never, AnySelected, OneSelected, BrowserFocused, History };
        const struct Row {
            CommandId id;
            const char* text;  // nullptr: in no menu
            const char* status;
            const char* tip;
            const char* key;
            bool picture;  // a toolbar button or a menu image of its own
            Enabled enabled;
        } table[] = {
            {ID_FILE_NEW, "&New\tCtrl+N", "Create a new catalog", "New", "Ctrl+N", true,
             Enabled::Always},
            {ID_FILE_OPEN, "&Open...\tCtrl+O", "Open an existing catalog", "Open", "Ctrl+O",
             true, Enabled::Always},
            {ID_FILE_IMPORT, "&Import...", "Import movies from a list, a spreadsheet or another catalog",
             "Import", "", false, Enabled::Always},
            {ID_FILE_SAVE, nullptr, "", "", "Ctrl+S", false, Enabled::Always},
            {ID_FILE_PAGE_SETUP, "P&age Setup...", "Change the printing options", "Page Setup",
             "", false, Enabled::Always},
            {ID_FILE_PRINT, "&Print...\tCtrl+P", "Print the active document", "Print", "Ctrl+P",
             true, Enabled::Always},
            {ID_FILE_PRINT_PREVIEW, "Print Pre&view", "Display full pages", "Print Preview", "",
             false, Enabled::Always},
            {ID_FILE_PREFERENCES, "P&references...", "Open preferences dialog", "Preferences", "",
             true, Enabled::Always},
            {ID_APP_EXIT, "E&xit", "Quit the application; prompts to save documents", "Exit", "",
             false, Enabled::Always},
            {ID_EXPORT_XML, "&XML...", "Export catalog as an xml file", "Export XML", "", false,
             Enabled::AnySelected},
            {ID_EXPORT_HTML, "&HTML...", "Export data as html file", "Export HTML", "", false,
             Enabled::AnySelected},
            {ID_EXPORT_CSV, "&CSV...", "Export data as a csv file for spreadsheets", "Export CSV", "",
             false, Enabled::AnySelected},
            {ID_EDIT_UNDO, "&Undo\tCtrl+Z", "Undo the last action", "Undo", "", false,
             Enabled::History},
            {ID_EDIT_REDO, "&Redo\tCtrl+Shift+Z", "Redo the previously undone action", "Redo", "", false,
             Enabled::History},
            {ID_EDIT_CUT, "Cu&t\tCtrl+X", "Cut the selection and put it on the Clipboard", "Cut",
             "", true, Enabled::BrowserFocused},
            {ID_EDIT_COPY, "&Copy\tCtrl+C", "Copy the selection and put it on the Clipboard",
             "Copy", "", true, Enabled::BrowserFocused},
            {ID_EDIT_PASTE, "&Paste\tCtrl+V", "Insert Clipboard contents", "Paste", "", true,
             Enabled::BrowserFocused},
            {ID_EDIT_SELECT_ALL, nullptr, "Select the entire document", "Select All", "Ctrl+A",
             false, Enabled::Always},
            {ID_MOVIE_NEW, "&New...", "Insert a new movie into catalog", "New Movie", "", true,
             Enabled::Always},
            {ID_MOVIE_DELETE, "&Delete", "Delete selected movie(s)", "Delete Movie(s)", "", true,
             Enabled::AnySelected},
            {ID_MOVIE_UPDATE, "&Update...", "Update movie details from an external file",
             "Update Movie", "", false, Enabled::OneSelected},
            {ID_MOVIE_EDITMODE, "&Edit Mode", "Toggle edit mode", "Edit Mode", "", true,
             Enabled::Always},
            {ID_SCRIPTS_EMPTY, "Empty", "", "", "", false, Enabled::Never},
            {ID_VIEW_TOOLBAR, "&Toolbar", "Show or hide the toolbar", "Toggle ToolBar", "", false,
             Enabled::Always},
            {ID_VIEW_STATUS_BAR, "&Status Bar", "Show or hide the status bar", "Toggle StatusBar",
             "", false, Enabled::Always},
            {ID_VIEW_STATISTICS, "Stat&istics",
             "Show the figures and charts of the catalog, or of the movies the Filter shows",
             "Statistics", "", false, Enabled::Always},
            {ID_SORT_TITLE, "&Title", "Sort by title", "Sort Title", "", false, Enabled::Always},
            {ID_SORT_YEAR, "&Year", "Sort by year", "Sort Year", "", false, Enabled::Always},
            {ID_SORT_RATING, "&Rating", "Sort by rating", "Sort Rating", "", false,
             Enabled::Always},
            {ID_SORT_INDEX, "&Index", "Sort by index", "Sort Index", "", false, Enabled::Always},
            {ID_HELP_CONTENTS, "&Help", "Show the help window", "Help", "F1", true,
             Enabled::Always},
            {ID_APP_ABOUT, "&About Reelkeep...",
             "Display program information, version number and copyright", "About", "", true,
             Enabled::Always},
        };
        QCOMPARE(std::size(table), CommandTable().size());
        SelectRows(*frame_, {1});  // most commands enabled

        for (const Row& row : table) {
            QAction* action = frame_->Action(row.id);
            QVERIFY(action);
            const QByteArray name = action->objectName().toLatin1();
            if (*row.tip)
                QCOMPARE(action->toolTip(), QString(row.tip));
            else
                QVERIFY2(action->statusTip().isEmpty(), name);
            QCOMPARE(action->shortcut(), QKeySequence(QString(row.key)));
            // The picture shows in the menu exactly for the commands that have one.
            QVERIFY2(action->isIconVisibleInMenu() == row.picture, name);
            QVERIFY2(!row.picture || !action->icon().isNull(), name);
            if (!row.text) {
                QCOMPARE(action->statusTip(), QString(row.status));
                continue;
            }
            QCOMPARE(action->text(), QString(row.text));
            // Highlighting the item in its open menu puts its prompt in the status bar; an
            // item grayed at the moment cannot be highlighted, so only its prompt is read.
            QMenu* menu = MenuHolding(*frame_, action);
            QVERIFY2(menu, name);
            menu->popup(frame_->mapToGlobal(QPoint(40, 40)));
            QVERIFY(QTest::qWaitForWindowExposed(menu));
            if (!action->isEnabled()) {
                QCOMPARE(action->statusTip(), QString(row.status));
                menu->close();
                continue;
            }
            menu->setActiveAction(action);
            QCOMPARE(frame_->statusBar()->currentMessage(),
                     QString(*row.status ? row.status : "Ready"));
            menu->close();
            QTRY_COMPARE(frame_->statusBar()->currentMessage(), QString("Ready"));
        }

        // The toolbar's buttons are the commands with a picture, less the four menu images.
        for (QAction* action : frame_->MainToolBar()->actions()) {
            QVERIFY(action->isSeparator() || action->isIconVisibleInMenu());
        }

        frame_->List()->setFocus();
        QTRY_VERIFY(frame_->List()->hasFocus());
        for (const int count : {0, 1, 2}) {
            SelectRows(*frame_, count == 0 ? std::vector<int>{}
                                : count == 1 ? std::vector<int>{1}
                                             : std::vector<int>{0, 2});
            for (const Row& row : table) {
                bool expected = true;
                switch (row.enabled) {
                    case Enabled::Always:
                        break;
                    case Enabled::Never:
                    case Enabled::BrowserFocused:
                        expected = false;
                        break;
                    case Enabled::AnySelected:
                        expected = count > 0;
                        break;
                    case Enabled::OneSelected:
                        expected = count == 1;
                        break;
                    case Enabled::History: {
                        const PendingSteps pending = ReadPendingSteps(frame_->CatalogFile());
                        expected = row.id == ID_EDIT_UNDO ? pending.undo.has_value() : pending.redo.has_value();
                        break;
                    }
                }
                QVERIFY2(frame_->Action(row.id)->isEnabled() == expected,
                         qPrintable(QString("%1 with %2 selected")
                                        .arg(frame_->Action(row.id)->objectName())
                                        .arg(count)));
            }
        }

        // Each key reaches its command from the list.
        for (const Row& row : table) {
            if (!*row.key)
                continue;
            SelectRows(*frame_, {});
            frame_->activateWindow();  // the window's keys work while it is the active one
            QVERIFY(QTest::qWaitForWindowActive(frame_.get()));
            frame_->List()->setFocus();
            QSignalSpy triggered(frame_->Action(row.id), &QAction::triggered);
            if (row.id == ID_FILE_NEW || row.id == ID_FILE_OPEN)
                SetNextChosenFolder(std::nullopt);  // Cancel in the folder chooser
            if (row.id == ID_FILE_PRINT)
                WhenModalShows([](QWidget* modal) { modal->close(); });  // Cancel
            const QKeyCombination key = QKeySequence(QString(row.key))[0];
            QTest::keyClick(frame_->List(), key.key(), key.keyboardModifiers());
            CancelPendingAnswers();
            // The list takes Ctrl+A as its own Select All, to the same effect.
            if (row.id == ID_EDIT_SELECT_ALL)
                QCOMPARE(frame_->List()->SelectedCount(), 3);
            else
                QVERIFY2(triggered.count() == 1, row.key);
            if (row.id == ID_HELP_CONTENTS)
                QTRY_COMPARE(frame_->Pane()->url(), ResourceUrl(kHelpResource));
        }

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
        for (CommandId id : {ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE}) {
            QVERIFY2(!frame_->Action(id)->isEnabled(), qPrintable(frame_->Action(id)->text()));
        }
        // Undo is the catalog's there, and says which step it takes back.
        QVERIFY(!frame_->Action(ID_EDIT_UNDO)->isEnabled());
        AddMovieByTitle(frame_->CatalogFile(), "Zardoz");
        frame_->UpdateCommandStates();
        QCOMPARE(frame_->Action(ID_EDIT_UNDO)->text(), QString("&Undo New Movie \"Zardoz\"\tCtrl+Z"));
        QVERIFY(frame_->Action(ID_EDIT_UNDO)->isEnabled());
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
