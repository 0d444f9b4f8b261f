// What a media centre writes beside a video: an NFO file ("NAME.nfo" for "NAME.mkv", or
// "movie.nfo" in a folder that holds one movie) with the movie's details as XML, or with
// nothing but the address of the movie's page; and a poster beside it ("NAME-poster.jpg",
// "poster.jpg", "folder.jpg", "cover.jpg", or the same in .png).
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "interop/ImportBatch.h"

namespace reelkeep {

struct NfoDetails {
    ImportedMovie movie;  // the fields the file gave
    std::string error;    // why the file was not read, a sentence; then nothing was taken from it
};

// Reads an NFO's bytes: title, original title, year, plot, running time, genres, countries,
// directors, credits (as a comment naming the writers), actors in order, rating and the
// IMDb id as the movie's address. XML is read without the network and without expanding
// entities.
NfoDetails ReadNfo(std::string_view bytes);

// Reads the NFO file at `path` as ReadNfo reads its bytes; a file that cannot be read, or is
// no regular file, gives the reason as its error.
NfoDetails ReadNfoFile(const std::string& path);

// The regular files of one folder by name, found without regard to the case of ASCII letters.
class FolderNames {
public:
    FolderNames() = default;
    explicit FolderNames(std::vector<std::string> names);
    // The name as the folder spells it, or nullptr.
    const std::string* Find(std::string_view name) const;
    const std::vector<std::string>& Names() const { return names_; }

private:
    std::vector<std::string> names_;
    std::unordered_map<std::string, std::size_t> byLowerName_;
};

// An NFO file, or a picture named as media centres name the artwork they keep beside a movie
// ("Heat-poster.jpg", "fanart.png", "folder.jpg"...).
bool IsMediaCentreName(std::string_view name);

// The name of the NFO file in the folder that describes the file `fileName` ("NAME.nfo"; with
// `onlyMovieInFolder` also "movie.nfo"), or empty when there is none.
std::string NfoBeside(const FolderNames& folder, const std::string& fileName, bool onlyMovieInFolder);
// The name of the poster beside the file ("NAME-poster"; with `onlyMovieInFolder` also
// "poster", "folder", "cover"; each .jpg, .jpeg or .png), or empty.
std::string PosterBeside(const FolderNames& folder, const std::string& fileName, bool onlyMovieInFolder);

// Copies into `into` the fields the NFO gave that are still empty there (the catalog number
// and the day added are never touched). True when anything changed.
bool FillEmptyFields(const ImportedMovie& from, Movie& into);

}  // namespace reelkeep
