// Adding dropped files and folders to a real catalog, with a scripted title question.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <signal.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <filesystem>
#include <sstream>
#include <functional>
#include <thread>

#include "MediaSamples.h"
#include "RiffBuilder.h"
#include "ScriptedHost.h"
#include "catalog/CatalogOperations.h"
#include "import/FactsPrefetch.h"
#include "import/MovieImport.h"
#include "media/MediaProbe.h"
#include "support/TempFolder.h"

namespace reelkeep {
namespace {

using namespace test;

class MovieImportTest : public ::testing::Test {
protected:
    TempFolder folder;
    std::string catalog = folder / "Movies.db";

    ObjectId AddTitled(const std::string& title) { return AddMovieByTitle(catalog, title).oid; }
    Movie Read(ObjectId oid) {
        CatalogDatabase database(catalog);
        database.Open(CatalogDatabase::Access::ReadOnly);
        Movie movie;
        EXPECT_TRUE(database.Fetch(oid, movie));
        return movie;
    }
    std::string File(const std::string& name, const std::string& bytes = "data") {
        WriteFileBytes(folder / name, bytes);
        return folder / name;
    }
};

TEST(DerivedTitle, IsTheFileNameCleanedOfItsYearTagsAndDiscMarkers) {
    EXPECT_EQ(DerivedTitle("/a/b/My.Movie.2004.avi"), "My Movie");
    EXPECT_EQ(DerivedTitle("/a/b/Film.Name.CD2.avi"), "Film Name");
    EXPECT_EQ(DerivedTitle("/a.b/Plain"), "Plain");
    EXPECT_EQ(BareFileName("/a.b/Film.Name.CD2.avi"), "Film.Name.CD2.avi");
}

TEST(ListedTitles, FindTheFirstRowOfATitleIgnoringCaseAppendedRowsToo) {
    ListedTitles rows({{7, "Heat", false}, {3, "HEAT", false}, {9, "\xC3\x89lan", false}});
    EXPECT_EQ(rows.Find("heat"), 7u);
    EXPECT_EQ(rows.Find("\xC3\xA9LAN"), 9u);
    EXPECT_EQ(rows.Find("Elan"), 0u);
    rows.Append({12, "Ronin", false});
    rows.Append({13, "ronin", false});
    EXPECT_EQ(rows.Find("RONIN"), 12u);
    EXPECT_EQ(rows.Rows().size(), 5u);
}

TEST_F(MovieImportTest, NewFileBecomesAMovieWithItsMediaFacts) {
    const std::string avi = AviFile(VideoStreamList("DX50", 640, 352, 25) + AudioStreamList(0x55));
    const std::string path = File("Some.Movie.avi", avi);
    ScriptedHost host(LoadMovieList(catalog));
    const DropResult result = AddDroppedPaths(catalog, {path}, host);
    EXPECT_FALSE(result.cancelled);
    EXPECT_EQ(result.added, 1);
    ASSERT_EQ(host.asked, std::vector<std::string>{"Some Movie"});
    const std::vector<MovieListRow> rows = LoadMovieList(catalog);
    ASSERT_EQ(rows.size(), 1u);
    const Movie movie = Read(rows[0].oid);
    EXPECT_EQ(movie.szTitle, "Some Movie");
    EXPECT_EQ(movie.szLocation, path);
    EXPECT_EQ(movie.pszMedia, StringArray{"File"});
    EXPECT_EQ(movie.pszFilenames, StringArray{"Some.Movie.avi"});
    EXPECT_EQ(movie.pnSizes, Int64Array{static_cast<std::int64_t>(avi.size())});
    EXPECT_EQ(movie.nWidth, 640);
    EXPECT_EQ(movie.nHeight, 352);
    EXPECT_EQ(movie.szVideo, "DivX 5.x");
}

TEST_F(MovieImportTest, KnownFileNameMovesEveryMovieThatListsItWithoutAQuestion) {
    Movie first;
    first.szTitle = "One";
    first.szLocation = "/old/place.avi";
    first.pszFilenames = {"place.avi"};
    Movie second = first;
    second.szTitle = "Two";
    ObjectId a, b;
    {
        CatalogDatabase database(catalog);
        database.Open(CatalogDatabase::Access::ReadWrite);
        a = database.Insert(first);
        b = database.Insert(second);
        database.Close();
    }
    const std::string path = File("place.avi");
    ScriptedHost host(LoadMovieList(catalog));
    const DropResult result = AddDroppedPaths(catalog, {path}, host);
    EXPECT_EQ(result.relocated, 2);
    EXPECT_TRUE(host.asked.empty());
    EXPECT_EQ(Read(a).szLocation, path);
    EXPECT_EQ(Read(b).szLocation, path);
    EXPECT_EQ(Read(a).pszFilenames, StringArray{"place.avi"});
}

TEST_F(MovieImportTest, TitleMatchIgnoringCaseAttachesTheFileWithoutAQuestion) {
    const ObjectId oid = AddTitled("film name");
    const std::string path = File("Film.Name.avi", "12345");
    ScriptedHost host(LoadMovieList(catalog));
    const DropResult result = AddDroppedPaths(catalog, {path}, host);
    EXPECT_EQ(result.attached, 1);
    EXPECT_TRUE(host.asked.empty());
    const Movie movie = Read(oid);
    EXPECT_EQ(movie.pszFilenames, StringArray{"Film.Name.avi"});
    EXPECT_EQ(movie.pnSizes, Int64Array{5});
    // Location and media stay as they were for an attached file.
    EXPECT_EQ(movie.szLocation, "");
    EXPECT_TRUE(movie.pszMedia.empty());
}

TEST_F(MovieImportTest, SecondDiscJoinsItsMovieAndAnotherFileTheTitleChosenInTheDialog) {
    AddTitled("Other");
    const ObjectId oid = AddTitled("Film Name");
    ScriptedHost host(LoadMovieList(catalog));
    host.answers.push_back(TitleAnswer{"Film Name"});
    AddDroppedPaths(catalog, {File("Film.Name.CD2.avi", "123"), File("Film.Name.Extras.avi", "4567")}, host);
    // The disc marker is no part of the title: the second disc joins without a question.
    EXPECT_EQ(host.asked, std::vector<std::string>{"Film Name Extras"});
    EXPECT_EQ(host.lastTitles, (std::vector<std::string>{"Other", "Film Name"}));
    EXPECT_TRUE(host.added.empty());
    const Movie movie = Read(oid);
    EXPECT_EQ(movie.pszFilenames, (StringArray{"Film.Name.CD2.avi", "Film.Name.Extras.avi"}));
    EXPECT_EQ(movie.pnSizes, (Int64Array{3, 4}));
    EXPECT_EQ(movie.nYear, 0);
    EXPECT_EQ(LoadMovieList(catalog).size(), 2u);
}

TEST_F(MovieImportTest, CancellingTheSecondOfThreeFilesKeepsTheFirstAndSkipsTheThird) {
    const std::vector<std::string> paths = {File("One.avi"), File("Two.avi"), File("Three.avi")};
    ScriptedHost host(LoadMovieList(catalog));
    host.answers = {TitleAnswer{"One"}, std::nullopt, TitleAnswer{"Three"}};
    const DropResult result = AddDroppedPaths(catalog, paths, host);
    EXPECT_TRUE(result.cancelled);
    EXPECT_TRUE(result.error.empty());
    EXPECT_EQ(host.asked, (std::vector<std::string>{"One", "Two"}));
    const std::vector<MovieListRow> rows = LoadMovieList(catalog);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].title, "One");
}

