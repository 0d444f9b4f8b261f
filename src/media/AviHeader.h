// The technical fields of a movie, read from the stream headers at the head of an AVI file.
// Only the first kAviWindow bytes are ever looked at, through a read-only mapping, so a
// multi-gigabyte file costs one small read; the file is never written.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace reelkeep {

struct Movie;

inline constexpr std::size_t kAviWindow = 0x500000;  // 5,242,880 bytes

// What one reading found; a result that was not found stays empty.
struct AviHeaderInfo {
    std::optional<std::uint64_t> size;  // the file's size in bytes
    std::optional<std::string> video;   // codec name
    std::optional<std::string> audio;   // codec name
    std::optional<float> fps;
    std::optional<std::int32_t> width;
    std::optional<std::int32_t> height;
    // Not among the described results: the head passed the "RIFF" ... "AVI" check, and the
    // running time of the last video stream (its length in frames over its rate). Nothing of
    // the above depends on them.
    bool aviHead = false;
    std::optional<double> seconds;
};

// Walks the RIFF/AVI headers in `head` (the file's first bytes, at most kAviWindow of them)
// and overwrites the results it finds. Never reads outside `head`.
void WalkAviHeaders(std::span<const std::uint8_t> head, AviHeaderInfo& info);

// Opens, maps and walks the file. A file that cannot be opened, or that another process holds
// open for writing, gives nothing at all; any other file gives at least its size.
AviHeaderInfo InspectAviFile(const std::string& path);

// Writes the results that were found into the caller's places and leaves the others alone.
void ReadAviHeader(const std::string& path, std::string& video, std::string& audio, float& fps,
                   std::int32_t& width, std::int32_t& height, std::uint64_t& size);

// The same for a catalog record: szVideo, szAudio, fFPS, nWidth and nHeight. The size goes to
// `size`; appending it to pnSizes beside the file name is the caller's business.
void ReadAviHeader(const std::string& path, Movie& movie, std::uint64_t& size);

}  // namespace reelkeep
