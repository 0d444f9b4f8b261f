// Adding movies by dropping files on the real window, Update from a file, and the two exports
// with their save dialogs.
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDropEvent>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "GuiTestSupport.h"
#include "PaneTestSupport.h"
#include "RiffBuilder.h"
#include "app/MainFrame.h"
#include "catalog/CatalogPaths.h"
#include "platform/Folders.h"
#include "support/TempFolder.h"
#include "ui/BrowserPane.h"
#include "ui/MovieListModel.h"
#include "ui/MovieListView.h"
#include "ui/ResScheme.h"
#include "ui/TitleDialog.h"

namespace reelkeep::test {

namespace {

// Types the name into the file dialog and presses its accept button.
void AnswerFileDialog(const QString& path) {
    AnswerWhenShows<QFileDialog>([path](QFileDialog* dialog) {
        dialog->selectFile(path);
        QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
    });
}

bool SetImmutable(const std::string& folder, bool immutable) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = immutable ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
}

// Drops the files on `target` (the window, or a widget inside it: the event travels up to the
// first widget that takes drops).
void DropOn(QWidget& target, const QStringList& paths) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
    data.setUrls(urls);
    const QPointF where(target.width() / 2.0, target.height() / 2.0);
    QDragEnterEvent enter(where.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(where, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &drop);
}

void DropOnWindow(MainFrame& frame, const QStringList& paths) { DropOn(frame, paths); }

// Where a key typed now would go: an open popup (a completion list) takes the keyboard.
QWidget* KeyboardTarget(QWidget* fallback) {
    if (QWidget* popup = QApplication::activePopupWidget())
        return popup;
    return fallback;
}

}  // namespace

class ImportExportTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        oids_ = SeedDefaultCatalog({{"Alien", 1979}, {"Brazil", 1985}, {"Casablanca", 1942}});
        frame_ = OpenFrame();
    }
    void cleanup() {
        CancelPendingAnswers();
        frame_.reset();
    }

    void droppedFolderAsksForEachNewTitleAndSelectsTheAddedRows() {
        TempFolder media;
        QCOMPARE(::mkdir((media / "sub").c_str(), 0700), 0);
        WriteFileBytes(media / "New.Film.avi", AviFile(VideoStreamList("XVID", 512, 288)));
        WriteFileBytes(media / "sub/alien.avi", "x");  // joins Alien without a question
        QStringList asked;
        AnswerWhenShows<TitleDialog>([&](TitleDialog* dialog) {
            asked << dialog->Title();
            QCOMPARE(dialog->findChild<QComboBox*>()->count(), 3);
            dialog->accept();
        });
        SelectRows(*frame_, {1});
        DropOnWindow(*frame_, {QString::fromStdString(media.Path())});
        QCOMPARE(asked, QStringList{"New Film"});
        QCOMPARE(ListTitles(*frame_), QStringList({"Alien", "Brazil", "Casablanca", "New Film"}));
        QCOMPARE(SelectedTitles(*frame_), QStringList({"Brazil", "New Film"}));
        QCOMPARE(ReadMovie(oids_[0]).pszFilenames, StringArray{"alien.avi"});
        const Movie added = ReadMovie(frame_->Model()->Oid(3));
        QCOMPARE(added.nWidth, 512);
        QCOMPARE(added.szLocation, media / "New.Film.avi");
    }

    // A media centre's folder: the NFO names its movie without a question and brings its
    // poster; a damaged NFO is skipped, the title cleaned from the file name is offered, and
    // the window says which NFO was skipped and why.
    void aMediaCentresFolderFillsItsMoviesAndTheSkippedNfoIsNamed() {
        TempFolder media;
        const std::string jpeg = std::string("\xFF\xD8\xFF\xE0", 4) + std::string(100, 'j');
        QCOMPARE(::mkdir((media / "Heat (1995)").c_str(), 0700), 0);
        WriteFileBytes(media / "Heat (1995)/Heat (1995).avi", AviFile(VideoStreamList("XVID", 512, 288)));
        WriteFileBytes(media / "Heat (1995)/Heat (1995).nfo",
                       "<movie><title>Heat</title><year>1995</year><director>Michael Mann</director></movie>");
        WriteFileBytes(media / "Heat (1995)/poster.jpg", jpeg);
        QCOMPARE(::mkdir((media / "Ronin").c_str(), 0700), 0);
        WriteFileBytes(media / "Ronin/Ronin.1998.1080p.avi", "x");
        WriteFileBytes(media / "Ronin/Ronin.1998.1080p.nfo", "<movie><title>Ronin");
        QStringList asked;
        QString told;
        AnswerWhenShows<TitleDialog>([&](TitleDialog* dialog) {
            asked << dialog->Title();
            dialog->accept();
            AnswerWhenShows<QMessageBox>([&](QMessageBox* box) {
                told = box->text();
                box->button(QMessageBox::Ok)->click();
            });
        });
        DropOnWindow(*frame_, {QString::fromStdString(media.Path())});
        QCOMPARE(asked, QStringList{"Ronin"});
        QVERIFY2(told.contains(QString::fromStdString(media / "Ronin/Ronin.1998.1080p.nfo") +
                               ": The file is not well-formed XML"),
                 qPrintable(told));
        QCOMPARE(ListTitles(*frame_), QStringList({"Alien", "Brazil", "Casablanca", "Heat", "Ronin"}));
        const Movie heat = ReadMovie(frame_->Model()->Oid(3));
        QCOMPARE(heat.nYear, 1995);
        QCOMPARE(heat.pszDirectors, StringArray{"Michael Mann"});
        QCOMPARE(heat.nWidth, 512);
        QCOMPARE(heat.pszPictures.size(), std::size_t(1));
        QCOMPARE(ReadFileBytes(DefaultCatalogFolder() + heat.pszPictures[0]), jpeg);
        QCOMPARE(ReadMovie(frame_->Model()->Oid(4)).nYear, 1998);
    }

    void cancellingTheSecondOfThreeFilesSkipsTheThird() {
        TempFolder media;
        for (const char* name : {"One.avi", "Two.avi", "Three.avi"})
            WriteFileBytes(media / name, "");
        int asked = 0;
        AnswerWhenShows<TitleDialog>([&](TitleDialog* dialog) {
            ++asked;
            dialog->accept();
            AnswerWhenShows<TitleDialog>(
                [&](TitleDialog* second) {
                    ++asked;
                    QCOMPARE(second->Title(), QStringLiteral("Two"));
                    QTest::keyClick(second, Qt::Key_Escape);
                },
                dialog);
        });
        DropOnWindow(*frame_, {QString::fromStdString(media / "One.avi"),
                               QString::fromStdString(media / "Two.avi"),
                               QString::fromStdString(media / "Three.avi")});
        QCOMPARE(asked, 2);
        QCOMPARE(ListTitles(*frame_), QStringList({"Alien", "Brazil", "Casablanca", "One"}));
    }

    // The same titles and files as reelkeep-cli's test: the two match titles alike.
    void droppedTitlesMatchIgnoringCaseBeyondAscii() {
        const std::vector<ObjectId> oids =
            SeedDefaultCatalog({{"\xC3\x89lan"}, {"\xC9" "cole"},
                                {"\xCE\xA3\xCE\x8A\xCE\xA3\xCE\xA5\xCE\xA6\xCE\x9F\xCE\xA3"},
                                {"Stra\xC3\x9F" "e"}});
        frame_ = OpenFrame();
        TempFolder media;
        const std::vector<std::string> files = {
            "\xC3\xA9lan.avi", "\xC3\x89" "COLE.avi",
            "\xCF\x83\xCE\xAF\xCF\x83\xCF\x85\xCF\x86\xCE\xBF\xCF\x82.avi", "Elan.avi",
            "STRASSE.avi"};
        QStringList paths;
        for (const std::string& file : files) {
            WriteFileBytes(media / file, "x");
            paths << QString::fromStdString(media / file);
        }
        QStringList asked;
        std::function<void(TitleDialog*)> answer = [&](TitleDialog* dialog) {
            asked << dialog->Title();
            dialog->accept();
            if (asked.size() < 2)
                AnswerWhenShows<TitleDialog>(answer, dialog);
        };
        AnswerWhenShows<TitleDialog>(answer);
        DropOnWindow(*frame_, paths);
        QCOMPARE(asked, QStringList({"Elan", "STRASSE"}));
        for (std::size_t i = 0; i < 3; ++i)
            QCOMPARE(ReadMovie(oids[i]).pszFilenames, StringArray{files[i]});
        QVERIFY(ReadMovie(oids[3]).pszFilenames.empty());
    }

    void theTitleDialogTakesExactlyWhatWasTyped() {
        frame_.reset();
        oids_ = SeedDefaultCatalog({{"Aliens", 1986}, {"Brazil", 1985}});
        frame_ = OpenFrame();
        TempFolder media;
        WriteFileBytes(media / "First.Drop.avi", "");
        WriteFileBytes(media / "Second.Drop.avi", "");
        QStringList taken;
        // Each dialog gets "Alien" and then "brazil" typed over its text, key by key to
        // whichever widget the keyboard reaches (a completion popup takes it while it shows).
        const auto typeAndEnter = [&taken](TitleDialog* dialog, const QString& text) {
            auto* input = dialog->findChild<QLineEdit*>(QStringLiteral("titleInput"));
            QVERIFY(input);
            input->selectAll();
            for (const QChar character : text) {
                QTest::keyClick(KeyboardTarget(input), character.toLatin1());
            }
            QTest::keyClick(KeyboardTarget(input), Qt::Key_Return);
            taken << dialog->Title();
        };
        AnswerWhenShows<TitleDialog>([&](TitleDialog* first) {
            typeAndEnter(first, QStringLiteral("Alien"));
            AnswerWhenShows<TitleDialog>(
                [&](TitleDialog* second) { typeAndEnter(second, QStringLiteral("brazil")); },
                first);
        });
        frame_->DropPaths({QString::fromStdString(media / "First.Drop.avi"),
                           QString::fromStdString(media / "Second.Drop.avi")});
        // Neither an existing title that begins with the text nor one that differs only in
        // case replaces what was typed.
        QCOMPARE(taken, QStringList({"Alien", "brazil"}));
        QCOMPARE(ListTitles(*frame_), QStringList({"Aliens", "Brazil", "Alien"}));
        const Movie aliens = ReadMovie(oids_[0]);
        QCOMPARE(aliens.szTitle, std::string("Aliens"));
        QVERIFY(aliens.pszFilenames.empty());
        QCOMPARE(ReadMovie(frame_->Model()->Oid(2)).pszFilenames, StringArray{"First.Drop.avi"});
        // A typed title that equals a row's title apart from case still joins that movie.
        QCOMPARE(ReadMovie(oids_[1]).pszFilenames, StringArray{"Second.Drop.avi"});
    }

    void filesDroppedOnThePaneReachTheWindow() {
        TempFolder media;
        WriteFileBytes(media / "Delicatessen.avi", "");
        // The deepest widget of the pane: the one the engine draws the page in.
        QWidget* inner = frame_->Pane();
        const auto children = frame_->Pane()->findChildren<QWidget*>();
        if (!children.isEmpty())
            inner = children.back();
        QString asked;
        AnswerWhenShows<TitleDialog>([&](TitleDialog* dialog) {
            asked = dialog->Title();
            dialog->accept();
        });
        DropOn(*inner, {QString::fromStdString(media / "Delicatessen.avi")});
        QCOMPARE(asked, QStringLiteral("Delicatessen"));
        QVERIFY(ListTitles(*frame_).contains(QStringLiteral("Delicatessen")));
    }

    void updateFromAFileAttachesItToTheSelectedMovie() {
        TempFolder media;
        WriteFileBytes(media / "brazil.avi", AviFile(VideoStreamList("DX50", 640, 480)));
        SelectRows(*frame_, {1});
        AnswerFileDialog(QString::fromStdString(media / "brazil.avi"));
        frame_->Action(ID_MOVIE_UPDATE)->trigger();
        const Movie movie = ReadMovie(oids_[1]);
        QCOMPARE(movie.pszFilenames, StringArray{"brazil.avi"});
        QCOMPARE(movie.pszMedia, StringArray{"File"});
        QCOMPARE(movie.nHeight, 480);
        QCOMPARE(movie.szLocation, media / "brazil.avi");
    }

    void exportXmlAddsTheSuffixAndHoldsTheSelectionInListOrder() {
        TempFolder out;
        SelectRows(*frame_, {0, 2});
        AnswerFileDialog(QString::fromStdString(out / "catalog"));
        frame_->Action(ID_EXPORT_XML)->trigger();
        const std::string xml = ReadFileBytes(out / "catalog.xml");
        const std::size_t alien = xml.find("<szTitle>Alien</szTitle>");
        const std::size_t casablanca = xml.find("<szTitle>Casablanca</szTitle>");
        QVERIFY(alien != std::string::npos && casablanca != std::string::npos);
        QVERIFY(alien < casablanca);
        QVERIFY(xml.find("Brazil") == std::string::npos);
        QVERIFY(xml.find("StyleSheet") == std::string::npos);
    }

    void exportHtmlUsesViewInEditModeAndMultipleForSeveral() {
        TempFolder out;
        frame_->List()->SelectAndFocus(0);
        WaitForIdle();
        frame_->Action(ID_MOVIE_EDITMODE)->trigger();
        AnswerFileDialog(QString::fromStdString(out / "one"));
        frame_->Action(ID_EXPORT_HTML)->trigger();
        QVERIFY(ReadFileBytes(out / "one.html").find("<title>Alien</title>") != std::string::npos);

        SelectRows(*frame_, {0, 1});
        AnswerFileDialog(QString::fromStdString(out / "two.htm"));
        frame_->Action(ID_EXPORT_HTML)->trigger();
        QVERIFY(ReadFileBytes(out / "two.htm").find("<title>2 movies</title>") !=
                std::string::npos);
    }

    void anExportThatCannotBeWrittenSaysSoInAnErrorBox() {
        TempFolder out;
        const std::string locked = out / "locked";
        QCOMPARE(::mkdir(locked.c_str(), 0755), 0);
        // Immutable: nothing may create a file in it, not even root.
        if (!SetImmutable(locked, true))
            QSKIP("this file system cannot make a folder immutable");
        SelectRows(*frame_, {0});
        QString error;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        AnswerWhenShows<QFileDialog>([&](QFileDialog* dialog) {
            dialog->selectFile(QString::fromStdString(locked + "/catalog.xml"));
            AnswerWhenShows<QMessageBox>([&](QMessageBox* box) {
                error = box->text();
                icon = box->icon();
                box->button(QMessageBox::Ok)->click();
            }, dialog);
            QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
        });
        frame_->Action(ID_EXPORT_XML)->trigger();
        SetImmutable(locked, false);
        QVERIFY2(error.contains(QStringLiteral("catalog.xml")), qPrintable(error));
        QCOMPARE(icon, QMessageBox::Critical);
        QVERIFY(!std::filesystem::exists(locked + "/catalog.xml"));
    }

    void replacingAFileAsksFirstAndNoReturnsToTheDialog() {
        TempFolder out;
        WriteFileBytes(out / "old.xml", "keep me");
        SelectRows(*frame_, {0});
        bool asked = false;
        AnswerWhenShows<QFileDialog>([&](QFileDialog* dialog) {
            dialog->selectFile(QString::fromStdString(out / "old.xml"));
            AnswerWhenShows<QMessageBox>([&](QMessageBox* box) {
                asked = true;
                box->button(QMessageBox::No)->click();
                AnswerWhenShows<QFileDialog>([](QFileDialog* again) { again->reject(); }, box);
            });
            QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
        });
        frame_->Action(ID_EXPORT_XML)->trigger();
        QVERIFY(asked);
        QCOMPARE(ReadFileBytes(out / "old.xml"), std::string("keep me"));
    }

private:
    std::vector<ObjectId> oids_;
    std::unique_ptr<MainFrame> frame_;
};

}  // namespace reelkeep::test

REELKEEP_GUI_TEST_MAIN(reelkeep::test::ImportExportTest)
#include "ImportExportTest.moc"
