#include "interop/ZipArchive.h"

#include <zip.h>

#include <cctype>

namespace reelkeep {

namespace {

zip_t* Handle(void* archive) { return static_cast<zip_t*>(archive); }

bool SameIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

std::string_view LastComponent(std::string_view name) {
    const std::size_t slash = name.find_last_of("/\\");
    return slash == std::string_view::npos ? name : name.substr(slash + 1);
}

}  // namespace

bool IsUnsafeEntryName(std::string_view name) {
    if (name.empty()) return false;
    if (name.front() == '/' || name.front() == '\\') return true;
    if (name.size() >= 2 && name[1] == ':') return true;  // a drive letter
    std::size_t start = 0;
    while (start <= name.size()) {
        const std::size_t end = name.find_first_of("/\\", start);
        const std::string_view part =
            name.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (part == "..") return true;
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return false;
}

std::unique_ptr<ZipArchive> ZipArchive::Open(std::string_view bytes, std::string& error) {
    zip_error_t zipError;
    zip_error_init(&zipError);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &zipError);
    if (!source) {
        error = "The archive cannot be read.";
        zip_error_fini(&zipError);
        return nullptr;
    }
    zip_t* archive = zip_open_from_source(source, ZIP_RDONLY, &zipError);
    if (!archive) {
        error = std::string("The file is not a zip archive that can be read: ") +
                zip_error_strerror(&zipError) + ".";
        zip_source_free(source);
        zip_error_fini(&zipError);
        return nullptr;
    }
    zip_error_fini(&zipError);
    std::unique_ptr<ZipArchive> result(new ZipArchive(archive));
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* name = zip_get_name(archive, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_GUESS);
        result->names_.emplace_back(name ? name : "");
        if (IsUnsafeEntryName(result->names_.back())) {
            error = "The archive holds an entry named \"" + result->names_.back() +
                    "\", which points outside it, so nothing in it was imported.";
            return nullptr;
        }
    }
    return result;
}

ZipArchive::~ZipArchive() {
    if (archive_) zip_discard(Handle(archive_));
}

std::optional<std::size_t> ZipArchive::Find(std::string_view name) const {
    for (std::size_t i = 0; i < names_.size(); ++i) {
        if (names_[i] == name) return i;
    }
    std::optional<std::size_t> found;
    for (std::size_t i = 0; i < names_.size(); ++i) {
        if (SameIgnoringAsciiCase(LastComponent(names_[i]), name)) {
            if (found) return std::nullopt;  // more than one: none is "the" one
            found = i;
        }
    }
    return found;
}

std::optional<std::string> ZipArchive::Read(std::size_t entry, std::size_t limit,
                                            std::string& error) const {
    if (entry >= names_.size()) return std::nullopt;
    zip_file_t* file = zip_fopen_index(Handle(archive_), entry, 0);
    if (!file) {
        error = "The entry \"" + names_[entry] + "\" of the archive cannot be read: " +
                zip_strerror(Handle(archive_)) + ".";
        return std::nullopt;
    }
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const zip_int64_t got = zip_fread(file, buffer, sizeof buffer);
        if (got < 0) {
            error = "The entry \"" + names_[entry] + "\" of the archive is damaged.";
            zip_fclose(file);
            return std::nullopt;
        }
        if (got == 0) break;
        if (bytes.size() + static_cast<std::size_t>(got) > limit) {
            error = "The entry \"" + names_[entry] + "\" of the archive is too large.";
            zip_fclose(file);
            return std::nullopt;
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    zip_fclose(file);
    return bytes;
}

}  // namespace reelkeep
