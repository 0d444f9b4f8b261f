#include "app/MainFrame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>

#include "app/FrameUpdate.h"
#include "catalog/CatalogPaths.h"
#include "platform/Folders.h"
#include "ui/BrowserPane.h"
#include "ui/FilterBox.h"
#include "ui/MovieListModel.h"
#include "ui/MovieListView.h"
#include "ui/PageRenderer.h"

namespace reelkeep {

namespace {

constexpr QSize kStartSize(960, 640);
// How long the window waits for a catalog that another program is writing before it says the
// catalog is in use: long enough for a short write to end, short enough not to seem stuck.
constexpr std::chrono::milliseconds kWindowBusyWait{300};

}  // namespace

MainFrame::MainFrame(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("mainFrame"));
    setWindowTitle(QStringLiteral("Reelkeep"));
    setWindowIcon(QIcon(QStringLiteral(":/images/reelkeep.png")));
    resize(kStartSize);
    setAcceptDrops(true);

    actions_ = CreateCommandActions(this);
    CreateMenus();
    CreateToolBar();
    CreateSearchBar();
    CreateStatusBar();
    CreatePanes();

    actions_[ID_VIEW_TOOLBAR]->setChecked(true);
    actions_[ID_VIEW_STATUS_BAR]->setChecked(true);
    // Accelerators that have no menu item still belong to the window.
    addAction(actions_[ID_FILE_SAVE]);
    addAction(actions_[ID_EDIT_SELECT_ALL]);

    idleTimer_.setSingleShot(true);
    idleTimer_.setInterval(0);
    connect(&idleTimer_, &QTimer::timeout, this, &MainFrame::OnIdle);
    // Keystrokes that arrive together make one query.
    filterTimer_.setSingleShot(true);
    filterTimer_.setInterval(0);
    connect(&filterTimer_, &QTimer::timeout, this, &MainFrame::ApplyFilter);
    renderer_ = new PageRenderer(this);
    ConnectCommands();

    CatalogDatabase::SetThreadBusyTimeout(kWindowBusyWait);
    settings_ = LoadSettings(ProgramFolder());
    catalogFolder_ = settings_.database;
    // Without a home folder there is no default catalog; File > Open chooses one.
    catalogFile_ = catalogFolder_.empty() ? std::string() : CatalogFilePath(catalogFolder_);

    InitScripts();
    LoadList();
    list_->setFocus();
    StartUpdateCheck();  // only when AutoUpdate is on
    ArmIdle();
}

MainFrame::~MainFrame() {
    // A page still being made is not wanted any more; its threads end first.
    delete renderer_;
    renderer_ = nullptr;
    StopUpdateCheck();
    // Panes going away move the focus and the selection; let that reach a whole frame.
    disconnect(qApp, nullptr, this, nullptr);
    idleTimer_.stop();
    delete splitter_;
}

void MainFrame::CreateMenus() {
    QMenuBar* bar = menuBar();
    QMenu* file = bar->addMenu(tr("&File"));
    file->addAction(actions_[ID_FILE_NEW]);
    file->addAction(actions_[ID_FILE_OPEN]);
    file->addAction(actions_[ID_FILE_IMPORT]);
    file->addSeparator();
    file->addAction(actions_[ID_FILE_PRINT]);
    file->addAction(actions_[ID_FILE_PRINT_PREVIEW]);
    file->addAction(actions_[ID_FILE_PAGE_SETUP]);
    file->addSeparator();
    file->addAction(actions_[ID_FILE_PREFERENCES]);
    file->addSeparator();
    file->addAction(actions_[ID_APP_EXIT]);
    QMenu* exportMenu = file->addMenu(tr("&Export"));
    exportMenu->addAction(actions_[ID_EXPORT_XML]);
    exportMenu->addAction(actions_[ID_EXPORT_HTML]);
    exportMenu->addAction(actions_[ID_EXPORT_CSV]);

    QMenu* edit = bar->addMenu(tr("&Edit"));
    // Another program may have changed the catalog since: the items say what they would do now.
    connect(edit, &QMenu::aboutToShow, this, &MainFrame::UpdateCommandStates);
    edit->addAction(actions_[ID_EDIT_UNDO]);
    edit->addAction(actions_[ID_EDIT_REDO]);
    edit->addSeparator();
    edit->addAction(actions_[ID_EDIT_CUT]);
    edit->addAction(actions_[ID_EDIT_COPY]);
    edit->addAction(actions_[ID_EDIT_PASTE]);

    QMenu* movie = bar->addMenu(tr("Movie"));
    movie->addAction(actions_[ID_MOVIE_NEW]);
    movie->addAction(actions_[ID_MOVIE_DELETE]);
    movie->addSeparator();
    movie->addAction(actions_[ID_MOVIE_UPDATE]);
    movie->addSeparator();
    movie->addAction(actions_[ID_MOVIE_EDITMODE]);

    scriptsMenu_ = bar->addMenu(tr("&Scripts"));
    scriptsMenu_->setObjectName(QStringLiteral("scriptsMenu"));

    QMenu* view = bar->addMenu(tr("&View"));
    view->addAction(actions_[ID_VIEW_TOOLBAR]);
    view->addAction(actions_[ID_VIEW_STATUS_BAR]);
    view->addSeparator();
    QMenu* sortBy = view->addMenu(tr("S&ort by"));
    for (CommandId id : {ID_SORT_TITLE, ID_SORT_YEAR, ID_SORT_RATING, ID_SORT_INDEX}) {
        sortBy->addAction(actions_[id]);
    }
    view->addSeparator();
    view->addAction(actions_[ID_VIEW_STATISTICS]);

    QMenu* help = bar->addMenu(tr("&Help"));
    help->addAction(actions_[ID_HELP_CONTENTS]);
    help->addSeparator();
    help->addAction(actions_[ID_APP_ABOUT]);

    // A menu shows the states of the moment it opens.
    for (QMenu* menu : bar->findChildren<QMenu*>()) {
        connect(menu, &QMenu::aboutToShow, this, &MainFrame::UpdateCommandStates);
    }
}

