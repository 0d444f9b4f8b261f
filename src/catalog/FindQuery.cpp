#include "catalog/FindQuery.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <ctime>
#include <optional>

namespace reelkeep {

namespace {

struct TextFieldName {
    std::string_view name;
    std::string_view plural;  // also understood
    FindColumns columns;
};

constexpr FindColumns Bit(FindColumn column) { return 1u << column; }

constexpr TextFieldName kTextFields[] = {
    {"title", "titles", Bit(kFindTitle) | Bit(kFindTranslated)},
    {"director", "directors", Bit(kFindDirectors)},
    {"actor", "actors", Bit(kFindActors)},
    {"producer", "producers", Bit(kFindProducers)},
    {"genre", "genres", Bit(kFindCategories)},
    {"category", "categories", Bit(kFindCategories)},
    {"country", "countries", Bit(kFindCountries)},
    {"language", "languages", Bit(kFindLanguages)},
    {"subtitle", "subtitles", Bit(kFindSubtitles)},
    {"lender", "lenders", Bit(kFindLender)},
    {"file", "files", Bit(kFindFiles) | Bit(kFindLocation)},
    {"plot", "plots", Bit(kFindPlot)},
    {"comment", "comments", Bit(kFindComments)},
};

struct RangeFieldName {
    std::string_view name;
    RangeField field;
};

constexpr RangeFieldName kRangeFields[] = {
    {"year", RangeField::Year},       {"rating", RangeField::Rating},
    {"length", RangeField::Length},   {"watched", RangeField::Watched},
    {"added", RangeField::Added},
};

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

// Thrown inside the parser with the message for the user.
struct QueryError {
    std::string message;
};

[[noreturn]] void Fail(std::string message) { throw QueryError{std::move(message)}; }

// ---- Numbers ---------------------------------------------------------------------------------

enum class Comparison { Equal, Greater, GreaterOrEqual, Less, LessOrEqual };

// Splits a leading comparison off the value.
Comparison TakeComparison(std::string_view& value) {
    const auto take = [&value](std::string_view op) {
        if (value.substr(0, op.size()) != op) return false;
        value.remove_prefix(op.size());
        return true;
    };
    if (take(">=")) return Comparison::GreaterOrEqual;
    if (take("<=")) return Comparison::LessOrEqual;
    if (take(">")) return Comparison::Greater;
    if (take("<")) return Comparison::Less;
    take("=");
    return Comparison::Equal;
}

std::optional<std::int64_t> WholeNumber(std::string_view text) {
    std::int64_t value = 0;
    if (text.empty() || text.size() > 9) return std::nullopt;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < 0) return std::nullopt;
    return value;
}

// A rating as tenths of a point: "7" is 70, "7.5" is 75; finer digits round to the tenth.
std::optional<std::int64_t> RatingTenths(std::string_view text) {
    if (text.empty() || text.size() > 12 || !std::isdigit(static_cast<unsigned char>(text[0]))) {
        return std::nullopt;
    }
    if (text.back() == '.') return std::nullopt;
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value,
                                           std::chars_format::fixed);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return static_cast<std::int64_t>(std::floor(value * 10 + 0.5));
}

// A range of whole units [low, high] from "N", "N-M", "N..M" or a comparison, each number
// read by `number` into a period [first, last] of the field's unit.
struct Period {
    std::int64_t first;
    std::int64_t last;
};

template <class ReadPeriod>
RangeTerm ReadRange(RangeField field, std::string_view value, ReadPeriod readPeriod,
                    bool dashRanges, const std::string& term, const std::string& expected) {
    RangeTerm range;
    range.field = field;
    const Comparison comparison = TakeComparison(value);
    if (comparison != Comparison::Equal) {
        const std::optional<Period> period = readPeriod(value);
        if (!period) Fail("\"" + term + "\" " + expected);
        switch (comparison) {
            case Comparison::Greater: range.low = period->last + 1; break;
            case Comparison::GreaterOrEqual: range.low = period->first; break;
            case Comparison::Less: range.high = period->first - 1; break;
            case Comparison::LessOrEqual: range.high = period->last; break;
            case Comparison::Equal: break;
        }
        return range;
    }
    std::size_t split = value.find("..");
    std::size_t separator = 2;
    if (split == std::string_view::npos && dashRanges) {
        split = value.find('-', 1);
        separator = 1;
    }
    if (split == std::string_view::npos) {
        const std::optional<Period> period = readPeriod(value);
        if (!period) Fail("\"" + term + "\" " + expected);
        range.low = period->first;
        range.high = period->last;
        return range;
    }
    const std::optional<Period> from = readPeriod(value.substr(0, split));
    const std::optional<Period> to = readPeriod(value.substr(split + separator));
    if (!from || !to) Fail("\"" + term + "\" " + expected);
    if (to->last < from->first) {
        Fail("\"" + term + "\" runs backwards: write the smaller end first.");
    }
    range.low = from->first;
    range.high = to->last;
    return range;
}

