// A drop of many files on the real window: "Use for all" in the title dialog, the progress
// dialog with files done and left and its Cancel, a window that keeps drawing while the media
// helper works, and a helper that hangs or dies under the window.
#include <dirent.h>
#include <signal.h>
#include <unistd.h>
#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <functional>
#include <sstream>

#include "GuiTestSupport.h"
#include "MediaSamples.h"
#include "app/MainFrame.h"
#include "catalog/CatalogPaths.h"
#include "support/TempFolder.h"
#include "ui/DropProgressDialog.h"
#include "ui/MovieListModel.h"
#include "ui/ResScheme.h"
#include "ui/TitleDialog.h"

namespace reelkeep::test {

namespace {

// The media helpers this test process has started: its children named reelkeep-probe.
std::vector<pid_t> HelperPids() {
    std::vector<pid_t> pids;
    DIR* proc = ::opendir("/proc");
    if (!proc)
        return pids;
    while (const dirent* entry = ::readdir(proc)) {
        const pid_t pid = static_cast<pid_t>(std::atoi(entry->d_name));
        if (pid <= 0)
            continue;
        std::ifstream stat("/proc/" + std::string(entry->d_name) + "/stat");
        std::string line;
        std::getline(stat, line);
        // "pid (comm) state ppid ..."
        const std::size_t close = line.rfind(')');
        if (close == std::string::npos || line.find("(reelkeep-probe)") == std::string::npos)
            continue;
        std::istringstream rest(line.substr(close + 2));
        char state = 0;
        pid_t parent = 0;
        rest >> state >> parent;
        if (parent == ::getpid())
            pids.push_back(pid);
    }
    ::closedir(proc);
    return pids;
}

QList<QPointer<QTimer>>& Polls() {
    static QList<QPointer<QTimer>> polls;
    return polls;
}

// Calls `act` from the event loop, whichever is running, once `ready` holds.
void When(std::function<bool()> ready, std::function<void()> act) {
    auto* poll = new QTimer;
    Polls().append(poll);
    poll->setInterval(5);
    const QDeadlineTimer deadline(20000);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, deadline, ready, act] {
        if (!ready() && !deadline.hasExpired())
            return;
        poll->stop();
        poll->deleteLater();
        if (!deadline.hasExpired())
            act();
    });
    poll->start();
}

template <typename T>
void WhenShows(std::function<void(T*)> answer) {
    When([] { return qobject_cast<T*>(QApplication::activeModalWidget()) != nullptr; },
         [answer] {
             if (T* modal = qobject_cast<T*>(QApplication::activeModalWidget()))
                 answer(modal);
         });
}

void ClickUseForAll(TitleDialog* dialog) {
    auto* button = dialog->findChild<QPushButton*>(QStringLiteral("useForAllButton"));
    QVERIFY(button);
    QCOMPARE(button->text(), QStringLiteral("Use for all"));
    QTest::mouseClick(button, Qt::LeftButton);
}

}  // namespace

class DropProgressTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        MediaSample sample;
        sample.name = "source.mkv";
        sample.video = "libx264";
        sample.size = "160x120";
        sample.audio = {{"aac", "eng", true}};
        if (!MissingEncoders(sample).empty())
            QSKIP("this ffmpeg cannot make Matroska samples");
        QCOMPARE(QString::fromStdString(MakeSample(scratch_.Path(), sample)), QString());
        movie_ = ReadFileBytes(scratch_ / "source.mkv");
    }
    void init() {
        oids_ = SeedDefaultCatalog({{"Alien", 1979}});
        frame_ = OpenFrame();
    }
    void cleanup() {
        CancelPendingAnswers();
        for (const QPointer<QTimer>& poll : std::as_const(Polls())) delete poll.data();
        Polls().clear();
        frame_.reset();
    }

    // Enter is OK for one file; "Use for all" takes this title and every further derived one.
    void useForAllAnswersTheRestOfTheDrop() {
        TempFolder media;
        for (const char* name : {"One.avi", "Two.avi", "alien.avi", "Three.avi", "Four.avi"})
            WriteFileBytes(media / name, "");
        QStringList asked;
        WhenShows<TitleDialog>([&](TitleDialog* first) {
            asked << first->Title();
            // Enter stays OK for this file alone: the button never takes it.
            auto* button = first->findChild<QPushButton*>(QStringLiteral("useForAllButton"));
            QVERIFY(button && !button->autoDefault() && !button->isDefault());
            first->accept();
            QVERIFY(!first->UseForAll());
            WhenShows<TitleDialog>([&](TitleDialog* second) {
                asked << second->Title();
                auto* input = second->findChild<QLineEdit*>(QStringLiteral("titleInput"));
                input->selectAll();
                QTest::keyClicks(input, QStringLiteral("Two (1999)"));
                ClickUseForAll(second);
            });
        });
        frame_->DropPaths({QString::fromStdString(media / "One.avi"),
                           QString::fromStdString(media / "Two.avi"),
                           QString::fromStdString(media / "alien.avi"),
                           QString::fromStdString(media / "Three.avi"),
                           QString::fromStdString(media / "Four.avi")});
        QCOMPARE(asked, QStringList({"One", "Two"}));
        QCOMPARE(ListTitles(*frame_), QStringList({"Alien", "One", "Two (1999)", "Three", "Four"}));
        QCOMPARE(ReadMovie(oids_[0]).pszFilenames, StringArray{"alien.avi"});
        // The next drop asks again.
        WriteFileBytes(media / "Five.avi", "");
        bool askedAgain = false;
        WhenShows<TitleDialog>([&](TitleDialog* dialog) {
            askedAgain = true;
            dialog->reject();
        });
        frame_->DropPaths({QString::fromStdString(media / "Five.avi")});
        QVERIFY(askedAgain);
    }

    // The helper stops answering on the second file: the progress dialog shows the files done
    // and left, the window keeps handling events, Cancel ends the drop once that file has had
    // its five seconds, and the third file is never added.
    void aSlowDropShowsProgressAndCancelStopsIt() {
        if (movie_.empty())
            QSKIP("no sample");
        TempFolder media;
        for (const char* name : {"A.mkv", "B.mkv", "C.mkv"}) WriteFileBytes(media / name, movie_);
        // The second file's question holds the drop while the helper, idle after the first
        // file, is stopped; "Use for all" then lets the drop go on into it.
        pid_t stopped = 0;
        WhenShows<TitleDialog>([&](TitleDialog* first) {
            first->accept();
            WhenShows<TitleDialog>([&](TitleDialog* second) {
                QCOMPARE(HelperPids().size(), std::size_t{1});
                stopped = HelperPids().front();
                ::kill(stopped, SIGSTOP);
                ClickUseForAll(second);
            });
        });
        QString status;
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
        WhenShows<DropProgressDialog>([&](DropProgressDialog* dialog) {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Adding Movies"));
            When([dialog] { return dialog->Bar()->maximum() == 3 && dialog->Bar()->value() == 1; },
                 [&, dialog] {
                     status = dialog->Status()->text();
                     ticker.start(20);
                     QTest::mouseClick(dialog->CancelButton(), Qt::LeftButton);
                     QVERIFY(dialog->StopWasRequested());
                     QVERIFY(dialog->isVisible());  // it waits for the file in hand
                 });
        });
        frame_->DropPaths({QString::fromStdString(media.Path())});
        ticker.stop();
        QVERIFY(stopped > 0);
        QCOMPARE(status, QStringLiteral("1 done, 2 left"));
        // The window went on handling events while the helper hung.
        QVERIFY2(ticks > 20, qPrintable(QString::number(ticks)));
        QCOMPARE(ListTitles(*frame_), QStringList({"Alien", "A", "B"}));
        QCOMPARE(ReadMovie(frame_->Model()->Oid(1)).szVideo, std::string("H.264 / AVC"));
        // The file the helper hung over has its name and size only.
        const Movie hung = ReadMovie(frame_->Model()->Oid(2));
        QCOMPARE(hung.szVideo, std::string());
        QCOMPARE(hung.pnSizes, Int64Array{static_cast<std::int64_t>(movie_.size())});
        QCOMPARE(::kill(stopped, 0), -1);  // killed and reaped
        QVERIFY(HelperPids().empty());     // and no helper outlives the drop
    }

    // Bad files and a helper killed while it holds a file: the window stays, every file is
    // added, and the files after the kill have their facts from a fresh helper.
    void theWindowSurvivesFilesThatBreakTheHelper() {
        if (movie_.empty())
            QSKIP("no sample");
        TempFolder media;
        WriteFileBytes(media / "1.mkv", movie_);
        WriteFileBytes(media / "2.mkv", movie_);
        WriteFileBytes(media / "3.mkv", movie_.substr(0, movie_.size() / 2));
        WriteFileBytes(media / "4.mkv", "");
        std::string noise(300000, '\0');
        for (std::size_t i = 0; i < noise.size(); ++i)
            noise[i] = static_cast<char>((i * 2654435761u) >> 13);
        WriteFileBytes(media / "5.mp4", noise);
        WriteFileBytes(media / "6.mkv", movie_);
        // At the second file's question the helper is idle: stopped, it takes the second
        // file's request and is killed while it holds it.
        WhenShows<TitleDialog>([&](TitleDialog* first) {
            first->accept();
            WhenShows<TitleDialog>([&](TitleDialog* second) {
                QCOMPARE(HelperPids().size(), std::size_t{1});
                const pid_t helper = HelperPids().front();
                ::kill(helper, SIGSTOP);
                QTimer::singleShot(300, [helper] { ::kill(helper, SIGKILL); });
                ClickUseForAll(second);
            });
        });
        frame_->DropPaths({QString::fromStdString(media.Path())});
        QVERIFY(frame_->isVisible());
        QCOMPARE(ListTitles(*frame_), QStringList({"Alien", "1", "2", "3", "4", "5", "6"}));
        QCOMPARE(ReadMovie(frame_->Model()->Oid(1)).szVideo, std::string("H.264 / AVC"));
        QCOMPARE(ReadMovie(frame_->Model()->Oid(2)).szVideo, std::string());
        QCOMPARE(ReadMovie(frame_->Model()->Oid(4)).pnSizes, Int64Array{0});
        QCOMPARE(ReadMovie(frame_->Model()->Oid(6)).szVideo, std::string("H.264 / AVC"));
        QCOMPARE(ReadMovie(frame_->Model()->Oid(6)).pszLanguages, StringArray{"English"});
    }

    // Update from a file reads the facts beside the window, then shows the movie.
    void updateFromAMatroskaFileFillsItsFacts() {
        if (movie_.empty())
            QSKIP("no sample");
        TempFolder media;
        WriteFileBytes(media / "alien.mkv", movie_);
        SelectRows(*frame_, {0});
        WhenShows<QFileDialog>([&](QFileDialog* dialog) {
            dialog->selectFile(QString::fromStdString(media / "alien.mkv"));
            QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
        });
        frame_->Action(ID_MOVIE_UPDATE)->trigger();
        const Movie movie = ReadMovie(oids_[0]);
        QCOMPARE(movie.pszFilenames, StringArray{"alien.mkv"});
        QCOMPARE(movie.szVideo, std::string("H.264 / AVC"));
        QCOMPARE(movie.szAudio, std::string("AAC"));
        QCOMPARE(movie.nWidth, 160);
        QCOMPARE(movie.pszLanguages, StringArray{"English"});
        QVERIFY(HelperPids().empty());
    }

private:
    TempFolder scratch_;
    std::string movie_;
    std::vector<ObjectId> oids_;
    std::unique_ptr<MainFrame> frame_;
};

}  // namespace reelkeep::test

REELKEEP_GUI_TEST_MAIN(reelkeep::test::DropProgressTest)
#include "DropProgressTest.moc"
