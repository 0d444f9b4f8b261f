#include "script/ScriptFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/TempFolder.h"

namespace reelkeep {
namespace {

using test::TempFolder;
using test::WriteFileBytes;

TEST(ScriptFiles, ScriptsAreListedInOrderWithTheirCommandsAndFoldersSkipped) {
    TempFolder scripts;
    EXPECT_TRUE(FindScripts(scripts.Path()).empty());
    EXPECT_TRUE(FindScripts(scripts / "missing/").empty());

    WriteFileBytes(scripts / "beta.rks", "");
    WriteFileBytes(scripts / "Alpha.rks", "");
    WriteFileBytes(scripts / "alpha2.rks", "");
    WriteFileBytes(scripts / "notes.txt", "");
    WriteFileBytes(scripts / "gamma.rks.bak", "");
    WriteFileBytes(scripts / "Upper.RKS", "");  // opened again as NAME + ".rks": not a script
    std::filesystem::create_directory(scripts / "folder.rks");

    const auto found = FindScripts(scripts.Path());
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].name, "Alpha");
    EXPECT_EQ(found[0].command, 0xF000u);
    EXPECT_EQ(found[1].name, "alpha2");
    EXPECT_EQ(found[1].command, 0xF001u);
    EXPECT_EQ(found[2].name, "beta");
    EXPECT_EQ(found[2].command, 0xF002u);
}

TEST(ScriptFiles, ListingOrderIgnoresCaseFirst) {
    EXPECT_TRUE(ListingOrder("a", "B"));
    EXPECT_TRUE(ListingOrder("B", "c"));
    EXPECT_TRUE(ListingOrder("B", "b"));  // same letters: bytewise
    EXPECT_FALSE(ListingOrder("b", "B"));
    EXPECT_TRUE(ListingOrder("ab", "abc"));
    EXPECT_TRUE(ListingOrder("a", "_x"));  // as upper case: "A" sorts before "_"
}

TEST(ScriptFiles, IncludeTextJoinsEveryIncludeFileThenTheScriptsOwn) {
    TempFolder scripts;
    std::filesystem::create_directories(scripts / "Include/sub");
    WriteFileBytes(scripts / "Include/b.txt", "int b = 2;\n");
    WriteFileBytes(scripts / "Include/a.txt", "int a = 1;");  // no line break at its end
    WriteFileBytes(scripts / "Include/.hidden", "// hidden\n");
    WriteFileBytes(scripts / "Include/sub/skipped.txt", "skipped");
    WriteFileBytes(scripts / "Fetch.rki", "int own = 3;\n");
    WriteFileBytes(scripts / "Fetch.rks", std::string("szPlot = 'x';\0\xFF", 15));

    EXPECT_EQ(ReadIncludeText(scripts.Path(), "Fetch"), "// hidden\nint a = 1;int b = 2;\nint own = 3;\n");
    EXPECT_EQ(ReadIncludeText(scripts.Path(), "Other"), "// hidden\nint a = 1;int b = 2;\n");
    EXPECT_EQ(ReadScriptText(scripts.Path(), "Fetch"), std::string("szPlot = 'x';\0\xFF", 15));
    EXPECT_FALSE(ReadScriptText(scripts.Path(), "Missing"));
    EXPECT_EQ(ReadIncludeText(scripts / "none/", "x"), "");
}

}  // namespace
}  // namespace reelkeep
