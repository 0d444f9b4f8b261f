// The "crc" of a file in the update list: its MD5 digest as 32 upper-case hexadecimal digits.
#pragma once

#include <optional>
#include <string>

namespace reelkeep {

// Reads the file in blocks of 8,192 bytes until its end or a read error. Empty when the file
// cannot be opened or is no regular file.
std::optional<std::string> FileDigestText(const std::string& path);

}  // namespace reelkeep
