// A folder laid out as a media centre keeps it, dropped into a real catalog: the NFO files and
// posters fill the movies, a damaged NFO is named and skipped, titles without an NFO come
// cleaned from the file names, and a second drop keeps what the user changed.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

#include "RiffBuilder.h"
#include "ScriptedHost.h"
#include "catalog/CatalogOperations.h"
#include "catalog/CatalogPaths.h"
#include "import/MovieImport.h"
#include "support/TempFolder.h"

namespace reelkeep {
namespace {

namespace fs = std::filesystem;
using namespace test;

const std::string kJpeg = std::string("\xFF\xD8\xFF\xE0", 4) + std::string(300, 'j');
const std::string kPng = std::string("\x89PNG\r\n\x1A\n", 8) + std::string(300, 'p');

constexpr char kHeatNfo[] = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<movie>
  <title>Heat</title>
  <originaltitle>Heat</originaltitle>
  <year>1995</year>
  <plot>A group of robbers and the detective who hunts them.</plot>
  <runtime>170</runtime>
  <genre>Crime</genre>
  <director>Michael Mann</director>
  <actor><name>Robert De Niro</name><order>1</order></actor>
  <actor><name>Al Pacino</name><order>0</order></actor>
  <uniqueid type="imdb" default="true">tt0113277</uniqueid>
  <userrating>9</userrating>
</movie>
)";

// Every file below the folder with its bytes.
std::map<std::string, std::string> Snapshot(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) files[entry.path().string()] = ReadFileBytes(entry.path().string());
    }
    return files;
}

class MediaCentreDropTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string avi = AviFile(VideoStreamList("DX50", 640, 352, 25) + AudioStreamList(0x55));
        Put("Heat (1995)/Heat (1995).avi", avi);
        Put("Heat (1995)/Heat (1995).nfo", kHeatNfo);
        Put("Heat (1995)/Heat (1995)-poster.jpg", kJpeg);
        Put("Heat (1995)/fanart.jpg", kJpeg);
        // Two discs of one film share the folder's NFO and poster.
        Put("Ronin/Ronin.1998.CD1.avi", avi);
        Put("Ronin/Ronin.1998.CD2.avi", avi);
        Put("Ronin/movie.nfo", "<movie><title>Ronin</title><year>1998</year>"
                               "<director>John Frankenheimer</director></movie>");
        Put("Ronin/poster.png", kPng);
        Put(kHarbour + "/" + kHarbour + ".avi", avi);
        Put(kHarbour + "/" + kHarbour + ".nfo", "<movie><title>Harbour</title><year>1998</movie>");
        Put(kHarbour + "/" + kHarbour + "-poster.jpg", kJpeg);
        Put("Alien/Alien.avi", avi);
        Put("Alien/Alien.nfo", "https://www.imdb.com/title/tt0078748/\n");
        Put("Alien/Alien-poster.jpg", "a text that only calls itself a picture");
        // A folder of two films: the names it shares belong to neither.
        Put("Two/Brazil.avi", avi);
        Put("Two/Casablanca.avi", avi);
        Put("Two/movie.nfo", "<movie><title>Which one?</title></movie>");
        Put("Two/folder.jpg", kJpeg);
    }

    void Put(const std::string& name, const std::string& bytes) {
        fs::create_directories(fs::path(library / name).parent_path());
        WriteFileBytes(library / name, bytes);
    }

    DropResult Drop(ScriptedHost& host) { return AddDroppedPaths(catalog, {library.Path()}, host); }

    Movie Titled(const std::string& title) {
        for (const MovieListRow& row : LoadMovieList(catalog)) {
            if (row.title != title) continue;
            CatalogDatabase database(catalog);
            database.Open(CatalogDatabase::Access::ReadOnly);
            Movie movie;
            EXPECT_TRUE(database.Fetch(row.oid, movie));
            return movie;
        }
        ADD_FAILURE() << "no movie " << title;
        return {};
    }

    // The pictures the catalog's folder holds; every other file there is the catalog's own.
    std::set<std::string> StoredPictures() {
        std::set<std::string> pictures;
        for (const auto& entry : fs::directory_iterator(catalogFolder.Path())) {
            const std::string name = entry.path().filename().string();
            if (name.rfind("picture-", 0) == 0) pictures.insert(name);
            else EXPECT_TRUE(IsCatalogFileName(name)) << name;
        }
        return pictures;
    }

    const std::string kHarbour = "The.Quiet.Harbour.1998.1080p.BluRay.x264";
    TempFolder library;
    TempFolder catalogFolder;
    std::string catalog = catalogFolder / "Movies.db";
};

