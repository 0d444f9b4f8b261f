// The catalog operations of the movie list, each on a connection of its own that is closed
// (and so committed) before it returns. The window and reelkeep-cli share them. Every
// failure of the store raises dbException.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "catalog/CatalogDatabase.h"
#include "catalog/MovieOrder.h"

namespace reelkeep {

// One row per record in storage order. A missing catalog is created; an existing one is only
// read, so that another program's long write does not hold the list up.
std::vector<MovieListRow> LoadMovieList(const std::string& catalogFile);

// Every identifier of the catalog in the given order; the sort keys are read once.
std::vector<ObjectId> SortedMovieIds(const std::string& catalogFile, SortOrder order);

// Inserts a fresh movie with this title (kept as entered) and returns its row.
MovieListRow AddMovieByTitle(const std::string& catalogFile, const std::string& title);

// Removes the records one by one in the order given and reports the position of each one
// that is gone, so that the caller can drop its row. An error stops the walk; the removals
// before it are committed. So does `stop`, when given and set (from any thread), before the
// next record.
void DeleteMovies(const std::string& catalogFile, std::span<const ObjectId> oids,
                  const std::function<void(std::size_t position)>& removed,
                  const std::atomic<bool>* stop = nullptr);

// szLocation of the record; empty when there is no such record.
std::string MovieLocation(const std::string& catalogFile, ObjectId oid);

// Whether the catalog lacks the Filter's word index (made by an older version) or holds
// changes another program left for it: the next read-write open brings it up to date.
bool CatalogNeedsWordIndex(const std::string& catalogFile);
// Opens the catalog read-write once, so that its word index is built or brought up to date;
// `progress` hears how many movies are done of how many while an index is built.
void PrepareWordIndex(const std::string& catalogFile,
                      const CatalogDatabase::UpgradeProgress& progress);

// The movies the Filter query finds, in storage order, read through a read-only connection.
std::vector<ObjectId> FindMovies(const std::string& catalogFile, const FindQuery& query);

}  // namespace reelkeep
