// What a read-write connection changed, kept as one step of the catalog's history in the same
// transaction as the change: the whole record as it was before the step's first change to it
// (none for a record the step inserted), and a digest of every record as the step left it, so
// that an undo can tell whether anything changed it since.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "catalog/CatalogConnection.h"

namespace reelkeep {

// How much history a catalog keeps; the oldest steps go first. The newest step is always
// kept, however large, so that the last operation can be taken back.
struct HistoryBound {
    static constexpr std::size_t kSteps = 100;
    static constexpr std::int64_t kLeastBytes = 64ll << 20;
    // A catalog larger than four times kLeastBytes keeps a quarter of its own size.
    static std::int64_t Bytes(std::int64_t catalogBytes) {
        return catalogBytes / 4 > kLeastBytes ? catalogBytes / 4 : kLeastBytes;
    }
};

// The digests of a step's records as the step left them, kept in one value of the step's row:
// for each record its identifier (4 bytes) and digest (8 bytes), little-endian.
using HistoryStates = std::unordered_map<ObjectId, std::uint64_t>;
std::string EncodeHistoryStates(const HistoryStates& states);
// Nothing when the bytes are not such a list.
std::optional<HistoryStates> DecodeHistoryStates(std::string_view bytes);

class HistoryRecorder {
public:
    explicit HistoryRecorder(CatalogDatabase::Connection& connection) : connection_(connection) {}

    // Before a record is changed or removed: keeps it as it is now, once per step.
    void BeforeChange(ObjectId oid);
    // After a record was inserted, updated or removed (`after` nullptr), as it now stands.
    void Inserted(ObjectId oid, const Movie& after);
    void Changed(ObjectId oid, const Movie& after);
    void Removed(ObjectId oid);

    void SetLabel(std::string label) { label_ = std::move(label); }
    // Writes the step's label, time and digests and drops the oldest steps beyond the bound.
    // Called inside the transaction, just before it commits; nothing when nothing changed.
    void Finish();

private:
    void BeginStep();

    CatalogDatabase::Connection& connection_;
    std::int64_t step_ = 0;  // 0 until the first change
    std::string label_;
    // Every record the step touched, with the digest of how the step left it; nothing while
    // a change to it has not been confirmed (Finish reads the record then).
    std::unordered_map<ObjectId, std::optional<std::uint64_t>> touched_;
};

}  // namespace reelkeep
