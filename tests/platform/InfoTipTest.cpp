#include <gtest/gtest.h>

#include <sstream>

#include "platform/InfoTip.h"

namespace reelkeep {
namespace {

std::size_t LongestLine(const std::string& text) {
    std::istringstream lines(text);
    std::size_t longest = 0;
    for (std::string line; std::getline(lines, line);) longest = std::max(longest, line.size());
    return longest;
}

TEST(InfoTip, ShortTextStaysAsItIs) {
    EXPECT_EQ(WrapInfoTip("The Third Man (1949)"), "The Third Man (1949)");
    EXPECT_EQ(WrapInfoTip(std::string(128, 'x')), std::string(128, 'x'));
    EXPECT_EQ(WrapInfoTip(""), "");
}

TEST(InfoTip, BreaksAtTheLastSpaceWithinTheWidth) {
    EXPECT_EQ(WrapInfoTip("aaaa bbb cc dd", 8), "aaaa bbb\ncc dd");
    // A space exactly at the limit is taken: the line before it is exactly the width.
    EXPECT_EQ(WrapInfoTip("aaaaaaaa bb", 8), "aaaaaaaa\nbb");

    std::string words;
    for (int i = 0; i < 60; ++i) words += "word" + std::to_string(i) + ' ';
    const std::string wrapped = WrapInfoTip(words);
    EXPECT_LE(LongestLine(wrapped), 128u);
    EXPECT_GT(LongestLine(wrapped), 120u);  // filled, not broken at every space
    // Only spaces became breaks; nothing was added or lost.
    std::string back = wrapped;
    for (char& c : back) c = c == '\n' ? ' ' : c;
    EXPECT_EQ(back, words);
}

TEST(InfoTip, AWordLongerThanTheWidthRunsOnToTheNextSpace) {
    EXPECT_EQ(WrapInfoTip("abcdefghijk lm no", 8), "abcdefghijk\nlm no");
    // Nothing to break at: the rest stays on one line.
    EXPECT_EQ(WrapInfoTip("ab abcdefghijklmn", 8), "ab\nabcdefghijklmn");
    EXPECT_EQ(WrapInfoTip(std::string(300, 'y')), std::string(300, 'y'));
}

TEST(InfoTip, ExistingLineBreaksStartANewLine) {
    EXPECT_EQ(WrapInfoTip("abc\ndefgh ijklm nop", 8), "abc\ndefgh\nijklm\nnop");
    EXPECT_EQ(WrapInfoTip("abcdefghijkl\nmn", 8), "abcdefghijkl\nmn");
}

}  // namespace
}  // namespace reelkeep
