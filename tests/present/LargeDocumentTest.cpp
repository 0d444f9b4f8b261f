// Documents of many movies: made on two threads from bulk memory, in list order, followed and
// stopped from another thread, and pages that list a first block of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "PresentTestSupport.h"
#include "present/CatalogDocument.h"
#include "present/Export.h"
#include "present/RenderControl.h"
#include "present/TemplateTransform.h"

namespace reelkeep {
namespace {

using test::PresentTest;
using test::XPathNumber;
using test::XPathText;

// Enough movies for the build to take its two-thread path.
constexpr int kMany = 1500;

class LargeDocumentTest : public PresentTest {
protected:
    void SetUp() override {
        std::vector<Movie> movies;
        for (int i = 0; i < kMany; ++i) movies.push_back(test::VariedMovie(i));
        oids = InsertAll(movies);
        // A list order far from storage order: from both ends towards the middle.
        for (int low = 0, high = kMany - 1; low <= high; ++low, --high) {
            listOrder.push_back(oids[static_cast<std::size_t>(high)]);
            if (low != high) listOrder.push_back(oids[static_cast<std::size_t>(low)]);
        }
    }

    // The pane's request for the movies in list order, with the shipped templates.
    PageRequest Request(std::size_t rowLimit = 0) const {
        PageRequest request;
        request.catalogFolder = folder.Path();
        request.movies = listOrder;
        request.templates = DefaultTemplatePaths(test::ResourcesFolder());
        request.rowLimit = rowLimit;
        return request;
    }

