// File > Import... and File > Export > CSV... in the real window: the open dialog, the preview
// answered each way, the progress with its Cancel, the summary, and the list afterwards.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QFileDialog>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <filesystem>
#include <map>
#include <set>

#include "GuiTestSupport.h"
#include "InteropTestSupport.h"
#include "ScriptedSteps.h"
#include "ZipMaker.h"
#include "app/MainFrame.h"
#include "catalog/CatalogPaths.h"
#include "interop/CatalogImport.h"
#include "support/TempFolder.h"
#include "ui/ImportDialogs.h"
#include "ui/MovieListModel.h"
#include "ui/MovieListView.h"
#include "ui/ResScheme.h"

namespace reelkeep::test {

namespace {

template <typename T>
T* Active() {
    return qobject_cast<T*>(QApplication::activeModalWidget());
}

// A step that types the files into the open dialog and accepts it.
std::function<bool()> ChooseFiles(const QStringList& paths) {
    return [paths] {
        auto* dialog = Active<QFileDialog>();
        if (!dialog)
            return false;
        QStringList quoted;
        for (const QString& path : paths) quoted << QLatin1Char('"') + path + QLatin1Char('"');
        dialog->selectFile(paths.size() == 1 ? paths.front() : quoted.join(QLatin1Char(' ')));
        QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
        return true;
    };
}

std::vector<Movie> Catalog() {
    std::vector<Movie> movies;
    CatalogDatabase database(CatalogFilePath(DefaultCatalogFolder()));
    database.Open(CatalogDatabase::Access::ReadOnly);
    database.ForEach([&](ObjectId, const Movie& movie) { movies.push_back(movie); });
    return movies;
}

// The names in the catalog's folder.
std::set<std::string> CatalogFolderFiles() {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(DefaultCatalogFolder()))
        names.insert(entry.path().filename().string());
    return names;
}

std::string ImdbRows(int count) {
    std::string csv =
        "Const,Your Rating,Date Rated,Title,URL,Title Type,IMDb Rating,Runtime (mins),Year,Genres\n";
    for (int i = 0; i < count; ++i) {
        csv += "tt" + std::to_string(1000000 + i) + ",7,2020-01-01,Film " + std::to_string(i) +
               ",,movie,6.5,90,2001,Drama\n";
    }
    return csv;
}

}  // namespace

class ImportWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        SeedDefaultCatalog({{"Alien", 1979}, {"Brazil", 1985}, {"Casablanca", 1942}});
        frame_ = OpenFrame();
    }
    void cleanup() {
        CancelPendingAnswers();
        frame_.reset();
    }

    void importPreviewsFillsAndSelectsTheAddedMovies() {
        TempFolder files;
        const std::string csv = files / "ratings.csv";
        WriteFileBytes(csv,
                       "Const,Your Rating,Date Rated,Title,URL,Title Type,IMDb Rating,Runtime (mins),Year,Genres,Directors\n"
                       "tt0078748,9,2021-01-01,alien,,movie,8.5,117,1979,\"Horror, Sci-Fi\",Ridley Scott\n"
                       "tt0113277,8,2021-01-02,Heat,,movie,8.3,170,1995,Crime,Michael Mann\n"
                       "tt0903747,10,2021-01-03,Breaking Bad,,TV Series,9.5,49,2008,Drama,\n");
        QString previewText, summaryText;
        bool choicesEnabled = false;
        ScriptedSteps steps;
        steps.Add(ChooseFiles({QString::fromStdString(csv)}));
        steps.Add([&] {
            auto* preview = Active<ImportPreviewDialog>();
            if (!preview)
                return false;
            previewText = preview->findChild<QPlainTextEdit*>()->toPlainText();
            choicesEnabled = preview->Choices()->button(int(ExistingMovies::Fill))->isEnabled();
            preview->Choices()->button(int(ExistingMovies::Fill))->click();
            preview->findChild<QPushButton*>("importButton")->click();
            return true;
        });
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        steps.AnswerBox(QMessageBox::Ok, [&](QMessageBox* box) {
            summaryText = box->text();
            icon = box->icon();
        });
        frame_->Action(ID_FILE_IMPORT)->trigger();
        QVERIFY(steps.WaitUntilFinished());

        QVERIFY2(previewText.contains("1 movie is new, for example Heat (1995).\n"), qPrintable(previewText));
        QVERIFY2(previewText.contains("1 movie is already in the catalog, for example alien (1979)."),
                 qPrintable(previewText));
        QVERIFY(previewText.contains("1 entry left out: not films"));
        QVERIFY(choicesEnabled);
        QCOMPARE(icon, QMessageBox::Information);
        QVERIFY2(summaryText.startsWith("1 movie added, 1 movie filled in."), qPrintable(summaryText));

        QCOMPARE(ListTitles(*frame_), QStringList({"Alien", "Brazil", "Casablanca", "Heat"}));
        QCOMPARE(SelectedTitles(*frame_), QStringList({"Heat"}));
        const std::vector<Movie> movies = Catalog();
        QCOMPARE(movies[0].szTitle, std::string("Alien"));  // filled, not renamed
        QCOMPARE(movies[0].pszDirectors, StringArray{"Ridley Scott"});
        QCOMPARE(movies[0].fRating, 9.0f);
        QCOMPARE(movies[3].nLength, 170);
    }

    // A Letterboxd export, a Tellico archive and a GCstar collection chosen together: one
    // preview, one transaction; replacing the movie the catalog has already.
    void severalKindsOfFileAtOnceReplacingWhatTheCatalogHas() {
        TempFolder files;
        WriteFileBytes(files / "letterboxd.zip", test::MakeZip(files.Path(), {
            {"watched.csv", "Date,Name,Year,Letterboxd URI\n2021-01-01,Alien,1979,https://boxd.it/2b0k\n"},
            {"ratings.csv", "Date,Name,Year,Letterboxd URI,Rating\n2021-01-02,Alien,1979,https://boxd.it/2b0k,3.5\n"},
        }));
        WriteFileBytes(files / "videos.tc", test::MakeZip(files.Path(), {
            {"tellico.xml",
             "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tellico xmlns=\"http://periapsis.org/tellico/\">"
             "<collection title=\"Videos\" type=\"3\"><entry id=\"1\"><title>Solaris</title><year>1972</year>"
             "<cover>c0ffee.png</cover></entry></collection></tellico>"},
            {"images/c0ffee.png", test::kPng},
        }));
        WriteFileBytes(files / "ronin.jpg", test::kJpeg);
        WriteFileBytes(files / "Films.gcs",
                       "<collection type=\"GCfilms\"><item id=\"1\" title=\"Ronin\" date=\"1998\" "
                       "image=\"ronin.jpg\"/></collection>");
        QString previewText, summaryText;
        ScriptedSteps steps;
        steps.Add(ChooseFiles({QString::fromStdString(files / "letterboxd.zip"),
                               QString::fromStdString(files / "videos.tc"),
                               QString::fromStdString(files / "Films.gcs")}));
        steps.Add([&] {
            auto* preview = Active<ImportPreviewDialog>();
            if (!preview)
                return false;
            previewText = preview->findChild<QPlainTextEdit*>()->toPlainText();
            preview->Choices()->button(int(ExistingMovies::Replace))->click();
            preview->findChild<QPushButton*>("importButton")->click();
            return true;
        });
        steps.AnswerBox(QMessageBox::Ok, [&](QMessageBox* box) { summaryText = box->text(); });
        frame_->Action(ID_FILE_IMPORT)->trigger();
        QVERIFY(steps.WaitUntilFinished());
        QVERIFY2(previewText.startsWith("Read 3 movies (Letterboxd, Tellico, GCstar).\n2 movies are new"),
                 qPrintable(previewText));
        QVERIFY2(summaryText.startsWith("2 movies added, 1 movie replaced."), qPrintable(summaryText));
        QCOMPARE(ListTitles(*frame_), QStringList({"Alien", "Brazil", "Casablanca", "Ronin", "Solaris"}));
        std::map<std::string, Movie> movies;
        for (const Movie& movie : Catalog()) movies[movie.szTitle] = movie;
        QCOMPARE(movies["Alien"].fRating, 7.0f);
        QCOMPARE(movies["Alien"].szURL, std::string("https://boxd.it/2b0k"));
        QCOMPARE(movies["Solaris"].pszPictures.size(), std::size_t(1));
        QCOMPARE(ReadFileBytes(DefaultCatalogFolder() + movies["Solaris"].pszPictures[0]), test::kPng);
        QCOMPARE(movies["Ronin"].pszPictures.size(), std::size_t(1));
        QCOMPARE(ReadFileBytes(DefaultCatalogFolder() + movies["Ronin"].pszPictures[0]), test::kJpeg);
    }

    void cancellingThePreviewStoresNothing() {
        TempFolder files;
        WriteFileBytes(files / "list.csv", "Title,Year\nHeat,1995\n");
        const std::vector<Movie> before = Catalog();
        bool replaceOffered = true;
        ScriptedSteps steps;
        steps.Add(ChooseFiles({QString::fromStdString(files / "list.csv")}));
        steps.Add([&] {
            auto* preview = Active<ImportPreviewDialog>();
            if (!preview)
                return false;
            replaceOffered = preview->Choices()->button(int(ExistingMovies::Replace))->isEnabled();
            preview->reject();
            return true;
        });
        frame_->Action(ID_FILE_IMPORT)->trigger();
        QVERIFY(steps.WaitUntilFinished());
        // The file's movie is new, so there is nothing to ask about movies already there.
        QVERIFY(!replaceOffered);
        QCOMPARE(Catalog(), before);
        QCOMPARE(ListTitles(*frame_).size(), 3);
    }

    void cancelDuringTheProgressStoresNothing() {
        TempFolder files;
        WriteFileBytes(files / "big.csv", ImdbRows(40000));
        const std::vector<Movie> before = Catalog();
        const std::set<std::string> filesBefore = CatalogFolderFiles();
        QString summaryText;
        bool sawProgress = false;
        int maximum = 0;
        ScriptedSteps steps(120000);
        steps.Add(ChooseFiles({QString::fromStdString(files / "big.csv")}));
        steps.Add([] {
            auto* preview = Active<ImportPreviewDialog>();
            if (!preview)
                return false;
            preview->findChild<QPushButton*>("importButton")->click();
            return true;
        });
        steps.Add([&] {
            auto* progress = Active<ImportProgressDialog>();
            if (!progress)
                return false;
            sawProgress = true;
            maximum = progress->Progress()->maximum();
            progress->CancelButton()->click();
            return true;
        });
        steps.AnswerBox(QMessageBox::Ok, [&](QMessageBox* box) { summaryText = box->text(); });
        frame_->Action(ID_FILE_IMPORT)->trigger();
        QVERIFY(steps.WaitUntilFinished());
        QVERIFY(sawProgress);
        QCOMPARE(maximum, 40000);
        QCOMPARE(summaryText, QString("The import was cancelled; nothing was stored.\n"));
        QCOMPARE(Catalog(), before);
        QCOMPARE(ListTitles(*frame_).size(), 3);
        QCOMPARE(CatalogFolderFiles(), filesBefore);
    }

    void aFileOfNoKnownShapeIsRefusedInAnErrorBox() {
        TempFolder files;
        WriteFileBytes(files / "notes.txt", "milk\neggs\n");
        QString error;
        ScriptedSteps steps;
        steps.Add(ChooseFiles({QString::fromStdString(files / "notes.txt")}));
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        steps.AnswerBox(QMessageBox::Ok, [&](QMessageBox* box) {
            error = box->text();
            icon = box->icon();
        });
        frame_->Action(ID_FILE_IMPORT)->trigger();
        QVERIFY(steps.WaitUntilFinished());
        QCOMPARE(icon, QMessageBox::Critical);
        QVERIFY2(error.contains("notes.txt") && error.contains("Nothing was imported."), qPrintable(error));
    }

    void exportCsvWritesTheSelectionInListOrder() {
        TempFolder out;
        SelectRows(*frame_, {0, 2});
        QVERIFY(frame_->Action(ID_EXPORT_CSV)->isEnabled());
        ScriptedSteps steps;
        steps.Add([&] {
            auto* dialog = Active<QFileDialog>();
            if (!dialog)
                return false;
            dialog->selectFile(QString::fromStdString(out / "catalog"));
            QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
            return true;
        });
        frame_->Action(ID_EXPORT_CSV)->trigger();
        QVERIFY(steps.WaitUntilFinished());
        const std::string csv = ReadFileBytes(out / "catalog.csv");
        QVERIFY(csv.rfind("\xEF\xBB\xBFnIndex,szTitle,", 0) == 0);
        const std::size_t alien = csv.find("\r\n1,Alien,");
        const std::size_t casablanca = csv.find("\r\n3,Casablanca,");
        QVERIFY(alien != std::string::npos && casablanca != std::string::npos && alien < casablanca);
        QVERIFY(csv.find("Brazil") == std::string::npos);
    }

private:
    std::unique_ptr<MainFrame> frame_;
};

}  // namespace reelkeep::test

REELKEEP_GUI_TEST_MAIN(reelkeep::test::ImportWindowTest)
#include "ImportWindowTest.moc"
