#include "catalog/CatalogPaths.h"

#include <strings.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/Folders.h"

namespace reelkeep {

namespace {

bool Removed(const std::string& path) { return ::unlink(path.c_str()) == 0 || errno == ENOENT; }

}  // namespace

std::string DefaultCatalogFolder() {
    const std::string documents = DocumentsFolder();
    if (documents.empty()) return {};
    const std::string folder = documents + "Reelkeep/";
    EnsureFolder(folder);
    return folder;
}

std::string CatalogFilePath(const std::string& folder) { return folder + kCatalogFileName; }

bool IsCatalogFileName(std::string_view bareName) {
    const std::size_t length = std::strlen(kCatalogFileName);
    return bareName.size() >= length &&
           ::strncasecmp(bareName.data(), kCatalogFileName, length) == 0;
}

void RemoveCatalogCompanions(const std::string& filePath) {
    for (const char* suffix : {"-wal", "-shm", "-journal"}) Removed(filePath + suffix);
}

bool RemoveCatalogFile(const std::string& filePath) {
    if (!Removed(filePath)) return false;
    RemoveCatalogCompanions(filePath);
    return true;
}

}  // namespace reelkeep
