// A stand-in for the desktop program in the start-up tests: the real entry rules, with a
// "window" that writes what happened to $REELKEEP_TEST_LOG. Its behaviour is steered by the
// environment:
//   REELKEEP_TEST_PENDING=path  when that file exists, start the restart relay from it
//   REELKEEP_TEST_HOLD=path     keep the window open until that file exists
//   REELKEEP_TEST_CRASH=segv|abort|thread-overflow  crash while the window is open (the last
//                               by a stack overflow on a thread the program starts)
//   REELKEEP_TEST_NO_WINDOW=1   the window cannot be created
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <csignal>
#include <cstdlib>
#include <string>
#include <thread>

#include "maint/FileSystem.h"
#include "maint/ProcessEntry.h"
#include "maint/ProgramThread.h"
#include "maint/Restart.h"

namespace {

void Log(const std::string& line) {
    const char* path = std::getenv("REELKEEP_TEST_LOG");
    if (!path) return;
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    const std::string text = line + "\n";
    [[maybe_unused]] const ssize_t put = ::write(fd, text.data(), text.size());
    ::close(fd);
}

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// Recurses until the thread's stack runs out; the frame's bytes keep it from becoming a loop,
// and a limit never reached keeps the compiler from calling it endless.
volatile int g_depthLimit = 1 << 30;

__attribute__((noinline)) int Overflow(int depth) {
    if (depth >= g_depthLimit) return 0;
    volatile char frame[1024];
    frame[depth % sizeof frame] = static_cast<char>(depth);
    return Overflow(depth + 1) + frame[0];
}

std::optional<int> RunWindow(const std::string& commandLine) {
    if (!Env("REELKEEP_TEST_NO_WINDOW").empty()) return std::nullopt;
    Log("window " + std::to_string(::getpid()) + " [" + commandLine + "]");

    const std::string pending = Env("REELKEEP_TEST_PENDING");
    if (!pending.empty() && reelkeep::PathExists(pending)) {
        Log(std::string("relay ") + (reelkeep::StartRestartRelay(pending) ? "started" : "failed"));
        // The relay must not touch our file while we still run.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        const std::string own = reelkeep::OwnProgramPath();
        Log(own.ends_with(" (deleted)") ? "own file replaced early" : "own file intact");
    }
    const std::string crash = Env("REELKEEP_TEST_CRASH");
    // Address 16 rather than 0, so that the sanitizers' null check lets the fault happen.
    volatile std::uintptr_t address = 16;
    if (crash == "segv") *reinterpret_cast<volatile int*>(address) = 1;
    if (crash == "abort") std::abort();
    if (crash == "thread-overflow") {
        Log("main thread " + std::to_string(::gettid()));
        reelkeep::StartProgramThread([] { Overflow(0); }).join();
    }

    const std::string hold = Env("REELKEEP_TEST_HOLD");
    for (int i = 0; !hold.empty() && !reelkeep::PathExists(hold) && i < 3000; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string commandLine = reelkeep::CommandLineOf(argc, argv);
    reelkeep::EntryHooks hooks;
    hooks.run = [&] { return RunWindow(commandLine); };
    hooks.showCrashMessage = [](const std::string& caption, const std::string& text) {
        Log("message " + caption + " | " + text);
    };
    return reelkeep::RunEntry(commandLine, hooks);
}
