#include "interop/PictureStore.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <random>

#include "catalog/CatalogPaths.h"

namespace reelkeep {

namespace {

constexpr std::size_t kPictureLimit = 32u << 20;

bool StartsWith(std::string_view bytes, std::string_view head) {
    return bytes.substr(0, head.size()) == head;
}

std::string ReadPictureFile(const std::string& path, std::string& error) {
    const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (descriptor < 0) {
        error = std::strerror(errno);
        return {};
    }
    struct stat status {};
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) ||
        static_cast<std::size_t>(status.st_size) > kPictureLimit) {
        error = "not a picture file of a sensible size";
        close(descriptor);
        return {};
    }
    std::string bytes(static_cast<std::size_t>(status.st_size), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = read(descriptor, bytes.data() + done, bytes.size() - done);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        done += static_cast<std::size_t>(got);
    }
    close(descriptor);
    bytes.resize(done);
    return bytes;
}

bool WriteAll(int descriptor, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = write(descriptor, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace

std::string_view PictureExtension(std::string_view bytes) {
    if (StartsWith(bytes, "\xFF\xD8\xFF")) return ".jpg";
    if (StartsWith(bytes, "\x89PNG\r\n\x1A\n")) return ".png";
    if (StartsWith(bytes, "GIF87a") || StartsWith(bytes, "GIF89a")) return ".gif";
    if (bytes.size() >= 12 && StartsWith(bytes, "RIFF") && bytes.substr(8, 4) == "WEBP") return ".webp";
    if (StartsWith(bytes, "BM") && bytes.size() > 26) return ".bmp";
    return {};
}

StoredPicture StorePicture(const std::string& catalogFolder, const PictureSource& source) {
    StoredPicture stored;
    std::string bytes = source.bytes;
    if (bytes.empty() && !source.path.empty()) {
        std::string why;
        bytes = ReadPictureFile(source.path, why);
        if (bytes.empty()) {
            stored.error = "the picture \"" + source.description + "\" cannot be read" +
                           (why.empty() ? "" : ": " + why);
            return stored;
        }
    }
    const std::string_view extension = PictureExtension(bytes);
    if (extension.empty()) {
        stored.error = "\"" + source.description + "\" is not a picture";
        return stored;
    }
    static thread_local std::mt19937 random{std::random_device{}()};
    for (int attempt = 0; attempt < 100; ++attempt) {
        char tag[16];
        const auto end = std::to_chars(tag, tag + sizeof tag, random() | 0x10000000u, 16).ptr;
        const std::string name = "picture-" + std::string(tag, end) + std::string(extension);
        if (IsCatalogFileName(name)) continue;
        const std::string path = catalogFolder + name;
        const int descriptor =
            open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
        if (descriptor < 0) {
            if (errno == EEXIST) continue;
            stored.error = "the picture \"" + source.description + "\" cannot be stored: " +
                           std::strerror(errno);
            return stored;
        }
        const bool written = WriteAll(descriptor, bytes);
        const bool closed = close(descriptor) == 0;
        if (!written || !closed) {
            unlink(path.c_str());
            stored.error = "the picture \"" + source.description + "\" cannot be stored";
            return stored;
        }
        stored.name = name;
        return stored;
    }
    stored.error = "no free name for the picture \"" + source.description + "\"";
    return stored;
}

}  // namespace reelkeep
