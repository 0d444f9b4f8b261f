// The "..." of a template row: an open dialog for XSL files, started on the template path in
// force for that setting.
#pragma once

#include <QString>
#include <optional>

class QWidget;

namespace reelkeep {

// The chosen file's full path, or nothing on Cancel.
std::optional<QString> ChooseTemplateFile(QWidget* parent, const QString& storedPath);

// Tests answer the next picker through this (an empty optional meaning Cancel) and read the
// path the picker was started on.
void SetNextChosenTemplate(std::optional<QString> answer);
QString LastTemplatePickerStart();

}  // namespace reelkeep
