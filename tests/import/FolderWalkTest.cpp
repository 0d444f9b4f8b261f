// Listing dropped folders.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "import/FolderWalk.h"
#include "support/TempFolder.h"

namespace reelkeep {
namespace {

using test::TempFolder;
using test::WriteFileBytes;

TEST(FolderWalk, ListsWithoutDotsSortedAndMarksFolders) {
    TempFolder folder;
    WriteFileBytes(folder / "b", "");
    WriteFileBytes(folder / "B", "");
    WriteFileBytes(folder / "a", "");
    ASSERT_EQ(::mkdir((folder / "C").c_str(), 0700), 0);
    const std::vector<FolderEntry> entries = ListFolder(folder.Path());
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].path, folder / "a");
    EXPECT_EQ(entries[1].path, folder / "B");
    EXPECT_EQ(entries[2].path, folder / "b");
    EXPECT_EQ(entries[3].path, folder / "C/");
    EXPECT_TRUE(entries[3].folder);
    EXPECT_TRUE(entries[0].regularFile);
    EXPECT_TRUE(ListFolder(folder / "missing/").empty());
}

TEST(FolderWalk, EntersEachFolderOnce) {
    TempFolder folder;
    VisitedFolders visited;
    EXPECT_TRUE(EnterFolderOnce(folder.Path(), visited));
    EXPECT_FALSE(EnterFolderOnce(folder.Path() + ".", visited));
    EXPECT_FALSE(EnterFolderOnce(folder / "missing", visited));
}

}  // namespace
}  // namespace reelkeep
