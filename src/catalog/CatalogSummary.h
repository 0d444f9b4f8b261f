// The figures of a catalog, or of the movies a Filter query finds, that the statistics page
// shows: computed by the store with SQL aggregates (CatalogDatabase::Summarize).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace reelkeep {

struct CatalogSummary {
    std::int64_t catalogMovies = 0;  // in the whole catalog
    std::int64_t movies = 0;         // those summed up here (the Filter's, or all)
    std::int64_t watched = 0;
    std::int64_t minutes = 0;        // running time
    std::int64_t bytes = 0;          // the sizes of the files
    std::int64_t files = 0;          // how many file names
    std::int64_t undated = 0;        // without a year
    std::int64_t unrated = 0;        // rated below 0.05
    std::int64_t undatedAdded = 0;   // without the moment it was added

    using Bar = std::pair<std::int64_t, std::int64_t>;  // key, movies
    std::vector<Bar> decades;     // first year of the decade
    std::vector<Bar> ratings;     // half-point steps in tenths: 0 (0.1 to 0.4), 5, 10, ... 100
    std::vector<Bar> addedYears;  // the local year a movie was added

    using Entry = std::pair<std::string, std::int64_t>;  // entry as stored, movies
    std::vector<Entry> categories;  // the 15 most frequent
    std::vector<Entry> directors;   // the 10 most frequent
    std::vector<Entry> actors;      // the 10 most frequent
};

inline constexpr std::size_t kSummaryCategories = 15;
inline constexpr std::size_t kSummaryPeople = 10;

}  // namespace reelkeep
