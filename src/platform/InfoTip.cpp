#include "platform/InfoTip.h"

namespace reelkeep {

namespace {

bool IsBreakable(char c) {
    return c == ' ' || c == '\n';
}

}  // namespace

std::string WrapInfoTip(std::string text, std::size_t width) {
    if (width == 0)
        return text;
    std::size_t start = 0;  // first character of the current line
    while (text.size() - start > width) {
        const std::size_t limit = start + width;
        // A line that already ends within the limit needs no break of ours.
        const std::size_t existing = text.find('\n', start);
        if (existing != std::string::npos && existing <= limit) {
            start = existing + 1;
            continue;
        }
        std::size_t breakAt = std::string::npos;
        for (std::size_t i = limit; i > start; --i) {
            if (IsBreakable(text[i])) {
                breakAt = i;
                break;
            }
        }
        if (breakAt == std::string::npos) {
            for (std::size_t i = limit + 1; i < text.size(); ++i) {
                if (IsBreakable(text[i])) {
                    breakAt = i;
                    break;
                }
            }
        }
        if (breakAt == std::string::npos)
            break;
        text[breakAt] = '\n';
        start = breakAt + 1;
    }
    return text;
}

}  // namespace reelkeep
