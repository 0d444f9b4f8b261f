// A message box made from a style value (buttons, icon, default button) as scripts and the
// core pass them; the result is the identifier of the button that closed it (IDOK..IDNO).
#pragma once

#include <QString>
#include <cstdint>

class QWidget;

namespace reelkeep {

int ShowStyledMessageBox(QWidget* parent, const QString& text, const QString& caption,
                         std::uint32_t style);

}  // namespace reelkeep
