// The debug channel: formatted lines for an external viewer (reelkeep-trace), dropped at the
// cost of one lookup when no viewer listens.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace reelkeep {

// The viewer's datagram socket in the abstract namespace. REELKEEP_TRACE_CHANNEL names
// another one, so that tests running side by side do not hear each other.
constexpr char kDebugViewerName[] = "TARVENN_Tracewin";
std::string DebugViewerName();

// Sends the formatted line to the viewer: nothing is formatted when none is found; the found
// viewer is remembered for the rest of the run; a failed send is ignored. No line break is
// added. Safe from any thread.
void DebugTrace(const char* format, ...) __attribute__((format(printf, 1, 2)));

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
