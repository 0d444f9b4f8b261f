// The Preferences sheet and the update check at start, through the real main window; the
// update against a real HTTP server on 127.0.0.1.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "GuiTestSupport.h"
#include "PaneTestSupport.h"
#include "ScriptedSteps.h"
#include "app/MainFrame.h"
#include "maint/FileDigest.h"
#include "maint/MaintStrings.h"
#include "maint/Settings.h"
#include "support/HttpTestServer.h"
#include "support/TempFolder.h"
#include "ui/PreferencesDialog.h"
#include "ui/ResScheme.h"
#include "ui/TemplatePicker.h"

namespace reelkeep::test {

namespace {

// The digest an update list gives for these bytes.
std::string DigestOf(const std::string& bytes) {
    TempFolder folder;
    WriteFileBytes(folder / "bytes", bytes);
    return FileDigestText(folder / "bytes").value();
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

PreferencesDialog* ActiveSheet() {
    return qobject_cast<PreferencesDialog*>(QApplication::activeModalWidget());
}

QPushButton* SheetButton(PreferencesDialog* sheet, QDialogButtonBox::StandardButton which) {
    return sheet->Buttons()->button(which);
}

}  // namespace

class PreferencesUpdateTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        SeedDefaultCatalog({{"Alien", 1979}});
        frame_ = OpenFrame();
    }
    void cleanup() {
        CancelPendingAnswers();
        frame_.reset();
        ::unsetenv("REELKEEP_UPDATE_SERVER");
    }

    void preferencesRoundTripIntoTheSettingsFile() {
        Settings& settings = frame_->FrameSettings();
        settings.autoUpdate = 7;  // outside 0..2: shown unchecked and taken as 0
        settings.timeout = 2500;
        const int refreshes = frame_->RefreshCount();
        bool applyAtStart = true;
        bool applyAfterChange = false;
        bool checkedAtStart = true;
        QString timeoutAtStart;
        ScriptedSteps steps;
        steps.Add([&] {
            PreferencesDialog* sheet = ActiveSheet();
            if (!sheet)
                return false;
            applyAtStart = SheetButton(sheet, QDialogButtonBox::Apply)->isEnabled();
            sheet->Pages()->setCurrentIndex(1);
            checkedAtStart = sheet->findChild<QCheckBox*>("autoUpdate")->isChecked();
            auto* timeout = sheet->findChild<QWidget*>("timeoutEdit")->findChild<QLineEdit*>();
            timeoutAtStart = timeout->text();
            timeout->selectAll();
            QTest::keyClicks(timeout, "500000");
            applyAfterChange = SheetButton(sheet, QDialogButtonBox::Apply)->isEnabled();
            SheetButton(sheet, QDialogButtonBox::Ok)->click();
            return true;
        });
        frame_->Action(ID_FILE_PREFERENCES)->trigger();
        QVERIFY(steps.Finished());
        QVERIFY(!applyAtStart);
        QVERIFY(!checkedAtStart);
        QCOMPARE(timeoutAtStart, QString("2500"));
        QVERIFY(applyAfterChange);
        QCOMPARE(settings.timeout, 500000u);
        QCOMPARE(settings.autoUpdate, 0u);
        QVERIFY(frame_->RefreshCount() > refreshes);

        QVERIFY(SaveSettings(settings));
        const Settings loaded = LoadSettings(settings.programFolder);
        QCOMPARE(loaded.timeout, 500000u);
        QCOMPARE(loaded.autoUpdate, 0u);
        QCOMPARE(loaded.view, settings.view);
    }

    void aTimeoutThatIsNoNumberKeepsTheSheetOpen() {
        Settings& settings = frame_->FrameSettings();
        settings.timeout = 40;
        bool keptOpen = false;
        bool focusOnEdit = false;
        ScriptedSteps steps;
        steps.Add([&] {
            PreferencesDialog* sheet = ActiveSheet();
            if (!sheet)
                return false;
            sheet->Pages()->setCurrentIndex(1);
            auto* timeout = sheet->findChild<QWidget*>("timeoutEdit")->findChild<QLineEdit*>();
            QTest::keyClicks(timeout, "abc");  // digits only: nothing goes in
            timeout->clear();
            sheet->Pages()->setCurrentIndex(0);
            SheetButton(sheet, QDialogButtonBox::Ok)->click();
            keptOpen = sheet->isVisible();
            focusOnEdit = sheet->Pages()->currentIndex() == 1;
            QTest::keyClicks(timeout, "75");
            SheetButton(sheet, QDialogButtonBox::Ok)->click();
            return true;
        });
        frame_->Action(ID_FILE_PREFERENCES)->trigger();
        QVERIFY(steps.Finished());
        QVERIFY(keptOpen);
        QVERIFY(focusOnEdit);
        QCOMPARE(settings.timeout, 75u);
    }

