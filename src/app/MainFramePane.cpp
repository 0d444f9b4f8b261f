// The browser pane's side of the window: rendering the selection through the templates (on a
// thread of its own) and writing the edit page's submissions back.
#include <QItemSelectionModel>
#include <QMessageBox>

#include "app/MainFrame.h"
#include "present/EditForm.h"
#include "ui/BrowserPane.h"
#include "ui/MovieListModel.h"
#include "ui/MovieListView.h"
#include "ui/PageRenderer.h"
#include "ui/Prompts.h"
#include "ui/ScreenText.h"

namespace reelkeep {

void MainFrame::RefreshView(int row) {
    ++refreshCount_;
    statisticsShown_ = false;
    PageRequest request;
    request.catalogFolder = catalogFolder_;
    request.templates = Templates();
    request.editMode = editMode_;
    request.rowLimit = allRows_ ? 0 : kFirstRows;
    int shownRow = row;
    if (row >= 0) {
        if (row < model_->rowCount())
            request.movies.push_back(model_->Oid(row));
    } else {
        const std::vector<int> rows = list_->SelectedRows();
        request.movies.reserve(rows.size());
        for (const int selected : rows) request.movies.push_back(model_->Oid(selected));
        if (rows.size() == 1)
            shownRow = rows.front();
    }
    // Nothing selected: an empty page, and the catalog is not even opened.
    if (request.movies.empty()) {
        ClearPane();
        return;
    }
    renderedMovie_ = PageMovie(shownRow);
    // A selection of thousands takes a while to read and render; the window answers meanwhile.
    if (!renderWait_)
        renderWait_.emplace();
    renderer_->Start(std::move(request));
}

bool MainFrame::RenderPending() const {
    return renderer_->Busy() || pane_->PageWaiting();
}

void MainFrame::OnPageRendered(const RenderOutcome& outcome) {
    renderWait_.reset();
    if (!outcome.databaseError.empty()) {
        ClearPane();
        ShowError(this, ScreenText(outcome.databaseError));
        return;
    }
    const RenderedPage& page = outcome.page;
    if (page.status == RenderedPage::Status::Failed) {
        ClearPane();
        ShowError(this, ScreenText(page.caption), ScreenText(page.detail));
        return;
    }
    // A missing or malformed template, or a catalog that does not open, leaves the pane empty.
    if (!page.HasPage()) {
        ClearPane();
        return;
    }
    // From now on the page on show is this one: a form posted from it writes its movie.
    pageMovie_ = renderedMovie_;
    pane_->ShowPage(QByteArray::fromStdString(page.bytes), QString::fromStdString(page.mediaType),
                    QString::fromStdString(page.encoding));
}

void MainFrame::ClearPane() {
    renderer_->Stop();
    renderWait_.reset();
    pageMovie_ = 0;
    pane_->ClearView();
}

void MainFrame::OnAllRowsRequested() {
    allRows_ = true;
    RefreshView(-1);
}

ObjectId MainFrame::PageMovie(int renderedRow) const {
    if (renderedRow >= 0)
        return renderedRow < model_->rowCount() ? model_->Oid(renderedRow) : 0;
    // A page of several movies stands for the focused one, as long as it is among them.
    const int focused = list_->FocusedRow();
    return focused >= 0 && list_->selectionModel()->isRowSelected(focused) ? model_->Oid(focused)
                                                                           : 0;
}

void MainFrame::OnFormPosted(const QByteArray& body) {
    // The movie whose page was on show, not the focused row: the Search box and Ctrl+click
    // change the selection, and with it the page, without moving the focus.
    const ObjectId oid = pageMovie_;
    const EditFormResult result = ApplyEditForm(body.toStdString(), oid, catalogFile_);
    if (!result.submitted)
        return;
    if (result.keepEditing) {
        // The navigation was cancelled: the page still holds what the user typed.
        ShowError(this, ScreenText(result.error));
        return;
    }
    int row = oid != 0 ? model_->RowOf(oid) : -1;
    if (result.stored && row >= 0)
        model_->UpdateRow(row, {oid, result.title, result.watched});
    if (result.gone && row >= 0) {
        // Its row would only lead to the same message again.
        model_->RemoveRows({row});
        row = -1;
    }
    if (!result.error.empty())
        ShowError(this, ScreenText(result.error));
    editMode_ = false;
    RefreshView(row);
    ArmIdle();
}

}  // namespace reelkeep
