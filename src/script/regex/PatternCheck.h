// The rejection messages of our pattern syntax. PCRE2 does the parsing; these functions turn
// its compile errors into our messages and reject the constructs that PCRE2 accepts but our
// syntax does not.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace reelkeep {

// Message for a PCRE2 compile error `code` reported at `offset` in `pattern`.
std::string CompileErrorMessage(int code, std::string_view pattern, std::size_t offset);

struct PatternTraits {
    // A group with a quantifier after it, as in "(a+)+": the shape whose backtracking can
    // grow exponentially.
    bool quantifiedGroup = false;
};

// Throws RegexError for a quantified look-around or recursion and for a "\E" that ends no
// quoting; otherwise tells the pattern's traits. `pattern` has already compiled, so it is
// well formed.
PatternTraits ScanPattern(std::string_view pattern, bool extended);

}  // namespace reelkeep
