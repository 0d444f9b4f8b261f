#include "present/XmlText.h"

#include <gtest/gtest.h>

namespace reelkeep {
namespace {

TEST(XmlTextTest, Utf8PassesWindows1252FillsInAndXmlForbiddenBecomesReplacement) {
    EXPECT_EQ(ToXmlText("plain <&> text\t\r\n"), "plain <&> text\t\r\n");
    EXPECT_EQ(ToXmlText("na\xC3\xAFve \xF0\x9F\x8E\xAC"), "na\xC3\xAFve \xF0\x9F\x8E\xAC");
    EXPECT_EQ(ToXmlText("\x93quoted\x94"), "\xE2\x80\x9Cquoted\xE2\x80\x9D");
    EXPECT_EQ(ToXmlText("\xFF\xFE"), "\xC3\xBF\xC3\xBE");
    // Each byte of a broken sequence stands alone: a lead byte without its continuation...
    EXPECT_EQ(ToXmlText("\xC3("), "\xC3\x83(");
    // ...an overlong form, a sequence cut short at the end, and a code point above U+10FFFF.
    EXPECT_EQ(ToXmlText("\xC0\xAF"), "\xC3\x80\xC2\xAF");
    EXPECT_EQ(ToXmlText("\xE2\x82"), "\xC3\xA2\xE2\x80\x9A");
    EXPECT_EQ(ToXmlText("\xF4\x90\x80\x80"), "\xC3\xB4\xEF\xBF\xBD\xE2\x82\xAC\xE2\x82\xAC");
    EXPECT_EQ(ToXmlText("\x90"), kReplacementCharacter);  // undefined in Windows-1252
    EXPECT_EQ(ToXmlText("a\x01" "b\x0B" "c\x1F"), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD" "c\xEF\xBF\xBD");
    EXPECT_EQ(ToXmlText("\xEF\xBF\xBE"), kReplacementCharacter);  // U+FFFE
    EXPECT_EQ(ToXmlText(std::string_view("cut\0here", 8)), "cut");
}

}  // namespace
}  // namespace reelkeep
