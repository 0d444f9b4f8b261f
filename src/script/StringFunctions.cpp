#include "script/StringFunctions.h"

#include <locale.h>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <charconv>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace reelkeep {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

int ToPosition(std::size_t position) {
    return position == std::string_view::npos || position > static_cast<std::size_t>(INT_MAX)
               ? -1
               : static_cast<int>(position);
}

// Index after leading white space and an optional sign; `negative` tells the sign.
std::size_t SkipSpaceAndSign(std::string_view text, bool& negative) {
    std::size_t i = 0;
    while (i < text.size() && IsSpace(text[i])) ++i;
    negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    return i;
}

}  // namespace

int FindText(std::string_view text, std::string_view what, std::size_t from) {
    return ToPosition(text.find(what, from));
}

int ReverseFindText(std::string_view text, std::string_view what, std::size_t from) {
    return ToPosition(text.rfind(what, from));
}

void ReplaceAll(std::string& text, std::string_view what, std::string_view with) {
    if (what.empty())
        return;  // an empty text is everywhere; replacing it would never end
    std::string out;
    std::size_t copied = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, copied)) {
        out.append(text, copied, at - copied);
        out.append(with);
        copied = at + what.size();
    }
    if (copied == 0)
        return;
    out.append(text, copied);
    text = std::move(out);
}

std::string FormatInt(std::int32_t value) {
    return std::to_string(value);
}
std::string FormatUint(std::uint32_t value) {
    return std::to_string(value);
}

std::string FormatBits(std::uint32_t value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%x", static_cast<unsigned>(value));
    return buffer;
}

std::string FormatDouble(double value) {
    // "%g" as the "C" locale writes it whatever the process's locale: to_chars never localises.
    char buffer[64];
    const auto written =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6);
    std::string text(buffer, written.ptr);
    // Widen the exponent to three digits: "e+06" becomes "e+006".
    const std::size_t e = text.find('e');
    if (e != std::string::npos && e + 2 < text.size()) {
        const std::size_t digits = text.size() - (e + 2);
        if (digits < 3)
            text.insert(e + 2, 3 - digits, '0');
    }
    return text;
}

std::int32_t LeadingInt(std::string_view text) {
    bool negative = false;
    std::size_t i = SkipSpaceAndSign(text, negative);
    std::int64_t value = 0;
    const std::int64_t limit = negative ? -static_cast<std::int64_t>(INT_MIN) : INT_MAX;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        value = std::min<std::int64_t>(value * 10 + (text[i] - '0'), limit);
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

double LeadingDouble(std::string_view text) {
    bool negative = false;
    const std::size_t start = SkipSpaceAndSign(text, negative);
    std::size_t i = start;
    std::size_t mantissaDigits = 0;
    while (i < text.size() && IsDigit(text[i])) ++i, ++mantissaDigits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i])) ++i, ++mantissaDigits;
    }
    if (mantissaDigits == 0)
        return 0.0;
    std::size_t end = i;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            ++j;
        if (j < text.size() && IsDigit(text[j])) {
            while (j < text.size() && IsDigit(text[j])) ++j;
            end = j;
        }
    }
    // Only the validated number goes to strtod, read in the "C" locale whatever the program's is.
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
    const std::string number(text.substr(start, end - start));
    const double value = strtod_l(number.c_str(), nullptr, cLocale);
    return negative ? -value : value;
}

void UnescapeReferences(std::string& text) {
    std::string out;
    std::size_t copied = 0;
    std::size_t at = text.find("&#");
    while (at != std::string::npos) {
        std::size_t i = at + 2;
        std::int64_t value = 0;
        while (i < text.size() && IsDigit(text[i])) {
            value = std::min<std::int64_t>(value * 10 + (text[i] - '0'), INT_MAX);
            ++i;
        }
        if (i > at + 2 && i < text.size() && text[i] == ';') {
            out.append(text, copied, at - copied);
            out += static_cast<char>(static_cast<unsigned char>(value % 256));
            copied = i + 1;
            at = text.find("&#", copied);
        } else {
            at = text.find("&#", at + 1);
        }
    }
    if (copied == 0)
        return;
    out.append(text, copied);
    text = std::move(out);
}

}  // namespace reelkeep
