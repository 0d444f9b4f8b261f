// The Scripts menus and script runs from the window.
#include <QMenu>
#include <unordered_map>

#include "app/MainFrame.h"
#include "platform/Folders.h"
#include "present/TemplateTransform.h"
#include "script/ScriptFiles.h"
#include "ui/MovieListModel.h"
#include "ui/MovieListView.h"
#include "ui/ScreenText.h"
#include "ui/ScriptRunDialog.h"

namespace reelkeep {

void MainFrame::InitScripts() { UseScriptsFolder(DefaultScriptsFolder()); }

void MainFrame::UseScriptsFolder(const std::string& folder) {
    scriptsFolder_ = folder;
    FillScriptsMenu(scriptsMenu_);
}

void MainFrame::FillScriptsMenu(QMenu* menu) {
    menu->clear();
    const std::vector<ScriptEntry> scripts = FindScripts(scriptsFolder_);
    if (scripts.empty()) {
        menu->addAction(actions_[ID_SCRIPTS_EMPTY]);
        actions_[ID_SCRIPTS_EMPTY]->setEnabled(false);
        return;
    }
    for (const ScriptEntry& script : scripts) {
        QString text = ScreenText(script.name);
        QAction* action = menu->addAction(text.replace(QLatin1Char('&'), QStringLiteral("&&")));
        action->setData(script.command);
        // Each item runs the script it names, whatever the other menu listed when it was built.
        connect(action, &QAction::triggered, this,
                [this, command = script.command, name = script.name] { RunScript(command, name); });
        // The context menu offers the last script run as its default.
        if (menu != scriptsMenu_ && script.command == lastScript_)
            menu->setDefaultAction(action);
    }
}

void MainFrame::RunScript(std::uint32_t command, const std::string& name) {
    // The items are grayed without a selection; nothing may run, re-sort or leave edit mode.
    // Nor while a long command works on the catalog (the context menu's items are made anew).
    if (list_->SelectedCount() == 0 || operationRunning_)
        return;
    std::optional<std::string> scriptText = ReadScriptText(scriptsFolder_, name);
    if (!scriptText)
        return;
    lastScript_ = command;

    ScriptRunSetup setup;
    setup.name = ScreenText(name);
    setup.scriptText = std::move(*scriptText);
    setup.includeText = ReadIncludeText(scriptsFolder_, name);
    setup.catalogFile = catalogFile_;
    setup.catalogFolder = catalogFolder_;
    setup.timeout = settings_.timeout;
    const std::vector<int> rows = list_->SelectedRows();
    const ObjectId single = rows.size() == 1 ? model_->Oid(rows.front()) : 0;
    std::vector<ScriptRunMovie> movies;
    movies.reserve(rows.size());
    for (const int row : rows) movies.push_back({model_->Oid(row), StoredText(model_->Title(row))});
    setup.movies = ScriptRunner::InRunOrder(std::move(movies));

    CScriptRunDlg dialog(this, std::move(setup));
    connect(&dialog, &CScriptRunDlg::MovieProcessing, this, [this](ObjectId oid) {
        const int row = model_->RowOf(oid);
        if (row >= 0)
            list_->scrollTo(model_->index(row, 0));
    });
    connect(&dialog, &CScriptRunDlg::MovieUpdated, this,
            [this](ObjectId oid, const QString& title, bool watched) {
                const int row = model_->RowOf(oid);
                if (row < 0)
                    return;
                model_->SetTitleAndWatched(row, title, watched);
                list_->selectionModel()->select(model_->index(row, 0),
                                                QItemSelectionModel::Deselect);
            });
    dialog.exec();

    if (single != 0)
        list_->SelectOnly(model_->RowOf(single));
    SortList(true);
    // What the script changed may take movies out of the Filter's reach or into it.
    if (model_->Filtered())
        ApplyFilter();
    editMode_ = false;
    selectionChanged_ = true;
    ArmIdle();
}

}  // namespace reelkeep
