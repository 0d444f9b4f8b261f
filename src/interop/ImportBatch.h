// What a file brought in holds before anything is stored: the movies read from it, each with
// the fields the file gave, the pictures that go with them, and what could not be read.
#pragma once

#include <bitset>
#include <cstddef>
#include <string>
#include <vector>

#include "catalog/Movie.h"

namespace reelkeep {

inline constexpr std::size_t kMovieFieldCount = 30;
using GivenFields = std::bitset<kMovieFieldCount>;

// The position of a field in the field table.
std::size_t FieldPosition(const MovieField& field);

// A picture for a movie: bytes already read from an archive or a document, or a file beside
// the imported file. The outside name only ever serves to describe the picture in a message;
// the stored file gets a name of the catalog's own.
struct PictureSource {
    std::string description;  // for messages: "images/cover.jpg"
    std::string bytes;        // the picture itself, when it came inside the file
    std::string path;         // otherwise the file to copy, checked before it is read
};

struct ImportedMovie {
    Movie movie;
    GivenFields given;  // the fields the file set for this movie
    std::vector<PictureSource> pictures;
    std::size_t line = 0;  // where the movie starts in its file (0: no line numbers)
    // Rows of one film spread over several files (Letterboxd) join by title and year.
    bool joinsByTitle = false;

    // Sets a field's value and marks it given.
    void Given(const MovieField& field);
    bool IsGiven(const MovieField& field) const;
};

// A row or an entry that was skipped, and why.
struct ImportProblem {
    std::string file;  // the file's name as the user gave it (one import may read several)
    std::size_t line = 0;
    std::string reason;
};

struct ImportBatch {
    std::string format;  // "CSV", "IMDb list", "Letterboxd", "Tellico", "GCstar", "Reelkeep XML"
    std::vector<ImportedMovie> movies;
    std::vector<ImportProblem> problems;
    std::vector<std::string> unmatchedColumns;  // named in the summary, then skipped
    std::size_t leftOut = 0;                    // entries that are not films (series, games)
    std::string leftOutWhat;                    // what they were, for the summary

    // Appends another file's batch; formats of several files read as "CSV, Tellico".
    void Append(ImportBatch&& other);
};

// A file that cannot be imported at all: its message says why, and nothing was stored.
struct ImportFileError {
    std::string message;
};

}  // namespace reelkeep
