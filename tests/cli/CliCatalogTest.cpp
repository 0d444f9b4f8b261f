// reelkeep-cli end to end on a real catalog file.
#include <gtest/gtest.h>

#include "catalog/CatalogDatabase.h"
#include "catalog/CatalogPaths.h"
#include "maint/VersionMarker.h"
#include "support/Process.h"
#include "support/TempFolder.h"

namespace reelkeep {
namespace {

using test::RunProcess;
using test::TempFolder;

class CliCatalogTest : public ::testing::Test {
protected:
    test::ProcessResult Cli(std::vector<std::string> args) {
        args.insert(args.begin(), {"--catalog", folder.Path()});
        return RunProcess(REELKEEP_CLI_PATH, args);
    }
    TempFolder folder;
};

TEST_F(CliCatalogTest, AddListDeleteRoundTrip) {
    auto added = Cli({"add", "The First"});
    ASSERT_EQ(added.exitCode, 0) << added.err;
    EXPECT_EQ(added.out, "1\t1\n");
    ASSERT_EQ(Cli({"add", "Caf\xC3\xA9 \xFF"}).exitCode, 0);
    ASSERT_EQ(Cli({"add", "Third"}).exitCode, 0);

    auto listed = Cli({"list"});
    ASSERT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_EQ(listed.out,
              "1\t1\tThe First\t0\t0\t0\n"
              "2\t2\tCaf\xC3\xA9 \xFF\t0\t0\t0\n"
              "3\t3\tThird\t0\t0\t0\n");

    auto deleted = Cli({"delete", "1", "3"});
    EXPECT_EQ(deleted.exitCode, 0) << deleted.err;
    EXPECT_EQ(Cli({"list"}).out, "2\t2\tCaf\xC3\xA9 \xFF\t0\t0\t0\n");

    auto missing = Cli({"delete", "3"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("No movie with identifier 3"), std::string::npos);
}

// Fields of a history line: number, time, label, movies, and "undone" for a step to redo.
std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1) {
        fields.push_back(line.substr(start, tab - start));
    }
    fields.push_back(line.substr(start));
    return fields;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

TEST_F(CliCatalogTest, HistoryUndoAndRedoActOnTheNewestStep) {
    auto nothing = Cli({"undo"});
    EXPECT_EQ(nothing.exitCode, 1);
    EXPECT_NE(nothing.err.find("There is nothing to undo."), std::string::npos) << nothing.err;

    ASSERT_EQ(Cli({"add", "Heat"}).exitCode, 0);
    ASSERT_EQ(Cli({"add", "Alien"}).exitCode, 0);
    ASSERT_EQ(Cli({"delete", "1", "2"}).exitCode, 0);

    std::vector<std::string> lines = Lines(Cli({"history"}).out);
    ASSERT_EQ(lines.size(), 3u);
    std::vector<std::string> newest = Fields(lines[0]);
    ASSERT_EQ(newest.size(), 4u) << lines[0];
    EXPECT_EQ(newest[0], "3");
    EXPECT_EQ(newest[1].size(), 19u) << "a date and a time: " << newest[1];
    EXPECT_EQ(newest[2], "Delete 2 Movies");
    EXPECT_EQ(newest[3], "2");
    EXPECT_EQ(Fields(lines[2])[2], "New Movie \"Heat\"");

    auto undone = Cli({"undo"});
    ASSERT_EQ(undone.exitCode, 0) << undone.err;
    EXPECT_EQ(undone.out, "Undone: Delete 2 Movies\n");
    EXPECT_EQ(Cli({"list"}).out, "1\t1\tHeat\t0\t0\t0\n2\t2\tAlien\t0\t0\t0\n");
    EXPECT_EQ(Fields(Lines(Cli({"history"}).out)[0]).back(), "undone");

    auto redone = Cli({"redo"});
    ASSERT_EQ(redone.exitCode, 0) << redone.err;
    EXPECT_EQ(redone.out, "Redone: Delete 2 Movies\n");
    EXPECT_EQ(Cli({"list"}).out, "");
    EXPECT_EQ(Cli({"redo"}).exitCode, 1);
}

TEST_F(CliCatalogTest, FindFileListsTheMoviesHoldingTheBareName) {
    {
        CatalogDatabase database(CatalogFilePath(folder.Path()));
        database.Open(CatalogDatabase::Access::ReadWrite);
        Movie a, b;
        a.szTitle = "A";
        a.pszFilenames = {"cd1.avi", "cd2.avi"};
        b.szTitle = "B";
        b.pszFilenames = {"cd2.avi"};
        database.Insert(a);
        database.Insert(b);
    }
    EXPECT_EQ(Cli({"find-file", "cd2.avi"}).out, "1\tA\n2\tB\n");
    EXPECT_EQ(Cli({"find-file", "cd1.avi"}).out, "1\tA\n");
    const auto none = Cli({"find-file", "/x/cd1.avi"});
    EXPECT_EQ(none.exitCode, 0);
    EXPECT_EQ(none.out, "");
}

TEST_F(CliCatalogTest, ErrorsAndUsageHaveTheirExitCodes) {
    auto noCatalog = Cli({"list"});
    EXPECT_EQ(noCatalog.exitCode, 1);
    EXPECT_NE(noCatalog.err.find("does not exist"), std::string::npos) << noCatalog.err;

    test::WriteFileBytes(folder / "Movies.db", "not a catalog at all, just some text");
    auto refused = Cli({"add", "x"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("is not a Reelkeep catalog"), std::string::npos) << refused.err;
    EXPECT_EQ(test::ReadFileBytes(folder / "Movies.db"), "not a catalog at all, just some text");

    EXPECT_EQ(RunProcess(REELKEEP_CLI_PATH, {}).exitCode, 2);
    EXPECT_EQ(Cli({"frobnicate"}).exitCode, 2);
    EXPECT_EQ(Cli({"add"}).exitCode, 2);
    EXPECT_EQ(Cli({"delete", "abc"}).exitCode, 2);
    EXPECT_EQ(Cli({"delete", "0"}).exitCode, 2);
    EXPECT_EQ(RunProcess(REELKEEP_CLI_PATH, {"--bogus", "list"}).exitCode, 2);
}

TEST(CliHelp, HelpAndVersionGoToStdoutWithExitCodeZero) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--help"}, {"-h"}, {"--catalog", "/nowhere", "--help"}}) {
        const auto help = RunProcess(REELKEEP_CLI_PATH, args);
        EXPECT_EQ(help.exitCode, 0) << args.front();
        EXPECT_EQ(help.err, "");
        EXPECT_EQ(help.out.rfind("usage: reelkeep-cli [--catalog DIR] COMMAND [ARGS...]\n", 0), 0u)
            << help.out;
        // Every command is listed, each with what it does on the lines below it.
        for (const char* command : {"add TITLE", "list", "delete OID...", "find-file NAME",
                                    "inspect FILE...", "show OID...", "export --xml FILE",
                                    "scripts [--scripts DIR]", "run-script ", "add-files PATH..."}) {
            const std::size_t at = help.out.find(std::string("\n  ") + command);
            ASSERT_NE(at, std::string::npos) << command;
            const std::size_t next = help.out.find('\n', at + 1);
            EXPECT_EQ(help.out.compare(next, 7, "\n      "), 0) << command;
        }
        EXPECT_NE(help.out.find("Exit codes: 0 success"), std::string::npos);
    }

