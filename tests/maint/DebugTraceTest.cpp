// The debug channel against a viewer socket of the test's own, and the shipped viewer.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <thread>

#include "maint/DebugTrace.h"
#include "maint/MaintTestSupport.h"
#include "support/TempFolder.h"

namespace reelkeep {
namespace {

TEST(DebugTraceTest, RecordCarriesProcessIdByteCountAndWholeText) {
    test::TraceListener viewer;
    const std::string longLine(5000, 'x');
    DebugTrace("Update %s (%s)", "Scripts\\a.rks", "c0123");
    DebugTrace("%s", longLine.c_str());
    DebugTrace("Main window creation failed!\n");
    const auto records = viewer.Take();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].processId, static_cast<std::uint32_t>(::getpid()));
    EXPECT_EQ(records[0].text, "Update Scripts\\a.rks (c0123)");
    EXPECT_EQ(records[1].text, longLine);
    EXPECT_EQ(records[2].text, "Main window creation failed!\n");
}

TEST(DebugTraceTest, RecordEncodingCountsTheTerminatingZero) {
    const std::string bytes = EncodeDebugRecord(77, "abc");
    ASSERT_EQ(bytes.size(), 12u);
    EXPECT_EQ(bytes[4], 4);  // byte count, low byte first on this machine
    EXPECT_EQ(bytes.back(), '\0');
    const auto record = DecodeDebugRecord(bytes);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->processId, 77u);
    EXPECT_EQ(record->text, "abc");
    EXPECT_FALSE(DecodeDebugRecord(bytes.substr(0, 11)));
    EXPECT_FALSE(DecodeDebugRecord(bytes.substr(0, 11) + "x"));
    EXPECT_FALSE(DecodeDebugRecord(""));
}

TEST(DebugTraceTest, ViewerIsLookedUpUntilFoundThenKept) {
    const std::string name = "reelkeep-test-late-" + std::to_string(::getpid());
    test::ScopedEnv channel("REELKEEP_TRACE_CHANNEL", name);
    ForgetDebugViewer();
    // Nobody listens: nothing is formatted, so not even a bad argument is looked at.
    const char* unreadable = reinterpret_cast<const char*>(std::uintptr_t{16});
    for (int i = 0; i < 1000; ++i) DebugTrace("dropped %d %s", i, unreadable);

    auto first = std::make_unique<test::TraceListener>(name);
    DebugTrace("one");
    EXPECT_EQ(first->TakeTexts(), std::vector<std::string>{"one"});
    first.reset();
    // A viewer started after the first one was found is not looked up again.
    test::TraceListener second(name, /*forgetViewer=*/false);
    DebugTrace("lost");
    EXPECT_TRUE(second.TakeTexts().empty());
    ForgetDebugViewer();
    DebugTrace("found");
    EXPECT_EQ(second.TakeTexts(), std::vector<std::string>{"found"});
}

// Binds a datagram socket at `path`, or in the abstract namespace when it starts with a zero.
int BindAt(const std::string& path) {
    sockaddr_un address{};
    if (path.size() + 1 > sizeof address.sun_path) return -1;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.data(), path.size());
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size());
    if (fd >= 0 && ::bind(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0) return fd;
    if (fd >= 0) ::close(fd);
    return -1;
}

