// user.remember and user.recall: values kept in the user's settings folder from one run to the
// next, and the names and values that are refused.
#include "script/ScriptMemory.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "catalog/CatalogPaths.h"
#include "script/RecordingHost.h"
#include "script/ScriptRunner.h"
#include "support/TempFolder.h"

namespace reelkeep {
namespace {

using test::TempFolder;

// Points XDG_CONFIG_HOME at a folder of the test for its duration.
class ScopedConfigHome {
public:
    explicit ScopedConfigHome(const std::string& folder) {
        if (const char* old = std::getenv("XDG_CONFIG_HOME")) old_ = old;
        ::setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    }
    ~ScopedConfigHome() {
        if (old_.empty())
            ::unsetenv("XDG_CONFIG_HOME");
        else
            ::setenv("XDG_CONFIG_HOME", old_.c_str(), 1);
    }

private:
    std::string old_;
};

class ScriptMemoryTest : public ::testing::Test {
protected:
    // One run of `script` over one movie, as a separate run of the program would do it.
    std::string RunAndReadPlot(const std::string& script) {
        ScriptRun run(host, catalog.Path(), 0);
        ScriptRunner runner(run, script, {}, CatalogFilePath(catalog.Path()));
        runner.ScriptWorker({{oid, "Movie"}});
        CatalogDatabase database(CatalogFilePath(catalog.Path()));
        database.Open(CatalogDatabase::Access::ReadOnly);
        Movie movie;
        database.Fetch(oid, movie);
        return movie.szPlot;
    }

    void SetUp() override {
        CatalogDatabase database(CatalogFilePath(catalog.Path()));
        database.Open(CatalogDatabase::Access::ReadWrite);
        Movie movie;
        movie.szTitle = "Movie";
        oid = database.Insert(movie);
    }

    TempFolder config, catalog;
    ScopedConfigHome home{config.Path() + "xdg"};
    test::RecordingHost host;
    ObjectId oid = 0;
};

TEST_F(ScriptMemoryTest, AValueRememberedInOneRunIsRecalledInTheNext) {
    EXPECT_EQ(RunAndReadPlot("szPlot = '[' + user.recall('ApiKey') + ']';"), "[]");
    EXPECT_EQ(RunAndReadPlot("szPlot = user.remember('ApiKey', 'k3y\\x01 \\xE9') ? 'kept' : 'lost';"),
              "kept");
    EXPECT_TRUE(host.boxes.empty()) << host.boxes.front().text;
    EXPECT_EQ(RunAndReadPlot("szPlot = '[' + user.recall('ApiKey') + '|' + user.recall('apikey') + ']';"),
              "[k3y\x01 \xE9|]");

    // In the user's settings folder, readable by the user alone; nothing in the catalog folder.
    const std::string file = config.Path() + "xdg/Tarvenn/Reelkeep Scripts/ApiKey";
    EXPECT_EQ(test::ReadFileBytes(file), "k3y\x01 \xE9");
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    ASSERT_EQ(::stat((config.Path() + "xdg/Tarvenn/Reelkeep Scripts").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    for (const auto& entry : std::filesystem::directory_iterator(catalog.Path()))
        EXPECT_EQ(entry.path().filename().string().rfind("Movies.db", 0), 0u) << entry.path();

    // A new value replaces the old one; an empty one forgets the name.
    RunAndReadPlot("user.remember('ApiKey', 'second');");
    EXPECT_EQ(RunAndReadPlot("szPlot = user.recall('ApiKey');"), "second");
    RunAndReadPlot("user.remember('ApiKey', '');");
    EXPECT_FALSE(test::FileExists(file));
    EXPECT_EQ(RunAndReadPlot("szPlot = '[' + user.recall('ApiKey') + ']';"), "[]");
}

TEST_F(ScriptMemoryTest, NamesThatAreNotPlainAndOversizedValuesEndTheScript) {
    const struct {
        const char* script;
        const char* message;
    } cases[] = {
        {"user.remember('../Reelkeep.conf', 'x');", "'../Reelkeep.conf' is not a plain name"},
        {"user.remember('', 'x');", "'' is not a plain name"},
        {"user.remember('9lives', 'x');", "'9lives' is not a plain name"},
        {"user.remember('a b', 'x');", "'a b' is not a plain name"},
        {"user.recall('/etc/passwd');", "'/etc/passwd' is not a plain name to recall"},
        {"string big; for (int i = 0; i < 4097; i++) big += 'x'; user.remember('Big', big);",
         "The value to remember as 'Big' is longer than 4096 bytes"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script);
        host.boxes.clear();
        EXPECT_EQ(RunAndReadPlot(std::string(c.script) + " szPlot = 'went on';"), "");
        ASSERT_EQ(host.boxes.size(), 1u);
        EXPECT_NE(host.boxes[0].text.find(c.message), std::string::npos) << host.boxes[0].text;
    }
    EXPECT_FALSE(test::FileExists(config.Path() + "xdg/Tarvenn/Reelkeep.conf"));

    // The longest name and the largest value are kept.
    const std::string name(ScriptMemory::kMaxName, 'n');
    EXPECT_EQ(RunAndReadPlot("string big; for (int i = 0; i < 4096; i++) big += 'v';"
                             "user.remember('" + name + "', big); szPlot = '' + user.recall('" +
                             name + "').length();"),
              "4096");
}

TEST_F(ScriptMemoryTest, TheNumberOfNamesIsBounded) {
    const ScriptMemory memory(ScriptMemory::DefaultFolder());
    for (std::size_t i = 0; i < ScriptMemory::kMaxEntries; ++i)
        ASSERT_TRUE(memory.Remember("Name" + std::to_string(i), "v"));
    EXPECT_THROW(memory.Remember("OneMore", "v"), ScriptMemoryError);
    EXPECT_TRUE(memory.Remember("Name7", "replaced"));  // an old name is no new entry
    EXPECT_TRUE(memory.Remember("Name8", ""));
    EXPECT_TRUE(memory.Remember("OneMore", "v"));
}

TEST_F(ScriptMemoryTest, WithoutAnyHomeNothingIsKept) {
    const char* home = std::getenv("HOME");
    const std::string oldHome = home ? home : "";
    ::unsetenv("HOME");
    ::setenv("XDG_CONFIG_HOME", "relative/ignored", 1);
    EXPECT_EQ(RunAndReadPlot("szPlot = (user.remember('Key', 'v') ? 'kept' : 'not kept') + "
                             "'[' + user.recall('Key') + ']';"),
              "not kept[]");
    if (!oldHome.empty()) ::setenv("HOME", oldHome.c_str(), 1);
}

}  // namespace
}  // namespace reelkeep
