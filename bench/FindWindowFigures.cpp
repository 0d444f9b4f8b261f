// find_bench's window figures, offscreen: each query from its last keystroke in the Filter box
// to the list shown (repainted), clearing the Filter, and View > Statistics from the menu to
// the page shown, of the whole catalog and of a Filter's movies.
#include "FindWindowFigures.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "BenchFigures.h"
#include "PrivateHome.h"
#include "app/MainFrame.h"
#include "maint/Settings.h"
#include "platform/Folders.h"
#include "ui/BrowserPane.h"
#include "ui/FilterBox.h"
#include "ui/MovieListModel.h"
#include "ui/MovieListView.h"
#include "ui/ResScheme.h"

namespace reelkeep::bench {

namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The list as the user sees it: the Filter's query run, the rows in place and painted.
void ShowList(MainFrame& frame) {
    QCoreApplication::processEvents();
    frame.List()->viewport()->repaint();
}

// The query but its last letter in the box, then that letter typed: the time from the
// keystroke to the list shown.
double Type(MainFrame& frame, const QString& query) {
    frame.Filter()->setText(query.chopped(1));
    ShowList(frame);
    const QChar last = query.back();
    const auto start = Clock::now();
    QTest::keyClicks(frame.Filter(), QString(last));
    ShowList(frame);
    return Since(start);
}

bool WaitForStatistics(MainFrame& frame, int timeoutMs = 60000) {
    bool shown = false;
    const auto connection = QObject::connect(frame.Pane(), &QWebEngineView::loadFinished, [&](bool ok) {
        if (ok && frame.Pane()->title() == QLatin1String("Statistics")) shown = true;
    });
    QElapsedTimer timer;
    timer.start();
    while (!shown && timer.elapsed() < timeoutMs) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QObject::disconnect(connection);
    return shown;
}

}  // namespace

void PrintWindowFigures(int argc, char** argv, const std::string& catalogFolder,
                        const std::vector<WindowQuery>& queries) {
    char pattern[] = "/tmp/reelkeep-find-bench-XXXXXX";
    const std::string root = std::string(::mkdtemp(pattern)) + "/";
    UsePrivateOffscreenHome(root);
    RegisterResScheme();
    QApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    Settings settings = LoadSettings(ProgramFolder());
    settings.database = catalogFolder;
    SaveSettings(settings);

    auto frame = std::make_unique<MainFrame>();
    frame->show();
    ShowList(*frame);
    std::printf("window (offscreen), %d movies in the list:\n", frame->Model()->rowCount());
    std::printf("  from the last keystroke to the list shown (median of 5):\n");
    for (const WindowQuery& query : queries) {
        std::vector<double> times;
        int shown = 0;
        for (int i = 0; i < 5; ++i) {
            frame->Filter()->clear();
            ShowList(*frame);
            times.push_back(Type(*frame, QString::fromStdString(query.text)));
            shown = frame->Model()->rowCount();
        }
        std::printf("    %-22s %-50s %8.1f ms  %6d shown\n", query.label.c_str(), query.text.c_str(),
                    Median(times), shown);
    }
    std::vector<double> clears;
    for (int i = 0; i < 5; ++i) {
        frame->Filter()->setText(QStringLiteral("year:1990-1999"));
        ShowList(*frame);
        const auto start = Clock::now();
        QTest::keyClick(frame->Filter(), Qt::Key_Escape);
        ShowList(*frame);
        clears.push_back(Since(start));
    }
    std::printf("  Escape in the box to every movie shown again: %.1f ms\n", Median(clears));

    for (const std::string& filter : {std::string(), std::string("year:1990-1999")}) {
        frame->Filter()->setText(QString::fromStdString(filter));
        ShowList(*frame);
        std::vector<double> times;
        for (int i = 0; i < 3; ++i) {
            frame->List()->SelectAndFocus(i);  // another page first, so that this one loads anew
            QCoreApplication::processEvents();
            const auto start = Clock::now();
            frame->Action(ID_VIEW_STATISTICS)->trigger();
            if (!WaitForStatistics(*frame)) {
                std::printf("  the statistics page did not show\n");
                return;
            }
            times.push_back(Since(start));
        }
        std::printf("  View > Statistics to the page shown%s%s: %.0f ms (median of 3)\n",
                    filter.empty() ? "" : ", Filter ", filter.c_str(), Median(times));
    }
    frame.reset();
    std::filesystem::remove_all(root);
}

}  // namespace reelkeep::bench
