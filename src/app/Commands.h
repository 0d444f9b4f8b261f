// Every command of the main window: its identifier, menu text with mnemonic, status-bar
// prompt and tooltip, accelerator and icon. Menus, toolbar, accelerators and the list's
// context menu all share the one QAction per command made from this table.
#pragma once

#include <QHash>
#include <span>

class QAction;
class QObject;

namespace reelkeep {

enum CommandId : int {
    ID_FILE_NEW = 57600,
    ID_FILE_OPEN = 57601,
    ID_FILE_SAVE = 57603,
    ID_FILE_PAGE_SETUP = 57605,
    ID_FILE_PRINT = 57607,
    ID_FILE_PRINT_PREVIEW = 57609,
    ID_FILE_PREFERENCES = 32784,
    ID_APP_EXIT = 57665,
    ID_EXPORT_XML = 32794,
    ID_EXPORT_HTML = 32795,
    ID_EXPORT_CSV = 32810,
    ID_FILE_IMPORT = 32811,
    ID_EDIT_UNDO = 57643,
    ID_EDIT_REDO = 57644,
    ID_EDIT_CUT = 57635,
    ID_EDIT_COPY = 57634,
    ID_EDIT_PASTE = 57637,
    ID_EDIT_SELECT_ALL = 57642,
    ID_MOVIE_NEW = 32780,
    ID_MOVIE_DELETE = 32776,
    ID_MOVIE_UPDATE = 32800,
    ID_MOVIE_EDITMODE = 32775,
    ID_SCRIPTS_EMPTY = 32778,
    ID_VIEW_TOOLBAR = 59392,
    ID_VIEW_STATUS_BAR = 59393,
    ID_VIEW_STATISTICS = 32812,
    ID_SORT_TITLE = 32796,
    ID_SORT_YEAR = 32797,
    ID_SORT_RATING = 32798,
    ID_SORT_INDEX = 32799,
    ID_HELP_CONTENTS = 32787,
    ID_APP_ABOUT = 57664,
};

struct CommandInfo {
    CommandId id;
    const char* objectName;
    const char* menuText;  // "\t" and what follows is the shortcut shown in the menu
    const char* prompt;    // status-bar text, "\n", tooltip; nullptr for none
    const char* shortcut;  // the accelerator the window answers; nullptr for none
    const char* themeIcon;
    const char* fallbackIcon;  // our own picture (toolbar and menu images); shown in menus
    bool checkable;
};

std::span<const CommandInfo> CommandTable();

// Status text "Ready" shown when no prompt is.
inline constexpr const char* kIdlePrompt = "Ready";

// One action per command, parented to owner, looked up by identifier.
using CommandActions = QHash<int, QAction*>;
CommandActions CreateCommandActions(QObject* owner);

}  // namespace reelkeep
