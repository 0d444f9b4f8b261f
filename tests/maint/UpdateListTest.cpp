// The pieces the update check is made of: the list parser, version markers and digests.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "maint/FileDigest.h"
#include "maint/UpdateList.h"
#include "maint/VersionMarker.h"
#include "support/TempFolder.h"

namespace reelkeep {
namespace {

using Entries = std::vector<UpdateEntry>;

TEST(UpdateListTest, EntriesInFileOrderWithTheirGroups) {
    EXPECT_EQ(ParseUpdateList(""), Entries{});
    EXPECT_EQ(ParseUpdateList("Reelkeep, v1.0.0.1;\r\nTemplates\\View.xsl ,\tc00FF;\n"),
              (Entries{{"Reelkeep", "v1.0.0.1"}, {"Templates\\View.xsl", "c00FF"}}));
    // Blanks inside a name stay; blanks around the comma belong to the separator; blanks
    // and line breaks before the ";" belong to the value.
    EXPECT_EQ(ParseUpdateList("My File.txt  ,  v1.2.3.4 \r\n;"),
              (Entries{{"My File.txt", "v1.2.3.4 \r\n"}}));
    // Without ";" the first value runs to the end of the text.
    EXPECT_EQ(ParseUpdateList("a.dll, v1.0.0.0\nb.dll, v2.0.0.0\n"),
              (Entries{{"a.dll", "v1.0.0.0\nb.dll, v2.0.0.0\n"}}));
}

TEST(UpdateListTest, ShortestNameAndValueRules) {
    // A name has at least two characters: "a," is the start of a longer name.
    EXPECT_EQ(ParseUpdateList("a,b, x;"), (Entries{{"a,b", "x"}}));
    // The name must start with a letter, digit or underscore; text before is skipped.
    EXPECT_EQ(ParseUpdateList("#!- _x, v1;"), (Entries{{"_x", "v1"}}));
    // A comma followed directly by ";" leaves no value: the name runs on to the next comma,
    // across the ";" and a line break.
    EXPECT_EQ(ParseUpdateList("ab,;\ncd, v1;"), (Entries{{"ab,;\ncd", "v1"}}));
    // Only blanks before the ";": the last blank is the value.
    EXPECT_EQ(ParseUpdateList("ab,   ;"), (Entries{{"ab", " "}}));
    // No comma with a value anywhere: nothing.
    EXPECT_EQ(ParseUpdateList("name without comma;\nab,;"), Entries{});
    // A name of blanks after its first character keeps two characters.
    EXPECT_EQ(ParseUpdateList("a  , v;"), (Entries{{"a ", "v"}}));
    // Eight-bit text is no name start, but may be part of a name or value.
    EXPECT_EQ(ParseUpdateList("\xE9t\xE9, c\xFF;"), (Entries{{"t\xE9", "c\xFF"}}));
}

// The resident memory the process has gained at its peak since `start` (after ResetPeak).
long PeakGrowthKiB(long start) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6)) - start;
    }
    return -1;
}
long ResetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
}

TEST(UpdateListTest, ParsingTakesMemoryForTheEntriesNotForEveryByte) {
    // 32 MiB of line breaks between a few entries, as a hostile server may send.
    std::string text;
    for (int i = 0; i < 4; ++i) text += "file" + std::to_string(i) + ".txt, x;" + std::string(8 << 20, '\n');
    const long start = ResetPeak();
    const Entries entries = ParseUpdateList(text);
    const long grown = PeakGrowthKiB(start);
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[3], (UpdateEntry{"file3.txt", "x"}));
    ASSERT_GE(grown, 0);
    // Never a word per byte of the list (that would be 256 MiB here).
    EXPECT_LT(grown, 4 * 1024) << grown << " KiB";
}

TEST(UpdateListTest, BlocksEndAtTheirFirstZero) {
    std::string text;
    AppendListBlock(text, std::string_view("ab, v1\0junk", 11));
    AppendListBlock(text, ";cd, v2");
    EXPECT_EQ(text, "ab, v1;cd, v2");
}

TEST(VersionMarkerTest, PacksAndFindsTheFirstWellFormedMarker) {
    EXPECT_EQ(PackVersion(1, 2, 3, 4), 0x0001000200030004u);
    EXPECT_GT(PackVersion(1, 0, 40000, 0), PackVersion(1, 0, 39999, 0));
    using namespace std::string_literals;
    EXPECT_EQ(FindVersionMarker("xx RKVERSION:1.2.3.4\0yy"s), PackVersion(1, 2, 3, 4));
    EXPECT_EQ(FindVersionMarker("RKVERSION:\0RKVERSION:1.2.3\0RKVERSION:9.9.9.99999\0"
                                "RKVERSION:65535.0.0.1\0"s),
              PackVersion(65535, 0, 0, 1));
    EXPECT_FALSE(FindVersionMarker("RKVERSION:1.2.3.4"s));  // no terminating zero
    EXPECT_FALSE(FindVersionMarker("RKVERSION:65536.0.0.0\0"s));
    EXPECT_FALSE(FindVersionMarker(""));
}

TEST(VersionMarkerTest, FileVersionAcrossReadBoundaries) {
    test::TempFolder folder;
    // Markers placed so that they straddle the reader's 64 KiB blocks.
    for (const std::size_t offset : {std::size_t{0}, std::size_t{65536 - 12},
                                     std::size_t{65536 * 3 - 1}}) {
        std::string bytes(offset, 'R');
        bytes += std::string("RKVERSION:1.0.40000.7\0", 22) + std::string(100, 'x');
        test::WriteFileBytes(folder / "file", bytes);
        EXPECT_EQ(ReadFileVersion(folder / "file"), PackVersion(1, 0, 40000, 7)) << offset;
    }
    test::WriteFileBytes(folder / "plain", std::string(200000, 'R'));
    EXPECT_FALSE(ReadFileVersion(folder / "plain"));
    EXPECT_FALSE(ReadFileVersion(folder / "missing"));
    // Our own programs carry the project's version.
    EXPECT_EQ(ReadFileVersion("/proc/self/exe"), PackVersion(1, 0, 0, 0));
}

TEST(FileDigestTest, UpperCaseMd5OfTheWholeFile) {
    test::TempFolder folder;
    test::WriteFileBytes(folder / "empty", "");
    test::WriteFileBytes(folder / "abc", "abc");
    test::WriteFileBytes(folder / "big", std::string(8192 * 3 + 5, 'a'));
    EXPECT_EQ(FileDigestText(folder / "empty"), "D41D8CD98F00B204E9800998ECF8427E");
    EXPECT_EQ(FileDigestText(folder / "abc"), "900150983CD24FB0D6963F7D28E17F72");
    EXPECT_EQ(FileDigestText(folder / "big")->size(), 32u);
    EXPECT_FALSE(FileDigestText(folder / "missing"));
    EXPECT_FALSE(FileDigestText(folder.Path()));
}

}  // namespace
}  // namespace reelkeep
