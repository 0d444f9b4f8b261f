// One compiled pattern of our Perl-style syntax, matched by PCRE2 over 8-bit text.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "script/regex/Substitution.h"

struct pcre2_real_code_8;
struct pcre2_real_match_data_8;

namespace reelkeep {

class Regex {
public:
    // Compiles `pattern` (up to its first zero byte) with the RegexOption bits that concern
    // matching. Throws RegexError with the rejection message.
    Regex(std::string_view pattern, std::uint32_t options);
    ~Regex();
    Regex(Regex&&) noexcept;
    Regex& operator=(Regex&&) noexcept;

    std::uint32_t Options() const { return options_; }
    // Capture groups of the pattern, group 0 not counted.
    std::size_t GroupCount() const { return groupCount_; }

    // The first match (the rightmost one with option 16). On success `groups` holds group 0
    // and every capture group. Throws RegexError when the match runs out of its limits.
    bool Search(std::string_view subject, std::vector<MatchSpan>& groups) const;
    // The first match that starts at or after `start`, searching forward.
    bool SearchFrom(std::string_view subject, std::size_t start,
                    std::vector<MatchSpan>& groups) const;

    // Non-overlapping matches from left to right; an empty match moves on by one byte.
    std::size_t Count(std::string_view subject) const;

    // The extracted text (see ExtractedText) of the first match, empty without one; and of
    // every non-overlapping match from left to right.
    std::string ExtractFirst(std::string_view subject) const;
    std::vector<std::string> ExtractAll(std::string_view subject) const;

    // Replaces the first match (with `global`, every non-overlapping match) by the expansion
    // of `substitution`; returns how many were replaced. `text` is unchanged without a match.
    std::size_t Substitute(std::string& text, const Substitution& substitution, bool global) const;

    // How long one operation (a search, a count, a substitution, an extraction) may take in all
    // before it fails with "match limit exceeded", for the whole process. The per-attempt
    // limits of PCRE2 do not bound a pattern that is slow at each of many start positions.
    static void SetTimeBudget(std::chrono::milliseconds budget);

private:
    struct CodeDeleter {
        void operator()(pcre2_real_code_8* code) const;
    };
    struct MatchDataDeleter {
        void operator()(pcre2_real_match_data_8* data) const;
    };

    // Runs one PCRE2 match; false when there is none.
    bool Run(std::string_view subject, std::size_t start, std::uint32_t matchOptions,
             std::vector<MatchSpan>& groups) const;
    bool SearchRightmost(std::string_view subject, std::vector<MatchSpan>& groups) const;
    // Calls visit(groups) for every non-overlapping match, from left to right.
    template <class Visit>
    void ForEachMatch(std::string_view subject, Visit&& visit) const;

    std::unique_ptr<pcre2_real_code_8, CodeDeleter> code_;
    std::unique_ptr<pcre2_real_match_data_8, MatchDataDeleter> matchData_;
    std::uint32_t options_ = 0;
    std::size_t groupCount_ = 0;
    mutable bool jitTried_ = false;
};

// Which of a match's groups make one extracted text: groups 1..n concatenated (a group that
// took no part adds nothing), or the whole match when the pattern has no groups.
std::string ExtractedText(std::string_view subject, const std::vector<MatchSpan>& groups);

}  // namespace reelkeep
