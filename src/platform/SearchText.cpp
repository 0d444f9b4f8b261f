#include "platform/SearchText.h"

#include <unicode/utf8.h>

#include <cstdint>

#include "platform/RecordCharacters.h"

namespace reelkeep {

namespace {

// Letters without a decomposition, and how they are typed without them.
struct Spelling {
    UChar32 letter;
    const char* ascii;
};
constexpr Spelling kSpellings[] = {
    {0x00C6, "AE"}, {0x00D0, "D"},  {0x00D8, "O"},  {0x00DE, "TH"}, {0x00DF, "ss"},
    {0x00E6, "ae"}, {0x00F0, "d"},  {0x00F8, "o"},  {0x00FE, "th"}, {0x0110, "D"},
    {0x0111, "d"},  {0x0126, "H"},  {0x0127, "h"},  {0x0131, "i"},  {0x0141, "L"},
    {0x0142, "l"},  {0x0152, "OE"}, {0x0153, "oe"}, {0x0166, "T"},  {0x0167, "t"},
    {0x1E9E, "SS"},
};

const char* SpellingOf(UChar32 c) {
    if (c < 0xC6) return nullptr;
    for (const Spelling& spelling : kSpellings) {
        if (spelling.letter == c) return spelling.ascii;
    }
    return nullptr;
}

void AppendUtf8(std::string& out, UChar32 c) {
    std::uint8_t bytes[U8_MAX_LENGTH];
    std::int32_t length = 0;
    UBool error = false;
    U8_APPEND(bytes, length, U8_MAX_LENGTH, c, error);
    if (!error) out.append(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(length));
}

bool IsAscii(std::string_view bytes) {
    for (const char c : bytes) {
        if (static_cast<std::uint8_t>(c) >= 0x80) return false;
    }
    return true;
}

std::string Utf8(std::string_view bytes, bool spellOut) {
    if (IsAscii(bytes)) return std::string(bytes);
    std::string out;
    out.reserve(bytes.size() + 8);
    record_characters::Characters characters(bytes);
    if (characters.Utf8() && !spellOut) return std::string(bytes);
    while (!characters.Done()) {
        const UChar32 c = characters.Next();
        if (const char* spelled = spellOut ? SpellingOf(c) : nullptr) {
            out += spelled;
        } else {
            AppendUtf8(out, c);
        }
    }
    return out;
}

}  // namespace

std::string SearchText(std::string_view bytes) { return Utf8(bytes, true); }

std::string RecordTextUtf8(std::string_view bytes) { return Utf8(bytes, false); }

}  // namespace reelkeep
