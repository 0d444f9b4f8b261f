// Which files beside a dropped one describe it, and which are movies of their own.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "import/FileNeighbours.h"
#include "support/TempFolder.h"

namespace reelkeep {
namespace {

using test::TempFolder;
using test::WriteFileBytes;

TEST(FileNeighboursTest, AFolderOfOneFilmSharesItsNfoAndPosterWithItsDiscsAndSubtitles) {
    TempFolder folder;
    for (const char* name : {"Heat.1995.CD1.mkv", "Heat.1995.CD2.mkv", "Heat.1995.en.srt", "movie.nfo",
                             "folder.jpg", "fanart.jpg"}) {
        WriteFileBytes(folder / name, "x");
    }
    FileNeighbours neighbours;
    for (const char* name : {"Heat.1995.CD1.mkv", "Heat.1995.en.srt"}) {
        const Neighbours found = neighbours.Of(folder / name);
        EXPECT_EQ(found.nfo, folder / "movie.nfo") << name;
        EXPECT_EQ(found.poster, folder / "folder.jpg") << name;
    }
    EXPECT_TRUE(neighbours.Describes(folder / "movie.nfo"));
    EXPECT_TRUE(neighbours.Describes(folder / "fanart.jpg"));
    EXPECT_FALSE(neighbours.Describes(folder / "Heat.1995.en.srt"));
}

TEST(FileNeighboursTest, FolderWideNamesBelongToNoFilmOfSeveralAndPicturesAloneAreFiles) {
    TempFolder folder;
    ASSERT_EQ(::mkdir((folder / "two").c_str(), 0700), 0);
    ASSERT_EQ(::mkdir((folder / "photos").c_str(), 0700), 0);
    for (const char* name : {"two/Heat.mkv", "two/Ronin.mkv", "two/Ronin.nfo", "two/movie.nfo",
                             "two/poster.jpg", "photos/cover.jpg", "photos/Notes.nfo"}) {
        WriteFileBytes(folder / name, "x");
    }
    FileNeighbours neighbours;
    EXPECT_EQ(neighbours.Of(folder / "two/Heat.mkv").nfo, "");
    EXPECT_EQ(neighbours.Of(folder / "two/Heat.mkv").poster, "");
    EXPECT_EQ(neighbours.Of(folder / "two/Ronin.mkv").nfo, folder / "two/Ronin.nfo");
    EXPECT_TRUE(neighbours.Describes(folder / "two/poster.jpg"));
    // With no movie beside them, such files are dropped as any other file is.
    EXPECT_FALSE(neighbours.Describes(folder / "photos/cover.jpg"));
    EXPECT_FALSE(neighbours.Describes(folder / "photos/Notes.nfo"));
}

}  // namespace
}  // namespace reelkeep
