// What a media centre writes beside a video: an NFO file ("NAME.nfo" for "NAME.mkv", or
// "movie.nfo" in a folder that holds one movie) with the movie's details as XML, or with
// nothing but the address of the movie's page; and a poster beside it ("NAME-poster.jpg",
// "poster.jpg", "folder.jpg", "cover.jpg", or the same in .png).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "interop/ImportBatch.h"

namespace reelkeep {

struct NfoDetails {
    ImportedMovie movie;  // the fields the file gave
    std::string error;    // why the file was not read; then nothing was taken from it
};

// Reads an NFO's bytes: title, original title, year, plot, running time, genres, countries,
// directors, credits (as a comment naming the writers), actors in order, rating and the
// IMDb id as the movie's address. XML is read without the network and without expanding
// entities.
NfoDetails ReadNfo(std::string_view bytes);

// The NFO file that describes the video at `videoPath`, or empty when there is none.
// `onlyMovieInFolder` allows "movie.nfo".
std::string NfoBeside(const std::string& videoPath, bool onlyMovieInFolder);
// The poster beside the video, or empty. `onlyMovieInFolder` allows the folder-wide names.
std::string PosterBeside(const std::string& videoPath, bool onlyMovieInFolder);

// Copies into `into` the fields the NFO gave that are still empty there (the catalog number
// and the day added are never touched). True when anything changed.
bool FillEmptyFields(const ImportedMovie& from, Movie& into);

}  // namespace reelkeep
