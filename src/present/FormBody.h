// The body of a posted form (application/x-www-form-urlencoded), read the way the edit page's
// submissions are written back: names are taken as they stand, values are decoded.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace reelkeep {

struct FormPair {
    std::string_view name;  // not decoded
    std::string value;      // decoded bytes
};

// Pairs in body order: split at every "&", name and value at the first "=" (no "=": an empty
// value), then DecodeFormValue.
std::vector<FormPair> ParseFormBody(std::string_view body);

// "+" becomes a space, then each "%" with two characters after it becomes one byte, a
// character that is no hexadecimal digit counting 0. A "%" that decoding made is not decoded
// again; a "%" with fewer than two characters after it is kept as it stands.
std::string DecodeFormValue(std::string_view value);

// Numbers as the C library reads them: leading white space skipped, an optional sign, then
// as many digits (for a float also a point and an exponent) as fit; 0 when nothing fits.
// Values beyond the type's range are clamped.
std::int32_t ReadInt32(std::string_view text);
std::int64_t ReadInt64(std::string_view text);
float ReadFloat(std::string_view text);

// The list rule: split at every comma with the white space around it, trim space, tab, line
// feed and carriage return from each piece, drop empty pieces.
std::vector<std::string> SplitFormList(std::string_view value);

}  // namespace reelkeep
