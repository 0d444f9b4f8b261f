// Figures of the whole window, offscreen: start to the first page shown on a 100,000-movie
// catalog, sorting it by title, a selection change to its View page, and Select All over
// 10,000 movies to the Multiple page.
//   window_bench [COUNT] [SELECT_ALL_COUNT]   (defaults 100000 and 10000)
#include <stdlib.h>
#include <sys/stat.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <chrono>
#include <cstdio>
#include <filesystem>
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

// Runs events until the pane has finished loading a page of ours.
bool WaitForPage(MainFrame& frame, int timeoutMs = 120000) {
    bool loaded = false;
    const auto connection = QObject::connect(frame.Pane(), &QWebEngineView::loadFinished,
                                             [&](bool ok) { loaded = ok; });
    QElapsedTimer timer;
    timer.start();
    while (!loaded && timer.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    QObject::disconnect(connection);
    return loaded;
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int selectAllCount = argc > 2 ? std::atoi(argv[2]) : 10000;
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
    std::printf("window_bench: %d movies (Select All over %d)\n", count, selectAllCount);

    UseCatalog(big);
    auto start = Clock::now();
    auto* frame = new MainFrame;
    frame->show();
    frame->List()->SelectAndFocus(0);
    const bool first = WaitForPage(*frame);
    std::printf("  start to first page shown     %8.1f ms%s  (target 2000)\n", Since(start),
                first ? "" : " (no page)");

    start = Clock::now();
    frame->Action(ID_SORT_TITLE)->trigger();  // title is already the order: this reverses it
    std::printf("  sort by title                 %8.1f ms  (target 500)\n", Since(start));

    start = Clock::now();
    frame->List()->SelectAndFocus(frame->Model()->rowCount() / 2);
    const bool view = WaitForPage(*frame);
    std::printf("  selection change to View page %8.1f ms%s  (target 150)\n", Since(start),
                view ? "" : " (no page)");
    delete frame;

    UseCatalog(small);
    frame = new MainFrame;
    frame->show();
    QCoreApplication::processEvents();
    start = Clock::now();
    frame->Action(ID_EDIT_SELECT_ALL)->trigger();
    // The page's bytes are made at the idle refresh; the rest is the engine laying it out.
    const int before = frame->RefreshCount();
    while (frame->RefreshCount() == before) QCoreApplication::processEvents();
    const double rendered = Since(start);
    const bool multiple = WaitForPage(*frame);
    std::printf("  Select All to Multiple page   %8.1f ms%s  (target 3000; template run %.1f)\n",
                Since(start), multiple ? "" : " (no page)", rendered);
    delete frame;
    std::filesystem::remove_all(root);
    return 0;
}
