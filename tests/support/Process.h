// Runs a program of ours as a child process, for end-to-end tests of the command-line faces.
#pragma once

#include <string>
#include <vector>

namespace reelkeep::test {

struct ProcessResult {
    int exitCode = -1;  // -1 when the child did not exit normally
    int signal = 0;     // the signal that ended the child, if one did
    std::string out;
    std::string err;
};

// Runs program with args, feeding `input` on standard input; waits for it to end. The child
// gets this process's environment with `environment` ("NAME=value" each) added over it.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::string& input = {},
                         const std::vector<std::string>& environment = {});

}  // namespace reelkeep::test
