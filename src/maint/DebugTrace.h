// The debug channel: formatted lines for an external viewer (reelkeep-trace), dropped at the
// cost of one lookup when no viewer listens. The channel belongs to one user: its socket lies
// in that user's private runtime folder, where no other user can listen.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace reelkeep {

// The name of the viewer's datagram socket in PrivateRuntimeFolder(). REELKEEP_TRACE_CHANNEL
// names another one, so that tests running side by side do not hear each other.
constexpr char kDebugViewerName[] = "TARVENN_Tracewin";
std::string DebugViewerName();

// The socket's path for `name`; empty when this user has no private folder (made when `create`
// is set), or the name is no plain file name or makes the path too long for a socket.
std::string DebugChannelPath(const std::string& name, bool create);

// Sends the formatted line to the viewer: nothing is formatted when none is found; the found
// viewer is remembered for the rest of the run; a failed send is ignored. A send never waits:
// a line that a slow or stopped viewer cannot take at once is dropped. No line break is
// added. Safe from any thread.
void DebugTrace(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The viewer's side: binds the channel's socket `name`, readable and writable by this user
// only. A socket file left behind by a viewer that has ended is replaced; a live viewer's is
// not. Returns the descriptor and sets `path`, or -1 with `error` saying why.
int ListenOnDebugChannel(const std::string& name, std::string& path, std::string& error);

// One record: the sender's process id, the byte count of the text with its terminating zero,
// then the text and the zero (both numbers 32-bit, in the machine's order).
struct DebugRecord {
    std::uint32_t processId = 0;
    std::string text;
};
std::string EncodeDebugRecord(std::uint32_t processId, std::string_view text);
// Empty when the bytes are not one whole record.
std::optional<DebugRecord> DecodeDebugRecord(std::string_view bytes);

// Forgets the remembered viewer, so that the next line looks it up again (tests only).
void ForgetDebugViewer();

}  // namespace reelkeep
