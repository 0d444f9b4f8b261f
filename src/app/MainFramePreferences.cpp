// The Preferences command.
#include "app/MainFrame.h"
#include "ui/PreferencesDialog.h"

namespace reelkeep {

void MainFrame::OnPreferences() {
    PreferencesDialog sheet(this, settings_);
    // New templates show at once: after OK, and after Apply even when Cancel closes the sheet.
    const bool accepted = sheet.exec() == QDialog::Accepted;
    if (accepted || sheet.Applied())
        RefreshView(-1);
}

}  // namespace reelkeep
