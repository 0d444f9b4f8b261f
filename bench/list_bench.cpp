// Figures of the movie list on a catalog of 100,000 movies: loading the rows, the sort
// commands, the search, Select All, and the whole window coming up on that catalog.
//   list_bench [COUNT]   (default 100000; runs offscreen in a private home folder)
#include <stdlib.h>
#include <sys/stat.h>

#include <QApplication>
#include <QTest>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

#include "app/MainFrame.h"
#include "catalog/CatalogOperations.h"
#include "catalog/CatalogPaths.h"
#include "PrivateHome.h"
#include "RealisticMovie.h"
#include "ui/MovieListModel.h"
#include "ui/MovieListView.h"
#include "ui/ResScheme.h"

using namespace reelkeep;
using Clock = std::chrono::steady_clock;

namespace {

template <typename Work>
double TimeMs(Work&& work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void BuildCatalog(const std::string& file, int count) {
    std::mt19937 random(7);
    CatalogDatabase database(file);
    database.Open(CatalogDatabase::Access::ReadWrite);
    for (int i = 0; i < count; ++i) {
        Movie movie = bench::RealisticMovie(random, i);
        database.Insert(movie);
    }
    database.Close();
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
    char pattern[] = "/tmp/reelkeep-list-bench-XXXXXX";
    const std::string root = std::string(::mkdtemp(pattern)) + "/";
    bench::UsePrivateOffscreenHome(root);
    RegisterResScheme();
    QApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);

    const std::string file = CatalogFilePath(DefaultCatalogFolder());
    std::printf("list_bench: %d movies\n", count);
    std::printf("  build catalog                 %8.1f ms\n",
                TimeMs([&] { BuildCatalog(file, count); }));

    MovieListModel model;
    MovieListView view;
    view.SetModel(&model);
    view.resize(320, 600);
    view.show();
    std::vector<MovieListRow> rows;
    std::printf("  read list rows (core)         %8.1f ms\n",
                TimeMs([&] { rows = LoadMovieList(file); }));
    std::printf("  fill the model and view       %8.1f ms\n", TimeMs([&] {
                    model.SetRows(rows);
                    QCoreApplication::processEvents();
                }));
    const struct {
        const char* name;
        SortOrder order;
    } sorts[] = {{"title ascending", kSortByTitle},
                 {"title descending", kSortByTitle | kSortDescending},
                 {"year descending", kSortByYear | kSortDescending},
                 {"year ascending", kSortByYear},
                 {"rating descending", kSortByRating | kSortDescending},
                 {"rating ascending", kSortByRating},
                 {"index descending", kSortByIndex | kSortDescending},
                 {"index ascending", kSortByIndex}};
    for (const auto& sort : sorts) {
        std::vector<ObjectId> order;
        const double read = TimeMs([&] { order = SortedMovieIds(file, sort.order); });
        const double apply = TimeMs([&] {
            model.ApplyOrder(order);
            QCoreApplication::processEvents();
        });
        std::printf("  sort %-20s     %8.1f ms (keys read + sorted %.1f, rows reordered %.1f)\n",
                    sort.name, read + apply, read, apply);
    }
    view.selectAll();
    std::printf("  sort by title, all selected   %8.1f ms\n", TimeMs([&] {
                    model.ApplyOrder(SortedMovieIds(file, kSortByTitle));
                    QCoreApplication::processEvents();
                }));
    std::printf("  search without a match        %8.3f ms\n",
                TimeMs([&] { (void)model.FindPrefix(QStringLiteral("zzzzzz")); }));
    view.hide();

    MainFrame* frame = nullptr;
    std::printf("  window shown with its list    %8.1f ms\n", TimeMs([&] {
                    frame = new MainFrame;
                    frame->show();
                    if (!QTest::qWaitForWindowExposed(frame))
                        std::printf("  (not exposed)\n");
                }));
    const int before = frame->RefreshCount();
    std::printf("  Select All to its one refresh %8.1f ms\n", TimeMs([&] {
                    frame->Action(ID_EDIT_SELECT_ALL)->trigger();
                    while (frame->RefreshCount() == before) QCoreApplication::processEvents();
                }));
    std::printf("  Sort by Title command         %8.1f ms\n",
                TimeMs([&] { frame->Action(ID_SORT_TITLE)->trigger(); }));
    delete frame;
    std::filesystem::remove_all(root);
    return 0;
}