    // A command's own help runs nothing.
    TempFolder folder;
    for (const char* option : {"--help", "-h"}) {
        const auto add = RunProcess(REELKEEP_CLI_PATH, {"--catalog", folder.Path(), "add", option});
        EXPECT_EQ(add.exitCode, 0);
        EXPECT_EQ(add.out.rfind("usage: reelkeep-cli [--catalog DIR] add TITLE\n      Add a movie", 0),
                  0u)
            << add.out;
    }
    EXPECT_FALSE(test::FileExists(folder / "Movies.db"));

    // The version is the one the program file's version marker holds.
    const auto version = RunProcess(REELKEEP_CLI_PATH, {"--version"});
    EXPECT_EQ(version.exitCode, 0);
    const std::optional<std::uint64_t> marked = ReadFileVersion(REELKEEP_CLI_PATH);
    ASSERT_TRUE(marked);
    std::string expected = "reelkeep-cli ";
    for (int shift = 48; shift >= 0; shift -= 16) {
        expected += std::to_string((*marked >> shift) & 0xFFFF) + (shift ? "." : "\n");
    }
    EXPECT_EQ(version.out, expected);

    // Unknown options are still usage errors, on stderr.
    const auto bogus = RunProcess(REELKEEP_CLI_PATH, {"--bogus"});
    EXPECT_EQ(bogus.exitCode, 2);
    EXPECT_EQ(bogus.out, "");
    EXPECT_NE(bogus.err.find("unknown option --bogus"), std::string::npos);
}

// The README shows the usage exactly as --help prints it (scripts/refresh-docs writes it).
TEST(CliHelp, TheReadmeShowsTheUsageAsHelpPrintsIt) {
    const std::string readme = test::ReadFileBytes(REELKEEP_SOURCE_DIR "/README.md");
    const std::string marker = "<!-- reelkeep-cli --help -->\n```text\n";
    const std::size_t start = readme.find(marker);
    ASSERT_NE(start, std::string::npos) << "README.md has no usage block";
    const std::size_t body = start + marker.size();
    const std::size_t end = readme.find("```\n", body);
    ASSERT_NE(end, std::string::npos);
    const auto help = RunProcess(REELKEEP_CLI_PATH, {"--help"});
    EXPECT_EQ(readme.substr(body, end - body), help.out)
        << "the README's usage is out of date: run scripts/refresh-docs";
    EXPECT_NE(readme.find("](docs/reelkeep-window.png)"), std::string::npos);
    EXPECT_TRUE(test::ReadFileBytes(REELKEEP_SOURCE_DIR "/docs/reelkeep-window.png")
                    .starts_with("\x89PNG"));
}

// --catalog naming a folder that does not exist: a command that writes creates it (with the
// folders above it), one that only reads says that there is no catalog and creates nothing.
TEST(CliCatalogFolder, WritingCreatesAMissingFolderReadingSaysThereIsNoCatalog) {
    TempFolder root;
    const std::string missing = root / "new/deeper";
    const std::string out = root / "out";
    for (const std::vector<std::string>& read :
         {std::vector<std::string>{"list"}, {"show", "1"}, {"find-file", "a.avi"},
          {"export", "--xml", out, "1"}, {"export", "--html", out, "1"}}) {
        std::vector<std::string> args = {"--catalog", missing};
        args.insert(args.end(), read.begin(), read.end());
        const auto result = RunProcess(REELKEEP_CLI_PATH, args);
        EXPECT_EQ(result.exitCode, 1) << read.front();
        EXPECT_NE(result.err.find("The catalog \"" + missing + "/Movies.db\" does not exist"),
                  std::string::npos)
            << result.err;
        EXPECT_FALSE(test::FileExists(root / "new")) << read.front();
        EXPECT_FALSE(test::FileExists(out));
    }
    EXPECT_EQ(RunProcess(REELKEEP_CLI_PATH, {"--catalog", missing, "inspect", "/dev/null"}).exitCode,
              0);
    EXPECT_FALSE(test::FileExists(root / "new"));

    const auto added = RunProcess(REELKEEP_CLI_PATH, {"--catalog", missing, "add", "First"});
    ASSERT_EQ(added.exitCode, 0) << added.err;
    EXPECT_EQ(added.out, "1\t1\n");
    EXPECT_EQ(RunProcess(REELKEEP_CLI_PATH, {"--catalog", missing, "list"}).out,
              "1\t1\tFirst\t0\t0\t0\n");
    TempFolder media;
    test::WriteFileBytes(media / "Dropped.avi", "x");
    EXPECT_EQ(RunProcess(REELKEEP_CLI_PATH,
                         {"--catalog", root / "other", "add-files", media / "Dropped.avi"})
                  .exitCode,
              0);
    EXPECT_TRUE(test::FileExists(root / "other/Movies.db"));

    // Something other than a folder in the way.
    test::WriteFileBytes(root / "file", "x");
    const auto blocked = RunProcess(REELKEEP_CLI_PATH, {"--catalog", root / "file", "add", "X"});
    EXPECT_EQ(blocked.exitCode, 1);
    EXPECT_NE(blocked.err.find("cannot create the catalog folder"), std::string::npos)
        << blocked.err;
    EXPECT_EQ(test::ReadFileBytes(root / "file"), "x");
}

TEST(CliDefaultCatalog, WithoutCatalogOptionTheDocumentsFolderIsUsed) {
    TempFolder home;
    ::setenv("HOME", home.Path().c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    ASSERT_EQ(RunProcess(REELKEEP_CLI_PATH, {"add", "Home movie"}).exitCode, 0);
    EXPECT_TRUE(test::FileExists(home / "Documents/Reelkeep/Movies.db"));
    EXPECT_EQ(RunProcess(REELKEEP_CLI_PATH, {"list"}).out, "1\t1\tHome movie\t0\t0\t0\n");
}

}  // namespace
}  // namespace reelkeep
