// The open and save dialogs of the window's commands. Each file-type filter is a pair of a
// name and its patterns; "All Files" comes last.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

namespace reelkeep {

// The save dialog: adds `defaultSuffix` (without the dot) to a name typed without one and asks
// before an existing file is replaced (No returns to the dialog). Nothing on Cancel.
std::optional<QString> ChooseSaveFile(QWidget* parent, const QStringList& nameFilters,
                                      const QString& defaultSuffix);

// The open dialog for one existing file. Nothing on Cancel.
std::optional<QString> ChooseOpenFile(QWidget* parent, const QStringList& nameFilters);
// The open dialog for one or more existing files. Empty on Cancel.
QStringList ChooseOpenFiles(QWidget* parent, const QStringList& nameFilters);

}  // namespace reelkeep
