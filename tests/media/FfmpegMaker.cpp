#include "FfmpegMaker.h"

#include <unistd.h>

#include <cstdlib>
#include <sstream>

#include "support/Process.h"

namespace reelkeep::test {

std::string FindProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        const std::string candidate = (folder.empty() ? "." : folder) + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

std::string MakeAviWithFfmpeg(const std::string& path, const std::string& size,
                              const std::string& rate, const std::vector<std::string>& options,
                              double seconds) {
    const std::string ffmpeg = FindProgram("ffmpeg");
    if (ffmpeg.empty())
        return "ffmpeg is not installed (scripts/install-deps installs it)";
    std::vector<std::string> args = {"-nostdin", "-v",
                                     "error",    "-y",
                                     "-f",       "lavfi",
                                     "-i",       "testsrc=size=" + size + ":rate=" + rate,
                                     "-f",       "lavfi",
                                     "-i",       "sine=frequency=440:sample_rate=48000",
                                     "-t",       std::to_string(seconds)};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(path);
    const ProcessResult result = RunProcess(ffmpeg, args);
    if (result.exitCode != 0)
        return "ffmpeg failed: " + result.err;
    return {};
}

}  // namespace reelkeep::test
