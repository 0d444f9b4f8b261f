// Where the program finds its own files: beside itself, or where an install puts them.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/Folders.h"
#include "support/TempFolder.h"

namespace reelkeep {
namespace {

TEST(ProgramDataFolder, BesideTheProgramFirstThenTheInstalledShareFolder) {
    test::TempFolder prefix;
    const std::string bin = prefix / "bin/";
    std::filesystem::create_directories(bin);
    // Neither: the folder beside the program, as in a build tree before its files are copied.
    EXPECT_EQ(ProgramDataFolder(bin, "Templates"), bin + "Templates/");

    std::filesystem::create_directories(prefix / "share/reelkeep/Templates");
    std::filesystem::create_directories(prefix / "share/reelkeep/Scripts/Include");
    EXPECT_EQ(ProgramDataFolder(bin, "Templates"), prefix / "share/reelkeep/Templates/");
    EXPECT_EQ(ProgramDataFolder(prefix / "bin", "Scripts"), prefix / "share/reelkeep/Scripts/");

    // Files beside the program win: the build tree, or a copy put there by hand.
    std::filesystem::create_directories(bin + "Templates");
    EXPECT_EQ(ProgramDataFolder(bin, "Templates"), bin + "Templates/");
    EXPECT_EQ(ProgramDataFolder(bin, "Scripts"), prefix / "share/reelkeep/Scripts/");
}

}  // namespace
}  // namespace reelkeep
