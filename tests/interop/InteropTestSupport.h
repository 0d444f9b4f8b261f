// Pieces the import tests share: tiny pictures of each kind, base64 for documents that carry
// them, and the files of a media centre's or another catalog's making.
#pragma once

#include <string>

namespace reelkeep::test {

// The first bytes of real pictures, enough for their type to be known.
inline const std::string kPng = std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16) + "png-body";
inline const std::string kJpeg = std::string("\xFF\xD8\xFF\xE0\0\x10JFIF\0", 11) + "jpeg-body";

std::string Base64(const std::string& bytes);

}  // namespace reelkeep::test
