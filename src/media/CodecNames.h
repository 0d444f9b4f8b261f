// Display names of video compression codes (FOURCC) and audio format tags, as the catalog
// stores them in szVideo and szAudio.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace reelkeep {

using FourCC = std::array<std::uint8_t, 4>;

// Replaces `name` whole. Keys match without regard to ASCII case; the code ends at its first
// zero byte. An unknown code gives its own characters (up to the first zero, at most four).
void VideoCodecName(const FourCC& code, std::string& name);

// Replaces `name` whole; an unknown tag gives the empty string.
void AudioCodecName(std::uint16_t tag, std::string& name);

}  // namespace reelkeep
