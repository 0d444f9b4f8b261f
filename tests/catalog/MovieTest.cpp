#include "catalog/Movie.h"

#include <gtest/gtest.h>

#include <set>

#include "catalog/ArrayCodec.h"

namespace reelkeep {
namespace {

TEST(Movie, FreshRecordIsEmptyAndStampedWithItsConstructionTime) {
    const auto before = dbDateTime::Current().stamp;
    const Movie movie;
    const auto after = dbDateTime::Current().stamp;

    EXPECT_TRUE(movie.szTitle.empty());
    EXPECT_TRUE(movie.pszActors.empty());
    EXPECT_TRUE(movie.pnSizes.empty());
    EXPECT_EQ(movie.nYear, 0);
    EXPECT_EQ(movie.nLength, 0);
    EXPECT_EQ(movie.nWidth, 0);
    EXPECT_EQ(movie.nHeight, 0);
    EXPECT_EQ(movie.fRating, 0.0f);
    EXPECT_EQ(movie.fFPS, 0.0f);
    EXPECT_FALSE(movie.bWatched);
    EXPECT_GE(movie.dtAdded.stamp, before);
    EXPECT_LE(movie.dtAdded.stamp, after);
    EXPECT_GT(movie.dtAdded.stamp, 1'700'000'000u);  // seconds, not milliseconds
}

TEST(MovieFields, ThirtyFieldsInTheRecordsOrderWithKindsMatchingTheirPrefixes) {
    const char* expected[] = {
        "nIndex",       "szTitle",      "szTranslated", "pszDirectors", "pszProducers",
        "pszActors",    "pszCountries", "pszCategories", "nYear",       "nLength",
        "szURL",        "szPlot",       "pszComments",  "szVideo",      "szAudio",
        "pszFilenames", "pnSizes",      "nWidth",       "nHeight",      "fFPS",
        "pszLanguages", "pszSubtitles", "pszMedia",     "fRating",      "dtAdded",
        "pszPictures",  "bWatched",     "szRelease",    "szLocation",   "szLender"};
    const auto fields = MovieFields();
    ASSERT_EQ(fields.size(), std::size(expected));

    for (std::size_t i = 0; i < fields.size(); ++i) {
        const MovieField& field = fields[i];
        SCOPED_TRACE(field.name);
        EXPECT_EQ(field.name, expected[i]);
        const std::string_view name = field.name;
        if (name.starts_with("psz")) {
            EXPECT_EQ(field.kind, FieldKind::Array);
            EXPECT_EQ(field.elementKind, FieldKind::String);
        } else if (name.starts_with("pn")) {
            EXPECT_EQ(field.kind, FieldKind::Array);
            EXPECT_EQ(field.elementKind, FieldKind::Int64);
        } else if (name.starts_with("sz")) {
            EXPECT_EQ(field.kind, FieldKind::String);
        } else if (name.starts_with("n")) {
            EXPECT_EQ(field.kind, FieldKind::Int32);
        } else if (name.starts_with("f")) {
            EXPECT_EQ(field.kind, FieldKind::Float);
        } else if (name.starts_with("b")) {
            EXPECT_EQ(field.kind, FieldKind::Bool);
        } else {
            EXPECT_EQ(field.kind, FieldKind::DateTime);
        }
        const unsigned flags = name == "nIndex"    ? (kIndexed | kAutoIncrement)
                               : name == "szTitle" ? unsigned{kIndexed}
                                                   : unsigned{kNoFlags};
        EXPECT_EQ(field.flags, flags);
    }
}

TEST(MovieFields, ReachEveryFieldOfARecordByName) {
    Movie movie;
    FindMovieField("szPlot")->Of<std::string>(movie) = "plot";
    FindMovieField("nYear")->Of<std::int32_t>(movie) = 1999;
    FindMovieField("pszActors")->Of<StringArray>(movie).push_back("A");
    FindMovieField("pnSizes")->Of<Int64Array>(movie).push_back(5);
    FindMovieField("fRating")->Of<float>(movie) = 7.5f;
    FindMovieField("bWatched")->Of<bool>(movie) = true;
    EXPECT_EQ(movie.szPlot, "plot");
    EXPECT_EQ(movie.nYear, 1999);
    EXPECT_EQ(movie.pszActors, StringArray{"A"});
    EXPECT_EQ(movie.pnSizes, Int64Array{5});
    EXPECT_EQ(movie.fRating, 7.5f);
    EXPECT_TRUE(movie.bWatched);

    // Raw addresses are distinct and inside the record, for bindings that take pointers.
    std::set<void*> addresses;
    for (const MovieField& field : MovieFields()) {
        void* address = field.AddressIn(movie);
        EXPECT_GE(static_cast<char*>(address), reinterpret_cast<char*>(&movie));
        EXPECT_LT(static_cast<char*>(address), reinterpret_cast<char*>(&movie) + sizeof movie);
        addresses.insert(address);
    }
    EXPECT_EQ(addresses.size(), MovieFields().size());
    EXPECT_EQ(FindMovieField("nYear")->AddressIn(movie), &movie.nYear);

    EXPECT_EQ(FindMovieField("szplot"), nullptr);  // names are exact
    EXPECT_EQ(FindMovieField(""), nullptr);
}

TEST(ArrayCodec, RoundTripsKeepOrderDuplicatesEmptiesAndEveryByte) {
    std::string everyByte;
    for (int b = 1; b < 256; ++b) everyByte.push_back(static_cast<char>(b));
    const StringArray strings = {"b", "", "a", "a", everyByte, std::string(300, 'x'), ""};
    EXPECT_EQ(DecodeStringArray(EncodeStringArray(strings)), strings);
    EXPECT_EQ(DecodeStringArray(""), StringArray{});

    const Int64Array sizes = {0, -1, 1, INT64_MIN, INT64_MAX, 4'294'967'296LL, 5};
    EXPECT_EQ(DecodeInt64Array(EncodeInt64Array(sizes)), sizes);
}

TEST(ArrayCodec, DamagedBytesAreRefusedNotRead) {
    EXPECT_FALSE(DecodeStringArray("\x05" "abc"));          // length past the end
    // A length that the whole blob could hold but not what is left after the length itself.
    EXPECT_FALSE(DecodeStringArray("\x04" "abc"));
    EXPECT_FALSE(DecodeStringArray("\x01" "a" "\x04" "bc"));  // the same at the second entry
    EXPECT_FALSE(DecodeStringArray("\x80\x01" + std::string(127, 'x')));  // two-byte length
    EXPECT_EQ(DecodeStringArray("\x03" "abc"), StringArray{"abc"});  // exactly what is left
    EXPECT_FALSE(DecodeStringArray("\x80"));                 // length cut short
    EXPECT_FALSE(DecodeStringArray(std::string(11, '\xFF')));  // length past 64 bits
    EXPECT_FALSE(DecodeInt64Array("1234567"));               // not a whole number of entries
}

}  // namespace
}  // namespace reelkeep
