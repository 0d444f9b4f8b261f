#include <gtest/gtest.h>

#include <string_view>

#include "media/CodecNames.h"

namespace reelkeep {
namespace {

FourCC Code(std::string_view bytes) {
    FourCC code{};
    for (std::size_t i = 0; i < code.size() && i < bytes.size(); ++i) {
        code[i] = static_cast<std::uint8_t>(bytes[i]);
    }
    return code;
}

std::string Video(std::string_view bytes) {
    std::string name = "previous";
    VideoCodecName(Code(bytes), name);
    return name;
}

std::string Audio(std::uint16_t tag) {
    std::string name = "previous";
    AudioCodecName(tag, name);
    return name;
}

TEST(VideoCodecName, KeysMatchWithoutRegardToCase) {
    for (const char* spelling : {"DX50", "dx50", "Dx50", "dX50"}) {
        EXPECT_EQ(Video(spelling), "DivX 5.x") << spelling;
    }
    EXPECT_EQ(Video("xvid"), "XviD MPEG-4 Codec");
    EXPECT_EQ(Video("XVID"), "XviD MPEG-4 Codec");
    EXPECT_EQ(Video("dvsd"), "DV Codec (MainConcept codec)");
    EXPECT_EQ(Video("mjpg"), "Motion JPEG");
    EXPECT_EQ(Video("DIV3"), "DivX 3.11 Low Motion");
    EXPECT_EQ(Video("CVID"), "Cinepak Radius");
    EXPECT_EQ(Video("h263"), "Intel ITU H.263");
    EXPECT_EQ(Video("I263"), "Intel ITU H.263");
    EXPECT_EQ(Video("3IV1"), "3ivX Delta 1/2/3");
    EXPECT_EQ(Video("IV50"), "Ligos Indeo Inderactive 5");
    EXPECT_EQ(Video("kmvc"), "Karl Morton's Video Codec");
}

TEST(VideoCodecName, SeveralKeysShareOneName) {
    for (const char* key :
         {"iv30", "iv31", "iv33", "iv34", "iv35", "iv36", "iv37", "iv38", "iv39"}) {
        EXPECT_EQ(Video(key), "Ligos Indeo 3") << key;
    }
    EXPECT_EQ(Video("iv32"), "Ligos Indeo 3.2");
    EXPECT_EQ(Video("aasc"), Video("AFLC"));
    EXPECT_EQ(Video("cram"), "Microsoft Video 1");
    EXPECT_EQ(Video("MSVC"), "Microsoft Video 1");
}

TEST(VideoCodecName, UnknownCodesAreTheirOwnName) {
    EXPECT_EQ(Video("FMP4"), "FMP4");
    EXPECT_EQ(Video("fmp4"), "fmp4");  // as found, not folded
    EXPECT_EQ(Video(std::string_view("\0\0\0\0", 4)), "");
    EXPECT_EQ(Video(std::string_view("DX\0"
                                     "0",
                                     4)),
              "DX");
    EXPECT_EQ(Video(std::string_view("\0XVI", 4)), "");
    // Only ASCII letters fold: a byte above 0x7F is compared as it is.
    EXPECT_EQ(Video("XVI\xC4"), "XVI\xC4");
    // A code that is a key cut short by a zero byte is no key.
    EXPECT_EQ(Video(std::string_view("H26\0", 4)), "H26");
}

TEST(AudioCodecName, KnownTagsGiveTheirNames) {
    EXPECT_EQ(Audio(0x0055), "MPEG Layer 3 (MP3)");
    EXPECT_EQ(Audio(0x2000), "AC3");
    EXPECT_EQ(Audio(0x0001), "PCM");
    EXPECT_EQ(Audio(0x0000), "?");
    EXPECT_EQ(Audio(0x0050), "MPEG");
    EXPECT_EQ(Audio(0x0008), "DTS");
    EXPECT_EQ(Audio(0x2001), "DTS");
    EXPECT_EQ(Audio(0x0161), "DivX Audio (WMA 2)");
    EXPECT_EQ(Audio(0x0241), "ESST_AC3");
    EXPECT_EQ(Audio(0xFFFE), "EXTENSIBLE");
    EXPECT_EQ(Audio(0xFFFF), "DEVELOPMENT");
}

TEST(AudioCodecName, UnknownTagsEmptyTheName) {
    for (const std::uint16_t tag : {0x0162, 0x0051, 0x00FF, 0x2002, 0xFFFD}) {
        EXPECT_EQ(Audio(tag), "") << tag;
    }
}

}  // namespace
}  // namespace reelkeep
