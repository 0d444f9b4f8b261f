// Pictures from outside go into the catalog folder under names the program makes up: the
// outside name is never used, no existing file is replaced, and no name the catalog itself
// uses is ever taken. Only real pictures are stored, their type found from their bytes.
#pragma once

#include <string>
#include <string_view>

#include "interop/ImportBatch.h"

namespace reelkeep {

// ".jpg", ".png", ".gif", ".webp" or ".bmp" from the picture's first bytes; empty otherwise.
std::string_view PictureExtension(std::string_view bytes);

struct StoredPicture {
    std::string name;   // the new file's bare name in the catalog folder; empty on failure
    std::string error;  // why the picture was not stored
};

// `catalogFolder` ends in "/".
StoredPicture StorePicture(const std::string& catalogFolder, const PictureSource& source);

}  // namespace reelkeep
