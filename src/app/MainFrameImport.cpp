// File > Import: the chosen files read, a preview that asks what becomes of the movies the
// catalog has already, then one transaction behind a progress bar whose Cancel stores nothing.
#include <QItemSelectionModel>

#include "app/MainFrame.h"
#include "interop/CatalogImport.h"
#include "interop/ImportFile.h"
#include "ui/FileDialogs.h"
#include "ui/ImportDialogs.h"
#include "ui/MovieListModel.h"
#include "ui/MovieListView.h"
#include "ui/Prompts.h"
#include "ui/ScreenText.h"
#include "ui/WaitCursor.h"

namespace reelkeep {

void MainFrame::OnImport() {
    // Not under a delete, export or sort that is still working on the catalog.
    if (operationRunning_)
        return;
    if (catalogFile_.empty()) {
        ShowError(this, tr("No catalog folder has been chosen."));
        return;
    }
    const QStringList chosen = ChooseOpenFiles(
        this, {tr("Lists and catalogs (*.csv *.xml *.zip *.tc *.gcs)"), tr("All Files (*)")});
    if (chosen.isEmpty())
        return;
    std::vector<std::string> paths;
    for (const QString& path : chosen) paths.push_back(StoredText(path));

    ImportBatch batch;
    ImportPreview preview;
    try {
        const WaitCursor wait;
        batch = ReadImportFiles(paths);
        preview = PreviewImport(catalogFile_, batch);
    } catch (const ImportFileError& error) {
        ShowError(this, ScreenText(error.message + "\nNothing was imported."));
        return;
    } catch (const dbException& error) {
        ShowError(this, ScreenText(error.what()));
        return;
    }

    ImportPreviewDialog question(this, ScreenText(DescribePreview(batch, preview)),
                                 preview.existingCount);
    question.exec();
    const std::optional<ExistingMovies> answer = question.Answer();
    if (!answer)
        return;

    ImportProgressDialog progress(this, catalogFolder_, batch, *answer);
    progress.exec();
    const ImportSummary& summary = progress.Summary();
    if (summary.Stored()) {
        LoadList();
        list_->selectionModel()->clearSelection();
        for (const ObjectId oid : summary.addedIds) {
            const int row = model_->RowOf(oid);
            if (row >= 0)
                list_->selectionModel()->select(model_->index(row, 0), QItemSelectionModel::Select);
        }
        selectionChanged_ = true;
        ArmIdle();
    }
    if (!summary.error.empty())
        ShowError(this, ScreenText(DescribeSummary(batch, summary)));
    else
        ShowInformation(this, ScreenText(DescribeSummary(batch, summary)));
}

}  // namespace reelkeep
