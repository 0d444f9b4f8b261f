// A rejected pattern or substitution text, or a match that ran out of its limits.
#pragma once

#include <stdexcept>
#include <string>

namespace reelkeep {

class RegexError : public std::runtime_error {
public:
    explicit RegexError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace reelkeep
