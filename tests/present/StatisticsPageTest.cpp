// The statistics page on a known catalog: the store's figures, the document's bars, each bar's
// Filter finding exactly the movies it counts, and the shipped template's page and links.
#include <gtest/gtest.h>

#include <set>

#include "PresentTestSupport.h"
#include "catalog/CatalogOperations.h"
#include "catalog/FindQuery.h"
#include "present/StatisticsPage.h"
#include "support/LocalDays.h"

namespace reelkeep {
namespace {

using test::XPathNumber;
using test::XPathText;
using test::LocalNoon;


Movie Make(const char* title, int year, float rating, int length, bool watched,
           StringArray categories, StringArray directors, StringArray actors, Int64Array sizes,
           dbDateTime added) {
    Movie movie;
    movie.szTitle = title;
    movie.nYear = year;
    movie.fRating = rating;
    movie.nLength = length;
    movie.bWatched = watched;
    movie.pszCategories = std::move(categories);
    movie.pszDirectors = std::move(directors);
    movie.pszActors = std::move(actors);
    for (std::size_t i = 0; i < sizes.size(); ++i) movie.pszFilenames.push_back(std::string(title) + std::to_string(i) + ".mkv");
    movie.pnSizes = std::move(sizes);
    movie.dtAdded = added;
    return movie;
}

class StatisticsPageTest : public test::PresentTest {
protected:
    void SetUp() override {
        Insert(Make("A", 1994, 7.2f, 100, true, {"Drama", "Crime"}, {"Ann Lee"}, {"Bo Ek", "Cy Dahl"},
                    {1000, 2000}, LocalNoon(2020, 5, 1)));
        Insert(Make("B", 1999, 7.4f, 90, false, {"Drama"}, {"Ann Lee"}, {"Bo Ek"}, {500},
                    LocalNoon(2020, 12, 31)));
        Insert(Make("C", 2003, 8.6f, 120, true, {"Comedy", "Drama", "Drama"}, {"Dee Fox"},
                    {"Cy Dahl", "Bo Ek"}, {}, LocalNoon(2021, 1, 1)));
        Insert(Make("D", 0, 0.0f, 0, false, {}, {}, {}, {}, LocalNoon(2021, 6, 15)));
        Insert(Make("E", 1990, 10.0f, 0, false, {"Crime"}, {}, {}, {}, dbDateTime{0}));
    }

    CatalogSummary Summary(const std::string& filter) {
        CatalogDatabase database(catalogFile);
        database.Open(CatalogDatabase::Access::ReadOnly);
        return database.Summarize(ParseFindQuery(filter).query);
    }