// ---- Dates -----------------------------------------------------------------------------------

// Seconds since 1970 of the start of a local day; nothing for a day that does not exist.
std::optional<std::int64_t> LocalDayStart(int year, int month, int day) {
    std::tm parts{};
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = day;
    parts.tm_isdst = -1;
    std::tm normal = parts;
    const std::time_t when = std::mktime(&normal);
    if (when == static_cast<std::time_t>(-1) || normal.tm_mday != day || normal.tm_mon != month - 1) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(when);
}

// "2024", "2024-05" or "2024-05-17": the local seconds from its first moment to its last.
std::optional<Period> DatePeriod(std::string_view text) {
    const auto part = [&text](std::size_t at, std::size_t length) -> std::optional<int> {
        if (text.size() < at + length) return std::nullopt;
        int value = 0;
        for (std::size_t i = at; i < at + length; ++i) {
            if (!std::isdigit(static_cast<unsigned char>(text[i]))) return std::nullopt;
            value = value * 10 + (text[i] - '0');
        }
        return value;
    };
    const std::optional<int> year = part(0, 4);
    if (!year || *year < 1970 || *year > 2105) return std::nullopt;
    int month = 1, lastMonth = 12, day = 1;
    std::optional<int> lastDay;
    if (text.size() == 4) {
        // the whole year
    } else if (text.size() == 7 && text[4] == '-') {
        const std::optional<int> m = part(5, 2);
        if (!m || *m < 1 || *m > 12) return std::nullopt;
        month = lastMonth = *m;
    } else if (text.size() == 10 && text[4] == '-' && text[7] == '-') {
        const std::optional<int> m = part(5, 2);
        const std::optional<int> d = part(8, 2);
        if (!m || !d) return std::nullopt;
        month = lastMonth = *m;
        day = *d;
        lastDay = *d;
    } else {
        return std::nullopt;
    }
    const std::optional<std::int64_t> first = LocalDayStart(*year, month, day);
    if (!first) return std::nullopt;
    // The period ends where the next day, month or year begins.
    std::optional<std::int64_t> next;
    if (lastDay) {
        std::tm parts{};
        parts.tm_year = *year - 1900;
        parts.tm_mon = month - 1;
        parts.tm_mday = *lastDay + 1;
        parts.tm_isdst = -1;
        next = static_cast<std::int64_t>(std::mktime(&parts));
    } else if (lastMonth == 12) {
        next = LocalDayStart(*year + 1, 1, 1);
    } else {
        next = LocalDayStart(*year, lastMonth + 1, 1);
    }
    if (!next) return std::nullopt;
    return Period{*first, *next - 1};
}

// ---- Terms -----------------------------------------------------------------------------------

RangeTerm ReadNumberTerm(RangeField field, const std::string& term, std::string_view value);

RangeTerm ReadRangeTerm(RangeField field, std::string_view name, std::string_view value) {
    const std::string term = std::string(name) + ":" + std::string(value);
    RangeTerm range = ReadNumberTerm(field, term, value);
    // 0 stands for "not known": "year:<1990" asks for the movies known to be older, and
    // year:0 finds those without a year.
    if (range.low == RangeTerm::kNoLimitBelow &&
        (field == RangeField::Year || field == RangeField::Length || field == RangeField::Rating)) {
        range.low = 1;
    }
    return range;
}

RangeTerm ReadNumberTerm(RangeField field, const std::string& term, std::string_view value) {
    switch (field) {
        case RangeField::Year:
            return ReadRange(
                field, value,
                [](std::string_view text) -> std::optional<Period> {
                    if (text.size() == 5 && text.back() == 's') {  // a decade: "1990s"
                        const auto decade = WholeNumber(text.substr(0, 4));
                        if (!decade || *decade % 10 != 0) return std::nullopt;
                        return Period{*decade, *decade + 9};
                    }
                    const auto year = WholeNumber(text);
                    if (!year) return std::nullopt;
                    return Period{*year, *year};
                },
                true, term,
                "needs a year, a range like 1990-1999, a decade like 1990s or a comparison "
                "like >1990.");
        case RangeField::Length:
            return ReadRange(
                field, value,
                [](std::string_view text) -> std::optional<Period> {
                    const auto minutes = WholeNumber(text);
                    if (!minutes) return std::nullopt;
                    return Period{*minutes, *minutes};
                },
                true, term,
                "needs minutes, a range like 90-120 or a comparison like <=100.");
        case RangeField::Rating:
            return ReadRange(
                field, value,
                [](std::string_view text) -> std::optional<Period> {
                    const auto tenths = RatingTenths(text);
                    if (!tenths) return std::nullopt;
                    return Period{*tenths, *tenths};
                },
                true, term, "needs a rating, a range like 7-8 or a comparison like >7.5.");
        case RangeField::Added:
            return ReadRange(
                field, value,
                [](std::string_view text) { return DatePeriod(text); },
                false, term,
                "needs a date (2024, 2024-05 or 2024-05-17), a range of dates like "
                "2023..2024-06 or a comparison like >=2024-01.");
        case RangeField::Watched: {
            const std::string answer = Lower(value);
            RangeTerm watched;
            watched.field = field;
            if (answer == "yes" || answer == "true" || answer == "1") {
                watched.low = watched.high = 1;
            } else if (answer == "no" || answer == "false" || answer == "0") {
                watched.low = watched.high = 0;
            } else {
                Fail("\"" + term + "\": watched: takes yes or no.");
            }
            return watched;
        }
    }
    return {};
}

