// Record strings as the catalog's word index reads them, and the words a user types to find
// them: UTF-8, read as the screen reads record bytes (CaseFold.h). The index's own tokenizer
// folds case and strips accents; the letters it leaves alone because they have no accent to
// strip ("ø", "æ", "ß", "ł", ...) are spelled out here the way a user types them on a
// keyboard without them, so "Ørsted" is found by "orsted" and "Straße" by "strasse".
#pragma once

#include <string>
#include <string_view>

namespace reelkeep {

std::string SearchText(std::string_view bytes);

// Record bytes as the screen reads them, as UTF-8 (nothing spelled out).
std::string RecordTextUtf8(std::string_view bytes);

}  // namespace reelkeep
