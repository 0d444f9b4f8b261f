// The words of a text as the catalog's word index sees them: the storage library's own
// tokenizer with the index's options, so that a query is cut into words exactly as the
// records were. Words come back folded (lower case, without accents).
#pragma once

#include <sqlite3.h>

#include <string>
#include <string_view>
#include <vector>

namespace reelkeep {

// Options of the index's tokenizer, as the index's declaration names them.
inline constexpr const char* kWordTokenizerDeclaration = "unicode61 remove_diacritics 2";

struct Word {
    std::string text;   // folded
    std::size_t start;  // byte offsets of the word in the text
    std::size_t end;
};

class WordTokenizer {
public:
    // Takes the tokenizer from the connection's full-text module; throws dbException when the
    // library has none.
    explicit WordTokenizer(sqlite3* db);
    ~WordTokenizer();
    WordTokenizer(const WordTokenizer&) = delete;
    WordTokenizer& operator=(const WordTokenizer&) = delete;

    // `text` must be UTF-8 (SearchText gives it).
    std::vector<Word> Words(std::string_view text) const;

private:
    struct Library;
    Library* library_;
};

}  // namespace reelkeep
