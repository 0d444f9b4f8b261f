// The movie list's side of the window: loading, sorting, search, adding, deleting, opening
// a movie's file and the context menu.
#include <QDesktopServices>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QUrl>
#include <algorithm>
#include <atomic>
#include <utility>

#include "app/MainFrame.h"
#include "catalog/CatalogOperations.h"
#include "ui/BackgroundTask.h"
#include "ui/BrowserPane.h"
#include "ui/MovieListModel.h"
#include "ui/MovieListView.h"
#include "ui/Prompts.h"
#include "ui/ScreenText.h"
#include "ui/TitleDialog.h"
#include "ui/WaitCursor.h"

namespace reelkeep {

namespace {

void ShowDatabaseError(QWidget* parent, const dbException& error) {
    ShowError(parent, ScreenText(error.what()));
}

// Keeps the list from repainting while it changes in bulk.
class RedrawLock {
public:
    RedrawLock(QWidget* widget, bool lock) : widget_(lock ? widget : nullptr) {
        if (widget_)
            widget_->setUpdatesEnabled(false);
    }
    ~RedrawLock() {
        if (widget_)
            widget_->setUpdatesEnabled(true);
    }
    RedrawLock(const RedrawLock&) = delete;
    RedrawLock& operator=(const RedrawLock&) = delete;

private:
    QWidget* widget_;
};

}  // namespace

void MainFrame::LoadList() {
    PrepareFilter();
    {
        RedrawLock lock(list_, true);
        model_->Clear();
        try {
            model_->SetRows(LoadMovieList(catalogFile_));
        } catch (const dbException& error) {
            ShowDatabaseError(this, error);
            return;
        }
        SortList(false);
    }
    ApplyFilter();
}

void MainFrame::SortList(bool lockRedraw) {
    // A new catalog exists only as a path until something is stored in it.
    if (model_->rowCount() == 0)
        return;
    try {
        const WaitCursor wait;
        RedrawLock lock(list_, lockRedraw);
        model_->ApplyOrder(SortedMovieIds(catalogFile_, sortOrder_));
    } catch (const dbException& error) {
        ShowDatabaseError(this, error);
    }
}

void MainFrame::OnSearchChanged(const QString& text) {
    RedrawLock lock(list_, true);
    list_->SelectOnly(model_->FindPrefix(text));
}

void MainFrame::OnNewMovie() {
    QString typed;
    MovieListRow row;
    for (;;) {
        TitleDialog dialog(this);
        dialog.SetTitle(typed);
        if (dialog.exec() != QDialog::Accepted)
            return;
        typed = dialog.Title();
        try {
            row = AddMovieByTitle(catalogFile_, StoredText(typed));
            break;
        } catch (const dbException& error) {
            // The title is offered again, so that a busy catalog costs no retyping.
            ShowDatabaseError(this, error);
        }
    }
    const int position = model_->AppendRow(row);
    editMode_ = true;
    list_->SelectAndFocus(position);
}

void MainFrame::OnDeleteMovies() {
    if (operationRunning_)
        return;
    std::vector<int> rows = list_->SelectedRows();
    if (rows.empty())
        return;
    if (!AskYesNo(this, tr("Delete %1 records?").arg(rows.size())))
        return;

    // From the last row to the first, as the rows are visited.
    std::reverse(rows.begin(), rows.end());
    std::vector<ObjectId> oids;
    oids.reserve(rows.size());
    for (const int row : rows) oids.push_back(model_->Oid(row));
    // The records go on a thread of their own; Cancel stops after the record in hand, and
    // what was removed until then stays removed.
    std::vector<ObjectId> removed;
    removed.reserve(oids.size());
    std::atomic<std::size_t> done{0};
    std::atomic<bool> stop{false};
    bool failed = false;
    try {
        BackgroundTask task(this, tr("Deleting %1 records...").arg(oids.size()));
        task.SetProgress([&] { return std::pair(done.load(), oids.size()); });
        const auto cancel = [&] { stop = true; };
        task.SetCancel(cancel);
        RunOperation(
            task,
            [&] {
                DeleteMovies(
                    catalogFile_, oids,
                    [&](std::size_t i) {
                        removed.push_back(oids[i]);
                        done = i + 1;
                    },
                    &stop);
            },
            cancel);
    } catch (const dbException& error) {
        ShowDatabaseError(this, error);
        failed = true;
    }
    {
        // The rows of the records that are gone, wherever the list holds them now.
        RedrawLock lock(list_, true);
        model_->RemoveMovies(removed);
    }
    // Whatever was committed before an error, the rows follow the catalog.
    if (failed)
        LoadList();
    ClearPane();
}

void MainFrame::OnOpenMovieFile() {
    const std::vector<int> rows = list_->SelectedRows();
    if (rows.size() != 1)
        return;
    std::string location;
    try {
        location = MovieLocation(catalogFile_, model_->Oid(rows.front()));
    } catch (const dbException& error) {
        ShowDatabaseError(this, error);
        return;
    }
    const QString path = ScreenText(location);
    if (path.isEmpty() || !QFileInfo::exists(path))
        return;
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

std::unique_ptr<QMenu> MainFrame::BuildListContextMenu() {
    UpdateCommandStates();
    auto menu = std::make_unique<QMenu>(this);
    menu->setObjectName(QStringLiteral("listContextMenu"));
    const int selected = list_->SelectedCount();
    if (selected > 0) {
        QMenu* scripts = menu->addMenu(tr("&Scripts"));
        FillScriptsMenu(scripts);
        // A long command works on the catalog: no script runs beside it.
        scripts->menuAction()->setEnabled(!operationRunning_);
        // After a run in this session the entry is the menu's default (drawn bold), as the
        // last script is the submenu's.
        if (lastScript_ != 0)
            menu->setDefaultAction(scripts->menuAction());
        menu->addSeparator();
        if (selected == 1) {
            menu->addAction(actions_[ID_MOVIE_UPDATE]);
            menu->addSeparator();
        }
    }
    for (CommandId id : {ID_SORT_TITLE, ID_SORT_YEAR, ID_SORT_RATING, ID_SORT_INDEX}) {
        menu->addAction(actions_[id]);
    }
    return menu;
}

void MainFrame::OnListContextMenu(const QPoint& position) {
    std::unique_ptr<QMenu> menu = BuildListContextMenu();
    menu->exec(list_->viewport()->mapToGlobal(position));
}

}  // namespace reelkeep
