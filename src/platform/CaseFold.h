// Text compared without regard to case, one way for the window and reelkeep-cli alike. Record
// strings are bytes: they are read as the screen reads them (as UTF-8 when the whole string is
// valid UTF-8, otherwise byte by byte as Windows-1252) and compared character by character
// after Unicode's simple case folding, so "Élan" and "élan" are the same title, and so are
// "ΣΊΣΥΦΟΣ" and "σίσυφος"; "Elan" and "Élan" are not.
#pragma once

#include <string>
#include <string_view>

namespace reelkeep {

bool EqualIgnoringCase(std::string_view a, std::string_view b);

// The characters after the same folding, for lookups: two texts have the same key exactly
// when EqualIgnoringCase holds for them.
std::u32string CaseFoldKey(std::string_view text);

}  // namespace reelkeep
