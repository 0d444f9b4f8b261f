// File versions: a program file carries the bytes "RKVERSION:a.b.c.d" and a zero, embedded by
// linking VersionMarkerData.cpp into it. A version a.b.c.d is the unsigned 64-bit number
// a*2^48 + b*2^32 + c*2^16 + d; a file without a marker has no version.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace reelkeep {

inline constexpr std::string_view kVersionMarkerPrefix = "RKVERSION:";

std::uint64_t PackVersion(std::uint16_t a, std::uint16_t b, std::uint16_t c, std::uint16_t d);

// The first well-formed marker in the bytes: four decimal numbers of at most 65535, separated
// by ".", ended by a zero byte.
std::optional<std::uint64_t> FindVersionMarker(std::string_view bytes);

// The same over a file of any size; empty when it cannot be read or has no marker.
std::optional<std::uint64_t> ReadFileVersion(const std::string& path);

}  // namespace reelkeep
