#include "catalog/CatalogFunctions.h"

#include <algorithm>
#include <climits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/ArrayCodec.h"
#include "catalog/EntryCounter.h"
#include "catalog/FindIndex.h"
#include "catalog/WordTokenizer.h"
#include "catalog/dbException.h"
#include "platform/SearchText.h"

namespace reelkeep {

namespace {

constexpr int kPure = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;

std::string_view Bytes(sqlite3_value* value) {
    const void* data = sqlite3_value_blob(value);
    const int size = sqlite3_value_bytes(value);
    return data ? std::string_view(static_cast<const char*>(data), static_cast<std::size_t>(size))
                : std::string_view();
}

void ResultText(sqlite3_context* context, const std::string& text) {
    if (text.size() > INT_MAX) {
        sqlite3_result_error_toobig(context);
        return;
    }
    sqlite3_result_text64(context, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

// rk_text(string): the word index's text of a string field.
void TextFunction(sqlite3_context* context, int, sqlite3_value** values) {
    ResultText(context, SearchText(Bytes(values[0])));
}

// rk_entries(array): the word index's text of an array field, one entry a line. A damaged
// array gives no words; the record reports the damage when it is read.
void EntriesFunction(sqlite3_context* context, int, sqlite3_value** values) {
    ResultText(context, FindIndexEntriesText(Bytes(values[0])));
}

// rk_size_total(sizes): the sum of an array of 64-bit sizes; 0 for a damaged one.
void SizeTotalFunction(sqlite3_context* context, int, sqlite3_value** values) {
    const std::optional<Int64Array> sizes = DecodeInt64Array(Bytes(values[0]));
    std::int64_t total = 0;
    if (sizes) {
        for (const std::int64_t size : *sizes) {
            if (size > 0 && total <= INT64_MAX - size) total += size;
        }
    }
    sqlite3_result_int64(context, total);
}

// rk_top(array, n): an aggregate over an array field; the n entries found in the most rows,
// as a string array of entry, count, entry, count, ... (most frequent first, ties by bytes).
struct TopCounts {
    EntryCounter counter;
    std::int64_t limit = 10;
};

void TopStep(sqlite3_context* context, int, sqlite3_value** values) {
    auto** slot = static_cast<TopCounts**>(sqlite3_aggregate_context(context, sizeof(TopCounts*)));
    if (!slot) {
        sqlite3_result_error_nomem(context);
        return;
    }
    if (!*slot) *slot = new TopCounts;
    (*slot)->limit = sqlite3_value_int64(values[1]);
    (*slot)->counter.AddRecord(Bytes(values[0]));
}

void TopFinal(sqlite3_context* context) {
    auto** slot = static_cast<TopCounts**>(sqlite3_aggregate_context(context, 0));
    std::unique_ptr<TopCounts> top(slot ? *slot : nullptr);
    StringArray result;
    if (top && top->limit > 0) {
        for (auto& [entry, count] : top->counter.Top(static_cast<std::size_t>(top->limit))) {
            result.push_back(std::move(entry));
            result.push_back(std::to_string(count));
        }
    }
    const std::string encoded = EncodeStringArray(result);
    sqlite3_result_blob64(context, encoded.data(), encoded.size(), SQLITE_TRANSIENT);
}

// rk_phrase(pattern, text...): whether one of the index texts holds the pattern's words
// (FindIndex.h), each text tokenized as the index tokenizes it.
struct PhraseChecker {
    std::unique_ptr<WordTokenizer> tokenizer;
};

void PhraseFunction(sqlite3_context* context, int count, sqlite3_value** values) {
    auto* checker = static_cast<PhraseChecker*>(sqlite3_user_data(context));
    try {
        if (!checker->tokenizer) {
            checker->tokenizer = std::make_unique<WordTokenizer>(sqlite3_context_db_handle(context));
        }
        const std::optional<PhrasePattern> pattern = DecodePhrasePattern(Bytes(values[0]));
        if (!pattern) {
            sqlite3_result_error(context, "rk_phrase: not a phrase pattern", -1);
            return;
        }
        for (int i = 1; i < count; ++i) {
            const std::string_view text = Bytes(values[i]);
            if (TextHoldsPhrase(text, checker->tokenizer->Words(text), *pattern)) {
                sqlite3_result_int(context, 1);
                return;
            }
        }
        sqlite3_result_int(context, 0);
    } catch (const dbException& error) {
        sqlite3_result_error(context, error.what(), -1);
    }
}

void Register(sqlite3* db, const char* name, int arguments, int flags, void* data,
              void (*function)(sqlite3_context*, int, sqlite3_value**),
              void (*step)(sqlite3_context*, int, sqlite3_value**),
              void (*final)(sqlite3_context*), void (*destroy)(void*)) {
    if (sqlite3_create_function_v2(db, name, arguments, flags, data, function, step, final,
                                   destroy) != SQLITE_OK) {
        throw dbException(std::string("The catalog's function ") + name +
                          " could not be set up: " + sqlite3_errmsg(db));
    }
}

}  // namespace

void RegisterCatalogFunctions(sqlite3* db) {
    Register(db, "rk_text", 1, kPure, nullptr, &TextFunction, nullptr, nullptr, nullptr);
    Register(db, "rk_entries", 1, kPure, nullptr, &EntriesFunction, nullptr, nullptr, nullptr);
    Register(db, "rk_size_total", 1, kPure, nullptr, &SizeTotalFunction, nullptr, nullptr, nullptr);
    Register(db, "rk_top", 2, kPure, nullptr, nullptr, &TopStep, &TopFinal, nullptr);
    Register(db, "rk_phrase", -1, kPure, new PhraseChecker, &PhraseFunction, nullptr, nullptr,
             [](void* data) { delete static_cast<PhraseChecker*>(data); });
}

}  // namespace reelkeep
