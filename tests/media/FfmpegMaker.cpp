#include "FfmpegMaker.h"

#include <unistd.h>

#include <cstdlib>
#include <mutex>
#include <set>
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

bool HasFfmpegEncoder(const std::string& name) {
    static std::once_flag once;
    static std::set<std::string> encoders;
    std::call_once(once, [] {
        const std::string ffmpeg = FindProgram("ffmpeg");
        if (ffmpeg.empty())
            return;
        const ProcessResult result = RunProcess(ffmpeg, {"-hide_banner", "-encoders"});
        std::istringstream lines(result.out);
        std::string flags, encoder;
        // " V....D libx264   libx264 H.264 / AVC ..." after a legend that ends in " ------".
        bool listing = false;
        for (std::string line; std::getline(lines, line);) {
            std::istringstream words(line);
            if (!(words >> flags))
                continue;
            if (!listing)
                listing = flags == "------";
            else if (words >> encoder)
                encoders.insert(encoder);
        }
    });
    return encoders.count(name) != 0;
}

std::string RunFfmpeg(const std::vector<std::string>& args) {
    const std::string ffmpeg = FindProgram("ffmpeg");
    if (ffmpeg.empty())
        return "ffmpeg is not installed (scripts/install-deps installs it)";
    std::vector<std::string> all = {"-nostdin", "-v", "error", "-y"};
    all.insert(all.end(), args.begin(), args.end());
    const ProcessResult result = RunProcess(ffmpeg, all);
    if (result.exitCode != 0)
        return "ffmpeg failed: " + result.err;
    return {};
}

}  // namespace reelkeep::test
