// Array columns come from the catalog file, which may be damaged: decoding any bytes must
// either refuse them or give entries that encode back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "catalog/ArrayCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (const auto strings = reelkeep::DecodeStringArray(bytes)) {
        // A number may be written with redundant continuation bytes; its entries still
        // encode to a byte string that decodes to the same entries.
        if (reelkeep::DecodeStringArray(reelkeep::EncodeStringArray(*strings)) != strings) std::abort();
    }
    if (const auto numbers = reelkeep::DecodeInt64Array(bytes)) {
        if (reelkeep::EncodeInt64Array(*numbers) != bytes) std::abort();
    }
    return 0;
}
