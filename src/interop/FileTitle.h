// The title a file's name offers, cleaned the way people name their files: the extension,
// the year, release tags ("1080p", "BluRay", "x264"...) and disc or part markers ("CD1",
// "Disc 2", "Part 1", "pt2") come off, full stops and underscores between words become blanks.
//   "Heat (1995).mkv"                                   "Heat", 1995
//   "The.Quiet.Harbour.1998.1080p.BluRay.x264.mkv"      "The Quiet Harbour", 1998
//   "Film.Name.CD2.avi"                                 "Film Name"
#pragma once

#include <cstdint>
#include <string>

namespace reelkeep {

struct FileTitle {
    std::string title;
    std::int32_t year = 0;  // 0 when the name gives none
};

// `fileName` is the bare name with its extension. A name that would clean to nothing offers
// itself without its extension.
FileTitle CleanFileTitle(const std::string& fileName);

}  // namespace reelkeep
