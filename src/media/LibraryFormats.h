// From the media library's answer to our fields: its format names to the codec names the
// catalog shows, its numbers to frame size, frame rate and running time, its languages to
// the two language lists.
#pragma once

#include <string>

#include "media/MediaFacts.h"
#include "media/ProbeProtocol.h"

namespace reelkeep {

// The video facts come from the first video track, the audio codec from the default audio
// track (else the first), the running time from the container (else the video track).
// Only what the answer holds, and holds sensibly, is set.
MediaFacts FactsFromAnswer(const ProbeAnswer& answer);

// Our name for the format of a video or audio track; the library's own name when our table
// has none, empty when the track names no format.
std::string CodecNameOf(const ProbeTrack& track);

}  // namespace reelkeep
