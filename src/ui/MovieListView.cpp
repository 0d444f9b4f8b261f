#include "ui/MovieListView.h"

#include <QKeyEvent>
#include <QStyledItemDelegate>
#include <algorithm>

#include "ui/MovieListModel.h"

namespace reelkeep {

namespace {

class BoldSelectionDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (option->state & QStyle::State_Selected)
            option->font.setWeight(QFont::Bold);
    }
};

}  // namespace

MovieListView::MovieListView(QWidget* parent) : QListView(parent) {
    setObjectName(QStringLiteral("movieList"));
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);  // keeps layout linear in rows: a hundred thousand stay quick
    setContextMenuPolicy(Qt::CustomContextMenu);
    setIconSize(QSize(16, 16));
    setTextElideMode(Qt::ElideRight);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setItemDelegate(new BoldSelectionDelegate(this));
    setAcceptDrops(false);  // dropped files belong to the window
}

MovieListModel* MovieListView::Model() const {
    return static_cast<MovieListModel*>(model());
}

void MovieListView::SetModel(MovieListModel* model) {
    setModel(model);
}

std::vector<int> MovieListView::SelectedRows() const {
    std::vector<int> rows;
    const QItemSelection selection = selectionModel()->selection();
    for (const QItemSelectionRange& range : selection) {
        for (int row = range.top(); row <= range.bottom(); ++row) rows.push_back(row);
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

int MovieListView::SelectedCount() const {
    // Ranges may overlap after mixed clicks; only a single range can be counted directly.
    const QItemSelection selection = selectionModel()->selection();
    if (selection.size() == 1)
        return selection.front().height();
    return static_cast<int>(SelectedRows().size());
}

int MovieListView::FocusedRow() const {
    const QModelIndex current = selectionModel()->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void MovieListView::SelectOnly(int row) {
    if (row < 0) {
        selectionModel()->clearSelection();
        return;
    }
    const QModelIndex index = model()->index(row, 0);
    selectionModel()->select(index, QItemSelectionModel::ClearAndSelect);
    scrollTo(index, QAbstractItemView::EnsureVisible);
}

void MovieListView::SelectAndFocus(int row) {
    const QModelIndex index = model()->index(row, 0);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    scrollTo(index, QAbstractItemView::EnsureVisible);
}

void MovieListView::keyPressEvent(QKeyEvent* event) {
    // The keypad's Delete arrives with the keypad modifier; it is the same key to the user.
    if (event->key() == Qt::Key_Delete &&
        (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        emit DeleteRequested();
        event->accept();
        return;
    }
    // Undo and Redo of the catalog belong to the list; the Search box and the page keep theirs.
    if (event->matches(QKeySequence::Undo)) {
        emit UndoRequested();
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::Redo) ||
        event->keyCombination() == QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Z)) {
        emit RedoRequested();
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}

}  // namespace reelkeep