TEST_F(MovieImportTest, FolderIsWalkedRecursivelyInListingOrderWhateverTheExtension) {
    ASSERT_EQ(::mkdir((folder / "drop").c_str(), 0700), 0);
    ASSERT_EQ(::mkdir((folder / "drop/sub").c_str(), 0700), 0);
    File("drop/b.txt");
    File("drop/A.avi");
    File("drop/sub/c.mkv");
    File("drop/Z.avi");
    // A link back up the tree is entered once only.
    ASSERT_EQ(::symlink("..", (folder / "drop/sub/up").c_str()), 0);
    ScriptedHost host(LoadMovieList(catalog));
    const DropResult result = AddDroppedPaths(catalog, {folder / "drop"}, host);
    EXPECT_FALSE(result.cancelled);
    EXPECT_EQ(host.added, (std::vector<std::string>{"A", "b", "c", "Z"}));
}

TEST_F(MovieImportTest, SameTitleTwiceInOneDropJoinsTheMovieCreatedFirst) {
    ScriptedHost host(LoadMovieList(catalog));
    AddDroppedPaths(catalog, {File("Film.avi", "1"), File("Film.AVI2", "22")}, host);
    const std::vector<MovieListRow> rows = LoadMovieList(catalog);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(Read(rows[0].oid).pnSizes, (Int64Array{1, 2}));
}

