// Waiting for another process and starting one with a command line.
#pragma once

#include <sys/types.h>

#include <string>

namespace reelkeep {

// Waits without a time limit until the process has ended. A process that no longer exists,
// id 0, or our own id: no wait.
void WaitForProcess(pid_t pid);

// Starts program with one argument holding the rest of its command line, so that the started
// process sees the line unchanged (blanks included). False when it could not be started.
bool StartProgram(const std::string& program, const std::string& commandLineRest);

}  // namespace reelkeep
