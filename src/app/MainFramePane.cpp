// The browser pane's side of the window: rendering the selection through the templates and
// writing the edit page's submissions back.
#include <QItemSelectionModel>
#include <QMessageBox>

#include "app/MainFrame.h"
#include "present/EditForm.h"
#include "ui/BrowserPane.h"
#include "ui/ListSelection.h"
#include "ui/MovieListModel.h"
#include "ui/MovieListView.h"
#include "ui/Prompts.h"
#include "ui/ScreenText.h"
#include "ui/WaitCursor.h"

namespace reelkeep {

void MainFrame::RefreshView(int row) {
    ++refreshCount_;
    pageMovie_ = 0;
    const ListSelection selection(*list_);
    const PresentationSource source{selection, catalogFolder_, Templates(), editMode_};
    int chosen = row;
    RenderedPage page;
    try {
        // A selection of thousands takes a while to build and render.
        const WaitCursor wait;
        page = TransformSelection(source, chosen, true);
    } catch (const dbException& error) {
        pane_->ClearView();
        ShowError(this, ScreenText(error.what()));
        return;
    }
    if (page.status == RenderedPage::Status::Failed) {
        pane_->ClearView();
        ShowError(this, ScreenText(page.caption), ScreenText(page.detail));
        return;
    }
    // A missing or malformed template, or nothing selected, leaves the pane empty.
    if (!page.HasPage()) {
        pane_->ClearView();
        return;
    }
    pageMovie_ = PageMovie(chosen);
    pane_->ShowPage(QByteArray::fromStdString(page.bytes), QString::fromStdString(page.mediaType),
                    QString::fromStdString(page.encoding));
}

ObjectId MainFrame::PageMovie(int renderedRow) const {
    if (renderedRow >= 0)
        return model_->Oid(renderedRow);
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
