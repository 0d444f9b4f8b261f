#include "catalog/WordTokenizer.h"

#include <climits>
#include <memory>

#include "catalog/SqliteStatement.h"
#include "catalog/dbException.h"

namespace reelkeep {

namespace {

fts5_api* FullTextApi(sqlite3* db) {
    fts5_api* api = nullptr;
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT fts5(?1)", -1, &raw, nullptr) != SQLITE_OK) return nullptr;
    SqliteStatementHandle statement(raw);
    sqlite3_bind_pointer(raw, 1, static_cast<void*>(&api), "fts5_api_ptr", nullptr);
    sqlite3_step(raw);
    return api;
}

int CollectWord(void* context, int /*flags*/, const char* token, int length, int start, int end) {
    auto* words = static_cast<std::vector<Word>*>(context);
    words->push_back({std::string(token, static_cast<std::size_t>(length)),
                      static_cast<std::size_t>(start), static_cast<std::size_t>(end)});
    return SQLITE_OK;
}

}  // namespace

struct WordTokenizer::Library {
    fts5_tokenizer methods{};
    Fts5Tokenizer* tokenizer = nullptr;
};

WordTokenizer::WordTokenizer(sqlite3* db) : library_(new Library) {
    std::unique_ptr<Library> library(library_);
    fts5_api* api = FullTextApi(db);
    void* context = nullptr;
    if (!api || api->xFindTokenizer(api, "unicode61", &context, &library->methods) != SQLITE_OK) {
        throw dbException("The storage library has no full-text search, which the catalog needs.");
    }
    // The options after the tokenizer's name in kWordTokenizerDeclaration.
    const char* options[] = {"remove_diacritics", "2"};
    if (library->methods.xCreate(context, options, 2, &library->tokenizer) != SQLITE_OK) {
        throw dbException("The full-text search's tokenizer could not be set up.");
    }
    library.release();
}

WordTokenizer::~WordTokenizer() {
    if (library_->tokenizer) library_->methods.xDelete(library_->tokenizer);
    delete library_;
}

std::vector<Word> WordTokenizer::Words(std::string_view text) const {
    std::vector<Word> words;
    if (text.empty() || text.size() > INT_MAX) return words;
    library_->methods.xTokenize(library_->tokenizer, &words, FTS5_TOKENIZE_DOCUMENT, text.data(),
                                static_cast<int>(text.size()), &CollectWord);
    return words;
}

}  // namespace reelkeep
