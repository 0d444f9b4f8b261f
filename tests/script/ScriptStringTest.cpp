// The script `string`, exercised through scripts as users write them.
#include <gtest/gtest.h>

#include "ScriptProbe.h"

namespace reelkeep::test {
namespace {

// Runs `script` and expects it to succeed; returns the probe for its results.
ScriptProbe RunOk(std::string_view script, std::string_view include = {}) {
    ScriptProbe probe;
    const ScriptRunResult result = probe.Run(script, include);
    EXPECT_TRUE(result.succeeded) << script << "\n" << result.output;
    return probe;
}

std::string Text(std::string_view script) {
    return RunOk(script).text;
}
int Number(std::string_view script) {
    return RunOk(script).number;
}
bool Flag(std::string_view script) {
    return RunOk(script).flag;
}

TEST(ScriptString, ZeroBytesEndLiteralsButSurviveCopiesAssignmentAndAppend) {
    EXPECT_EQ(Text("text = 'ab\\0cd';"), "ab");

    // A page with a zero byte inside, as a download may give it, held in a local variable.
    const char* page = "string page = 'abXcd'; page[2] = 0;\n";
    ScriptProbe kept =
        RunOk(std::string(page) + "string all; all = page; all += page; text = all;");
    EXPECT_EQ(kept.text, std::string("ab\0cdab\0cd", 10));

    ScriptProbe copied = RunOk(std::string(page) +
                               "string copy(page); number = copy.length();"
                               "string other = page; text = other;");
    EXPECT_EQ(copied.number, 5);
    EXPECT_EQ(copied.text, std::string("ab\0cd", 5));
}

TEST(ScriptString, ScriptTextIsReadAsEightBitBytes) {
    // A Windows-1252 "é" written straight into a script file, and one written as an escape.
    EXPECT_EQ(Text("text = 'caf\xE9';"), "caf\xE9");
    EXPECT_EQ(Text("text = 'caf\\xE9';"), "caf\xE9");
}

TEST(ScriptString, FindAndReverseFind) {
    EXPECT_EQ(Number("number = string('abc').find('');"), 0);
    EXPECT_EQ(Number("number = string('abc').find('x');"), -1);
    EXPECT_EQ(Number("number = string('abcabc').rfind('bc');"), 4);
    EXPECT_EQ(Number("number = string('abcabc').find('bc', 2);"), 4);
    EXPECT_EQ(Number("number = string('abcabc').rfind('bc', 3);"), 1);
    // A start exactly where a match begins finds that match.
    EXPECT_EQ(Number("number = string('abcabc').rfind('bc', 4);"), 4);
    EXPECT_EQ(Number("number = string('abcabc').rfind('abc', 0);"), 0);
    EXPECT_EQ(Number("number = string('abcabc').find('bc', 4);"), 4);
    EXPECT_EQ(Number("number = string('abc').find('a', 100);"), -1);
    EXPECT_EQ(Number("number = string('abc').rfind('c', 100);"), 2);
}

TEST(ScriptString, PartsClampAtTheEnd) {
    EXPECT_EQ(Text("text = string('abc').left(10);"), "abc");
    EXPECT_EQ(Text("text = string('abcdef').mid(2, 2);"), "cd");
    EXPECT_EQ(Text("text = string('abcdef').mid(4, 10);"), "ef");
    EXPECT_EQ(Text("text = string('abcdef').right(2);"), "ef");
    EXPECT_EQ(Text("text = string('abc').right(10);"), "abc");
    EXPECT_EQ(Text("text = string('abc').mid(10);"), "");
    EXPECT_EQ(Text("text = string('abcdef', 2);"), "cdef");
    EXPECT_EQ(Text("text = string('abcdef', 2, 3);"), "cde");
    EXPECT_EQ(Text("text = string('abc', 10) + string('abc', 10, 1);"), "");
}

TEST(ScriptString, EditingInPlace) {
    EXPECT_EQ(Text("text = 'abcdef'; text.erase(3);"), "abc");
    EXPECT_EQ(Text("text = 'abcdef'; text.erase(1, 2);"), "adef");
    EXPECT_EQ(Text("text = 'abcdef'; text.erase(10).erase(4, 100);"), "abcd");
    EXPECT_EQ(Text("text = 'abef'; text.insert(2, 'cd');"), "abcdef");
    EXPECT_EQ(Text("text = 'ab'; text.insert(10, 'c').insert(0, '>');"), ">abc");
    EXPECT_EQ(Text("text = 'abc'; text.clear(); flag = text.empty();"), "");
    EXPECT_TRUE(Flag("text = 'abc'; text.clear(); flag = text.empty();"));
}

TEST(ScriptString, ReplaceDoesNotOverlapNorSearchInsertedText) {
    EXPECT_EQ(Text("text = 'aaa'; text.replace('aa', 'b');"), "ba");
    EXPECT_EQ(Text("text = 'a.b.c'; text.replace('.', '..');"), "a..b..c");
    EXPECT_EQ(Text("text = 'abc'; text.replace('x', 'y');"), "abc");
    // An empty search text is found nowhere new: nothing changes, and the call returns.
    EXPECT_EQ(Text("text = 'abc'; text.replace('', 'x');"), "abc");
}

TEST(ScriptString, IndexReadsAndWritesBytesAndStopsTheScriptOutOfRange) {
    EXPECT_EQ(Number("text = '\\xE9a'; number = text[0];"), 0xE9);
    EXPECT_EQ(Text("text = 'abc'; text[1] = 66;"), "aBc");

    ScriptProbe probe;
    const ScriptRunResult result = probe.Run("text = 'abc';\nnumber = text[3];\ntext = 'no';");
    EXPECT_FALSE(result.succeeded);
    EXPECT_EQ(result.output, "ExecuteString (2, 1) : Error : Out of range\n");
    EXPECT_EQ(probe.text, "abc");
}

TEST(ScriptString, ComparesUnsignedBytesWithoutCaseFolding) {
    EXPECT_TRUE(Flag("flag = string('Zebra') < 'apple';"));
    EXPECT_TRUE(Flag("flag = string('ab') < 'abc';"));
    EXPECT_TRUE(Flag("flag = string('\\xE9') > 'z';"));  // 233 sorts after ASCII
    EXPECT_TRUE(Flag("flag = string('abc') == 'abc' && string('abc') != 'abd';"));
    EXPECT_TRUE(Flag("flag = string('b') >= 'a' && string('a') <= 'a' && !(string('a') > 'a');"));
}

TEST(ScriptString, NumbersBecomeText) {
    EXPECT_EQ(Text("text = 'x'; text += 3; text += 2.5;"), "x32.5");
    EXPECT_EQ(Text("text = 10 + string('a');"), "10a");
    EXPECT_EQ(Text("text = ''; text += bits(4096);"), "1000");
    EXPECT_EQ(Text("text = bits(255);"), "ff");
    EXPECT_EQ(Text("text = 1234567.0;"), "1.23457e+006");
    EXPECT_EQ(Text("text = 0.5;"), "0.5");
    EXPECT_EQ(Text("text = 1e-10;"), "1e-010");
    EXPECT_EQ(Text("text = -7;"), "-7");
    EXPECT_EQ(Text("uint big = 4294967295; text = big;"), "4294967295");
    EXPECT_EQ(Text("text = string('n=') + -3 + ',' + 2.5 + ',' + bits(10);"), "n=-3,2.5,a");
    EXPECT_EQ(Text("text = 1.5 + string('|') + uint(7);"), "1.5|7");
}

TEST(ScriptString, BitsCoexistWithUintAndCombineBitwise) {
    EXPECT_EQ(Text("bits b = 12; b |= 3; text = b & 10;"), "a");
    EXPECT_EQ(Text("bits b = 1; b = b << 4; uint u = b; text = u;"), "16");
    EXPECT_TRUE(Flag("bits b = 5; flag = b == bits(5) && (b ^ 1) == bits(4);"));
}

TEST(ScriptString, LeadingNumbers) {
    EXPECT_EQ(Number("number = atoi('10.5kg');"), 10);
    EXPECT_EQ(RunOk("real = atof('10.5kg');").real, 10.5);
    EXPECT_EQ(Number("number = atoi('abc');"), 0);
    EXPECT_EQ(RunOk("real = atof('abc');").real, 0.0);
    EXPECT_EQ(Number("number = atoi('  -42 apples');"), -42);
    EXPECT_EQ(RunOk("real = atof(' +1.5e3x');").real, 1500.0);
    EXPECT_EQ(RunOk("real = atof('0x10');").real, 0.0);  // decimal only
    EXPECT_EQ(Number("number = atoi('99999999999');"), 2147483647);
}

TEST(ScriptString, FirstMatchExtraction) {
    EXPECT_EQ(Text("text = string('TITLE: Foo') % 'title: (.*)';"), "Foo");
    EXPECT_EQ(Text("text = string('abc') % 'x(y)';"), "");
    EXPECT_EQ(Text("text = string('abc') % 'b';"), "b");
    EXPECT_EQ(Text("text = string('Year: 1999') % 'year: (\\\\d+)';"), "1999");
    // Groups are concatenated; one that took no part adds nothing.
    EXPECT_EQ(Text("text = string('2024-05') % '(\\\\d+)-(x)?(\\\\d+)';"), "202405");
    // Multi-line: "^" matches after a line break.
    EXPECT_EQ(Text("text = string('a\\nb: 1') % '^b: (\\\\d)';"), "1");
}

TEST(ScriptString, UnescapeDecodesDecimalReferencesOnly) {
    EXPECT_EQ(Text("text = '&#65;&#66;'; text.unescape();"), "AB");
    EXPECT_EQ(Text("text = '&#x41;'; text.unescape();"), "&#x41;");
    EXPECT_EQ(Text("text = 'Caf&#233; &#38; Bar'; text.unescape();"), "Caf\xE9 & Bar");
    EXPECT_EQ(Text("text = '&amp;&#;&#12'; text.unescape();"), "&amp;&#;&#12");
    EXPECT_EQ(Text("text = '&#321;&#99999999999;'; text.unescape();"), "A\xFF");
    // A decoded "&" does not start a further reference.
    EXPECT_EQ(Text("text = '&#38;#65;'; text.unescape();"), "&#65;");
    EXPECT_EQ(Text("text = '&&#65;'; text.unescape();"), "&A");
}

TEST(ScriptString, IncludeDeclarationsAreUsableFromTheScript) {
    const char* include = "string Twice(const string &in s) { return s + s; }\n";
    ScriptProbe probe = RunOk("text = Twice('ab');", include);
    EXPECT_EQ(probe.text, "abab");
}

}  // namespace
}  // namespace reelkeep::test
