// The video table: the first matching row wins, so the order of the rows is part of the data.
#include <iterator>
#include <string_view>

#include "media/CodecNames.h"

namespace reelkeep {

namespace {

struct VideoCodec {
    std::string_view key;  // always four characters
    std::string_view name;
};

constexpr VideoCodec kVideoCodecs[] = {
    {"3iv1", "3ivX Delta 1/2/3"},
    {"3iv2", "3ivX Delta 4"},
    {"aasc", "Autodesk Animator"},
    {"afli", "Autodesk Animator"},
    {"aflc", "Autodesk Animator"},
    {"ap41", "AngelPotion"},
    {"asv1", "Asus Video"},
    {"asv2", "Asus Video 2"},
    {"bink", "Bink Video"},
    {"blz0", "DivX Blizzard version"},
    {"cram", "Microsoft Video 1"},
    {"cvid", "Cinepak Radius"},
    {"div3", "DivX 3.11 Low Motion"},
    {"div4", "DivX 3.11 Fast Motion"},
    {"div5", "DivX 3.11 VKI Low Motion"},
    {"div6", "DivX 3.11 VKI Fast Motion"},
    {"divx", "DivX 4.x"},
    {"dmb1", "Matrox Rainbow Runner"},
    {"DVSD", "DV Codec (MainConcept codec)"},
    {"dx50", "DivX 5.x"},
    {"H260", "Intel ITU H.260"},
    {"H261", "Intel ITU H.261"},
    {"H262", "Intel ITU H.262"},
    {"H263", "Intel ITU H.263"},
    {"H264", "Intel ITU H.264"},
    {"H265", "Intel ITU H.265"},
    {"H266", "Intel ITU H.266"},
    {"H267", "Intel ITU H.267"},
    {"H268", "Intel ITU H.268"},
    {"H269", "Intel ITU H.269"},
    {"i263", "Intel ITU H.263"},
    {"ir21", "Intel Indeo 2.1"},
    {"iv30", "Ligos Indeo 3"},
    {"iv31", "Ligos Indeo 3"},
    {"iv32", "Ligos Indeo 3.2"},
    {"iv33", "Ligos Indeo 3"},
    {"iv34", "Ligos Indeo 3"},
    {"iv35", "Ligos Indeo 3"},
    {"iv36", "Ligos Indeo 3"},
    {"iv37", "Ligos Indeo 3"},
    {"iv38", "Ligos Indeo 3"},
    {"iv39", "Ligos Indeo 3"},
    {"iv40", "Ligos Indeo Inderactive 4"},
    {"iv41", "Ligos Indeo Inderactive 4"},
    {"iv42", "Ligos Indeo Inderactive 4"},
    {"iv43", "Ligos Indeo Inderactive 4"},
    {"iv44", "Ligos Indeo Inderactive 4"},
    {"iv45", "Ligos Indeo Inderactive 4"},
    {"iv46", "Ligos Indeo Inderactive 4"},
    {"iv47", "Ligos Indeo Inderactive 4"},
    {"iv48", "Ligos Indeo Inderactive 4"},
    {"iv49", "Ligos Indeo Inderactive 4"},
    {"iv50", "Ligos Indeo Inderactive 5"},
    {"JPGL", "Lossless JPEG (Pegasus)"},
    {"KMVC", "Karl Morton's Video Codec"},
    {"m261", "Microsoft H.261"},
    {"m263", "Microsoft H.263"},
    {"MC12", "ATI Motion Compensation Format"},
    {"MCAM", "ATI Motion Compensation Format"},
    {"MJPG", "Motion JPEG"},
    {"MP42", "Microsoft MPEG-4"},
    {"MP43", "Microsoft MPEG-4"},
    {"MP4S", "Microsoft MPEG-4"},
    {"MPEG", "MPEG-1"},
    {"MPG4", "Microsoft MPEG-4 High Speed Compressor"},
    {"MRLE", "Microsoft RLE"},
    {"MSVC", "Microsoft Video 1"},
    {"PIM1", "Pinnacle Systems codec"},
    {"RUD0", "Rududu Codec"},
    {"rv20", "RealVideo G2"},
    {"rv30", "RealVideo 8"},
    {"SP44", "SP44 Codec (SunPlus codec)"},
    {"TSCC", "TechSmith Screen Capture"},
    {"VCR1", "ATI Video Codec 1"},
    {"VCR2", "ATI Video Codec 2"},
    {"VGPX", "VGPX (Alaris codec)"},
    {"VIXL", "Video XL (Miro codec)"},
    {"VP31", "On2 VP3"},
    {"X263", "X263 (Xirlink codec)"},
    {"XMPG", "Xing MPEG"},
    {"XVID", "XviD MPEG-4 Codec"},
};
static_assert(std::size(kVideoCodecs) == 81);

constexpr std::uint8_t AsciiLower(std::uint8_t c) {
    return c >= 'A' && c <= 'Z' ? static_cast<std::uint8_t>(c - 'A' + 'a') : c;
}

bool Matches(const FourCC& code, std::string_view key) {
    for (std::size_t i = 0; i < code.size(); ++i) {
        // Every key has four non-zero characters, so a zero byte in the code never matches.
        if (code[i] == 0)
            return false;
        if (AsciiLower(code[i]) != AsciiLower(static_cast<std::uint8_t>(key[i])))
            return false;
    }
    return true;
}

}  // namespace

void VideoCodecName(const FourCC& code, std::string& name) {
    for (const VideoCodec& row : kVideoCodecs) {
        if (Matches(code, row.key)) {
            name = row.name;
            return;
        }
    }
    std::size_t length = 0;
    while (length < code.size() && code[length] != 0) ++length;
    name.assign(reinterpret_cast<const char*>(code.data()), length);
}

}  // namespace reelkeep
