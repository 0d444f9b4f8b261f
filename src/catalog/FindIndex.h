// The catalog's word index: an SQLite full-text table ("MovieWords", contentless, one column
// per text field, words folded by case and accent, one-letter prefixes indexed) kept in step
// with every insert, change and removal in the same transaction. Triggers on the Movie table
// note each record that a transaction changes, with what the index holds of it, in a queue
// ("MovieWordsQueue"); before the transaction commits, the store hands the queue to the index
// in one batch (FlushWordQueue). Writing the index from the triggers themselves would cost
// the index a batch per statement, which made a large drop several times slower.
// The index records in which fields a movie holds each word, not where; the words of a
// phrase are found through the index and their order checked on the movie's own text.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/FindQuery.h"
#include "catalog/WordTokenizer.h"

namespace reelkeep {

inline constexpr std::int64_t kFirstVersionWithWordIndex = 3;
inline constexpr const char* kWordIndexTable = "MovieWords";
inline constexpr const char* kWordQueueTable = "MovieWordsQueue";

// "CREATE VIRTUAL TABLE IF NOT EXISTS <name> ...": a word index table of this layout.
std::string WordIndexTableSql(std::string_view name);
// "INSERT INTO <name>(...) SELECT ... FROM Movie m": every record's words into such a table.
std::string WordIndexFillSql(std::string_view name);

// The index's table, its queue and triggers and the index of the numbers the Filter compares;
// every statement tolerates what exists already.
std::string FindIndexCreationSql();

// Brings the index up to date with the records the queue names and empties the queue; false
// when there was nothing to do. A program that changed records without the store leaves the
// queue for the next connection that writes.
bool FlushWordQueue(sqlite3* db);

// An SQL expression of the index text of a column over the Movie row named `row` ("new",
// "old", "m"): "rk_entries(m.pszActors)".
std::string FindColumnSourceSql(FindColumn column, std::string_view row);
// The index's name of a column ("actors").
std::string_view FindColumnName(FindColumn column);

// The index text of an array field: each entry as SearchText gives it, one a line. Nothing
// for a damaged array.
std::string FindIndexEntriesText(std::string_view encodedArray);

// Empties the index and the queue and fills the index from every record, in chunks, telling `progress` how many
// records are done of how many.
void BuildFindIndex(sqlite3* db, const std::function<void(std::size_t, std::size_t)>& progress);

// The words of a phrase, as rk_phrase takes them.
struct PhrasePattern {
    std::vector<std::string> words;  // folded, as the tokenizer gives them
    bool prefixLast = false;         // the last word need only begin a word of the text
    bool wholeEntry = false;         // the words make up a whole line (entry) of the text
};
std::string EncodePhrasePattern(const PhrasePattern& pattern);
std::optional<PhrasePattern> DecodePhrasePattern(std::string_view bytes);

// Whether the words follow each other within one line of the text (`words` are the text's).
bool TextHoldsPhrase(std::string_view text, const std::vector<Word>& words,
                     const PhrasePattern& pattern);

}  // namespace reelkeep
