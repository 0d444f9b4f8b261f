// A script run's host on a terminal: progress and messages on stderr, answers from stdin.
#pragma once

#include <cstdio>
#include <vector>

#include "script/ScriptRunHost.h"
#include "script/ScriptRunner.h"

namespace reelkeep::cli {

class CliScriptHost : public ScriptRunHost {
public:
    // `in` answers input and select when `interactive`; otherwise they are cancelled.
    CliScriptHost(std::vector<ScriptRunMovie> movies, std::FILE* in, std::FILE* err, bool interactive);

    void SetRange(std::uint32_t high) override;
    void SetPosition(std::uint32_t position) override;
    void SetItemState(std::size_t item, ItemState state) override;
    void MovieStored(std::size_t item, const std::string& title, bool watched) override;
    int MessageBox(const std::string& text, const std::string& caption, std::uint32_t style) override;
    bool Input(std::string& value, const std::string& title, const std::string& label,
               bool allowEmpty) override;
    int Select(const StringArray& items, const std::string& title, const std::string& label) override;

    std::size_t Stored() const { return stored_; }
    // Once `fd` is readable, a question waiting for its answer is cancelled.
    void SetCancelledFd(int fd) { cancelledFd_ = fd; }

private:
    bool ReadLine(std::string& line);

    std::vector<ScriptRunMovie> movies_;
    std::FILE* in_;
    std::FILE* err_;
    bool interactive_;
    std::uint32_t range_ = 0;
    int lastPercent_ = -1;
    std::size_t stored_ = 0;
    int cancelledFd_ = -1;
};

}  // namespace reelkeep::cli
