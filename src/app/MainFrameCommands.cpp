// What the window's commands do, and when they are enabled.
#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QStatusBar>
#include <QToolBar>
#include <cerrno>
#include <cstring>

#include "app/MainFrame.h"
#include "catalog/CatalogPaths.h"
#include "platform/Folders.h"
#include "ui/AboutDialog.h"
#include "ui/BrowserPane.h"
#include "ui/MovieListModel.h"
#include "ui/MovieListView.h"
#include "ui/Prompts.h"
#include "ui/ScreenText.h"

namespace reelkeep {

void MainFrame::ConnectCommands() {
    const auto on = [this](CommandId id, auto handler) {
        connect(actions_[id], &QAction::triggered, this, handler);
    };
    on(ID_FILE_NEW, &MainFrame::OnNewCatalog);
    on(ID_FILE_OPEN, &MainFrame::OnOpenCatalog);
    on(ID_FILE_PRINT, [this] { pane_->Print(); });
    on(ID_FILE_PRINT_PREVIEW, [this] { pane_->PrintPreview(); });
    on(ID_FILE_PAGE_SETUP, [this] { pane_->PageSetup(); });
    on(ID_APP_EXIT, &QWidget::close);
    on(ID_EDIT_UNDO, &MainFrame::OnUndo);
    on(ID_EDIT_REDO, &MainFrame::OnRedo);
    on(ID_EDIT_CUT, [this] { pane_->RunEditCommand(BrowserPane::EditCommand::Cut); });
    on(ID_EDIT_COPY, [this] { pane_->RunEditCommand(BrowserPane::EditCommand::Copy); });
    on(ID_EDIT_PASTE, [this] { pane_->RunEditCommand(BrowserPane::EditCommand::Paste); });
    on(ID_EDIT_SELECT_ALL, &MainFrame::OnSelectAll);
    on(ID_MOVIE_NEW, &MainFrame::OnNewMovie);
    on(ID_MOVIE_DELETE, &MainFrame::OnDeleteMovies);
    on(ID_MOVIE_EDITMODE, &MainFrame::OnToggleEditMode);
    on(ID_VIEW_TOOLBAR, &MainFrame::OnToggleToolBar);
    on(ID_VIEW_STATUS_BAR, &MainFrame::OnToggleStatusBar);
    for (CommandId id : {ID_SORT_TITLE, ID_SORT_YEAR, ID_SORT_RATING, ID_SORT_INDEX}) {
        on(id, [this, id] { OnSort(id); });
    }
    on(ID_HELP_CONTENTS, [this] { pane_->ShowHelp(); });
    on(ID_APP_ABOUT, &MainFrame::OnAbout);
    on(ID_FILE_PREFERENCES, &MainFrame::OnPreferences);
    on(ID_EXPORT_XML, [this] { OnExport(ID_EXPORT_XML); });
    on(ID_EXPORT_HTML, [this] { OnExport(ID_EXPORT_HTML); });
    on(ID_EXPORT_CSV, [this] { OnExport(ID_EXPORT_CSV); });
    on(ID_FILE_IMPORT, &MainFrame::OnImport);
    on(ID_MOVIE_UPDATE, &MainFrame::OnUpdateMovie);
    // Ctrl+S is taken by the window and does nothing.

    for (QAction* action : std::as_const(actions_)) {
        connect(action, &QAction::triggered, this, &MainFrame::ArmIdle);
    }
    connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        selectionChanged_ = true;
        ArmIdle();
    });
    connect(model_, &QAbstractItemModel::modelReset, this, &MainFrame::ArmIdle);
    connect(model_, &QAbstractItemModel::rowsRemoved, this, &MainFrame::ArmIdle);
    connect(model_, &QAbstractItemModel::rowsInserted, this, &MainFrame::ArmIdle);
    connect(qApp, &QApplication::focusChanged, this, &MainFrame::ArmIdle);
    for (auto webAction :
         {QWebEnginePage::Undo, QWebEnginePage::Cut, QWebEnginePage::Copy, QWebEnginePage::Paste}) {
        connect(pane_->page()->action(webAction), &QAction::changed, this, &MainFrame::ArmIdle);
    }
    connect(pane_, &QWebEngineView::printFinished, this, &MainFrame::ArmIdle);
    connect(list_, &MovieListView::DeleteRequested, actions_[ID_MOVIE_DELETE], &QAction::trigger);
    connect(list_, &MovieListView::UndoRequested, actions_[ID_EDIT_UNDO], &QAction::trigger);
    connect(list_, &MovieListView::RedoRequested, actions_[ID_EDIT_REDO], &QAction::trigger);
    connect(list_, &QAbstractItemView::doubleClicked, this, &MainFrame::OnOpenMovieFile);
    connect(list_, &QWidget::customContextMenuRequested, this, &MainFrame::OnListContextMenu);
    connect(searchBox_, &QLineEdit::textChanged, this, &MainFrame::OnSearchChanged);
    connect(pane_, &BrowserPane::FormPosted, this, &MainFrame::OnFormPosted);
}

