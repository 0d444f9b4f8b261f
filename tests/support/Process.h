// Runs a program of ours as a child process, for end-to-end tests of the command-line faces.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace reelkeep::test {

struct ProcessResult {
    int exitCode = -1;  // -1 when the child did not exit normally
    int signal = 0;       // the signal that ended it, if one did
    bool killed = false;  // it outlived the time limit and was killed
    std::string out;
    std::string err;
};

// Looks at a running child: its id and what it has written to standard error so far.
using ProcessWatch = std::function<void(pid_t pid, const std::string& err)>;

// Runs program with args, feeding `input` on standard input; waits for it to end. The child
// gets this process's environment with `environment` ("NAME=value" each) added over it.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::string& input = {},
                         const std::vector<std::string>& environment = {});
// The same, calling `watch` whenever the child writes and at least every 50 ms (it may signal
// the child); a child still running after `limit` is killed.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::string& input, const ProcessWatch& watch,
                         std::chrono::milliseconds limit);

}  // namespace reelkeep::test
