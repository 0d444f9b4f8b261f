// The settings store on real files in a temporary home.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "maint/MaintTestSupport.h"
#include "maint/Settings.h"
#include "maint/SettingsFile.h"
#include "support/TempFolder.h"

namespace reelkeep {
namespace {

using test::ReadFileBytes;
using test::ScopedEnv;
using test::WriteFileBytes;

class SettingsTest : public ::testing::Test {
protected:
    std::string ConfigPath() const { return home.Path() + "config/Tarvenn/Reelkeep.conf"; }
    void WriteConfig(const std::string& text) {
        std::filesystem::create_directories(home.Path() + "config/Tarvenn");
        WriteFileBytes(ConfigPath(), text);
    }
    Settings Load() { return LoadSettings(home.Path() + "program"); }

    test::TempFolder home;
    ScopedEnv homeEnv{"HOME", home.Path().substr(0, home.Path().size() - 1)};
    ScopedEnv configEnv{"XDG_CONFIG_HOME", home.Path() + "config"};
};

TEST_F(SettingsTest, FirstStartTakesDefaultsAndTheCloseWritesAllSix) {
    const Settings settings = Load();
    EXPECT_EQ(settings.programFolder, home.Path() + "program/");
    EXPECT_EQ(settings.database, home.Path() + "Documents/Reelkeep/");
    EXPECT_TRUE(std::filesystem::is_directory(settings.database));
    EXPECT_EQ(settings.databaseFile, settings.database + "Movies.db");
    EXPECT_EQ(settings.view, home.Path() + "program/Templates/View.xsl");
    EXPECT_EQ(settings.edit, home.Path() + "program/Templates/Edit.xsl");
    EXPECT_EQ(settings.multiple, home.Path() + "program/Templates/Multiple.xsl");
    EXPECT_EQ(settings.autoUpdate, 1u);
    EXPECT_EQ(settings.timeout, 0u);

    ASSERT_TRUE(SaveSettings(settings));
    EXPECT_EQ(ReadFileBytes(ConfigPath()),
              "# Reelkeep settings: Name=string:text or Name=number:value\n"
              "Database=string:" + settings.database + "\n"
              "View=string:" + settings.view + "\n"
              "Edit=string:" + settings.edit + "\n"
              "Multiple=string:" + settings.multiple + "\n"
              "AutoUpdate=number:1\n"
              "Timeout=number:0\n");
}

TEST_F(SettingsTest, SavedValuesComeBackAndOtherValuesSurvive) {
    WriteConfig("Other=string:kept\n");
    Settings settings = Load();
    settings.database = home.Path() + "Movies \\ \"odd\"\n/";
    settings.view = "/t/V\xE9.xsl";
    settings.edit = "/t/E.xsl";
    settings.multiple = "/t/M.xsl";
    settings.autoUpdate = 0;
    settings.timeout = 500000;
    ASSERT_TRUE(SaveSettings(settings));

    const Settings loaded = Load();
    EXPECT_EQ(loaded.database, settings.database);
    EXPECT_EQ(loaded.view, settings.view);
    EXPECT_EQ(loaded.edit, settings.edit);
    EXPECT_EQ(loaded.multiple, settings.multiple);
    EXPECT_EQ(loaded.autoUpdate, 0u);
    EXPECT_EQ(loaded.timeout, 500000u);
    const SettingsFile file = SettingsFile::Read(ConfigPath());
    const SettingValue* other = file.Find("Other");
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->text, "kept");
    // Written through a temporary file: nothing else is left in the folder.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(home.Path() + "config/Tarvenn"),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(SettingsTest, TypeRulesOfEachValue) {
    const std::string longest(kMaxSettingText, 'd');
    WriteConfig("Database=string:/data/catalog\n"
                "View=number:7\n"
                "Edit=string:/" + longest.substr(1) + "\n"
                "Multiple=string:/" + longest + "\n"
                "AutoUpdate=string:0\n"
                "Timeout=string:ab\n");
    Settings settings = Load();
    // A folder without its trailing slash gets one.
    EXPECT_EQ(settings.database, "/data/catalog/");
    EXPECT_EQ(settings.databaseFile, "/data/catalog/Movies.db");
    // Only a string counts as a string; 260 characters fit, 261 do not.
    EXPECT_EQ(settings.view, home.Path() + "program/Templates/View.xsl");
    EXPECT_EQ(settings.edit, "/" + longest.substr(1));
    EXPECT_EQ(settings.multiple, home.Path() + "program/Templates/Multiple.xsl");
    // AutoUpdate only as a number; Timeout takes up to four raw bytes of any type.
    EXPECT_EQ(settings.autoUpdate, 1u);
    EXPECT_EQ(settings.timeout, 'a' | ('b' << 8));

