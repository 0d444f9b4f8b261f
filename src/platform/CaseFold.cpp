#include "platform/CaseFold.h"

#include <unicode/uchar.h>

#include "platform/RecordCharacters.h"

namespace reelkeep {

using record_characters::Characters;

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    if (a == b)
        return true;
    Characters left(a), right(b);
    while (!left.Done() && !right.Done()) {
        if (u_foldCase(left.Next(), U_FOLD_CASE_DEFAULT) !=
            u_foldCase(right.Next(), U_FOLD_CASE_DEFAULT)) {
            return false;
        }
    }
    return left.Done() && right.Done();
}

std::u32string CaseFoldKey(std::string_view text) {
    std::u32string key;
    key.reserve(text.size());
    Characters characters(text);
    while (!characters.Done()) {
        key += static_cast<char32_t>(u_foldCase(characters.Next(), U_FOLD_CASE_DEFAULT));
    }
    return key;
}

}  // namespace reelkeep
