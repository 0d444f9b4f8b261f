#include "present/FormBody.h"

#include <locale.h>
#include <stdlib.h>

#include <limits>

namespace reelkeep {

namespace {

// C's isspace in the "C" locale, which is also what "\s" of the script regex matches.
bool IsCSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsTrimmed(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

unsigned HexValue(char c) {
    if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
    if (c >= 'A' && c <= 'F') return static_cast<unsigned>(c - 'A' + 10);
    if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a' + 10);
    return 0;
}

// Leading white space and sign; returns the sign and leaves `text` at the first digit.
bool TakeSign(std::string_view& text) {
    std::size_t i = 0;
    while (i < text.size() && IsCSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    text.remove_prefix(i);
    return negative;
}

// Magnitude of the leading digits, saturated at `limit`.
std::uint64_t ReadMagnitude(std::string_view text, std::uint64_t limit) {
    std::uint64_t value = 0;
    for (const char c : text) {
        if (!IsDigit(c)) break;
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (value > (limit - digit) / 10) return limit;
        value = value * 10 + digit;
    }
    return value;
}

template <class Integer>
Integer ReadInteger(std::string_view text) {
    const bool negative = TakeSign(text);
    const auto max = static_cast<std::uint64_t>(std::numeric_limits<Integer>::max());
    const std::uint64_t magnitude = ReadMagnitude(text, negative ? max + 1 : max);
    if (!negative) return static_cast<Integer>(magnitude);
    if (magnitude == max + 1) return std::numeric_limits<Integer>::min();
    return static_cast<Integer>(-static_cast<Integer>(magnitude));
}

// Length of the longest prefix of the form digits [ "." digits ] [ ("e"|"E") [sign] digits ].
std::size_t FloatPrefixLength(std::string_view text) {
    std::size_t i = 0;
    std::size_t digits = 0;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        std::size_t j = i + 1;
        std::size_t fraction = 0;
        while (j < text.size() && IsDigit(text[j])) ++j, ++fraction;
        if (digits + fraction > 0) {
            i = j;
            digits += fraction;
        }
    }
    if (digits == 0) return 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
        const std::size_t exponentStart = j;
        while (j < text.size() && IsDigit(text[j])) ++j;
        if (j > exponentStart) i = j;
    }
    return i;
}

}  // namespace

std::string DecodeFormValue(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '+') {
            out += ' ';
        } else if (c == '%' && i + 2 < value.size()) {
            out += static_cast<char>(HexValue(value[i + 1]) << 4 | HexValue(value[i + 2]));
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

std::vector<FormPair> ParseFormBody(std::string_view body) {
    std::vector<FormPair> pairs;
    while (true) {
        const std::size_t ampersand = body.find('&');
        const std::string_view pair = body.substr(0, ampersand);
        const std::size_t equals = pair.find('=');
        if (equals == std::string_view::npos) {
            pairs.push_back({pair, {}});
        } else {
            pairs.push_back({pair.substr(0, equals), DecodeFormValue(pair.substr(equals + 1))});
        }
        if (ampersand == std::string_view::npos) break;
        body.remove_prefix(ampersand + 1);
    }
    return pairs;
}

std::int32_t ReadInt32(std::string_view text) { return ReadInteger<std::int32_t>(text); }

std::int64_t ReadInt64(std::string_view text) { return ReadInteger<std::int64_t>(text); }

float ReadFloat(std::string_view text) {
    const bool negative = TakeSign(text);
    const std::size_t length = FloatPrefixLength(text);
    if (length == 0) return 0.0f;
    // strtof in the "C" locale rounds once and gives infinity or 0 beyond the float range; the
    // prefix holds nothing that it reads otherwise (no "inf", "nan" or hexadecimal).
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
    const std::string digits(text.substr(0, length));
    const float value = strtof_l(digits.c_str(), nullptr, cLocale);
    return negative ? -value : value;
}

std::vector<std::string> SplitFormList(std::string_view value) {
    std::vector<std::string> entries;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = value.find(',', start);
        std::string_view piece = value.substr(start, comma == std::string_view::npos
                                                         ? std::string_view::npos
                                                         : comma - start);
        // The separator takes the white space on either side of the comma...
        if (start > 0) {
            while (!piece.empty() && IsCSpace(piece.front())) piece.remove_prefix(1);
        }
        if (comma != std::string_view::npos) {
            while (!piece.empty() && IsCSpace(piece.back())) piece.remove_suffix(1);
        }
        // ...and each piece is trimmed at both ends.
        while (!piece.empty() && IsTrimmed(piece.front())) piece.remove_prefix(1);
        while (!piece.empty() && IsTrimmed(piece.back())) piece.remove_suffix(1);
        if (!piece.empty()) entries.emplace_back(piece);
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return entries;
}

}  // namespace reelkeep
