#include "app/Commands.h"

#include <QAction>
#include <QIcon>
#include <QString>

namespace reelkeep {

namespace {

constexpr CommandInfo kCommands[] = {
    {ID_FILE_NEW, "fileNew", "&New\tCtrl+N", "Create a new catalog\nNew", "Ctrl+N", "document-new",
     "catalog-new", false},
    {ID_FILE_OPEN, "fileOpen", "&Open...\tCtrl+O", "Open an existing catalog\nOpen", "Ctrl+O",
     "document-open", "catalog-open", false},
    {ID_FILE_IMPORT, "fileImport", "&Import...",
     "Import movies from a list, a spreadsheet or another catalog\nImport", nullptr,
     "document-import", nullptr, false},
    {ID_FILE_SAVE, "fileSave", "", nullptr, "Ctrl+S", nullptr, nullptr, false},
    {ID_FILE_PAGE_SETUP, "filePageSetup", "P&age Setup...",
     "Change the printing options\nPage Setup", nullptr, nullptr, nullptr, false},
    {ID_FILE_PRINT, "filePrint", "&Print...\tCtrl+P", "Print the active document\nPrint", "Ctrl+P",
     "document-print", "print", false},
    {ID_FILE_PRINT_PREVIEW, "filePrintPreview", "Print Pre&view",
     "Display full pages\nPrint Preview", nullptr, "document-print-preview", nullptr, false},
    {ID_FILE_PREFERENCES, "filePreferences", "P&references...",
     "Open preferences dialog\nPreferences", nullptr, "preferences-system", "preferences", false},
    {ID_APP_EXIT, "appExit", "E&xit", "Quit the application; prompts to save documents\nExit",
     nullptr, "application-exit", nullptr, false},
    {ID_EXPORT_XML, "exportXml", "&XML...", "Export catalog as an xml file\nExport XML", nullptr,
     nullptr, nullptr, false},
    {ID_EXPORT_HTML, "exportHtml", "&HTML...", "Export data as html file\nExport HTML", nullptr,
     nullptr, nullptr, false},
    {ID_EXPORT_CSV, "exportCsv", "&CSV...", "Export data as a csv file for spreadsheets\nExport CSV",
     nullptr, nullptr, nullptr, false},
    {ID_EDIT_UNDO, "editUndo", "&Undo\tCtrl+Z", "Undo the last action\nUndo", nullptr, "edit-undo",
     nullptr, false},
    {ID_EDIT_REDO, "editRedo", "&Redo\tCtrl+Shift+Z", "Redo the previously undone action\nRedo", nullptr,
     "edit-redo", nullptr, false},
    {ID_EDIT_CUT, "editCut", "Cu&t\tCtrl+X", "Cut the selection and put it on the Clipboard\nCut",
     nullptr, "edit-cut", "edit-cut", false},
    {ID_EDIT_COPY, "editCopy", "&Copy\tCtrl+C",
     "Copy the selection and put it on the Clipboard\nCopy", nullptr, "edit-copy", "edit-copy",
     false},
    {ID_EDIT_PASTE, "editPaste", "&Paste\tCtrl+V", "Insert Clipboard contents\nPaste", nullptr,
     "edit-paste", "edit-paste", false},
    {ID_EDIT_SELECT_ALL, "editSelectAll", "", "Select the entire document\nSelect All", "Ctrl+A",
     nullptr, nullptr, false},
    {ID_MOVIE_NEW, "movieNew", "&New...", "Insert a new movie into catalog\nNew Movie", nullptr,
     "list-add", "movie-new", false},
    {ID_MOVIE_DELETE, "movieDelete", "&Delete", "Delete selected movie(s)\nDelete Movie(s)",
     nullptr, "edit-delete", "movie-delete", false},
    {ID_MOVIE_UPDATE, "movieUpdate", "&Update...",
     "Update movie details from an external file\nUpdate Movie", nullptr, nullptr, nullptr, false},
    {ID_MOVIE_EDITMODE, "movieEditMode", "&Edit Mode", "Toggle edit mode\nEdit Mode", nullptr,
     "document-edit", "edit-mode", true},
    {ID_SCRIPTS_EMPTY, "scriptsEmpty", "Empty", nullptr, nullptr, nullptr, nullptr, false},
    {ID_VIEW_TOOLBAR, "viewToolbar", "&Toolbar", "Show or hide the toolbar\nToggle ToolBar",
     nullptr, nullptr, nullptr, true},
    {ID_VIEW_STATUS_BAR, "viewStatusBar", "&Status Bar",
     "Show or hide the status bar\nToggle StatusBar", nullptr, nullptr, nullptr, true},
    {ID_VIEW_STATISTICS, "viewStatistics", "Stat&istics",
     "Show the figures and charts of the catalog, or of the movies the Filter shows\nStatistics",
     nullptr, nullptr, nullptr, false},
    {ID_SORT_TITLE, "sortTitle", "&Title", "Sort by title\nSort Title", nullptr, nullptr, nullptr,
     true},
    {ID_SORT_YEAR, "sortYear", "&Year", "Sort by year\nSort Year", nullptr, nullptr, nullptr, true},
    {ID_SORT_RATING, "sortRating", "&Rating", "Sort by rating\nSort Rating", nullptr, nullptr,
     nullptr, true},
    {ID_SORT_INDEX, "sortIndex", "&Index", "Sort by index\nSort Index", nullptr, nullptr, nullptr,
     true},
    {ID_HELP_CONTENTS, "helpContents", "&Help", "Show the help window\nHelp", "F1", "help-contents",
     "help", false},
    {ID_APP_ABOUT, "appAbout", "&About Reelkeep...",
     "Display program information, version number and copyright\nAbout", nullptr, "help-about",
     "about", false},
};

QIcon CommandIcon(const CommandInfo& info) {
    const QIcon fallback =
        info.fallbackIcon
            ? QIcon(QStringLiteral(":/images/%1.png").arg(QLatin1String(info.fallbackIcon)))
            : QIcon();
    if (!info.themeIcon)
        return fallback;
    return QIcon::fromTheme(QLatin1String(info.themeIcon), fallback);
}

}  // namespace

std::span<const CommandInfo> CommandTable() {
    return kCommands;
}

CommandActions CreateCommandActions(QObject* owner) {
    CommandActions actions;
    for (const CommandInfo& info : kCommands) {
        auto* action = new QAction(QString::fromLatin1(info.menuText), owner);
        action->setObjectName(QLatin1String(info.objectName));
        action->setData(static_cast<int>(info.id));
        if (info.prompt) {
            const QString prompt = QString::fromLatin1(info.prompt);
            action->setStatusTip(prompt.section(QLatin1Char('\n'), 0, 0));
            action->setToolTip(prompt.section(QLatin1Char('\n'), 1));
        }
        if (info.shortcut) {
            // A menu text with "\t" shows its own key name instead of the shortcut's.
            action->setShortcut(QKeySequence(QString::fromLatin1(info.shortcut)));
        }
        action->setIcon(CommandIcon(info));
        // The commands with a picture of their own (the toolbar's, and New, Open, Delete and
        // About) show it in the menus too; a picture that only the desktop's theme offers
        // stays out of them.
        action->setIconVisibleInMenu(info.fallbackIcon != nullptr);
        action->setCheckable(info.checkable);
        actions.insert(info.id, action);
    }
    return actions;
}

}  // namespace reelkeep
