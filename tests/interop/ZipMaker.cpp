#include "ZipMaker.h"

#include <zip.h>

#include <stdexcept>

#include "support/TempFolder.h"

namespace reelkeep::test {

std::string MakeZip(const std::string& folder, const ZipEntries& entries) {
    const std::string path = folder + "made.zip";
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive) throw std::runtime_error("zip_open failed");
    for (const auto& [name, bytes] : entries) {
        zip_source_t* source = zip_source_buffer(archive, bytes.data(), bytes.size(), 0);
        if (!source || zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8) < 0) {
            zip_source_free(source);
            zip_discard(archive);
            throw std::runtime_error("zip_file_add failed for " + name);
        }
    }
    if (zip_close(archive) != 0) throw std::runtime_error("zip_close failed");
    std::string made = ReadFileBytes(path);
    std::remove(path.c_str());
    return made;
}

}  // namespace reelkeep::test
