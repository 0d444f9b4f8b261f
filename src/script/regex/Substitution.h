// The substitution text of a `regex`: parsed once, expanded for every match it replaces.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace reelkeep {

// Option 256: the escapes of control characters ("\a", "\e", "\f", "\n", "\r", "\t", "\v")
// become those characters; every other backslash sequence stays for the substitution syntax.
std::string NormalizeSubstitution(std::string_view text);

// Start and end of every group of one match, group 0 first; kUnset for a group that took no part.
struct MatchSpan {
    static constexpr std::size_t kUnset = static_cast<std::size_t>(-1);
    std::size_t start = kUnset;
    std::size_t end = kUnset;
    bool IsSet() const { return start != kUnset; }
};

class Substitution {
public:
    Substitution() = default;
    // Throws RegexError for a trailing backslash or a reference to a group the pattern lacks.
    Substitution(std::string_view text, std::size_t groupCount);

    // Appends the expansion for the match `groups` (group 0 first) found in `subject`.
    void Expand(std::string& out, std::string_view subject,
                std::span<const MatchSpan> groups) const;

private:
    enum class Kind { Literal, Group, Before, After, Upper, Lower, NoCase, NextUpper, NextLower };
    struct Piece {
        Kind kind;
        std::string text;       // Literal
        std::size_t group = 0;  // Group
    };
    void AddLiteral(char c);

    std::vector<Piece> pieces_;
};

}  // namespace reelkeep
