#include "media/MediaFacts.h"

#include <cmath>
#include <limits>

#include "catalog/Movie.h"
#include "media/AviHeader.h"
#include "media/LibraryFormats.h"
#include "media/MediaProbe.h"

namespace reelkeep {

std::optional<std::int32_t> RoundedMinutes(double seconds) {
    if (!std::isfinite(seconds))
        return std::nullopt;
    const double minutes = std::round(seconds / 60);
    if (minutes < 1 || minutes > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(minutes);
}

MediaFacts ReadMediaFacts(const std::string& path, MediaProbe& probe) {
    AviHeaderInfo avi = InspectAviFile(path);
    MediaFacts facts;
    if (!avi.size)
        return facts;
    facts.size = avi.size;
    if (avi.aviHead) {
        facts.video = std::move(avi.video);
        facts.audio = std::move(avi.audio);
        facts.fps = avi.fps;
        facts.width = avi.width;
        facts.height = avi.height;
        if (avi.seconds)
            facts.minutes = RoundedMinutes(*avi.seconds);
        return facts;
    }
    if (const std::optional<ProbeAnswer> answer = probe.Inspect(path)) {
        MediaFacts found = FactsFromAnswer(*answer);
        found.size = facts.size;
        return found;
    }
    return facts;
}

void ApplyMediaFacts(const MediaFacts& facts, Movie& movie) {
    if (facts.video)
        movie.szVideo = *facts.video;
    if (facts.audio)
        movie.szAudio = *facts.audio;
    if (facts.fps)
        movie.fFPS = *facts.fps;
    if (facts.width)
        movie.nWidth = *facts.width;
    if (facts.height)
        movie.nHeight = *facts.height;
    if (facts.minutes && movie.nLength == 0)
        movie.nLength = *facts.minutes;
    if (movie.pszLanguages.empty())
        movie.pszLanguages = facts.languages;
    if (movie.pszSubtitles.empty())
        movie.pszSubtitles = facts.subtitles;
}

}  // namespace reelkeep
