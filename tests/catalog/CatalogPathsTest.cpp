#include "catalog/CatalogPaths.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "platform/Folders.h"
#include "support/TempFolder.h"

namespace reelkeep {
namespace {

using test::TempFolder;

// Points HOME and XDG_CONFIG_HOME into a temp folder for one test.
class IsolatedHome : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("HOME", (home / "user").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
        std::filesystem::create_directories(home / "user");
    }
    TempFolder home;
};

TEST_F(IsolatedHome, DefaultCatalogFolderIsCreatedInTheDocumentsFolder) {
    const std::string folder = DefaultCatalogFolder();
    EXPECT_EQ(folder, home / "user/Documents/Reelkeep/");
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_EQ(CatalogFilePath(folder), home / "user/Documents/Reelkeep/Movies.db");
    EXPECT_EQ(DefaultCatalogFolder(), folder);  // an existing folder is no error
}

TEST_F(IsolatedHome, DocumentsFolderFollowsTheUserDirsFile) {
    std::filesystem::create_directories(home / "config");
    test::WriteFileBytes(home / "config/user-dirs.dirs",
                         "# written by xdg-user-dirs-update\n"
                         "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                         "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n");
    EXPECT_EQ(DocumentsFolder(), home / "user/Dokumente/");
    EXPECT_TRUE(std::filesystem::is_directory(home / "user/Dokumente"));

    test::WriteFileBytes(home / "config/user-dirs.dirs",
                         "XDG_DOCUMENTS_DIR=\"" + (home / "elsewhere") + "\"\n");
    EXPECT_EQ(DocumentsFolder(), home / "elsewhere/");

    // Documents set to the home folder itself means none: the usual folder is used.
    test::WriteFileBytes(home / "config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/\"\n");
    EXPECT_EQ(DocumentsFolder(), home / "user/Documents/");
}

TEST(Folders, ProgramFolderIsTheFolderOfTheRunningFile) {
    const std::string folder = ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_EQ(WithTrailingSlash("a/b"), "a/b/");
    EXPECT_EQ(WithTrailingSlash("a/b/"), "a/b/");
    EXPECT_EQ(WithTrailingSlash(""), "");
}

}  // namespace
}  // namespace reelkeep
