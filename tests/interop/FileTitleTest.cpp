// Titles offered for a dropped file, cleaned the way people name their files.
#include <gtest/gtest.h>

#include "interop/FileTitle.h"

namespace reelkeep {
namespace {

TEST(FileTitleTest, NamesAsPeopleWriteThem) {
    const struct {
        const char* file;
        const char* title;
        int year;
    } cases[] = {
        {"Heat (1995).mkv", "Heat", 1995},
        {"The.Quiet.Harbour.1998.1080p.BluRay.x264.mkv", "The Quiet Harbour", 1998},
        {"My.Movie.2004.avi", "My Movie", 2004},
        {"Film.Name.CD2.avi", "Film Name", 0},
        {"Film.Name.CD1.avi", "Film Name", 0},
        {"Film Name - Disc 2.mkv", "Film Name", 0},
        {"Film_Name_Part_1.avi", "Film Name", 0},
        {"film.name.pt2.avi", "film name", 0},
        {"film-name-cd1.avi", "film-name", 0},
        {"Heat.1995.CD2.XviD.avi", "Heat", 1995},
        {"Heat (1995) [1080p] {edition}.mkv", "Heat", 1995},
        {"2001.A.Space.Odyssey.1968.mkv", "2001 A Space Odyssey", 1968},
        {"Blade.Runner.2049.2017.2160p.mkv", "Blade Runner 2049", 2017},
        {"1917.mkv", "1917", 0},
        {"Charlotte's Web.avi", "Charlotte's Web", 0},
        {"Movie.2010.EXTENDED.720p.mkv", "Movie", 2010},
        {"Spider-Man.2002.mkv", "Spider-Man", 2002},
        {"Alien.avi", "Alien", 0},
        {"[1080p].mkv", "[1080p]", 0},
        {"noextension", "noextension", 0},
    };
    for (const auto& entry : cases) {
        const FileTitle cleaned = CleanFileTitle(entry.file);
        EXPECT_EQ(cleaned.title, entry.title) << entry.file;
        EXPECT_EQ(cleaned.year, entry.year) << entry.file;
    }
}

}  // namespace
}  // namespace reelkeep
