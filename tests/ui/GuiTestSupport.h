// Shared pieces of the window tests: a private home folder, a seeded catalog, and answers to
// modal dialogs given from the event loop that the dialog itself runs.
#pragma once

#include <QApplication>
#include <QDeadlineTimer>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "catalog/CatalogDatabase.h"

class QWidget;

namespace reelkeep {
class MainFrame;
}

namespace reelkeep::test {

// Points HOME and the XDG folders into a fresh temporary folder (kept for the process's life)
// and turns on QStandardPaths' test mode. Call before the QApplication exists.
void UsePrivateHome();

struct SeedMovie {
    SeedMovie(std::string title_, std::int32_t year_ = 0, float rating_ = 0.0f,
              bool watched_ = false, std::string location_ = {})
        : title(std::move(title_)),
          year(year_),
          rating(rating_),
          watched(watched_),
          location(std::move(location_)) {}

    std::string title;
    std::int32_t year = 0;
    float rating = 0.0f;
    bool watched = false;
    std::string location;
};

// Replaces the default catalog with these movies, inserted in order (nIndex 1, 2, ...), with
// an empty history.
// Returns their identifiers.
std::vector<ObjectId> SeedDefaultCatalog(const std::vector<SeedMovie>& movies);

// The record as the default catalog holds it now (empty when it is gone).
Movie ReadMovie(ObjectId oid);

// A shown main window on the default catalog, with its first idle pass done.
std::unique_ptr<MainFrame> OpenFrame();

QStringList ListTitles(const MainFrame& frame);
QStringList SelectedTitles(const MainFrame& frame);
void SelectRows(MainFrame& frame, const std::vector<int>& rows);
// Lets the window's idle pass run, and the pages it asked for be made.
void WaitForIdle();
// Waits until no window has a page being made (the page then shows, or the pane is empty).
void WaitForRenders();

// Calls answer with the next modal dialog once it shows, from inside its own event loop.
void WhenModalShows(std::function<void(QWidget*)> answer);
// Calls answer once a modal widget of type T other than `answered` shows (other modals are
// waited past), from inside the dialog's own event loop.
template <typename T>
void AnswerWhenShows(std::function<void(T*)> answer, QWidget* answered = nullptr) {
    auto* poll = new QTimer;
    poll->setInterval(5);
    const QDeadlineTimer deadline(10000);
    const QPointer<QWidget> skip(answered);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, deadline, answer, skip, answered] {
        T* modal = qobject_cast<T*>(QApplication::activeModalWidget());
        if (answered && modal == skip.data())
            modal = nullptr;
        if (!modal && !deadline.hasExpired())
            return;
        poll->stop();
        poll->deleteLater();
        if (modal)
            answer(modal);
    });
    poll->start();
}

// Drops the answers whose dialog never showed, so that they cannot answer a later one.
void CancelPendingAnswers();

// Answers the next message box with Yes or No and records what it showed.
struct BoxSeen {
    bool shown = false;
    QString text;
    QString title;
    bool warningIcon = false;
    bool noIsDefault = false;
};
std::shared_ptr<BoxSeen> AnswerNextBox(bool yes);

}  // namespace reelkeep::test

// A QtTest main that first gives the process its private home folder.
#define REELKEEP_GUI_TEST_MAIN(TestClass)                       \
    int main(int argc, char** argv) {                           \
        reelkeep::test::UsePrivateHome();                       \
        reelkeep::RegisterResScheme();                          \
        QApplication::setAttribute(Qt::AA_ShareOpenGLContexts); \
        QApplication app(argc, argv);                           \
        TestClass test;                                         \
        return QTest::qExec(&test, argc, argv);                 \
    }
