// Whether a catalog's word index says exactly what its records say: the index compared, word
// by word, field by field and movie by movie, with one built afresh from the records.
#pragma once

#include <string>

namespace reelkeep::test {

// Empty when the index is in step; otherwise what differs (a few words at most).
std::string WordIndexDifference(const std::string& catalogFile);

// Takes a catalog back to the layout it had before the word index: the index, its queue and
// triggers and the numbers' index gone, version 2. False when the catalog refused.
bool TakeBackToTheFormerLayout(const std::string& catalogFile);

}  // namespace reelkeep::test