TEST_F(MovieImportTest, PipeIsSkippedInsteadOfHangingTheDrop) {
    ASSERT_EQ(::mkfifo((folder / "pipe.avi").c_str(), 0600), 0);
    ScriptedHost host(LoadMovieList(catalog));
    const DropResult result = AddDroppedPaths(catalog, {folder / "pipe.avi", File("x.avi")}, host);
    EXPECT_EQ(host.added, std::vector<std::string>{"x"});
    EXPECT_FALSE(result.cancelled);
}

TEST_F(MovieImportTest, CatalogThatIsNotOneStopsTheDropWithItsMessage) {
    WriteFileBytes(catalog, "this is not a database file at all, not even close to one....");
    ScriptedHost host({});
    const DropResult result = AddDroppedPaths(catalog, {File("x.avi")}, host);
    EXPECT_TRUE(result.cancelled);
    EXPECT_FALSE(result.error.empty());
    EXPECT_TRUE(host.asked.empty());
}

TEST_F(MovieImportTest, UpdateFromAFileAttachesItOnceAndAddsTheFileMediumOnce) {
    const ObjectId oid = AddTitled("Movie");
    const std::string path = File("disc1.avi", "abc");
    ASSERT_TRUE(UpdateMovieFromFile(catalog, oid, path));
    Movie movie = Read(oid);
    EXPECT_EQ(movie.szLocation, path);
    EXPECT_EQ(movie.pszMedia, StringArray{"File"});
    EXPECT_EQ(movie.pnSizes, Int64Array{3});

    // The same name again, from elsewhere: nothing is stored, the location included.
    ASSERT_EQ(::mkdir((folder / "moved").c_str(), 0700), 0);
    EXPECT_FALSE(UpdateMovieFromFile(catalog, oid, File("moved/disc1.avi")));
    EXPECT_EQ(Read(oid), movie);

    ASSERT_TRUE(UpdateMovieFromFile(catalog, oid, File("disc2.avi", "abcd")));
    movie = Read(oid);
    EXPECT_EQ(movie.pszMedia, StringArray{"File"});
    EXPECT_EQ(movie.pszFilenames, (StringArray{"disc1.avi", "disc2.avi"}));
    EXPECT_EQ(movie.pnSizes, (Int64Array{3, 4}));
}

TEST_F(MovieImportTest, UseForAllTakesTheDerivedTitleForEveryFurtherQuestion) {
    AddTitled("Known");
    const std::vector<std::string> paths = {File("First.avi"), File("Second.Film.avi"),
                                            File("known.avi"), File("Third.avi")};
    ScriptedHost host(LoadMovieList(catalog));
    host.answers = {TitleAnswer{"First Film (2001)", true}};
    const DropResult result = AddDroppedPaths(catalog, paths, host);
    EXPECT_FALSE(result.cancelled);
    EXPECT_EQ(host.asked, std::vector<std::string>{"First"});
    EXPECT_EQ(host.added, (std::vector<std::string>{"First Film (2001)", "Second Film", "Third"}));
    EXPECT_EQ(result.attached, 1);  // a title that matches still joins its movie
}

TEST_F(MovieImportTest, ProgressCountsFilesDoneAndLeftAndAStopEndsTheDropThere) {
    ASSERT_EQ(::mkdir((folder / "drop").c_str(), 0700), 0);
    for (const char* name : {"drop/A.avi", "drop/B.avi", "drop/C.avi", "D.avi"}) File(name);
    ScriptedHost host(LoadMovieList(catalog));
    AddDroppedPaths(catalog, {folder / "drop", folder / "D.avi"}, host);
    using Step = std::pair<std::size_t, std::size_t>;
    EXPECT_EQ(host.progress, (std::vector<Step>{{0, 4}, {1, 3}, {2, 2}, {3, 1}, {4, 0}}));

    TempFolder second;
    ScriptedHost stopping({});
    stopping.stopAfter = 2;
    for (const char* name : {"One.avi", "Two.avi", "Three.avi"}) WriteFileBytes(second / name, "x");
    const DropResult result =
        AddDroppedPaths(second / "Movies.db",
                        {second / "One.avi", second / "Two.avi", second / "Three.avi"}, stopping);
    EXPECT_TRUE(result.cancelled);
    EXPECT_TRUE(result.error.empty());
    EXPECT_EQ(stopping.added, (std::vector<std::string>{"One", "Two"}));
    // What was added before the stop is kept.
    EXPECT_EQ(LoadMovieList(second / "Movies.db").size(), 2u);
}

