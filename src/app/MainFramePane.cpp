// The browser pane's side of the window: rendering the selection through the templates and
// writing the edit page's submissions back.
#include <QMessageBox>

#include "app/MainFrame.h"
#include "present/EditForm.h"
#include "ui/BrowserPane.h"
#include "ui/ListSelection.h"
#include "ui/MovieListModel.h"
#include "ui/MovieListView.h"
#include "ui/Prompts.h"
#include "ui/ScreenText.h"

namespace reelkeep {

void MainFrame::RefreshView(int row) {
    ++refreshCount_;
    const ListSelection selection(*list_);
    const PresentationSource source{selection, catalogFolder_, Templates(), editMode_};
    int chosen = row;
    RenderedPage page;
    try {
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
    pane_->ShowPage(QByteArray::fromStdString(page.bytes), QString::fromStdString(page.mediaType),
                    QString::fromStdString(page.encoding));
}

void MainFrame::OnFormPosted(const QByteArray& body) {
    const int focused = list_->FocusedRow();
    const ObjectId oid = focused >= 0 ? model_->Oid(focused) : 0;
    const EditFormResult result = ApplyEditForm(body.toStdString(), oid, catalogFile_);
    if (!result.submitted)
        return;
    if (result.stored)
        model_->UpdateRow(focused, {oid, result.title, result.watched});
    if (!result.error.empty())
        ShowError(this, ScreenText(result.error));
    editMode_ = false;
    RefreshView(focused);
    ArmIdle();
}

}  // namespace reelkeep
