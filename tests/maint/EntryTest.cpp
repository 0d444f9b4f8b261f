// The start-up rules end to end, with real processes of the entry test program.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "maint/MaintTestSupport.h"
#include "maint/Restart.h"
#include "support/TempFolder.h"

namespace reelkeep {
namespace {

using test::ChildProcess;
using test::FileExists;
using test::ReadFileBytes;
using test::WaitUntil;
namespace fs = std::filesystem;

std::string Hex(pid_t pid) {
    char text[16];
    std::snprintf(text, sizeof text, "%x", static_cast<unsigned>(pid));
    return text;
}

// The id of a process that has ended.
pid_t DeadProcessId() {
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(0);
    ::waitpid(pid, nullptr, 0);
    return pid;
}

class EntryTest : public ::testing::Test {
protected:
    EntryTest() { fs::create_directories(root.Path() + "run"); }

    std::unique_ptr<ChildProcess> Start(const std::vector<std::string>& args,
                                        std::vector<std::pair<std::string, std::string>> env = {},
                                        const std::string& program = REELKEEP_ENTRY_PROGRAM) {
        const auto add = [&env](const std::string& name, const std::string& value) {
            for (const auto& given : env) {
                if (given.first == name) return;  // the test's own value wins
            }
            env.emplace_back(name, value);
        };
        add("XDG_RUNTIME_DIR", root.Path() + "run");
        add("REELKEEP_TEST_LOG", LogPath());
        add("HOME", root.Path() + "home");
        add("XDG_CONFIG_HOME", root.Path() + "home/.config");
        return std::make_unique<ChildProcess>(program, args, env, root.Path());
    }
    // Runs to the end; the exit code, or -signal.
    int Run(const std::vector<std::string>& args,
            std::vector<std::pair<std::string, std::string>> env = {}) {
        const auto status = Start(args, std::move(env))->Wait();
        if (!status) return -1000;
        return WIFEXITED(*status) ? WEXITSTATUS(*status) : -WTERMSIG(*status);
    }
    std::string LogPath() const { return root.Path() + "log"; }
    std::string Log() const { return ReadFileBytes(LogPath()); }
    int Windows() const {
        int count = 0;
        for (std::size_t at = Log().find("window "); at != std::string::npos;
             at = Log().find("window ", at + 1)) {
            ++count;
        }
        return count;
    }

