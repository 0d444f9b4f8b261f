// The info tip of a long list entry: its text broken into lines of a readable width.
#pragma once

#include <cstddef>
#include <string>

namespace reelkeep {

inline constexpr std::size_t kInfoTipWidth = 128;

// Puts line breaks in place of spaces so that no line is longer than `width` characters where
// that can be done: the last space at or before the limit breaks the line; a word longer than
// the limit runs on to the first space after it. Existing line breaks start a new line.
std::string WrapInfoTip(std::string text, std::size_t width = kInfoTipWidth);

}  // namespace reelkeep
