// Counts how many records hold each entry of an array field, for the statistics' most
// frequent categories, directors and actors: entries are kept once, in one buffer, so that a
// catalog of a hundred thousand movies with a million names costs no allocation per name.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace reelkeep {

class EntryCounter {
public:
    // Counts each distinct entry of one record's array (encoded as ArrayCodec does) once; a
    // damaged array counts nothing.
    void AddRecord(std::string_view encodedArray);

    // The `limit` entries held by the most records, most first; ties by their bytes.
    std::vector<std::pair<std::string, std::int64_t>> Top(std::size_t limit) const;

private:
    struct Entry {
        std::size_t offset;
        std::uint32_t length;
        std::uint32_t hash;
        std::int64_t count;
    };
    std::string_view TextOf(const Entry& entry) const { return {bytes_.data() + entry.offset, entry.length}; }
    void Count(std::string_view entry);
    void Grow();

    std::string bytes_;
    std::vector<Entry> entries_;
    // Open addressing: an entry's hash in the high half and its index + 1 into entries_ in the
    // low half, 0 when free; a probe past another entry then reads no entry.
    std::vector<std::uint64_t> slots_;
    std::vector<std::string_view> record_;  // the entries of the record being added
};

}  // namespace reelkeep
