#include "catalog/ArrayCodec.h"

#include <cstdint>

namespace reelkeep {

namespace {

void AppendLength(std::string& out, std::uint64_t value) {
    do {
        std::uint8_t byte = value & 0x7F;
        value >>= 7;
        if (value) byte |= 0x80;
        out.push_back(static_cast<char>(byte));
    } while (value);
}

// Reads one LEB128 number at pos; nullopt when it runs past the end or past 64 bits.
std::optional<std::uint64_t> ReadLength(std::string_view bytes, std::size_t& pos) {
    std::uint64_t value = 0;
    for (int shift = 0; shift < 64; shift += 7) {
        if (pos >= bytes.size()) return std::nullopt;
        const auto byte = static_cast<std::uint8_t>(bytes[pos++]);
        value |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
        if (!(byte & 0x80)) return value;
    }
    return std::nullopt;
}

}  // namespace

std::string EncodeStringArray(const StringArray& entries) {
    std::string out;
    std::size_t total = 0;
    for (const std::string& entry : entries) total += entry.size() + 2;
    out.reserve(total);
    for (const std::string& entry : entries) {
        AppendLength(out, entry.size());
        out += entry;
    }
    return out;
}

std::optional<StringArray> DecodeStringArray(std::string_view bytes) {
    StringArray entries;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const auto length = ReadLength(bytes, pos);
        if (!length || *length > bytes.size() - pos) return std::nullopt;
        entries.emplace_back(bytes.substr(pos, *length));
        pos += *length;
    }
    return entries;
}

std::string EncodeInt64Array(const Int64Array& entries) {
    std::string out;
    out.reserve(entries.size() * 8);
    for (const std::int64_t entry : entries) {
        auto value = static_cast<std::uint64_t>(entry);
        for (int i = 0; i < 8; ++i) {
            out.push_back(static_cast<char>(value & 0xFF));
            value >>= 8;
        }
    }
    return out;
}

std::optional<Int64Array> DecodeInt64Array(std::string_view bytes) {
    if (bytes.size() % 8 != 0) return std::nullopt;
    Int64Array entries;
    entries.reserve(bytes.size() / 8);
    for (std::size_t pos = 0; pos < bytes.size(); pos += 8) {
        std::uint64_t value = 0;
        for (int i = 7; i >= 0; --i) {
            value = (value << 8) | static_cast<std::uint8_t>(bytes[pos + i]);
        }
        entries.push_back(static_cast<std::int64_t>(value));
    }
    return entries;
}

}  // namespace reelkeep
