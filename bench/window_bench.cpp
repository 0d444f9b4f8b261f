// Figures of the whole window, offscreen: start to the first page shown on a 100,000-movie
// catalog, sorting it by title, a selection change to its View page, and Select All over
// 10,000 movies to the Multiple page; then, on the large catalog, Select All to the Multiple
// page with the longest time the window's thread went without handling its events, a
// selection change while that page is being made, Delete of 10,000 selected movies, and
// Export XML and HTML of the rest.
//   window_bench [COUNT] [SELECT_ALL_COUNT] [--no-exports]   (defaults 100000 and 10000)
#include <stdlib.h>
#include <sys/stat.h>
#include <time.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <string>

#include "PrivateHome.h"
#include "app/MainFrame.h"
#include "catalog/CatalogPaths.h"
#include "maint/Settings.h"
#include "platform/Folders.h"
#include "ui/BrowserPane.h"
#include "ui/MovieListModel.h"
#include "ui/MovieListView.h"
#include "ui/ResScheme.h"

using namespace reelkeep;
using Clock = std::chrono::steady_clock;

namespace {

double Since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::string Word(std::mt19937& random, int length) {
    std::string word(static_cast<std::size_t>(length), 'a');
    for (char& c : word) c = static_cast<char>('a' + random() % 26);
    word[0] = static_cast<char>(word[0] - 'a' + 'A');
    return word;
}

void BuildCatalog(const std::string& folder, int count) {
    EnsureFolder(folder);
    std::mt19937 random(11);
    CatalogDatabase database(CatalogFilePath(folder));
    database.Open(CatalogDatabase::Access::ReadWrite);
    for (int i = 0; i < count; ++i) {
        Movie movie;
        movie.szTitle = Word(random, 3 + static_cast<int>(random() % 8)) + " " +
                        Word(random, 3 + static_cast<int>(random() % 8));
        movie.nYear = 1930 + static_cast<int>(random() % 95);
        movie.fRating = static_cast<float>(random() % 1000) / 100.0f;
        movie.bWatched = random() % 3 == 0;
        while (movie.szPlot.size() < 400) movie.szPlot += Word(random, 6) + " ";
        for (int k = 0; k < 6; ++k) movie.pszActors.push_back(Word(random, 7));
        movie.pszCategories = {"Drama", "Comedy"};
        database.Insert(movie);
    }
    database.Close();
}

void UseCatalog(const std::string& folder) {
    Settings settings = LoadSettings(ProgramFolder());
    settings.database = folder;
    SaveSettings(settings);
}

// The longest time the window's thread went without running a timer of 5 ms: how long the
// window did not answer. Beside it, how much of that gap the thread itself spent working (its
// processor time): on a shared machine a gap can also be time the thread waited for a core.
class BlockWatch {
public:
    BlockWatch() {
        QObject::connect(&ticks_, &QTimer::timeout, [this] {
            const qint64 gap = sinceTick_.restart();
            const double busy = ThreadMilliseconds() - lastBusy_;
            lastBusy_ += busy;
            if (gap > longest_) {
                longest_ = gap;
                longestBusy_ = busy;
            }
        });
        ticks_.start(5);
        sinceTick_.start();
        lastBusy_ = ThreadMilliseconds();
    }
    void Restart() {
        QCoreApplication::processEvents();
        longest_ = 0;
        longestBusy_ = 0;
        sinceTick_.restart();
        lastBusy_ = ThreadMilliseconds();
    }
    qint64 Longest() const { return std::max(longest_, sinceTick_.elapsed()); }
    // "N ms (M busy)": the longest gap and the thread's own work in it.
    std::string Text() const {
        const bool current = sinceTick_.elapsed() > longest_;
        const double busy = current ? ThreadMilliseconds() - lastBusy_ : longestBusy_;
        char text[64];
        std::snprintf(text, sizeof text, "%lld ms (%.0f busy)", static_cast<long long>(Longest()),
                      busy);
        return text;
    }

private:
    static double ThreadMilliseconds() {
        timespec now{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
    }

    QTimer ticks_;
    QElapsedTimer sinceTick_;
    qint64 longest_ = 0;
    double longestBusy_ = 0;
    double lastBusy_ = 0;
};

// Runs events until the pane has loaded a page with this title; false after the time-out.
bool WaitForPage(MainFrame& frame, const QString& title, int timeoutMs = 600000) {
    bool shown = false;
    const auto connection = QObject::connect(frame.Pane(), &QWebEngineView::loadFinished,
                                             [&](bool ok) {
                                                 if (ok && frame.Pane()->title() == title)
                                                     shown = true;
                                             });
    QElapsedTimer timer;
    timer.start();
    while (!shown && timer.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    QObject::disconnect(connection);
    return shown;
}

// Answers the next modal dialog from inside its own event loop.
void WhenModalShows(std::function<void(QWidget*)> answer) {
    auto* poll = new QTimer;
    poll->setInterval(0);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, answer] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        poll->deleteLater();
        poll->stop();
        answer(modal);
    });
    poll->start();
}

