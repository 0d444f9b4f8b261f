#include "maint/DebugTrace.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "maint/PrivateFolder.h"

namespace reelkeep {

namespace {

std::atomic<int> g_viewer{-1};

// The socket address of a path, or nothing when it does not fit.
std::optional<sockaddr_un> SocketAddress(const std::string& path) {
    sockaddr_un address{};
    if (path.empty() || path.size() + 1 > sizeof address.sun_path) return std::nullopt;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.data(), path.size());
    return address;
}

bool ConnectTo(int fd, const sockaddr_un& address) {
    return ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
}

// Each thread keeps one unconnected socket for its lookups, so that a lookup without a
// viewer costs one failed connect and nothing else.
class ProbeSocket {
public:
    ~ProbeSocket() {
        if (fd_ >= 0) ::close(fd_);
    }
    // The connected socket, handed over to the caller, or -1 when no viewer listens.
    int Connect() {
        const auto address = SocketAddress(DebugChannelPath(DebugViewerName(), false));
        if (!address) return -1;
        if (fd_ < 0) fd_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        if (fd_ < 0 || !ConnectTo(fd_, *address)) return -1;
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

std::string DebugChannelPath(const std::string& name, bool create) {
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) {
        return {};
    }
    const std::string folder = PrivateRuntimeFolder(create);
    if (folder.empty()) return {};
    const std::string path = folder + name;
    return SocketAddress(path) ? path : std::string();
}

int ListenOnDebugChannel(const std::string& name, std::string& path, std::string& error) {
    path = DebugChannelPath(name, true);
    if (path.empty()) {
        error = "no private folder of this user for the channel \"" + name +
                "\" (XDG_RUNTIME_DIR, or reelkeep-<uid> in the temporary folder)";
        return -1;
    }
    const sockaddr_un address = *SocketAddress(path);
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = std::strerror(errno);
        return -1;
    }
    struct stat existing {};
    if (::lstat(path.c_str(), &existing) == 0) {
        const int probe = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        const bool live = S_ISSOCK(existing.st_mode) && probe >= 0 && ConnectTo(probe, address);
        if (probe >= 0) ::close(probe);
        if (live) {
            ::close(fd);
            error = "another viewer listens on " + path;
            return -1;
        }
        ::unlink(path.c_str());
    }
    // The socket file is made for this user alone, whatever the folder allows.
    const mode_t previous = ::umask(0077);
    const int bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    ::umask(previous);
    if (bound != 0) {
        error = std::strerror(errno);
        ::close(fd);
        return -1;
    }
    return fd;
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
    // Never waits for the viewer: what it cannot take now is lost.
    ::sendmsg(fd, &message, MSG_NOSIGNAL | MSG_DONTWAIT);
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
