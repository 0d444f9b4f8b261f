// The browser pane in the real window: which page the selection shows, how often it is
// rebuilt, the template errors, and the edit page's form written back into the catalog.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QDeadlineTimer>
#include <QDesktopServices>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QScopeGuard>
#include <QTest>
#include <chrono>
#include <cstdio>
#include <thread>

#include "GuiTestSupport.h"
#include "PaneTestSupport.h"
#include "app/MainFrame.h"
#include "catalog/CatalogOperations.h"
#include "catalog/CatalogPaths.h"
#include "maint/Settings.h"
#include "platform/Folders.h"
#include "support/TempFolder.h"
#include "ui/BrowserPane.h"
#include "ui/MovieListModel.h"
#include "ui/MovieListView.h"
#include "ui/PageRenderer.h"
#include "ui/Prompts.h"
#include "ui/ResScheme.h"

namespace reelkeep::test {

namespace {

// Points one template setting somewhere else for the next window.
void SetTemplate(std::string Settings::*which, const std::string& path) {
    Settings settings = LoadSettings(ProgramFolder());
    settings.*which = path;
    QVERIFY(SaveSettings(settings));
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

// A named pipe that a template reads through document(): the transform waits on it, so a
// test can look at the window while a page is being made, and then lets it go on.
class PageGate {
public:
    explicit PageGate(const TempFolder& folder) : path_(folder / "gate.xml") {
        ::mkfifo(path_.c_str(), 0600);
    }
    ~PageGate() {
        Release();
        Join();
    }
    const std::string& Path() const { return path_; }

    // Waits on its own thread for the transform to open the pipe, notes the cursor that the
    // application shows at that moment (the window's thread is held in the transform), then
    // hands the transform its document.
    void LetThroughOnce() {
        Join();
        cursor_ = kNotSeen;
        worker_ = std::thread([this] {
            const QDeadlineTimer deadline(30000);
            int fd = -1;
            while (fd < 0 && !deadline.hasExpired()) {
                fd = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                if (fd < 0)
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            if (fd < 0)
                return;
            const QCursor* shown = QGuiApplication::overrideCursor();
            cursor_ = shown ? shown->shape() : kNoCursor;
            const std::string_view document = "<gate>open</gate>";
            [[maybe_unused]] const auto written = ::write(fd, document.data(), document.size());
            ::close(fd);
        });
    }
    // Once the transform has opened the pipe, keeps it waiting for the document: true then.
    bool Holding() {
        if (held_ < 0)
            held_ = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        return held_ >= 0;
    }
    // Hands the held transform its document.
    void Release() {
        if (held_ < 0)
            return;
        const std::string_view document = "<gate>open</gate>";
        [[maybe_unused]] const auto written = ::write(held_, document.data(), document.size());
        ::close(std::exchange(held_, -1));
    }
    // The cursor seen while the transform read the pipe.
    int SeenCursor() {
        Join();
        return cursor_;
    }

    static constexpr int kNotSeen = -2;
    static constexpr int kNoCursor = -1;

private:
    void Join() {
        if (worker_.joinable())
            worker_.join();
    }

    std::string path_;
    std::thread worker_;
    int cursor_ = kNotSeen;
    int held_ = -1;
};

// A template whose page reads the gate: its title is what the gate hands over.
std::string WriteGatedTemplate(const TempFolder& folder, const PageGate& gate) {
    WriteFileBytes(folder / "Gated.xsl",
                   "<?xml version='1.0'?>"
                   "<xsl:stylesheet version='1.0' "
                   "xmlns:xsl='http://www.w3.org/1999/XSL/Transform'>"
                   "<xsl:output method='html' encoding='UTF-8'/>"
                   "<xsl:template match='/'><html><head><title>"
                   "<xsl:value-of select=\"concat(document('" +
                       gate.Path() +
                       "')/gate, ' ', count(Reelkeep/Movie))\"/>"
                       "</title></head><body/></html></xsl:template></xsl:stylesheet>");
    return folder / "Gated.xsl";
}

// Takes the addresses that the window hands to the desktop's programs.
class DesktopOpens : public QObject {
    Q_OBJECT

public:
    DesktopOpens() {
        for (const char* scheme : {"http", "https", "file"})
            QDesktopServices::setUrlHandler(scheme, this, "Open");
    }
    ~DesktopOpens() override {
        for (const char* scheme : {"http", "https", "file"})
            QDesktopServices::unsetUrlHandler(scheme);
    }
    QList<QUrl> urls;

public slots:
    void Open(const QUrl& url) { urls << url; }
};

// Clicks the element of the page with the mouse, as a user does.
void ClickElement(BrowserPane& pane, const QString& id) {
    const QVariantList box =
        RunPageScript(pane, "(function(){ const r = document.getElementById('" + id +
                                "').getBoundingClientRect(); return [r.x + r.width / 2, "
                                "r.y + r.height / 2]; })()")
            .toList();
    QWidget* surface = pane.focusProxy();
    const QPoint at(qRound(box.value(0).toDouble()), qRound(box.value(1).toDouble()));
    QTest::mouseClick(surface, Qt::LeftButton, {}, at);
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
        QCOMPARE(PageTitle(*frame_->Pane()), QStringLiteral("Edit: Alien"));
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

    void theWaitCursorShowsWhilePagesAndExportsAreMadeAndGoesAfter() {
        TempFolder folder;
        PageGate gate(folder);
        const std::string gated = WriteGatedTemplate(folder, gate);
        SetTemplate(&Settings::multiple, gated);
        SetTemplate(&Settings::view, gated);
        frame_ = OpenFrame();
        QVERIFY(!QGuiApplication::overrideCursor());

        gate.LetThroughOnce();
        frame_->Action(ID_EDIT_SELECT_ALL)->trigger();
        QVERIFY(WaitUntil([&] { return PageTitle(*frame_->Pane()) == "open 3"; }));
        QCOMPARE(gate.SeenCursor(), int(Qt::WaitCursor));
        QVERIFY(!QGuiApplication::overrideCursor());

        // Export HTML of the same three movies: the save dialog, then the wait.
        const QString exported = QString::fromStdString(folder / "out.html");
        WhenModalShows([exported](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            auto* name = dialog ? dialog->findChild<QLineEdit*>("fileNameEdit") : nullptr;
            if (!name)
                return;
            name->setText(exported);
            QTest::keyClick(name, Qt::Key_Return);
        });
        gate.LetThroughOnce();
        frame_->Action(ID_EXPORT_HTML)->trigger();
        QCOMPARE(gate.SeenCursor(), int(Qt::WaitCursor));
        QVERIFY(!QGuiApplication::overrideCursor());
        QVERIFY(ReadFileBytes(folder / "out.html").find("open 3") != std::string::npos);

        // A template that fails: its error box comes with the ordinary cursor.
        WriteFileBytes(gated, "<?xml version='1.0'?>"
                              "<xsl:stylesheet version='1.0' "
                              "xmlns:xsl='http://www.w3.org/1999/XSL/Transform'>"
                              "<xsl:template match='/'><xsl:message terminate='yes'>no"
                              "</xsl:message></xsl:template></xsl:stylesheet>");
        bool boxShown = false;
        bool cursorAtBox = true;
        WhenModalShows([&](QWidget* modal) {
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                boxShown = true;
                cursorAtBox = QGuiApplication::overrideCursor() != nullptr;
                box->accept();
            }
        });
        SelectRows(*frame_, {1});
        QVERIFY(WaitUntil([&] { return boxShown; }));
        QVERIFY(!cursorAtBox);
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void aPageStillBeingMadeNeverShowsOverHelpOrAnotherCatalog() {
        TempFolder folder, other;
        PageGate gate(folder);
        SetTemplate(&Settings::multiple, WriteGatedTemplate(folder, gate));
        AddMovieByTitle(CatalogFilePath(other.Path()), "Elsewhere");
        frame_ = OpenFrame();
        BrowserPane& pane = *frame_->Pane();
        auto* renderer = frame_->findChild<PageRenderer*>();
        QVERIFY(renderer);
        QStringList shown;
        connect(&pane, &QWebEngineView::loadFinished, this, [&](bool) { shown << pane.title(); });
        // A page held in its template is let go in the end, whatever happened meanwhile.
        const auto release = qScopeGuard([&] { gate.Release(); });
        const auto holdPageOfEveryMovie = [&] {
            frame_->List()->clearSelection();
            frame_->Action(ID_EDIT_SELECT_ALL)->trigger();
            return WaitUntil([&] { return gate.Holding(); }) && frame_->RenderPending() &&
                   QGuiApplication::overrideCursor() &&
                   QGuiApplication::overrideCursor()->shape() == Qt::WaitCursor;
        };
        const auto letItEnd = [&] {
            gate.Release();
            return WaitUntil([&] { return renderer->Idle() && !pane.PageWaiting(); }) &&
                   WaitForPaneLoad(pane);
        };

        // Help while the page of all three is in its template: help stays.
        QVERIFY(holdPageOfEveryMovie());
        frame_->Action(ID_HELP_CONTENTS)->trigger();
        QVERIFY(!renderer->Busy());
        QVERIFY(!QGuiApplication::overrideCursor());
        QVERIFY(letItEnd());
        QTRY_COMPARE(pane.url(), ResourceUrl(kHelpResource));
        QVERIFY(WaitForPaneLoad(pane));
        QCOMPARE(pane.url(), ResourceUrl(kHelpResource));

        // Another catalog opened meanwhile: the old catalog's page never comes.
        QVERIFY(holdPageOfEveryMovie());
        SetNextChosenFolder(QString::fromStdString(other.Path()).chopped(1));
        frame_->Action(ID_FILE_OPEN)->trigger();
        QCOMPARE(ListTitles(*frame_), QStringList({"Elsewhere"}));
        QVERIFY(!renderer->Busy());
        QVERIFY(!QGuiApplication::overrideCursor());
        QVERIFY(letItEnd());
        QTRY_COMPARE(pane.url(), QUrl(QStringLiteral("about:blank")));
        QVERIFY(WaitForPaneLoad(pane));
        QVERIFY2(!shown.contains(QStringLiteral("open 3")), qPrintable(shown.join(", ")));

        SelectRows(*frame_, {0});
        QCOMPARE(PageTitle(pane), QStringLiteral("Elsewhere"));
    }

    void aPagesRequestForANewWindowOpensTheDesktopBrowser() {
        TempFolder folder;
        WriteFileBytes(
            folder / "Links.xsl",
            "<?xml version='1.0'?>"
            "<xsl:stylesheet version='1.0' xmlns:xsl='http://www.w3.org/1999/XSL/Transform'>"
            "<xsl:output method='html' encoding='UTF-8'/>"
            "<xsl:template match='/'><html><head><title>links</title>"
            "<style>a, button { display: block; width: 200px; height: 40px; }</style></head>"
            "<body>"
            "<a id='blank' target='_blank' href='http://127.0.0.1:9/blank'>blank</a>"
            "<a id='named' target='details' href='https://127.0.0.1:9/named'>named</a>"
            "<button id='open' onclick=\"window.open('http://127.0.0.1:9/opened')\">open</button>"
            "<a id='file' target='_blank' href='file:///etc/hostname'>file</a>"
            "<script>window.open('http://127.0.0.1:9/unasked');</script>"
            "</body></html></xsl:template></xsl:stylesheet>");
        SetTemplate(&Settings::view, folder / "Links.xsl");
        DesktopOpens opened;
        frame_ = OpenFrame();
        SelectRows(*frame_, {0});
        QCOMPARE(PageTitle(*frame_->Pane()), QStringLiteral("links"));
        const QUrl page = frame_->Pane()->url();

        ClickElement(*frame_->Pane(), "blank");
        QVERIFY(WaitUntil([&] { return opened.urls.size() == 1; }));
        ClickElement(*frame_->Pane(), "named");
        QVERIFY(WaitUntil([&] { return opened.urls.size() == 2; }));
        ClickElement(*frame_->Pane(), "open");
        QVERIFY(WaitUntil([&] { return opened.urls.size() == 3; }));
        // A local file is no page for a browser; a window the user did not ask for is none.
        ClickElement(*frame_->Pane(), "file");
        QTest::qWait(300);
        QCOMPARE(opened.urls, QList<QUrl>({QUrl("http://127.0.0.1:9/blank"),
                                           QUrl("https://127.0.0.1:9/named"),
                                           QUrl("http://127.0.0.1:9/opened")}));
        QCOMPARE(frame_->Pane()->url(), page);
        QCOMPARE(PageTitle(*frame_->Pane()), QStringLiteral("links"));
    }

private:
    std::vector<ObjectId> oids_;
    std::unique_ptr<MainFrame> frame_;
};

}  // namespace reelkeep::test

REELKEEP_GUI_TEST_MAIN(reelkeep::test::PaneTest)
#include "PaneTest.moc"
