#include "maint/DebugTrace.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace reelkeep {

namespace {

std::atomic<int> g_viewer{-1};

// Each thread keeps one unconnected socket for its lookups, so that a lookup without a
// viewer costs one failed connect and nothing else.
class ProbeSocket {
public:
    ~ProbeSocket() {
        if (fd_ >= 0) ::close(fd_);
    }
    // The connected socket, handed over to the caller, or -1 when no viewer listens.
    int Connect() {
        if (fd_ < 0) fd_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        if (fd_ < 0) return -1;
        const std::string name = DebugViewerName();
        sockaddr_un address{};
        if (name.size() + 1 > sizeof address.sun_path) return -1;
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path + 1, name.data(), name.size());  // abstract: leading zero
        const auto length =
            static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
        if (::connect(fd_, reinterpret_cast<const sockaddr*>(&address), length) != 0) return -1;
        const int connected = fd_;
        fd_ = -1;
        return connected;
    }

private:
    int fd_ = -1;
};

int Viewer() {
    int fd = g_viewer.load();
    if (fd >= 0) return fd;
    thread_local ProbeSocket probe;
    fd = probe.Connect();
    if (fd < 0) return -1;
    int expected = -1;
    if (!g_viewer.compare_exchange_strong(expected, fd)) {
        ::close(fd);  // another thread found it first
        return expected;
    }
    return fd;
}

}  // namespace

std::string DebugViewerName() {
    const char* name = std::getenv("REELKEEP_TRACE_CHANNEL");
    return name && name[0] ? name : kDebugViewerName;
}

void DebugTrace(const char* format, ...) {
    const int fd = Viewer();
    if (fd < 0) return;

    va_list args;
    va_start(args, format);
    va_list measure;
    va_copy(measure, args);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (length < 0) {
        va_end(args);
        return;
    }
    std::string text(static_cast<std::size_t>(length), '\0');
    std::vsnprintf(text.data(), text.size() + 1, format, args);
    va_end(args);

    const std::uint32_t header[2] = {static_cast<std::uint32_t>(::getpid()),
                                     static_cast<std::uint32_t>(text.size() + 1)};
    iovec parts[2] = {{const_cast<std::uint32_t*>(header), sizeof header},
                      {text.data(), text.size() + 1}};
    msghdr message{};
    message.msg_iov = parts;
    message.msg_iovlen = 2;
    ::sendmsg(fd, &message, MSG_NOSIGNAL);
}

std::string EncodeDebugRecord(std::uint32_t processId, std::string_view text) {
    const std::uint32_t header[2] = {processId, static_cast<std::uint32_t>(text.size() + 1)};
    std::string bytes(reinterpret_cast<const char*>(header), sizeof header);
    bytes.append(text);
    bytes.push_back('\0');
    return bytes;
}

std::optional<DebugRecord> DecodeDebugRecord(std::string_view bytes) {
    std::uint32_t header[2];
    if (bytes.size() < sizeof header + 1) return std::nullopt;
    std::memcpy(header, bytes.data(), sizeof header);
    const std::string_view data = bytes.substr(sizeof header);
    if (header[1] != data.size() || data.back() != '\0') return std::nullopt;
    return DebugRecord{header[0], std::string(data.substr(0, data.size() - 1))};
}

void ForgetDebugViewer() {
    const int fd = g_viewer.exchange(-1);
    if (fd >= 0) ::close(fd);
}

}  // namespace reelkeep