    void arrowsStopAtTheirLimitButTypingGoesBeyond() {
        frame_->FrameSettings().timeout = 299999;
        QStringList seen;
        ScriptedSteps steps;
        steps.Add([&] {
            PreferencesDialog* sheet = ActiveSheet();
            if (!sheet)
                return false;
            sheet->Pages()->setCurrentIndex(1);
            QWidget* spin = sheet->findChild<QWidget*>("timeoutEdit");
            auto* timeout = spin->findChild<QLineEdit*>();
            spin->setFocus();
            for (int i = 0; i < 3; ++i) QTest::keyClick(spin, Qt::Key_Up);
            seen << timeout->text();
            timeout->setText("0");
            QTest::keyClick(spin, Qt::Key_Down);
            seen << timeout->text();
            sheet->reject();
            return true;
        });
        frame_->Action(ID_FILE_PREFERENCES)->trigger();
        QVERIFY(steps.Finished());
        QCOMPARE(seen, QStringList({"300000", "0"}));
        QCOMPARE(frame_->FrameSettings().timeout, 299999u);  // cancelled
    }

    void templatePickerOpensOnTheStoredPathAndApplyStores() {
        Settings& settings = frame_->FrameSettings();
        const std::string storedEdit = settings.edit;
        QString pickerStart;
        QString afterPick;
        bool applyEnabled = false;
        ScriptedSteps steps;
        steps.Add([&] {
            PreferencesDialog* sheet = ActiveSheet();
            if (!sheet)
                return false;
            auto* edit = sheet->findChild<QLineEdit*>("editTemplate");
            edit->setText("/typed/but/not/applied.xsl");
            SetNextChosenTemplate(QString("/chosen/Edit2.xsl"));
            sheet->findChild<QPushButton*>("editTemplateBrowse")->click();
            pickerStart = LastTemplatePickerStart();
            afterPick = edit->text();
            SheetButton(sheet, QDialogButtonBox::Apply)->click();
            applyEnabled = SheetButton(sheet, QDialogButtonBox::Apply)->isEnabled();
            sheet->reject();
            return true;
        });
        frame_->Action(ID_FILE_PREFERENCES)->trigger();
        QVERIFY(steps.Finished());
        QCOMPARE(pickerStart, QString::fromStdString(storedEdit));
        QCOMPARE(afterPick, QString("/chosen/Edit2.xsl"));
        QVERIFY(!applyEnabled);
        QCOMPARE(settings.edit, std::string("/chosen/Edit2.xsl"));  // Apply stored it
    }

    void thePickerIsTheRealFileDialogOnTheStoredPathWithTheXslFilter() {
        TempFolder folder;
        WriteFileBytes(folder / "Other.xsl", "<x/>");
        Settings& settings = frame_->FrameSettings();
        settings.view = folder / "Stored.xsl";
        QString directory, fileName, filter;
        QStringList filters;
        bool native = true;
        QString afterPick;
        ScriptedSteps steps;
        steps.Add([&] {
            PreferencesDialog* sheet = ActiveSheet();
            if (!sheet)
                return false;
            QPushButton* browse = sheet->findChild<QPushButton*>("viewTemplateBrowse");
            // The dialog runs its own loop: press the button from outside this step.
            QTimer::singleShot(0, browse, [browse] { QTest::mouseClick(browse, Qt::LeftButton); });
            return true;
        });
        steps.Add([&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return false;
            native = !dialog->testOption(QFileDialog::DontUseNativeDialog);
            directory = dialog->directory().absolutePath();
            filters = dialog->nameFilters();
            filter = dialog->selectedNameFilter();
            auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
            fileName = name->text();
            name->selectAll();
            QTest::keyClicks(name, "Other.xsl");
            QTest::keyClick(name, Qt::Key_Return);
            return true;
        });
        steps.Add([&] {
            PreferencesDialog* sheet = ActiveSheet();
            if (!sheet)
                return false;
            afterPick = sheet->findChild<QLineEdit*>("viewTemplate")->text();
            sheet->reject();
            return true;
        });
        frame_->Action(ID_FILE_PREFERENCES)->trigger();
        QVERIFY(steps.WaitUntilFinished());
        QVERIFY(!native);
        QCOMPARE(directory, QString::fromStdString(folder.Path()).chopped(1));
        QCOMPARE(fileName, QString("Stored.xsl"));
        QCOMPARE(filter, QString("XSL Files (*.xsl)"));
        QCOMPARE(filters, QStringList({"XSL Files (*.xsl)", "All Files (*)"}));
        QCOMPARE(afterPick, QString::fromStdString(folder / "Other.xsl"));
    }

