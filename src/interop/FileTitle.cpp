#include "interop/FileTitle.h"

#include <cctype>
#include <string_view>
#include <vector>

namespace reelkeep {

namespace {

std::string Lower(std::string_view text) {
    std::string lower;
    for (const char c : text) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

bool AllDigits(std::string_view text) {
    if (text.empty()) return false;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

// "1995" or "(1995)": a year a film could have.
std::int32_t YearToken(std::string_view token) {
    if (token.size() == 6 && token.front() == '(' && token.back() == ')') token = token.substr(1, 4);
    if (token.size() != 4 || !AllDigits(token)) return 0;
    const int year = std::stoi(std::string(token));
    return year >= 1880 && year <= 2099 ? year : 0;
}

// Tags that never belong to a title.
bool IsReleaseTag(const std::string& lower) {
    static const char* const kTags[] = {
        "2160p", "1080p", "1080i", "720p", "576p", "480p", "4k", "uhd", "bluray", "blu-ray",
        "brrip", "bdrip", "bdremux", "remux", "web-dl", "webdl", "webrip", "hdtv", "hdrip",
        "dvdrip", "dvdscr", "dvd5", "dvd9", "x264", "x265", "h264", "h265", "hevc", "avc", "xvid",
        "divx", "ac3", "dts", "dts-hd", "truehd", "atmos", "10bit", "8bit", "hdr", "hdr10",
        "aac", "mp3", "mkv", "repack", "yify", "yts",
    };
    for (const char* tag : kTags) {
        if (lower == tag) return true;
    }
    for (const char* prefix : {"ddp", "dd5", "aac2", "aac5", "dts-"}) {
        if (lower.rfind(prefix, 0) == 0) return true;
    }
    return false;
}

// Words that are tags only after a year or another tag ("Charlotte's Web" keeps its web).
bool IsWeakTag(const std::string& lower) {
    for (const char* tag : {"web", "proper", "extended", "unrated", "remastered", "limited",
                            "internal", "multi", "subbed", "dubbed", "pal", "ntsc", "dc", "uncut"}) {
        if (lower == tag) return true;
    }
    return false;
}

// "cd1", "disc2", "disk 3", "part1", "pt2", "dvd1": the marker word and whether its number is
// inside the token already.
bool IsMarkerWord(const std::string& lower, bool& numbered) {
    for (const char* word : {"cd", "disc", "disk", "part", "pt", "dvd"}) {
        const std::string_view w(word);
        if (lower.rfind(w, 0) != 0) continue;
        const std::string_view rest = std::string_view(lower).substr(w.size());
        if (rest.empty() && w != "dvd") {
            numbered = false;
            return true;
        }
        if (rest.size() <= 2 && AllDigits(rest)) {
            numbered = true;
            return true;
        }
    }
    return false;
}

}  // namespace

FileTitle CleanFileTitle(const std::string& fileName) {
    std::string name = fileName;
    const std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0 && name.size() - dot <= 6) name.erase(dot);
    const std::string bare = name;

    // Bracketed groups ("[1080p]", "{tags}") hold tags, never the title.
    std::string text;
    int depth = 0;
    for (const char c : name) {
        if (c == '[' || c == '{') ++depth;
        if (depth == 0) text += c == '.' || c == '_' ? ' ' : c;
        else text += ' ';
        if ((c == ']' || c == '}') && depth > 0) --depth;
    }

    std::vector<std::string> tokens;
    const auto add = [&tokens](std::string word) {
        // "film-cd1": a marker joined by a hyphen is a word of its own.
        const std::size_t hyphen = word.find_last_of('-');
        bool numbered = false;
        if (hyphen != std::string::npos && hyphen > 0 &&
            IsMarkerWord(Lower(word.substr(hyphen + 1)), numbered) && numbered) {
            tokens.push_back(word.substr(0, hyphen));
            word.erase(0, hyphen + 1);
        }
        tokens.push_back(std::move(word));
    };
    std::string token;
    for (const char c : text) {
        if (c == ' ') {
            if (!token.empty()) add(std::move(token));
            token.clear();
        } else {
            token += c;
        }
    }
    if (!token.empty()) add(std::move(token));

    // The title ends at the first tag or marker; a year right before that end is the year.
    std::size_t end = tokens.size();
    for (std::size_t i = 1; i < tokens.size(); ++i) {
        const std::string lower = Lower(tokens[i]);
        bool numbered = false;
        const bool afterYearOrTag = YearToken(tokens[i - 1]) != 0 || IsReleaseTag(Lower(tokens[i - 1]));
        if (IsReleaseTag(lower) || (IsWeakTag(lower) && afterYearOrTag)) {
            end = i;
            break;
        }
        if (IsMarkerWord(lower, numbered)) {
            const bool next = i + 1 < tokens.size() && AllDigits(tokens[i + 1]) && tokens[i + 1].size() <= 2;
            if (numbered || next) {
                end = i;
                break;
            }
        }
        // "(1995)" ends the title wherever it stands.
        if (tokens[i].front() == '(' && YearToken(tokens[i])) {
            end = i + 1;
            break;
        }
    }
    FileTitle result;
    if (end >= 2 || (end == 1 && tokens.size() > 1)) {
        if (const std::int32_t year = YearToken(tokens[end - 1]); year && end >= 2) {
            result.year = year;
            --end;
        }
    }
    for (std::size_t i = 0; i < end; ++i) {
        if (tokens[i] == "-" && (i + 1 == end)) break;
        if (!result.title.empty()) result.title += ' ';
        result.title += tokens[i];
    }
    while (!result.title.empty() &&
           (result.title.back() == '-' || result.title.back() == ' ' || result.title.back() == ',')) {
        result.title.pop_back();
    }
    if (result.title.empty()) {
        result.title = bare;
        result.year = 0;
    }
    return result;
}

}  // namespace reelkeep
