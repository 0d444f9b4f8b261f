#include "media/LibraryFormats.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>

#include "media/ProbeFields.h"

namespace reelkeep {

namespace {

using namespace probe;

// One row: a track of this kind whose format is `format` gets `name`. A row with a qualifier
// applies only when the track's value of that parameter holds the qualifier's words; such rows
// come before the plain row of the same format, and the first row that applies wins.
struct FormatName {
    TrackKind kind;
    std::string_view format;
    std::string_view name;
    std::string_view qualifierParameter = {};
    std::string_view qualifier = {};
};

// The one table from the library's format names to ours, in the style of the codec tables.
constexpr FormatName kFormatNames[] = {
    {TrackKind::Video, "AVC", "H.264 / AVC"},
    {TrackKind::Video, "HEVC", "H.265 / HEVC"},
    {TrackKind::Video, "AV1", "AV1"},
    {TrackKind::Video, "VP9", "VP9"},
    {TrackKind::Video, "VP8", "VP8"},
    {TrackKind::Video, "MPEG-4 Visual", "MPEG-4 Visual"},
    {TrackKind::Video, "MPEG Video", "MPEG-1 Video", kFormatVersion, "Version 1"},
    {TrackKind::Video, "MPEG Video", "MPEG-2 Video"},
    {TrackKind::Video, "VC-1", "VC-1"},
    {TrackKind::Video, "H.263", "H.263"},
    {TrackKind::Video, "Sorenson Spark", "Sorenson Spark"},
    {TrackKind::Video, "WMV1", "Windows Media Video 7"},
    {TrackKind::Video, "WMV2", "Windows Media Video 8"},
    {TrackKind::Video, "Theora", "Theora"},
    {TrackKind::Video, "JPEG", "Motion JPEG"},
    {TrackKind::Video, "ProRes", "ProRes"},
    {TrackKind::Video, "FFV1", "FFV1"},
    {TrackKind::Audio, "AAC", "AAC"},
    {TrackKind::Audio, "AC-3", "AC-3"},
    {TrackKind::Audio, "E-AC-3", "E-AC-3"},
    {TrackKind::Audio, "DTS", "DTS-HD Master Audio", kFormatFeatures, "XLL"},
    {TrackKind::Audio, "DTS", "DTS-HD Master Audio", kFormatCommercial, "DTS-HD Master Audio"},
    {TrackKind::Audio, "DTS", "DTS-HD High Resolution Audio", kFormatFeatures, "XBR"},
    {TrackKind::Audio, "DTS", "DTS"},
    {TrackKind::Audio, "MLP FBA", "Dolby TrueHD"},
    {TrackKind::Audio, "TrueHD", "Dolby TrueHD"},
    {TrackKind::Audio, "Opus", "Opus"},
    {TrackKind::Audio, "Vorbis", "Vorbis"},
    {TrackKind::Audio, "FLAC", "FLAC"},
    {TrackKind::Audio, "MPEG Audio", "MP3", kFormatProfile, "Layer 3"},
    {TrackKind::Audio, "MPEG Audio", "MP2", kFormatProfile, "Layer 2"},
    {TrackKind::Audio, "MPEG Audio", "MP1", kFormatProfile, "Layer 1"},
    {TrackKind::Audio, "PCM", "PCM"},
    {TrackKind::Audio, "WMA", "WMA"},
    {TrackKind::Audio, "ALAC", "ALAC"},
};

// True when `words` stands in `text` as whole blank-separated words ("XLL" in "XLL X").
bool HoldsWords(std::string_view text, std::string_view words) {
    for (std::size_t at = text.find(words); at != std::string_view::npos;
         at = text.find(words, at + 1)) {
        const std::size_t end = at + words.size();
        if ((at == 0 || text[at - 1] == ' ') && (end == text.size() || text[end] == ' '))
            return true;
    }
    return false;
}

std::optional<double> Number(std::string_view text) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// A frame dimension: a whole positive number that fits the field.
std::optional<std::int32_t> Dimension(std::string_view text) {
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value <= 0)
        return std::nullopt;
    return value;
}

std::optional<float> FrameRate(const ProbeTrack& video) {
    for (const std::string_view parameter : {kFrameRate, kFrameRateOriginal}) {
        const std::optional<double> rate = Number(video.Value(parameter));
        // Beyond a few thousand frames a second it is no movie's rate but a damaged header.
        if (rate && *rate > 0 && *rate < 100000)
            return static_cast<float>(*rate);
    }
    return std::nullopt;
}

std::optional<std::int32_t> Minutes(const ProbeTrack* general, const ProbeTrack* video) {
    for (const ProbeTrack* track : {general, video}) {
        if (!track)
            continue;
        const std::optional<double> milliseconds = Number(track->Value(kDuration));
        if (milliseconds && *milliseconds > 0)
            return RoundedMinutes(*milliseconds / 1000);
    }
    return std::nullopt;
}

// "German" rather than "de"; nothing for a track that states no language.
std::string_view LanguageOf(const ProbeTrack& track) {
    const std::string_view code = track.Value(kLanguage);
    // "und" (undetermined) and "zxx" (no linguistic content) say no language.
    if (code == "und" || code == "zxx")
        return {};
    const std::string_view name = track.Value(kLanguageName);
    return name.empty() ? code : name;
}

std::vector<std::string> Languages(const ProbeAnswer& answer, TrackKind kind) {
    std::vector<std::string> languages;
    for (const ProbeTrack& track : answer.tracks) {
        if (track.kind != kind)
            continue;
        const std::string_view language = LanguageOf(track);
        if (!language.empty() &&
            std::find(languages.begin(), languages.end(), language) == languages.end()) {
            languages.emplace_back(language);
        }
    }
    return languages;
}

const ProbeTrack* FirstOf(const ProbeAnswer& answer, TrackKind kind) {
    for (const ProbeTrack& track : answer.tracks) {
        if (track.kind == kind)
            return &track;
    }
    return nullptr;
}

const ProbeTrack* DefaultAudio(const ProbeAnswer& answer) {
    for (const ProbeTrack& track : answer.tracks) {
        if (track.kind == TrackKind::Audio && track.Value(kDefault) == "Yes")
            return &track;
    }
    return FirstOf(answer, TrackKind::Audio);
}

}  // namespace

std::string CodecNameOf(const ProbeTrack& track) {
    const std::string_view format = track.Value(kFormat);
    if (format.empty())
        return {};
    for (const FormatName& row : kFormatNames) {
        if (row.kind != track.kind || row.format != format)
            continue;
        if (row.qualifierParameter.empty() ||
            HoldsWords(track.Value(row.qualifierParameter), row.qualifier)) {
            return std::string(row.name);
        }
    }
    return std::string(format);
}

MediaFacts FactsFromAnswer(const ProbeAnswer& answer) {
    MediaFacts facts;
    const ProbeTrack* general = FirstOf(answer, TrackKind::General);
    const ProbeTrack* video = FirstOf(answer, TrackKind::Video);
    if (video) {
        if (std::string name = CodecNameOf(*video); !name.empty())
            facts.video = std::move(name);
        facts.width = Dimension(video->Value(kWidth));
        facts.height = Dimension(video->Value(kHeight));
        facts.fps = FrameRate(*video);
    }
    if (const ProbeTrack* audio = DefaultAudio(answer)) {
        if (std::string name = CodecNameOf(*audio); !name.empty())
            facts.audio = std::move(name);
    }
    facts.minutes = Minutes(general, video);
    facts.languages = Languages(answer, TrackKind::Audio);
    facts.subtitles = Languages(answer, TrackKind::Text);
    return facts;
}

}  // namespace reelkeep
