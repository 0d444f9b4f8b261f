// The main window: menus, toolbar, search bar, status bar, and a splitter with the movie list
// on the left and the browser pane on the right. It owns the program's state (catalog paths,
// sort order, edit mode, the selection-changed flag) and refreshes command states when idle.
#pragma once

#include <QMainWindow>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/Commands.h"
#include "catalog/CatalogDatabase.h"
#include "catalog/CatalogHistory.h"
#include "catalog/MovieOrder.h"
#include "maint/Settings.h"
#include "present/TemplateTransform.h"
#include "ui/WaitCursor.h"

class QLabel;
class QLineEdit;
class QMenu;
class QSplitter;
class QToolBar;

namespace reelkeep {

struct FrameUpdate;
struct RenderOutcome;
class BackgroundTask;
class BrowserPane;
class FilterBox;
class PageRenderer;
class MovieListModel;
class MovieListView;

class MainFrame : public QMainWindow {
    Q_OBJECT

public:
    explicit MainFrame(QWidget* parent = nullptr);
    ~MainFrame() override;

    QAction* Action(CommandId id) const { return actions_.value(id); }
    MovieListView* List() const { return list_; }
    MovieListModel* Model() const { return model_; }
    BrowserPane* Pane() const { return pane_; }
    QLineEdit* SearchBox() const { return searchBox_; }
    FilterBox* Filter() const { return filterBox_; }
    // "N of M movies" in the status bar, shown while the Filter narrows the list.
    QLabel* FilterCount() const { return filterCount_; }
    // The pane shows the statistics page (View > Statistics); it follows the Filter.
    bool StatisticsShown() const { return statisticsShown_; }
    QToolBar* MainToolBar() const { return toolBar_; }
    QSplitter* Splitter() const { return splitter_; }

    const std::string& CatalogFolder() const { return catalogFolder_; }
    const std::string& CatalogFile() const { return catalogFile_; }
    const Settings& CurrentSettings() const { return settings_; }
    TemplatePaths Templates() const { return {settings_.view, settings_.edit, settings_.multiple}; }
    SortOrder CurrentSortOrder() const { return sortOrder_; }
    bool EditMode() const { return editMode_; }
    // How many times the pane was rebuilt; selection changes coalesce into one per idle time.
    int RefreshCount() const { return refreshCount_; }
    // A page asked for by RefreshView is still being made; the pane shows it when it comes.
    bool RenderPending() const;
    // A long command (delete, export, sort) is running; the commands that change the list or
    // the catalog are grayed until it ends.
    bool OperationRunning() const { return operationRunning_; }

    // How many movies the page of several lists at first; its link lists them all.
    static constexpr std::size_t kFirstRows = 1000;

    // Rebuilds the pane for one row, or for the list's selection with -1. The page is made on
    // a thread of its own and shown when it is done; a later refresh replaces an unfinished one.
    void RefreshView(int row);
    void LoadList();
    void SortList(bool lockRedraw);
    void UpdateCommandStates();
    // Adds dropped files and folders as a drop on the window does.
    void DropPaths(const QStringList& paths);
    // The list's context menu for the current selection (the caller owns it).
    std::unique_ptr<QMenu> BuildListContextMenu();

    // Scripts, preferences and the update (MainFrameScripts.cpp, MainFramePreferences.cpp,
    // MainFrameUpdate.cpp). The settings file fills FrameSettings() when the frame starts.
    Settings& FrameSettings() { return settings_; }
    const std::string& ScriptsFolder() const { return scriptsFolder_; }
    // Lists the scripts of this folder in the Scripts menu, as at start.
    void UseScriptsFolder(const std::string& folder);
    QMenu* ScriptsMenu() const { return scriptsMenu_; }
    // Runs the script over the selected movies; returns when the run is over.
    void RunScript(std::uint32_t command, const std::string& name);
    std::uint32_t LastScript() const { return lastScript_; }
    void OnPreferences();
    // Starts the update check on its own thread when AutoUpdate is on and none runs.
    void StartUpdateCheck();
    bool UpdateRunning() const;

signals:
    // The window was closed by the user and is about to go away.
    void Closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateMenus();
    void CreateToolBar();
    void CreateSearchBar();
    void CreateStatusBar();
    void CreatePanes();
    void ConnectCommands();
    void FillScriptsMenu(QMenu* menu);
    void InitScripts();
    void ArmIdle();
    void OnIdle();

    // File > New and File > Open (MainFrameCatalog.cpp).
    void OnNewCatalog();
    void OnOpenCatalog();
    // Makes the folder's catalog the window's, showing these rows.
    void UseCatalog(const std::string& folder, const std::vector<MovieListRow>& rows);

