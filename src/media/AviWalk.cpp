// The RIFF/AVI walk: "RIFF" form "AVI" -> "LIST" "hdrl" -> "LIST" "strl" -> "strh" / "strf".
// Every read is checked against the end of `head` first; a chunk whose header or fields do
// not fit ends the loop that met it. Sizes are added in 64 bits and always move forward.
#include <optional>

#include "media/AviHeader.h"
#include "media/CodecNames.h"

namespace reelkeep {

namespace {

constexpr FourCC Code(const char (&text)[5]) {
    return {static_cast<std::uint8_t>(text[0]), static_cast<std::uint8_t>(text[1]),
            static_cast<std::uint8_t>(text[2]), static_cast<std::uint8_t>(text[3])};
}

constexpr FourCC kRiff = Code("RIFF");
constexpr FourCC kList = Code("LIST");
constexpr FourCC kHdrl = Code("hdrl");
constexpr FourCC kStrl = Code("strl");
constexpr FourCC kStrh = Code("strh");
constexpr FourCC kStrf = Code("strf");
constexpr FourCC kVids = Code("vids");
constexpr FourCC kIavs = Code("iavs");
constexpr FourCC kAuds = Code("auds");
constexpr FourCC kMids = Code("mids");

// Offsets inside the stream header ("strh") data.
constexpr std::uint64_t kHeaderHandler = 4;
constexpr std::uint64_t kHeaderScale = 20;
constexpr std::uint64_t kHeaderRate = 24;
constexpr std::uint64_t kHeaderLength = 32;
constexpr std::uint64_t kHeaderFrameRight = 52;
constexpr std::uint64_t kHeaderFrameBottom = 54;
// Offsets inside a bitmap header ("strf" of a video stream).
constexpr std::uint64_t kBitmapWidth = 4;
constexpr std::uint64_t kBitmapHeight = 8;
constexpr std::uint64_t kBitmapCompression = 16;

class AviWalker {
public:
    AviWalker(std::span<const std::uint8_t> head, AviHeaderInfo& info) : head_(head), info_(info) {}

    void Walk() {
        if (!Fits(0, 11) || Read4(0) != kRiff)
            return;
        // Only three bytes of the form type count, so "AVI " and "AVIX" both pass.
        if (At(8) != 'A' || At(9) != 'V' || At(10) != 'I')
            return;
        info_.aviHead = true;
        for (std::uint64_t pos = 12; Fits(pos, 12); pos = Next(pos)) {
            if (Read4(pos) != kList)
                return;
            if (Read4(pos + 8) == kHdrl)
                WalkHeaderList(pos);
        }
    }

private:
    bool Fits(std::uint64_t pos, std::uint64_t width) const {
        return pos <= head_.size() && width <= head_.size() - pos;
    }

    // Every byte is read through here. The walk checks each field with Fits() first and stops
    // where one does not fit; this check is the last line, so that no slip in those checks
    // can ever read past the head: a byte beyond it reads as 0.
    std::uint8_t At(std::uint64_t pos) const { return pos < head_.size() ? head_[pos] : 0; }

    FourCC Read4(std::uint64_t pos) const {
        return {At(pos), At(pos + 1), At(pos + 2), At(pos + 3)};
    }
    std::uint16_t ReadU16(std::uint64_t pos) const {
        return static_cast<std::uint16_t>(At(pos) | At(pos + 1) << 8);
    }
    std::uint32_t ReadU32(std::uint64_t pos) const {
        return static_cast<std::uint32_t>(At(pos)) | static_cast<std::uint32_t>(At(pos + 1)) << 8 |
               static_cast<std::uint32_t>(At(pos + 2)) << 16 |
               static_cast<std::uint32_t>(At(pos + 3)) << 24;
    }
    std::int32_t ReadI32(std::uint64_t pos) const {
        return static_cast<std::int32_t>(ReadU32(pos));
    }
    std::int16_t ReadI16(std::uint64_t pos) const {
        return static_cast<std::int16_t>(ReadU16(pos));
    }

