// Catalog files from other programs are outside data: an XML document (ours, Tellico, GCstar)
// or a zip archive (Tellico, Letterboxd) read from memory must never crash the reader, never
// expand entities, and give movies that keep the record's rules. The first byte chooses the
// reader, so that each of them sees every input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "interop/Base64.h"
#include "interop/ImportFile.h"
#include "interop/ZipArchive.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace reelkeep;
    if (size == 0) return 0;
    const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::string bytes;
    switch (data[0] % 3) {
        case 0: bytes = "<" + std::string(rest); break;                    // an XML document
        case 1: bytes = std::string(kZipSignature) + std::string(rest); break;  // a zip archive
        default: bytes = std::string(rest); break;                          // as it came
    }
    try {
        const ImportBatch batch = ReadImportBytes(bytes, "fuzz", "");
        for (const ImportedMovie& imported : batch.movies) {
            if (imported.movie.szTitle.empty() || imported.movie.szTitle.find('\0') != std::string::npos) {
                std::abort();
            }
            // Nothing from a file read without a folder points beside it.
            for (const PictureSource& picture : imported.pictures) {
                if (!picture.path.empty()) std::abort();
            }
        }
    } catch (const ImportFileError&) {
    }
    if (const auto decoded = DecodeBase64(rest)) {
        if (decoded->size() > rest.size()) std::abort();
    }
    (void)IsUnsafeEntryName(rest);
    return 0;
}