// A folder of today's files fills codec names, frame size and rate, running time and languages.
class MediaDropTest : public MovieImportTest {
protected:
    // Makes the sample in the test's folder; an empty string when this ffmpeg lacks an encoder.
    std::string Make(MediaSample sample) {
        if (!MissingEncoders(sample).empty())
            return {};
        EXPECT_EQ(MakeSample(scratch.Path(), sample), "");
        const std::string path = media / sample.name;
        WriteFileBytes(path, ReadFileBytes(scratch / sample.name));
        return path;
    }

    // The bytes of a one-second H.264 Matroska file; empty when this ffmpeg cannot make it.
    std::string OneSecondMatroska() {
        MediaSample sample = Minute("Sample.mkv", "libx264", "aac", "");
        sample.seconds = 1;
        const std::string made = Make(sample);
        if (made.empty())
            return {};
        const std::string bytes = ReadFileBytes(made);
        std::filesystem::remove(made);
        return bytes;
    }

    TempFolder scratch;  // ffmpeg's inputs and outputs
    TempFolder media;    // only the movie files
    static MediaSample Minute(std::string name, std::string video, std::string audio,
                              std::string subtitles) {
        MediaSample sample;
        sample.name = std::move(name);
        sample.video = std::move(video);
        sample.size = "160x120";
        sample.rate = "2";
        sample.seconds = 62;
        sample.audio = {{std::move(audio), "ita", true}};
        if (!subtitles.empty()) {
            sample.subtitleEncoder = std::move(subtitles);
            sample.subtitleLanguages = {"por"};
        }
        return sample;
    }
};

TEST_F(MediaDropTest, DroppedMkvMp4WebmAndTsFilesGetTheirFacts) {
    struct Expected {
        std::string path, video, audio;
        bool subtitles;
    };
    std::vector<Expected> expected;
    for (const auto& [sample, video, audio] :
         {std::tuple{Minute("Heat.mkv", "libx264", "ac3", "srt"), "H.264 / AVC", "AC-3"},
          std::tuple{Minute("Ronin.mp4", "libx265", "aac", "mov_text"), "H.265 / HEVC", "AAC"},
          std::tuple{Minute("Alien.webm", "libvpx-vp9", "libopus", "webvtt"), "VP9", "Opus"},
          std::tuple{Minute("Brazil.ts", "mpeg2video", "mp2", ""), "MPEG-2 Video", "MP2"}}) {
        const std::string path = Make(sample);
        if (!path.empty())
            expected.push_back({path, video, audio, !sample.subtitleLanguages.empty()});
    }
    ASSERT_FALSE(expected.empty()) << "this ffmpeg can make none of the samples";
    ScriptedHost host(LoadMovieList(catalog));
    const DropResult result = AddDroppedPaths(catalog, {media.Path()}, host);
    ASSERT_EQ(result.added, static_cast<int>(expected.size())) << result.error;
    for (const Expected& file : expected) {
        SCOPED_TRACE(file.path);
        const std::vector<ObjectId> found = [&] {
            CatalogDatabase database(catalog);
            database.Open(CatalogDatabase::Access::ReadOnly);
            return database.SelectByFilename(BareFileName(file.path));
        }();
        ASSERT_EQ(found.size(), 1u);
        const Movie movie = Read(found[0]);
        EXPECT_EQ(movie.szVideo, file.video);
        EXPECT_EQ(movie.szAudio, file.audio);
        EXPECT_EQ(movie.nWidth, 160);
        EXPECT_EQ(movie.nHeight, 120);
        EXPECT_NEAR(movie.fFPS, 2.0f, 0.01f);
        EXPECT_EQ(movie.nLength, 1);
        EXPECT_EQ(movie.pszLanguages, StringArray{"Italian"});
        EXPECT_EQ(movie.pszSubtitles, file.subtitles ? StringArray{"Portuguese"} : StringArray{});
        EXPECT_EQ(movie.pnSizes,
                  Int64Array{static_cast<std::int64_t>(ReadFileBytes(file.path).size())});
    }
}

