// Export XML, HTML and CSV: the selection written to a file the user names.
#include <QMessageBox>

#include "app/MainFrame.h"
#include "interop/CsvExport.h"
#include "present/Export.h"
#include "ui/FileDialogs.h"
#include "ui/ListSelection.h"
#include "ui/Prompts.h"
#include "ui/ScreenText.h"
#include "ui/WaitCursor.h"

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
    if (!kind)
        return;
    const std::optional<QString> chosen = ChooseSaveFile(
        this, {tr(kind->filter), tr("All Files (*)")}, QString::fromLatin1(kind->suffix));
    if (!chosen)
        return;

    const std::string path = StoredText(*chosen);
    const ListSelection selection(*list_);
    ExportResult result;
    try {
        const WaitCursor wait;
        if (command == ID_EXPORT_XML) {
            result = ExportXml(selection, catalogFolder_, path);
        } else if (command == ID_EXPORT_CSV) {
            result = ExportCsv(selection, catalogFolder_, path);
        } else {
            result = ExportHtml({selection, catalogFolder_, Templates(), editMode_}, path);
        }
    } catch (const dbException& error) {
        ShowError(this, ScreenText(error.what()));
        return;
    }
    if (result.status == ExportResult::Status::Failed)
        ShowError(this, ScreenText(result.caption), ScreenText(result.detail));
}

}  // namespace reelkeep
