// Finding movies with a Filter query, and the figures of what it finds.
#include <algorithm>
#include <iterator>
#include <memory>

#include "catalog/ArrayCodec.h"
#include "catalog/CatalogConnection.h"
#include "catalog/CatalogDatabase.h"
#include "catalog/FindIndex.h"
#include "catalog/FindSql.h"

namespace reelkeep {

namespace {

// A statement made for one query: prepared, used and finalized.
class OneOffStatement {
public:
    OneOffStatement(sqlite3* db, const std::string& sql) : db_(db) {
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size() + 1), &raw, nullptr) != SQLITE_OK) {
            ThrowFor(db, sql);
        }
        statement_.reset(raw);
    }
    StatementUse Use() { return StatementUse(db_, statement_.get(), &ThrowFor); }

private:
    sqlite3* db_;
    SqliteStatementHandle statement_;
};

std::vector<CatalogSummary::Entry> DecodeTop(std::string_view bytes) {
    std::vector<CatalogSummary::Entry> entries;
    const std::optional<StringArray> pairs = DecodeStringArray(bytes);
    if (!pairs) return entries;
    for (std::size_t i = 0; i + 1 < pairs->size(); i += 2) {
        entries.emplace_back((*pairs)[i], std::stoll((*pairs)[i + 1]));
    }
    return entries;
}

}  // namespace

bool CatalogDatabase::HasWordIndex() const {
    return connection_ != nullptr && schemaVersion_ >= kFirstVersionWithWordIndex;
}

bool CatalogDatabase::HasQueuedWords() {
    if (!HasWordIndex()) return false;
    OneOffStatement any(Live().db.get(), "SELECT 1 FROM " + std::string(kWordQueueTable) + " LIMIT 1");
    StatementUse use = any.Use();
    return use.Step();
}

std::vector<ObjectId> CatalogDatabase::Find(const FindQuery& query) {
    if (emptyReadOnly_) return {};
    Connection& c = Live();
    if (query.Empty()) return SelectAll();
    if (!HasWordIndex()) {
        throw dbException("The catalog \"" + filePath_ +
                          "\" has no word index yet; it gets one when it is next opened for "
                          "changes.");
    }
    if (c.writable) FlushWordQueue(c.db.get());  // this connection's own changes
    const FindStatement find = FindSelect(query, c.Tokenizer());
    if (find.everything) return SelectAll();
    const auto run = [&c](const std::string& sql, const std::vector<SqlValue>& values) {
        OneOffStatement statement(c.db.get(), sql);
        StatementUse use = statement.Use();
        FindStatement::BindValues(use, values);
        std::vector<ObjectId> oids;
        while (use.Step()) oids.push_back(static_cast<ObjectId>(use.Int(0)));
        // The word index gives them in order already; the numbers' index does not.
        if (!std::is_sorted(oids.begin(), oids.end())) std::sort(oids.begin(), oids.end());
        return oids;
    };
    if (!find.split) return run(find.sql, find.values);
    const std::vector<ObjectId> keep = run(find.split->keep.sql, find.split->keep.values);
    const std::vector<ObjectId> drop = run(find.split->drop.sql, find.split->drop.values);
    std::vector<ObjectId> oids;
    oids.reserve(keep.size());
    std::set_difference(keep.begin(), keep.end(), drop.begin(), drop.end(), std::back_inserter(oids));
    return oids;
}

CatalogSummary CatalogDatabase::Summarize(const FindQuery& query) {
    CatalogSummary summary;
    if (emptyReadOnly_) return summary;
    Connection& c = Live();
    summary.catalogMovies = static_cast<std::int64_t>(Count());

    FindStatement find;
    find.everything = true;
    if (!query.Empty()) {
        if (!HasWordIndex()) Find(query);  // says why it cannot
        if (c.writable) FlushWordQueue(c.db.get());
        find = FindSelect(query, c.Tokenizer());
    }
    // "WHERE <the query's movies>", its values bound from parameter `first` on.
    const std::string only = find.everything ? "" : " AND oid IN (" + find.sql + ")";
    const auto run = [&](const std::string& sql, const auto& read) {
        OneOffStatement statement(c.db.get(), sql);
        StatementUse use = statement.Use();
        find.Bind(use);
        while (use.Step()) read(use);
    };

    // One pass over the records for what needs their fields...
    run("SELECT count(*), coalesce(sum(bWatched != 0), 0), coalesce(sum(nLength), 0),"
        " coalesce(sum(rk_size_total(pnSizes)), 0), coalesce(sum(length(pnSizes) / 8), 0),"
        " coalesce(sum(nYear = 0), 0), coalesce(sum(fRating < 0.05), 0),"
        " coalesce(sum(dtAdded = 0), 0), rk_top(pszCategories, " + std::to_string(kSummaryCategories) +
            "), rk_top(pszDirectors, " + std::to_string(kSummaryPeople) + "), rk_top(pszActors, " +
            std::to_string(kSummaryPeople) + ") FROM Movie WHERE 1" + only,
        [&](const StatementUse& use) {
            summary.movies = use.Int(0);
            summary.watched = use.Int(1);
            summary.minutes = use.Int(2);
            summary.bytes = use.Int(3);
            summary.files = use.Int(4);
            summary.undated = use.Int(5);
            summary.unrated = use.Int(6);
            summary.undatedAdded = use.Int(7);
            summary.categories = DecodeTop(use.Bytes(8));
            summary.directors = DecodeTop(use.Bytes(9));
            summary.actors = DecodeTop(use.Bytes(10));
        });
    // ...and the bars from the index of the numbers.
    const auto bars = [&](const std::string& key, const std::string& condition,
                          std::vector<CatalogSummary::Bar>& into) {
        run("SELECT " + key + " AS k, count(*) FROM Movie INDEXED BY Movie_numbers WHERE " +
                condition + only + " GROUP BY k ORDER BY k",
            [&](const StatementUse& use) { into.emplace_back(use.Int(0), use.Int(1)); });
    };
    bars("nYear / 10 * 10", "nYear > 0", summary.decades);
    // Ratings in tenths as the pages round them, in steps of five tenths.
    bars("CAST(fRating * 10 + 0.5 AS INTEGER) / 5 * 5", "fRating >= 0.05", summary.ratings);
    bars("CAST(strftime('%Y', dtAdded, 'unixepoch', 'localtime') AS INTEGER)", "dtAdded > 0",
         summary.addedYears);
    return summary;
}

}  // namespace reelkeep
