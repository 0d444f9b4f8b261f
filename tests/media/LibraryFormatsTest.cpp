// From the media library's answers to the record's fields, and what the record keeps.
#include <gtest/gtest.h>

#include "catalog/Movie.h"
#include "media/LibraryFormats.h"
#include "media/MediaFacts.h"

namespace reelkeep {
namespace {

using Values = std::vector<std::pair<std::string, std::string>>;

ProbeTrack Track(TrackKind kind, Values values) {
    return {kind, std::move(values)};
}

std::string VideoName(Values values) {
    return CodecNameOf(Track(TrackKind::Video, std::move(values)));
}
std::string AudioName(Values values) {
    return CodecNameOf(Track(TrackKind::Audio, std::move(values)));
}

TEST(LibraryFormats, FormatNamesFollowTheCodecTablesStyle) {
    EXPECT_EQ(VideoName({{"Format", "AVC"}, {"Format_Profile", "High@L4.1"}}), "H.264 / AVC");
    EXPECT_EQ(VideoName({{"Format", "HEVC"}}), "H.265 / HEVC");
    EXPECT_EQ(VideoName({{"Format", "MPEG Video"}, {"Format_Version", "Version 2"}}),
              "MPEG-2 Video");
    EXPECT_EQ(VideoName({{"Format", "MPEG Video"}, {"Format_Version", "Version 1"}}),
              "MPEG-1 Video");
    EXPECT_EQ(VideoName({{"Format", "MPEG Video"}}), "MPEG-2 Video");
    EXPECT_EQ(AudioName({{"Format", "DTS"}, {"Format_AdditionalFeatures", "XLL X"}}),
              "DTS-HD Master Audio");
    EXPECT_EQ(AudioName({{"Format", "DTS"}, {"Format_AdditionalFeatures", "XLLX"}}), "DTS");
    EXPECT_EQ(AudioName({{"Format", "DTS"}, {"Format_AdditionalFeatures", "XBR"}}),
              "DTS-HD High Resolution Audio");
    EXPECT_EQ(AudioName({{"Format", "MLP FBA"}, {"Format_Commercial_IfAny", "Dolby TrueHD"}}),
              "Dolby TrueHD");
    EXPECT_EQ(AudioName({{"Format", "MPEG Audio"}, {"Format_Profile", "Layer 3"}}), "MP3");
    EXPECT_EQ(AudioName({{"Format", "MPEG Audio"}, {"Format_Profile", "Layer 2"}}), "MP2");
    // A kind's name is not taken for the other kind, and an unknown format keeps its own name.
    EXPECT_EQ(AudioName({{"Format", "AVC"}}), "AVC");
    EXPECT_EQ(VideoName({{"Format", "Brand New Codec 9"}}), "Brand New Codec 9");
    EXPECT_EQ(VideoName({{"Width", "640"}}), "");
}

TEST(LibraryFormats, VideoFromTheFirstTrackAudioFromTheDefaultTrack) {
    ProbeAnswer answer;
    answer.opened = true;
    answer.tracks = {
        Track(TrackKind::General, {{"Format", "Matroska"}, {"Duration", "6330000.000"}}),
        Track(TrackKind::Audio, {{"Format", "AAC"},
                                 {"Language", "de"},
                                 {"Language/String", "German"},
                                 {"Default", "No"}}),
        Track(TrackKind::Video,
              {{"Format", "AVC"}, {"Width", "1920"}, {"Height", "800"}, {"FrameRate", "23.976"}}),
        Track(TrackKind::Video, {{"Format", "JPEG"}, {"Width", "600"}, {"Height", "900"}}),
        Track(TrackKind::Audio, {{"Format", "AC-3"},
                                 {"Language", "en"},
                                 {"Language/String", "English"},
                                 {"Default", "Yes"}}),
        Track(TrackKind::Audio,
              {{"Format", "Opus"}, {"Language", "de"}, {"Language/String", "German"}}),
        Track(TrackKind::Text, {{"Language", "fr"}, {"Language/String", "French"}}),
        Track(TrackKind::Text, {{"Language", "und"}, {"Language/String", "Undetermined"}}),
        Track(TrackKind::Text, {{"Language", "sv"}}),
        Track(TrackKind::Text, {}),
    };
    const MediaFacts facts = FactsFromAnswer(answer);
    EXPECT_EQ(facts.video, "H.264 / AVC");
    EXPECT_EQ(facts.width, 1920);
    EXPECT_EQ(facts.height, 800);
    ASSERT_TRUE(facts.fps);
    EXPECT_NEAR(*facts.fps, 23.976f, 0.0001f);
    EXPECT_EQ(facts.audio, "AC-3");
    EXPECT_EQ(facts.minutes, 106);  // 105.5 minutes, rounded
    EXPECT_EQ(facts.languages, (std::vector<std::string>{"German", "English"}));
    EXPECT_EQ(facts.subtitles, (std::vector<std::string>{"French", "sv"}));
    EXPECT_FALSE(facts.size);  // the answer knows no size

    // Without a default track the first audio track decides.
    answer.tracks[4].values.back().second = "No";
    EXPECT_EQ(FactsFromAnswer(answer).audio, "AAC");
}

TEST(LibraryFormats, NumbersThatMakeNoSenseAreLeftOut) {
    ProbeAnswer answer;
    answer.tracks = {Track(TrackKind::Video, {{"Width", "-640"},
                                              {"Height", "99999999999"},
                                              {"FrameRate", "inf"},
                                              {"FrameRate_Original", "nan"},
                                              {"Duration", "1e400"}})};
    MediaFacts facts = FactsFromAnswer(answer);
    EXPECT_FALSE(facts.video || facts.width || facts.height || facts.fps || facts.minutes);

    // The container's running time first, else the video track's; whole minutes, rounded.
    answer.tracks = {Track(TrackKind::General, {{"Duration", "abc"}}),
                     Track(TrackKind::Video, {{"Width", " 640"},
                                              {"FrameRate", "1,5"},
                                              {"FrameRate_Original", "29.970"},
                                              {"Duration", "89999"}})};
    facts = FactsFromAnswer(answer);
    EXPECT_FALSE(facts.width);
    EXPECT_NEAR(*facts.fps, 29.97f, 0.001f);
    EXPECT_EQ(facts.minutes, 1);
    EXPECT_EQ(RoundedMinutes(29.9), std::nullopt);
    EXPECT_EQ(RoundedMinutes(30), 1);
    EXPECT_EQ(RoundedMinutes(89.9), 1);
    EXPECT_EQ(RoundedMinutes(90), 2);
    EXPECT_EQ(RoundedMinutes(1e12), std::nullopt);
}

TEST(MediaFacts, OnlyEmptyFieldsTakeTheRunningTimeAndLanguages) {
    Movie typed;
    typed.szVideo = "DivX 5.x";
    typed.szAudio = "AC3";
    typed.nLength = 117;
    typed.pszLanguages = {"Klingon"};
    MediaFacts facts;
    facts.video = "H.264 / AVC";
    facts.fps = 25.0f;
    facts.width = 1280;
    facts.height = 720;
    facts.minutes = 120;
    facts.languages = {"English"};
    facts.subtitles = {"German", "French"};
    ApplyMediaFacts(facts, typed);
    // The five technical fields follow the file, as the AVI reader's do...
    EXPECT_EQ(typed.szVideo, "H.264 / AVC");
    EXPECT_EQ(typed.szAudio, "AC3");  // ...where the file had them
    EXPECT_EQ(typed.fFPS, 25.0f);
    EXPECT_EQ(typed.nWidth, 1280);
    EXPECT_EQ(typed.nHeight, 720);
    // What a user or a script stored stays; empty fields are filled.
    EXPECT_EQ(typed.nLength, 117);
    EXPECT_EQ(typed.pszLanguages, StringArray{"Klingon"});
    EXPECT_EQ(typed.pszSubtitles, (StringArray{"German", "French"}));

    Movie fresh;
    ApplyMediaFacts(facts, fresh);
    EXPECT_EQ(fresh.nLength, 120);
    EXPECT_EQ(fresh.pszLanguages, StringArray{"English"});

    // Nothing found changes nothing.
    const Movie before = typed;
    ApplyMediaFacts(MediaFacts{}, typed);
    EXPECT_EQ(typed, before);
}

}  // namespace
}  // namespace reelkeep