    WriteConfig("Database=string:/" + longest + "\nAutoUpdate=number:0\nTimeout=string:abcd\n");
    settings = Load();
    EXPECT_EQ(settings.database, home.Path() + "Documents/Reelkeep/");
    EXPECT_EQ(settings.autoUpdate, 0u);
    EXPECT_EQ(settings.timeout, 0u);
}

TEST_F(SettingsTest, CorruptOrUnreadableFileReadsAsMissingValues) {
    WriteConfig(std::string("\0\xFF garbage\nDatabase=string:/kept\nView=string:bad\\q\n"
                            "AutoUpdate=number:99999999999\nTimeout=number:-1\n=string:x\n",
                            82));
    Settings settings = Load();
    EXPECT_EQ(settings.database, "/kept/");
    EXPECT_EQ(settings.view, home.Path() + "program/Templates/View.xsl");
    EXPECT_EQ(settings.autoUpdate, 1u);
    EXPECT_EQ(settings.timeout, 0u);

    std::filesystem::remove(ConfigPath());
    std::filesystem::create_directory(ConfigPath());  // a folder where the file should be
    settings = Load();
    EXPECT_EQ(settings.database, home.Path() + "Documents/Reelkeep/");
    EXPECT_FALSE(SaveSettings(settings));
    EXPECT_TRUE(std::filesystem::is_directory(ConfigPath()));
}

TEST_F(SettingsTest, SaveThatCannotWriteLeavesTheOldFileWhole) {
    WriteConfig("Database=string:/old/\n");
    const std::string before = ReadFileBytes(ConfigPath());
    Settings settings = Load();
    ::chmod((home.Path() + "config/Tarvenn").c_str(), 0500);
    if (::geteuid() != 0) {
        EXPECT_FALSE(SaveSettings(settings));
    }
    ::chmod((home.Path() + "config/Tarvenn").c_str(), 0700);
    EXPECT_EQ(ReadFileBytes(ConfigPath()), before);

    // No place for the folder at all: nothing is written, no error escapes.
    WriteFileBytes(home.Path() + "blocked", "");
    ScopedEnv blocked("XDG_CONFIG_HOME", home.Path() + "blocked");
    EXPECT_FALSE(SaveSettings(settings));
}

TEST_F(SettingsTest, LoadWritesTheTwoDebugLines) {
    test::TraceListener viewer;
    WriteConfig("Database=string:/somewhere\n");
    Load();
    const auto lines = viewer.TakeTexts();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "Path: " + home.Path() + "program/");
    EXPECT_EQ(lines[1], "Loading database: /somewhere/");
}

TEST(SettingsFileTest, EveryByteOfAStringSurvivesTheFile) {
    std::string all;
    for (int byte = 1; byte < 256; ++byte) all.push_back(static_cast<char>(byte));
    SettingsFile file;
    file.Set("All", SettingValue::String(all));
    file.Set("Max", SettingValue::Number(4294967295u));
    const SettingsFile back = SettingsFile::Parse(file.Serialize());
    ASSERT_NE(back.Find("All"), nullptr);
    EXPECT_EQ(back.Find("All")->text, all);
    EXPECT_EQ(back.Find("Max")->number, 4294967295u);
    EXPECT_EQ(file.Serialize().find('\r'), std::string::npos);
}

}  // namespace
}  // namespace reelkeep
