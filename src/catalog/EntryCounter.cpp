#include "catalog/EntryCounter.h"

#include <algorithm>

namespace reelkeep {

namespace {

std::uint32_t Hash(std::string_view text) {
    std::uint32_t hash = 2166136261u;  // FNV-1a
    for (const char c : text) hash = (hash ^ static_cast<std::uint8_t>(c)) * 16777619u;
    return hash;
}

// The entries of an encoded string array as views into it (ArrayCodec's layout: each a
// LEB128 length, then its bytes); false when the bytes are not such an array.
template <class Visit>
bool ForEachEntry(std::string_view bytes, Visit&& visit) {
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::uint64_t length = 0;
        int shift = 0;
        for (;;) {
            if (pos >= bytes.size() || shift >= 64) return false;
            const auto byte = static_cast<std::uint8_t>(bytes[pos++]);
            length |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
            if (!(byte & 0x80)) break;
            shift += 7;
        }
        if (length > bytes.size() - pos) return false;
        visit(bytes.substr(pos, static_cast<std::size_t>(length)));
        pos += static_cast<std::size_t>(length);
    }
    return true;
}

std::uint64_t Slot(std::uint32_t hash, std::size_t index) {
    return static_cast<std::uint64_t>(hash) << 32 | static_cast<std::uint32_t>(index + 1);
}

}  // namespace

void EntryCounter::AddRecord(std::string_view encodedArray) {
    std::vector<std::string_view>& entries = record_;
    entries.clear();
    if (!ForEachEntry(encodedArray, [&](std::string_view entry) { entries.push_back(entry); })) return;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        // An entry listed twice in one record counts once.
        if (entries[i].empty() || entries[i].size() > UINT32_MAX ||
            std::find(entries.begin(), entries.begin() + static_cast<std::ptrdiff_t>(i), entries[i]) !=
                entries.begin() + static_cast<std::ptrdiff_t>(i)) {
            continue;
        }
        Count(entries[i]);
    }
}

void EntryCounter::Count(std::string_view entry) {
    if (slots_.empty() || (entries_.size() + 1) * 2 > slots_.size()) Grow();
    const std::uint32_t hash = Hash(entry);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const std::uint64_t taken = slots_[slot];
        if (taken == 0) {
            slots_[slot] = Slot(hash, entries_.size());
            entries_.push_back({bytes_.size(), static_cast<std::uint32_t>(entry.size()), hash, 1});
            bytes_ += entry;
            return;
        }
        if (static_cast<std::uint32_t>(taken >> 32) != hash) continue;
        Entry& found = entries_[static_cast<std::uint32_t>(taken) - 1];
        if (TextOf(found) == entry) {
            ++found.count;
            return;
        }
    }
}

void EntryCounter::Grow() {
    std::vector<std::uint64_t> slots(slots_.empty() ? 1024 : slots_.size() * 2, 0);
    const std::size_t mask = slots.size() - 1;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        std::size_t slot = entries_[i].hash & mask;
        while (slots[slot] != 0) slot = (slot + 1) & mask;
        slots[slot] = Slot(entries_[i].hash, i);
    }
    slots_ = std::move(slots);
}

std::vector<std::pair<std::string, std::int64_t>> EntryCounter::Top(std::size_t limit) const {
    std::vector<const Entry*> ranked;
    ranked.reserve(entries_.size());
    for (const Entry& entry : entries_) ranked.push_back(&entry);
    const auto keep = static_cast<std::ptrdiff_t>(std::min(limit, ranked.size()));
    std::partial_sort(ranked.begin(), ranked.begin() + keep, ranked.end(),
                      [this](const Entry* a, const Entry* b) {
                          return a->count != b->count ? a->count > b->count : TextOf(*a) < TextOf(*b);
                      });
    std::vector<std::pair<std::string, std::int64_t>> top;
    for (std::ptrdiff_t i = 0; i < keep; ++i) top.emplace_back(TextOf(*ranked[i]), ranked[i]->count);
    return top;
}

}  // namespace reelkeep
