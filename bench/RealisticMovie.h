// Movies as a real collection holds them, for the benchmarks: 3 directors, 10 actors, two files,
// a 500-byte plot. The same seed gives the same movies.
#pragma once

#include <random>
#include <string>

#include "catalog/Movie.h"

namespace reelkeep::bench {

std::string RandomWord(std::mt19937& random, std::size_t minLength, std::size_t maxLength);
Movie RealisticMovie(std::mt19937& random, int number);

// The same movies in the words of a real collection: people drawn from a pool of 50,000 who
// recur from movie to movie (a few often, most seldom), titles and plots from a vocabulary of
// 20,000 words used as a language uses its words (the n-th most common about 1/n as often).
// RealisticMovie's random letters make nearly every word of every movie new, the most a word
// index can be asked to keep; these are what a collection's index keeps.
Movie RealisticMovieOfCommonWords(std::mt19937& random, int number);

}  // namespace reelkeep::bench