void MainFrame::UpdateCommandStates() {
    const int selected = list_->SelectedCount();
    for (CommandId id : {ID_FILE_PRINT, ID_FILE_PRINT_PREVIEW, ID_FILE_PAGE_SETUP}) {
        actions_[id]->setEnabled(pane_->CanPrint());
    }
    actions_[ID_EXPORT_XML]->setEnabled(selected > 0);
    actions_[ID_EXPORT_HTML]->setEnabled(selected > 0);
    UpdateHistoryCommands();
    actions_[ID_EXPORT_CSV]->setEnabled(selected > 0);
    const std::pair<CommandId, BrowserPane::EditCommand> edits[] = {
        {ID_EDIT_CUT, BrowserPane::EditCommand::Cut},
        {ID_EDIT_COPY, BrowserPane::EditCommand::Copy},
        {ID_EDIT_PASTE, BrowserPane::EditCommand::Paste}};
    for (const auto& [id, command] : edits) {
        actions_[id]->setEnabled(pane_->CanRunEditCommand(command));
    }
    actions_[ID_MOVIE_DELETE]->setEnabled(selected > 0);
    actions_[ID_MOVIE_UPDATE]->setEnabled(selected == 1);
    actions_[ID_MOVIE_EDITMODE]->setChecked(editMode_);
    const std::pair<CommandId, SortKey> sorts[] = {{ID_SORT_TITLE, kSortByTitle},
                                                   {ID_SORT_YEAR, kSortByYear},
                                                   {ID_SORT_RATING, kSortByRating},
                                                   {ID_SORT_INDEX, kSortByIndex}};
    for (const auto& [id, key] : sorts) actions_[id]->setChecked(SortKeyOf(sortOrder_) == key);
    // Script items run over the selection: with none there is nothing to run them on. The
    // "Empty" placeholder stays grayed whatever is selected.
    for (QAction* script : scriptsMenu_->actions()) {
        if (script != actions_[ID_SCRIPTS_EMPTY])
            script->setEnabled(selected > 0);
    }
}

void MainFrame::OnSort(CommandId command) {
    const SortKey key = command == ID_SORT_TITLE    ? kSortByTitle
                        : command == ID_SORT_YEAR   ? kSortByYear
                        : command == ID_SORT_RATING ? kSortByRating
                                                    : kSortByIndex;
    sortOrder_ = ChooseSortKey(sortOrder_, key);
    SortList(true);
}

void MainFrame::OnSelectAll() {
    list_->setUpdatesEnabled(false);
    list_->selectAll();
    list_->setUpdatesEnabled(true);
}

void MainFrame::OnToggleEditMode() {
    editMode_ = !editMode_;
    RefreshView(list_->FocusedRow());
}

void MainFrame::OnToggleToolBar() {
    toolBar_->setVisible(!toolBar_->isVisible());
    actions_[ID_VIEW_TOOLBAR]->setChecked(!toolBar_->isHidden());
}

void MainFrame::OnToggleStatusBar() {
    statusBar()->setVisible(!statusBar()->isVisible());
    actions_[ID_VIEW_STATUS_BAR]->setChecked(!statusBar()->isHidden());
}

void MainFrame::OnAbout() {
    AboutDialog dialog(this);
    dialog.exec();
}

}  // namespace reelkeep
