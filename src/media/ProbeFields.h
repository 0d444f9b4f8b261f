// The library parameters the media helper asks for, per kind of track, and nothing else: the
// helper sends these and the mapping to our fields (LibraryFormats.cpp) reads them.
#pragma once

#include <span>
#include <string_view>

#include "media/ProbeProtocol.h"

namespace reelkeep::probe {

inline constexpr std::string_view kFormat = "Format";
inline constexpr std::string_view kFormatVersion = "Format_Version";
inline constexpr std::string_view kFormatProfile = "Format_Profile";
inline constexpr std::string_view kFormatFeatures = "Format_AdditionalFeatures";
inline constexpr std::string_view kFormatCommercial = "Format_Commercial_IfAny";
inline constexpr std::string_view kDuration = "Duration";  // milliseconds
inline constexpr std::string_view kWidth = "Width";
inline constexpr std::string_view kHeight = "Height";
inline constexpr std::string_view kFrameRate = "FrameRate";
inline constexpr std::string_view kFrameRateOriginal = "FrameRate_Original";
inline constexpr std::string_view kLanguage = "Language";             // a code such as "de"
inline constexpr std::string_view kLanguageName = "Language/String";  // "German"
inline constexpr std::string_view kDefault = "Default";               // "Yes" or "No"

inline constexpr std::string_view kGeneralParameters[] = {kFormat, kDuration};
inline constexpr std::string_view kVideoParameters[] = {
    kFormat, kFormatVersion, kFormatProfile,     kWidth,
    kHeight, kFrameRate,     kFrameRateOriginal, kDuration};
inline constexpr std::string_view kAudioParameters[] = {
    kFormat,           kFormatVersion, kFormatProfile, kFormatFeatures,
    kFormatCommercial, kLanguage,      kLanguageName,  kDefault};
inline constexpr std::string_view kTextParameters[] = {kFormat, kLanguage, kLanguageName, kDefault};

inline std::span<const std::string_view> ParametersOf(TrackKind kind) {
    switch (kind) {
        case TrackKind::General:
            return kGeneralParameters;
        case TrackKind::Video:
            return kVideoParameters;
        case TrackKind::Audio:
            return kAudioParameters;
        case TrackKind::Text:
            return kTextParameters;
    }
    return {};
}

}  // namespace reelkeep::probe