    test::TempFolder root;
};

TEST_F(EntryTest, SecondOrdinaryStartEndsWhileTheFirstHoldsTheLock) {
    const std::string release = root.Path() + "release";
    auto first = Start({}, {{"REELKEEP_TEST_HOLD", release}});
    ASSERT_TRUE(WaitUntil([&] { return Windows() == 1; }));
    EXPECT_EQ(Run({}), 0);
    EXPECT_EQ(Run({"some", "file"}), 0);
    EXPECT_EQ(Windows(), 1);

    std::ofstream(release).put('x');
    const auto status = first->Wait();
    ASSERT_TRUE(status);
    EXPECT_EQ(WEXITSTATUS(*status), 1);  // a normal close
    EXPECT_EQ(Run({}), 1);               // the lock died with its holder
    EXPECT_EQ(Windows(), 2);
}

TEST_F(EntryTest, RestartLaterInTheLineIsAnOrdinaryStart) {
    EXPECT_EQ(Run({"x", "RESTART1", "1", root.Path() + "target"}), 1);
    EXPECT_EQ(Run({"restart1 1 " + root.Path() + "target"}), 1);
    EXPECT_EQ(Windows(), 2);
    EXPECT_FALSE(FileExists(root.Path() + "target"));
}

TEST_F(EntryTest, UnknownStageWaitsForTheProcessThenEnds) {
    auto sleeper = std::make_unique<ChildProcess>("/bin/sleep", std::vector<std::string>{"1"},
                                                  std::vector<std::pair<std::string, std::string>>{},
                                                  root.Path());
    EXPECT_EQ(Run({"RESTART9 " + Hex(sleeper->Pid()) + " " + root.Path() + "x"}), 0);
    // The sleeper has ended by the time the restart start did.
    int status = 0;
    EXPECT_EQ(::waitpid(sleeper->Pid(), &status, WNOHANG), sleeper->Pid());
    EXPECT_EQ(Windows(), 0);
    EXPECT_EQ(Run({"RESTART"}), 0);  // no digit at all
    EXPECT_EQ(Windows(), 0);
}

TEST_F(EntryTest, StageTwoDeletesThePathWithItsBlanksAndRuns) {
    const std::string path = root.Path() + "new program  ";
    std::ofstream(path).put('x');
    std::ofstream(root.Path() + "new program").put('x');
    EXPECT_EQ(Run({"RESTART2", Hex(DeadProcessId()), path}), 1);
    EXPECT_FALSE(FileExists(path));
    EXPECT_TRUE(FileExists(root.Path() + "new program"));
    EXPECT_EQ(Windows(), 1);
    // An id that does not parse is 0: no wait.
    EXPECT_EQ(Run({"RESTART2 zz " + root.Path() + "gone"}), 1);
}

TEST_F(EntryTest, StageOneWithoutATargetEndsWithoutAWindow) {
    EXPECT_EQ(Run({"RESTART1", Hex(DeadProcessId()), root.Path() + "no/such/folder/reelkeep"}), 0);
    EXPECT_EQ(Windows(), 0);
}

TEST_F(EntryTest, RelayReplacesTheRunningProgramAndStartsIt) {
    fs::create_directories(root.Path() + "app");
    const std::string installed = root.Path() + "app/reelkeep";
    const std::string pending = root.Path() + "app/~reelkeep";
    fs::copy_file(REELKEEP_ENTRY_PROGRAM, installed);
    const std::string newBytes = ReadFileBytes(REELKEEP_ENTRY_PROGRAM) + "new build";
    test::WriteFileBytes(pending, newBytes);
    fs::permissions(pending, fs::perms::owner_all);

    auto old = Start({}, {{"REELKEEP_TEST_PENDING", pending}}, installed);
    const auto status = old->Wait();
    ASSERT_TRUE(status);
    EXPECT_EQ(WEXITSTATUS(*status), 1);
    // The final process deletes the relay's file and opens its window.
    ASSERT_TRUE(WaitUntil([&] { return Windows() == 2 && !FileExists(pending); })) << Log();
    EXPECT_EQ(ReadFileBytes(installed), newBytes);
    const std::string log = Log();
    EXPECT_NE(log.find("relay started\nown file intact\n"), std::string::npos) << log;
    EXPECT_NE(log.find("[RESTART2 "), std::string::npos) << log;
    EXPECT_NE(log.find(" " + pending + "]"), std::string::npos) << log;
    // Only the final process is left holding the lock, and it has ended: a new start runs.
    ASSERT_TRUE(WaitUntil([&] { return Run({}) == 1; }));
}

TEST_F(EntryTest, AnotherUserCannotHoldTheLock) {
    if (!test::OtherUserProcess::Possible()) GTEST_SKIP() << "only root can start another user's process";
    // No runtime folder; the temporary folder is one everyone may write to.
    ASSERT_EQ(::chmod(root.Path().c_str(), 0755), 0);
    const std::string shared = root.Path() + "shared";
    ASSERT_EQ(::mkdir(shared.c_str(), 0777), 0);
    ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
    const std::vector<std::pair<std::string, std::string>> env = {{"XDG_RUNTIME_DIR", ""},
                                                                  {"TMPDIR", shared}};
    const std::string own = shared + "/reelkeep-" + std::to_string(::geteuid());
    {
        // The other user creates and locks every file the program might take for its lock.
        std::vector<int> held;
        test::OtherUserProcess other(
            [&] {
                ::mkdir(own.c_str(), 0777);
                ::chmod(own.c_str(), 0777);
                for (const std::string& path : {shared + "/BCE52BDA-DA12-4910-AD99-E3FEA7346B58",
                                                own + "/BCE52BDA-DA12-4910-AD99-E3FEA7346B58"}) {
                    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT, 0666);
                    if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0) held.push_back(fd);
                }
                return "holding " + std::to_string(held.size());
            },
            [] { return std::string("done"); });
        ASSERT_EQ(other.Ready(), "holding 2");
        EXPECT_EQ(Run({}, env), 1);  // the program runs
        EXPECT_EQ(Windows(), 1);
        other.Finish();
    }
    // Without the other user's folder, the program makes its own, for itself alone.
    fs::remove_all(own);
    const std::string release = root.Path() + "release";
    auto first = Start({}, {{"XDG_RUNTIME_DIR", ""}, {"TMPDIR", shared}, {"REELKEEP_TEST_HOLD", release}});
    ASSERT_TRUE(WaitUntil([&] { return Windows() == 2; }));
    EXPECT_EQ(Run({}, env), 0);  // a second copy of the same user still ends at once
    struct stat folder {};
    ASSERT_EQ(::lstat(own.c_str(), &folder), 0);
    EXPECT_TRUE(S_ISDIR(folder.st_mode));
    EXPECT_EQ(folder.st_uid, ::geteuid());
    EXPECT_EQ(folder.st_mode & 0777, 0700u);
    std::ofstream(release).put('x');
    ASSERT_TRUE(first->Wait());
}

