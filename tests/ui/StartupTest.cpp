// The program's start and end: one copy at a time, settings read when the window is made and
// written when it closes.
#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>
#include <cstdio>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "GuiTestSupport.h"
#include "ScriptedSteps.h"
#include "maint/MaintStrings.h"
#include "maint/ProcessEntry.h"
#include "ui/Prompts.h"
#include "PaneTestSupport.h"
#include "app/MainFrame.h"
#include "app/MainWindowRun.h"
#include "maint/Settings.h"
#include "platform/Folders.h"
#include "support/TempFolder.h"
#include "ui/ResScheme.h"

namespace reelkeep::test {

namespace {

MainFrame* FindFrame() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* frame = qobject_cast<MainFrame*>(widget); frame && frame->isVisible())
            return frame;
    }
    return nullptr;
}

}  // namespace

class StartupTest : public QObject {
    Q_OBJECT

private slots:
    // No update check may hold a close back or ask a question here, whatever the build's
    // default server or the caller's environment say.
    void init() {
        qunsetenv("REELKEEP_UPDATE_SERVER");
        Settings settings = LoadSettings(ProgramFolder());
        settings.autoUpdate = 0;
        QVERIFY(SaveSettings(settings));
    }
    void cleanup() { std::remove(SettingsFilePath().c_str()); }

    void secondCopyEndsAtOnceWithCodeZero() {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("QTWEBENGINE_DISABLE_SANDBOX", "1");
        environment.remove("REELKEEP_UPDATE_SERVER");
        QProcess first;
        first.setProcessEnvironment(environment);
        first.start(QStringLiteral(REELKEEP_PROGRAM_PATH), {});
        QVERIFY(first.waitForStarted());
        // The first copy is up once its window has loaded the catalog and left the lock held.
        QTest::qWait(1500);
        QCOMPARE(first.state(), QProcess::Running);

        QProcess second;
        second.setProcessEnvironment(environment);
        second.start(QStringLiteral(REELKEEP_PROGRAM_PATH), {});
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);

        first.kill();
        first.waitForFinished(10000);
    }

    void theCrashMessageNamesTheRecordWithTheErrorIcon() {
        // The process started after a crash shows this box, made through the entry rules.
        EntryHooks hooks;
        QString caption, text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        hooks.showCrashMessage = [](const std::string& c, const std::string& t) {
            ShowCrashMessage(c, t);
        };
        QTimer::singleShot(0, [&] {
            QTRY_VERIFY(ActiveBox() != nullptr);
            QMessageBox* box = ActiveBox();
            caption = box->windowTitle();
            text = box->text();
            icon = box->icon();
            box->button(QMessageBox::Ok)->click();
        });
        QCOMPARE(RunEntry("--crash-report /home/u/Documents/Reelkeep/Reelkeep.dmp", hooks), 0);
        QCOMPARE(caption, QString::fromUtf8(kCrashCaption));
        QCOMPARE(icon, QMessageBox::Critical);
        QVERIFY(text.startsWith(QStringLiteral("An unexpected error has occured.")));
        QVERIFY(text.endsWith(QStringLiteral("\n/home/u/Documents/Reelkeep/Reelkeep.dmp")));
    }

    void aNormalCloseEndsWithExitCodeOne() {
        QTimer::singleShot(0, [] {
            QTRY_VERIFY(FindFrame() != nullptr);
            FindFrame()->close();
        });
        const std::optional<int> code = RunMainWindow();
        QVERIFY(code.has_value());
        QCOMPARE(*code, 1);
    }

    void settingsAreReadAtCreationAndWrittenAtClose() {
        TempFolder catalog;
        Settings settings = LoadSettings(ProgramFolder());
        settings.database = catalog.Path();
        settings.multiple = "/somewhere/Multiple.xsl";
        settings.timeout = 2500;
        QVERIFY(SaveSettings(settings));

        auto frame = std::make_unique<MainFrame>();
        QCOMPARE(frame->CatalogFolder(), catalog.Path());
        QCOMPARE(frame->CurrentSettings().multiple, std::string("/somewhere/Multiple.xsl"));
        QCOMPARE(frame->CurrentSettings().view, ProgramFolder() + "Templates/View.xsl");
        std::remove(SettingsFilePath().c_str());

        bool closed = false;
        connect(frame.get(), &MainFrame::Closed, this, [&] { closed = true; });
        frame->show();
        frame->close();
        QVERIFY(closed);
        const Settings written = LoadSettings(ProgramFolder());
        QCOMPARE(written.database, catalog.Path());
        QCOMPARE(written.multiple, std::string("/somewhere/Multiple.xsl"));
        QCOMPARE(written.timeout, 2500u);
    }
};

}  // namespace reelkeep::test

REELKEEP_GUI_TEST_MAIN(reelkeep::test::StartupTest)
#include "StartupTest.moc"
