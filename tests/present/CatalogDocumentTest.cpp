// The catalog XML document built from a real catalog.
#include "present/CatalogDocument.h"

#include <gtest/gtest.h>

#include "PresentTestSupport.h"
#include "present/Export.h"

namespace reelkeep {
namespace {

using test::PresentTest;
using test::XPathNumber;
using test::XPathText;

class CatalogDocumentTest : public PresentTest {
protected:
    // Builds, then reads the document back as a template would: through its written form.
    XmlDocPtr BuildAndReread(const MovieSelection& list, int& selection, bool display = false) {
        const CatalogDocument built = BuildCatalogDocument(list, folder.Path(), selection, display);
        EXPECT_TRUE(built.document) << built.catalogProblem;
        if (!built.document) return nullptr;
        return test::ParseXml(SerializeCatalogDocument(*built.document));
    }
};

TEST_F(CatalogDocumentTest, TheSelectionDecidesWhichMoviesInWhichOrder) {
    const auto oids = InsertTitles({"A", "B", "C", "D", "E"});
    // Rows 4, 1, 2 selected; the list reports them top down whatever order they were picked in.
    const FixedMovieSelection list({oids[0], oids[1], oids[2], oids[3], oids[4]}, {1, 2, 4}, 2);

    int selection = -1;
    auto three = BuildAndReread(list, selection);
    EXPECT_EQ(selection, -1);
    EXPECT_EQ(XPathNumber(*three, "count(/Reelkeep/Movie)"), 3);
    EXPECT_EQ(XPathText(*three, "/Reelkeep/Movie[1]/szTitle"), "B");
    EXPECT_EQ(XPathText(*three, "/Reelkeep/Movie[2]/szTitle"), "C");
    EXPECT_EQ(XPathText(*three, "/Reelkeep/Movie[3]/szTitle"), "E");

    // A row index names that movie alone, whatever else is selected.
    selection = 3;
    auto named = BuildAndReread(list, selection);
    EXPECT_EQ(selection, 3);
    EXPECT_EQ(XPathNumber(*named, "count(/Reelkeep/Movie)"), 1);
    EXPECT_EQ(XPathText(*named, "/Reelkeep/Movie/szTitle"), "D");

    // One selected row: that row, and its index is written back.
    const FixedMovieSelection one({oids[0], oids[1], oids[2]}, {2}, 0);
    selection = -1;
    auto single = BuildAndReread(one, selection);
    EXPECT_EQ(selection, 2);
    EXPECT_EQ(XPathText(*single, "/Reelkeep/Movie/szTitle"), "C");
}

TEST_F(CatalogDocumentTest, NothingSelectedGivesNoDocumentAndLeavesTheCatalogAlone) {
    // The catalog does not even exist: it would be reported if it were opened.
    const FixedMovieSelection none({1, 2}, {}, 0);
    int selection = -1;
    const CatalogDocument built = BuildCatalogDocument(none, folder.Path(), selection, true);
    EXPECT_FALSE(built.document);
    EXPECT_EQ(built.catalogProblem, "");
    EXPECT_EQ(selection, -1);

    // With a selection, the missing catalog gives no document and says why.
    const FixedMovieSelection some({1});
    const CatalogDocument missing = BuildCatalogDocument(some, folder.Path(), selection, true);
    EXPECT_FALSE(missing.document);
    EXPECT_NE(missing.catalogProblem.find("does not exist"), std::string::npos);
    EXPECT_FALSE(test::FileExists(catalogFile));
}

TEST_F(CatalogDocumentTest, EveryFieldInOrderFormattedByItsKind) {
    Movie movie = test::SampleMovie();
    movie.nYear = -44;
    movie.pszProducers.clear();
    movie.szTranslated.clear();
    movie.dtAdded = dbDateTime{1'100'000'000};
    const ObjectId oid = Insert(movie);
    int selection = -1;
    auto document = BuildAndReread(FixedMovieSelection({oid}), selection);
    ASSERT_TRUE(document);

    // All thirty field elements, named and ordered as the field table says.
    const std::string movieXPath = "/Reelkeep/Movie";
    ASSERT_EQ(XPathNumber(*document, "count(" + movieXPath + "/*)"), MovieFields().size());
    int position = 1;
    for (const MovieField& field : MovieFields()) {
        EXPECT_EQ(XPathText(*document, "name(" + movieXPath + "/*[" + std::to_string(position++) +
                                           "])"),
                  field.name);
    }
    const auto value = [&](const std::string& path) {
        return XPathText(*document, movieXPath + "/" + path);
    };
    EXPECT_EQ(value("nIndex"), "1");
    EXPECT_EQ(value("nYear"), "-44");
    EXPECT_EQ(value("fRating"), "7.500000");
    EXPECT_EQ(value("fFPS"), "23.976000");
    EXPECT_EQ(value("bWatched"), "1");
    EXPECT_EQ(value("pnSizes/Item[2]"), "4700000000");
    EXPECT_EQ(value("pszActors/Item[3]"), "Grete Holm");
    EXPECT_EQ(XPathNumber(*document, "count(" + movieXPath + "/pszActors/Item)"), 3);
    // Empty values: the elements are there, without text or children. An array has no text of
    // its own. (The tree itself: the written file indents.)
    const CatalogDocument built = BuildCatalogDocument(FixedMovieSelection({oid}), folder.Path(),
                                                       selection, false);
    ASSERT_TRUE(built.document);
    xmlDoc& tree = *built.document;
    EXPECT_EQ(XPathNumber(tree, "count(" + movieXPath + "/pszActors/text())"), 0);
    EXPECT_EQ(XPathNumber(tree, "count(" + movieXPath + "/szTranslated/node())"), 0);
    EXPECT_EQ(XPathNumber(tree, "count(" + movieXPath + "/pszProducers/node())"), 0);
    EXPECT_EQ(XPathNumber(tree, "count(" + movieXPath + "/dtAdded/node())"), 0);
    EXPECT_EQ(XPathNumber(tree, "count(//text()[normalize-space() = ''])"), 0);
    // The export's document carries no attributes.
    EXPECT_EQ(XPathNumber(*document, "count(/Reelkeep/@*)"), 0);
}

TEST_F(CatalogDocumentTest, NumbersIgnoreTheProcessLocale) {
    Movie movie;
    movie.fRating = 7.5f;
    const ObjectId oid = Insert(movie);
    const char* previous = setlocale(LC_ALL, nullptr);
    const std::string restore = previous ? previous : "C";
    // Any locale with a decimal comma will do; when none is installed the check still holds.
    if (!setlocale(LC_ALL, "de_DE.UTF-8")) setlocale(LC_ALL, "fr_FR.UTF-8");
    int selection = -1;
    auto document = BuildAndReread(FixedMovieSelection({oid}), selection);
    setlocale(LC_ALL, restore.c_str());
    EXPECT_EQ(XPathText(*document, "/Reelkeep/Movie/fRating"), "7.500000");
}

TEST_F(CatalogDocumentTest, DisplayAddsThePicturesFolder) {
    const ObjectId oid = Insert(test::SampleMovie());
    int selection = -1;
    auto document = BuildAndReread(FixedMovieSelection({oid}), selection, true);
    EXPECT_EQ(XPathText(*document, "/Reelkeep/@Pictures"), folder.Path());
    EXPECT_EQ(XPathNumber(*document, "count(/Reelkeep/@StyleSheet)"), 0);
}

TEST_F(CatalogDocumentTest, AnyBytesGiveAWellFormedDocument) {
    Movie movie;
    movie.szTitle = "Tom & Jerry <\"'>";
    movie.szPlot = "bell\x01 tab\t vt\x0B cr\r lf\n del\x7F";
    movie.szLender = "Caf\xE9 \x80 \x81 na\xC3\xAFve \xED\xA0\x80 \xEF\xBF\xBF";
    movie.pszActors = {"\x1F", "ok"};
    const ObjectId oid = Insert(movie);
    int selection = -1;
    auto document = BuildAndReread(FixedMovieSelection({oid}), selection, true);
    ASSERT_TRUE(document);
    const std::string movieXPath = "/Reelkeep/Movie/";
    EXPECT_EQ(XPathText(*document, movieXPath + "szTitle"), "Tom & Jerry <\"'>");
    // Characters XML cannot hold become U+FFFD; tab, CR and LF stay.
    EXPECT_EQ(XPathText(*document, movieXPath + "szPlot"),
              "bell\xEF\xBF\xBD tab\t vt\xEF\xBF\xBD cr\r lf\n del\x7F");
    // Invalid UTF-8 is read byte by byte as Windows-1252.
    EXPECT_EQ(XPathText(*document, movieXPath + "szLender"),
              "Caf\xC3\xA9 \xE2\x82\xAC \xEF\xBF\xBD na\xC3\xAFve "
              "\xC3\xAD\xC2\xA0\xE2\x82\xAC \xEF\xBF\xBD");
    EXPECT_EQ(XPathText(*document, movieXPath + "pszActors/Item[1]"), "\xEF\xBF\xBD");
}

TEST_F(CatalogDocumentTest, AMovieDeletedMeanwhileIsADatabaseError) {
    const ObjectId oid = Insert(test::SampleMovie());
    int selection = -1;
    EXPECT_THROW(BuildCatalogDocument(FixedMovieSelection({oid, oid + 1}), folder.Path(), selection,
                                      false),
                 dbException);
}

}  // namespace
}  // namespace reelkeep
