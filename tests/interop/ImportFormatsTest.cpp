// Reading the files people bring: IMDb and Letterboxd exports in their several shapes, a
// spreadsheet of their own, Tellico and GCstar catalogs made here from the formats' public
// descriptions, our own XML, and files that must be refused.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "InteropTestSupport.h"
#include "ZipMaker.h"
#include "interop/ImportFile.h"
#include "support/TempFolder.h"

namespace reelkeep {
namespace {

using test::TempFolder;
using test::WriteFileBytes;

const ImportedMovie* Titled(const ImportBatch& batch, const std::string& title) {
    for (const ImportedMovie& movie : batch.movies) {
        if (movie.movie.szTitle == title) return &movie;
    }
    return nullptr;
}

std::string ImportError(const std::vector<std::string>& paths) {
    try {
        ReadImportFiles(paths);
    } catch (const ImportFileError& error) {
        return error.message;
    }
    return "(no error)";
}

class ImportFormatsTest : public ::testing::Test {
protected:
    std::string File(const std::string& name, const std::string& bytes) {
        WriteFileBytes(folder / name, bytes);
        return folder / name;
    }
    TempFolder folder;
};

constexpr char kImdbHeader[] =
    "Const,Your Rating,Date Rated,Title,Original Title,URL,Title Type,IMDb Rating,"
    "Runtime (mins),Year,Genres,Num Votes,Release Date,Directors\r\n";

TEST_F(ImportFormatsTest, ImdbRatingsExportKeepsFilmsWithTheirRatingsAndLeavesSeriesOut) {
    const std::string ratings = File("ratings.csv",
        std::string("\xEF\xBB\xBF") + kImdbHeader +
        "tt0078748,9,2021-03-04,Alien,Alien,https://www.imdb.com/title/tt0078748/,Movie,8.5,117,1979,"
        "\"Horror, Sci-Fi\",900000,1979-05-25,Ridley Scott\r\n"
        "tt0113277,,,Heat,Heat,,movie,8.3,170,1995,\"Action, Crime, Drama\",700000,1995-12-15,Michael Mann\r\n"
        "tt0903747,10,2020-01-01,Breaking Bad,Breaking Bad,https://www.imdb.com/title/tt0903747/,TV Series,9.5,49,2008,Drama,2000000,2008-01-20,\r\n"
        "tt0959621,8,2020-01-02,Pilot,Pilot,https://www.imdb.com/title/tt0959621/,TV Episode,8.0,58,2008,Drama,30000,2008-01-20,Vince Gilligan\r\n"
        "tt0091454,7,2020-01-03,Top Gun,Top Gun,,videoGame,6,,1987,,100,,\r\n"
        "tt0110912,,,Pulp Fiction,,,Movie,,154,1994,Crime,1,1994-10-14,\"Quentin Tarantino\"\r\n");
    const ImportBatch batch = ReadImportFiles({ratings});
    EXPECT_EQ(batch.format, "IMDb list");
    ASSERT_EQ(batch.movies.size(), 3u);
    EXPECT_EQ(batch.leftOut, 3u);
    EXPECT_TRUE(batch.problems.empty());
    EXPECT_EQ(batch.unmatchedColumns, (std::vector<std::string>{"Date Rated", "Num Votes"}));

    const Movie& alien = Titled(batch, "Alien")->movie;
    EXPECT_EQ(alien.fRating, 9.0f);  // yours, not the site's
    EXPECT_TRUE(alien.bWatched);     // a rated title has been seen
    EXPECT_EQ(alien.nYear, 1979);
    EXPECT_EQ(alien.nLength, 117);
    EXPECT_EQ(alien.pszCategories, (StringArray{"Horror", "Sci-Fi"}));
    EXPECT_EQ(alien.pszDirectors, StringArray{"Ridley Scott"});
    EXPECT_EQ(alien.szURL, "https://www.imdb.com/title/tt0078748/");
    EXPECT_EQ(alien.szRelease, "1979-05-25");
    EXPECT_EQ(alien.szTranslated, "");  // the same as the title

    const ImportedMovie& heat = *Titled(batch, "Heat");
    EXPECT_EQ(heat.movie.fRating, 8.3f);  // no rating of yours: the site's
    EXPECT_FALSE(heat.movie.bWatched);
    EXPECT_EQ(heat.movie.szURL, "https://www.imdb.com/title/tt0113277/");  // made from Const
    EXPECT_EQ(Titled(batch, "Pulp Fiction")->movie.fRating, 0.0f);  // no rating at all
    EXPECT_FALSE(Titled(batch, "Pulp Fiction")->IsGiven(*FindMovieField("fRating")));
}

TEST_F(ImportFormatsTest, ImdbListExportWithSemicolonsAndBrokenRowsNamesTheLinesItSkipped) {
    const std::string list = File("list.csv",
        "Position;Const;Created;Modified;Description;Title;URL;Title Type;IMDb Rating;Runtime (mins);Year;Genres;Num Votes;Release Date;Directors;Your Rating\n"
        "1;tt0062622;2020-01-01;2020-01-01;\"Kubrick; at his best\";2001: A Space Odyssey;https://www.imdb.com/title/tt0062622/;movie;8,3;149;1968;Adventure, Sci-Fi;600000;1968-04-02;Stanley Kubrick;\n"
        "2;tt0000002;2020-01-01;2020-01-01;;Broken Year;;movie;7;90;nineteen;Drama;1;;;\n"
        "3;tt0000003;2020-01-01;2020-01-01;;;;movie;7;90;1999;Drama;1;;;\n");
    const ImportBatch batch = ReadImportFiles({list});
    ASSERT_EQ(batch.movies.size(), 1u);
    const Movie& odyssey = batch.movies.front().movie;
    EXPECT_EQ(odyssey.szTitle, "2001: A Space Odyssey");
    EXPECT_EQ(odyssey.fRating, 8.3f);
    EXPECT_FALSE(odyssey.bWatched);
    ASSERT_EQ(batch.problems.size(), 2u);
    EXPECT_EQ(batch.problems[0].file, "list.csv");
    EXPECT_EQ(batch.problems[0].line, 3u);
    EXPECT_NE(batch.problems[0].reason.find("\"Year\" \"nineteen\" is not a whole number"), std::string::npos);
    EXPECT_EQ(batch.problems[1].line, 4u);
    EXPECT_EQ(batch.problems[1].reason, "the row has no title");
}

TEST_F(ImportFormatsTest, LetterboxdZipJoinsTheFilesOfOneFilmAndDoublesTheStars) {
    const std::string zip = test::MakeZip(folder.Path(), {
        {"letterboxd-user-2024/watched.csv",
         "Date,Name,Year,Letterboxd URI\n2021-01-01,Alien,1979,https://boxd.it/2b0k\n2021-02-01,Heat,1995,https://boxd.it/2a3a\n"},
        {"letterboxd-user-2024/ratings.csv",
         "Date,Name,Year,Letterboxd URI,Rating\n2021-01-02,Alien,1979,https://boxd.it/2b0k,4.5\n2021-02-02,Heat,1995,https://boxd.it/2a3a,\n"},
        {"letterboxd-user-2024/diary.csv",
         "Date,Name,Year,Letterboxd URI,Rating,Rewatch,Tags,Watched Date\n2021-01-03,alien,1979,https://boxd.it/xyz1,3,Yes,,2021-01-03\n"},
        {"letterboxd-user-2024/watchlist.csv",
         "Date,Name,Year,Letterboxd URI\n2021-03-01,Stalker,1979,https://boxd.it/29Qe\n"},
        {"letterboxd-user-2024/profile.csv", "Date Joined,Username\n2020-01-01,user\n"},
    });
    const std::string path = File("letterboxd-user-2024.zip", zip);
    const ImportBatch batch = ReadImportFiles({path});
    EXPECT_EQ(batch.format, "Letterboxd");
    ASSERT_EQ(batch.movies.size(), 3u);
    const Movie& alien = Titled(batch, "Alien")->movie;
    EXPECT_EQ(alien.fRating, 9.0f);  // the rating of ratings.csv, times two
    EXPECT_TRUE(alien.bWatched);
    EXPECT_EQ(alien.szURL, "https://boxd.it/2b0k");  // the film's address, not the diary entry's
    EXPECT_EQ(Titled(batch, "Heat")->movie.fRating, 0.0f);  // empty rating
    EXPECT_TRUE(Titled(batch, "Heat")->movie.bWatched);
    const ImportedMovie& stalker = *Titled(batch, "Stalker");
    EXPECT_FALSE(stalker.movie.bWatched);  // on the watchlist only
    EXPECT_EQ(stalker.movie.nYear, 1979);

    // The same files given one by one join the same way; a rating above five is refused.
    const std::string watched = File("watched.csv", "Date,Name,Year,Letterboxd URI\n2021-01-01,Alien,1979,https://boxd.it/2b0k\n");
    const std::string ratings = File("ratings.csv", "Date,Name,Year,Letterboxd URI,Rating\n2021-01-02,Alien,1979,https://boxd.it/2b0k,0.5\n2021-01-02,Odd,1980,https://boxd.it/q,7\n");
    const ImportBatch separate = ReadImportFiles({watched, ratings});
    ASSERT_EQ(separate.movies.size(), 1u);
    EXPECT_EQ(separate.movies.front().movie.fRating, 1.0f);
    ASSERT_EQ(separate.problems.size(), 1u);
    EXPECT_EQ(separate.problems.front().line, 3u);
}

TEST_F(ImportFormatsTest, ASpreadsheetOfOurLabelsAndUnknownColumns) {
    const std::string sheet = File("mine.csv",
        "Title;Year;Directed by;Rating;Seen;Length;Shelf;Starring\n"
        "Heat;1995;Michael Mann;8,5;yes;2h 50m;A3;\"Al Pacino\nRobert De Niro\"\n"
        "Ronin;1998;;;no;;B1;\n");
    const ImportBatch batch = ReadImportFiles({sheet});
    EXPECT_EQ(batch.format, "CSV");
    EXPECT_EQ(batch.unmatchedColumns, std::vector<std::string>{"Shelf"});
    ASSERT_EQ(batch.movies.size(), 2u);
    const Movie& heat = batch.movies[0].movie;
    EXPECT_EQ(heat.pszDirectors, StringArray{"Michael Mann"});
    EXPECT_EQ(heat.fRating, 8.5f);
    EXPECT_TRUE(heat.bWatched);
    EXPECT_EQ(heat.nLength, 170);
    EXPECT_EQ(heat.pszActors, (StringArray{"Al Pacino", "Robert De Niro"}));
}

std::string TellicoDocument(const std::string& embeddedImage) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<!DOCTYPE tellico PUBLIC \"-//Robby Stephenson/DTD Tellico V11.0//EN\" "
           "\"http://periapsis.org/tellico/dtd/v11/tellico.dtd\">\n"
           "<tellico xmlns=\"http://periapsis.org/tellico/\" syntaxVersion=\"11\">\n"
           " <collection title=\"My Videos\" type=\"3\">\n"
           "  <fields><field name=\"_default\"/></fields>\n"
           "  <entry id=\"1\">\n"
           "   <title>Alien</title>\n"
           "   <medium>DVD</medium>\n"
           "   <year>1979</year>\n"
           "   <genres><genre>Horror</genre><genre>Science Fiction</genre></genres>\n"
           "   <nationalitys><nationality>USA</nationality><nationality>UK</nationality></nationalitys>\n"
           "   <languages><language>English</language></languages>\n"
           "   <subtitles><subtitle>French</subtitle><subtitle>German</subtitle></subtitles>\n"
           "   <casts><cast><column>Sigourney Weaver</column><column>Ripley</column></cast>"
           "<cast><column>Tom Skerritt</column><column>Dallas</column></cast></casts>\n"
           "   <directors><director>Ridley Scott</director></directors>\n"
           "   <producers><producer>Gordon Carroll</producer><producer>David Giler</producer></producers>\n"
           "   <running-time>117</running-time>\n"
           "   <plot>A crew meets &lt;something&gt; in space.</plot>\n"
           "   <rating>4</rating>\n"
           "   <seen>true</seen>\n"
           "   <url>https://www.imdb.com/title/tt0078748/</url>\n"
           "   <cover>0a1b2c3d.png</cover>\n"
           "   <comments>Director's cut</comments>\n"
           "  </entry>\n"
           "  <entry id=\"2\">\n"
           "   <title>Heat</title>\n"
           "   <year>1995</year>\n"
           "   <cover>9f8e7d6c.jpeg</cover>\n"
           "  </entry>\n"
           "  <entry id=\"3\"><year>2001</year></entry>\n"
           "  <images>\n"
           "   <image id=\"0a1b2c3d.png\" format=\"PNG\" width=\"1\" height=\"1\">" + embeddedImage + "</image>\n"
           "  </images>\n"
           "  <borrowers><borrower name=\"Jane Doe\" uid=\"b1\">"
           "<loan uid=\"l1\" entryRef=\"2\" loanDate=\"2020-01-01\"/></borrower></borrowers>\n"
           " </collection>\n"
           "</tellico>\n";
}

TEST_F(ImportFormatsTest, TellicoZipWithPicturesInTheDocumentAndInTheArchive) {
    const std::string zip = test::MakeZip(folder.Path(), {
        {"tellico.xml", TellicoDocument(test::Base64(test::kPng))},
        {"images/9f8e7d6c.jpeg", test::kJpeg},
    });
    const ImportBatch batch = ReadImportFiles({File("videos.tc", zip)});
    EXPECT_EQ(batch.format, "Tellico");
    ASSERT_EQ(batch.movies.size(), 2u);
    ASSERT_EQ(batch.problems.size(), 1u);  // the entry without a title
    EXPECT_EQ(batch.problems.front().reason, "the entry has no title");

    const ImportedMovie& alien = *Titled(batch, "Alien");
    EXPECT_EQ(alien.movie.nYear, 1979);
    EXPECT_EQ(alien.movie.pszMedia, StringArray{"DVD"});
    EXPECT_EQ(alien.movie.pszCategories, (StringArray{"Horror", "Science Fiction"}));
    EXPECT_EQ(alien.movie.pszCountries, (StringArray{"USA", "UK"}));
    EXPECT_EQ(alien.movie.pszLanguages, StringArray{"English"});
    EXPECT_EQ(alien.movie.pszSubtitles, (StringArray{"French", "German"}));
    EXPECT_EQ(alien.movie.pszActors, (StringArray{"Sigourney Weaver", "Tom Skerritt"}));
    EXPECT_EQ(alien.movie.pszDirectors, StringArray{"Ridley Scott"});
    EXPECT_EQ(alien.movie.pszProducers, (StringArray{"Gordon Carroll", "David Giler"}));
    EXPECT_EQ(alien.movie.nLength, 117);
    EXPECT_EQ(alien.movie.szPlot, "A crew meets <something> in space.");
    EXPECT_EQ(alien.movie.fRating, 8.0f);  // four stars of five
    EXPECT_TRUE(alien.movie.bWatched);
    EXPECT_EQ(alien.movie.szURL, "https://www.imdb.com/title/tt0078748/");
    EXPECT_EQ(alien.movie.pszComments, StringArray{"Director's cut"});
    ASSERT_EQ(alien.pictures.size(), 1u);
    EXPECT_EQ(alien.pictures.front().bytes, test::kPng);

    const ImportedMovie& heat = *Titled(batch, "Heat");
    EXPECT_EQ(heat.movie.szLender, "Jane Doe");
    ASSERT_EQ(heat.pictures.size(), 1u);
    EXPECT_EQ(heat.pictures.front().bytes, test::kJpeg);
}

TEST_F(ImportFormatsTest, TellicoXmlAloneFindsItsPicturesBesideIt) {
    ASSERT_EQ(::mkdir((folder / "videos_files").c_str(), 0700), 0);
    WriteFileBytes(folder / "videos_files/9f8e7d6c.jpeg", test::kJpeg);
    const ImportBatch batch = ReadImportFiles({File("videos.xml", TellicoDocument("not base64!"))});
    ASSERT_EQ(batch.movies.size(), 2u);
    EXPECT_TRUE(Titled(batch, "Alien")->pictures.empty());
    ASSERT_EQ(Titled(batch, "Heat")->pictures.size(), 1u);
    EXPECT_EQ(Titled(batch, "Heat")->pictures.front().path, folder / "videos_files/9f8e7d6c.jpeg");

    // A book collection is not one of movies.
    std::string books = TellicoDocument("");
    books.replace(books.find("type=\"3\""), 8, "type=\"2\"");
    EXPECT_NE(ImportError({File("books.xml", books)}).find("not a video collection"), std::string::npos);
}

TEST_F(ImportFormatsTest, GcstarCollectionWithPicturesBesideItAndNoneFromElsewhere) {
    ASSERT_EQ(::mkdir((folder / "Films_pictures").c_str(), 0700), 0);
    WriteFileBytes(folder / "Films_pictures/heat.jpg", test::kJpeg);
    const std::string gcs = File("Films.gcs",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<collection type=\"GCfilms\" items=\"3\" version=\"1.7.3\">\n"
        " <information><maxId>3</maxId></information>\n"
        " <item id=\"1\" title=\"Heat\" date=\"15/12/1995\" time=\"170 min\" director=\"Michael Mann\"\n"
        "   country=\"USA\" image=\"./Films_pictures/heat.jpg\" original=\"Heat\" webPage=\"http://example.org/heat\"\n"
        "   seen=\"1\" format=\"Blu-ray\" rating=\"8\" borrower=\"Paul\">\n"
        "  <synopsis>A group of professional robbers.</synopsis>\n"
        "  <comment>Great</comment>\n"
        "  <actors><line><col>Al Pacino</col><col>Vincent Hanna</col></line>"
        "<line><col>Robert De Niro</col><col>Neil McCauley</col></line></actors>\n"
        "  <genre><line><col>Crime</col></line><line><col>Thriller</col></line></genre>\n"
        "  <audio><line><col>English</col><col>DTS</col></line><line><col>French</col><col>AC3</col></line></audio>\n"
        "  <subt><line><col>German</col></line></subt>\n"
        " </item>\n"
        " <item id=\"2\" title=\"Le Samouraï\" original=\"The Samurai\" date=\"1967\" image=\"/etc/hostname\" borrower=\"none\" seen=\"0\"/>\n"
        " <item id=\"3\" title=\"Ronin\" image=\"../outside.jpg\"/>\n"
        "</collection>\n");
    const ImportBatch batch = ReadImportFiles({gcs});
    EXPECT_EQ(batch.format, "GCstar");
    ASSERT_EQ(batch.movies.size(), 3u);
    const ImportedMovie& heat = *Titled(batch, "Heat");
    EXPECT_EQ(heat.movie.nYear, 1995);
    EXPECT_EQ(heat.movie.szRelease, "15/12/1995");
    EXPECT_EQ(heat.movie.nLength, 170);
    EXPECT_EQ(heat.movie.pszDirectors, StringArray{"Michael Mann"});
    EXPECT_EQ(heat.movie.pszActors, (StringArray{"Al Pacino", "Robert De Niro"}));
    EXPECT_EQ(heat.movie.pszCategories, (StringArray{"Crime", "Thriller"}));
    EXPECT_EQ(heat.movie.pszLanguages, (StringArray{"English", "French"}));
    EXPECT_EQ(heat.movie.pszSubtitles, StringArray{"German"});
    EXPECT_EQ(heat.movie.pszMedia, StringArray{"Blu-ray"});
    EXPECT_EQ(heat.movie.fRating, 8.0f);
    EXPECT_TRUE(heat.movie.bWatched);
    EXPECT_EQ(heat.movie.szLender, "Paul");
    EXPECT_EQ(heat.movie.szPlot, "A group of professional robbers.");
    EXPECT_EQ(heat.movie.szURL, "http://example.org/heat");
    EXPECT_EQ(heat.movie.szTranslated, "");
    ASSERT_EQ(heat.pictures.size(), 1u);
    EXPECT_EQ(heat.pictures.front().path, folder / "Films_pictures/heat.jpg");

    const ImportedMovie& samurai = *Titled(batch, "Le Samouraï");
    EXPECT_EQ(samurai.movie.szTranslated, "The Samurai");
    EXPECT_EQ(samurai.movie.szLender, "");
    EXPECT_TRUE(samurai.pictures.empty());  // a file elsewhere on the disk is never taken
    EXPECT_TRUE(Titled(batch, "Ronin")->pictures.empty());
    EXPECT_EQ(batch.problems.size(), 2u);
}

TEST_F(ImportFormatsTest, ArchivesThatClimbOutAreRefusedWhole) {
    for (const std::string name : {"../evil.csv", "images/../../evil.png", "/etc/cron.d/evil", "a\\..\\..\\b"}) {
        const std::string zip = test::MakeZip(folder.Path(), {
            {"watched.csv", "Date,Name,Year,Letterboxd URI\n2021-01-01,Alien,1979,https://boxd.it/2b0k\n"},
            {name, "x"},
        });
        const std::string message = ImportError({File("export.zip", zip)});
        EXPECT_NE(message.find("points outside it"), std::string::npos) << name << ": " << message;
    }
}

TEST_F(ImportFormatsTest, FilesOfNoKnownShapeAreRefusedWithTheirReason) {
    EXPECT_NE(ImportError({File("notes.txt", "Shopping list\nmilk\n")}).find("no column of its first row names a field"),
              std::string::npos);
    EXPECT_NE(ImportError({File("page.xml", "<html><body/></html>")}).find("root element is <html>"),
              std::string::npos);
    EXPECT_NE(ImportError({File("broken.xml", "<Reelkeep><Movie></Reelkeep>")}).find("not well-formed XML"),
              std::string::npos);
    EXPECT_NE(ImportError({File("other.zip", test::MakeZip(folder.Path(), {{"readme.txt", "hi"}}))})
                  .find("neither a Tellico collection nor a Letterboxd export"),
              std::string::npos);
    EXPECT_NE(ImportError({folder / "missing.csv"}).find("Cannot read"), std::string::npos);
    EXPECT_NE(ImportError({File("truncated.zip", std::string("PK\x03\x04", 4) + "garbage")}).find("zip"),
              std::string::npos);
}

TEST_F(ImportFormatsTest, OurXmlReadsEveryFieldAndNoEntityIsExpandedOrFetched) {
    WriteFileBytes(folder / "secret.txt", "SECRET");
    const std::string xml = File("export.xml",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE Reelkeep [\n"
        "  <!ENTITY word \"EXPANDED\">\n"
        "  <!ENTITY file SYSTEM \"file://" + folder.Path() + "secret.txt\">\n"
        "]>\n"
        "<Reelkeep>\n"
        " <Movie><nIndex>7</nIndex><szTitle>Alien&word;&file;</szTitle><pszDirectors><Item>Ridley Scott</Item></pszDirectors>"
        "<nYear>1979</nYear><fRating>8.500000</fRating><bWatched>1</bWatched><pnSizes><Item>700</Item><Item>800</Item></pnSizes>"
        "<dtAdded/></Movie>\n"
        " <Movie><szTitle>Bad</szTitle><nYear>soon</nYear></Movie>\n"
        "</Reelkeep>\n");
    const ImportBatch batch = ReadImportFiles({xml});
    EXPECT_EQ(batch.format, "Reelkeep XML");
    ASSERT_EQ(batch.movies.size(), 1u);
    const Movie& alien = batch.movies.front().movie;
    EXPECT_EQ(alien.szTitle, "Alien");
    EXPECT_EQ(alien.nIndex, 0);  // the catalog numbers its movies itself
    EXPECT_EQ(alien.pszDirectors, StringArray{"Ridley Scott"});
    EXPECT_EQ(alien.fRating, 8.5f);
    EXPECT_TRUE(alien.bWatched);
    EXPECT_EQ(alien.pnSizes, (Int64Array{700, 800}));
    ASSERT_EQ(batch.problems.size(), 1u);
    EXPECT_EQ(batch.problems.front().line, 8u);
}

}  // namespace
}  // namespace reelkeep
