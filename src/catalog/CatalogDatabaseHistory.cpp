// Reading the catalog's history, and taking a step back or making it again.
#include <algorithm>
#include <memory>
#include <unordered_map>

#include "catalog/CatalogConnection.h"
#include "catalog/CatalogDatabase.h"
#include "catalog/HistoryRecorder.h"
#include "catalog/MovieRow.h"

namespace reelkeep {

namespace {

constexpr std::int64_t kFirstVersionWithHistory = 2;

HistoryStepInfo ReadStep(const StatementUse& use) {
    HistoryStepInfo step;
    step.number = use.Int(0);
    step.time = static_cast<std::uint32_t>(use.Int(1));
    step.label = std::string(use.Bytes(2));
    step.movies = static_cast<std::size_t>(use.Int(3));
    step.undone = use.Int(4) != 0;
    return step;
}

}  // namespace

std::vector<HistoryStepInfo> CatalogDatabase::History() {
    std::vector<HistoryStepInfo> steps;
    if (emptyReadOnly_ || schemaVersion_ < kFirstVersionWithHistory) return steps;
    StatementUse list = Live().Use(kHistoryList);
    while (list.Step()) steps.push_back(ReadStep(list));
    return steps;
}

std::optional<HistoryStepInfo> CatalogDatabase::NextUndo() {
    for (const HistoryStepInfo& step : History()) {
        if (!step.undone) return step;
    }
    return std::nullopt;
}

std::optional<HistoryStepInfo> CatalogDatabase::NextRedo() {
    std::optional<HistoryStepInfo> oldestUndone;
    for (const HistoryStepInfo& step : History()) {
        if (!step.undone) break;
        oldestUndone = step;
    }
    return oldestUndone;
}

HistoryMove CatalogDatabase::Undo(std::optional<std::int64_t> expected) { return Move(true, expected); }

HistoryMove CatalogDatabase::Redo(std::optional<std::int64_t> expected) { return Move(false, expected); }

HistoryMove CatalogDatabase::Move(bool undo, std::optional<std::int64_t> expected) {
    Connection& c = Live();
    if (!c.history) throw dbException("The catalog \"" + filePath_ + "\" is not open for changes.");
    const std::optional<HistoryStepInfo> step = undo ? NextUndo() : NextRedo();
    if (!step) throw dbException(undo ? "There is nothing to undo." : "There is nothing to redo.");
    if (expected && *expected != step->number) {
        throw dbException("The catalog was changed by another program meanwhile, so nothing was " +
                          std::string(undo ? "undone" : "redone") + ". The Edit menu now offers \"" +
                          (undo ? "Undo " : "Redo ") + step->label + "\".");
    }

    // How the catalog should hold each record the step touched now (its digest), and the
    // other side of the step for those that were there on it. Read first, then written:
    // reading a table while changing it is not to be relied on.
    std::optional<HistoryStates> states;
    {
        StatementUse read = c.Use(kHistoryStepStates);
        read.Bind(1, step->number);
        if (read.Step()) states = DecodeHistoryStates(read.Bytes(0));
    }
    if (!states) throw dbException("Catalog \"" + filePath_ + "\": the step \"" + step->label + "\" is damaged.");
    std::unordered_map<ObjectId, Movie> otherSide;
    {
        StatementUse rows = c.Use(kHistoryStepRows);
        rows.Bind(1, step->number);
        while (rows.Step()) ReadMovie(c.db.get(), rows, 1, otherSide[static_cast<ObjectId>(rows.Int(0))]);
    }
    std::vector<ObjectId> oids;
    oids.reserve(states->size());
    for (const auto& entry : *states) oids.push_back(entry.first);
    std::sort(oids.begin(), oids.end());

    HistoryMove move;
    move.label = step->label;
    HistoryStates statesAfter;
    statesAfter.reserve(oids.size());
    Movie current;
    const int fields = static_cast<int>(MovieFields().size());
    for (const ObjectId oid : oids) {
        bool currentPresent = false;
        {
            StatementUse fetch = c.Use(kFetch);
            fetch.Bind(1, std::int64_t{oid});
            currentPresent = fetch.Step();
            if (currentPresent) ReadMovie(c.db.get(), fetch, 0, current);
        }
        const std::uint64_t currentState = currentPresent ? MovieState(current) : kAbsentMovieState;
        const auto other = otherSide.find(oid);
        if (currentState != states->at(oid)) {
            const std::string& title = currentPresent ? current.szTitle
                                       : other != otherSide.end() ? other->second.szTitle
                                                                  : std::string();
            throw dbException("The movie \"" + title + "\" was changed after \"" + step->label +
                              "\", so nothing was " + (undo ? "undone." : "redone."));
        }

        // The catalog takes the record's other side...
        if (other != otherSide.end()) {
            const Movie& movie = other->second;
            if (currentPresent) {
                StatementUse update = c.Use(kUpdate);
                BindMovie(update, 1, movie, c.encoded);
                update.Bind(fields + 1, std::int64_t{oid});
                update.Step();
            } else {
                StatementUse insert = c.Use(kInsertWithOid);
                insert.Bind(1, std::int64_t{oid});
                BindMovie(insert, 2, movie, c.encoded);
                insert.Step();
            }
            c.ForgetFileNames(oid);
            c.AddFileNames(oid, movie.pszFilenames);
            move.present.push_back({oid, movie.szTitle, movie.bWatched});
            statesAfter.emplace(oid, MovieState(movie));
        } else {
            if (currentPresent) {
                StatementUse remove = c.Use(kRemove);
                remove.Bind(1, std::int64_t{oid});
                remove.Step();
                c.ForgetFileNames(oid);
                move.removed.push_back(oid);
            }
            statesAfter.emplace(oid, kAbsentMovieState);
        }

        // ...and the step keeps the side the catalog just left, for the move back.
        if (currentPresent) {
            StatementUse put = c.Use(kHistoryPutRow);
            put.Bind(1, step->number);
            put.Bind(2, std::int64_t{oid});
            const std::size_t bytes = BindMovie(put, 4, current, c.encoded);
            put.Bind(3, static_cast<std::int64_t>(bytes));
            put.Step();
        } else if (other != otherSide.end()) {
            StatementUse forget = c.Use(kHistoryForgetRow);
            forget.Bind(1, step->number);
            forget.Bind(2, std::int64_t{oid});
            forget.Step();
        }
    }

    const std::string encoded = EncodeHistoryStates(statesAfter);
    StatementUse mark = c.Use(kHistoryMark);
    mark.Bind(1, step->number);
    mark.Bind(2, std::int64_t{undo});
    mark.BindBytes(3, encoded);
    mark.Step();
    return move;
}

}  // namespace reelkeep
