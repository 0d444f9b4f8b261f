#include "cli/CliScriptHost.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/MessageBoxStyle.h"

namespace reelkeep::cli {

CliScriptHost::CliScriptHost(std::vector<ScriptRunMovie> movies, std::FILE* in, std::FILE* err,
                             bool interactive)
    : movies_(std::move(movies)), in_(in), err_(err), interactive_(interactive) {}

void CliScriptHost::SetRange(std::uint32_t high) { range_ = high; }

void CliScriptHost::SetPosition(std::uint32_t position) {
    if (position == 0) {
        lastPercent_ = -1;
        return;
    }
    if (range_ == 0) return;
    const int percent = static_cast<int>(std::uint64_t{position} * 100 / range_);
    if (percent / 25 != lastPercent_ / 25) std::fprintf(err_, "  %d%%\n", percent);
    lastPercent_ = percent;
}

void CliScriptHost::SetItemState(std::size_t item, ItemState state) {
    if (state != ItemState::Processing || item >= movies_.size()) return;
    std::fprintf(err_, "[%zu/%zu] %s\n", item + 1, movies_.size(), movies_[item].title.c_str());
}

void CliScriptHost::MovieStored(std::size_t item, const std::string& title, bool) {
    ++stored_;
    if (item < movies_.size() && title != movies_[item].title) {
        std::fprintf(err_, "  stored as \"%s\"\n", title.c_str());
    }
}

int CliScriptHost::MessageBox(const std::string& text, const std::string& caption, std::uint32_t style) {
    std::fprintf(err_, "%s: %s\n", caption.c_str(), text.c_str());
    return MessageDefaultResult(style);
}

bool CliScriptHost::ReadLine(std::string& line) {
    line.clear();
    const int fd = ::fileno(in_);
    if (cancelledFd_ < 0 || fd < 0) {
        int c;
        while ((c = std::fgetc(in_)) != EOF && c != '\n') line.push_back(static_cast<char>(c));
        return c != EOF || !line.empty();
    }
    // Byte by byte from the descriptor, so that a cancelled run ends the wait.
    for (;;) {
        pollfd waits[2] = {{fd, POLLIN, 0}, {cancelledFd_, POLLIN, 0}};
        if (::poll(waits, 2, -1) < 0 && errno != EINTR) return false;
        if (waits[1].revents != 0) return false;
        if (waits[0].revents == 0) continue;
        char c = 0;
        const ssize_t got = ::read(fd, &c, 1);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return !line.empty();
        if (c == '\n') return true;
        line.push_back(c);
    }
}

bool CliScriptHost::Input(std::string& value, const std::string& title, const std::string& label,
                          bool allowEmpty) {
    if (!interactive_) return false;
    for (;;) {
        std::fprintf(err_, "%s - %s [%s]: ", title.c_str(), label.c_str(), value.c_str());
        std::fflush(err_);
        std::string line;
        if (!ReadLine(line)) return false;
        if (line.empty()) line = value;  // Enter keeps the offered text
        if (!line.empty() || allowEmpty) {
            value = line;
            return true;
        }
    }
}

int CliScriptHost::Select(const StringArray& items, const std::string& title, const std::string& label) {
    if (!interactive_ || items.empty()) return -1;
    std::fprintf(err_, "%s - %s\n", title.c_str(), label.c_str());
    for (std::size_t i = 0; i < items.size(); ++i) std::fprintf(err_, "  %zu. %s\n", i + 1, items[i].c_str());
    for (;;) {
        std::fprintf(err_, "number (empty to cancel): ");
        std::fflush(err_);
        std::string line;
        if (!ReadLine(line) || line.empty()) return -1;
        char* end = nullptr;
        const long choice = std::strtol(line.c_str(), &end, 10);
        if (*end == '\0' && choice >= 1 && static_cast<std::size_t>(choice) <= items.size()) {
            return static_cast<int>(choice - 1);
        }
    }
}

}  // namespace reelkeep::cli