// Year ranges written with "-" between two whole years ("2019-2021") read for added: too.
std::string_view YearDashRange(std::string_view value, std::string& rewritten) {
    if (value.size() == 9 && value[4] == '-' && WholeNumber(value.substr(0, 4)) &&
        WholeNumber(value.substr(5))) {
        rewritten = std::string(value.substr(0, 4)) + ".." + std::string(value.substr(5));
        return rewritten;
    }
    return value;
}

class Parser {
public:
    explicit Parser(std::string_view text) : text_(text) {}

    FindQuery Parse() {
        FindQuery query;
        while (SkipSpaces()) query.terms.push_back(Term());
        return query;
    }

private:
    bool SkipSpaces() {
        while (at_ < text_.size() && IsSpace(text_[at_])) ++at_;
        return at_ < text_.size();
    }

    // Up to the next space outside quotes.
    std::string_view Word() {
        const std::size_t start = at_;
        while (at_ < text_.size() && !IsSpace(text_[at_])) ++at_;
        return text_.substr(start, at_ - start);
    }

    // The text between the quote at at_ and the next one.
    std::string_view Quoted(std::string_view before) {
        const std::size_t start = ++at_;
        const std::size_t end = text_.find('"', start);
        if (end == std::string_view::npos) {
            Fail("The quote after " + (before.empty() ? std::string("the start") : "\"" + std::string(before) + "\"") +
                 " is not closed.");
        }
        at_ = end + 1;
        return text_.substr(start, end - start);
    }

    FindTerm Term() {
        FindTerm term;
        if (text_[at_] == '-') {
            ++at_;
            if (at_ >= text_.size() || IsSpace(text_[at_])) {
                Fail("A \"-\" must stand right before what it leaves out, as in -drama.");
            }
            term.exclude = true;
        }
        if (text_[at_] == '"') {
            TextTerm text;
            text.text = Quoted(term.exclude ? "-" : "");
            text.phrase = true;
            term.what = std::move(text);
            return term;
        }
        const std::size_t start = at_;
        const std::string_view word = Word();
        const std::size_t colon = word.find(':');
        if (colon != std::string_view::npos && colon > 0) {
            const std::string name = Lower(word.substr(0, colon));
            for (const TextFieldName& field : kTextFields) {
                if (name == field.name || name == field.plural) {
                    at_ = start + colon + 1;
                    term.what = FieldText(word.substr(0, colon), field.columns);
                    return term;
                }
            }
            for (const RangeFieldName& field : kRangeFields) {
                if (name == field.name) {
                    std::string_view value = word.substr(colon + 1);
                    if (value.empty()) {
                        Fail("\"" + std::string(word) + "\" needs a value after the colon.");
                    }
                    std::string rewritten;
                    if (field.field == RangeField::Added) value = YearDashRange(value, rewritten);
                    term.what = ReadRangeTerm(field.field, word.substr(0, colon), value);
                    return term;
                }
            }
        }
        TextTerm text;
        text.text = std::string(word);
        term.what = std::move(text);
        return term;
    }

    // After "name:": a word, a "phrase", or either after "=" for a whole entry.
    TextTerm FieldText(std::string_view name, FindColumns columns) {
        TextTerm text;
        text.columns = columns;
        const std::string label = std::string(name) + ":";
        if (at_ < text_.size() && text_[at_] == '=') {
            ++at_;
            text.wholeEntry = true;
        }
        if (at_ < text_.size() && text_[at_] == '"') {
            text.text = Quoted(label);
            text.phrase = true;
        } else {
            text.text = std::string(Word());
        }
        // "" holds no word and asks for nothing, as a word of punctuation alone does.
        if (text.text.empty() && !text.phrase) {
            Fail("\"" + label + (text.wholeEntry ? "=" : "") +
                 "\" needs a word or \"quoted words\" right after it.");
        }
        return text;
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

}  // namespace

FindQueryParse ParseFindQuery(std::string_view text) {
    FindQueryParse parse;
    try {
        parse.query = Parser(text).Parse();
    } catch (const QueryError& error) {
        parse.query = {};
        parse.error = error.message;
    }
    return parse;
}

std::string WholeEntryQuery(std::string_view field, std::string_view entry) {
    std::string words;
    for (const char c : entry) {
        if (c == '"') continue;  // a quote cannot stand inside a phrase; it is no word anyway
        words += IsSpace(c) ? ' ' : c;
    }
    return std::string(field) + ":=\"" + words + "\"";
}

}  // namespace reelkeep
