// The movie list as the presentation sees it: selected rows top down, each row's movie, the
// focused row.
#pragma once

#include "present/MovieSelection.h"

namespace reelkeep {

class MovieListView;

class ListSelection : public MovieSelection {
public:
    explicit ListSelection(const MovieListView& list) : list_(list) {}

    std::vector<int> SelectedRows() const override;
    ObjectId RowObjectId(int row) const override;
    int FocusedRow() const override;

private:
    const MovieListView& list_;
};

}  // namespace reelkeep
