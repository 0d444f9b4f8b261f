// The one comparison of titles without regard to case.
#include <gtest/gtest.h>

#include "platform/CaseFold.h"

namespace reelkeep {
namespace {

TEST(CaseFold, TitlesCompareByUnicodeCaseFolding) {
    const struct {
        const char* a;
        const char* b;
        bool equal;
    } cases[] = {
        {"The Film", "the FILM", true},
        {"\xC3\x89lan", "\xC3\xA9LAN", true},                        // Élan, éLAN
        {"Elan", "\xC3\x89lan", false},                                // no accent folding
        {"\xC9" "cole", "\xC3\x89" "COLE", true},                     // Windows-1252 École
        {"\xC9" "cole", "\xC9" "COLE", true},                          // both Windows-1252
        {"\x8A" "a", "\xC5\xA1" "A", true},                           // 1252's Š is š's capital
        {"\xCE\xA3\xCE\xA3", "\xCF\x82\xCF\x83", true},              // ΣΣ, ςσ
        {"Stra\xC3\x9F" "e", "STRASSE", false},                        // simple folding only
        {"\xE2\x84\xAA", "k", true},                                  // the Kelvin sign
        {"abc", "abcd", false},
        {"", "", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EqualIgnoringCase(c.a, c.b), c.equal) << c.a << " / " << c.b;
        EXPECT_EQ(EqualIgnoringCase(c.b, c.a), c.equal) << c.b << " / " << c.a;
    }
}

}  // namespace
}  // namespace reelkeep
