// Field values as text in outside files, always in the C locale's form: numbers through
// to_chars/from_chars, dates as ISO 8601 in UTC.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "catalog/Movie.h"

namespace reelkeep {

// Blanks and tabs at both ends removed.
std::string_view Trimmed(std::string_view text);

// A whole number, blanks around it allowed; nothing when the text is not one or out of range.
std::optional<std::int64_t> ParseInteger(std::string_view text);
// The number at the start of the text ("117 min", "7/10"); nothing when none starts it.
std::optional<std::int64_t> LeadingInteger(std::string_view text);
// A decimal number with a point, or with a comma as the only mark ("7,5").
std::optional<double> ParseDecimal(std::string_view text);
// "1", "yes", "true", "y", "x" and "0", "no", "false", "n" in any case; nothing otherwise.
std::optional<bool> ParseYesNo(std::string_view text);

// The shortest text that reads back as the same float: "7.5", "23.976".
std::string FloatCellText(float value);

// "2024-05-01T12:34:56Z" and back; a date alone ("2024-05-01") reads as its midnight.
std::string DateTimeText(dbDateTime value);
std::optional<dbDateTime> ParseDateTime(std::string_view text);

// Running time in minutes from "117", "117 min", "1h 57m", "1:57", "PT1H57M".
std::optional<std::int32_t> ParseMinutes(std::string_view text);

}  // namespace reelkeep