void AnswerYes() {
    WhenModalShows([](QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal))
            box->button(QMessageBox::Yes)->click();
    });
}

void AnswerSaveFile(const QString& path) {
    WhenModalShows([path](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        auto* name = dialog ? dialog->findChild<QLineEdit*>("fileNameEdit") : nullptr;
        if (!name)
            return;
        name->setText(path);
        QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
    });
}

// When the pane was given the page's bytes: the page is made by then, and the rest is the
// engine laying it out.
class PageMade {
public:
    explicit PageMade(MainFrame& frame) {
        QObject::connect(frame.Pane(), &QWebEngineView::urlChanged, [this](const QUrl& url) {
            if (url.scheme() == QLatin1String("rkpage") && made_ == Clock::time_point())
                made_ = Clock::now();
        });
    }
    void Restart() { made_ = Clock::time_point(); }
    double Since(Clock::time_point start) const {
        return made_ == Clock::time_point()
                   ? -1.0
                   : std::chrono::duration<double, std::milli>(made_ - start).count();
    }

private:
    Clock::time_point made_;
};

// The machine's load over the last minute: the figures are wall time on cores that others
// may share.
double LoadAverage() {
    double load[1] = {0};
    return getloadavg(load, 1) == 1 ? load[0] : -1;
}

