#include "maint/Restart.h"

#include <unistd.h>

#include <cstdio>

#include "maint/FileSystem.h"
#include "maint/Processes.h"

namespace reelkeep {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<RestartCommand> ParseRestartCommand(std::string_view line) {
    constexpr std::string_view kRestart = "RESTART";
    if (!line.starts_with(kRestart)) return std::nullopt;
    RestartCommand command;
    std::size_t at = kRestart.size();
    // A line that ends after "RESTART" has the terminator as its digit, like any other
    // character that is not one: an unknown stage.
    command.stage = (at < line.size() ? line[at] : '\0') - '0';
    if (at < line.size()) ++at;
    while (at < line.size() && IsBlank(line[at])) ++at;

    unsigned long long pid = 0;
    for (; at < line.size() && HexValue(line[at]) >= 0; ++at) {
        pid = pid * 16 + static_cast<unsigned>(HexValue(line[at]));
        if (pid > 0x7FFFFFFF) pid = 0x80000000;  // beyond any process id
    }
    command.pid = pid <= 0x7FFFFFFF ? static_cast<pid_t>(pid) : 0;

    if (at < line.size()) ++at;  // the one separator
    while (at < line.size() && IsBlank(line[at])) ++at;
    command.path = std::string(line.substr(at));
    return command;
}

std::string RestartCommandLine(const std::string& program, int stage, pid_t pid,
                               const std::string& ownPath) {
    char middle[48];
    std::snprintf(middle, sizeof middle, " RESTART%d %x ", stage, static_cast<unsigned>(pid));
    return "\"" + program + "\"" + middle + ownPath;
}

bool StartRestartStage(const std::string& program, int stage, const std::string& ownPath) {
    const std::string line = RestartCommandLine(program, stage, ::getpid(), ownPath);
    // The started process gets everything after the quoted program and its blank.
    return StartProgram(program, line.substr(program.size() + 3));
}

bool StartRestartRelay(const std::string& pendingReplacement) {
    const std::string own = OwnProgramPath();
    return !own.empty() && StartRestartStage(pendingReplacement, 1, own);
}

std::optional<int> RunRestartStage(const RestartCommand& command) {
    switch (command.stage) {
        case 1: {
            const std::string own = OwnProgramPath();
            if (!own.empty() && CopyFileOver(own, command.path)) {
                StartRestartStage(command.path, 2, own);
            }
            return 0;
        }
        case 2:
            ::unlink(command.path.c_str());
            return std::nullopt;
        default:
            return 0;
    }
}

}  // namespace reelkeep
