// Pictures of the window on a small catalog with posters: one movie in View, the Edit page (top
// and end), three movies in Multiple, the help page and the statistics page, saved as PNG files
// into the build folder ("screenshots/"), so that a person can look at the whole program at
// once. The View picture is the README's (docs/reelkeep-window.png, copied there by
// scripts/refresh-docs).
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QTest>

#include "GuiTestSupport.h"
#include "PaneTestSupport.h"
#include "app/MainFrame.h"
#include "catalog/CatalogPaths.h"
#include "platform/Folders.h"
#include "ui/BrowserPane.h"
#include "ui/MovieListView.h"
#include "ui/ResScheme.h"

namespace reelkeep::test {

namespace {

void WritePoster(const QString& path, const QColor& top, const QColor& bottom,
                 const QString& text) {
    QImage image(300, 450, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, 0, 450);
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    painter.fillRect(image.rect(), gradient);
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setPixelSize(34);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(image.rect().adjusted(20, 20, -20, -20), Qt::AlignBottom | Qt::TextWordWrap,
                     text);
    painter.end();
    image.save(path);
}

void SeedSampleCatalog() {
    const std::string folder = DefaultCatalogFolder();
    EnsureFolder(folder);
    std::remove(CatalogFilePath(folder).c_str());
    struct Sample {
        const char* title;
        int year;
        float rating;
        bool watched;
        const char* poster;
        QColor top, bottom;
    };
    const Sample samples[] = {
        {"The Quiet Harbour", 1998, 8.2f, true, "harbour.png", QColor(20, 60, 110),
         QColor(230, 140, 60)},
        {"Glass Mountains", 2004, 7.4f, false, "mountains.png", QColor(70, 30, 90),
         QColor(200, 200, 230)},
        {"Midnight Orchard", 2011, 6.9f, true, "orchard.png", QColor(10, 40, 20),
         QColor(120, 180, 80)},
    };
    CatalogDatabase database(CatalogFilePath(folder));
    database.Open(CatalogDatabase::Access::ReadWrite);
    for (const Sample& sample : samples) {
        WritePoster(QString::fromStdString(folder + sample.poster), sample.top, sample.bottom,
                    QString::fromLatin1(sample.title));
        Movie movie;
        movie.szTitle = sample.title;
        movie.nYear = sample.year;
        movie.fRating = sample.rating;
        movie.bWatched = sample.watched;
        movie.nLength = 104;
        movie.szPlot =
            "A keeper of old boats finds a letter in a bottle and follows it along the coast, "
            "meeting the people the sea has kept apart.";
        movie.pszDirectors = {"Ada Lindqvist"};
        movie.pszActors = {"Marta Okafor", "Jonas Bell", "Ilse Moreau"};
        movie.pszCategories = {"Drama", "Adventure"};
        movie.pszCountries = {"Norway"};
        movie.pszLanguages = {"English"};
        movie.pszPictures = {sample.poster};
        movie.pszFilenames = {"movie, part 1.avi", "movie, part 2.avi"};
        movie.pnSizes = {734003200, 702545920};
        movie.szVideo = "DivX 5.x";
        movie.szAudio = "AC3";
        movie.nWidth = 720;
        movie.nHeight = 400;
        movie.fFPS = 25.0f;
        database.Insert(movie);
    }
    database.Close();
}

// The README's picture is this test's View page: the same size, and nearly the same pixels
// unless the look has changed since scripts/refresh-docs copied it (then a warning says so;
// fonts and timing may differ a little from machine to machine).
void CompareWithTheReadmePicture(const QImage& fresh) {
    const QImage readme(QStringLiteral(REELKEEP_SOURCE_DIR "/docs/reelkeep-window.png"));
    QVERIFY2(!readme.isNull(), "docs/reelkeep-window.png is missing");
    QCOMPARE(readme.size(), fresh.size());
    const QImage a = readme.convertToFormat(QImage::Format_RGB32);
    const QImage b = fresh.convertToFormat(QImage::Format_RGB32);
    qint64 differing = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) differing += a.pixel(x, y) != b.pixel(x, y);
    }
    const double share = double(differing) / (double(a.width()) * a.height());
    if (share > 0.02) {
        qWarning("the README's picture differs from the window in %.0f%% of its pixels: run "
                 "scripts/refresh-docs if the look has changed",
                 share * 100);
    }
}

}  // namespace

class ScreenshotTest : public QObject {
    Q_OBJECT

private slots:
    void savesTheWindowInEachOfItsPages() {
        SeedSampleCatalog();
        const QString out = QStringLiteral(QT_TESTCASE_BUILDDIR "/screenshots/");
        QDir().mkpath(out);
        auto frame = OpenFrame();
        frame->resize(1180, 760);
        const auto shoot = [&](const QString& name) {
            QVERIFY(WaitForPaneLoad(*frame->Pane()));
            QTest::qWait(400);  // let the pictures and the layout settle
            const QImage image = frame->grab().toImage();
            QVERIFY(image.save(out + name));
            QVERIFY(!image.isNull());
        };
        frame->List()->SelectAndFocus(0);
        WaitForIdle();
        shoot(QStringLiteral("view.png"));
        CompareWithTheReadmePicture(QImage(out + "view.png"));
        frame->Action(ID_MOVIE_EDITMODE)->trigger();
        shoot(QStringLiteral("edit.png"));
        // The end of the form: the files beside their sizes, shown but not edited.
        RunPageScript(*frame->Pane(),
                      QStringLiteral("window.scrollTo(0, document.body.scrollHeight)"));
        shoot(QStringLiteral("edit-end.png"));
        frame->Action(ID_MOVIE_EDITMODE)->trigger();
        frame->Action(ID_EDIT_SELECT_ALL)->trigger();
        WaitForIdle();
        shoot(QStringLiteral("multiple.png"));
        frame->Action(ID_HELP_CONTENTS)->trigger();
        shoot(QStringLiteral("help.png"));
        frame->Action(ID_VIEW_STATISTICS)->trigger();
        WaitForIdle();
        shoot(QStringLiteral("statistics.png"));
    }
};

}  // namespace reelkeep::test

REELKEEP_GUI_TEST_MAIN(reelkeep::test::ScreenshotTest)
#include "ScreenshotTest.moc"
