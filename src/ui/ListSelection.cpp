#include "ui/ListSelection.h"

#include "ui/MovieListModel.h"
#include "ui/MovieListView.h"

namespace reelkeep {

std::vector<int> ListSelection::SelectedRows() const {
    return list_.SelectedRows();
}

ObjectId ListSelection::RowObjectId(int row) const {
    const MovieListModel* model = list_.Model();
    return model && row >= 0 && row < model->rowCount() ? model->Oid(row) : 0;
}

int ListSelection::FocusedRow() const {
    return list_.FocusedRow();
}

}  // namespace reelkeep
