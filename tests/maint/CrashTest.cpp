// A process that crashes on purpose leaves its record and starts the message process.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <filesystem>

#include "maint/MaintTestSupport.h"
#include "support/TempFolder.h"

namespace reelkeep {
namespace {

namespace fs = std::filesystem;

class CrashTest : public ::testing::Test {
protected:
    int Crash(const std::string& how) {
        // The children's default crash handling must not leave core files behind.
        rlimit noCore{0, 0};
        ::setrlimit(RLIMIT_CORE, &noCore);
        fs::create_directories(root.Path() + "run");
        test::ChildProcess child(REELKEEP_ENTRY_PROGRAM, {},
                                 {{"REELKEEP_TEST_CRASH", how},
                                  {"REELKEEP_TEST_LOG", LogPath()},
                                  {"HOME", root.Path() + "home"},
                                  {"XDG_CONFIG_HOME", root.Path() + "home/.config"},
                                  {"XDG_RUNTIME_DIR", root.Path() + "run"},
                                  // The sanitizers' own reports would come first.
                                  {"ASAN_OPTIONS", "handle_segv=0:handle_abort=0"},
                                  {"UBSAN_OPTIONS", "handle_segv=0:handle_abort=0"}},
                                 root.Path());
        const auto status = child.Wait();
        if (!status) return -1000;
        return WIFEXITED(*status) ? WEXITSTATUS(*status) : -WTERMSIG(*status);
    }
    std::string LogPath() const { return root.Path() + "log"; }
    std::string RecordPath() const { return root.Path() + "home/Documents/Reelkeep/Reelkeep.dmp"; }

    test::TempFolder root;
};

TEST_F(CrashTest, RecordIsWrittenAndTheMessageNamesIt) {
    fs::create_directories(root.Path() + "home/Documents/Reelkeep");
    test::WriteFileBytes(RecordPath(), std::string(100000, 'o'));  // an old record is replaced
    EXPECT_EQ(Crash("segv"), 128 + SIGSEGV);

    const std::string record = test::ReadFileBytes(RecordPath());
    EXPECT_EQ(record.rfind("Reelkeep crash record\n", 0), 0u) << record;
    EXPECT_NE(record.find("Signal: 11 (SIGSEGV)"), std::string::npos) << record;
    EXPECT_NE(record.find("Fault address: 0x0000000000000010"), std::string::npos) << record;
    EXPECT_NE(record.find("Backtrace:\n"), std::string::npos);
    EXPECT_NE(record.find("Loaded modules"), std::string::npos);
    EXPECT_NE(record.find("maint_entry_program"), std::string::npos);
    EXPECT_EQ(record.find("ooo"), std::string::npos);

    // The message process shows string 141 with the record's path; here it writes it down.
    ASSERT_TRUE(test::WaitUntil([&] {
        return test::ReadFileBytes(LogPath()).find("message ") != std::string::npos;
    }));
    const std::string log = test::ReadFileBytes(LogPath());
    EXPECT_NE(log.find("message Expection! | An unexpected error has occured. Please send the "
                       "following file, including a details description to the author ("),
              std::string::npos)
        << log;
    EXPECT_NE(log.find(") in order to be able to solve the problem.\n" + RecordPath() + "\n"),
              std::string::npos)
        << log;
}

TEST_F(CrashTest, AbortIsRecordedToo) {
    fs::create_directories(root.Path() + "home/Documents/Reelkeep");
    EXPECT_EQ(Crash("abort"), 128 + SIGABRT);
    EXPECT_NE(test::ReadFileBytes(RecordPath()).find("Signal: 6 (SIGABRT)"), std::string::npos);
}

TEST_F(CrashTest, AStackOverflowOnAThreadOfTheProgramIsRecorded) {
    fs::create_directories(root.Path() + "home/Documents/Reelkeep");
    EXPECT_EQ(Crash("thread-overflow"), 128 + SIGSEGV);
    const std::string record = test::ReadFileBytes(RecordPath());
    EXPECT_NE(record.find("Signal: 11 (SIGSEGV)"), std::string::npos) << record;
    // Written on the thread that overflowed, not the main one.
    const std::string log = test::ReadFileBytes(LogPath());
    const std::size_t main = log.find("main thread ");
    ASSERT_NE(main, std::string::npos) << log;
    const std::string mainThread = log.substr(main + 12, log.find('\n', main) - main - 12);
    EXPECT_NE(record.find("\nThread: "), std::string::npos) << record;
    EXPECT_EQ(record.find("\nThread: " + mainThread + "\n"), std::string::npos) << record;
    ASSERT_TRUE(test::WaitUntil([&] {
        return test::ReadFileBytes(LogPath()).find("message ") != std::string::npos;
    }));
}

TEST_F(CrashTest, WithoutTheFolderThereIsNoRecordAndNoMessage) {
    EXPECT_EQ(Crash("segv"), -SIGSEGV);
    EXPECT_FALSE(fs::exists(root.Path() + "home/Documents/Reelkeep"));
    // Only the window's line: no message process was started.
    EXPECT_EQ(test::ReadFileBytes(LogPath()).find("message "), std::string::npos);
}

}  // namespace
}  // namespace reelkeep
