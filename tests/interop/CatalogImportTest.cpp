// Storing an import: the preview's counts, each answer for the movies the catalog already
// has, all or nothing when cancelled or failing, pictures under names of the catalog's own,
// and the round trip of a whole catalog through our CSV and XML exports.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "InteropTestSupport.h"
#include "catalog/CatalogPaths.h"
#include "interop/CatalogImport.h"
#include "interop/CsvExport.h"
#include "interop/FieldAssign.h"
#include "interop/ImportFile.h"
#include "present/Export.h"
#include "support/TempFolder.h"

namespace reelkeep {
namespace {

using Access = CatalogDatabase::Access;
using test::TempFolder;
using test::WriteFileBytes;

std::vector<std::pair<ObjectId, Movie>> AllMovies(const std::string& folder) {
    std::vector<std::pair<ObjectId, Movie>> movies;
    CatalogDatabase database(CatalogFilePath(folder));
    database.Open(Access::ReadOnly);
    database.ForEach([&](ObjectId oid, const Movie& movie) { movies.emplace_back(oid, movie); });
    database.Close();
    return movies;
}

std::vector<std::string> FolderNames(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

ImportedMovie Imported(const std::string& title, std::int32_t year,
                       const std::vector<std::pair<std::string, std::string>>& fields = {}) {
    ImportedMovie imported;
    AssignField(imported, *FindMovieField("szTitle"), title, ListStyle::Loose);
    if (year) AssignField(imported, *FindMovieField("nYear"), std::to_string(year), ListStyle::Loose);
    for (const auto& [name, text] : fields) {
        AssignField(imported, *FindMovieField(name), text, ListStyle::Exact);
    }
    return imported;
}

class CatalogImportTest : public ::testing::Test {
protected:
    void SetUp() override {
        CatalogDatabase database(CatalogFilePath(catalog.Path()));
        database.Open(Access::ReadWrite);
        Movie alien;
        alien.szTitle = "Alien";
        alien.nYear = 1979;
        alien.szPlot = "Kept by the user";
        alien.pszFilenames = {"alien.avi"};
        alienId = database.Insert(alien);
        Movie heat;
        heat.szTitle = "Heat";
        heat.nYear = 1995;
        heat.szURL = "https://www.imdb.com/title/tt0113277/";
        heatId = database.Insert(heat);
        database.Close();
    }

    // Alien (same title, other case), Heat (by its IMDb id under another title), and a new one.
    ImportBatch Batch() {
        ImportBatch batch;
        batch.format = "CSV";
        batch.movies.push_back(Imported("ALIEN", 1979, {{"szPlot", "From the file"}, {"fRating", "9"}}));
        batch.movies.push_back(Imported("Heat (1995)", 1995,
                                        {{"szURL", "http://imdb.com/title/tt0113277"}, {"szPlot", "Robbers"}}));
        batch.movies.push_back(Imported("Ronin", 1998, {{"szPlot", "Mercenaries"}}));
        return batch;
    }

    TempFolder catalog;
    ObjectId alienId = 0, heatId = 0;
};

TEST_F(CatalogImportTest, PreviewCountsNewAndExistingMoviesWithExamples) {
    const ImportPreview preview = PreviewImport(CatalogFilePath(catalog.Path()), Batch());
    EXPECT_EQ(preview.newCount, 1u);
    EXPECT_EQ(preview.existingCount, 2u);
    EXPECT_EQ(preview.newExamples, std::vector<std::string>{"Ronin (1998)"});
    EXPECT_EQ(preview.existingExamples, (std::vector<std::string>{"ALIEN (1979)", "Heat (1995) (1995)"}));
    // A title twice in one file is new once; the other year of a title is another movie.
    ImportBatch twice;
    twice.movies = {Imported("Ronin", 1998), Imported("ronin", 1998), Imported("Alien", 1986)};
    const ImportPreview second = PreviewImport(CatalogFilePath(catalog.Path()), twice);
    EXPECT_EQ(second.newCount, 2u);
    EXPECT_EQ(second.existingCount, 1u);
    const std::string text = DescribePreview(Batch(), preview);
    EXPECT_NE(text.find("1 movie is new, for example Ronin (1998)."), std::string::npos) << text;
    EXPECT_NE(text.find("2 movies are already in the catalog"), std::string::npos) << text;
}

TEST_F(CatalogImportTest, SkipLeavesExistingMoviesAsTheyWere) {
    const auto before = AllMovies(catalog.Path());
    const ImportSummary summary = ApplyImport(catalog.Path(), Batch(), ExistingMovies::Skip);
    ASSERT_TRUE(summary.Stored()) << summary.error;
    EXPECT_EQ(summary.added, 1u);
    EXPECT_EQ(summary.skipped, 2u);
    const auto after = AllMovies(catalog.Path());
    ASSERT_EQ(after.size(), 3u);
    EXPECT_EQ(after[0], before[0]);
    EXPECT_EQ(after[1], before[1]);
    EXPECT_EQ(after[2].second.szTitle, "Ronin");
    EXPECT_EQ(after[2].second.nIndex, 3);
    EXPECT_EQ(summary.addedIds, std::vector<ObjectId>{after[2].first});
}

TEST_F(CatalogImportTest, FillSetsOnlyFieldsStillEmpty) {
    const ImportSummary summary = ApplyImport(catalog.Path(), Batch(), ExistingMovies::Fill);
    ASSERT_TRUE(summary.Stored());
    EXPECT_EQ(summary.filled, 2u);
    const auto after = AllMovies(catalog.Path());
    EXPECT_EQ(after[0].second.szPlot, "Kept by the user");  // the user's text stays
    EXPECT_EQ(after[0].second.fRating, 9.0f);                // an empty field is filled
    EXPECT_EQ(after[0].second.szTitle, "Alien");
    EXPECT_EQ(after[1].second.szPlot, "Robbers");
    EXPECT_EQ(after[1].second.szTitle, "Heat");
    // Filling again finds nothing left to fill.
    const ImportSummary again = ApplyImport(catalog.Path(), Batch(), ExistingMovies::Fill);
    EXPECT_EQ(again.unchanged, 3u);
    EXPECT_EQ(again.added, 0u);
}

TEST_F(CatalogImportTest, ReplaceOverwritesWhatTheFileGivesAndKeepsTheRest) {
    const ImportSummary summary = ApplyImport(catalog.Path(), Batch(), ExistingMovies::Replace);
    ASSERT_TRUE(summary.Stored());
    EXPECT_EQ(summary.replaced, 2u);
    const auto after = AllMovies(catalog.Path());
    EXPECT_EQ(after[0].second.szPlot, "From the file");
    EXPECT_EQ(after[0].second.szTitle, "ALIEN");
    EXPECT_EQ(after[0].second.pszFilenames, StringArray{"alien.avi"});  // not in the file: kept
    EXPECT_EQ(after[0].second.nIndex, 1);
    EXPECT_EQ(after[1].second.szTitle, "Heat (1995)");
    const std::string text = DescribeSummary(Batch(), summary);
    EXPECT_NE(text.find("1 movie added, 2 movies replaced."), std::string::npos) << text;
}

TEST_F(CatalogImportTest, CancelAndFailuresStoreNothingAndTakeTheirPicturesAway) {
    ImportBatch batch = Batch();
    for (ImportedMovie& movie : batch.movies) movie.pictures.push_back({"cover.jpg", test::kJpeg, {}});
    const auto before = AllMovies(catalog.Path());
    const auto namesBefore = FolderNames(catalog.Path());

    std::size_t calls = 0;
    const ImportSummary cancelled = ApplyImport(catalog.Path(), batch, ExistingMovies::Replace,
                                                [&](std::size_t done, std::size_t total) {
                                                    EXPECT_EQ(total, 3u);
                                                    ++calls;
                                                    return done < 2;  // Cancel after two movies
                                                });
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_EQ(calls, 3u);
    EXPECT_EQ(AllMovies(catalog.Path()), before);
    EXPECT_EQ(FolderNames(catalog.Path()), namesBefore);
    EXPECT_EQ(DescribeSummary(batch, cancelled), "The import was cancelled; nothing was stored.\n");

    // Another writer holds the catalog: nothing is stored, the pictures go again.
    CatalogDatabase writer(CatalogFilePath(catalog.Path()));
    writer.Open(Access::ReadWrite);
    CatalogDatabase::SetThreadBusyTimeout(std::chrono::milliseconds(50));
    const ImportSummary busy = ApplyImport(catalog.Path(), batch, ExistingMovies::Skip);
    CatalogDatabase::SetThreadBusyTimeout(CatalogDatabase::kDefaultBusyTimeout);
    writer.Close();
    EXPECT_FALSE(busy.Stored());
    EXPECT_NE(busy.error.find("in use"), std::string::npos) << busy.error;
    EXPECT_EQ(AllMovies(catalog.Path()), before);
    EXPECT_EQ(FolderNames(catalog.Path()), namesBefore);
}

TEST_F(CatalogImportTest, PicturesGetNamesOfTheirOwnAndWhatIsNoPictureIsLeft) {
    ImportBatch batch;
    ImportedMovie ronin = Imported("Ronin", 1998);
    ronin.pictures.push_back({"Movies.db", test::kPng, {}});  // an outside name is never used
    ronin.pictures.push_back({"notes.txt", "just text", {}});
    batch.movies.push_back(std::move(ronin));
    const ImportSummary summary = ApplyImport(catalog.Path(), batch, ExistingMovies::Skip);
    ASSERT_TRUE(summary.Stored());
    const Movie stored = AllMovies(catalog.Path()).back().second;
    ASSERT_EQ(stored.pszPictures.size(), 1u);
    const std::string& name = stored.pszPictures.front();
    EXPECT_EQ(name.rfind("picture-", 0), 0u);
    EXPECT_EQ(name.substr(name.size() - 4), ".png");
    EXPECT_FALSE(IsCatalogFileName(name));
    EXPECT_EQ(test::ReadFileBytes(catalog / name), test::kPng);
    ASSERT_EQ(summary.pictureProblems.size(), 1u);
    EXPECT_EQ(summary.pictureProblems.front().reason, "\"notes.txt\" is not a picture");
}

// A catalog with every kind of value, exported whole and imported into an empty catalog.
class RoundTripTest : public ::testing::Test {
protected:
    void SetUp() override {
        CatalogDatabase database(CatalogFilePath(source.Path()));
        database.Open(Access::ReadWrite);
        for (int i = 0; i < 6; ++i) {
            Movie movie;
            movie.szTitle = i == 0 ? "=cmd|' /C calc'!A0" : "Film \"" + std::to_string(i) + "\", the one";
            movie.szTranslated = i % 2 ? "Élan; ΣΊΣΥΦΟΣ" : "";
            movie.pszDirectors = {"Davis Jr., Sammy", "O'Hara\nMaureen"};
            movie.pszProducers = i == 1 ? StringArray{""} : StringArray{};
            movie.pszActors = {"A\\B", "-dash", ""};
            movie.pszCountries = {"USA"};
            movie.pszCategories = {"Drama", "Crime"};
            movie.nYear = 1990 + i;
            movie.nLength = 100 + i;
            movie.szURL = "https://www.imdb.com/title/tt00000" + std::to_string(10 + i) + "/";
            movie.szPlot = "Line one,\r\nline two; \"quoted\"\ttab";
            movie.pszComments = {"first", "second\r\nwith break"};
            movie.szVideo = "XviD";
            movie.szAudio = "MPEG-1 Layer 3";
            movie.pszFilenames = {"film" + std::to_string(i) + ".avi", "film.cd2.avi"};
            movie.pnSizes = {734003200, 4294967296LL + i};
            movie.nWidth = 720;
            movie.nHeight = 576;
            movie.fFPS = 23.976f;
            movie.pszLanguages = {"English"};
            movie.pszSubtitles = {};
            movie.pszMedia = {"File", "DVD"};
            movie.fRating = 7.5f + static_cast<float>(i) / 10;
            movie.dtAdded = dbDateTime{1700000000u + static_cast<std::uint32_t>(i)};
            movie.pszPictures = {"poster" + std::to_string(i) + ".jpg"};
            movie.bWatched = i % 2 == 0;
            movie.szRelease = "1995-12-15";
            movie.szLocation = "/media/films/film" + std::to_string(i) + ".avi";
            movie.szLender = i == 3 ? "+Paul" : "";
            oids.push_back(database.Insert(movie));
        }
        database.Close();
    }

    std::vector<Movie> Imported(const std::string& file) {
        const ImportBatch batch = ReadImportFiles({file});
        EXPECT_TRUE(batch.problems.empty());
        EXPECT_TRUE(batch.unmatchedColumns.empty());
        const ImportSummary summary = ApplyImport(target.Path(), batch, ExistingMovies::Skip);
        EXPECT_EQ(summary.added, oids.size()) << summary.error;
        std::vector<Movie> movies;
        for (auto& [oid, movie] : AllMovies(target.Path())) movies.push_back(movie);
        return movies;
    }

    std::vector<Movie> Originals() {
        std::vector<Movie> movies;
        for (auto& [oid, movie] : AllMovies(source.Path())) movies.push_back(movie);
        return movies;
    }

    TempFolder source, target, files;
    std::vector<ObjectId> oids;
};

TEST_F(RoundTripTest, OurCsvGivesTheSameMoviesAgain) {
    const std::string file = files / "catalog.csv";
    ASSERT_EQ(ExportCsv(FixedMovieSelection(oids), source.Path(), file).status,
              ExportResult::Status::Written);
    const std::string bytes = test::ReadFileBytes(file);
    EXPECT_EQ(bytes.rfind("\xEF\xBB\xBFnIndex,szTitle,szTranslated,pszDirectors,", 0), 0u);
    EXPECT_NE(bytes.find("\r\n1,'=cmd|' /C calc'!A0,"), std::string::npos);  // no formula
    EXPECT_EQ(Imported(file), Originals());
}

TEST_F(RoundTripTest, OurXmlGivesTheSameMoviesButTheDayTheyWereAdded) {
    const std::string file = files / "catalog.xml";
    ASSERT_EQ(ExportXml(FixedMovieSelection(oids), source.Path(), file).status,
              ExportResult::Status::Written);
    std::vector<Movie> imported = Imported(file);
    std::vector<Movie> originals = Originals();
    ASSERT_EQ(imported.size(), originals.size());
    for (std::size_t i = 0; i < imported.size(); ++i) {
        imported[i].dtAdded = originals[i].dtAdded;  // the XML does not carry it
        EXPECT_EQ(imported[i], originals[i]) << i;
    }
}

}  // namespace
}  // namespace reelkeep