    std::vector<ObjectId> oids;       // in storage order
    std::vector<ObjectId> listOrder;  // the order of the list the document follows
};

TEST_F(LargeDocumentTest, ALongListGivesTheDocumentMovieByMovieInListOrder) {
    RenderControl control;
    const CatalogDocument built = BuildMovieDocument(folder.Path(), listOrder, true, &control);
    ASSERT_TRUE(built.document) << built.catalogProblem;
    EXPECT_EQ(control.Total(), listOrder.size());
    EXPECT_EQ(control.Done(), listOrder.size());

    // The same movies appended one by one, as a single movie's page is made.
    XmlDocPtr expected = NewCatalogDocument();
    SetRootAttribute(*expected, kPicturesAttribute, folder.Path());
    SelectionSummary summary;
    CatalogDatabase database(catalogFile);
    database.Open(CatalogDatabase::Access::ReadOnly);
    for (const ObjectId oid : listOrder) {
        Movie movie;
        ASSERT_TRUE(database.Fetch(oid, movie));
        AppendMovieElement(*expected, movie);
        summary.Add(movie);
    }
    EXPECT_EQ(SerializeCatalogDocument(*built.document), SerializeCatalogDocument(*expected));

    // The figures counted on the way are the ones a template counts in the document.
    EXPECT_EQ(built.summary, summary);
    xmlDoc& document = *built.document;
    EXPECT_EQ(XPathNumber(document, "count(/Reelkeep/Movie[bWatched = 1])"), summary.watched);
    EXPECT_EQ(XPathNumber(document, "sum(/Reelkeep/Movie/nLength)"), summary.minutes);
    EXPECT_EQ(XPathNumber(document, "sum(/Reelkeep/Movie/pnSizes/Item)"), summary.bytes);
    EXPECT_EQ(XPathNumber(document, "count(/Reelkeep/Movie/pszFilenames/Item)"), summary.files);
    EXPECT_EQ(XPathNumber(document, "count(/Reelkeep/Movie[szLender != ''])"), summary.lent);
    EXPECT_GT(summary.lent, 0);
}

TEST_F(LargeDocumentTest, AMovieGoneFromEitherHalfIsADatabaseError) {
    for (const std::size_t gone : {std::size_t{3}, listOrder.size() - 3}) {
        CatalogDatabase database(catalogFile);
        database.Open(CatalogDatabase::Access::ReadWrite);
        ASSERT_TRUE(database.Remove(listOrder[gone]));
        database.Close();
        try {
            BuildMovieDocument(folder.Path(), listOrder, false);
            ADD_FAILURE() << "no error for position " << gone;
        } catch (const dbException& error) {
            EXPECT_NE(std::string(error.what()).find("no longer in the catalog"),
                      std::string::npos)
                << error.what();
        }
        listOrder.erase(listOrder.begin() + static_cast<std::ptrdiff_t>(gone));
    }
    EXPECT_TRUE(BuildMovieDocument(folder.Path(), listOrder, false).document);
}

TEST_F(LargeDocumentTest, AStoppedBuildGivesNoDocument) {
    RenderControl control;
    control.Stop();
    const CatalogDocument built = BuildMovieDocument(folder.Path(), listOrder, true, &control);
    EXPECT_FALSE(built.document);
    EXPECT_TRUE(built.stopped);
    EXPECT_EQ(control.Done(), 0u);

    EXPECT_EQ(RenderPage(Request(), &control).status, RenderedPage::Status::Stopped);
    const FixedMovieSelection list(listOrder);
    const std::string exported = folder / "stopped.xml";
    EXPECT_EQ(ExportXml(list, folder.Path(), exported, &control).status,
              ExportResult::Status::NothingWritten);
    EXPECT_FALSE(std::filesystem::exists(exported));
}

TEST_F(LargeDocumentTest, ATransformThatWouldRunForHoursStopsWhenAsked) {
    // Every node against every node against every node: far more steps than a test can wait.
    const std::string endless = folder / "Endless.xsl";
    test::WriteFileBytes(endless,
                         R"xsl(<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:template match="/"><xsl:for-each select="//node()"><xsl:for-each select="//node()">
    <xsl:for-each select="//node()"><xsl:value-of select="name()"/></xsl:for-each>
  </xsl:for-each></xsl:for-each></xsl:template></xsl:stylesheet>)xsl");
    CatalogDocument built = BuildMovieDocument(folder.Path(), listOrder, false);
    ASSERT_TRUE(built.document);
    RenderControl control;
    std::thread stopper([&control] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        control.Stop();
    });
    const RenderedPage page = TransformDocument(*built.document, endless, false, {}, &control);
    stopper.join();
    EXPECT_EQ(page.status, RenderedPage::Status::Stopped);
    EXPECT_TRUE(page.bytes.empty());
}

TEST_F(LargeDocumentTest, TheMultiplePageListsAFirstBlockAndLinksToTheRest) {
    PageRequest request = Request(1000);
    const RenderedPage page = RenderPage(request);
    ASSERT_EQ(page.status, RenderedPage::Status::Rendered) << page.detail;
    auto html = test::ParseHtml(page.bytes);
    EXPECT_EQ(XPathText(*html, "//h1"), "1500 movies selected");
    EXPECT_EQ(XPathNumber(*html, "count(//tbody/tr)"), 1000);
    EXPECT_EQ(XPathNumber(*html, "count(//div[@class='catalog-block'])"), 10);
    // The rows are the first of the list, in its order.
    const auto titleOf = [&](std::size_t position) {
        CatalogDatabase database(catalogFile);
        database.Open(CatalogDatabase::Access::ReadOnly);
        Movie movie;
        database.Fetch(listOrder[position], movie);
        return movie.szTitle;
    };
    EXPECT_EQ(XPathText(*html, "(//tbody/tr)[1]//strong"), titleOf(0));
    EXPECT_EQ(XPathText(*html, "(//tbody/tr)[1000]//strong"), titleOf(999));
    EXPECT_EQ(XPathText(*html, "normalize-space(//p[@class='more'])"),
              "500 more movies are not listed. List all 1500 movies");
    EXPECT_EQ(XPathText(*html, "//p[@class='more']/a/@href"), kAllRowsAddress);

    // Without a limit, as after the link and in an export, every row and no line.
    request.rowLimit = 0;
    auto everyRow = test::ParseHtml(RenderPage(request).bytes);
    EXPECT_EQ(XPathNumber(*everyRow, "count(//tbody/tr)"), 1500);
    EXPECT_EQ(XPathNumber(*everyRow, "count(//div[@class='catalog-block'])"), 15);
    EXPECT_EQ(XPathText(*everyRow, "(//tbody/tr)[1500]//strong"), titleOf(1499));
    EXPECT_EQ(XPathNumber(*everyRow, "count(//p[@class='more'])"), 0);

    // A limit of all but one still says so, in the singular.
    request.rowLimit = 1499;
    auto allButOne = test::ParseHtml(RenderPage(request).bytes);
    EXPECT_EQ(XPathNumber(*allButOne, "count(//tbody/tr)"), 1499);
    EXPECT_EQ(XPathText(*allButOne, "normalize-space(//p[@class='more'])"),
              "1 more movie is not listed. List all 1500 movies");
}

TEST_F(LargeDocumentTest, TheFiguresHandedToTheTemplateAreTheOnesItWouldCount) {
    const PageRequest request = Request(10);
    auto handed = test::ParseHtml(RenderPage(request).bytes);
    // The same document transformed with no parameters: the template counts them itself.
    CatalogDocument built = BuildMovieDocument(folder.Path(), listOrder, true);
    ASSERT_TRUE(built.document);
    const RenderedPage counted = TransformDocument(*built.document, request.templates.multiple,
                                                   true, {{kRowLimitParameter, 10}});
    auto itself = test::ParseHtml(counted.bytes);
    const std::string summary = "normalize-space(//div[@class='summary'])";
    EXPECT_EQ(XPathText(*handed, summary), XPathText(*itself, summary));
    EXPECT_NE(XPathText(*handed, summary).find("lent out"), std::string::npos);
}

}  // namespace
}  // namespace reelkeep
