#include "script/regex/PatternCheck.h"

#include <cctype>
#include <vector>

#include "script/regex/RegexError.h"

namespace reelkeep {
namespace {

bool IsQuantifierChar(char c) {
    return c == '*' || c == '+' || c == '?' || c == '}';
}

// Length of a counted quantifier "{n}", "{n,}" or "{n,m}" at `at`, 0 when there is none.
std::size_t CountedQuantifierLength(std::string_view p, std::size_t at) {
    if (at >= p.size() || p[at] != '{')
        return 0;
    std::size_t i = at + 1;
    const std::size_t firstDigits = i;
    while (i < p.size() && std::isdigit(static_cast<unsigned char>(p[i]))) ++i;
    if (i == firstDigits)
        return 0;
    if (i < p.size() && p[i] == ',') {
        ++i;
        while (i < p.size() && std::isdigit(static_cast<unsigned char>(p[i]))) ++i;
    }
    if (i < p.size() && p[i] == '}')
        return i + 1 - at;
    return 0;
}

// Error 109 names the misplaced quantifier; whether it stands where no item can be (at the
// start, after "(", "|" or another quantifier) or after an item that cannot repeat decides the
// message.
std::string MisplacedQuantifierMessage(std::string_view p, std::size_t offset) {
    std::size_t q = offset < p.size() ? offset : p.size();
    // The offset may point inside "{n,m}": step back to its brace.
    for (std::size_t back = q; back > 0 && q - back < 24; --back) {
        if (p[back - 1] == '{' && CountedQuantifierLength(p, back - 1) > 0 &&
            back - 1 + CountedQuantifierLength(p, back - 1) >= q) {
            q = back - 1;
            break;
        }
    }
    if (q == 0)
        return "quantifier not expected";
    const char before = p[q - 1];
    if (before == '(' || before == '|' || IsQuantifierChar(before))
        return "quantifier not expected";
    // Right after a group opening such as "(?:" or "(?=".
    const std::size_t open = p.rfind('(', q - 1);
    if (open != std::string_view::npos && open + 1 < q && p[open + 1] == '?') {
        const std::string_view head = p.substr(open + 2, q - open - 2);
        if (head == ":" || head == "=" || head == "!" || head == "<=" || head == "<!" ||
            head == ">" || head == "|")
            return "quantifier not expected";
    }
    return "sub-expression cannot be quantified";
}

enum class Atom { None, Lookaround, Recursion, Other };

// Skips an escape sequence that starts with the backslash at `i`; returns the index after it.
std::size_t SkipEscape(std::string_view p, std::size_t i) {
    i += 1;  // the backslash
    if (i >= p.size())
        return i;
    const char c = p[i++];
    if (c == 'c')
        return i < p.size() ? i + 1 : i;
    if (i < p.size() &&
        (c == 'x' || c == 'o' || c == 'p' || c == 'P' || c == 'g' || c == 'k' || c == 'N')) {
        const char open = p[i];
        const char close = open == '{' ? '}' : open == '<' ? '>' : open == '\'' ? '\'' : 0;
        if (close != 0) {
            const std::size_t end = p.find(close, i + 1);
            if (end != std::string_view::npos)
                return end + 1;
        }
    }
    return i;
}

// Skips a character set that starts with the "[" at `i`; returns the index after its "]".
std::size_t SkipCharacterSet(std::string_view p, std::size_t i) {
    ++i;
    if (i < p.size() && p[i] == '^')
        ++i;
    if (i < p.size() && p[i] == ']')
        ++i;
    while (i < p.size() && p[i] != ']') {
        if (p[i] == '\\' && i + 1 < p.size() && p[i + 1] == 'Q') {
            const std::size_t end = p.find("\\E", i + 2);
            i = end == std::string_view::npos ? p.size() : end + 2;
        } else if (p[i] == '\\') {
            i = SkipEscape(p, i);
        } else if (p[i] == '[' && i + 1 < p.size() &&
                   (p[i + 1] == ':' || p[i + 1] == '.' || p[i + 1] == '=')) {
            const std::size_t end = p.find(std::string{p[i + 1], ']'}, i + 2);
            i = end == std::string_view::npos ? i + 1 : end + 2;
        } else {
            ++i;
        }
    }
    return i < p.size() ? i + 1 : i;
}

bool IsRecursionCall(std::string_view inner) {
    // inner is what stands between "(?" and ")".
    if (inner == "R")
        return true;
    if (inner.starts_with("&") || inner.starts_with("P>"))
        return true;
    std::size_t i = 0;
    if (i < inner.size() && (inner[i] == '+' || inner[i] == '-'))
        ++i;
    if (i == inner.size())
        return false;
    for (; i < inner.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(inner[i])))
            return false;
    }
    return true;
}

