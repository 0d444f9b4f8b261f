#include "interop/FieldAssign.h"

#include <cmath>
#include <limits>

#include "interop/FieldValues.h"
#include "interop/ListCell.h"

namespace reelkeep {

namespace {

std::vector<std::string> SplitAt(std::string_view text, std::string_view separators) {
    std::vector<std::string> entries;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = text.find_first_of(separators, start);
        const std::string_view entry =
            Trimmed(text.substr(start, end == std::string_view::npos ? std::string_view::npos
                                                                     : end - start));
        if (!entry.empty()) entries.emplace_back(entry);
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return entries;
}

std::string Quoted(std::string_view text) {
    constexpr std::size_t kShown = 40;
    std::string shown(text.substr(0, kShown));
    if (text.size() > kShown) shown += "...";
    return "\"" + shown + "\"";
}

}  // namespace

std::vector<std::string> SplitLooseList(std::string_view text) {
    if (text.find_first_of("\r\n") != std::string_view::npos) return SplitAt(text, "\r\n");
    if (text.find(';') != std::string_view::npos) return SplitAt(text, ";");
    return SplitAt(text, ",");
}

std::optional<std::string> AssignField(ImportedMovie& imported, const MovieField& field,
                                       std::string_view text, ListStyle style) {
    if (text.empty()) return std::nullopt;
    // A record's text never holds NUL; a file that does is damaged there.
    if (text.find('\0') != std::string_view::npos) return std::string("holds a NUL byte");
    Movie& movie = imported.movie;
    switch (field.kind) {
        case FieldKind::Int32: {
            std::optional<std::int64_t> value;
            if (field.name == "nLength" && style == ListStyle::Loose) {
                if (const auto minutes = ParseMinutes(text)) value = *minutes;
            } else {
                value = ParseInteger(text);
            }
            if (!value) {
                if (Trimmed(text).empty()) return std::nullopt;
                return Quoted(text) + " is not a whole number";
            }
            if (*value < std::numeric_limits<std::int32_t>::min() ||
                *value > std::numeric_limits<std::int32_t>::max()) {
                return Quoted(text) + " is out of range";
            }
            field.Of<std::int32_t>(movie) = static_cast<std::int32_t>(*value);
            break;
        }
        case FieldKind::Float: {
            const std::optional<double> value = ParseDecimal(text);
            if (!value) {
                if (Trimmed(text).empty()) return std::nullopt;
                return Quoted(text) + " is not a number";
            }
            if (!std::isfinite(*value) || std::fabs(*value) > std::numeric_limits<float>::max()) {
                return Quoted(text) + " is out of range";
            }
            field.Of<float>(movie) = static_cast<float>(*value);
            break;
        }
        case FieldKind::Bool: {
            const std::optional<bool> value = ParseYesNo(text);
            if (!value) {
                if (Trimmed(text).empty()) return std::nullopt;
                return Quoted(text) + " is neither yes nor no";
            }
            field.Of<bool>(movie) = *value;
            break;
        }
        case FieldKind::DateTime: {
            const std::optional<dbDateTime> value = ParseDateTime(text);
            if (!value) return Quoted(text) + " is not a date (YYYY-MM-DD)";
            field.Of<dbDateTime>(movie) = *value;
            break;
        }
        case FieldKind::String:
            field.Of<std::string>(movie) =
                style == ListStyle::Exact ? UnguardFormula(text) : std::string(Trimmed(text));
            break;
        case FieldKind::Int64:
            return "has no counterpart";
        case FieldKind::Array: {
            const std::vector<std::string> entries = style == ListStyle::Exact
                                                         ? SplitListCell(UnguardFormula(text))
                                                         : SplitLooseList(text);
            if (field.elementKind == FieldKind::Int64) {
                Int64Array numbers;
                for (const std::string& entry : entries) {
                    const std::optional<std::int64_t> number = ParseInteger(entry);
                    if (!number) return Quoted(entry) + " is not a whole number";
                    numbers.push_back(*number);
                }
                field.Of<Int64Array>(movie) = std::move(numbers);
            } else {
                field.Of<StringArray>(movie) = entries;
            }
            break;
        }
    }
    imported.Given(field);
    return std::nullopt;
}

bool IsEmptyField(const MovieField& field, const Movie& movie) {
    switch (field.kind) {
        case FieldKind::Int32: return field.Of<std::int32_t>(movie) == 0;
        case FieldKind::Float: return field.Of<float>(movie) == 0.0f;
        case FieldKind::Bool: return !field.Of<bool>(movie);
        case FieldKind::String: return field.Of<std::string>(movie).empty();
        case FieldKind::Array:
            return field.elementKind == FieldKind::Int64 ? field.Of<Int64Array>(movie).empty()
                                                         : field.Of<StringArray>(movie).empty();
        case FieldKind::DateTime:
        case FieldKind::Int64: break;
    }
    return false;
}

void CopyField(const MovieField& field, const Movie& from, Movie& into) {
    std::visit([&](auto member) { into.*member = from.*member; }, field.member);
}

}  // namespace reelkeep
