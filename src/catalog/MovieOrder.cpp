#include "catalog/MovieOrder.h"

#include <algorithm>

namespace reelkeep {

namespace {

template <typename T>
int Sign(const T& a, const T& b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

// (a - b) * 100 truncated towards zero, reduced to its sign. Working in double and
// comparing against one keeps huge or undefined ratings from overflowing an integer.
int CompareRatings(float a, float b) {
    const double hundredths = (static_cast<double>(a) - static_cast<double>(b)) * 100.0;
    if (hundredths >= 1.0)
        return 1;
    if (hundredths <= -1.0)
        return -1;
    return 0;  // closer than a hundredth, or not a number
}

int CompareTitles(const MovieSortKeys& a, const MovieSortKeys& b) {
    // char_traits<char> compares as unsigned bytes; a prefix sorts first.
    const int result = a.title.compare(b.title);
    return result < 0 ? -1 : (result > 0 ? 1 : 0);
}

}  // namespace

SortOrder ChooseSortKey(SortOrder current, SortKey key) {
    if (SortKeyOf(current) == key)
        return current ^ kSortDescending;
    return key == kSortByTitle ? key : (key | kSortDescending);
}

int CompareMovies(const MovieSortKeys& a, const MovieSortKeys& b, SortOrder order) {
    int result = 0;
    switch (SortKeyOf(order)) {
        case kSortByIndex:
            result = Sign(a.index, b.index);
            break;
        case kSortByTitle:
            result = CompareTitles(a, b);
            break;
        case kSortByYear:
            result = Sign(a.year, b.year);
            break;
        case kSortByRating:
            result = CompareRatings(a.rating, b.rating);
            break;
        default:
            break;
    }
    if (result != 0)
        return IsDescending(order) ? -result : result;
    result = CompareTitles(a, b);
    return result != 0 ? result : Sign(a.index, b.index);
}

void SortMovies(std::vector<MovieSortKeys>& movies, SortOrder order) {
    std::stable_sort(movies.begin(), movies.end(),
                     [order](const MovieSortKeys& a, const MovieSortKeys& b) {
                         return CompareMovies(a, b, order) < 0;
                     });
}

}  // namespace reelkeep
