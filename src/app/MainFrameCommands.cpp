// What the window's commands do, and when they are enabled.
#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QStatusBar>
#include <QScopeGuard>
#include <QTimer>
#include <QToolBar>
#include <cerrno>
#include <cstring>

#include "app/MainFrame.h"
#include "catalog/CatalogOperations.h"
#include "catalog/CatalogPaths.h"
#include "platform/Folders.h"
#include "ui/AboutDialog.h"
#include "ui/BackgroundTask.h"
#include "ui/BrowserPane.h"
#include "ui/FilterBox.h"
#include "ui/MovieListModel.h"
#include "ui/MovieListView.h"
#include "ui/PageRenderer.h"
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
    on(ID_HELP_CONTENTS, [this] {
        // The help page stays until the next refresh: a page still being made never comes.
        renderer_->Stop();
        renderWait_.reset();
        statisticsShown_ = false;
        pane_->ShowHelp();
    });
    on(ID_VIEW_STATISTICS, &MainFrame::ShowStatistics);
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
        // The Filter puts back what stays selected of the selection; ShowFound says whether
        // the pane has to follow.
        if (applyingFilter_)
            return;
        selectionChanged_ = true;
        allRows_ = false;  // a new selection's page lists its first rows again
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
    connect(filterBox_, &QLineEdit::textChanged, this, [this] { filterTimer_.start(); });
    connect(pane_, &BrowserPane::FilterRequested, this, &MainFrame::OnFilterRequested);
    // Queued: the count is taken when the model has finished changing, the rows the Filter
    // hides included.
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved}) {
        connect(model_, signal, this, &MainFrame::UpdateFilterCount, Qt::QueuedConnection);
    }
    connect(model_, &QAbstractItemModel::modelReset, this, &MainFrame::UpdateFilterCount,
            Qt::QueuedConnection);
    connect(pane_, &BrowserPane::FormPosted, this, &MainFrame::OnFormPosted);
    connect(pane_, &BrowserPane::AllRowsRequested, this, &MainFrame::OnAllRowsRequested);
    connect(renderer_, &PageRenderer::Rendered, this, &MainFrame::OnPageRendered);
}

void MainFrame::UpdateCommandStates() {
    const int selected = list_->SelectedCount();
    // While a long command runs, nothing else may change the list or the catalog.
    const bool free = !operationRunning_;
    for (CommandId id : {ID_FILE_PRINT, ID_FILE_PRINT_PREVIEW, ID_FILE_PAGE_SETUP}) {
        actions_[id]->setEnabled(pane_->CanPrint());
    }
    actions_[ID_EXPORT_XML]->setEnabled(free && selected > 0);
    actions_[ID_EXPORT_HTML]->setEnabled(free && selected > 0);
    actions_[ID_EXPORT_CSV]->setEnabled(free && selected > 0);
    for (CommandId id : {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_PREFERENCES, ID_FILE_IMPORT, ID_MOVIE_NEW,
                         ID_MOVIE_EDITMODE, ID_SORT_TITLE, ID_SORT_YEAR, ID_SORT_RATING,
                         ID_SORT_INDEX, ID_VIEW_STATISTICS}) {
        actions_[id]->setEnabled(free);
    }
    UpdateHistoryCommands();
    const std::pair<CommandId, BrowserPane::EditCommand> edits[] = {
        {ID_EDIT_CUT, BrowserPane::EditCommand::Cut},
        {ID_EDIT_COPY, BrowserPane::EditCommand::Copy},
        {ID_EDIT_PASTE, BrowserPane::EditCommand::Paste}};
    for (const auto& [id, command] : edits) {
        actions_[id]->setEnabled(pane_->CanRunEditCommand(command));
    }
    actions_[ID_MOVIE_DELETE]->setEnabled(free && selected > 0);
    actions_[ID_MOVIE_UPDATE]->setEnabled(free && selected == 1);
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
            script->setEnabled(free && selected > 0);
    }
}

void MainFrame::RunOperation(BackgroundTask& task, const std::function<void()>& work,
                             std::function<void()> cancel) {
    operationRunning_ = true;
    cancelOperation_ = std::move(cancel);
    UpdateCommandStates();
    const auto done = qScopeGuard([this] {
        operationRunning_ = false;
        cancelOperation_ = nullptr;
        UpdateCommandStates();
        ArmIdle();
        // A close asked for meanwhile comes now.
        if (closeAfterOperation_) {
            closeAfterOperation_ = false;
            QTimer::singleShot(0, this, &QWidget::close);
        }
    });
    task.Run(work);
}

void MainFrame::OnSort(CommandId command) {
    if (operationRunning_)
        return;
    const SortKey key = command == ID_SORT_TITLE    ? kSortByTitle
                        : command == ID_SORT_YEAR   ? kSortByYear
                        : command == ID_SORT_RATING ? kSortByRating
                                                    : kSortByIndex;
    sortOrder_ = ChooseSortKey(sortOrder_, key);
    // A new catalog exists only as a path until something is stored in it.
    if (model_->rowCount() == 0)
        return;
    // The keys of a large catalog are read and sorted off the window's thread; only putting
    // the rows in their new order happens here.
    std::vector<ObjectId> order;
    try {
        BackgroundTask task(this, tr("Sorting the list..."));
        RunOperation(task, [&] { order = SortedMovieIds(catalogFile_, sortOrder_); }, {});
    } catch (const dbException& error) {
        ShowError(this, ScreenText(error.what()));
        return;
    }
    const bool updates = list_->updatesEnabled();
    list_->setUpdatesEnabled(false);
    model_->ApplyOrder(order);
    list_->setUpdatesEnabled(updates);
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