TEST(DebugTraceTest, ListenersOfAnotherUserHearNothing) {
    if (!test::OtherUserProcess::Possible()) GTEST_SKIP() << "only root can start another user's process";
    const std::string name = "reelkeep-test-other-" + std::to_string(::getpid());
    // A folder everyone may write to, as the temporary folder is.
    test::TempFolder root;
    ASSERT_EQ(::chmod(root.Path().c_str(), 0755), 0);
    const std::string shared = root.Path() + "shared";
    ASSERT_EQ(::mkdir(shared.c_str(), 0777), 0);
    ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
    const std::string runtime = root.Path() + "run";
    ASSERT_EQ(::mkdir(runtime.c_str(), 0700), 0);
    const std::string squatted = shared + "/reelkeep-" + std::to_string(::geteuid());

    for (const bool hasRuntimeFolder : {true, false}) {
        SCOPED_TRACE(hasRuntimeFolder ? "with XDG_RUNTIME_DIR" : "without XDG_RUNTIME_DIR");
        test::ScopedEnv channel("REELKEEP_TRACE_CHANNEL", name);
        test::ScopedEnv temporary("TMPDIR", shared);
        test::ScopedEnv runtimeFolder("XDG_RUNTIME_DIR", hasRuntimeFolder ? runtime : "");
        std::vector<int> listeners;
        test::OtherUserProcess other(
            [&] {
                // Wherever the program might send: the name in the namespace every user shares,
                // the program's own folders, and the folder it would make in the shared one.
                ::mkdir(squatted.c_str(), 0777);
                ::chmod(squatted.c_str(), 0777);
                for (const std::string& path : {std::string(1, '\0') + name, runtime + "/" + name,
                                                squatted + "/" + name}) {
                    if (const int fd = BindAt(path); fd >= 0) listeners.push_back(fd);
                }
                return "listening on " + std::to_string(listeners.size());
            },
            [&] {
                int heard = 0;
                std::vector<pollfd> waits;
                for (const int fd : listeners) waits.push_back({fd, POLLIN, 0});
                while (::poll(waits.data(), waits.size(), 300) > 0) {
                    for (pollfd& wait : waits) {
                        char buffer[8192];
                        if ((wait.revents & POLLIN) && ::recv(wait.fd, buffer, sizeof buffer, 0) > 0) {
                            ++heard;
                        }
                    }
                }
                return std::to_string(heard);
            });
        EXPECT_EQ(other.Ready(), "listening on 2");
        ForgetDebugViewer();
        // Fewer lines than a socket queues, so that no send could wait for the listener.
        for (int i = 0; i < 5; ++i) DebugTrace("Loading database: /root/secret/%d", i);
        EXPECT_EQ(other.Finish(), "0");
        ForgetDebugViewer();
        std::filesystem::remove_all(squatted);
    }
}

TEST(DebugTraceTest, AViewerThatNeverReadsCannotHoldTheProgramUp) {
    test::TraceListener viewer;  // reads nothing while the lines go out
    std::atomic<bool> done = false;
    const std::string filler(200, 'x');
    std::thread sender([&] {
        for (int i = 0; i < 20000; ++i) DebugTrace("line %d %s", i, filler.c_str());
        done = true;
    });
    const bool inTime = test::WaitUntil([&] { return done.load(); }, std::chrono::seconds(10));
    // A sender that waits for the viewer is let go, so that the test ends either way.
    while (!done) {
        viewer.Take();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    sender.join();
    EXPECT_TRUE(inTime);
    viewer.Take();
    // The channel still works once the viewer reads again.
    DebugTrace("after the flood");
    EXPECT_EQ(viewer.TakeTexts(), std::vector<std::string>{"after the flood"});
}

TEST(DebugTraceTest, ShippedViewerPrintsEachRecord) {
    test::TempFolder folder;
    const std::string name = "reelkeep-test-viewer-" + std::to_string(::getpid());
    test::ChildProcess viewer(REELKEEP_TRACE_PATH, {"--name", name, "--count", "2"}, {},
                              folder.Path());
    test::ScopedEnv channel("REELKEEP_TRACE_CHANNEL", name);
    ForgetDebugViewer();
    // The viewer binds its socket some time after it starts; send once it is there.
    ASSERT_TRUE(test::WaitUntil([&] {
        return viewer.Output().find("listening") != std::string::npos;
    }));
    DebugTrace("Path: %s", "/opt/reelkeep/");
    DebugTrace("Main window creation failed!\n");
    const auto status = viewer.Wait();
    ASSERT_TRUE(status);
    EXPECT_EQ(*status, 0);
    const std::string pid = std::to_string(::getpid());
    EXPECT_NE(viewer.Output().find(pid + "\tPath: /opt/reelkeep/\n" + pid +
                                   "\tMain window creation failed!\n"),
              std::string::npos)
        << viewer.Output();
    ForgetDebugViewer();
}

}  // namespace
}  // namespace reelkeep
