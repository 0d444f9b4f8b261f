// The Filter's query language, case by case, on a real catalog: what each query finds, what
// each query that cannot be read says, and the word index kept in step with the records.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <set>

#include "catalog/CatalogDatabase.h"
#include "catalog/CatalogPaths.h"
#include "catalog/FindQuery.h"
#include "support/LocalDays.h"
#include "support/TempFolder.h"
#include "support/WordIndexCheck.h"

namespace reelkeep {
namespace {

using Access = CatalogDatabase::Access;
using test::TempFolder;
using test::LocalNoon;


std::vector<Movie> KnownMovies() {
    std::vector<Movie> movies(6);
    Movie& godfather = movies[0];
    godfather.szTitle = "The Godfather";
    godfather.nYear = 1972;
    godfather.pszDirectors = {"Francis Ford Coppola"};
    godfather.pszActors = {"Marlon Brando", "Al Pacino", "James Caan"};
    godfather.pszCategories = {"Crime", "Drama"};
    godfather.pszCountries = {"USA"};
    godfather.pszLanguages = {"English", "Italian"};
    godfather.pszSubtitles = {"German"};
    godfather.fRating = 9.2f;
    godfather.nLength = 175;
    godfather.bWatched = true;
    godfather.szPlot = "The aging patriarch of an organized crime dynasty hands it to his son.";
    godfather.szLender = "Sam";
    godfather.pszFilenames = {"godfather.cd1.avi"};
    godfather.szLocation = "/films/godfather.cd1.avi";
    godfather.dtAdded = LocalNoon(2021, 3, 15);

    Movie& scarface = movies[1];
    scarface.szTitle = "Scarface";
    scarface.nYear = 1983;
    scarface.pszDirectors = {"Brian De Palma"};
    scarface.pszActors = {"Al Pacino", "Michelle Pfeiffer"};
    scarface.pszCategories = {"Crime", "Drama"};
    scarface.fRating = 8.3f;
    scarface.nLength = 170;
    scarface.dtAdded = LocalNoon(2022, 7, 1);

    Movie& amelie = movies[2];
    amelie.szTitle = "Am\xC3\xA9lie";  // UTF-8
    amelie.szTranslated = "Le Fabuleux Destin d'Am\xC3\xA9lie Poulain";
    amelie.nYear = 2001;
    amelie.pszDirectors = {"Jean-Pierre Jeunet"};
    amelie.pszActors = {"Audrey Tautou"};
    amelie.pszCategories = {"Comedy", "Romance"};
    amelie.pszCountries = {"France"};
    amelie.pszLanguages = {"French"};
    amelie.pszComments = {"\xC3\x98rsted's favourite"};  // "Ørsted's"
    amelie.fRating = 8.3f;
    amelie.nLength = 122;
    amelie.bWatched = true;
    amelie.dtAdded = LocalNoon(2021, 11, 20);

    Movie& heat = movies[3];
    heat.szTitle = "Heat";
    heat.nYear = 1995;
    heat.pszDirectors = {"Michael Mann"};
    heat.pszActors = {"Al Pacino", "Robert De Niro"};
    heat.pszCategories = {"Crime", "Thriller"};
    heat.fRating = 7.5f;
    heat.nLength = 170;
    heat.szPlot = "A group of professional bank robbers.";
    heat.szLender = "Sam Jones";
    heat.dtAdded = LocalNoon(2023, 1, 5);

    // Windows-1252 bytes, as older records hold them; no year, length or rating.
    Movie& strasse = movies[4];
    strasse.szTitle = "Stra\xDF" "e der Sehnsucht";
    strasse.pszActors = {"Al Pacino Jr."};
    strasse.dtAdded = LocalNoon(2023, 6, 30);

    Movie& rim = movies[5];
    rim.szTitle = "Pacific Rim";
    rim.nYear = 2013;
    rim.pszActors = {"Idris Elba"};
    rim.pszCategories = {"Science Fiction", "Action"};
    rim.fRating = 6.9f;
    rim.nLength = 131;
    rim.dtAdded = LocalNoon(2024, 2, 29);
    return movies;
}

class FindTest : public ::testing::Test {
protected:
    void SetUp() override {
        CatalogDatabase database(catalog);
        database.Open(Access::ReadWrite);
        for (Movie& movie : KnownMovies()) {
            oids.push_back(database.Insert(movie));
            titles[oids.back()] = movie.szTitle;
        }
        database.Close();
    }

    // The titles of what the query finds; "error: ..." for a query that cannot be read.
    std::set<std::string> Found(const std::string& text) {
        const FindQueryParse parse = ParseFindQuery(text);
        if (!parse.Ok()) return {"error: " + parse.error};
        CatalogDatabase database(catalog);
        database.Open(Access::ReadOnly);
        const std::vector<ObjectId> found = database.Find(parse.query);
        EXPECT_TRUE(std::is_sorted(found.begin(), found.end())) << text;
        std::set<std::string> names;
        for (const ObjectId oid : found) names.insert(titles.at(oid));
        return names;
    }

