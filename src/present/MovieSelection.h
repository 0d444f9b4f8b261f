// What the presentation needs of the movie list: which rows are selected, top of the list
// down, which movie each row stands for, and which row has the focus. The main window's list
// implements it; the command line and the tests use FixedMovieSelection.
#pragma once

#include <utility>
#include <vector>

#include "catalog/CatalogDatabase.h"

namespace reelkeep {

class MovieSelection {
public:
    virtual ~MovieSelection() = default;
    // Selected row indices in list order (top first).
    virtual std::vector<int> SelectedRows() const = 0;
    // The object identifier the row carries; 0 when there is no such row.
    virtual ObjectId RowObjectId(int row) const = 0;
    // The row with the keyboard focus; -1 when none has it.
    virtual int FocusedRow() const = 0;
};

// A list held in memory: rows carry the given identifiers.
class FixedMovieSelection : public MovieSelection {
public:
    // Every row selected, the first one focused.
    explicit FixedMovieSelection(std::vector<ObjectId> rows)
        : rows_(std::move(rows)), focused_(rows_.empty() ? -1 : 0) {
        for (int row = 0; row < static_cast<int>(rows_.size()); ++row) selected_.push_back(row);
    }
    FixedMovieSelection(std::vector<ObjectId> rows, std::vector<int> selectedInListOrder,
                        int focused)
        : rows_(std::move(rows)), selected_(std::move(selectedInListOrder)), focused_(focused) {}

    std::vector<int> SelectedRows() const override { return selected_; }
    ObjectId RowObjectId(int row) const override {
        return row >= 0 && row < static_cast<int>(rows_.size()) ? rows_[row] : 0;
    }
    int FocusedRow() const override { return focused_; }

private:
    std::vector<ObjectId> rows_;
    std::vector<int> selected_;
    int focused_;
};

}  // namespace reelkeep
