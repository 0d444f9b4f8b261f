// Option bits of a script `regex`, as scripts pass them.
#pragma once

#include <cstdint>

namespace reelkeep {

enum RegexOption : std::uint32_t {
    kRegexNoCase = 1,
    kRegexGlobal = 2,
    kRegexMultiline = 4,
    kRegexSingleline = 8,
    kRegexRightmost = 16,
    // 32, 64 and 128 only said which group positions a global substitution kept for itself;
    // nothing a script can see depends on them.
    kRegexNoBackrefs = 32,
    kRegexFirstBackrefs = 64,
    kRegexAllBackrefs = 128,
    kRegexNormalize = 256,
    kRegexExtended = 512,
};

// What `%` and `*` compile their patterns with: case-insensitive and multi-line.
inline constexpr std::uint32_t kExtractionOptions = kRegexNoCase | kRegexMultiline;

}  // namespace reelkeep
