// File > New and File > Open: which folder's catalog the window works on.
#include <QFileInfo>
#include <QStatusBar>

#include "app/MainFrame.h"
#include "catalog/CatalogAside.h"
#include "catalog/CatalogOperations.h"
#include "catalog/CatalogPaths.h"
#include "platform/Folders.h"
#include "ui/BrowserPane.h"
#include "ui/MovieListModel.h"
#include "ui/MovieListView.h"
#include "ui/Prompts.h"
#include "ui/ScreenText.h"

namespace reelkeep {

namespace {

constexpr int kNoteMilliseconds = 15000;

std::optional<std::string> ChooseCatalogFolder(QWidget* parent, const std::string& current) {
    const std::optional<QString> chosen =
        ChooseFolder(parent, QObject::tr("Select database folder"), ScreenText(current));
    if (!chosen)
        return std::nullopt;
    return WithTrailingSlash(StoredText(*chosen));
}

}  // namespace

void MainFrame::OnNewCatalog() {
    const std::optional<std::string> folder = ChooseCatalogFolder(this, catalogFolder_);
    if (!folder)
        return;
    const std::string file = CatalogFilePath(*folder);
    if (QFileInfo::exists(ScreenText(file))) {
        if (!AskYesNo(this, tr("Database already exists.\nDo you want to remove it?")))
            return;
        // The old catalog is kept beside the new one; nothing the user had is lost.
        std::string aside;
        try {
            aside = SetCatalogAside(file);
        } catch (const dbException& error) {
            ShowError(this, ScreenText(error.what()));
            return;
        }
        statusBar()->showMessage(
            tr("The old catalog was kept as \"%1\".").arg(ScreenText(aside)), kNoteMilliseconds);
    }
    UseCatalog(*folder, {});
}

void MainFrame::OnOpenCatalog() {
    const std::optional<std::string> folder = ChooseCatalogFolder(this, catalogFolder_);
    if (!folder)
        return;
    const std::string file = CatalogFilePath(*folder);
    if (!QFileInfo::exists(ScreenText(file))) {
        ShowError(this, tr("The folder \"%1\" holds no catalog (no \"%2\").\n"
                           "Choose File > New to start a catalog there.")
                            .arg(ScreenText(*folder), QString::fromLatin1(kCatalogFileName)));
        return;
    }
    std::vector<MovieListRow> rows;
    try {
        rows = LoadMovieList(file);
    } catch (const dbException& error) {
        // The window stays on the catalog it had.
        ShowError(this, ScreenText(error.what()));
        return;
    }
    UseCatalog(*folder, rows);
}

void MainFrame::UseCatalog(const std::string& folder, const std::vector<MovieListRow>& rows) {
    catalogFolder_ = folder;
    catalogFile_ = CatalogFilePath(folder);
    list_->setUpdatesEnabled(false);
    model_->SetRows(rows);
    list_->setUpdatesEnabled(true);
    SortList(true);
    ClearPane();
    PrepareFilter();
    ApplyFilter();
}

}  // namespace reelkeep
