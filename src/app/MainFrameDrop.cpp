// Files and folders dropped on the window, and Update from a file: the list's side of the
// import core.
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QItemSelectionModel>
#include <QMimeData>
#include <QUrl>
#include <thread>

#include "app/MainFrame.h"
#include "import/MovieImport.h"
#include "maint/ProgramThread.h"
#include "ui/DropProgressDialog.h"
#include "ui/FileDialogs.h"
#include "ui/MovieListModel.h"
#include "ui/MovieListView.h"
#include "ui/Prompts.h"
#include "ui/ScreenText.h"
#include "ui/TitleDialog.h"
#include "ui/WaitCursor.h"

namespace reelkeep {

namespace {

QStringList LocalPaths(const QMimeData* data) {
    QStringList paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile())
            paths << url.toLocalFile();
    }
    return paths;
}

class ListImportHost : public ImportHost {
public:
    ListImportHost(QWidget* owner, MovieListModel& model, MovieListView& list)
        : owner_(owner), model_(model), list_(list) {}

    // Titles are compared as reelkeep-cli compares them, by the core's rule; the rows are
    // taken once per drop (the drop's own rows join as they are added), the ones the Filter
    // hides too.
    ObjectId FindRowByTitle(const std::string& title) override {
        if (!listed_) {
            std::vector<MovieListRow> rows;
            rows.reserve(static_cast<std::size_t>(model_.TotalCount()));
            model_.ForEachRow([&rows](ObjectId oid, const QString& title) {
                rows.push_back({oid, StoredText(title), false});
            });
            listed_.emplace(std::move(rows));
        }
        return listed_->Find(title);
    }

    std::optional<TitleAnswer> AskTitle(const std::string& derived,
                                        const std::vector<std::string>& titles) override {
        QStringList choices;
        choices.reserve(static_cast<qsizetype>(titles.size()));
        for (const std::string& title : titles) choices << ScreenText(title);
        // Over the drop's progress dialog once that shows.
        QWidget* owner = QApplication::activeModalWidget();
        TitleDialog dialog(owner ? owner : owner_, choices, ScreenText(derived));
        dialog.OfferUseForAll();
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return TitleAnswer{StoredText(dialog.Title()), dialog.UseForAll()};
    }

    void MovieAdded(const MovieListRow& row) override {
        if (listed_)
            listed_->Append(row);
        const int position = model_.AppendRow(row);
        // Added rows join the selection; the rows selected before stay selected.
        list_.selectionModel()->select(model_.index(position, 0), QItemSelectionModel::Select);
    }

private:
    QWidget* owner_;
    MovieListModel& model_;
    MovieListView& list_;
    std::optional<ListedTitles> listed_;
};

}  // namespace

void MainFrame::dragEnterEvent(QDragEnterEvent* event) {
    // A long command works on the catalog and the list: nothing joins them until it ends.
    if (!operationRunning_ && !LocalPaths(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void MainFrame::dropEvent(QDropEvent* event) {
    const QStringList paths = LocalPaths(event->mimeData());
    if (paths.isEmpty())
        return;
    event->acceptProposedAction();
    DropPaths(paths);
}

void MainFrame::DropPaths(const QStringList& paths) {
    if (operationRunning_)
        return;
    std::vector<std::string> stored;
    stored.reserve(static_cast<std::size_t>(paths.size()));
    for (const QString& path : paths) stored.push_back(StoredText(path));
    ListImportHost host(this, *model_, *list_);
    dropping_ = true;
    DropProgressDialog progress(this, host);
    const DropResult result =
        progress.Run([catalogFile = catalogFile_, &stored](ImportHost& worker) {
            return AddDroppedPaths(catalogFile, stored, worker);
        });
    dropping_ = false;
    if (!result.error.empty())
        ShowError(this, ScreenText(result.error));
    // An NFO that could not be read, a poster that is no picture: the user hears which and why.
    if (const std::string skipped = DescribeSkippedFiles(result); !skipped.empty())
        ShowInformation(this, ScreenText(skipped));
    ArmIdle();
}

void MainFrame::OnUpdateMovie() {
    const std::vector<int> rows = list_->SelectedRows();
    if (rows.empty())
        return;
    const std::optional<QString> chosen =
        ChooseOpenFile(this, {tr("Movie Files (*.avi *.mkv *.mp4 *.m4v *.mov *.webm *.ts *.m2ts "
                                 "*.mts *.mpg *.mpeg *.vob *.wmv *.asf *.flv *.ogv *.ogm *.3gp)"),
                              tr("All Files (*)")});
    if (!chosen)
        return;
    const int row = rows.front();
    // Reading the file's facts may take the media helper a while on a strange file: the work
    // runs beside the window, which keeps drawing but takes no input until it is done.
    std::string error;
    {
        const WaitCursor wait;
        QEventLoop loop;
        const auto busyTimeout = CatalogDatabase::ThreadBusyTimeout();
        std::thread work = StartProgramThread(
            [&, catalogFile = catalogFile_, oid = model_->Oid(row), path = StoredText(*chosen)] {
                CatalogDatabase::SetThreadBusyTimeout(busyTimeout);
                try {
                    UpdateMovieFromFile(catalogFile, oid, path);
                } catch (const dbException& failure) {
                    error = failure.what();
                }
                QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
            });
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        work.join();
    }
    if (!error.empty())
        ShowError(this, ScreenText(error));
    RefreshView(row);
}

}  // namespace reelkeep
