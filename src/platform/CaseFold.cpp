#include "platform/CaseFold.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <array>
#include <cstdint>

namespace reelkeep {

namespace {

// Windows-1252 at 0x80..0x9F; the five bytes it leaves undefined keep their C1 code, as on
// the screen.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool IsValidUtf8(std::string_view text) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto length = static_cast<std::int32_t>(text.size());
    for (std::int32_t i = 0; i < length;) {
        UChar32 c = 0;
        U8_NEXT(bytes, i, length, c);
        if (c < 0)
            return false;
    }
    return true;
}

// The characters of a record string, one at a time.
class Characters {
public:
    explicit Characters(std::string_view text)
        : bytes_(reinterpret_cast<const std::uint8_t*>(text.data())),
          length_(static_cast<std::int32_t>(text.size())),
          utf8_(IsValidUtf8(text)) {}

    bool Done() const { return next_ >= length_; }

    UChar32 Next() {
        if (utf8_) {
            UChar32 c = 0;
            U8_NEXT(bytes_, next_, length_, c);
            return c;
        }
        const std::uint8_t byte = bytes_[next_++];
        return byte >= 0x80 && byte < 0xA0 ? kWindows1252High[byte - 0x80] : byte;
    }

private:
    const std::uint8_t* bytes_;
    std::int32_t length_;
    bool utf8_;
    std::int32_t next_ = 0;
};

}  // namespace

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
