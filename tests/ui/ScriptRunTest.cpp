// Scripts from the window: the Scripts menus, a run's progress dialog with its list, cancel
// and messages, and the dialogs of `user`, all through the real main window.
#include <sys/stat.h>

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "GuiTestSupport.h"
#include "ScriptedSteps.h"
#include "app/MainFrame.h"
#include "catalog/CatalogPaths.h"
#include "support/HttpTestServer.h"
#include "support/TempFolder.h"
#include "ui/MovieListModel.h"
#include "ui/MovieListView.h"
#include "ui/ResScheme.h"
#include "ui/ScreenText.h"
#include "ui/ScriptRunDialog.h"
#include "ui/SelectDialog.h"

namespace reelkeep::test {

namespace {

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

Movie StoredMovie(ObjectId oid) {
    CatalogDatabase database(CatalogFilePath(DefaultCatalogFolder()));
    database.Open(CatalogDatabase::Access::ReadOnly);
    Movie movie;
    database.Fetch(oid, movie);
    database.Close();
    return movie;
}

QStringList ActionTexts(const QMenu* menu) {
    QStringList texts;
    for (const QAction* action : menu->actions()) texts << action->text();
    return texts;
}

QAction* ActionNamed(const QMenu* menu, const QString& text) {
    for (QAction* action : menu->actions()) {
        if (action->text() == text)
            return action;
    }
    return nullptr;
}

// Opens the main Scripts menu the way a user does, with a click on the menu bar.
QMenu* OpenScriptsMenu(MainFrame& frame) {
    QMenuBar* bar = frame.menuBar();
    QTest::mouseClick(bar, Qt::LeftButton, {},
                      bar->actionGeometry(frame.ScriptsMenu()->menuAction()).center());
    if (!QTest::qWaitFor([&] { return frame.ScriptsMenu()->isVisible(); }))
        return nullptr;
    return frame.ScriptsMenu();
}

// The popup that a right-click on the list opens, read while it shows and then closed.
struct ContextMenuSeen {
    QStringList texts;
    bool scriptsEntryIsDefault = false;
    QString defaultScript;
};

ContextMenuSeen RightClickTheList(MainFrame& frame) {
    ContextMenuSeen seen;
    QTimer::singleShot(0, [&] {
        if (!QTest::qWaitFor([] { return QApplication::activePopupWidget() != nullptr; }))
            return;
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        for (const QAction* action : menu->actions()) seen.texts << action->text();
        QAction* first = menu->actions().front();
        seen.scriptsEntryIsDefault = first->menu() && menu->defaultAction() == first;
        if (first->menu() && first->menu()->defaultAction())
            seen.defaultScript = first->menu()->defaultAction()->text();
        menu->close();
    });
    QWidget* viewport = frame.List()->viewport();
    const QPoint at(5, 5);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
    QApplication::sendEvent(viewport, &event);
    return seen;
}

}  // namespace

class ScriptRunTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        oids_ = SeedDefaultCatalog(
            {{"Casablanca", 1942}, {"Alien", 1979, 8.5f, true}, {"Brazil", 1985}});
        scripts_ = std::make_unique<TempFolder>();
        ::mkdir((scripts_->Path() + "Include").c_str(), 0700);
        frame_ = OpenFrame();
        frame_->UseScriptsFolder(scripts_->Path());
    }
    void cleanup() {
        CancelPendingAnswers();
        frame_.reset();
        scripts_.reset();
    }

    void scriptsMenusListTheScriptFiles() {
        QCOMPARE(ActionTexts(frame_->ScriptsMenu()), QStringList({"Empty"}));
        QVERIFY(!frame_->ScriptsMenu()->actions().front()->isEnabled());

        WriteFile(scripts_->Path() + "Tidy.rks", "");
        WriteFile(scripts_->Path() + "Fetch.rks", "");
        WriteFile(scripts_->Path() + "notes.txt", "");
        ::mkdir((scripts_->Path() + "Folder.rks").c_str(), 0700);
        frame_->UseScriptsFolder(scripts_->Path());
        QCOMPARE(ActionTexts(frame_->ScriptsMenu()), QStringList({"Fetch", "Tidy"}));
        QCOMPARE(frame_->ScriptsMenu()->actions()[0]->data().toUInt(), 0xF000u);
        QCOMPARE(frame_->ScriptsMenu()->actions()[1]->data().toUInt(), 0xF001u);

        // A script added since: the context menu lists it at once, the main menu after a start.
        WriteFile(scripts_->Path() + "Bonus.rks", "");
        SelectRows(*frame_, {0});
        std::unique_ptr<QMenu> context = frame_->BuildListContextMenu();
        const QMenu* scripts = context->actions().front()->menu();
        QCOMPARE(ActionTexts(scripts), QStringList({"Bonus", "Fetch", "Tidy"}));
        QCOMPARE(scripts->actions()[2]->data().toUInt(), 0xF002u);
        QCOMPARE(ActionTexts(frame_->ScriptsMenu()), QStringList({"Fetch", "Tidy"}));
    }

    void theContextMenuRunsTheScriptItShowsAndMarksTheLastRun() {
        WriteFile(scripts_->Path() + "Mark.rks", "szTitle += ' (marked)';");
        WriteFile(scripts_->Path() + "Shout.rks", "szTitle += '!';");
        frame_->UseScriptsFolder(scripts_->Path());
        // Added after start: in the context menu it takes Mark's old position.
        WriteFile(scripts_->Path() + "Early.rks", "szTitle = 'wrong script';");

        const int alien = frame_->Model()->RowOf(oids_[1]);
        SelectRows(*frame_, {alien});
        std::unique_ptr<QMenu> context = frame_->BuildListContextMenu();
        QMenu* scripts = context->actions().front()->menu();
        QVERIFY(!scripts->defaultAction());
        ActionNamed(scripts, "Mark")->trigger();
        QCOMPARE(StoredMovie(oids_[1]).szTitle, std::string("Alien (marked)"));
        QCOMPARE(SelectedTitles(*frame_), QStringList({"Alien (marked)"}));

        context = frame_->BuildListContextMenu();
        scripts = context->actions().front()->menu();
        QVERIFY(scripts->defaultAction());
        QCOMPARE(scripts->defaultAction()->text(), QString("Mark"));
        QCOMPARE(frame_->LastScript(), 0xF001u);
    }

    void scriptItemsAreGrayedWithoutASelectionAndDoNothing() {
        WriteFile(scripts_->Path() + "Mark.rks", "szTitle += ' (marked)';");
        frame_->UseScriptsFolder(scripts_->Path());
        frame_->Action(ID_SORT_YEAR)->trigger();
        const QStringList order = ListTitles(*frame_);
        SelectRows(*frame_, {});
        frame_->Action(ID_MOVIE_EDITMODE)->trigger();
        QVERIFY(frame_->EditMode());

        QMenu* menu = OpenScriptsMenu(*frame_);
        QVERIFY(menu);
        QAction* mark = ActionNamed(menu, "Mark");
        QVERIFY(!mark->isEnabled());
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(mark).center());
        WaitForIdle();
        menu->close();
        QVERIFY(!frame_->findChild<CScriptRunDlg*>());
        QCOMPARE(frame_->LastScript(), 0u);
        QVERIFY(frame_->EditMode());
        QCOMPARE(ListTitles(*frame_), order);

        // With a movie selected the same item runs.
        SelectRows(*frame_, {frame_->Model()->RowOf(oids_[2])});
        menu = OpenScriptsMenu(*frame_);
        QVERIFY(menu);
        QVERIFY(mark->isEnabled());
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(mark).center());
        QTRY_COMPARE(StoredMovie(oids_[2]).szTitle, std::string("Brazil (marked)"));
        QTRY_COMPARE(frame_->LastScript(), 0xF000u);
    }

    void afterARunTheContextMenusScriptsEntryIsItsDefault() {
        WriteFile(scripts_->Path() + "Mark.rks", "szTitle += ' (marked)';");
        WriteFile(scripts_->Path() + "Shout.rks", "szTitle += '!';");
        frame_->UseScriptsFolder(scripts_->Path());
        SelectRows(*frame_, {frame_->Model()->RowOf(oids_[1])});
        ContextMenuSeen seen = RightClickTheList(*frame_);
        QCOMPARE(seen.texts, QStringList({"&Scripts", "", "&Update...", "", "&Title", "&Year",
                                          "&Rating", "&Index"}));
        QVERIFY(!seen.scriptsEntryIsDefault);
        QVERIFY(seen.defaultScript.isEmpty());

        ActionNamed(frame_->ScriptsMenu(), "Shout")->trigger();
        QCOMPARE(StoredMovie(oids_[1]).szTitle, std::string("Alien!"));
        seen = RightClickTheList(*frame_);
        QVERIFY(seen.scriptsEntryIsDefault);
        QCOMPARE(seen.defaultScript, QString("Shout"));
    }

    void aRunStopsAtTheFirstFailingMovieAndKeepsTheOnesBefore() {
        WriteFile(scripts_->Path() + "Check.rks",
                  "if (szTitle == 'Brazil') { int zero = 0; nYear = 1 / zero; }\n"
                  "szTitle += ' (checked)';\n");
        frame_->UseScriptsFolder(scripts_->Path());
        SelectRows(*frame_, {0, 1, 2});
        frame_->Action(ID_MOVIE_EDITMODE)->trigger();
        QVERIFY(frame_->EditMode());

        QStringList runOrder;
        QStringList statesAtFailure;
        QString failureText;
        QString failureCaption;
        ScriptedSteps steps;
        steps.Add([&] {
            auto* dialog = frame_->findChild<CScriptRunDlg*>();
            if (!dialog || !dialog->isVisible())
                return false;
            // Identifiers, since the first title may have changed already.
            for (int i = 0; i < dialog->List()->count(); ++i) {
                runOrder << QString::number(
                    dialog->List()->item(i)->data(CScriptRunDlg::kObjectIdRole).toUInt());
            }
            return true;
        });
        steps.AnswerBox(QMessageBox::Ok, [&](QMessageBox* box) {
            failureText = box->text();
            failureCaption = box->windowTitle();
            const QListWidget* list = frame_->findChild<CScriptRunDlg*>()->List();
            for (int i = 0; i < list->count(); ++i) {
                statesAtFailure << list->item(i)->text() + ":" +
                                       QString::number(
                                           list->item(i)->data(CScriptRunDlg::kStateRole).toInt());
            }
        });
        frame_->ScriptsMenu()->actions().front()->trigger();
        QVERIFY(steps.Finished());

        QCOMPARE(runOrder, QStringList({QString::number(oids_[1]), QString::number(oids_[2]),
                                        QString::number(oids_[0])}));
        QCOMPARE(statesAtFailure, QStringList({"Alien (checked):1", "Brazil:2", "Casablanca:0"}));
        QCOMPARE(failureCaption, QString("Reelkeep"));
        QVERIFY2(failureText.contains("Divide by zero"), qPrintable(failureText));
        QCOMPARE(StoredMovie(oids_[1]).szTitle, std::string("Alien (checked)"));
        QCOMPARE(StoredMovie(oids_[2]).szTitle, std::string("Brazil"));
        QCOMPARE(StoredMovie(oids_[0]).szTitle, std::string("Casablanca"));
        QCOMPARE(ListTitles(*frame_), QStringList({"Alien (checked)", "Brazil", "Casablanca"}));
        // Only the movies that were done leave the selection.
        QCOMPARE(SelectedTitles(*frame_), QStringList({"Brazil", "Casablanca"}));
        QVERIFY(!frame_->EditMode());
    }

    void titlesChangeInBothListsAtOnceAndTheListIsSortedAfter() {
        WriteFile(scripts_->Path() + "Rename.rks",
                  "user.alert('Next: ' + szTitle);\n"
                  "if (szTitle == 'Alien') szTitle = 'Zardoz';\n");
        frame_->UseScriptsFolder(scripts_->Path());
        SelectRows(*frame_, {frame_->Model()->RowOf(oids_[1]), frame_->Model()->RowOf(oids_[2])});

        QString caption;
        QString dialogTitle;
        QString mainTitle;
        int firstState = -1;
        ScriptedSteps steps;
        steps.Add([&] {
            QMessageBox* box = ActiveBox();
            if (!box || box->text() != "Next: Alien")
                return false;
            caption = frame_->findChild<CScriptRunDlg*>()->windowTitle();
            box->button(QMessageBox::Ok)->click();
            return true;
        });
        steps.Add([&] {
            // The second movie's turn: the first one is stored and shows its new title.
            QMessageBox* box = ActiveBox();
            if (!box || box->text() != "Next: Brazil")
                return false;
            const QListWidgetItem* first = frame_->findChild<CScriptRunDlg*>()->List()->item(0);
            dialogTitle = first->text();
            firstState = first->data(CScriptRunDlg::kStateRole).toInt();
            mainTitle = frame_->Model()->Title(frame_->Model()->RowOf(oids_[1]));
            box->button(QMessageBox::Ok)->click();
            return true;
        });
        frame_->ScriptsMenu()->actions().front()->trigger();
        QVERIFY(steps.Finished());
        QCOMPARE(caption, QString("Rename"));
        QCOMPARE(dialogTitle, QString("Zardoz"));
        QCOMPARE(firstState, 1);
        QCOMPARE(mainTitle, QString("Zardoz"));
        QCOMPARE(ListTitles(*frame_), QStringList({"Brazil", "Casablanca", "Zardoz"}));
        QVERIFY(SelectedTitles(*frame_).isEmpty());
    }

    void cancelAnsweredNoGoesOnAndYesEndsTheDownload() {
        HttpTestServer server;
        server.Route("/slow", [](const HttpRequest&, HttpExchange& exchange) {
            exchange.Send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n");
            exchange.Send(std::string(1000, 'x'));
            exchange.Sleep(std::chrono::seconds(60));
        });
        WriteFile(scripts_->Path() + "Slow.rks",
                  "string page = www.open('" + server.Url("/slow") + "');\nszTitle = 'fetched';\n");
        frame_->UseScriptsFolder(scripts_->Path());
        SelectRows(*frame_, {0});

        QString cancelQuestion;
        bool noWasDefault = false;
        bool warningIcon = false;
        bool stillRunningAfterNo = false;
        QString errorCaption;
        QString errorText;
        bool errorIcon = false;
        ScriptedSteps steps;
        const auto runDialog = [this] { return frame_->findChild<CScriptRunDlg*>(); };
        steps.Add([&] {
            // Wait for the transfer to report some progress: the download is under way.
            CScriptRunDlg* dialog = runDialog();
            if (!dialog || dialog->Progress()->value() < 1000)
                return false;
            // The question runs its own loop: ask from outside this step.
            QTimer::singleShot(0, dialog, [dialog] { QTest::keyClick(dialog, Qt::Key_Escape); });
            return true;
        });
        steps.AnswerBox(QMessageBox::No, [&](QMessageBox* box) {
            cancelQuestion = box->text();
            noWasDefault = box->defaultButton() == box->button(QMessageBox::No);
            warningIcon = box->icon() == QMessageBox::Warning;
        });
        steps.Add([&] {
            CScriptRunDlg* dialog = runDialog();
            stillRunningAfterNo = dialog && dialog->isVisible() && !ActiveBox();
            if (!dialog)
                return true;
            QTimer::singleShot(0, dialog, [dialog] { dialog->close(); });
            return true;
        });
        steps.AnswerBox(QMessageBox::Yes);
        steps.AnswerBox(QMessageBox::Ok, [&](QMessageBox* box) {
            errorCaption = box->windowTitle();
            errorText = box->text();
            errorIcon = box->icon() == QMessageBox::Critical;
        });
        frame_->ScriptsMenu()->actions().front()->trigger();
        QVERIFY(steps.Finished());
        QCOMPARE(cancelQuestion, QString("Cancel script?"));
        // A confirmation: the warning icon and No as the default, as every other one.
        QVERIFY(noWasDefault);
        QVERIFY(warningIcon);
        QVERIFY(stillRunningAfterNo);
        QVERIFY2(errorCaption.startsWith("Failed to"), qPrintable(errorCaption));
        QVERIFY(!errorText.isEmpty());
        QVERIFY(errorIcon);
        QCOMPARE(StoredMovie(frame_->Model()->Oid(0)).szTitle,
                 StoredText(frame_->Model()->Title(0)));
        QVERIFY(!frame_->findChild<CScriptRunDlg*>());
    }

    void cancelStopsScriptsThatLoopWithoutTheNetworkOrSwallowItsFailures() {
        HttpTestServer server;
        server.Serve("/page", "page");
        WriteFile(scripts_->Path() + "Loop.rks", "szPlot = 'x'; while (true) {}\n");
        WriteFile(scripts_->Path() + "Swallow.rks",
                  "szPlot = 'x'; while (true) try { www.open('" + server.Url("/page") +
                      "'); } catch {}\n");
        frame_->UseScriptsFolder(scripts_->Path());
        // Cancelled between two transfers the script stops at its next statement; cancelled
        // during one, the transfer fails and the report is the network's.
        const QString stopped = "Reelkeep|Script cancelled";
        const QString failed = "Failed to open http url (" +
                               QString::fromStdString(server.Url("/page")) + ")|The session was closed";
        const struct {
            const char* script;
            QStringList reports;
        } cases[] = {{"Loop", {stopped}}, {"Swallow", {stopped, failed}}};
        for (const auto& c : cases) {
            SelectRows(*frame_, {0});
            QString caption, text;
            QElapsedTimer sinceYes;
            qint64 untilReport = -1;
            ScriptedSteps steps;
            steps.Add([&] {
                CScriptRunDlg* dialog = frame_->findChild<CScriptRunDlg*>();
                if (!dialog || !dialog->isVisible())
                    return false;
                QTimer::singleShot(200, dialog, [dialog] { QTest::keyClick(dialog, Qt::Key_Escape); });
                return true;
            });
            steps.AnswerBox(QMessageBox::Yes, [&](QMessageBox*) { sinceYes.start(); });
            steps.AnswerBox(QMessageBox::Ok, [&](QMessageBox* box) {
                untilReport = sinceYes.elapsed();
                caption = box->windowTitle();
                text = box->text();
            });
            ActionNamed(frame_->ScriptsMenu(), c.script)->trigger();
            QVERIFY2(steps.Finished(), c.script);
            QVERIFY2(untilReport >= 0 && untilReport < 1000, qPrintable(QString::number(untilReport)));
            const QString report = caption + "|" + text.section(" : ", -1).trimmed();
            QVERIFY2(c.reports.contains(report), qPrintable(report));
            QVERIFY(!frame_->findChild<CScriptRunDlg*>());
            QCOMPARE(StoredMovie(frame_->Model()->Oid(0)).szPlot, std::string());
        }
    }

    void alertWithStyle36AnswersYesOrNo() {
        WriteFile(scripts_->Path() + "Ask.rks",
                  "int answer = user.alert('Keep ' + szTitle + '?', 36);\n"
                  "if (answer == 6) szTitle = 'yes'; else if (answer == 7) szTitle = 'no';\n"
                  "else szTitle = 'other ' + answer;\n");
        frame_->UseScriptsFolder(scripts_->Path());
        for (const bool yes : {true, false}) {
            const int row = frame_->Model()->RowOf(oids_[2]);
            SelectRows(*frame_, {row});
            QString text;
            bool question = false;
            int buttons = 0;
            ScriptedSteps steps;
            steps.Add([&] {
                QMessageBox* box = ActiveBox();
                if (!box)
                    return false;
                text = box->text();
                question = box->icon() == QMessageBox::Question;
                buttons = box->buttons().size();
                box->button(yes ? QMessageBox::Yes : QMessageBox::No)->click();
                return true;
            });
            frame_->ScriptsMenu()->actions().front()->trigger();
            QVERIFY(steps.Finished());
            QVERIFY(question);
            QCOMPARE(buttons, 2);
            QCOMPARE(StoredMovie(oids_[2]).szTitle, std::string(yes ? "yes" : "no"));
            QCOMPARE(text, QString(yes ? "Keep Brazil?" : "Keep yes?"));
        }
    }

    void inputRefusesEmptyTextWhenTheScriptSaysSo() {
        WriteFile(
            scripts_->Path() + "Ask.rks",
            "string value = szTitle;\n"
            "if (user.input(value, 'New title', 'Title of the movie', false)) szTitle = value;\n"
            "else szTitle = 'cancelled';\n");
        frame_->UseScriptsFolder(scripts_->Path());
        SelectRows(*frame_, {frame_->Model()->RowOf(oids_[0])});
        QString caption;
        QString frameText;
        QString initial;
        bool keptOpen = false;
        ScriptedSteps steps;
        QLineEdit* edit = nullptr;
        steps.Add([&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || modal->objectName() != "inputDialog")
                return false;
            caption = modal->windowTitle();
            frameText = modal->findChild<QGroupBox*>("inputFrame")->title();
            edit = modal->findChild<QLineEdit*>("inputText");
            initial = edit->text();
            edit->clear();
            QTest::keyClick(edit, Qt::Key_Return);
            return true;
        });
        steps.Add([&] {
            QWidget* modal = QApplication::activeModalWidget();
            keptOpen = modal && modal->objectName() == "inputDialog" && modal->isVisible();
            QTest::keyClicks(edit, "Casablanca (1942)");
            QTest::keyClick(edit, Qt::Key_Return);
            return true;
        });
        frame_->ScriptsMenu()->actions().front()->trigger();
        QVERIFY(steps.Finished());
        QCOMPARE(caption, QString("New title"));
        QCOMPARE(frameText, QString("Title of the movie"));
        QCOMPARE(initial, QString("Casablanca"));
        QVERIFY(keptOpen);
        QCOMPARE(StoredMovie(oids_[0]).szTitle, std::string("Casablanca (1942)"));
    }

    void selectTakesADoubleClickedEntryAndShowsWrappedTips() {
        std::string longEntry;
        for (int i = 0; i < 40; ++i) longEntry += "word" + std::to_string(i) + " ";
        WriteFile(scripts_->Path() + "Pick.rks",
                  "string[] choices;\nchoices.append('First');\nchoices.append('Second');\n"
                  "choices.append('" +
                      longEntry +
                      "');\n"
                      "int chosen = user.select(choices, 'Which one?', 'Matches');\n"
                      "szTitle = 'chose ' + chosen;\n");
        frame_->UseScriptsFolder(scripts_->Path());
        SelectRows(*frame_, {frame_->Model()->RowOf(oids_[0])});
        QString caption;
        QString tip;
        ScriptedSteps steps;
        steps.Add([&] {
            auto* dialog = qobject_cast<CSelectDlg*>(QApplication::activeModalWidget());
            if (!dialog)
                return false;
            caption = dialog->windowTitle();
            QListWidget* list = dialog->List();
            tip = list->item(2)->toolTip();
            const QRect second = list->visualItemRect(list->item(1));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, second.center());
            return true;
        });
        frame_->ScriptsMenu()->actions().front()->trigger();
        QVERIFY(steps.Finished());
        QCOMPARE(caption, QString("Which one?"));
        QCOMPARE(StoredMovie(oids_[0]).szTitle, std::string("chose 1"));
        QVERIFY(tip.contains('\n'));
        for (const QString& line : tip.split('\n')) QVERIFY(line.size() <= 128);
    }

    void selectCancelledAnswersMinusOne() {
        WriteFile(
            scripts_->Path() + "Pick.rks",
            "string[] none;\nszTitle = 'chose ' + user.select(none, 'Which one?', 'Matches');\n");
        frame_->UseScriptsFolder(scripts_->Path());
        SelectRows(*frame_, {frame_->Model()->RowOf(oids_[0])});
        ScriptedSteps steps;
        steps.Add([&] {
            auto* dialog = qobject_cast<CSelectDlg*>(QApplication::activeModalWidget());
            if (!dialog)
                return false;
            QTest::keyClick(dialog->List(), Qt::Key_Return);  // nothing to take: stays open
            if (!dialog->isVisible())
                return true;
            QTest::keyClick(dialog->List(), Qt::Key_Escape);
            return true;
        });
        frame_->ScriptsMenu()->actions().front()->trigger();
        QVERIFY(steps.Finished());
        QCOMPARE(StoredMovie(oids_[0]).szTitle, std::string("chose -1"));
    }

    // The shipped TMDB script from the window: the key typed once into the question, then
    // remembered; the source is a local server with TMDB's documented answers.
    void tmdbAsksForTheKeyOnceInTheWindow() {
        const auto fixture = [](const std::string& name) {
            return ReadFileBytes(REELKEEP_SOURCE_DIR "/tests/script/fixtures/tmdb/" + name);
        };
        HttpTestServer server;
        server.Route("/3/search/movie", [&](const HttpRequest& request, HttpExchange& exchange) {
            const bool key = request.target.find("api_key=window-key") != std::string::npos;
            exchange.Send(HttpTestServer::Response(key ? 200 : 401, fixture(key ? "search-amelie.json"
                                                                                : "invalid-key.json")));
        });
        server.Serve("/3/movie/194", fixture("movie-194.json"), "application/json");
        server.RouteOthers([](const HttpRequest&, HttpExchange& exchange) {
            exchange.Send(HttpTestServer::Response(200, "POSTER"));
        });
        std::filesystem::copy(REELKEEP_SOURCE_DIR "/resources/Scripts", scripts_->Path(),
                              std::filesystem::copy_options::recursive |
                                  std::filesystem::copy_options::overwrite_existing);
        std::string include = ReadFileBytes(scripts_->Path() + "Include/TMDB.as");
        for (const std::string address : {"https://api.themoviedb.org/3", "https://image.tmdb.org/t/p/w500"}) {
            include.replace(include.find(address), address.size(),
                            server.Url(address.substr(address.find('/', 8))));
        }
        WriteFile(scripts_->Path() + "Include/TMDB.as", include);
        std::remove((std::string(std::getenv("XDG_CONFIG_HOME")) + "/Tarvenn/Reelkeep Scripts/TMDBKey").c_str());
        frame_->UseScriptsFolder(scripts_->Path());
        QAction* tmdb = ActionNamed(frame_->ScriptsMenu(), "TMDB");
        QVERIFY(tmdb);

        SelectRows(*frame_, {frame_->Model()->RowOf(oids_[0])});
        QString caption;
        ScriptedSteps steps;
        steps.Add([&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || modal->objectName() != "inputDialog")
                return false;
            caption = modal->windowTitle();
            auto* edit = modal->findChild<QLineEdit*>("inputText");
            QTest::keyClicks(edit, "window-key");
            QTest::keyClick(edit, Qt::Key_Return);
            return true;
        });
        tmdb->trigger();
        QVERIFY(steps.Finished());
        QCOMPARE(caption, QString("TMDB API key"));
        Movie movie = StoredMovie(oids_[0]);
        QCOMPARE(movie.szTitle, std::string("Am\xC3\xA9lie"));
        QCOMPARE(movie.pszDirectors, (StringArray{"Jean-Pierre Jeunet"}));
        QCOMPARE(movie.pszPictures, (StringArray{"nSxDa3M9aMvGVLoItzWTepQ5h5d.jpg"}));

        // The next run asks nothing: any question would be noted and closed.
        bool asked = false;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (QWidget* modal = QApplication::activeModalWidget(); modal && modal != frame_.get() &&
                                                                    !qobject_cast<CScriptRunDlg*>(modal)) {
                asked = true;
                modal->close();
            }
        });
        watch.start(5);
        SelectRows(*frame_, {frame_->Model()->RowOf(oids_[2])});
        tmdb->trigger();
        watch.stop();
        QVERIFY(!asked);
        QCOMPARE(StoredMovie(oids_[2]).szTranslated, std::string("Le Fabuleux Destin d'Am\xC3\xA9lie Poulain"));
    }

    // A picture of the progress dialog for people to look at, in the build's "screenshots".
    void savesAScreenshotOfTheProgressDialog() {
        WriteFile(scripts_->Path() + "Look.rks", "user.alert('Looking at ' + szTitle);\n");
        frame_->UseScriptsFolder(scripts_->Path());
        SelectRows(*frame_, {0, 1, 2});
        const QString folder = QCoreApplication::applicationDirPath() + "/../screenshots";
        QVERIFY(QDir().mkpath(folder));
        bool saved = false;
        ScriptedSteps steps;
        steps.AnswerBox(QMessageBox::Ok, [&](QMessageBox*) {
            saved =
                frame_->findChild<CScriptRunDlg*>()->grab().save(folder + "/script-progress.png");
        });
        for (int i = 0; i < 2; ++i)
            steps.Add([] {
                QMessageBox* box = ActiveBox();
                if (!box)
                    return false;
                box->button(QMessageBox::Ok)->click();
                return true;
            });
        frame_->ScriptsMenu()->actions().front()->trigger();
        QVERIFY(steps.Finished());
        QVERIFY(saved);
    }

private:
    std::vector<ObjectId> oids_;
    std::unique_ptr<TempFolder> scripts_;
    std::unique_ptr<MainFrame> frame_;
};

}  // namespace reelkeep::test

REELKEEP_GUI_TEST_MAIN(reelkeep::test::ScriptRunTest)
#include "ScriptRunTest.moc"
