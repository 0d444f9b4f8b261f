// What the program learns about a video file: the five technical fields the AVI reader fills,
// and beyond them the running time and the languages. AVI files are read in process by the
// header walk; every other container goes to the media helper (MediaProbe).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace reelkeep {

struct Movie;
class MediaProbe;

struct MediaFacts {
    std::optional<std::uint64_t> size;  // nothing when the file could not be opened
    std::optional<std::string> video;   // codec names
    std::optional<std::string> audio;
    std::optional<float> fps;
    std::optional<std::int32_t> width;
    std::optional<std::int32_t> height;
    std::optional<std::int32_t> minutes;  // running time, rounded to whole minutes, at least 1
    std::vector<std::string> languages;   // of the audio tracks: English names, track order, once
    std::vector<std::string> subtitles;   // of the subtitle tracks, the same way

    bool operator==(const MediaFacts&) const = default;
};

// The one entry point. An AVI file (its head reads "RIFF" ... "AVI") gets exactly what the
// header walk finds, plus its running time; any other file is asked of the helper, which is
// started on first need. A file the helper cannot answer for (it crashed or took too long)
// keeps its size only. A file that cannot be opened, or that another process holds open for
// writing, gives nothing at all.
MediaFacts ReadMediaFacts(const std::string& path, MediaProbe& probe);

// Writes the facts into the record: the five technical fields whenever they were found (as
// the AVI reader does), the running time and the languages only where the record's field is
// still empty, so that nothing a user or a script stored is overwritten. The size is the
// caller's, who appends it to pnSizes beside the file name.
void ApplyMediaFacts(const MediaFacts& facts, Movie& movie);

// Whole minutes of a running time, rounded; nothing below half a minute or beyond the field.
std::optional<std::int32_t> RoundedMinutes(double seconds);

}  // namespace reelkeep
