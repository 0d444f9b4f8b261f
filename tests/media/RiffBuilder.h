// Builds RIFF/AVI files byte by byte, for the reader's tests and the fuzzer's seeds.
// Four-character codes are given as strings of exactly four bytes (zero bytes allowed).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace reelkeep::test {

std::string LittleEndian16(std::uint16_t value);
std::string LittleEndian32(std::uint32_t value);

// code, size, data; no pad byte, like the reader expects.
std::string Chunk(std::string_view code, std::string_view data);
// "LIST", size, type, contents.
std::string ListChunk(std::string_view type, std::string_view contents);
// "RIFF", size, form type, contents.
std::string RiffForm(std::string_view form, std::string_view contents);

struct StreamHeader {
    std::string type = "vids";
    std::string handler = std::string(4, '\0');
    std::uint32_t scale = 1;
    std::uint32_t rate = 25;
    std::uint32_t length = 0;  // in units of scale / rate
    std::int16_t left = 0, top = 0, right = 0, bottom = 0;
};

// A 56-byte "strh" chunk.
std::string StrhChunk(const StreamHeader& header);
// A "strf" chunk holding a 40-byte bitmap header.
std::string BitmapStrf(std::int32_t width, std::int32_t height, std::string_view compression);
// A "strf" chunk holding an 18-byte wave format.
std::string WaveStrf(std::uint16_t tag);

// "LIST" "strl" with a video stream: handler as the compression code, 25 frames a second.
std::string VideoStreamList(std::string_view compression, std::int32_t width, std::int32_t height,
                            std::uint32_t rate = 25, std::uint32_t scale = 1);
std::string AudioStreamList(std::uint16_t tag);

// A whole file: "RIFF" "AVI " with an "hdrl" list holding `streams` and an empty "movi" list.
std::string AviFile(std::string_view streams, std::string_view form = "AVI ");

}  // namespace reelkeep::test
