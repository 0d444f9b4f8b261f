// The conversation with the media helper over its socket. Every message is a netstring
// ("<decimal length>:<bytes>,"). A request holds one path. An answer's bytes are a row of
// netstrings taken in pairs of name and value: first ("status", "opened" or "unreadable"),
// then per track ("track", kind) followed by that track's (parameter, value) pairs, where the
// parameters are the library's own names (ProbeFields.h) and only non-empty values travel.
// Both sides refuse anything longer than the limits below, so neither can be made to hold
// unbounded data.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace reelkeep {

inline constexpr std::size_t kMaxRequestBytes = 64 * 1024;
inline constexpr std::size_t kMaxAnswerBytes = 1024 * 1024;
inline constexpr std::size_t kMaxAnswerTracks = 256;
inline constexpr std::size_t kMaxTrackValues = 64;

enum class TrackKind { General, Video, Audio, Text };

struct ProbeTrack {
    TrackKind kind = TrackKind::General;
    std::vector<std::pair<std::string, std::string>> values;  // parameter, value

    // The value of the parameter; empty when the track has none.
    std::string_view Value(std::string_view parameter) const;
    bool operator==(const ProbeTrack&) const = default;
};

struct ProbeAnswer {
    bool opened = false;  // the helper could open the file and hand it to the library
    std::vector<ProbeTrack> tracks;
    bool operator==(const ProbeAnswer&) const = default;
};

std::string EncodeNetstring(std::string_view bytes);

// Takes bytes as they arrive and hands out whole netstrings.
class NetstringReader {
public:
    enum class Status { Complete, NeedMore, Malformed };

    explicit NetstringReader(std::size_t maxLength) : maxLength_(maxLength) {}
    void Feed(std::string_view bytes) { buffer_.append(bytes); }
    // The next whole netstring's bytes into `out`. Malformed stays malformed: the stream
    // cannot be trusted past a broken frame.
    Status Next(std::string& out);
    // Bytes received but not yet handed out.
    std::size_t Pending() const { return buffer_.size() - start_; }

private:
    std::string buffer_;
    std::size_t start_ = 0;
    std::size_t maxLength_;
    bool broken_ = false;
};

std::string_view TrackKindName(TrackKind kind);

// The answer's bytes (without the outer frame). Tracks beyond kMaxAnswerTracks, values beyond
// kMaxTrackValues per track and values whose name is empty or "track" are left out, so that
// whatever is encoded decodes.
std::string EncodeAnswerBody(const ProbeAnswer& answer);
// Nothing when the bytes are no answer. Tracks of a kind this side does not know are
// skipped with their values.
std::optional<ProbeAnswer> DecodeAnswerBody(std::string_view body);

}  // namespace reelkeep
