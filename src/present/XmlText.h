// Record strings are bytes; XML text is Unicode. This is the one way between them.
#pragma once

#include <string>
#include <string_view>

namespace reelkeep {

// U+FFFD, written in place of every character that an XML 1.0 document cannot hold.
inline constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

// The bytes up to the first NUL, read as UTF-8 where they form valid UTF-8 and byte by byte as
// Windows-1252 where they do not, returned as UTF-8 that XML 1.0 can hold: control characters
// other than tab, line feed and carriage return, U+FFFE, U+FFFF and the five bytes that
// Windows-1252 leaves undefined become U+FFFD. Text that needs no change comes back unchanged.
std::string ToXmlText(std::string_view bytes);

// The same text without a copy where none is needed: the bytes themselves (up to the first
// NUL) when they need no change, otherwise the converted text, kept in `buffer`.
std::string_view ToXmlTextView(std::string_view bytes, std::string& buffer);

}  // namespace reelkeep
