// The order of start-up and shutdown around the main window: the crash message process, the
// restart stages, the single-instance rule and the crash handler. The window itself is the
// caller's, through the hooks.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace reelkeep {

struct EntryHooks {
    // Creates the main window and runs its loop; returns the loop's result (1 after a normal
    // close), or nothing when the window could not be created.
    std::function<std::optional<int>()> run;
    // Shows the crash message (caption, text) in a box and returns when it is closed.
    std::function<void(const std::string& caption, const std::string& text)> showCrashMessage;
};

// The arguments after the program name, joined by single blanks: the command line as the
// start-up rules read it.
std::string CommandLineOf(int argc, const char* const* argv);

// Runs the program for this command line and returns the process's exit code:
// - "--crash-report PATH": shows the crash message, exit 0;
// - an ordinary start: takes the single-instance lock first (another copy holds it: exit 0);
// - "RESTART<digit> <pid> <path>": waits for the process, then takes the lock (exit 0 when
//   held), then stage 1 copies and starts stage 2 (exit 0), stage 2 deletes the path and goes
//   on, any other digit exits 0;
// - the crash handler is in force around the window ("Main window creation failed!\n" goes to
//   the debug channel when there is none, exit 0).
int RunEntry(const std::string& commandLine, const EntryHooks& hooks);

}  // namespace reelkeep
