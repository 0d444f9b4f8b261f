#include "interop/ListCell.h"

namespace reelkeep {

std::string JoinListCell(const std::vector<std::string>& entries) {
    if (entries.size() == 1 && entries.front().empty()) return "\\";
    std::string cell;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (i) cell += '\n';
        for (const char c : entries[i]) {
            switch (c) {
                case '\\': cell += "\\\\"; break;
                case '\n': cell += "\\n"; break;
                case '\r': cell += "\\r"; break;
                default: cell += c;
            }
        }
    }
    return cell;
}

std::vector<std::string> SplitListCell(std::string_view cell) {
    std::vector<std::string> entries;
    if (cell.empty()) return entries;
    if (cell == "\\") return {std::string()};
    std::string entry;
    for (std::size_t i = 0; i < cell.size(); ++i) {
        const char c = cell[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < cell.size() && cell[i + 1] == '\n') ++i;
            entries.push_back(std::move(entry));
            entry.clear();
        } else if (c == '\\' && i + 1 < cell.size()) {
            const char next = cell[++i];
            entry += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
        } else {
            entry += c;
        }
    }
    entries.push_back(std::move(entry));
    return entries;
}

namespace {

bool LooksLikeFormula(std::string_view cell) {
    const std::size_t first = cell.find_first_not_of('\'');
    if (first == std::string_view::npos) return false;
    const char c = cell[first];
    return c == '=' || c == '+' || c == '-' || c == '@' || c == '\t' || c == '\r';
}

}  // namespace

std::string GuardFormula(std::string_view cell) {
    return LooksLikeFormula(cell) ? "'" + std::string(cell) : std::string(cell);
}

std::string UnguardFormula(std::string_view cell) {
    if (!cell.empty() && cell.front() == '\'' && LooksLikeFormula(cell)) cell.remove_prefix(1);
    return std::string(cell);
}

}  // namespace reelkeep
