// The characters of a record string, as the screen reads it: as UTF-8 when the whole string is
// valid UTF-8, otherwise byte by byte as Windows-1252. For the platform's own files only (it
// uses ICU's macros).
#pragma once

#include <unicode/utf8.h>

#include <array>
#include <cstdint>
#include <string_view>

namespace reelkeep::record_characters {

// Windows-1252 at 0x80..0x9F; the five bytes it leaves undefined keep their C1 code, as on
// the screen.
inline constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

inline bool IsValidUtf8(std::string_view text) {
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

class Characters {
public:
    explicit Characters(std::string_view text)
        : bytes_(reinterpret_cast<const std::uint8_t*>(text.data())),
          length_(static_cast<std::int32_t>(text.size())),
          utf8_(IsValidUtf8(text)) {}

    bool Done() const { return next_ >= length_; }
    bool Utf8() const { return utf8_; }

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

}  // namespace reelkeep::record_characters
