// Edit > Undo and Redo on the catalog: while the list has the focus they take back, and make
// again, the newest step of the catalog's history, whichever program made it. In the pane the
// page keeps its own Undo.
#include <QEvent>
#include <QItemSelectionModel>

#include "app/MainFrame.h"
#include "ui/BrowserPane.h"
#include "ui/MovieListModel.h"
#include "ui/MovieListView.h"
#include "ui/Prompts.h"
#include "ui/ScreenText.h"
#include "ui/WaitCursor.h"

namespace reelkeep {

namespace {

constexpr int kLongestLabel = 60;

// The step's label as a menu shows it: "&" is not a mnemonic there, and a long title is cut.
QString MenuLabel(const std::string& label) {
    QString text = ScreenText(label);
    if (text.size() > kLongestLabel) text = text.left(kLongestLabel - 1) + QChar(0x2026);
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

}  // namespace

// The window's own focus widget: it stays the list while a menu is open or another window is
// active.
bool MainFrame::HistoryCommandsActive() const { return focusWidget() == list_; }

void MainFrame::changeEvent(QEvent* event) {
    // Back from another program, which may have changed the catalog.
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) ArmIdle();
    QMainWindow::changeEvent(event);
}

void MainFrame::UpdateHistoryCommands() {
    QAction* undo = actions_[ID_EDIT_UNDO];
    QAction* redo = actions_[ID_EDIT_REDO];
    if (!HistoryCommandsActive()) {
        undo->setText(tr("&Undo\tCtrl+Z"));
        redo->setText(tr("&Redo\tCtrl+Shift+Z"));
        undo->setEnabled(pane_->CanRunEditCommand(BrowserPane::EditCommand::Undo));
        redo->setEnabled(false);
        return;
    }
    try {
        pendingSteps_ = ReadPendingSteps(catalogFile_);
    } catch (const dbException&) {
        pendingSteps_ = {};  // a catalog that cannot be read has nothing to offer
    }
    // Not under a drop, delete, export or sort that is still working on the catalog.
    const bool busy = dropping_ || operationRunning_;
    undo->setText(pendingSteps_.undo ? tr("&Undo %1\tCtrl+Z").arg(MenuLabel(pendingSteps_.undo->label))
                                     : tr("&Undo\tCtrl+Z"));
    redo->setText(pendingSteps_.redo ? tr("&Redo %1\tCtrl+Shift+Z").arg(MenuLabel(pendingSteps_.redo->label))
                                     : tr("&Redo\tCtrl+Shift+Z"));
    undo->setEnabled(pendingSteps_.undo && !busy);
    redo->setEnabled(pendingSteps_.redo && !busy);
}

void MainFrame::OnUndo() {
    if (!HistoryCommandsActive()) {
        pane_->RunEditCommand(BrowserPane::EditCommand::Undo);
        return;
    }
    MoveInHistory(true);
}

void MainFrame::OnRedo() {
    if (HistoryCommandsActive()) MoveInHistory(false);
}

void MainFrame::MoveInHistory(bool undo) {
    // The step the menu offered; a newer one from elsewhere is not taken back unseen.
    const std::optional<HistoryStepInfo>& offered = undo ? pendingSteps_.undo : pendingSteps_.redo;
    if (!offered || dropping_ || operationRunning_) return;
    HistoryMove move;
    try {
        const WaitCursor wait;
        move = undo ? UndoStep(catalogFile_, offered->number) : RedoStep(catalogFile_, offered->number);
    } catch (const dbException& error) {
        ShowError(this, ScreenText(error.what()));
        UpdateHistoryCommands();
        return;
    }
    ShowHistoryMove(move);
    UpdateHistoryCommands();
}

void MainFrame::ShowHistoryMove(const HistoryMove& move) {
    list_->setUpdatesEnabled(false);
    // Rows the Filter hides follow too, so that they are right when it clears.
    model_->RemoveMovies(move.removed);
    for (const MovieListRow& values : move.present) model_->PutRow(values);
    list_->setUpdatesEnabled(true);
    SortList(true);

    // What came back or changed is selected, so that the pane shows it.
    QItemSelection selection;
    int first = -1;
    for (const MovieListRow& values : move.present) {
        const int row = model_->RowOf(values.oid);
        if (row < 0) continue;
        const QModelIndex index = model_->index(row, 0);
        selection.select(index, index);
        if (first < 0 || row < first) first = row;
    }
    if (first >= 0) {
        list_->SelectAndFocus(first);
        list_->selectionModel()->select(selection, QItemSelectionModel::Select);
    }
    editMode_ = false;
    RefreshView(-1);
}

}  // namespace reelkeep