// Length of the opening of the group at the start of `rest`: "(", "(?:", "(?<name>", "(?i:"...
std::size_t GroupHeadLength(std::string_view rest) {
    if (!rest.starts_with("(?"))
        return 1;
    if (rest.starts_with("(?<=") || rest.starts_with("(?<!"))
        return 4;
    if (rest.starts_with("(?("))
        return 2;  // the condition is read as a group of its own
    if (rest.size() > 2 &&
        (rest[2] == '=' || rest[2] == '!' || rest[2] == ':' || rest[2] == '|' || rest[2] == '>'))
        return 3;
    const bool named =
        rest.starts_with("(?<") || rest.starts_with("(?P<") || rest.starts_with("(?'");
    if (named) {
        const std::size_t end = rest.find_first_of(">'", 3);
        return end == std::string_view::npos ? rest.size() : end + 1;
    }
    // Option letters, as in "(?i:" or "(?s-i)".
    std::size_t i = 2;
    while (i < rest.size() &&
           (std::isalpha(static_cast<unsigned char>(rest[i])) || rest[i] == '-' || rest[i] == '^'))
        ++i;
    return i < rest.size() && rest[i] == ':' ? i + 1 : i;
}

}  // namespace

std::string CompileErrorMessage(int code, std::string_view pattern, std::size_t offset) {
    switch (code) {
        case 109:
            return MisplacedQuantifierMessage(pattern, offset);
        case 104:
            return "Can't do {n, m} with n > m";
        case 108:
        case 150:
            return "invalid range specified in character set";
        case 106:
            return "expecting end of character set";
        case 115:
            return "reference to nonexistent group";
        case 114:
        case 122:
            return "mismatched parenthesis";
        case 127:
            return "Too many alternates in conditional subexpression";
        case 118:
            return "Expecting end of comment";
        case 111:
        case 124:
        case 128:
        case 142:
        case 160:
        case 162:
        case 195:
            return "bad extension sequence";
        case 102:
        case 168:
            return "incomplete escape sequence \\c";
        default:
            return "ill-formed regular expression";
    }
}

PatternTraits ScanPattern(std::string_view p, bool extended) {
    PatternTraits traits;
    std::vector<Atom> groups;  // kind of each open group
    Atom last = Atom::None;
    bool lastClosedGroup = false;  // the last item is a group
    std::size_t i = 0;
    while (i < p.size()) {
        const char c = p[i];
        const bool afterGroup = lastClosedGroup;
        lastClosedGroup = false;
        if (c == '\\') {
            if (i + 1 < p.size() && p[i + 1] == 'Q') {
                const std::size_t end = p.find("\\E", i + 2);
                if (end == std::string_view::npos)
                    return traits;  // quoting runs to the end
                i = end + 2;
                last = Atom::Other;
                continue;
            }
            if (i + 1 < p.size() && p[i + 1] == 'E')
                throw RegexError("quotemeta turned off, but was never turned on");
            i = SkipEscape(p, i);
            last = Atom::Other;
        } else if (c == '[') {
            i = SkipCharacterSet(p, i);
            last = Atom::Other;
        } else if (c == '(') {
            const std::string_view rest = p.substr(i);
            if (rest.starts_with("(?#")) {
                const std::size_t end = p.find(')', i);
                i = end == std::string_view::npos ? p.size() : end + 1;
                continue;
            }
            if (rest.starts_with("(?")) {
                const std::size_t end = p.find(')', i);
                const std::string_view inner = end == std::string_view::npos
                                                   ? std::string_view{}
                                                   : p.substr(i + 2, end - i - 2);
                if (IsRecursionCall(inner)) {
                    i = end + 1;
                    last = Atom::Recursion;
                    continue;
                }
            }
            if (rest.starts_with("(*")) {  // a verb such as (*FAIL)
                const std::size_t end = p.find(')', i);
                i = end == std::string_view::npos ? p.size() : end + 1;
                last = Atom::Other;
                continue;
            }
            const bool lookaround = rest.starts_with("(?=") || rest.starts_with("(?!") ||
                                    rest.starts_with("(?<=") || rest.starts_with("(?<!");
            groups.push_back(lookaround ? Atom::Lookaround : Atom::Other);
            last = Atom::None;
            i += GroupHeadLength(rest);
        } else if (c == ')') {
            last = groups.empty() ? Atom::Other : groups.back();
            if (!groups.empty())
                groups.pop_back();
            lastClosedGroup = true;
            ++i;
        } else if (c == '|') {
            last = Atom::None;
            ++i;
        } else if (c == '*' || c == '+' || c == '?' || CountedQuantifierLength(p, i) > 0) {
            if (last == Atom::Lookaround)
                throw RegexError("look-ahead assertion cannot be quantified");
            if (last == Atom::Recursion)
                throw RegexError("recursion sub-expression cannot be quantified");
            if (afterGroup)
                traits.quantifiedGroup = true;
            i += c == '{' ? CountedQuantifierLength(p, i) : 1;
            if (i < p.size() && (p[i] == '?' || p[i] == '+'))
                ++i;  // lazy or possessive
            last = Atom::None;
        } else if (extended && std::isspace(static_cast<unsigned char>(c))) {
            lastClosedGroup = afterGroup;
            ++i;
        } else if (extended && c == '#') {
            lastClosedGroup = afterGroup;
            const std::size_t end = p.find('\n', i);
            i = end == std::string_view::npos ? p.size() : end + 1;
        } else {
            last = Atom::Other;
            ++i;
        }
    }
    return traits;
}

}  // namespace reelkeep
