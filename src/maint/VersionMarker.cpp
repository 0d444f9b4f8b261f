#include "maint/VersionMarker.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace reelkeep {

namespace {

// "RKVERSION:" + "65535.65535.65535.65535" + zero.
constexpr std::size_t kLongestMarker = kVersionMarkerPrefix.size() + 23 + 1;

enum class Parse { Found, NotAMarker, NeedMore };

Parse ParseMarkerAt(std::string_view bytes, std::uint64_t& version) {
    std::size_t at = kVersionMarkerPrefix.size();
    std::uint64_t packed = 0;
    for (int part = 0; part < 4; ++part) {
        std::uint32_t value = 0;
        std::size_t digits = 0;
        for (; at < bytes.size() && bytes[at] >= '0' && bytes[at] <= '9'; ++at) {
            if (++digits > 5) return Parse::NotAMarker;
            value = value * 10 + static_cast<std::uint32_t>(bytes[at] - '0');
        }
        if (at == bytes.size()) return Parse::NeedMore;
        if (digits == 0 || value > 0xFFFF) return Parse::NotAMarker;
        const char end = part < 3 ? '.' : '\0';
        if (bytes[at] != end) return Parse::NotAMarker;
        ++at;
        packed = (packed << 16) | value;
    }
    version = packed;
    return Parse::Found;
}

}  // namespace

std::uint64_t PackVersion(std::uint16_t a, std::uint16_t b, std::uint16_t c, std::uint16_t d) {
    return (std::uint64_t{a} << 48) | (std::uint64_t{b} << 32) | (std::uint64_t{c} << 16) | d;
}

std::optional<std::uint64_t> FindVersionMarker(std::string_view bytes) {
    for (std::size_t at = bytes.find(kVersionMarkerPrefix); at != std::string_view::npos;
         at = bytes.find(kVersionMarkerPrefix, at + 1)) {
        std::uint64_t version = 0;
        if (ParseMarkerAt(bytes.substr(at), version) == Parse::Found) return version;
    }
    return std::nullopt;
}

std::optional<std::uint64_t> ReadFileVersion(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::string window;
    char buffer[1 << 16];
    bool end = false;
    std::optional<std::uint64_t> found;
    while (!found && !end) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        end = got <= 0;
        if (got > 0) window.append(buffer, static_cast<std::size_t>(got));
        std::size_t keepFrom = window.size() > kLongestMarker ? window.size() - kLongestMarker : 0;
        for (std::size_t at = window.find(kVersionMarkerPrefix); at != std::string::npos;
             at = window.find(kVersionMarkerPrefix, at + 1)) {
            std::uint64_t version = 0;
            const Parse result = ParseMarkerAt(std::string_view(window).substr(at), version);
            if (result == Parse::Found) {
                found = version;
                break;
            }
            if (result == Parse::NeedMore) {
                keepFrom = std::min(keepFrom, at);
                break;
            }
        }
        window.erase(0, keepFrom);
    }
    ::close(fd);
    return found;
}

}  // namespace reelkeep