TEST_F(MediaCentreDropTest, NfoFilesAndPostersFillTheMoviesAndADamagedNfoIsNamed) {
    const auto before = Snapshot(library.Path());
    ScriptedHost host({});
    const DropResult result = Drop(host);
    ASSERT_EQ(result.error, "");
    // Only the files without a title of their NFO's ask; the media centre's own files are no
    // movies.
    std::vector<std::string> asked = host.asked;
    std::sort(asked.begin(), asked.end());
    EXPECT_EQ(asked, (std::vector<std::string>{"Alien", "Brazil", "Casablanca", "The Quiet Harbour"}));
    EXPECT_EQ(result.added, 6);
    EXPECT_EQ(result.attached, 1);
    EXPECT_EQ(result.described, 4);
    EXPECT_EQ(LoadMovieList(catalog).size(), 6u);

    const Movie heat = Titled("Heat");
    EXPECT_EQ(heat.nYear, 1995);
    EXPECT_EQ(heat.szPlot, "A group of robbers and the detective who hunts them.");
    EXPECT_EQ(heat.nLength, 170);
    EXPECT_EQ(heat.pszActors, (StringArray{"Al Pacino", "Robert De Niro"}));
    EXPECT_EQ(heat.szURL, "https://www.imdb.com/title/tt0113277/");
    EXPECT_FLOAT_EQ(heat.fRating, 9.0f);
    EXPECT_EQ(heat.pszFilenames, StringArray{"Heat (1995).avi"});
    EXPECT_EQ(heat.szVideo, "DivX 5.x");  // the file's facts come as well
    ASSERT_EQ(heat.pszPictures.size(), 1u);
    EXPECT_EQ(ReadFileBytes(catalogFolder / heat.pszPictures[0]), kJpeg);
    EXPECT_EQ(heat.pszPictures[0].substr(heat.pszPictures[0].size() - 4), ".jpg");

    const Movie ronin = Titled("Ronin");
    EXPECT_EQ(ronin.pszFilenames, (StringArray{"Ronin.1998.CD1.avi", "Ronin.1998.CD2.avi"}));
    EXPECT_EQ(ronin.nYear, 1998);
    EXPECT_EQ(ronin.pszDirectors, StringArray{"John Frankenheimer"});
    ASSERT_EQ(ronin.pszPictures.size(), 1u);  // the second disc brings no second copy
    EXPECT_EQ(ReadFileBytes(catalogFolder / ronin.pszPictures[0]), kPng);

    // The damaged NFO is skipped: the title and year come from the file's name.
    const Movie harbour = Titled("The Quiet Harbour");
    EXPECT_EQ(harbour.nYear, 1998);
    EXPECT_EQ(harbour.pszPictures.size(), 1u);
    const Movie alien = Titled("Alien");
    EXPECT_EQ(alien.szURL, "https://www.imdb.com/title/tt0078748/");
    EXPECT_TRUE(alien.pszPictures.empty());
    for (const char* title : {"Brazil", "Casablanca"}) {
        EXPECT_TRUE(Titled(title).pszPictures.empty()) << title;
        EXPECT_TRUE(Titled(title).szPlot.empty()) << title;
    }

    ASSERT_EQ(result.skipped.size(), 2u);
    const std::string message = DescribeSkippedFiles(result);
    EXPECT_NE(message.find(library / (kHarbour + "/" + kHarbour + ".nfo") + ": The file is not well-formed XML (line 1"),
              std::string::npos) << message;
    EXPECT_NE(message.find(library / "Alien/Alien-poster.jpg: \"Alien-poster.jpg\" is not a picture."),
              std::string::npos) << message;

    // Nothing beside the movies changed; the catalog's folder gained the three posters only.
    EXPECT_EQ(Snapshot(library.Path()), before);
    EXPECT_EQ(StoredPictures().size(), 3u);
}

TEST_F(MediaCentreDropTest, ASecondDropFillsOnlyWhatIsStillEmpty) {
    ScriptedHost first({});
    Drop(first);
    const std::set<std::string> pictures = StoredPictures();
    {
        CatalogDatabase database(catalog);
        database.Open(CatalogDatabase::Access::ReadWrite);
        for (const MovieListRow& row : database.SelectListRows()) {
            Movie movie;
            ASSERT_TRUE(database.Fetch(row.oid, movie));
            if (row.title == "Heat") {
                movie.szPlot = "My own words.";
                movie.fRating = 7.5f;
                movie.nLength = 0;  // emptied: the NFO may fill it again
            }
            database.Update(row.oid, movie);
        }
        database.Close();
    }
    // The damaged NFO has been mended meanwhile.
    Put(kHarbour + "/" + kHarbour + ".nfo",
        "<movie><title>Harbour</title><year>1999</year><plot>Boats.</plot></movie>");

    ScriptedHost second(LoadMovieList(catalog));
    const DropResult again = Drop(second);
    EXPECT_TRUE(second.asked.empty());
    EXPECT_EQ(again.added, 0);
    EXPECT_EQ(again.relocated, 7);
    const Movie heat = Titled("Heat");
    EXPECT_EQ(heat.szPlot, "My own words.");
    EXPECT_FLOAT_EQ(heat.fRating, 7.5f);
    EXPECT_EQ(heat.nLength, 170);
    EXPECT_EQ(heat.pszPictures.size(), 1u);
    const Movie harbour = Titled("The Quiet Harbour");
    EXPECT_EQ(harbour.szPlot, "Boats.");
    EXPECT_EQ(harbour.nYear, 1998);
    // No poster is copied again for a movie that has its pictures.
    EXPECT_EQ(StoredPictures(), pictures);
}

}  // namespace
}  // namespace reelkeep