    TempFolder folder;
    std::string catalog = CatalogFilePath(folder.Path());
    std::vector<ObjectId> oids;
    std::map<ObjectId, std::string> titles;
};

const std::string kGodfather = "The Godfather", kScarface = "Scarface",
                  kAmelie = "Am\xC3\xA9lie", kHeat = "Heat",
                  kStrasse = "Stra\xDF" "e der Sehnsucht", kRim = "Pacific Rim";

TEST_F(FindTest, EachKindOfTermFindsWhatItSays) {
    const std::set<std::string> all = {kGodfather, kScarface, kAmelie, kHeat, kStrasse, kRim};
    const struct {
        const char* query;
        std::set<std::string> found;
    } cases[] = {
        {"", all},
        {"   ", all},
        // Words: the start of a word in any text field, ignoring case and accents.
        {"pacino", {kGodfather, kScarface, kHeat, kStrasse}},
        {"PACINO", {kGodfather, kScarface, kHeat, kStrasse}},
        {"pac", {kGodfather, kScarface, kHeat, kStrasse, kRim}},
        {"p", {kGodfather, kScarface, kAmelie, kHeat, kStrasse, kRim}},
        {"acino", {}},
        {"amelie", {kAmelie}},
        {"AM\xC3\x89LIE", {kAmelie}},
        {"orsted", {kAmelie}},          // a letter without an accent to strip
        {"strasse", {kStrasse}},        // ß, in a Windows-1252 record
        {"stra\xC3\x9F" "e", {kStrasse}},
        {"robbers", {kHeat}},           // plot
        {"favourite", {kAmelie}},       // comments
        {"godfather.cd1", {kGodfather}},  // file names
        {"films", {kGodfather}},        // location
        {"jeunet", {kAmelie}},
        {"jean-pierre", {kAmelie}},     // two words in one, in this order
        {"pierre-jean", {}},
        {"!!!", all},                   // no word at all: no condition
        // Several words: all of them.
        {"al pacino crime", {kGodfather, kScarface, kHeat}},
        {"pacino france", {}},
        // Phrases: whole words in this order, within one entry of one field.
        {"\"al pacino\"", {kGodfather, kScarface, kHeat, kStrasse}},
        {"\"pacino al\"", {}},
        {"\"al pac\"", {}},
        {"\"pacino james\"", {}},       // two entries of the cast, not one
        {"\"bank robbers\"", {kHeat}},
        // Exclusions.
        {"crime -drama", {kHeat}},
        {"-crime", {kAmelie, kStrasse, kRim}},
        {"-\"al pacino\"", {kAmelie, kRim}},
        {"pacino -\"pacino jr\"", {kGodfather, kScarface, kHeat}},
        {"-pacino -crime", {kAmelie, kRim}},
        // Fields.
        {"title:destin", {kAmelie}},  // the translated title too
        {"title:pacino", {}},
        {"director:coppola", {kGodfather}},
        {"Director:COPPOLA", {kGodfather}},
        {"directors:mann", {kHeat}},
        {"director:pacino", {}},
        {"actor:pacino", {kGodfather, kScarface, kHeat, kStrasse}},
        {"actor:=\"Al Pacino\"", {kGodfather, kScarface, kHeat}},
        {"actor:\"al pacino\"", {kGodfather, kScarface, kHeat, kStrasse}},
        {"-actor:=\"al pacino\"", {kAmelie, kStrasse, kRim}},
        {"genre:science", {kRim}},
        {"genre:=\"Science Fiction\"", {kRim}},
        {"genre:=science", {}},
        {"genre:=crime", {kGodfather, kScarface, kHeat}},
        {"country:france", {kAmelie}},
        {"language:italian", {kGodfather}},
        {"subtitle:german", {kGodfather}},
        {"lender:sam", {kGodfather, kHeat}},
        {"lender:=sam", {kGodfather}},
        {"file:godfather", {kGodfather}},
        {"plot:robbers", {kHeat}},
        {"comment:orsted", {kAmelie}},
        {"alien:", {}},  // names no field: an ordinary word
        // Numbers.
        {"year:1995", {kHeat}},
        {"year:1990-1999", {kHeat}},
        {"year:1990..1999", {kHeat}},
        {"year:1990s", {kHeat}},
        {"year:>2000", {kAmelie, kRim}},
        {"year:>=2001", {kAmelie, kRim}},
        {"year:<=1983", {kGodfather, kScarface}},  // a movie without a year is not older
        {"year:<1983", {kGodfather}},
        {"year:0", {kStrasse}},
        {"-year:1970-1999", {kAmelie, kStrasse, kRim}},
        {"rating:>8", {kGodfather, kScarface, kAmelie}},
        {"rating:7.5", {kHeat}},
        {"rating:8.3", {kScarface, kAmelie}},
        {"rating:7-8", {kHeat}},
        {"rating:6.9-7.4", {kRim}},
        {"rating:<7", {kRim}},
        {"rating:0", {kStrasse}},
        {"length:<=122", {kAmelie}},
        {"length:130-175", {kGodfather, kScarface, kHeat, kRim}},
        {"length:>170", {kGodfather}},
        {"watched:yes", {kGodfather, kAmelie}},
        {"watched:NO", {kScarface, kHeat, kStrasse, kRim}},
        {"-watched:yes", {kScarface, kHeat, kStrasse, kRim}},
        // Dates the movies were added, in local days.
        {"added:2021", {kGodfather, kAmelie}},
        {"added:2021-03", {kGodfather}},
        {"added:2021-03-15", {kGodfather}},
        {"added:2021-03-16", {}},
        {"added:2021..2022", {kGodfather, kScarface, kAmelie}},
        {"added:2021-2022", {kGodfather, kScarface, kAmelie}},
        {"added:2021-11..2023-01-05", {kScarface, kAmelie, kHeat}},
        {"added:>=2023", {kHeat, kStrasse, kRim}},
        {"added:>2023-06", {kRim}},
        {"added:<2021-11-20", {kGodfather}},
        {"added:2024-02-29", {kRim}},
        // Everything together.
        {"pacino year:1980-1999 watched:no", {kScarface, kHeat}},
        {"crime rating:>8 -scarface", {kGodfather}},
        {"-drama year:>1990 -rating:<7", {kAmelie, kHeat}},
    };
    for (const auto& [query, found] : cases) {
        EXPECT_EQ(Found(query), found) << "query: " << query;
    }
}

TEST_F(FindTest, AQueryThatCannotBeReadSaysWhy) {
    const struct {
        const char* query;
        const char* says;
    } cases[] = {
        {"\"al pacino", "The quote after the start is not closed."},
        {"actor:\"al pacino", "The quote after \"actor:\" is not closed."},
        {"heat -", "A \"-\" must stand right before what it leaves out"},
        {"- heat", "A \"-\" must stand right before what it leaves out"},
        {"title:", "\"title:\" needs a word or \"quoted words\" right after it."},
        {"actor:=", "\"actor:=\" needs a word"},
        {"year:", "\"year:\" needs a value after the colon."},
        {"year:abc", "\"year:abc\" needs a year, a range like 1990-1999"},
        {"year:1999-1990", "\"year:1999-1990\" runs backwards"},
        {"year:-5", "\"year:-5\" needs a year"},
        {"year:1995s", "\"year:1995s\" needs a year"},
        {"rating:high", "\"rating:high\" needs a rating"},
        {"rating:7.", "\"rating:7.\" needs a rating"},
        {"length:>", "\"length:>\" needs minutes"},
        {"length:1h30", "\"length:1h30\" needs minutes"},
        {"watched:maybe", "watched: takes yes or no."},
        {"added:2021-13", "\"added:2021-13\" needs a date"},
        {"added:2021-02-30", "\"added:2021-02-30\" needs a date"},
        {"added:yesterday", "\"added:yesterday\" needs a date"},
        {"added:2022..2021", "runs backwards"},
    };
    for (const auto& [query, says] : cases) {
        const FindQueryParse parse = ParseFindQuery(query);
        EXPECT_FALSE(parse.Ok()) << "query: " << query;
        EXPECT_NE(parse.error.find(says), std::string::npos)
            << "query: " << query << "\nsays: " << parse.error;
        EXPECT_TRUE(parse.query.Empty()) << query;
    }
}

TEST_F(FindTest, AWholeEntryQueryFindsExactlyTheMoviesWithThatEntry) {
    // The links of the statistics page: entries with quotes and odd spacing included.
    CatalogDatabase database(catalog);
    database.Open(Access::ReadWrite);
    Movie odd;
    odd.szTitle = "Odd";
    odd.pszActors = {"Dwayne \"The Rock\" Johnson", "Johnson"};
    odd.pszCategories = {"Sci-Fi\tHorror"};
    titles[database.Insert(odd)] = "Odd";
    database.Close();
    EXPECT_EQ(Found(WholeEntryQuery("actor", "Dwayne \"The Rock\" Johnson")), std::set<std::string>{"Odd"});
    EXPECT_EQ(Found(WholeEntryQuery("actor", "Johnson")), std::set<std::string>{"Odd"});
    EXPECT_EQ(Found(WholeEntryQuery("actor", "The Rock")), std::set<std::string>{});
    EXPECT_EQ(Found(WholeEntryQuery("genre", "Sci-Fi\tHorror")), std::set<std::string>{"Odd"});
    EXPECT_EQ(Found(WholeEntryQuery("actor", "Al Pacino")),
              (std::set<std::string>{kGodfather, kScarface, kHeat}));
}

TEST_F(FindTest, TheWordIndexFollowsInsertsChangesAndRemovals) {
    ASSERT_EQ(test::WordIndexDifference(catalog), "");
    CatalogDatabase database(catalog);
    database.Open(Access::ReadWrite);
    Movie movie;
    ASSERT_TRUE(database.Fetch(oids[3], movie));
    movie.pszActors = {"Val Kilmer"};  // Heat loses Al Pacino
    movie.szTitle = "Heat (1995)";
    ASSERT_TRUE(database.Update(oids[3], movie));
    titles[oids[3]] = movie.szTitle;
    ASSERT_TRUE(database.Fetch(oids[0], movie));
    movie.bWatched = false;  // numbers only: the words stay as they are
    movie.nYear = 1973;
    ASSERT_TRUE(database.Update(oids[0], movie));
    ASSERT_TRUE(database.Remove(oids[1]));
    Movie added;
    added.szTitle = "Serpico";
    added.pszActors = {"Al Pacino"};
    titles[database.Insert(added)] = "Serpico";
    database.Close();

    EXPECT_EQ(test::WordIndexDifference(catalog), "");
    EXPECT_EQ(Found("actor:=\"al pacino\""), (std::set<std::string>{kGodfather, "Serpico"}));
    EXPECT_EQ(Found("kilmer"), std::set<std::string>{"Heat (1995)"});
    EXPECT_EQ(Found("year:1973 watched:no"), std::set<std::string>{kGodfather});
    EXPECT_EQ(Found("scarface"), std::set<std::string>{});

    // A program that writes records without the store leaves what it changed queued; the
    // next connection that writes brings the index up to date.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(catalog.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "UPDATE Movie SET szTitle = CAST('Dog Day Afternoon' AS BLOB)"
                           " WHERE szTitle = CAST('Serpico' AS BLOB)",
                           nullptr, nullptr, nullptr),
              SQLITE_OK)
        << sqlite3_errmsg(db);
    sqlite3_close(db);
    EXPECT_NE(test::WordIndexDifference(catalog).find("changes left in the queue"), std::string::npos);
    database.Open(Access::ReadWrite);
    database.Close();
    EXPECT_EQ(test::WordIndexDifference(catalog), "");
    for (auto& [oid, title] : titles) {
        if (title == "Serpico") title = "Dog Day Afternoon";
    }
    EXPECT_EQ(Found("afternoon"), std::set<std::string>{"Dog Day Afternoon"});

