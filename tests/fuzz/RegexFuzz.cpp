// Patterns and substitution texts come from user scripts, subjects from downloaded pages: any
// bytes must either be rejected with a message or compile, match, count and substitute
// within the subject's bounds and the match limits.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "script/regex/Regex.h"
#include "script/regex/RegexError.h"
#include "script/regex/RegexOptions.h"
#include "script/regex/Substitution.h"

namespace {

// Input: two bytes of options, then pattern, substitution text and subject separated by a
// 0xFF byte each.
std::vector<std::string_view> Split(std::string_view bytes) {
    std::vector<std::string_view> parts;
    while (parts.size() < 2) {
        const std::size_t end = bytes.find('\xFF');
        if (end == std::string_view::npos)
            break;
        parts.push_back(bytes.substr(0, end));
        bytes.remove_prefix(end + 1);
    }
    parts.push_back(bytes);
    while (parts.size() < 3) parts.emplace_back();
    return parts;
}

void CheckSpans(std::string_view subject, const std::vector<reelkeep::MatchSpan>& groups) {
    for (const reelkeep::MatchSpan& g : groups) {
        if (!g.IsSet())
            continue;
        if (g.start > g.end || g.end > subject.size())
            std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const std::uint32_t options = data[0] | (static_cast<std::uint32_t>(data[1]) << 8);
    const auto parts = Split(std::string_view(reinterpret_cast<const char*>(data) + 2, size - 2));
    const std::string_view pattern = parts[0];
    const std::string_view subject = parts[2];
    try {
        const reelkeep::Regex regex(pattern, options);
        std::string with(parts[1]);
        if (options & reelkeep::kRegexNormalize)
            with = reelkeep::NormalizeSubstitution(with);
        const reelkeep::Substitution substitution(with, regex.GroupCount());

        std::vector<reelkeep::MatchSpan> groups;
        if (regex.Search(subject, groups)) {
            if (groups.size() != regex.GroupCount() + 1)
                std::abort();
            CheckSpans(subject, groups);
            (void)reelkeep::ExtractedText(subject, groups);
        }
        const std::size_t count = regex.Count(subject);
        std::string text(subject);
        const std::size_t replaced = regex.Substitute(text, substitution, true);
        if (replaced != count)
            std::abort();
        if (replaced == 0 && text != subject)
            std::abort();
        std::string once(subject);
        if (regex.Substitute(once, substitution, false) > 1)
            std::abort();
    } catch (const reelkeep::RegexError&) {
        // A rejected pattern or substitution text, or a match beyond its limits.
    }
    return 0;
}
