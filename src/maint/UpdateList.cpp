#include "maint/UpdateList.h"

namespace reelkeep {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsNameStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// Where the value after the comma at `comma` begins, or npos when that comma leaves none.
// The blanks after the comma are taken greedily, but the value needs one character other
// than ";": when only blanks stand before the ";" or the end, the last blank is the value.
std::size_t ValueStart(std::string_view text, std::size_t comma) {
    std::size_t at = comma + 1;
    while (at < text.size() && IsBlank(text[at])) ++at;
    if (at < text.size() && text[at] != ';') return at;
    return at > comma + 1 ? at - 1 : std::string_view::npos;
}

}  // namespace

std::vector<UpdateEntry> ParseUpdateList(std::string_view text) {
    std::vector<UpdateEntry> entries;
    // The earliest comma that leaves a value at or after `from`; npos when there is none.
    // Entry starts only move forward, so the search resumes where it stopped: one pass over
    // the text in all, and no memory beyond the entries themselves.
    std::size_t searchedFrom = 0;
    std::size_t found = std::string_view::npos;
    bool searched = false;
    const auto nextComma = [&](std::size_t from) {
        if (searched && from <= searchedFrom) return found;
        if (searched && (found == std::string_view::npos || found >= from)) {
            searchedFrom = from;
            return found;
        }
        found = std::string_view::npos;
        for (std::size_t i = from; i < text.size(); ++i) {
            if (text[i] == ',' && ValueStart(text, i) != std::string_view::npos) {
                found = i;
                break;
            }
        }
        searched = true;
        searchedFrom = from;
        return found;
    };

    std::size_t at = 0;
    while (at < text.size()) {
        if (!IsNameStart(text[at])) {
            ++at;
            continue;
        }
        if (at + 2 > text.size()) break;
        const std::size_t comma = nextComma(at + 2);
        if (comma == std::string_view::npos) break;  // no later start can find one either
        // The shortest name: the blanks right before the comma belong to the separator,
        // but the name keeps at least its two characters.
        std::size_t nameEnd = comma;
        while (nameEnd > at + 2 && IsBlank(text[nameEnd - 1])) --nameEnd;
        const std::size_t valueStart = ValueStart(text, comma);
        std::size_t valueEnd = text.find(';', valueStart);
        if (valueEnd == std::string_view::npos) valueEnd = text.size();
        entries.push_back({std::string(text.substr(at, nameEnd - at)),
                           std::string(text.substr(valueStart, valueEnd - valueStart))});
        at = valueEnd;
    }
    return entries;
}

void AppendListBlock(std::string& text, std::string_view block) {
    text.append(block.substr(0, block.find('\0')));
}

}  // namespace reelkeep
