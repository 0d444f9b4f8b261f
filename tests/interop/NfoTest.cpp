// What media centres write beside a video: the NFO's details, an address alone, a damaged
// file, and which NFO and poster belong to a video.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "interop/NfoFile.h"
#include "support/TempFolder.h"

namespace reelkeep {
namespace {

using test::TempFolder;
using test::WriteFileBytes;

constexpr char kHeatNfo[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\n"
    "<movie>\n"
    "  <title>Heat</title>\n"
    "  <originaltitle>Heat</originaltitle>\n"
    "  <ratings><rating name=\"imdb\" max=\"10\" default=\"true\"><value>8.3</value><votes>7</votes></rating>"
    "<rating name=\"other\" max=\"5\"><value>4</value></rating></ratings>\n"
    "  <year>1995</year>\n"
    "  <plot>A group of professional robbers &amp; a detective.</plot>\n"
    "  <runtime>170</runtime>\n"
    "  <genre>Action</genre><genre>Crime / Drama</genre>\n"
    "  <country>United States</country>\n"
    "  <credits>Michael Mann</credits>\n"
    "  <director>Michael Mann</director>\n"
    "  <premiered>1995-12-15</premiered>\n"
    "  <uniqueid type=\"tmdb\">949</uniqueid><uniqueid type=\"imdb\" default=\"true\">tt0113277</uniqueid>\n"
    "  <actor><name>Robert De Niro</name><role>Neil</role><order>1</order></actor>\n"
    "  <actor><name>Al Pacino</name><role>Vincent</role><order>0</order></actor>\n"
    "  <actor><name>Val Kilmer</name><role>Chris</role><order>2</order></actor>\n"
    "</movie>\n"
    "https://www.themoviedb.org/movie/949\n";

TEST(NfoTest, ReadsTheDetailsAMediaCentreWrites) {
    const NfoDetails details = ReadNfo(kHeatNfo);
    ASSERT_EQ(details.error, "");
    const Movie& heat = details.movie.movie;
    EXPECT_EQ(heat.szTitle, "Heat");
    EXPECT_EQ(heat.szTranslated, "");
    EXPECT_EQ(heat.nYear, 1995);
    EXPECT_EQ(heat.szPlot, "A group of professional robbers & a detective.");
    EXPECT_EQ(heat.nLength, 170);
    EXPECT_EQ(heat.pszCategories, (StringArray{"Action", "Crime", "Drama"}));
    EXPECT_EQ(heat.pszCountries, StringArray{"United States"});
    EXPECT_EQ(heat.pszDirectors, StringArray{"Michael Mann"});
    EXPECT_EQ(heat.pszComments, StringArray{"Written by Michael Mann"});
    EXPECT_EQ(heat.pszActors, (StringArray{"Al Pacino", "Robert De Niro", "Val Kilmer"}));
    EXPECT_FLOAT_EQ(heat.fRating, 8.3f);
    EXPECT_EQ(heat.szURL, "https://www.imdb.com/title/tt0113277/");
    EXPECT_EQ(heat.szRelease, "1995-12-15");
    EXPECT_FALSE(details.movie.IsGiven(*FindMovieField("bWatched")));
}

TEST(NfoTest, AnAddressAloneGivesTheUrlAndDamageIsNamed) {
    const NfoDetails address = ReadNfo("https://www.imdb.com/title/tt0113277/\r\n");
    EXPECT_EQ(address.error, "");
    EXPECT_EQ(address.movie.movie.szURL, "https://www.imdb.com/title/tt0113277/");
    EXPECT_EQ(address.movie.given.count(), 1u);

    const NfoDetails broken = ReadNfo("<movie><title>Heat</title><year>1995</movie>");
    EXPECT_NE(broken.error.find("not well-formed XML (line 1"), std::string::npos) << broken.error;
    EXPECT_EQ(broken.movie.given.count(), 0u);
    EXPECT_NE(ReadNfo("<tvshow><title>Show</title></tvshow>").error.find("<tvshow>"), std::string::npos);
    EXPECT_NE(ReadNfo("just some words").error, "");
    // Entities are never expanded, nor files read through them.
    const NfoDetails entity = ReadNfo(
        "<!DOCTYPE movie [<!ENTITY x SYSTEM \"file:///etc/passwd\">]><movie><title>A&x;</title></movie>");
    EXPECT_EQ(entity.movie.movie.szTitle, "A");
    // The viewer's own rating comes first; a five-star scale counts double.
    EXPECT_EQ(ReadNfo("<movie><userrating>9</userrating><rating>6.1</rating></movie>").movie.movie.fRating, 9.0f);
    EXPECT_EQ(ReadNfo("<movie><ratings><rating max=\"5\"><value>4</value></rating></ratings></movie>").movie.movie.fRating,
              8.0f);
}

TEST(NfoTest, TheFilesBesideAVideoAndTheFolderWideNamesOnlyForAFolderOfOneMovie) {
    FolderNames folder({"Heat.mkv", "movie.nfo", "Folder.JPG"});
    EXPECT_EQ(NfoBeside(folder, "Heat.mkv", true), "movie.nfo");
    EXPECT_EQ(NfoBeside(folder, "Heat.mkv", false), "");
    EXPECT_EQ(PosterBeside(folder, "Heat.mkv", true), "Folder.JPG");
    EXPECT_EQ(PosterBeside(folder, "Heat.mkv", false), "");
    folder = FolderNames({"Heat.mkv", "movie.nfo", "folder.jpg", "heat.NFO", "Heat-poster.png"});
    EXPECT_EQ(NfoBeside(folder, "Heat.mkv", true), "heat.NFO");
    EXPECT_EQ(PosterBeside(folder, "Heat.mkv", true), "Heat-poster.png");
    // An NFO describes the other files of its name, never itself.
    EXPECT_EQ(NfoBeside(folder, "heat.NFO", false), "");
}

TEST(NfoTest, MediaCentreNamesAreItsNfoFilesAndArtworkOnly) {
    for (const char* name : {"Heat.nfo", "movie.NFO", "Heat-poster.jpg", "Spider-Man-fanart.png",
                             "folder.jpg", "poster.jpeg", "cover.png", "Heat-thumb.jpg"}) {
        EXPECT_TRUE(IsMediaCentreName(name)) << name;
    }
    for (const char* name : {"Heat.mkv", "Heat.en.srt", "Holiday.jpg", "my-folder.jpg", "poster.txt",
                             "Heat-poster.mkv", "nfo"}) {
        EXPECT_FALSE(IsMediaCentreName(name)) << name;
    }
}

TEST(NfoTest, AFileThatIsNoNfoSaysWhy) {
    TempFolder folder;
    ASSERT_EQ(::mkdir((folder / "Ronin.nfo").c_str(), 0700), 0);
    EXPECT_EQ(ReadNfoFile(folder / "Ronin.nfo").error, "It is no regular file.");
    EXPECT_NE(ReadNfoFile(folder / "Missing.nfo").error.find("It cannot be read: No such file"), std::string::npos);
    WriteFileBytes(folder / "Huge.nfo", std::string((4u << 20) + 1, ' '));
    EXPECT_EQ(ReadNfoFile(folder / "Huge.nfo").error, "The file is too large for an NFO.");
    // Release notes with a link to the film's page among their words give that page.
    WriteFileBytes(folder / "Notes.nfo", "Group presents\n\xDB\xDB art\nhttp://www.imdb.com/title/tt0113277/?ref=x\n"
                                         "http://group.example/\n");
    EXPECT_EQ(ReadNfoFile(folder / "Notes.nfo").movie.movie.szURL, "https://www.imdb.com/title/tt0113277/");
    WriteFileBytes(folder / "Words.nfo", "see https://example.org/heat for more");
    EXPECT_EQ(ReadNfoFile(folder / "Words.nfo").error, "It holds neither the movie's details nor an address.");
}

TEST(NfoTest, FillingTakesOnlyEmptyFields) {
    const NfoDetails details = ReadNfo(kHeatNfo);
    Movie movie;
    movie.szTitle = "Heat (my copy)";
    movie.nIndex = 4;
    movie.pszActors = {"Someone"};
    EXPECT_TRUE(FillEmptyFields(details.movie, movie));
    EXPECT_EQ(movie.szTitle, "Heat (my copy)");
    EXPECT_EQ(movie.pszActors, StringArray{"Someone"});
    EXPECT_EQ(movie.nYear, 1995);
    EXPECT_EQ(movie.nIndex, 4);
    EXPECT_FALSE(FillEmptyFields(details.movie, movie));
}

}  // namespace
}  // namespace reelkeep
