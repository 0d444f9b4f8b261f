// The media helper ("reelkeep-probe") seen from the program: one helper process per drop or
// command, started on first need and fed one path at a time over a socket. The media
// library runs only in there: whatever a strange file does to it, the program loses one
// file's facts and nothing else. A helper that dies, says something unreadable or takes
// longer than the time limit over one file is killed; the next file starts a fresh one.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>

#include "media/ProbeProtocol.h"

namespace reelkeep {

inline constexpr char kProbeProgramName[] = "reelkeep-probe";

// The helper beside the running program: in the build tree and in an install's bin/ alike.
std::string DefaultProbeProgram();

class MediaProbe {
public:
    static constexpr std::chrono::milliseconds kFileTimeLimit{5000};

    explicit MediaProbe(std::string program = DefaultProbeProgram(),
                        std::chrono::milliseconds timeLimit = kFileTimeLimit);
    ~MediaProbe();
    MediaProbe(const MediaProbe&) = delete;
    MediaProbe& operator=(const MediaProbe&) = delete;

    // The library's answer for the file. Nothing when no helper could be started, or the
    // helper crashed, took too long or answered something unreadable over this file.
    std::optional<ProbeAnswer> Inspect(const std::string& path);

    const std::string& Program() const { return program_; }
    std::chrono::milliseconds TimeLimit() const { return timeLimit_; }

    // The running helper's process id, 0 when none runs.
    pid_t HelperPid() const { return pid_; }
    // How many helpers were started so far.
    int Starts() const { return starts_; }

private:
    bool Start();
    // Ends the helper: `kill` at once, otherwise it is asked to finish and given a moment.
    void Stop(bool kill);
    bool Send(const std::string& bytes, std::chrono::steady_clock::time_point deadline);
    std::optional<std::string> Receive(std::chrono::steady_clock::time_point deadline);

    std::string program_;
    std::chrono::milliseconds timeLimit_;
    pid_t pid_ = 0;
    int socket_ = -1;
    int starts_ = 0;
};

}  // namespace reelkeep
