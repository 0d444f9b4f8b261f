// Export XML, HTML and CSV: the selection written to a file the user names.
#include <QMessageBox>
#include <utility>

#include "app/MainFrame.h"
#include "interop/CsvExport.h"
#include "present/Export.h"
#include "present/RenderControl.h"
#include "ui/BackgroundTask.h"
#include "ui/FileDialogs.h"
#include "ui/MovieListModel.h"
#include "ui/MovieListView.h"
#include "ui/Prompts.h"
#include "ui/ScreenText.h"

namespace reelkeep {

namespace {

struct ExportKind {
    CommandId command;
    const char* suffix;
    const char* filter;
};

constexpr ExportKind kExportKinds[] = {
    {ID_EXPORT_XML, "xml", "XML Files (*.xml)"},
    {ID_EXPORT_HTML, "html", "HTML Files (*.html *.htm)"},
    {ID_EXPORT_CSV, "csv", "CSV Files (*.csv)"},
};

}  // namespace

void MainFrame::OnExport(CommandId command) {
    const ExportKind* kind = nullptr;
    for (const ExportKind& candidate : kExportKinds) {
        if (candidate.command == command)
            kind = &candidate;
    }
    if (!kind || operationRunning_)
        return;
    const std::optional<QString> chosen = ChooseSaveFile(
        this, {tr(kind->filter), tr("All Files (*)")}, QString::fromLatin1(kind->suffix));
    if (!chosen)
        return;

    const std::string path = StoredText(*chosen);
    // The movies selected now, in list order: the export runs on a thread of its own while
    // the window answers, and the list may change meanwhile.
    std::vector<ObjectId> movies;
    for (const int row : list_->SelectedRows()) movies.push_back(model_->Oid(row));
    const FixedMovieSelection selection(std::move(movies));
    const PresentationSource source{selection, catalogFolder_, Templates(), editMode_};
    RenderControl control;
    ExportResult result;
    try {
        BackgroundTask task(this, tr("Exporting %1 movies...").arg(selection.SelectedRows().size()));
        task.SetProgress([&] { return std::pair(control.Done(), control.Total()); });
        const auto cancel = [&] { control.Stop(); };
        task.SetCancel(cancel);
        RunOperation(
            task,
            [&] {
                if (command == ID_EXPORT_XML) {
                    result = ExportXml(selection, catalogFolder_, path, &control);
                } else if (command == ID_EXPORT_CSV) {
                    result = ExportCsv(selection, catalogFolder_, path);
                } else {
                    result = ExportHtml(source, path, &control);
                }
            },
            cancel);
    } catch (const dbException& error) {
        ShowError(this, ScreenText(error.what()));
        return;
    }
    if (result.status == ExportResult::Status::Failed)
        ShowError(this, ScreenText(result.caption), ScreenText(result.detail));
}

}  // namespace reelkeep
