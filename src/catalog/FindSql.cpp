#include "catalog/FindSql.h"

#include "catalog/FindIndex.h"
#include "platform/SearchText.h"

namespace reelkeep {

namespace {

// One text term, ready for the word index.
struct WordCondition {
    std::string match;          // a full-text expression that every match satisfies
    std::optional<SqlBlob> check;  // when the words' order or a whole entry must be checked
    FindColumns columns = kEveryFindColumn;
};

std::string Quoted(std::string_view word) {
    std::string quoted = "\"";
    for (const char c : word) {
        quoted += c;
        if (c == '"') quoted += '"';
    }
    return quoted + "\"";
}

std::optional<WordCondition> ForIndex(const TextTerm& term, const WordTokenizer& tokenizer) {
    const std::string text = SearchText(term.text);
    const std::vector<Word> words = tokenizer.Words(text);
    if (words.empty()) return std::nullopt;  // punctuation alone: nothing to look for
    WordCondition condition;
    condition.columns = term.columns;
    PhrasePattern pattern;
    pattern.prefixLast = !term.phrase;  // a typed word is the start of a word; quoted ones are whole
    pattern.wholeEntry = term.wholeEntry;
    std::string all;
    for (std::size_t i = 0; i < words.size(); ++i) {
        pattern.words.push_back(words[i].text);
        all += (i ? " AND " : "") + Quoted(words[i].text);
        if (pattern.prefixLast && i + 1 == words.size()) all += "*";
    }
    if (term.columns != kEveryFindColumn) {
        std::string filter;
        for (unsigned column = 0; column < kFindColumnCount; ++column) {
            if (term.columns & (1u << column)) {
                filter += (filter.empty() ? "" : " ") + std::string(FindColumnName(static_cast<FindColumn>(column)));
            }
        }
        condition.match = "{" + filter + "} : (" + all + ")";
    } else {
        condition.match = "(" + all + ")";
    }
    if (words.size() > 1 || term.wholeEntry) condition.check = SqlBlob{EncodePhrasePattern(pattern)};
    return condition;
}

// rk_phrase(?N, <the term's columns of `row`>).
std::string CheckSql(const WordCondition& condition, std::string_view row, std::vector<SqlValue>& values) {
    values.push_back(*condition.check);
    std::string sql = "rk_phrase(?" + std::to_string(values.size());
    for (unsigned column = 0; column < kFindColumnCount; ++column) {
        if (condition.columns & (1u << column)) {
            sql += ", " + FindColumnSourceSql(static_cast<FindColumn>(column), row);
        }
    }
    return sql + ")";
}

std::string Parameter(std::vector<SqlValue>& values, SqlValue value) {
    values.push_back(std::move(value));
    return "?" + std::to_string(values.size());
}

std::string RangeSql(const RangeTerm& range, std::vector<SqlValue>& values) {
    if (range.field == RangeField::Rating) {
        // Tenths as the pages round them: rating:7 holds 6.95 up to, not including, 7.05.
        const std::string low = Parameter(values, (static_cast<double>(range.low) - 0.5) / 10.0);
        const std::string high = Parameter(values, (static_cast<double>(range.high) + 0.5) / 10.0);
        return "(fRating >= " + low + " AND fRating < " + high + ")";
    }
    const char* column = "";
    switch (range.field) {
        case RangeField::Year: column = "nYear"; break;
        case RangeField::Length: column = "nLength"; break;
        case RangeField::Watched: column = "bWatched"; break;
        case RangeField::Added: column = "dtAdded"; break;
        case RangeField::Rating: break;
    }
    const std::string low = Parameter(values, range.low);
    const std::string high = Parameter(values, range.high);
    return std::string("(") + column + " BETWEEN " + low + " AND " + high + ")";
}

}  // namespace

void FindStatement::BindValues(StatementUse& use, const std::vector<SqlValue>& values, int first) {
    int index = first;
    for (const SqlValue& value : values) {
        if (const auto* number = std::get_if<std::int64_t>(&value)) {
            use.Bind(index, *number);
        } else if (const auto* real = std::get_if<double>(&value)) {
            use.Bind(index, *real);
        } else if (const auto* text = std::get_if<std::string>(&value)) {
            use.BindText(index, *text);
        } else {
            use.BindBytes(index, std::get<SqlBlob>(value).bytes);
        }
        ++index;
    }
}

FindStatement FindSelect(const FindQuery& query, const WordTokenizer& tokenizer) {
    std::vector<WordCondition> wanted, excludedWords, excludedPhrases;
    std::vector<std::pair<const RangeTerm*, bool>> ranges;
    for (const FindTerm& term : query.terms) {
        if (const auto* range = std::get_if<RangeTerm>(&term.what)) {
            ranges.emplace_back(range, term.exclude);
            continue;
        }
        std::optional<WordCondition> condition = ForIndex(std::get<TextTerm>(term.what), tokenizer);
        if (!condition) continue;
        if (!term.exclude) {
            wanted.push_back(std::move(*condition));
        } else if (condition->check) {
            excludedPhrases.push_back(std::move(*condition));
        } else {
            excludedWords.push_back(std::move(*condition));
        }
    }

    FindStatement statement;
    if (wanted.empty() && excludedWords.empty() && excludedPhrases.empty() && ranges.empty()) {
        statement.everything = true;
        statement.sql = "SELECT oid FROM Movie ORDER BY oid";
        return statement;
    }
    std::vector<SqlValue>& values = statement.values;
    const std::string words = kWordIndexTable;

    std::string numbers;
    for (const auto& [range, exclude] : ranges) {
        numbers += (numbers.empty() ? "" : " AND ") + std::string(exclude ? "NOT " : "") +
                   RangeSql(*range, values);
    }

    // Driven by the word index when some words are wanted, otherwise by the numbers' index
    // (which holds every identifier).
    const bool byWords = !wanted.empty();
    const std::string row = byWords ? words + ".rowid" : "Movie.oid";
    std::string sql;
    if (byWords) {
        std::string match;
        for (const WordCondition& condition : wanted) {
            match += (match.empty() ? "" : " AND ") + condition.match;
        }
        for (const WordCondition& condition : excludedWords) match += " NOT " + condition.match;
        sql = "SELECT rowid FROM " + words + " WHERE " + words + " MATCH " +
              Parameter(values, match);
        if (!numbers.empty()) {
            // "+": a test on each row the words give, never a list of rows to look the words
            // up for one by one (which costs a whole prefix search per row).
            sql += " AND +rowid IN (SELECT oid FROM Movie INDEXED BY Movie_numbers WHERE " + numbers + ")";
        }
        std::string checks;
        for (const WordCondition& condition : wanted) {
            if (condition.check) checks += " AND " + CheckSql(condition, "m", values);
        }
        if (!checks.empty()) {
            sql += " AND EXISTS(SELECT 1 FROM Movie m WHERE m.oid = " + row + checks + ")";
        }
    } else {
        sql = "SELECT oid FROM Movie INDEXED BY Movie_numbers WHERE " + (numbers.empty() ? "1" : numbers);
        if (!excludedWords.empty()) {
            std::string match;
            for (const WordCondition& condition : excludedWords) {
                match += (match.empty() ? "" : " OR ") + condition.match;
            }
            // Alone, the words left out are taken from the ascending identifiers in one
            // merge, which beats a list of every match that each movie is looked up in.
            if (excludedPhrases.empty()) {
                FindStatement::Split split;
                split.keep.sql = sql;
                split.keep.values = values;
                split.drop.sql = "SELECT rowid FROM " + words + " WHERE " + words + " MATCH ?1";
                split.drop.values = {match};
                statement.split = std::move(split);
            }
            sql += " AND oid NOT IN (SELECT rowid FROM " + words + " WHERE " + words + " MATCH " +
                   Parameter(values, match) + ")";
        }
    }
    // A phrase left out: only the candidates the index gives are read and checked.
    for (const WordCondition& condition : excludedPhrases) {
        sql += " AND NOT (" + row + " IN (SELECT rowid FROM " + words + " WHERE " + words +
               " MATCH " + Parameter(values, condition.match) + ") AND EXISTS(SELECT 1 FROM Movie m WHERE m.oid = " +
               row + " AND " + CheckSql(condition, "m", values) + "))";
    }
    statement.sql = std::move(sql);
    return statement;
}

}  // namespace reelkeep
