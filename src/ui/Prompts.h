// The questions and error boxes of the window, and the folder chooser. All carry the caption
// "Reelkeep"; questions are Yes/No with No as the default and the warning icon.
#pragma once

#include <QString>
#include <optional>
#include <string>

class QWidget;

namespace reelkeep {

inline constexpr const char* kAppTitle = "Reelkeep";

// Every text is shown as it is, never read as markup: messages carry paths, titles and the
// words of servers, scripts and libraries.
// True when the user answers Yes.
bool AskYesNo(QWidget* parent, const QString& text);
void ShowError(QWidget* parent, const QString& text);
// An error box with a caption of its own (a template's or an export's failure).
void ShowError(QWidget* parent, const QString& caption, const QString& text);
// A report with the information icon, such as what an import did.
void ShowInformation(QWidget* parent, const QString& text);
// The box a fresh process shows after a crash: its own caption, the error icon, OK.
void ShowCrashMessage(const std::string& caption, const std::string& text);

// The folder the user picks (without a trailing "/"), or nothing on Cancel.
std::optional<QString> ChooseFolder(QWidget* parent, const QString& title,
                                    const QString& startFolder);

// Tests answer the folder chooser through this: the next call returns the answer given
// (an empty optional meaning Cancel) without showing a dialog.
void SetNextChosenFolder(std::optional<QString> answer);

}  // namespace reelkeep
