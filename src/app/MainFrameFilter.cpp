// The Filter's side of the window: narrowing the list to what a query finds, the count in the
// status bar, and the statistics page, whose bars and names set the Filter.
#include <QItemSelection>
#include <QLabel>
#include <algorithm>
#include <atomic>

#include "app/MainFrame.h"
#include "catalog/CatalogOperations.h"
#include "catalog/FindQuery.h"
#include "platform/Folders.h"
#include "present/StatisticsPage.h"
#include "ui/BackgroundTask.h"
#include "ui/BrowserPane.h"
#include "ui/FilterBox.h"
#include "ui/MovieListModel.h"
#include "ui/MovieListView.h"
#include "ui/PageRenderer.h"
#include "ui/Prompts.h"
#include "ui/ScreenText.h"
#include "ui/WaitCursor.h"

namespace reelkeep {

void MainFrame::PrepareFilter() {
    try {
        if (catalogFile_.empty() || !CatalogNeedsWordIndex(catalogFile_))
            return;
        std::atomic<std::size_t> done{0}, total{0};
        BackgroundTask task(this, tr("Building the catalog's word index for the Filter..."));
        task.SetProgress([&] { return std::pair(done.load(), total.load()); });
        task.Run([&] {
            PrepareWordIndex(catalogFile_, [&](std::size_t movies, std::size_t of) {
                done = movies;
                total = of;
            });
        });
    } catch (const dbException&) {
        // A catalog another program holds gets its index at the next change; until then the
        // Filter says why it cannot look.
    }
}

void MainFrame::ApplyFilter() {
    filterTimer_.stop();
    const std::string text = StoredText(filterBox_->text());
    if (text.find_first_not_of(" \t") == std::string::npos) {
        filterBox_->ShowProblem({});
        appliedFilter_.clear();
        ShowFound(nullptr);
        return;
    }
    const FindQueryParse parse = ParseFindQuery(text);
    if (!parse.Ok()) {
        filterBox_->ShowProblem(ScreenText(parse.error));
        return;
    }
    std::vector<ObjectId> found;
    try {
        found = FindMovies(catalogFile_, parse.query);
    } catch (const dbException& error) {
        filterBox_->ShowProblem(ScreenText(error.what()));
        return;
    }
    filterBox_->ShowProblem({});
    appliedFilter_ = text;
    ShowFound(&found);
}

void MainFrame::ShowFound(const std::vector<ObjectId>* found) {
    if (!found && !model_->Filtered()) {
        UpdateFilterCount();
        if (statisticsShown_) ShowStatistics();
        return;
    }
    // What is selected and focused now, to be put back where it stays shown.
    std::vector<ObjectId> selected;
    for (const int row : list_->SelectedRows()) selected.push_back(model_->Oid(row));
    std::sort(selected.begin(), selected.end());
    const int focusedRow = list_->FocusedRow();
    const ObjectId focused = focusedRow >= 0 ? model_->Oid(focusedRow) : 0;

    applyingFilter_ = true;
    list_->setUpdatesEnabled(false);
    if (found) {
        model_->ShowOnly(*found);
    } else {
        model_->ShowAll();
    }
    QItemSelection selection;
    std::size_t kept = 0;
    int first = -1;
    for (int row = 0; row < model_->rowCount(); ++row) {
        if (!std::binary_search(selected.begin(), selected.end(), model_->Oid(row))) {
            if (first >= 0) selection.select(model_->index(first, 0), model_->index(row - 1, 0));
            first = -1;
            continue;
        }
        ++kept;
        if (first < 0) first = row;
    }
    if (first >= 0) selection.select(model_->index(first, 0), model_->index(model_->rowCount() - 1, 0));
    if (focused != 0) {
        const int row = model_->RowOf(focused);
        if (row >= 0) list_->selectionModel()->setCurrentIndex(model_->index(row, 0), QItemSelectionModel::NoUpdate);
    }
    list_->selectionModel()->select(selection, QItemSelectionModel::Select);
    list_->setUpdatesEnabled(true);
    applyingFilter_ = false;
    if (const QModelIndex current = list_->selectionModel()->currentIndex(); current.isValid()) {
        list_->scrollTo(current);
    }
    UpdateFilterCount();

    if (statisticsShown_) {
        ShowStatistics();
    } else if (kept != selected.size()) {
        // Some of the selection went out of sight: the pane shows what is still selected.
        selectionChanged_ = true;
        allRows_ = false;
    }
    ArmIdle();
}

void MainFrame::UpdateFilterCount() {
    if (!model_->Filtered()) {
        filterCount_->hide();
        return;
    }
    const QLocale locale;
    filterCount_->setText(tr("%1 of %2 movies")
                              .arg(locale.toString(model_->rowCount()), locale.toString(model_->TotalCount())));
    filterCount_->show();
}

void MainFrame::ShowStatistics() {
    if (catalogFile_.empty()) return;
    PageRequest request;
    request.catalogFolder = catalogFolder_;
    request.statistics = PageRequest::Statistics{appliedFilter_, StatisticsTemplatePath(ProgramFolder())};
    ++refreshCount_;
    selectionChanged_ = false;
    statisticsShown_ = true;
    renderedMovie_ = 0;
    if (!renderWait_) renderWait_.emplace();
    renderer_->Start(std::move(request));
}

void MainFrame::OnFilterRequested(const QString& query) {
    // The box says what the list shows; the statistics page follows it.
    filterBox_->setText(query);
    ApplyFilter();
}

}  // namespace reelkeep
