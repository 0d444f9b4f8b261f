// A zip archive held in memory, read through libzip. An archive with an entry whose name is
// absolute or climbs out of it ("..") is refused whole: nothing in it is read.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace reelkeep {

inline constexpr std::string_view kZipSignature = "PK\x03\x04";

class ZipArchive {
public:
    // Nothing, with the reason in `error`, when the bytes are no zip archive or are refused.
    // The bytes must outlive the archive.
    static std::unique_ptr<ZipArchive> Open(std::string_view bytes, std::string& error);
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    const std::vector<std::string>& Names() const { return names_; }
    // The entry whose name is exactly `name` (or, when none is, the only one whose last
    // component is `name` without regard to case); nothing when absent.
    std::optional<std::size_t> Find(std::string_view name) const;
    // The entry's bytes, at most `limit` of them: a longer entry is an error.
    std::optional<std::string> Read(std::size_t entry, std::size_t limit, std::string& error) const;

private:
    explicit ZipArchive(void* archive) : archive_(archive) {}
    void* archive_;  // zip_t
    std::vector<std::string> names_;
};

// True for a name that is absolute or has a ".." component, with "/" or "\" between parts.
bool IsUnsafeEntryName(std::string_view name);

}  // namespace reelkeep
