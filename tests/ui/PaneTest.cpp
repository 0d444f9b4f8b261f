// The browser pane in the real window: which page the selection shows, how often it is
// rebuilt, the template errors, and the edit page's form written back into the catalog.
#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <cstdio>

#include "GuiTestSupport.h"
#include "PaneTestSupport.h"
#include "app/MainFrame.h"
#include "catalog/CatalogPaths.h"
#include "maint/Settings.h"
#include "platform/Folders.h"
#include "support/TempFolder.h"
#include "ui/BrowserPane.h"
#include "ui/MovieListModel.h"
#include "ui/MovieListView.h"
#include "ui/ResScheme.h"

namespace reelkeep::test {

namespace {

// Points one template setting somewhere else for the next window.
void SetTemplate(std::string Settings::*which, const std::string& path) {
    Settings settings = LoadSettings(ProgramFolder());
    settings.*which = path;
    QVERIFY(SaveSettings(settings));
}

Movie ReadMovie(ObjectId oid) {
    CatalogDatabase database(CatalogFilePath(DefaultCatalogFolder()));
    database.Open(CatalogDatabase::Access::ReadOnly);
    Movie movie;
    database.Fetch(oid, movie);
    return movie;
}

// A template with a GET form, a link, and a POST form whose inputs hide the form's own
// properties; the targets are files in `folder`.
std::string WriteProbeTemplate(const TempFolder& folder) {
    WriteFileBytes(folder / "target.html", "<html><head><title>target</title></head></html>");
    const std::string target = "file://" + folder.Path() + "target.html";
    const std::string xsl =
        "<?xml version='1.0'?>"
        "<xsl:stylesheet version='1.0' xmlns:xsl='http://www.w3.org/1999/XSL/Transform'>"
        "<xsl:output method='html' encoding='UTF-8'/>"
        "<xsl:template match='/'><html><head><title>probe</title></head><body>"
        "<form id='get' method='get' action='" +
        target +
        "'>"
        "<input name='szTitle' value='got'/><button id='go'>Go</button></form>"
        "<a id='link' href='" +
        target +
        "'>link</a>"
        "<form id='tricky' method='post' action='" +
        target +
        "'>"
        "<input name='method' value='get'/><input name='action' value='x'/>"
        "<textarea name='szPlot'>line one\nline two</textarea>"
        "<input name='szTitle' value='A &amp; B'/>"
        "<button id='send' name='nYear' value='1984'>Send</button></form>"
        "</body></html></xsl:template></xsl:stylesheet>";
    WriteFileBytes(folder / "Probe.xsl", xsl);
    return folder / "Probe.xsl";
}

}  // namespace

class PaneTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        oids_ = SeedDefaultCatalog({{"Alien", 1979, 8.5f, true}, {"Brazil", 1985}, {"Casablanca"}});
    }
    void cleanup() {
        CancelPendingAnswers();
        frame_.reset();
        std::remove(SettingsFilePath().c_str());
    }

    void oneSelectedMovieShowsItsViewPageWithTheStyleSheet() {
        frame_ = OpenFrame();
        SelectRows(*frame_, {0});
        QCOMPARE(PageTitle(*frame_->Pane()), QStringLiteral("Alien"));
        // The template links its style sheet by file address beside it.
        QCOMPARE(
            RunPageScript(*frame_->Pane(), "getComputedStyle(document.body).paddingTop").toString(),
            QStringLiteral("24px"));
        QCOMPARE(RunPageScript(*frame_->Pane(), "document.characterSet").toString(),
                 QStringLiteral("UTF-8"));
    }

    void selectAllRebuildsThePaneOnceWithTheMultiplePage() {
        frame_ = OpenFrame();
        const int before = frame_->RefreshCount();
        frame_->Action(ID_EDIT_SELECT_ALL)->trigger();
        WaitForIdle();
        WaitForIdle();
        QCOMPARE(frame_->RefreshCount(), before + 1);
        QCOMPARE(PageTitle(*frame_->Pane()), QStringLiteral("3 movies"));
    }

    void editModeShowsTheEditPageAndSeveralRowsStillShowMultiple() {
        frame_ = OpenFrame();
        SelectRows(*frame_, {0});
        frame_->List()->setCurrentIndex(frame_->Model()->index(0, 0));
        frame_->Action(ID_MOVIE_EDITMODE)->trigger();
        QCOMPARE(PageTitle(*frame_->Pane()), QStringLiteral("Edit: Alien"));
        SelectRows(*frame_, {0, 1, 2});
        QCOMPARE(PageTitle(*frame_->Pane()), QStringLiteral("3 movies"));
        // Leaving edit mode shows the focused row alone.
        frame_->Action(ID_MOVIE_EDITMODE)->trigger();
        QCOMPARE(PageTitle(*frame_->Pane()), QStringLiteral("Alien"));
    }

    void submittingTheEditPageWritesTheRecordAndItsRow() {
        frame_ = OpenFrame();
        frame_->List()->SelectAndFocus(1);
        WaitForIdle();
        frame_->Action(ID_MOVIE_EDITMODE)->trigger();
        QCOMPARE(PageTitle(*frame_->Pane()), QStringLiteral("Edit: Brazil"));
        RunPageScript(
            *frame_->Pane(),
            "document.querySelector('[name=szTitle]').value = 'Brazil & more';"
            "document.querySelector('[name=nYear]').value = '1986';"
            "document.querySelector('[name=szPlot]').value = 'one\\ntwo';"
            "document.querySelector('input[type=checkbox][name=bWatched]').checked = true;"
            "document.querySelector('button[type=submit]').click();");
        QVERIFY(WaitUntil([&] { return !frame_->EditMode(); }));
        QCOMPARE(frame_->Model()->Title(1), QStringLiteral("Brazil & more"));
        const Movie movie = ReadMovie(oids_[1]);
        QCOMPARE(movie.szTitle, std::string("Brazil & more"));
        QCOMPARE(movie.nYear, 1986);
        QCOMPARE(movie.szPlot, std::string("one\r\ntwo"));
        QVERIFY(movie.bWatched);
        QCOMPARE(PageTitle(*frame_->Pane()), QStringLiteral("Brazil & more"));
    }

    void formSubmitFromAScriptIsTakenToo() {
        frame_ = OpenFrame();
        frame_->List()->SelectAndFocus(2);
        WaitForIdle();
        frame_->Action(ID_MOVIE_EDITMODE)->trigger();
        QCOMPARE(PageTitle(*frame_->Pane()), QStringLiteral("Edit: Casablanca"));
        RunPageScript(*frame_->Pane(),
                      "document.querySelector('[name=nYear]').value = '1942';"
                      "document.forms[0].submit();");
        QVERIFY(WaitUntil([&] { return !frame_->EditMode(); }));
        QCOMPARE(ReadMovie(oids_[2]).nYear, 1942);
    }

    void postedBodyCarriesTheSubmitterAndHiddenFormProperties() {
        TempFolder folder;
        SetTemplate(&Settings::view, WriteProbeTemplate(folder));
        frame_ = OpenFrame();
        frame_->List()->SelectAndFocus(0);
        QCOMPARE(PageTitle(*frame_->Pane()), QStringLiteral("probe"));
        RunPageScript(*frame_->Pane(), "document.getElementById('send').click();");
        QVERIFY(WaitUntil([&] { return ReadMovie(oids_[0]).nYear == 1984; }));
        const Movie movie = ReadMovie(oids_[0]);
        QCOMPARE(movie.szTitle, std::string("A & B"));
        QCOMPARE(movie.szPlot, std::string("line one\r\nline two"));
        // The page stays the program's: the action's file was never opened.
        QCOMPARE(PageTitle(*frame_->Pane()), QStringLiteral("probe"));
    }

    void getFormsAndLinksNavigateWithoutStoringAnything() {
        TempFolder folder;
        SetTemplate(&Settings::view, WriteProbeTemplate(folder));
        frame_ = OpenFrame();
        frame_->List()->SelectAndFocus(0);
        QCOMPARE(PageTitle(*frame_->Pane()), QStringLiteral("probe"));
        RunPageScript(*frame_->Pane(), "document.getElementById('go').click();");
        QVERIFY(WaitUntil([&] { return frame_->Pane()->url().scheme() == "file"; }));
        QCOMPARE(frame_->Pane()->url().query(), QStringLiteral("szTitle=got"));
        QCOMPARE(ReadMovie(oids_[0]).szTitle, std::string("Alien"));

        SelectRows(*frame_, {1});
        SelectRows(*frame_, {0});
        QCOMPARE(PageTitle(*frame_->Pane()), QStringLiteral("probe"));
        frame_->Action(ID_MOVIE_EDITMODE)->trigger();  // edit mode on, the Edit page shows
        SetTemplate(&Settings::edit, WriteProbeTemplate(folder));
        frame_.reset();
        frame_ = OpenFrame();
        frame_->List()->SelectAndFocus(0);
        QCOMPARE(PageTitle(*frame_->Pane()), QStringLiteral("probe"));
        RunPageScript(*frame_->Pane(), "document.getElementById('link').click();");
        QVERIFY(WaitUntil([&] { return PageTitle(*frame_->Pane()) == "target"; }));
        QCOMPARE(ReadMovie(oids_[0]).szTitle, std::string("Alien"));
    }

    void postFromAPageTheProgramDidNotRenderIsNotTaken() {
        TempFolder folder;
        WriteFileBytes(folder / "foreign.html",
                       "<html><head><title>foreign</title></head><body>"
                       "<form method='post' action='about:blank'><input name='szTitle' value='x'/>"
                       "<button id='send'>Send</button></form></body></html>");
        frame_ = OpenFrame();
        frame_->List()->SelectAndFocus(0);
        WaitForIdle();
        frame_->Action(ID_MOVIE_EDITMODE)->trigger();
        frame_->Pane()->setUrl(
            QUrl::fromLocalFile(QString::fromStdString(folder / "foreign.html")));
        QCOMPARE(PageTitle(*frame_->Pane()), QStringLiteral("foreign"));
        RunPageScript(*frame_->Pane(), "document.getElementById('send').click();");
        QTest::qWait(300);
        QVERIFY(frame_->EditMode());
        QCOMPARE(ReadMovie(oids_[0]).szTitle, std::string("Alien"));
    }

    void missingTemplateLeavesThePaneEmptyWithoutAMessage() {
        SetTemplate(&Settings::view, "/nonexistent/View.xsl");
        frame_ = OpenFrame();
        const auto seen = AnswerNextBox(true);
        SelectRows(*frame_, {0});
        QTest::qWait(100);
        QVERIFY(!seen->shown);
        QCOMPARE(frame_->Pane()->url(), QUrl(QStringLiteral("about:blank")));
    }

    void templateThatFailsWhenRunShowsTheProcessorsMessage() {
        TempFolder folder;
        WriteFileBytes(folder / "Bad.xsl",
                       "<?xml version='1.0'?>"
                       "<xsl:stylesheet version='1.0' "
                       "xmlns:xsl='http://www.w3.org/1999/XSL/Transform'>"
                       "<xsl:template match='/'><xsl:message terminate='yes'>broken on purpose"
                       "</xsl:message></xsl:template></xsl:stylesheet>");
        SetTemplate(&Settings::view, folder / "Bad.xsl");
        frame_ = OpenFrame();
        QString text;
        bool critical = false;
        WhenModalShows([&](QWidget* modal) {
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                text = box->text();
                critical = box->icon() == QMessageBox::Critical;
                box->accept();
            }
        });
        SelectRows(*frame_, {0});
        QVERIFY(WaitUntil([&] { return !text.isEmpty(); }));
        QVERIFY2(text.contains("broken on purpose"), qPrintable(text));
        QVERIFY(critical);
        QCOMPARE(frame_->Pane()->url(), QUrl(QStringLiteral("about:blank")));
    }

private:
    std::vector<ObjectId> oids_;
    std::unique_ptr<MainFrame> frame_;
};

}  // namespace reelkeep::test

REELKEEP_GUI_TEST_MAIN(reelkeep::test::PaneTest)
#include "PaneTest.moc"
