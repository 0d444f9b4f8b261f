// The Filter's query: what a user types to find movies, read into terms that the store
// answers from its word index and its numbers (CatalogDatabase::Find).
//
//   pacino              a word: some text field holds a word that begins with it
//   "the godfather"     a phrase: these whole words in this order, within one field
//   -drama              a term with a leading "-" leaves out what it matches
//   actor:pacino        a word or "phrase" within one field (title:, director:, actor:,
//                       producer:, genre:, country:, language:, subtitle:, lender:, file:,
//                       plot:, comment:); field:="..." asks for a whole entry of the field
//   year:1990-1999      year:, rating: and length: take a number, a range, a comparison
//   rating:>7           (>, >=, <, <=) or, for years, a decade ("1990s"); ratings count in
//   length:<=100        tenths, as the pages show them (rating:7 is 6.95 up to 7.05)
//   watched:yes         watched:yes or watched:no
//   added:2024-05       a day, month or year, a range of them ("2023..2024-06") or a
//                       comparison; days are the user's local days
//
// Field names ignore case. A word with a colon that names no field is an ordinary word
// ("alien:"). Every term must hold for a movie to be found.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace reelkeep {

// The text columns of the word index, in its order. Bits of FindColumns.
enum FindColumn : unsigned {
    kFindTitle,
    kFindTranslated,
    kFindDirectors,
    kFindProducers,
    kFindActors,
    kFindCountries,
    kFindCategories,
    kFindLanguages,
    kFindSubtitles,
    kFindPlot,
    kFindComments,
    kFindRelease,
    kFindLocation,
    kFindLender,
    kFindFiles,
    kFindColumnCount
};
using FindColumns = unsigned;
inline constexpr FindColumns kEveryFindColumn = (1u << kFindColumnCount) - 1;

struct TextTerm {
    FindColumns columns = kEveryFindColumn;
    std::string text;         // as typed, without quotes
    bool phrase = false;      // quoted: whole words, in this order
    bool wholeEntry = false;  // field:=...: exactly one whole entry of the field

    bool operator==(const TextTerm&) const = default;
};

enum class RangeField { Year, Rating, Length, Watched, Added };

// Inclusive bounds in the field's own unit: years, tenths of a rating point, minutes, 0 or 1,
// seconds since 1970.
struct RangeTerm {
    static constexpr std::int64_t kNoLimitBelow = INT64_MIN;
    static constexpr std::int64_t kNoLimitAbove = INT64_MAX;

    RangeField field = RangeField::Year;
    std::int64_t low = kNoLimitBelow;
    std::int64_t high = kNoLimitAbove;

    bool operator==(const RangeTerm&) const = default;
};

struct FindTerm {
    bool exclude = false;
    std::variant<TextTerm, RangeTerm> what;

    bool operator==(const FindTerm&) const = default;
};

struct FindQuery {
    std::vector<FindTerm> terms;

    // No term: every movie.
    bool Empty() const { return terms.empty(); }
};

struct FindQueryParse {
    FindQuery query;
    std::string error;  // why the text cannot be read, for the user; empty when it can

    bool Ok() const { return error.empty(); }
};

FindQueryParse ParseFindQuery(std::string_view text);

// A query term that finds exactly the movies with this entry in a field ("genre:=Drama",
// "actor:=\"Al Pacino\""), for links that set the Filter to one slice of the catalog.
// `field` is a field name of the query language ("genre", "actor", ...).
std::string WholeEntryQuery(std::string_view field, std::string_view entry);

}  // namespace reelkeep