    void templatesAppliedThenCancelledShowAtOnce() {
        TempFolder folder;
        WriteFileBytes(folder / "Applied.xsl",
                       "<?xml version='1.0'?>"
                       "<xsl:stylesheet version='1.0' "
                       "xmlns:xsl='http://www.w3.org/1999/XSL/Transform'>"
                       "<xsl:output method='html' encoding='UTF-8'/>"
                       "<xsl:template match='/'><html><head><title>applied: "
                       "<xsl:value-of select='Reelkeep/Movie/szTitle'/></title></head>"
                       "<body/></html></xsl:template></xsl:stylesheet>");
        SelectRows(*frame_, {0});
        QCOMPARE(PageTitle(*frame_->Pane()), QString("Alien"));
        ScriptedSteps steps;
        steps.Add([&] {
            PreferencesDialog* sheet = ActiveSheet();
            if (!sheet)
                return false;
            auto* view = sheet->findChild<QLineEdit*>("viewTemplate");
            view->selectAll();
            QTest::keyClicks(view, QString::fromStdString(folder / "Applied.xsl"));
            QTest::mouseClick(SheetButton(sheet, QDialogButtonBox::Apply), Qt::LeftButton);
            QTest::mouseClick(SheetButton(sheet, QDialogButtonBox::Cancel), Qt::LeftButton);
            return true;
        });
        frame_->Action(ID_FILE_PREFERENCES)->trigger();
        QVERIFY(steps.Finished());
        QCOMPARE(frame_->CurrentSettings().view, folder / "Applied.xsl");
        // No selection change: the pane follows the new template by itself.
        QCOMPARE(PageTitle(*frame_->Pane()), QString("applied: Alien"));
    }

    void savesScreenshotsOfThePreferencesPages() {
        const QString folder = QCoreApplication::applicationDirPath() + "/../screenshots";
        QVERIFY(QDir().mkpath(folder));
        bool saved = false;
        ScriptedSteps steps;
        steps.Add([&] {
            PreferencesDialog* sheet = ActiveSheet();
            if (!sheet)
                return false;
            saved = sheet->grab().save(folder + "/preferences-display.png");
            sheet->Pages()->setCurrentIndex(1);
            saved = saved && sheet->grab().save(folder + "/preferences-advanced.png");
            sheet->reject();
            return true;
        });
        frame_->Action(ID_FILE_PREFERENCES)->trigger();
        QVERIFY(steps.Finished());
        QVERIFY(saved);
    }

    void theWindowChecksForUpdatesWhenItOpens() {
        HttpTestServer server;
        server.Serve("/updates/list.txt", "", "text/plain");  // nothing to fetch
        ::setenv("REELKEEP_UPDATE_SERVER", server.Url("").c_str(), 1);
        Settings stored = frame_->FrameSettings();
        stored.autoUpdate = 1;
        SaveSettings(stored);
        auto opened = OpenFrame();
        QTRY_VERIFY(!server.Requests().empty());
        QCOMPARE(QString::fromStdString(server.Requests().front().target),
                 QString("/updates/list.txt"));
        QTRY_VERIFY(!opened->UpdateRunning());
        opened->close();
    }