// Attaching a second file: the technical fields follow the file where it has them, and what
// was typed into the movie stays.
TEST_F(MediaDropTest, AttachingKeepsWhatTheUserTypedAndWhatTheFileCannotTell) {
    const std::string mkv = Make(Minute("Heat.CD2.mkv", "libx264", "eac3", "srt"));
    if (mkv.empty())
        GTEST_SKIP() << "this ffmpeg cannot make the sample";
    const std::string noise = File("Heat.CD3.mkv", std::string(200000, '\x5A'));
    ObjectId oid = 0;
    {
        CatalogDatabase database(catalog);
        database.Open(CatalogDatabase::Access::ReadWrite);
        Movie movie;
        movie.szTitle = "Heat";
        movie.szVideo = "DivX 5.x";
        movie.szAudio = "AC3";
        movie.nWidth = 640;
        movie.nLength = 170;
        movie.pszLanguages = {"Klingon"};
        oid = database.Insert(movie);
        database.Close();
    }
    // A file the library makes nothing of leaves every fact as it was.
    ScriptedHost host(LoadMovieList(catalog));
    host.answers = {TitleAnswer{"Heat"}, TitleAnswer{"Heat"}};
    AddDroppedPaths(catalog, {noise}, host);
    Movie movie = Read(oid);
    EXPECT_EQ(movie.szVideo, "DivX 5.x");
    EXPECT_EQ(movie.szAudio, "AC3");
    EXPECT_EQ(movie.nWidth, 640);
    EXPECT_EQ(movie.pnSizes, Int64Array{200000});

    AddDroppedPaths(catalog, {mkv}, host);
    movie = Read(oid);
    EXPECT_EQ(movie.szVideo, "H.264 / AVC");
    EXPECT_EQ(movie.szAudio, "E-AC-3");
    EXPECT_EQ(movie.nWidth, 160);
    EXPECT_EQ(movie.nLength, 170);
    EXPECT_EQ(movie.pszLanguages, StringArray{"Klingon"});
    EXPECT_EQ(movie.pszSubtitles, StringArray{"Portuguese"});
    EXPECT_EQ(movie.pszFilenames, (StringArray{"Heat.CD3.mkv", "Heat.CD2.mkv"}));

    // Update from a file follows the same rules.
    const std::string again = Make(Minute("Heat.CD4.mkv", "libx264", "libopus", ""));
    ASSERT_TRUE(UpdateMovieFromFile(catalog, oid, again));
    movie = Read(oid);
    EXPECT_EQ(movie.szAudio, "Opus");
    EXPECT_EQ(movie.pszLanguages, StringArray{"Klingon"});
}

// Files that crash or confuse the helper cost their own facts, never the drop.
// The media helpers running now: children of any thread of this process.
std::size_t RunningHelpers() {
    std::size_t count = 0;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::istringstream children(ReadFileBytes(task.path() / "children"));
        for (std::string pid; children >> pid;) {
            count += ReadFileBytes("/proc/" + pid + "/comm") == std::string(kProbeProgramName) + "\n";
        }
    }
    return count;
}