    // The chunk after the one at `pos` (whose 8-byte header fits). No pad byte for odd sizes.
    std::uint64_t Next(std::uint64_t pos) const { return pos + 8 + ReadU32(pos + 4); }

    void WalkHeaderList(std::uint64_t list) {
        const std::uint64_t end = Next(list);
        for (std::uint64_t pos = list + 12; pos < end && Fits(pos, 8); pos = Next(pos)) {
            if (Read4(pos) != kList)
                continue;
            if (!Fits(pos, 12))
                return;
            if (Read4(pos + 8) == kStrl)
                WalkStreamList(pos);
        }
    }

    void WalkStreamList(std::uint64_t list) {
        const std::uint64_t end = Next(list);
        for (std::uint64_t pos = list + 12; pos < end && Fits(pos, 8); pos = Next(pos)) {
            const FourCC code = Read4(pos);
            if (code == kStrh) {
                // Kept past the end of this list: a later stream list without a "strh" of its
                // own uses this one.
                streamHeader_ = pos + 8;
            } else if (code == kStrf && streamHeader_) {
                if (!HandleFormat(*streamHeader_, pos + 8))
                    return;
            }
        }
    }

    // False when a field it needs lies past the end of the head.
    bool HandleFormat(std::uint64_t header, std::uint64_t format) {
        if (!Fits(header, 4))
            return false;
        const FourCC type = Read4(header);
        if (type == kVids || type == kIavs)
            return HandleVideo(type, header, format);
        if (type == kAuds) {
            if (!Fits(format, 2))
                return false;
            AudioCodecName(ReadU16(format), info_.audio.emplace());
        } else if (type == kMids) {
            info_.audio = "Midi";
        }
        return true;
    }

    bool HandleVideo(const FourCC& type, std::uint64_t header, std::uint64_t format) {
        // The format of an interleaved DV stream is a DV description, not a bitmap header:
        // its name and size come from the stream header alone.
        bool compressed = false;
        FourCC compression{};
        if (type == kVids) {
            if (!Fits(format, kBitmapCompression + 4))
                return false;
            compression = Read4(format + kBitmapCompression);
            compressed = compression[0] && compression[1] && compression[2] && compression[3];
        }
        if (!Fits(header, compressed ? kHeaderRate + 4 : kHeaderFrameBottom + 2))
            return false;
        if (compressed) {
            VideoCodecName(compression, info_.video.emplace());
            info_.width = ReadI32(format + kBitmapWidth);
            info_.height = ReadI32(format + kBitmapHeight);
        } else {
            // Uncompressed or numbered formats: the handler code and the frame rectangle.
            VideoCodecName(Read4(header + kHeaderHandler), info_.video.emplace());
            info_.width = ReadI16(header + kHeaderFrameRight);
            info_.height = ReadI16(header + kHeaderFrameBottom);
        }
        const std::uint32_t scale = ReadU32(header + kHeaderScale);
        const std::uint32_t rate = ReadU32(header + kHeaderRate);
        if (scale != 0) {
            info_.fps = static_cast<float>(static_cast<double>(rate) / static_cast<double>(scale));
        }
        // The running time rides along: it is read only from a stream header whose own size
        // holds the length, and changes nothing of what the walk finds otherwise.
        if (scale != 0 && rate != 0 && ReadU32(header - 4) >= kHeaderLength + 4 &&
            Fits(header, kHeaderLength + 4)) {
            info_.seconds = static_cast<double>(ReadU32(header + kHeaderLength)) *
                            static_cast<double>(scale) / static_cast<double>(rate);
        }
        return true;
    }

    std::span<const std::uint8_t> head_;
    AviHeaderInfo& info_;
    std::optional<std::uint64_t> streamHeader_;  // data offset of the current "strh"
};

}  // namespace

void WalkAviHeaders(std::span<const std::uint8_t> head, AviHeaderInfo& info) {
    if (head.size() > kAviWindow)
        head = head.first(kAviWindow);
    AviWalker(head, info).Walk();
}

}  // namespace reelkeep
