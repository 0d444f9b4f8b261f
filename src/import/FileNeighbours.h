// What lies beside a dropped file: the NFO file and the poster a media centre keeps with a
// movie, found by name in the file's folder. Each folder is listed once and kept for the drop.
#pragma once

#include <string>
#include <unordered_map>

#include "interop/NfoFile.h"

namespace reelkeep {

struct Neighbours {
    std::string nfo;     // full paths; empty when there is none
    std::string poster;
};

class FileNeighbours {
public:
    // True for an NFO or a media centre's picture in a folder that holds other files too: it
    // describes a movie there and is no movie of its own.
    bool Describes(const std::string& path);
    // The NFO and the poster of the file at `path`. The names shared by a whole folder
    // ("movie.nfo", "poster.jpg"...) count only in a folder that holds one movie: its files
    // (its video files, when it has any) all offer the same title, as the discs of one film do.
    Neighbours Of(const std::string& path);

private:
    struct Folder {
        FolderNames names;
        bool holdsOthers = false;  // files that are not a media centre's
        bool oneMovie = false;
    };
    const Folder& Listed(const std::string& folder);

    std::unordered_map<std::string, Folder> folders_;
};

}  // namespace reelkeep
