// Movie files of today's containers made by ffmpeg at test time: video, any number of audio
// tracks with languages, subtitle tracks. Tiny frames keep even a minute-long file quick.
#pragma once

#include <string>
#include <vector>

namespace reelkeep::test {

struct SampleAudio {
    std::string encoder;   // libopus, ac3, aac, ...
    std::string language;  // ISO 639-2 code, or empty for none
    bool isDefault = false;
};

struct MediaSample {
    std::string name;                       // file name; its extension picks the container
    std::string video;                      // encoder, empty for no video
    std::vector<std::string> videoOptions;  // more options for the video encoder
    std::vector<SampleAudio> audio;
    std::string subtitleEncoder;                 // srt, mov_text, webvtt, ...
    std::vector<std::string> subtitleLanguages;  // one subtitle track each
    std::string size = "64x64";
    std::string rate = "25";
    double seconds = 1;
};

// The encoders the sample needs that this ffmpeg does not have.
std::vector<std::string> MissingEncoders(const MediaSample& sample);

// Writes the sample into `folder` (ending in "/"); ffmpeg's messages when it fails, an empty
// string when the file was made.
std::string MakeSample(const std::string& folder, const MediaSample& sample);

}  // namespace reelkeep::test