TEST_F(EntryTest, MissingWindowWritesTheDebugLineAndEndsWithZero) {
    // The program's channel is in the runtime folder it is given: the viewer listens there.
    test::ScopedEnv runtime("XDG_RUNTIME_DIR", root.Path() + "run");
    test::TraceListener viewer;
    EXPECT_EQ(Run({}, {{"REELKEEP_TEST_NO_WINDOW", "1"},
                       {"REELKEEP_TRACE_CHANNEL", viewer.Name()}}),
              0);
    const auto records = viewer.Take();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].text, "Main window creation failed!\n");
}

TEST(RestartCommandTest, ParsesStagePidAndPathToTheEnd) {
    EXPECT_FALSE(ParseRestartCommand(""));
    EXPECT_FALSE(ParseRestartCommand(" RESTART1 1 /x"));
    EXPECT_FALSE(ParseRestartCommand("restart1 1 /x"));

    auto command = ParseRestartCommand("RESTART1 \t1a2B /opt/my app/reelkeep  ");
    ASSERT_TRUE(command);
    EXPECT_EQ(command->stage, 1);
    EXPECT_EQ(command->pid, 0x1a2b);
    EXPECT_EQ(command->path, "/opt/my app/reelkeep  ");

    // One separator of any kind, then blanks.
    command = ParseRestartCommand("RESTART2 ff;  /p");
    EXPECT_EQ(command->pid, 0xff);
    EXPECT_EQ(command->path, "/p");

    command = ParseRestartCommand("RESTART");
    EXPECT_NE(command->stage, 1);
    EXPECT_NE(command->stage, 2);
    EXPECT_EQ(command->pid, 0);
    EXPECT_EQ(ParseRestartCommand("RESTART2 fffffffffff /p")->pid, 0);
    EXPECT_EQ(ParseRestartCommand("RESTARTx")->stage, 'x' - '0');
}

TEST(RestartCommandTest, CommandLinesOfBothStages) {
    EXPECT_EQ(RestartCommandLine("/opt/r/~reelkeep", 1, 0x4d2, "/opt/r/reelkeep"),
              "\"/opt/r/~reelkeep\" RESTART1 4d2 /opt/r/reelkeep");
    EXPECT_EQ(RestartCommandLine("/a b/reelkeep", 2, 255, "/a b/~reelkeep"),
              "\"/a b/reelkeep\" RESTART2 ff /a b/~reelkeep");
    // A relay that cannot be started is reported, so that the old program goes on running.
    EXPECT_FALSE(StartRestartRelay("/nonexistent/~reelkeep"));
}

}  // namespace
}  // namespace reelkeep
