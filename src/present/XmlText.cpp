#include "present/XmlText.h"

#include <array>
#include <cstdint>

namespace reelkeep {

namespace {

// Windows-1252 at 0x80..0x9F; 0 where the code page defines no character.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

bool IsXmlCharacter(char32_t c) {
    if (c < 0x20) return c == 0x09 || c == 0x0A || c == 0x0D;
    return c != 0xFFFE && c != 0xFFFF;  // surrogates never come out of valid UTF-8
}

void AppendUtf8(std::string& out, char32_t c) {
    if (!IsXmlCharacter(c)) {
        out += kReplacementCharacter;
    } else if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

char32_t FromWindows1252(std::uint8_t byte) {
    if (byte >= 0x80 && byte < 0xA0) {
        const char16_t c = kWindows1252High[byte - 0x80];
        return c ? c : 0xFFFD;
    }
    return byte;
}

bool IsContinuation(std::uint8_t byte) { return (byte & 0xC0) == 0x80; }

// Length of the valid UTF-8 sequence at the start of `rest` and its character; 0 when the
// bytes there are not valid UTF-8 (overlong forms and surrogates included).
std::size_t DecodeUtf8(std::string_view rest, char32_t& c) {
    const auto at = [&rest](std::size_t i) { return static_cast<std::uint8_t>(rest[i]); };
    const std::uint8_t lead = at(0);
    std::size_t length = 0;
    std::uint8_t low = 0x80, high = 0xBF;  // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        c = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        c = lead & 0x07;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (rest.size() < length || at(1) < low || at(1) > high) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if (!IsContinuation(at(i))) return 0;
        c = (c << 6) | (at(i) & 0x3F);
    }
    return length;
}

bool NeedsNoChange(std::string_view bytes) {
    for (const char ch : bytes) {
        const auto byte = static_cast<std::uint8_t>(ch);
        if (byte >= 0x80 || (byte < 0x20 && byte != 0x09 && byte != 0x0A && byte != 0x0D)) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string ToXmlText(std::string_view bytes) {
    std::string buffer;
    const std::string_view text = ToXmlTextView(bytes, buffer);
    return text.data() == buffer.data() ? std::move(buffer) : std::string(text);
}

std::string_view ToXmlTextView(std::string_view bytes, std::string& buffer) {
    bytes = bytes.substr(0, bytes.find('\0'));
    if (NeedsNoChange(bytes)) return bytes;
    std::string& out = buffer;
    out.clear();
    out.reserve(bytes.size() + bytes.size() / 2);
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto byte = static_cast<std::uint8_t>(bytes[i]);
        if (byte < 0x80) {
            AppendUtf8(out, byte);
            ++i;
            continue;
        }
        char32_t c = 0;
        if (const std::size_t length = DecodeUtf8(bytes.substr(i), c)) {
            AppendUtf8(out, c);
            i += length;
        } else {
            AppendUtf8(out, FromWindows1252(byte));
            ++i;
        }
    }
    return out;
}

}  // namespace reelkeep
