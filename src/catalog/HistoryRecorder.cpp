#include "catalog/HistoryRecorder.h"

#include "catalog/MovieRow.h"
#include "catalog/SqliteStatement.h"

namespace reelkeep {

namespace {

std::string DefaultLabel(std::size_t movies) {
    return "Change of " + std::to_string(movies) + (movies == 1 ? " Movie" : " Movies");
}

void AppendLittleEndian(std::string& bytes, std::uint64_t value, int size) {
    for (int i = 0; i < size; ++i) bytes += static_cast<char>((value >> (8 * i)) & 0xff);
}

std::uint64_t ReadLittleEndian(std::string_view bytes, int size) {
    std::uint64_t value = 0;
    for (int i = 0; i < size; ++i) value |= std::uint64_t{static_cast<unsigned char>(bytes[i])} << (8 * i);
    return value;
}

constexpr std::size_t kStateEntryBytes = 12;

}  // namespace

std::string EncodeHistoryStates(const HistoryStates& states) {
    std::string bytes;
    bytes.reserve(states.size() * kStateEntryBytes);
    for (const auto& [oid, state] : states) {
        AppendLittleEndian(bytes, oid, 4);
        AppendLittleEndian(bytes, state, 8);
    }
    return bytes;
}

std::optional<HistoryStates> DecodeHistoryStates(std::string_view bytes) {
    if (bytes.size() % kStateEntryBytes != 0) return std::nullopt;
    HistoryStates states;
    states.reserve(bytes.size() / kStateEntryBytes);
    for (; !bytes.empty(); bytes.remove_prefix(kStateEntryBytes)) {
        states[static_cast<ObjectId>(ReadLittleEndian(bytes, 4))] = ReadLittleEndian(bytes.substr(4), 8);
    }
    return states;
}

void HistoryRecorder::BeginStep() {
    // History is a line: a new step takes the place of every step that could have been redone.
    connection_.Use(kHistoryDiscardRedoMovies).Step();
    connection_.Use(kHistoryDiscardRedoSteps).Step();
    connection_.Use(kHistoryNewStep).Step();
    step_ = sqlite3_last_insert_rowid(connection_.db.get());
}

void HistoryRecorder::BeforeChange(ObjectId oid) {
    if (touched_.contains(oid)) return;
    if (step_ == 0) BeginStep();
    StatementUse keep = connection_.Use(kHistoryKeepRecord);
    keep.Bind(1, step_);
    keep.Bind(2, std::int64_t{oid});
    keep.Step();
    // A record that is not there is not changed either.
    if (sqlite3_changes(connection_.db.get()) > 0) touched_.emplace(oid, std::nullopt);
}

void HistoryRecorder::Inserted(ObjectId oid, const Movie& after) {
    // A record that was not there before the step needs no row: its digest says it all.
    if (step_ == 0) BeginStep();
    touched_[oid] = MovieState(after);
}

void HistoryRecorder::Changed(ObjectId oid, const Movie& after) { touched_[oid] = MovieState(after); }

void HistoryRecorder::Removed(ObjectId oid) { touched_[oid] = kAbsentMovieState; }

void HistoryRecorder::Finish() {
    if (step_ == 0) return;
    Movie stored;
    HistoryStates states;
    states.reserve(touched_.size());
    for (auto& [oid, state] : touched_) {
        if (!state) {
            // The change did not go through: the record is as it is.
            StatementUse fetch = connection_.Use(kFetch);
            fetch.Bind(1, std::int64_t{oid});
            if (fetch.Step()) {
                ReadMovie(connection_.db.get(), fetch, 0, stored);
                state = MovieState(stored);
            } else {
                state = kAbsentMovieState;
            }
        }
        states.emplace(oid, *state);
    }
    {
        const std::string encoded = EncodeHistoryStates(states);
        StatementUse finish = connection_.Use(kHistoryFinishStep);
        finish.BindBytes(5, encoded);
        finish.Bind(1, step_);
        const std::string label = label_.empty() ? DefaultLabel(touched_.size()) : label_;
        finish.BindText(2, label);
        finish.Bind(3, std::int64_t{dbDateTime::Current().stamp});
        finish.Bind(4, static_cast<std::int64_t>(touched_.size()));
        finish.Step();
    }

    const std::int64_t catalogBytes = connection_.PragmaValue("PRAGMA page_count") *
                                      connection_.PragmaValue("PRAGMA page_size");
    const std::int64_t boundBytes = HistoryBound::Bytes(catalogBytes);
    std::int64_t dropFrom = 0;  // the newest step that goes, with every older one
    {
        StatementUse sizes = connection_.Use(kHistoryStepSizes);
        std::size_t steps = 0;
        std::int64_t bytes = 0;
        while (sizes.Step()) {
            ++steps;
            bytes += sizes.Int(1);
            if (steps > 1 && (steps > HistoryBound::kSteps || bytes > boundBytes)) {
                dropFrom = sizes.Int(0);
                break;
            }
        }
    }
    if (dropFrom != 0) {
        for (Query drop : {kHistoryDropMovies, kHistoryDropSteps}) {
            StatementUse use = connection_.Use(drop);
            use.Bind(1, dropFrom);
            use.Step();
        }
    }
    step_ = 0;
    touched_.clear();
    label_.clear();
}

}  // namespace reelkeep