    // Every bar of the document: its chart, label, count and filter.
    struct Bar {
        std::string chart, label, filter;
        int count;
    };
    std::vector<Bar> Bars(xmlDoc& document) {
        std::vector<Bar> bars;
        const int total = static_cast<int>(XPathNumber(document, "count(//Bar)"));
        for (int i = 1; i <= total; ++i) {
            const std::string bar = "(//Bar)[" + std::to_string(i) + "]";
            bars.push_back({XPathText(document, "name(" + bar + "/..)"), XPathText(document, bar + "/@Label"),
                            XPathText(document, bar + "/@Filter"),
                            static_cast<int>(XPathNumber(document, bar + "/@Count"))});
        }
        return bars;
    }
};

using Counts = std::vector<std::pair<std::int64_t, std::int64_t>>;
using Entries = std::vector<std::pair<std::string, std::int64_t>>;

TEST_F(StatisticsPageTest, TheStoreSumsUpTheCatalog) {
    const CatalogSummary all = Summary("");
    EXPECT_EQ(all.movies, 5);
    EXPECT_EQ(all.catalogMovies, 5);
    EXPECT_EQ(all.watched, 2);
    EXPECT_EQ(all.minutes, 310);
    EXPECT_EQ(all.bytes, 3500);
    EXPECT_EQ(all.files, 3);
    EXPECT_EQ(all.undated, 1);
    EXPECT_EQ(all.unrated, 1);
    EXPECT_EQ(all.undatedAdded, 1);
    EXPECT_EQ(all.decades, (Counts{{1990, 3}, {2000, 1}}));
    EXPECT_EQ(all.ratings, (Counts{{70, 2}, {85, 1}, {100, 1}}));
    EXPECT_EQ(all.addedYears, (Counts{{2020, 2}, {2021, 2}}));
    // A category listed twice in one movie counts once; ties go by name.
    EXPECT_EQ(all.categories, (Entries{{"Drama", 3}, {"Crime", 2}, {"Comedy", 1}}));
    EXPECT_EQ(all.directors, (Entries{{"Ann Lee", 2}, {"Dee Fox", 1}}));
    EXPECT_EQ(all.actors, (Entries{{"Bo Ek", 3}, {"Cy Dahl", 2}}));

    const CatalogSummary dramas = Summary("genre:drama");
    EXPECT_EQ(dramas.movies, 3);
    EXPECT_EQ(dramas.catalogMovies, 5);
    EXPECT_EQ(dramas.watched, 2);
    EXPECT_EQ(dramas.decades, (Counts{{1990, 2}, {2000, 1}}));
    EXPECT_EQ(dramas.categories, (Entries{{"Drama", 3}, {"Comedy", 1}, {"Crime", 1}}));
}

TEST_F(StatisticsPageTest, EveryBarsFilterFindsExactlyTheMoviesItCounts) {
    for (const std::string filter : {"", "genre:drama", "-watched:yes"}) {
        SCOPED_TRACE("filter: " + filter);
        const XmlDocPtr document = BuildStatisticsDocument(Summary(filter), filter);
        EXPECT_EQ(XPathText(*document, "/Reelkeep/Statistics/@Filter"), filter);
        const std::vector<Bar> bars = Bars(*document);
        ASSERT_FALSE(bars.empty());
        for (const Bar& bar : bars) {
            SCOPED_TRACE(bar.chart + " " + bar.label + ": " + bar.filter);
            const FindQueryParse parse = ParseFindQuery(bar.filter);
            ASSERT_TRUE(parse.Ok()) << parse.error;
            EXPECT_EQ(FindMovies(catalogFile, parse.query).size(), static_cast<std::size_t>(bar.count));
            if (!filter.empty()) {
                EXPECT_EQ(bar.filter.rfind(filter + " ", 0), 0u);
            }
        }
    }
    const XmlDocPtr document = BuildStatisticsDocument(Summary(""), "");
    EXPECT_EQ(XPathText(*document, "//Ratings/Bar[1]/@Label"), "7.0");
    EXPECT_EQ(XPathText(*document, "//Ratings/Bar[1]/@Filter"), "rating:7-7.4");
    EXPECT_EQ(XPathText(*document, "//Decades/Bar[1]/@Label"), "1990s");
    EXPECT_EQ(XPathText(*document, "//Actors/Bar[1]/@Filter"), "actor:=\"Bo Ek\"");
    EXPECT_EQ(XPathText(*document, "/Reelkeep/Statistics/@Unwatched"), "3");
}

TEST_F(StatisticsPageTest, TheShippedTemplateDrawsEveryBarAsALinkThatSetsTheFilter) {
    const std::string templatePath = test::ResourcesFolder() + "Templates/Statistics.xsl";
    const RenderedPage page = RenderStatistics(catalogFile, "genre:drama", templatePath, true);
    ASSERT_EQ(page.status, RenderedPage::Status::Rendered) << page.detail;
    EXPECT_EQ(page.mediaType, "text/html");
    const XmlDocPtr html = test::ParseHtml(page.bytes);
    ASSERT_TRUE(html);
    EXPECT_EQ(XPathText(*html, "normalize-space(//h1)"), "3 of 5 movies");
    EXPECT_EQ(XPathText(*html, "//code"), "genre:drama");
    // The pages' own style sheet, from the template's folder.
    EXPECT_EQ(XPathText(*html, "//link[@rel='stylesheet']/@href"),
              "file://" + test::ResourcesFolder() + "Templates/Reelkeep.css");
    EXPECT_EQ(XPathNumber(*html, "count(//svg)"), 6);

    const XmlDocPtr document = BuildStatisticsDocument(Summary("genre:drama"), "genre:drama");
    std::multiset<std::string> expected, linked;
    for (const Bar& bar : Bars(*document)) expected.insert(bar.filter);
    const int links = static_cast<int>(XPathNumber(*html, "count(//a)"));
    for (int i = 1; i <= links; ++i) {
        const std::string href = XPathText(*html, "(//a)[" + std::to_string(i) + "]/@href");
        const std::optional<std::string> filter = FilterOfLink(href);
        ASSERT_TRUE(filter) << href;
        linked.insert(*filter);
    }
    EXPECT_EQ(linked, expected);

    // No catalog figures for a query that cannot be read: it says why.
    const RenderedPage bad = RenderStatistics(catalogFile, "year:soon", templatePath, true);
    EXPECT_EQ(bad.status, RenderedPage::Status::NoDocument);
    EXPECT_NE(bad.detail.find("\"year:soon\" needs a year"), std::string::npos) << bad.detail;
}

TEST(FilterLink, OnlyTheFilterSchemeGivesAQuery) {
    EXPECT_EQ(FilterOfLink("rkpage:/filter?actor%3A%3D%22Bo%20Ek%22"), "actor:=\"Bo Ek\"");
    EXPECT_EQ(FilterOfLink("rkpage:/filter?Am%C3%A9lie"), "Am\xC3\xA9lie");
    EXPECT_EQ(FilterOfLink("rkpage:/filter?100%"), "100%");
    EXPECT_EQ(FilterOfLink("rkpage:/filter?"), "");
    EXPECT_FALSE(FilterOfLink("https://example.com/?rkpage:/filter?x"));
    EXPECT_FALSE(FilterOfLink("rkpage:/1"));
    EXPECT_FALSE(FilterOfLink("rkpage:/all-rows"));
}

}  // namespace
}  // namespace reelkeep
