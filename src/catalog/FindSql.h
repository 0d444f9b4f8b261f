// A Filter query as one SQL statement over the catalog: the identifiers of the matching
// movies. Words go to the word index; the index's candidates for a phrase are checked on the
// movie's text (rk_phrase); numbers are compared on the Movie_numbers index.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "catalog/FindQuery.h"
#include "catalog/SqliteStatement.h"
#include "catalog/WordTokenizer.h"

namespace reelkeep {

struct SqlBlob {
    std::string bytes;
};
using SqlValue = std::variant<std::int64_t, double, std::string, SqlBlob>;

struct FindStatement {
    // One column: oid; in no particular order, since the numbers' index gives them in its own
    // and SQLite's sorter costs more than a sort of the identifiers afterwards.
    std::string sql;
    std::vector<SqlValue> values;  // for ?1, ?2, ... in order
    bool everything = false;       // no condition at all: every movie

    // The same movies as `sql` gives, as those of `keep` less those of `drop` (in no order),
    // where that is quicker to answer: words that are only left out.
    struct Part {
        std::string sql;
        std::vector<SqlValue> values;
    };
    struct Split {
        Part keep;
        Part drop;
    };
    std::optional<Split> split;

    // Binds the values from parameter `first` on.
    void Bind(StatementUse& use, int first = 1) const { BindValues(use, values, first); }
    static void BindValues(StatementUse& use, const std::vector<SqlValue>& values, int first = 1);
};

FindStatement FindSelect(const FindQuery& query, const WordTokenizer& tokenizer);

}  // namespace reelkeep
