#include "GuiTestSupport.h"

#include <sys/stat.h>
#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <cstdlib>

#include "app/MainFrame.h"
#include "catalog/CatalogPaths.h"
#include "support/TempFolder.h"
#include "ui/MovieListModel.h"
#include "ui/MovieListView.h"

namespace reelkeep::test {

void UsePrivateHome() {
    static TempFolder home;
    const std::string root = home.Path();
    const auto set = [&](const char* name, const std::string& folder) {
        ::mkdir(folder.c_str(), 0700);
        ::setenv(name, folder.c_str(), 1);
    };
    set("HOME", root + "home");
    set("XDG_CONFIG_HOME", root + "config");
    set("XDG_DATA_HOME", root + "data");
    set("XDG_CACHE_HOME", root + "cache");
    set("XDG_RUNTIME_DIR", root + "runtime");
    QStandardPaths::setTestModeEnabled(true);
}

std::vector<ObjectId> SeedDefaultCatalog(const std::vector<SeedMovie>& movies) {
    const std::string file = CatalogFilePath(DefaultCatalogFolder());
    RemoveCatalogFile(file);
    CatalogDatabase database(file);
    database.KeepHistory(false);  // a catalog as the user brings it: nothing to take back yet
    database.Open(CatalogDatabase::Access::ReadWrite);
    std::vector<ObjectId> oids;
    for (const SeedMovie& seed : movies) {
        Movie movie;
        movie.szTitle = seed.title;
        movie.nYear = seed.year;
        movie.fRating = seed.rating;
        movie.bWatched = seed.watched;
        movie.szLocation = seed.location;
        oids.push_back(database.Insert(movie));
    }
    database.Close();
    return oids;
}

Movie ReadMovie(ObjectId oid) {
    CatalogDatabase database(CatalogFilePath(DefaultCatalogFolder()));
    database.Open(CatalogDatabase::Access::ReadOnly);
    Movie movie;
    database.Fetch(oid, movie);
    return movie;
}

std::unique_ptr<MainFrame> OpenFrame() {
    auto frame = std::make_unique<MainFrame>();
    // The scripts shipped beside the programs stay out of the tests' menus.
    static TempFolder noScripts;
    frame->UseScriptsFolder(noScripts.Path());
    frame->show();
    frame->activateWindow();
    if (!QTest::qWaitForWindowActive(frame.get()))
        qWarning("the main window did not activate");
    WaitForIdle();
    return frame;
}

QStringList ListTitles(const MainFrame& frame) {
    QStringList titles;
    for (int row = 0; row < frame.Model()->rowCount(); ++row) titles << frame.Model()->Title(row);
    return titles;
}

QStringList SelectedTitles(const MainFrame& frame) {
    QStringList titles;
    for (const int row : frame.List()->SelectedRows()) titles << frame.Model()->Title(row);
    return titles;
}

void SelectRows(MainFrame& frame, const std::vector<int>& rows) {
    QItemSelectionModel* selection = frame.List()->selectionModel();
    selection->clearSelection();
    for (const int row : rows) {
        selection->select(frame.Model()->index(row, 0), QItemSelectionModel::Select);
    }
    WaitForIdle();
}

void WaitForIdle() {
    // Zero-timeout timers run once the queue is empty; two passes cover a timer armed by the
    // first.
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    // The pages the idle pass asked for are made on threads of their own.
    WaitForRenders();
}

void WaitForRenders() {
    const QDeadlineTimer deadline(30000);
    const auto pending = [] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            const auto* frame = qobject_cast<MainFrame*>(window);
            if (frame && frame->RenderPending())
                return true;
        }
        return false;
    };
    while (pending() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    if (pending())
        qWarning("a page was still being made after 30 s");
}

namespace {

QList<QPointer<QTimer>>& PendingPolls() {
    static QList<QPointer<QTimer>> polls;
    return polls;
}

}  // namespace

void CancelPendingAnswers() {
    for (const QPointer<QTimer>& poll : std::as_const(PendingPolls())) delete poll.data();
    PendingPolls().clear();
}

void WhenModalShows(std::function<void(QWidget*)> answer) {
    auto* poll = new QTimer;
    PendingPolls().append(poll);
    poll->setInterval(0);
    const QDeadlineTimer deadline(10000);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, deadline, answer] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal && !deadline.hasExpired())
            return;
        poll->stop();
        poll->deleteLater();
        if (modal)
            answer(modal);
    });
    poll->start();
}

std::shared_ptr<BoxSeen> AnswerNextBox(bool yes) {
    auto seen = std::make_shared<BoxSeen>();
    WhenModalShows([seen, yes](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box)
            return;
        seen->shown = true;
        seen->text = box->text();
        seen->title = box->windowTitle();
        seen->warningIcon = box->icon() == QMessageBox::Warning;
        seen->noIsDefault =
            static_cast<QAbstractButton*>(box->defaultButton()) == box->button(QMessageBox::No);
        box->button(yes ? QMessageBox::Yes : QMessageBox::No)->click();
    });
    return seen;
}

}  // namespace reelkeep::test
