// The edit page's submissions written back into the record, on a real catalog.
#include "present/EditForm.h"

#include <gtest/gtest.h>

#include <thread>

#include <cmath>
#include <filesystem>
#include <limits>

#include "PresentTestSupport.h"
#include "present/FormBody.h"

namespace reelkeep {
namespace {

using test::PresentTest;

class EditFormTest : public PresentTest {
protected:
    // Posts the body into a fresh copy of the sample movie and returns what was stored.
    Movie Post(const std::string& body) {
        const ObjectId oid = Insert(test::SampleMovie());
        original = Fetch(oid);
        const EditFormResult result = ApplyEditForm(body, oid, catalogFile);
        EXPECT_TRUE(result.submitted);
        EXPECT_TRUE(result.stored) << result.error;
        EXPECT_EQ(result.error, "");
        const Movie stored = Fetch(oid);
        EXPECT_EQ(result.title, stored.szTitle);
        EXPECT_EQ(result.watched, stored.bWatched);
        return stored;
    }
    // The original with one change applied.
    template <class Change>
    Movie Expected(Change change) {
        Movie movie = original;
        change(movie);
        return movie;
    }
    Movie original;
};

// Each row of the write-back table: the posted body and what the record then holds.
TEST_F(EditFormTest, BodiesAsTheBrowserSendsThem) {
    Movie stored = Post("szTitle=A+%26+B&nYear=1979");
    EXPECT_EQ(stored, Expected([](Movie& m) {
                  m.szTitle = "A & B";
                  m.nYear = 1979;
              }));
    EXPECT_EQ(Post("szTitle=%41%4a%4A").szTitle, "AJJ");
    EXPECT_EQ(Post("szTitle=%2B%25").szTitle, "+%");
    EXPECT_EQ(Post("szTitle=%G1").szTitle, "\x01");
    EXPECT_EQ(Post("szTitle=+").szTitle, " ");
    stored = Post("szPlot");
    EXPECT_EQ(stored, Expected([](Movie& m) { m.szPlot.clear(); }));

    Movie unwatched = test::SampleMovie();
    unwatched.bWatched = false;
    const ObjectId oid = Insert(unwatched);
    const EditFormResult watched = ApplyEditForm("bWatched=1", oid, catalogFile);
    EXPECT_TRUE(watched.watched);
    EXPECT_TRUE(Fetch(oid).bWatched);
    EXPECT_FALSE(Post("bWatched=on").bWatched);

    EXPECT_EQ(Post("nYear=1999x").nYear, 1999);
    EXPECT_EQ(Post("nIndex=7").nIndex, 7);
    stored = Post("pszActors=");
    EXPECT_EQ(stored, Expected([](Movie& m) { m.pszActors.clear(); }));
    EXPECT_EQ(Post("pszActors=first+,++second,,third").pszActors,
              (StringArray{"first", "second", "third"}));
    EXPECT_EQ(Post("pszActors=%20a%20,b%09").pszActors, (StringArray{"a", "b"}));
    stored = Post("pnSizes=1,2&dtAdded=2005");
    EXPECT_EQ(stored, original);
    EXPECT_EQ(Post("szTitle=x&szTitle=y").szTitle, "y");
    stored = Post("sztitle=x");
    EXPECT_EQ(stored, original);
}

TEST_F(EditFormTest, EveryKindOfFieldIsStored) {
    const Movie stored = Post(
        "szTranslated=%C3%A9t%C3%A9&nLength=-5&fRating=8.25&fFPS=2.5e1&nWidth=+720"
        "&pszCountries=France&pszCountries=Italy,+Spain&bWatched=0&unknown=1&=x&&");
    EXPECT_EQ(stored, Expected([](Movie& m) {
                  m.szTranslated = "\xC3\xA9t\xC3\xA9";  // bytes as posted, no conversion
                  m.nLength = -5;
                  m.fRating = 8.25f;
                  m.fFPS = 25.0f;
                  m.nWidth = 720;
                  m.pszCountries = {"Italy", "Spain"};  // the later pair empties the list again
                  m.bWatched = false;
              }));
}

TEST_F(EditFormTest, SubmissionsThatStoreNothing) {
    const ObjectId oid = Insert(test::SampleMovie());
    const Movie before = Fetch(oid);

    // A link or a GET form: no body, no submission.
    const EditFormResult link = ApplyEditForm("", oid, catalogFile);
    EXPECT_FALSE(link.submitted);
    EXPECT_FALSE(link.stored);

    // A multipart body names no field: stored unchanged, edit mode still ends.
    const EditFormResult multipart = ApplyEditForm(
        "------x\r\nContent-Disposition: form-data; name=\"szTitle\"\r\n\r\nNew\r\n------x--\r\n",
        oid, catalogFile);
    EXPECT_TRUE(multipart.submitted);
    EXPECT_EQ(Fetch(oid), before);

    // No focused row: nothing to write into.
    const EditFormResult unfocused = ApplyEditForm("szTitle=x", 0, catalogFile);
    EXPECT_TRUE(unfocused.submitted);
    EXPECT_FALSE(unfocused.stored);
    EXPECT_EQ(unfocused.error, "");
    EXPECT_EQ(Fetch(oid), before);

    // A movie deleted meanwhile is reported; nothing else changes.
    const EditFormResult gone = ApplyEditForm("szTitle=x", oid + 100, catalogFile);
    EXPECT_TRUE(gone.submitted);
    EXPECT_FALSE(gone.stored);
    EXPECT_TRUE(gone.gone);
    EXPECT_NE(gone.error.find("no longer in the catalog"), std::string::npos);
    EXPECT_FALSE(multipart.gone);
}

// Saving an untouched page writes nothing: the file keeps its bytes and its time.
TEST_F(EditFormTest, ABodyThatChangesNothingLeavesTheCatalogFileUnwritten) {
    const ObjectId oid = Insert(test::SampleMovie());
    const std::string before = test::ReadFileBytes(catalogFile);
    const auto written = std::filesystem::last_write_time(catalogFile);
    // The edit page's marker alone, and a field posted with the value it holds already.
    const std::string year = std::to_string(Fetch(oid).nYear);
    for (const std::string& body : {std::string("edit-page=1"), "edit-page=1&nYear=" + year}) {
        const EditFormResult result = ApplyEditForm(body, oid, catalogFile);
        EXPECT_TRUE(result.submitted);
        EXPECT_TRUE(result.stored) << result.error;
        EXPECT_EQ(result.title, Fetch(oid).szTitle);
        EXPECT_EQ(test::ReadFileBytes(catalogFile), before) << body;
        EXPECT_EQ(std::filesystem::last_write_time(catalogFile), written) << body;
    }
}

TEST_F(EditFormTest, ACatalogThatCannotBeHadStoresNothingAndSaysWhy) {
    const std::string missing = folder / "elsewhere/Movies.db";
    const EditFormResult none = ApplyEditForm("szTitle=x", 1, missing);
    EXPECT_TRUE(none.submitted);
    EXPECT_FALSE(none.stored);
    EXPECT_TRUE(none.keepEditing);
    EXPECT_NE(none.error.find(missing), std::string::npos) << none.error;
    EXPECT_FALSE(test::FileExists(missing));  // never created by a submission

    // Another writer holds the catalog.
    const ObjectId oid = Insert(test::SampleMovie());
    {
        CatalogDatabase holder(catalogFile);
        holder.Open(CatalogDatabase::Access::ReadWrite);
        std::thread saver([&] {
            CatalogDatabase::SetThreadBusyTimeout(std::chrono::milliseconds(50));
            const EditFormResult busy = ApplyEditForm("szTitle=x", oid, catalogFile);
            EXPECT_FALSE(busy.stored);
            EXPECT_TRUE(busy.keepEditing);
            EXPECT_NE(busy.error.find("is in use"), std::string::npos) << busy.error;
        });
        saver.join();
    }

    test::WriteFileBytes(catalogFile, "this is not a catalog");
    const EditFormResult foreign = ApplyEditForm("szTitle=x", 1, catalogFile);
    EXPECT_TRUE(foreign.submitted);
    EXPECT_FALSE(foreign.stored);
    EXPECT_TRUE(foreign.keepEditing);
    EXPECT_NE(foreign.error.find("not a Reelkeep catalog"), std::string::npos) << foreign.error;
    EXPECT_EQ(test::ReadFileBytes(catalogFile), "this is not a catalog");
}

TEST(FormBodyTest, PairsAndDecoding) {
    const auto pairs = ParseFormBody("a=1&b&c=x=y&=v&");
    ASSERT_EQ(pairs.size(), 5u);
    EXPECT_EQ(pairs[0].name, "a");
    EXPECT_EQ(pairs[0].value, "1");
    EXPECT_EQ(pairs[1].name, "b");
    EXPECT_EQ(pairs[1].value, "");
    EXPECT_EQ(pairs[2].name, "c");
    EXPECT_EQ(pairs[2].value, "x=y");  // split at the first "=" only
    EXPECT_EQ(pairs[3].name, "");
    EXPECT_EQ(pairs[4].name, "");

    EXPECT_EQ(ParseFormBody("sz%54itle=x")[0].name, "sz%54itle");  // names are not decoded
    EXPECT_EQ(DecodeFormValue("%2b+%2B"), "+ +");  // a decoded "+" stays a plus
    EXPECT_EQ(DecodeFormValue("%252B"), "%2B");    // decoded once only
    EXPECT_EQ(DecodeFormValue("%00x"), std::string("\0x", 2));
    EXPECT_EQ(DecodeFormValue("%zz"), std::string("\0", 1));
    // A "%" near the end never reads past the value.
    EXPECT_EQ(DecodeFormValue("a%"), "a%");
    EXPECT_EQ(DecodeFormValue("a%4"), "a%4");
    EXPECT_EQ(DecodeFormValue("%41%"), "A%");
    EXPECT_EQ(DecodeFormValue("%4142"), "A42");
}

TEST(FormBodyTest, NumbersReadAsTheCLibraryReadsThem) {
    EXPECT_EQ(ReadInt32(""), 0);
    EXPECT_EQ(ReadInt32("on"), 0);
    EXPECT_EQ(ReadInt32(" \t\n-42abc"), -42);
    EXPECT_EQ(ReadInt32("+7"), 7);
    EXPECT_EQ(ReadInt32("- 7"), 0);
    EXPECT_EQ(ReadInt32("99999999999"), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(ReadInt32("-2147483648"), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(ReadInt32("-99999999999"), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(ReadInt64("4700000000"), 4700000000);
    EXPECT_EQ(ReadInt64("-9223372036854775808"), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(ReadInt64("99999999999999999999"), std::numeric_limits<std::int64_t>::max());

    EXPECT_EQ(ReadFloat("7.5"), 7.5f);
    EXPECT_EQ(ReadFloat(" -.5x"), -0.5f);
    EXPECT_EQ(ReadFloat("1e2"), 100.0f);
    EXPECT_EQ(ReadFloat("1e"), 1.0f);   // an exponent without digits is not taken
    EXPECT_EQ(ReadFloat("3.e+1"), 30.0f);
    EXPECT_EQ(ReadFloat("7,5"), 7.0f);  // "." is the decimal point whatever the locale
    EXPECT_EQ(ReadFloat("."), 0.0f);
    EXPECT_EQ(ReadFloat("inf"), 0.0f);
    EXPECT_EQ(ReadFloat("nan"), 0.0f);
    EXPECT_EQ(ReadFloat("0x10"), 0.0f);
    EXPECT_TRUE(std::isinf(ReadFloat("1e999")));
    EXPECT_EQ(ReadFloat("1e-999"), 0.0f);
    EXPECT_EQ(ReadFloat("0.0000000000000000000000000000000000000000000000001"), 0.0f);
}

TEST(FormBodyTest, ListRule) {
    EXPECT_EQ(SplitFormList(""), StringArray{});
    EXPECT_EQ(SplitFormList(" , ,\t"), StringArray{});
    EXPECT_EQ(SplitFormList("one"), StringArray{"one"});
    EXPECT_EQ(SplitFormList("\r\n a b \n"), StringArray{"a b"});
    EXPECT_EQ(SplitFormList("a\v,\fb"), (StringArray{"a", "b"}));  // "\s" around the comma
    EXPECT_EQ(SplitFormList("\va"), StringArray{"\va"});  // the ends trim only space, tab, CR, LF
    EXPECT_EQ(SplitFormList("x , , y,"), (StringArray{"x", "y"}));
}

}  // namespace
}  // namespace reelkeep
