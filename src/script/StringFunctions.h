// What the script `string` does, as plain functions over bytes, so that the engine bridge stays
// a thin layer. Positions beyond the end are clamped: nothing reads or writes outside the text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace reelkeep {

// -1 when not found. `from` at or beyond the end finds only an empty text at the end.
int FindText(std::string_view text, std::string_view what, std::size_t from = 0);
// Last occurrence starting at or before `from`; -1 when none.
int ReverseFindText(std::string_view text, std::string_view what,
                    std::size_t from = std::string_view::npos);

// Every non-overlapping occurrence from the left; inserted text is not searched again. An empty
// `what` changes nothing.
void ReplaceAll(std::string& text, std::string_view what, std::string_view with);

std::string FormatInt(std::int32_t value);
std::string FormatUint(std::uint32_t value);
std::string FormatBits(std::uint32_t value);  // lower-case hex, no prefix
std::string FormatDouble(double value);       // "%g" with an exponent of at least three digits

// Leading white space, an optional sign, then digits; 0 when there is no number. Values beyond
// the range of int are clamped.
std::int32_t LeadingInt(std::string_view text);
// As LeadingInt, with a decimal point and an exponent; decimal notation only, "C" locale.
double LeadingDouble(std::string_view text);

// Decimal character references "&#nnn;" become the byte nnn modulo 256 (255 beyond the range
// of int). Named and hexadecimal references stay as they are.
void UnescapeReferences(std::string& text);

}  // namespace reelkeep
