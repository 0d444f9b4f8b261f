#include "script/regex/Substitution.h"

#include <cctype>

#include "script/regex/RegexError.h"

namespace reelkeep {
namespace {

// Case changes are ASCII only, whatever locale the program runs in.
char AsciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

std::string NormalizeSubstitution(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        // "\a" bell, "\e" escape, "\f" form feed, "\n", "\r", "\t", "\v".
        static constexpr std::string_view kLetters = "aefnrtv";
        static constexpr std::string_view kControls = "\a\x1b\f\n\r\t\v";
        const std::size_t which = kLetters.find(text[i + 1]);
        const char control = which == std::string_view::npos ? 0 : kControls[which];
        if (control != 0) {
            out += control;
        } else {
            out += text[i];
            out += text[i + 1];  // "\\" stays a pair, so its second backslash escapes nothing
        }
        ++i;
    }
    return out;
}

void Substitution::AddLiteral(char c) {
    if (pieces_.empty() || pieces_.back().kind != Kind::Literal)
        pieces_.push_back({Kind::Literal, {}, 0});
    pieces_.back().text += c;
}

Substitution::Substitution(std::string_view text, std::size_t groupCount) {
    bool quoting = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoting) {
            if (c == '\\' && i + 1 < text.size() && text[i + 1] == 'E') {
                quoting = false;
                ++i;
            } else {
                AddLiteral(c);
            }
        } else if (c == '\\') {
            if (i + 1 == text.size())
                throw RegexError("expecting escape sequence in substitution string");
            const char next = text[++i];
            switch (next) {
                case 'Q':
                    quoting = true;
                    break;
                case 'E':
                    pieces_.push_back({Kind::NoCase, {}, 0});
                    break;
                case 'U':
                    pieces_.push_back({Kind::Upper, {}, 0});
                    break;
                case 'L':
                    pieces_.push_back({Kind::Lower, {}, 0});
                    break;
                case 'u':
                    pieces_.push_back({Kind::NextUpper, {}, 0});
                    break;
                case 'l':
                    pieces_.push_back({Kind::NextLower, {}, 0});
                    break;
                default:
                    AddLiteral(next);
                    break;
            }
        } else if (c == '$' && i + 1 < text.size()) {
            const char next = text[i + 1];
            if (std::isdigit(static_cast<unsigned char>(next))) {
                // As many digits as still name a group of the pattern.
                std::size_t group = static_cast<std::size_t>(next - '0');
                if (group > groupCount)
                    throw RegexError("invalid backreference in substitution");
                i += 1;
                while (i + 1 < text.size() &&
                       std::isdigit(static_cast<unsigned char>(text[i + 1]))) {
                    const std::size_t longer =
                        group * 10 + static_cast<std::size_t>(text[i + 1] - '0');
                    if (longer > groupCount)
                        break;
                    group = longer;
                    ++i;
                }
                pieces_.push_back({Kind::Group, {}, group});
            } else if (next == '&') {
                pieces_.push_back({Kind::Group, {}, 0});
                ++i;
            } else if (next == '`') {
                pieces_.push_back({Kind::Before, {}, 0});
                ++i;
            } else if (next == '\'') {
                pieces_.push_back({Kind::After, {}, 0});
                ++i;
            } else {
                AddLiteral(c);
            }
        } else {
            AddLiteral(c);
        }
    }
}

void Substitution::Expand(std::string& out, std::string_view subject,
                          std::span<const MatchSpan> groups) const {
    enum class Case { None, Upper, Lower };
    Case mode = Case::None;
    Case next = Case::None;
    const auto emit = [&](std::string_view text) {
        for (const char c : text) {
            const Case apply = next != Case::None ? next : mode;
            next = Case::None;
            out += apply == Case::Upper ? AsciiUpper(c) : apply == Case::Lower ? AsciiLower(c) : c;
        }
    };
    const MatchSpan whole = groups.empty() ? MatchSpan{} : groups[0];
    for (const Piece& piece : pieces_) {
        switch (piece.kind) {
            case Kind::Literal:
                emit(piece.text);
                break;
            case Kind::Group:
                if (piece.group < groups.size() && groups[piece.group].IsSet()) {
                    const MatchSpan g = groups[piece.group];
                    emit(subject.substr(g.start, g.end - g.start));
                }
                break;
            case Kind::Before:
                if (whole.IsSet())
                    emit(subject.substr(0, whole.start));
                break;
            case Kind::After:
                if (whole.IsSet())
                    emit(subject.substr(whole.end));
                break;
            case Kind::Upper:
                mode = Case::Upper;
                break;
            case Kind::Lower:
                mode = Case::Lower;
                break;
            case Kind::NoCase:
                mode = Case::None;
                break;
            case Kind::NextUpper:
                next = Case::Upper;
                break;
            case Kind::NextLower:
                next = Case::Lower;
                break;
        }
    }
}

}  // namespace reelkeep