    // Command handlers (MainFrameCommands.cpp).
    void OnNewMovie();
    void OnDeleteMovies();
    void OnSort(CommandId command);
    void OnSelectAll();
    void OnToggleEditMode();
    void OnToggleToolBar();
    void OnToggleStatusBar();
    void OnAbout();
    void OnSearchChanged(const QString& text);

    // The Filter (MainFrameFilter.cpp).
    // Narrows the list to what the Filter box's query finds, or shows every row for an empty
    // box; a query that cannot be read is said under the box and changes nothing.
    void ApplyFilter();
    // Shows only these rows (every row for nullptr), keeping selected what stays shown.
    void ShowFound(const std::vector<ObjectId>* found);
    void UpdateFilterCount();
    void ShowStatistics();
    void OnFilterRequested(const QString& query);
    // Builds the word index of a catalog of the former layout, with progress for a large one.
    void PrepareFilter();
    void OnOpenMovieFile();
    void OnListContextMenu(const QPoint& position);
    // The update's side of a close: true while a check runs and the close is held back.
    bool HoldCloseForUpdate();
    void OnUpdateDone();
    void StopUpdateCheck();

    // Export XML / HTML / CSV (MainFrameExport.cpp).
    void OnExport(CommandId command);
    // File > Import (MainFrameImport.cpp).
    void OnImport();
    // Dropped files and Update from a file (MainFrameDrop.cpp).
    void OnUpdateMovie();

    // Edit > Undo and Redo on the catalog's history (MainFrameHistory.cpp).
    bool HistoryCommandsActive() const;
    void UpdateHistoryCommands();
    void OnUndo();
    void OnRedo();
    void MoveInHistory(bool undo);
    void ShowHistoryMove(const HistoryMove& move);

    // The pane's side (MainFramePane.cpp).
    void OnFormPosted(const QByteArray& body);
    // The movie a page rendered for this row stands for (-1: the page of several movies).
    ObjectId PageMovie(int renderedRow) const;
    void OnPageRendered(const RenderOutcome& outcome);
    // The page of several movies asked for every row.
    void OnAllRowsRequested();
    // Empties the pane; a page still being made never shows.
    void ClearPane();

    // Runs a long command's work through the task with the commands that change the list or
    // the catalog grayed; `cancel` (may be empty) is what a close of the window asks of it.
    void RunOperation(BackgroundTask& task, const std::function<void()>& work,
                      std::function<void()> cancel);

    CommandActions actions_;
    QToolBar* toolBar_ = nullptr;
    QToolBar* searchBar_ = nullptr;
    QLineEdit* searchBox_ = nullptr;
    FilterBox* filterBox_ = nullptr;
    QLabel* filterCount_ = nullptr;
    QTimer filterTimer_;
    // The query the list shows now ("" for every row); what the statistics page sums up.
    std::string appliedFilter_;
    bool applyingFilter_ = false;
    bool statisticsShown_ = false;
    QMenu* scriptsMenu_ = nullptr;
    QSplitter* splitter_ = nullptr;
    MovieListModel* model_ = nullptr;
    MovieListView* list_ = nullptr;
    BrowserPane* pane_ = nullptr;

    Settings settings_;
    std::string catalogFolder_;
    std::string catalogFile_;
    SortOrder sortOrder_ = kInitialSortOrder;
    bool editMode_ = false;
    bool selectionChanged_ = false;
    // The movie of the page on show, which a form posted from that page writes into; 0 when
    // the page stands for none.
    ObjectId pageMovie_ = 0;
    // A drop holds the catalog's write transaction while its title dialog waits; the pane
    // catches up when it ends.
    bool dropping_ = false;
    int refreshCount_ = 0;
    // What Edit > Undo and Redo offered when they were last brought up to date.
    PendingSteps pendingSteps_;
    QTimer idleTimer_;
    PageRenderer* renderer_ = nullptr;
    // Shown while the page of the current selection is being made.
    std::optional<WaitCursor> renderWait_;
    // The movie the page being made stands for; it becomes pageMovie_ when the page shows.
    ObjectId renderedMovie_ = 0;
    // The page of several movies lists every row, until the selection changes.
    bool allRows_ = false;
    bool operationRunning_ = false;
    std::function<void()> cancelOperation_;
    bool closeAfterOperation_ = false;

    std::string scriptsFolder_;
    std::uint32_t lastScript_ = 0;
    std::unique_ptr<FrameUpdate> update_;
};

}  // namespace reelkeep
