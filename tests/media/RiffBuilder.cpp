#include "RiffBuilder.h"

#include <stdexcept>

namespace reelkeep::test {

namespace {

std::string_view FourCharacters(std::string_view code) {
    if (code.size() != 4)
        throw std::invalid_argument("a four-character code needs four bytes");
    return code;
}

}  // namespace

std::string LittleEndian16(std::uint16_t value) {
    return {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
}

std::string LittleEndian32(std::uint32_t value) {
    return LittleEndian16(static_cast<std::uint16_t>(value & 0xFFFF)) +
           LittleEndian16(static_cast<std::uint16_t>(value >> 16));
}

std::string Chunk(std::string_view code, std::string_view data) {
    std::string bytes(FourCharacters(code));
    bytes += LittleEndian32(static_cast<std::uint32_t>(data.size()));
    bytes += data;
    return bytes;
}

std::string ListChunk(std::string_view type, std::string_view contents) {
    return Chunk("LIST", std::string(FourCharacters(type)) + std::string(contents));
}

std::string RiffForm(std::string_view form, std::string_view contents) {
    return Chunk("RIFF", std::string(FourCharacters(form)) + std::string(contents));
}

std::string StrhChunk(const StreamHeader& header) {
    std::string data(FourCharacters(header.type));
    data += FourCharacters(header.handler);
    data += std::string(12, '\0');  // flags, priority, language, initial frames
    data += LittleEndian32(header.scale);
    data += LittleEndian32(header.rate);
    data += std::string(4, '\0');  // start
    data += LittleEndian32(header.length);
    data += std::string(12, '\0');  // buffer size, quality, sample size
    for (const std::int16_t edge : {header.left, header.top, header.right, header.bottom}) {
        data += LittleEndian16(static_cast<std::uint16_t>(edge));
    }
    return Chunk("strh", data);
}

std::string BitmapStrf(std::int32_t width, std::int32_t height, std::string_view compression) {
    std::string data = LittleEndian32(40);
    data += LittleEndian32(static_cast<std::uint32_t>(width));
    data += LittleEndian32(static_cast<std::uint32_t>(height));
    data += LittleEndian16(1) + LittleEndian16(24);  // planes, bits per pixel
    data += FourCharacters(compression);
    data += std::string(20, '\0');
    return Chunk("strf", data);
}

std::string WaveStrf(std::uint16_t tag) {
    std::string data = LittleEndian16(tag);
    data += LittleEndian16(2) + LittleEndian32(48000) + LittleEndian32(192000);
    data += LittleEndian16(4) + LittleEndian16(16) + LittleEndian16(0);
    return Chunk("strf", data);
}

std::string VideoStreamList(std::string_view compression, std::int32_t width, std::int32_t height,
                            std::uint32_t rate, std::uint32_t scale) {
    StreamHeader header;
    header.handler = compression;
    header.rate = rate;
    header.scale = scale;
    header.right = static_cast<std::int16_t>(width);
    header.bottom = static_cast<std::int16_t>(height);
    return ListChunk("strl", StrhChunk(header) + BitmapStrf(width, height, compression));
}

std::string AudioStreamList(std::uint16_t tag) {
    StreamHeader header;
    header.type = "auds";
    header.handler = std::string(4, '\0');
    header.rate = 48000;
    return ListChunk("strl", StrhChunk(header) + WaveStrf(tag));
}

std::string AviFile(std::string_view streams, std::string_view form) {
    const std::string hdrl =
        ListChunk("hdrl", Chunk("avih", std::string(56, '\0')) + std::string(streams));
    return RiffForm(form, hdrl + ListChunk("movi", ""));
}

}  // namespace reelkeep::test
