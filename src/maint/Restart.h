// The restart relay that puts a new program file in place: the old process starts the relay
// (stage 1) from the new file's temporary path, the relay copies itself over the installed
// path and starts the final process (stage 2), which deletes the temporary file and runs.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>

namespace reelkeep {

struct RestartCommand {
    int stage = 0;    // the digit's value minus '0'; any value
    pid_t pid = 0;    // the process to wait for; 0 when the id did not parse
    std::string path; // to the end of the line, trailing blanks included
};

// "RESTART", one stage digit, blanks, a hexadecimal process id, one separator, blanks, the
// path. Empty when the line does not begin with the seven characters "RESTART".
std::optional<RestartCommand> ParseRestartCommand(std::string_view commandLine);

// "\"%s\" RESTART%d %x %s": the program to start, the stage, our process id, our path.
std::string RestartCommandLine(const std::string& program, int stage, pid_t pid,
                               const std::string& ownPath);

// Starts the program of a restart command line with the rest of that line.
bool StartRestartStage(const std::string& program, int stage, const std::string& ownPath);

// The old process's step: starts the relay from the pending replacement. False when it could
// not be started (the program then goes on running with the old file).
bool StartRestartRelay(const std::string& pendingReplacement);

// What the entry does for a restart command line once it has waited and holds the lock.
// Returns the exit code when the process ends here, or nothing to go on with an ordinary start.
std::optional<int> RunRestartStage(const RestartCommand& command);

}  // namespace reelkeep
