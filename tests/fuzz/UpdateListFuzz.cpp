// The update list comes from a server: any text must parse without harm, and the entries must
// be exactly those of the regular expression the list format is defined by (PCRE2 here).
#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "maint/UpdateList.h"

namespace {

using reelkeep::UpdateEntry;

pcre2_code* Expression() {
    static pcre2_code* code = [] {
        int error = 0;
        PCRE2_SIZE offset = 0;
        const char* pattern = "([a-zA-Z0-9_][\\s\\S]+?)[ \\t]*,[ \\t]*([^;]+)";
        return pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern), PCRE2_ZERO_TERMINATED, 0,
                             &error, &offset, nullptr);
    }();
    return code;
}

// False when the engine gave up (its match limit) before an answer.
bool EntriesByExpression(std::string_view text, std::vector<UpdateEntry>& entries) {
    pcre2_match_data* match = pcre2_match_data_create_from_pattern(Expression(), nullptr);
    PCRE2_SIZE start = 0;
    bool complete = true;
    for (;;) {
        const int rc = pcre2_match(Expression(), reinterpret_cast<PCRE2_SPTR>(text.data()),
                                   text.size(), start, 0, match, nullptr);
        if (rc == PCRE2_ERROR_NOMATCH) break;
        if (rc < 0) {
            complete = false;
            break;
        }
        const PCRE2_SIZE* groups = pcre2_get_ovector_pointer(match);
        entries.push_back({std::string(text.substr(groups[2], groups[3] - groups[2])),
                           std::string(text.substr(groups[4], groups[5] - groups[4]))});
        start = groups[1];
    }
    pcre2_match_data_free(match);
    return complete;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text;
    reelkeep::AppendListBlock(text, {reinterpret_cast<const char*>(data), size});
    const std::vector<UpdateEntry> entries = reelkeep::ParseUpdateList(text);
    for (const UpdateEntry& entry : entries) {
        if (entry.name.size() < 2 || entry.value.empty()) std::abort();
        if (entry.value.find(';') != std::string::npos) std::abort();
    }
    std::vector<UpdateEntry> expected;
    if (text.size() <= 4096 && EntriesByExpression(text, expected) && expected != entries) {
        std::abort();
    }
    return 0;
}
