// The framing and the answers of the media helper's conversation.
#include <gtest/gtest.h>

#include "media/ProbeProtocol.h"

namespace reelkeep {
namespace {

using Status = NetstringReader::Status;

ProbeAnswer SampleAnswer() {
    ProbeAnswer answer;
    answer.opened = true;
    answer.tracks.push_back(
        {TrackKind::General, {{"Format", "Matroska"}, {"Duration", "5400000"}}});
    answer.tracks.push_back({TrackKind::Video, {{"Format", "AVC"}, {"Width", "1920"}}});
    answer.tracks.push_back(
        {TrackKind::Audio, {{"Format", "AC-3"}, {"Language/String", "Gr\xC3\xBCn, \"x\":1,"}}});
    answer.tracks.push_back({TrackKind::Text, {}});
    return answer;
}

TEST(Netstrings, WholeFramesComeOutHoweverTheBytesArrive) {
    const std::string stream = EncodeNetstring("/films/a,b:c.mkv") + EncodeNetstring("") +
                               EncodeNetstring(std::string("\0\n", 2));
    // Byte by byte: every frame comes out once it is complete, and not before.
    NetstringReader reader(100);
    std::vector<std::string> frames;
    std::string frame;
    for (const char byte : stream) {
        reader.Feed({&byte, 1});
        while (reader.Next(frame) == Status::Complete) frames.push_back(frame);
    }
    EXPECT_EQ(frames, (std::vector<std::string>{"/films/a,b:c.mkv", "", std::string("\0\n", 2)}));
    EXPECT_EQ(reader.Pending(), 0u);
    EXPECT_EQ(reader.Next(frame), Status::NeedMore);
}

TEST(Netstrings, BrokenFramesAreRefusedForGood) {
    for (const std::string& bytes :
         {std::string("x:abc,"), std::string(":abc,"), std::string("3:abc;"), std::string("-1:a,"),
          std::string("99999999999:"), std::string("11:abc,")}) {
        SCOPED_TRACE(bytes);
        NetstringReader reader(10);
        reader.Feed(bytes);
        std::string frame;
        EXPECT_EQ(reader.Next(frame), Status::Malformed);
        // Nothing after a broken frame can be trusted, even a good one.
        reader.Feed(EncodeNetstring("ok"));
        EXPECT_EQ(reader.Next(frame), Status::Malformed);
    }
    // A length within the limit but not yet all there is simply incomplete.
    NetstringReader reader(10);
    reader.Feed("10:abc");
    std::string frame;
    EXPECT_EQ(reader.Next(frame), Status::NeedMore);
}

TEST(ProbeAnswers, RoundTripKeepsEveryTrackAndValue) {
    const ProbeAnswer answer = SampleAnswer();
    EXPECT_EQ(DecodeAnswerBody(EncodeAnswerBody(answer)), answer);
    EXPECT_EQ(DecodeAnswerBody(EncodeAnswerBody(ProbeAnswer{})), ProbeAnswer{});
}

TEST(ProbeAnswers, WhatCannotBeReadBackIsNotSent) {
    ProbeAnswer answer;
    answer.opened = true;
    ProbeTrack track{TrackKind::Video, {{"", "nameless"}, {"track", "Audio"}, {"Format", "VP9"}}};
    for (std::size_t i = 0; i < kMaxTrackValues + 5; ++i)
        track.values.emplace_back("P" + std::to_string(i), "v");
    answer.tracks.assign(kMaxAnswerTracks + 3, track);
    const std::optional<ProbeAnswer> decoded = DecodeAnswerBody(EncodeAnswerBody(answer));
    ASSERT_TRUE(decoded);
    ASSERT_EQ(decoded->tracks.size(), kMaxAnswerTracks);
    EXPECT_EQ(decoded->tracks[0].values.size(), kMaxTrackValues);
    EXPECT_EQ(decoded->tracks[0].values[0], (std::pair<std::string, std::string>{"Format", "VP9"}));
}

TEST(ProbeAnswers, GarbageIsNoAnswer) {
    const auto pairs = [](std::vector<std::string> fields) {
        std::string body;
        for (const std::string& field : fields) body += EncodeNetstring(field);
        return body;
    };
    EXPECT_FALSE(DecodeAnswerBody(""));
    EXPECT_FALSE(DecodeAnswerBody("garbage"));
    EXPECT_FALSE(DecodeAnswerBody(pairs({"status"})));
    EXPECT_FALSE(DecodeAnswerBody(pairs({"status", "maybe"})));
    EXPECT_FALSE(DecodeAnswerBody(pairs({"Format", "AVC", "status", "opened"})));
    // A value before any track, an odd field, a nameless value.
    EXPECT_FALSE(DecodeAnswerBody(pairs({"status", "opened", "Format", "AVC"})));
    EXPECT_FALSE(DecodeAnswerBody(pairs({"status", "opened", "track", "Video", "Format"})));
    EXPECT_FALSE(DecodeAnswerBody(pairs({"status", "opened", "track", "Video", "", "x"})));
    EXPECT_FALSE(DecodeAnswerBody(pairs({"status", "opened"}) + "trailing"));

    // A kind this side does not know is passed over with its values.
    const std::optional<ProbeAnswer> skipped = DecodeAnswerBody(pairs(
        {"status", "opened", "track", "Menu", "Format", "x", "track", "Audio", "Format", "Opus"}));
    ASSERT_TRUE(skipped);
    ASSERT_EQ(skipped->tracks.size(), 1u);
    EXPECT_EQ(skipped->tracks[0].kind, TrackKind::Audio);
    EXPECT_EQ(skipped->tracks[0].Value("Format"), "Opus");
    EXPECT_EQ(skipped->tracks[0].Value("Language"), "");
}

}  // namespace
}  // namespace reelkeep
