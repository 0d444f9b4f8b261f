// How an array field is kept in one column: a compact byte string. The decoders check every
// length against the bytes at hand, since a damaged file must give an error, never a crash.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "catalog/Movie.h"

namespace reelkeep {

// Each entry: its length as an unsigned LEB128 number, then its bytes.
std::string EncodeStringArray(const StringArray& entries);
std::optional<StringArray> DecodeStringArray(std::string_view bytes);

// Each entry: eight bytes, little-endian two's complement.
std::string EncodeInt64Array(const Int64Array& entries);
std::optional<Int64Array> DecodeInt64Array(std::string_view bytes);

}  // namespace reelkeep