    // A change that is abandoned takes its words with it.
    database.Open(Access::ReadWrite);
    Movie gone;
    gone.szTitle = "Never Kept";
    database.Insert(gone);
    EXPECT_EQ(database.Find(ParseFindQuery("kept").query).size(), 1u);  // its own change, seen
    database.Abandon();
    EXPECT_EQ(Found("kept"), std::set<std::string>{});
    EXPECT_EQ(test::WordIndexDifference(catalog), "");
}

TEST_F(FindTest, ACatalogMadeBeforeTheIndexGetsItAtItsFirstWriteWithProgress) {
    ASSERT_TRUE(test::TakeBackToTheFormerLayout(catalog));

    {
        CatalogDatabase database(catalog);
        database.Open(Access::ReadOnly);
        EXPECT_FALSE(database.HasWordIndex());
        try {
            database.Find(ParseFindQuery("pacino").query);
            ADD_FAILURE() << "found without an index";
        } catch (const dbException& error) {
            EXPECT_NE(std::string(error.what()).find("has no word index yet"), std::string::npos);
        }
        // An empty query asks for nothing the index holds.
        EXPECT_EQ(database.Find({}).size(), oids.size());
    }

    std::vector<std::pair<std::size_t, std::size_t>> heard;
    CatalogDatabase::SetThreadUpgradeProgress(
        [&](std::size_t done, std::size_t total) { heard.emplace_back(done, total); });
    {
        CatalogDatabase database(catalog);
        database.Open(Access::ReadWrite);
        EXPECT_TRUE(database.HasWordIndex());
    }
    CatalogDatabase::SetThreadUpgradeProgress({});
    ASSERT_FALSE(heard.empty());
    EXPECT_EQ(heard.front(), std::make_pair(std::size_t{0}, oids.size()));
    EXPECT_EQ(heard.back(), std::make_pair(oids.size(), oids.size()));
    EXPECT_EQ(test::WordIndexDifference(catalog), "");
    EXPECT_EQ(Found("actor:=\"al pacino\" year:>1980"), (std::set<std::string>{kScarface, kHeat}));
}

}  // namespace
}  // namespace reelkeep