QString MultipleTitle(int movies) {
    return QStringLiteral("%1 movies").arg(movies);
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int selectAllCount = argc > 2 ? std::atoi(argv[2]) : 10000;
    const bool exports = !(argc > 3 && std::strcmp(argv[3], "--no-exports") == 0);
    char pattern[] = "/tmp/reelkeep-window-bench-XXXXXX";
    const std::string root = std::string(::mkdtemp(pattern)) + "/";
    bench::UsePrivateOffscreenHome(root);
    RegisterResScheme();
    QApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);

    const std::string big = root + "big/";
    const std::string small = root + "small/";
    BuildCatalog(big, count);
    BuildCatalog(small, selectAllCount);
    std::printf("window_bench: %d movies (Select All over %d); load average %.2f\n", count,
                selectAllCount, LoadAverage());

    UseCatalog(big);
    auto start = Clock::now();
    auto* frame = new MainFrame;
    frame->show();
    frame->List()->SelectAndFocus(0);
    const bool first = WaitForPage(*frame, frame->Model()->Title(0));
    std::printf("  start to first page shown     %8.1f ms%s  (target 2000)\n", Since(start),
                first ? "" : " (no page)");

    start = Clock::now();
    frame->Action(ID_SORT_TITLE)->trigger();  // title is already the order: this reverses it
    std::printf("  sort by title                 %8.1f ms  (target 500)\n", Since(start));

    const int middle = frame->Model()->rowCount() / 2;
    start = Clock::now();
    frame->List()->SelectAndFocus(middle);
    const bool view = WaitForPage(*frame, frame->Model()->Title(middle));
    std::printf("  selection change to View page %8.1f ms%s  (target 150)\n", Since(start),
                view ? "" : " (no page)");
    delete frame;

    UseCatalog(small);
    frame = new MainFrame;
    frame->show();
    QCoreApplication::processEvents();
    BlockWatch watch;
    auto made = std::make_unique<PageMade>(*frame);
    watch.Restart();
    start = Clock::now();
    frame->Action(ID_EDIT_SELECT_ALL)->trigger();
    const bool multiple = WaitForPage(*frame, MultipleTitle(selectAllCount));
    std::printf("  Select All to Multiple page   %8.1f ms%s  (target 500; page made %.1f;"
                " window blocked at most %s, target 100)\n",
                Since(start), multiple ? "" : " (no page)", made->Since(start),
                watch.Text().c_str());
    delete frame;

    // The large catalog: every figure with the longest time the window did not answer.
    UseCatalog(big);
    frame = new MainFrame;
    frame->show();
    QCoreApplication::processEvents();
    made = std::make_unique<PageMade>(*frame);
    watch.Restart();
    start = Clock::now();
    frame->Action(ID_EDIT_SELECT_ALL)->trigger();
    const double selected = Since(start);
    const bool all = WaitForPage(*frame, MultipleTitle(count));
    std::printf("  Select All over %6d to Multiple page %8.1f ms%s  (target 3000; rows selected"
                " %.1f, page made %.1f; window blocked at most %s, target 100)\n",
                count, Since(start), all ? "" : " (no page)", selected, made->Since(start),
                watch.Text().c_str());

    // A selection change while the page of every movie is being made.
    frame->List()->clearSelection();
    QCoreApplication::processEvents();
    frame->Action(ID_EDIT_SELECT_ALL)->trigger();
    const auto renderStart = Clock::now();
    while (Since(renderStart) < 500) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    const int chosen = count / 3;
    watch.Restart();
    start = Clock::now();
    frame->List()->SelectAndFocus(chosen);
    const bool changed = WaitForPage(*frame, frame->Model()->Title(chosen));
    std::printf("  selection change during a %d-movie render to its View page %8.1f ms%s"
                "  (target 250; window blocked at most %s)\n",
                count, Since(start), changed ? "" : " (no page)", watch.Text().c_str());

    // Delete of the first 10,000 rows.
    const int doomed = std::min(10000, frame->Model()->rowCount());
    QItemSelectionModel* selection = frame->List()->selectionModel();
    selection->select(QItemSelection(frame->Model()->index(0, 0),
                                     frame->Model()->index(doomed - 1, 0)),
                      QItemSelectionModel::ClearAndSelect);
    QCoreApplication::processEvents();
    const int before = frame->Model()->rowCount();
    AnswerYes();
    watch.Restart();
    start = Clock::now();
    frame->Action(ID_MOVIE_DELETE)->trigger();
    while (frame->Model()->rowCount() != before - doomed && Since(start) < 600000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    std::printf("  Delete of %d selected movies   %8.1f ms%s  (target 2000; window blocked at "
                "most %s)\n",
                doomed, Since(start),
                frame->Model()->rowCount() == before - doomed ? "" : " (rows left)",
                watch.Text().c_str());

    if (exports) {
        const int rest = frame->Model()->rowCount();
        frame->Action(ID_EDIT_SELECT_ALL)->trigger();
        QCoreApplication::processEvents();
        for (const auto& [command, name] :
             {std::pair{ID_EXPORT_XML, "XML"}, std::pair{ID_EXPORT_HTML, "HTML"}}) {
            const std::string file = root + "export." + (command == ID_EXPORT_XML ? "xml" : "html");
            AnswerSaveFile(QString::fromStdString(file));
            watch.Restart();
            start = Clock::now();
            frame->Action(command)->trigger();
            const double took = Since(start);
            std::error_code error;
            const auto bytes = std::filesystem::file_size(file, error);
            std::printf("  Export %-4s of %d movies      %8.1f ms (%.1f MB; window blocked at "
                        "most %s)\n",
                        name, rest, took, error ? 0.0 : static_cast<double>(bytes) / 1e6,
                        watch.Text().c_str());
        }
    }
    delete frame;
    std::printf("  load average at the end %.2f\n", LoadAverage());
    std::filesystem::remove_all(root);
    return 0;
}
