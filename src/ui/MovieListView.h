// The left pane: one column of titles as wide as the pane, several rows selectable, selected
// rows in bold. The Delete key asks the window to delete the selection.
#pragma once

#include <QListView>
#include <vector>

namespace reelkeep {

class MovieListModel;

class MovieListView : public QListView {
    Q_OBJECT

public:
    explicit MovieListView(QWidget* parent = nullptr);

    MovieListModel* Model() const;
    void SetModel(MovieListModel* model);

    // Selected row numbers in ascending order.
    std::vector<int> SelectedRows() const;
    int SelectedCount() const;
    // The row with the keyboard focus, -1 when none has it.
    int FocusedRow() const;

    // Selects exactly this row (or none for -1) and scrolls it fully into view; the focus
    // row stays where it was.
    void SelectOnly(int row);
    // Selects this row alone, gives it the focus and scrolls it fully into view.
    void SelectAndFocus(int row);

signals:
    void DeleteRequested();
    // Ctrl+Z and Ctrl+Shift+Z (or the desktop's own keys for them).
    void UndoRequested();
    void RedoRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace reelkeep
