#include "interop/FieldValues.h"

#include <charconv>
#include <cctype>
#include <limits>

namespace reelkeep {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameLetters(std::string_view text, std::string_view lower) {
    if (text.size() != lower.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (Lower(text[i]) != lower[i]) return false;
    }
    return true;
}

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    y = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y += m <= 2;
}

// Reads `count` digits at `at`; false when they are not all digits.
bool Digits(std::string_view text, std::size_t at, std::size_t count, unsigned& value) {
    if (at + count > text.size()) return false;
    value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (!IsDigit(text[i])) return false;
        value = value * 10 + static_cast<unsigned>(text[i] - '0');
    }
    return true;
}

}  // namespace

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const std::size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::optional<std::int64_t> ParseInteger(std::string_view text) {
    text = Trimmed(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return {};
    return value;
}

std::optional<std::int64_t> LeadingInteger(std::string_view text) {
    text = Trimmed(text);
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end == text.data()) return {};
    return value;
}

std::optional<double> ParseDecimal(std::string_view text) {
    text = Trimmed(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    std::string copy(text);
    if (copy.find('.') == std::string::npos) {
        const std::size_t comma = copy.find(',');
        if (comma != std::string::npos && copy.find(',', comma + 1) == std::string::npos) {
            copy[comma] = '.';
        }
    }
    double value = 0;
    const auto [end, error] = std::from_chars(copy.data(), copy.data() + copy.size(), value,
                                              std::chars_format::fixed);
    if (copy.empty() || error != std::errc() || end != copy.data() + copy.size()) return {};
    return value;
}

std::optional<bool> ParseYesNo(std::string_view text) {
    text = Trimmed(text);
    for (const std::string_view yes : {"1", "yes", "true", "y", "x"}) {
        if (SameLetters(text, yes)) return true;
    }
    for (const std::string_view no : {"0", "no", "false", "n"}) {
        if (SameLetters(text, no)) return false;
    }
    return {};
}

std::string FloatCellText(float value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string DateTimeText(dbDateTime value) {
    const std::int64_t seconds = value.stamp;
    const std::int64_t days = seconds / 86400;
    const std::int64_t rest = seconds % 86400;
    std::int64_t year = 0;
    unsigned month = 0, day = 0;
    CivilFromDays(days, year, month, day);
    char buffer[32];
    char* out = buffer;
    const auto put = [&out](std::int64_t number, int width) {
        char digits[24];
        const auto result = std::to_chars(digits, digits + sizeof digits, number);
        for (int pad = static_cast<int>(result.ptr - digits); pad < width; ++pad) *out++ = '0';
        for (const char* p = digits; p != result.ptr; ++p) *out++ = *p;
    };
    put(year, 4);
    *out++ = '-';
    put(month, 2);
    *out++ = '-';
    put(day, 2);
    *out++ = 'T';
    put(rest / 3600, 2);
    *out++ = ':';
    put(rest / 60 % 60, 2);
    *out++ = ':';
    put(rest % 60, 2);
    *out++ = 'Z';
    return std::string(buffer, out);
}

std::optional<dbDateTime> ParseDateTime(std::string_view text) {
    text = Trimmed(text);
    unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!Digits(text, 0, 4, year) || text.size() < 10 || text[4] != '-' || text[7] != '-' ||
        !Digits(text, 5, 2, month) || !Digits(text, 8, 2, day)) {
        return {};
    }
    if (month < 1 || month > 12 || day < 1 || day > 31) return {};
    std::string_view rest = text.substr(10);
    if (!rest.empty()) {
        if ((rest.front() != 'T' && rest.front() != ' ') || !Digits(rest, 1, 2, hour) ||
            rest.size() < 6 || rest[3] != ':' || !Digits(rest, 4, 2, minute)) {
            return {};
        }
        rest.remove_prefix(6);
        if (!rest.empty() && rest.front() == ':') {
            if (!Digits(rest, 1, 2, second)) return {};
            rest.remove_prefix(3);
        }
        if (rest != "Z" && !rest.empty()) return {};
        if (hour > 23 || minute > 59 || second > 60) return {};
    }
    const std::int64_t stamp =
        DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
    if (stamp < 0 || stamp > std::numeric_limits<std::uint32_t>::max()) return {};
    return dbDateTime{static_cast<std::uint32_t>(stamp)};
}

std::optional<std::int32_t> ParseMinutes(std::string_view text) {
    text = Trimmed(text);
    if (text.empty()) return {};
    std::string lower;
    for (const char c : text) lower += Lower(c);
    std::string_view rest = lower;
    if (rest.substr(0, 2) == "pt") rest.remove_prefix(2);  // ISO 8601 duration
    std::int64_t minutes = 0;
    bool any = false;
    while (!rest.empty()) {
        std::int64_t number = 0;
        const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), number);
        if (error != std::errc() || number < 0 || number > 100000) return any ? std::optional<std::int32_t>(static_cast<std::int32_t>(minutes)) : std::nullopt;
        rest.remove_prefix(static_cast<std::size_t>(end - rest.data()));
        rest = Trimmed(rest);
        any = true;
        if (!rest.empty() && (rest.front() == 'h' || rest.front() == ':')) {
            minutes += number * 60;
            rest.remove_prefix(rest.front() == ':' ? 1 : rest.substr(0, 5) == "hours" ? 5
                                                     : rest.substr(0, 4) == "hour"    ? 4
                                                                                      : 1);
            rest = Trimmed(rest);
            continue;
        }
        minutes += number;
        break;
    }
    if (!any || minutes > 1000000) return {};
    return static_cast<std::int32_t>(minutes);
}

}  // namespace reelkeep
