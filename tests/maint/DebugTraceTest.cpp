// The debug channel against a viewer socket of the test's own, and the shipped viewer.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <memory>

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
