#include "maint/ProcessEntry.h"

#include "maint/CrashHandler.h"
#include "maint/DebugTrace.h"
#include "maint/InstanceLock.h"
#include "maint/MaintStrings.h"
#include "maint/Processes.h"
#include "maint/Restart.h"

namespace reelkeep {

std::string CommandLineOf(int argc, const char* const* argv) {
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) line.push_back(' ');
        line += argv[i];
    }
    return line;
}

int RunEntry(const std::string& commandLine, const EntryHooks& hooks) {
    const std::string crashReport = std::string(kCrashReportArgument) + " ";
    if (commandLine.starts_with(crashReport)) {
        if (hooks.showCrashMessage) {
            hooks.showCrashMessage(kCrashCaption,
                                   CrashMessageText(commandLine.substr(crashReport.size())));
        }
        return 0;
    }

    InstanceLock lock;
    const std::optional<RestartCommand> restart = ParseRestartCommand(commandLine);
    if (!restart && !lock.Acquire()) return 0;

    std::optional<int> exitCode;
    if (restart) {
        // The process before us holds the lock until it ends: wait first.
        WaitForProcess(restart->pid);
        if (!lock.Acquire()) return 0;
        exitCode = RunRestartStage(*restart);
    }

    InstallCrashHandler();
    if (!exitCode) {
        exitCode = hooks.run ? hooks.run() : std::nullopt;
        if (!exitCode) {
            DebugTrace("Main window creation failed!\n");
            exitCode = 0;
        }
    }
    RemoveCrashHandler();
    return *exitCode;
}

}  // namespace reelkeep
