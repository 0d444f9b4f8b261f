// The order of the movie list: one 32-bit value, the key in the low 31 bits and the direction
// in the top bit, and the comparison that the list is sorted by.
#pragma once

#include <cstdint>
#include <vector>

#include "catalog/CatalogDatabase.h"

namespace reelkeep {

using SortOrder = std::uint32_t;

inline constexpr SortOrder kSortDescending = 0x80000000u;

enum SortKey : std::uint32_t {
    kSortByIndex = 0,
    kSortByTitle = 1,
    kSortByYear = 2,
    kSortByRating = 3,
};

// Title, ascending.
inline constexpr SortOrder kInitialSortOrder = kSortByTitle;

constexpr std::uint32_t SortKeyOf(SortOrder order) {
    return order & ~kSortDescending;
}
constexpr bool IsDescending(SortOrder order) {
    return (order & kSortDescending) != 0;
}

// The order after the user picks a key: the same key again reverses the direction; another
// key starts in its own first direction (title ascending, year, rating and index descending).
SortOrder ChooseSortKey(SortOrder current, SortKey key);

// Negative, zero or positive as a sorts before, with or after b. Ratings that differ by less
// than a hundredth are equal; ties go by title and then by nIndex, always ascending.
int CompareMovies(const MovieSortKeys& a, const MovieSortKeys& b, SortOrder order);

// Sorts in place by CompareMovies. Rating equality within a hundredth is not transitive, so
// a merge sort is used: it stays within the range whatever the comparison answers.
void SortMovies(std::vector<MovieSortKeys>& movies, SortOrder order);

}  // namespace reelkeep