void MainFrame::CreateToolBar() {
    toolBar_ = addToolBar(tr("Toolbar"));
    toolBar_->setObjectName(QStringLiteral("mainToolBar"));
    toolBar_->setIconSize(QSize(16, 16));
    toolBar_->setMovable(false);
    toolBar_->toggleViewAction()->setVisible(false);
    toolBar_->addAction(actions_[ID_MOVIE_NEW]);
    toolBar_->addAction(actions_[ID_MOVIE_EDITMODE]);
    toolBar_->addSeparator();
    toolBar_->addAction(actions_[ID_EDIT_CUT]);
    toolBar_->addAction(actions_[ID_EDIT_COPY]);
    toolBar_->addAction(actions_[ID_EDIT_PASTE]);
    toolBar_->addSeparator();
    toolBar_->addAction(actions_[ID_FILE_PREFERENCES]);
    toolBar_->addSeparator();
    toolBar_->addAction(actions_[ID_FILE_PRINT]);
    toolBar_->addAction(actions_[ID_HELP_CONTENTS]);
}

void MainFrame::CreateSearchBar() {
    addToolBarBreak();
    searchBar_ = addToolBar(tr("Search"));
    searchBar_->setObjectName(QStringLiteral("searchBar"));
    searchBar_->setMovable(false);
    searchBar_->toggleViewAction()->setVisible(false);
    auto* label = new QLabel(tr("Search"), searchBar_);
    label->setContentsMargins(4, 0, 6, 0);
    searchBox_ = new QLineEdit(searchBar_);
    searchBox_->setObjectName(QStringLiteral("searchBox"));
    searchBox_->setClearButtonEnabled(true);
    label->setBuddy(searchBox_);
    searchBar_->addWidget(label);
    searchBar_->addWidget(searchBox_);
    // The Filter narrows the list; the Search box keeps selecting within what is shown.
    auto* filterLabel = new QLabel(tr("Filter"), searchBar_);
    filterLabel->setContentsMargins(12, 0, 6, 0);
    filterBox_ = new FilterBox(searchBar_);
    filterLabel->setBuddy(filterBox_);
    searchBar_->addWidget(filterLabel);
    searchBar_->addWidget(filterBox_);
}

void MainFrame::CreateStatusBar() {
    QStatusBar* status = statusBar();
    status->setSizeGripEnabled(true);
    const QString ready = QString::fromLatin1(kIdlePrompt);
    status->showMessage(ready);
    filterCount_ = new QLabel(status);
    filterCount_->setObjectName(QStringLiteral("filterCount"));
    filterCount_->hide();
    status->addPermanentWidget(filterCount_);
    // A prompt leaves the bar empty when the pointer moves on; "Ready" stands in then.
    connect(status, &QStatusBar::messageChanged, status, [status, ready](const QString& text) {
        if (text.isEmpty())
            status->showMessage(ready);
    });
}

void MainFrame::CreatePanes() {
    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->setObjectName(QStringLiteral("splitter"));
    splitter_->setChildrenCollapsible(false);
    model_ = new MovieListModel(this);
    list_ = new MovieListView(splitter_);
    list_->SetModel(model_);
    pane_ = new BrowserPane(splitter_);
    splitter_->addWidget(list_);
    splitter_->addWidget(pane_);
    splitter_->setStretchFactor(0, 1);
    splitter_->setStretchFactor(1, 2);
    const int width = kStartSize.width();
    splitter_->setSizes({width / 3, width - width / 3});
    setCentralWidget(splitter_);
}

void MainFrame::ArmIdle() {
    if (!idleTimer_.isActive())
        idleTimer_.start();
}

void MainFrame::OnIdle() {
    UpdateCommandStates();
    if (selectionChanged_ && !dropping_) {
        selectionChanged_ = false;
        RefreshView(-1);
    }
}

void MainFrame::closeEvent(QCloseEvent* event) {
    // A drop runs beside the window and holds it until it ends.
    if (dropping_) {
        event->ignore();
        return;
    }
    // A long command ends first: it is asked to stop, and the window closes when it has.
    if (operationRunning_) {
        closeAfterOperation_ = true;
        if (cancelOperation_)
            cancelOperation_();
        event->ignore();
        return;
    }
    if (HoldCloseForUpdate()) {
        event->ignore();
        return;
    }
    settings_.database = catalogFolder_;
    settings_.databaseFile = catalogFile_;
    SaveSettings(settings_);
    event->accept();
    emit Closed();
}

}  // namespace reelkeep