TEST_F(MediaDropTest, ABigDropReadsFactsOnTwoHelpersAndKeepsItsOrder) {
    const std::string whole = OneSecondMatroska();
    if (whole.empty())
        GTEST_SKIP() << "this ffmpeg cannot make the sample";
    // Files the drop must read, with strange ones among them and one the catalog knows.
    std::vector<std::string> paths;
    for (int i = 0; i < 40; ++i) {
        const std::string name = "Film " + std::to_string(100 + i) + (i % 10 == 3 ? ".mp4" : ".mkv");
        paths.push_back(File(name, i % 10 == 3 ? std::string(5000, 'x') : i % 10 == 7 ? "" : whole));
    }
    {
        CatalogDatabase database(catalog);
        database.Open(CatalogDatabase::Access::ReadWrite);
        Movie known;
        known.szTitle = "Known";
        known.pszFilenames = {"Film 105.mkv"};
        database.Insert(known);
    }
    ScriptedHost host(LoadMovieList(catalog));
    // Both helpers run at once for a while; when the read-ahead's helper ends depends on how
    // fast the catalog takes the movies, so they are counted all through the drop.
    std::atomic<std::size_t> helpersAtOnce = 0;
    std::atomic<bool> dropping = true;
    std::thread counter([&] {
        while (dropping) {
            const std::size_t running = RunningHelpers();
            if (running > helpersAtOnce)
                helpersAtOnce = running;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    const DropResult result = AddDroppedPaths(catalog, paths, host);
    dropping = false;
    counter.join();
    EXPECT_EQ(helpersAtOnce.load(), 2u);
    EXPECT_EQ(RunningHelpers(), 0u);
    ASSERT_EQ(result.added, 39) << result.error;
    EXPECT_EQ(result.relocated, 1);
    std::vector<std::string> expected;
    for (int i = 0; i < 40; ++i) {
        if (i != 5)
            expected.push_back("Film " + std::to_string(100 + i));
    }
    EXPECT_EQ(host.added, expected);
    for (const MovieListRow& row : LoadMovieList(catalog)) {
        if (row.title == "Known")
            continue;
        SCOPED_TRACE(row.title);
        const Movie movie = Read(row.oid);
        const int i = std::stoi(row.title.substr(5)) - 100;
        const bool readable = i % 10 != 3 && i % 10 != 7;
        EXPECT_EQ(movie.szVideo, readable ? "H.264 / AVC" : "");
        EXPECT_EQ(movie.pszLanguages, readable ? StringArray{"Italian"} : StringArray{});
        EXPECT_EQ(movie.pnSizes.size(), 1u);
    }
}

// The second helper reads ahead on its own while the drop is busy elsewhere, and hands the
// facts over in the drop's order, each file once.
TEST_F(MediaDropTest, TheSecondHelperReadsAheadAndHandsTheFactsOverInOrder) {
    const std::string whole = OneSecondMatroska();
    if (whole.empty())
        GTEST_SKIP() << "this ffmpeg cannot make the sample";
    std::vector<std::string> paths;
    for (int i = 0; i < 20; ++i) paths.push_back(File("Ahead " + std::to_string(i) + ".mkv", i % 4 == 1 ? "" : whole));
    std::vector<bool> wanted(paths.size(), true);
    wanted[6] = false;  // a file the catalog knows: nobody reads it

    MediaProbe own;
    FactsPrefetch prefetch(paths, wanted, own);
    for (int waited = 0; prefetch.ReadAhead() < 4 && waited < 20000; waited += 10) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_GE(prefetch.ReadAhead(), 4u);
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (!wanted[i]) continue;
        SCOPED_TRACE(paths[i]);
        const MediaFacts facts = prefetch.Take(i);
        EXPECT_EQ(facts.video.value_or(""), i % 4 == 1 ? "" : "H.264 / AVC");
        EXPECT_EQ(facts.size, (i % 4 == 1 ? 0 : whole.size()));
    }
}

TEST_F(MediaDropTest, AHelperKilledMidFileCostsThatFileAndTheDropGoesOn) {
    MediaSample sample = Minute("A.mkv", "libx264", "aac", "");
    sample.seconds = 1;
    if (Make(sample).empty())
        GTEST_SKIP() << "this ffmpeg cannot make the sample";
    const std::string whole = ReadFileBytes(media / "A.mkv");
    File("B.mkv", whole);
    File("C.mkv", whole);
    File("D.mkv", whole.substr(0, whole.size() / 3));  // cut off
    File("E.mkv", "");
    MediaProbe probe;
    ScriptedHost host(LoadMovieList(catalog));
    std::thread killer;
    // Once the first file is done, the helper is stopped and then killed while it holds the
    // second file's request.
    host.onProgress = [&probe, &killer](std::size_t done) {
        if (done != 1)
            return;
        const pid_t helper = probe.HelperPid();
        ASSERT_GT(helper, 0);
        ::kill(helper, SIGSTOP);
        killer = std::thread([helper] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            ::kill(helper, SIGKILL);
        });
    };
    const DropResult result = AddDroppedPaths(
        catalog,
        {media / "A.mkv", folder / "B.mkv", folder / "C.mkv", folder / "D.mkv", folder / "E.mkv"},
        host, &probe);
    killer.join();
    EXPECT_FALSE(result.cancelled);
    ASSERT_EQ(result.added, 5);
    const std::vector<MovieListRow> rows = LoadMovieList(catalog);
    EXPECT_EQ(Read(rows[0].oid).szVideo, "H.264 / AVC");
    EXPECT_EQ(Read(rows[1].oid).szVideo, "");  // the file the helper died over
    EXPECT_EQ(Read(rows[1].oid).pnSizes, Int64Array{static_cast<std::int64_t>(whole.size())});
    EXPECT_EQ(Read(rows[2].oid).szVideo, "H.264 / AVC");
    EXPECT_EQ(Read(rows[4].oid).pnSizes, Int64Array{0});
    EXPECT_EQ(probe.Starts(), 2);
}

}  // namespace
}  // namespace reelkeep