    void anUpdateFetchesANewTemplateAfterAsking() {
        TempFolder program;
        HttpTestServer server;
        server.Serve("/updates/list.txt",
                     "Templates\\Fresh.xsl, c" + DigestOf("<xsl:stylesheet/>") + ";", "text/plain");
        server.Serve("/updates/Templates/Fresh.xsl", "<xsl:stylesheet/>", "text/xml");
        ::setenv("REELKEEP_UPDATE_SERVER", server.Url("").c_str(), 1);
        frame_->FrameSettings().programFolder = program.Path();
        frame_->FrameSettings().autoUpdate = 1;

        QString question;
        bool questionIcon = false;
        QString done;
        ScriptedSteps steps;
        steps.AnswerBox(QMessageBox::Yes, [&](QMessageBox* box) {
            question = box->text();
            questionIcon = box->icon() == QMessageBox::Information;
        });
        steps.AnswerBox(QMessageBox::Ok, [&](QMessageBox* box) {
            done = box->text();
        });
        frame_->StartUpdateCheck();
        QVERIFY(frame_->UpdateRunning());
        QVERIFY(steps.WaitUntilFinished());
        QTRY_VERIFY(!frame_->UpdateRunning());
        QCOMPARE(question, QString::fromUtf8(kUpdateQuestionText));
        QVERIFY(questionIcon);
        QCOMPARE(done, QString::fromUtf8(kUpdatedText));
        QCOMPARE(ReadFile(program.Path() + "Templates/Fresh.xsl"),
                 std::string("<xsl:stylesheet/>"));
        QVERIFY(frame_->isVisible());
    }

    void anUpdateOfTheProgramStartsTheRelayAndCloses() {
        // The new "program" is a shell script that notes how the relay started it.
        TempFolder notes;
        const std::string marker = notes.Path() + "started";
        const std::string own = QCoreApplication::applicationFilePath().toStdString();
        const std::string name = QCoreApplication::applicationName().toStdString();
        HttpTestServer server;
        const std::string relay = "#!/bin/sh\necho \"$@\" > '" + marker + "'\n";
        server.Serve("/updates/list.txt", name + ", c" + DigestOf(relay) + ";", "text/plain");
        server.Serve("/updates/" + name, relay, "application/octet-stream");
        ::setenv("REELKEEP_UPDATE_SERVER", server.Url("").c_str(), 1);
        frame_->FrameSettings().autoUpdate = 1;
        const std::string pending = frame_->FrameSettings().programFolder + "~" + name;

        QString done;
        ScriptedSteps steps;
        steps.AnswerBox(QMessageBox::Yes);
        steps.AnswerBox(QMessageBox::Ok, [&](QMessageBox* box) {
            done = box->text();
        });
        QSignalSpy closed(frame_.get(), &MainFrame::Closed);
        frame_->StartUpdateCheck();
        QVERIFY(steps.WaitUntilFinished());
        QTRY_COMPARE_WITH_TIMEOUT(closed.count(), 1, 10000);
        QCOMPARE(done, QString::fromUtf8(kUpdatedRestartText));
        QTRY_VERIFY_WITH_TIMEOUT(!ReadFile(marker).empty(), 10000);
        const std::string arguments = ReadFile(marker);
        QVERIFY2(arguments.rfind("RESTART1 ", 0) == 0, arguments.c_str());
        QVERIFY2(arguments.find(own) != std::string::npos, arguments.c_str());
        // The program file itself is left alone; the relay would put the new one in place.
        QVERIFY(ReadFile(own).size() > 1000);
        std::remove(pending.c_str());
    }

    void noUpdateCheckWhenAutomaticUpdateIsOff() {
        frame_->FrameSettings().autoUpdate = 0;
        frame_->StartUpdateCheck();
        QVERIFY(!frame_->UpdateRunning());
    }

    void aCloseDuringASlowCheckWaitsForItThenGoesThrough() {
        TempFolder program;
        HttpTestServer server;
        server.Route("/updates/list.txt", [](const HttpRequest&, HttpExchange& exchange) {
            exchange.Send("HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n\r\nTempl");
            exchange.Sleep(std::chrono::seconds(60));
        });
        ::setenv("REELKEEP_UPDATE_SERVER", server.Url("").c_str(), 1);
        frame_->FrameSettings().programFolder = program.Path();
        frame_->FrameSettings().autoUpdate = 1;
        QSignalSpy closed(frame_.get(), &MainFrame::Closed);
        frame_->StartUpdateCheck();
        QTRY_COMPARE(server.Requests().size(), std::size_t(1));

        frame_->close();
        QVERIFY(frame_->isVisible());
        QCOMPARE(closed.count(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(closed.count(), 1, 10000);
        QVERIFY(!frame_->isVisible());
        QVERIFY(!frame_->UpdateRunning());
        QVERIFY(!ActiveBox());
    }

private:
    std::unique_ptr<MainFrame> frame_;
};

}  // namespace reelkeep::test

REELKEEP_GUI_TEST_MAIN(reelkeep::test::PreferencesUpdateTest)
#include "PreferencesUpdateTest.moc"
