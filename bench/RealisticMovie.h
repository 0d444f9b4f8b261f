// Movies as a real collection holds them, for the benchmarks: 3 directors, 10 actors, two files,
// a 500-byte plot. The same seed gives the same movies.
#pragma once

#include <random>
#include <string>

#include "catalog/Movie.h"

namespace reelkeep::bench {

std::string RandomWord(std::mt19937& random, std::size_t minLength, std::size_t maxLength);
Movie RealisticMovie(std::mt19937& random, int number);

}  // namespace reelkeep::bench
