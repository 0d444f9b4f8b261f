// The Preferences command.
#include "app/MainFrame.h"
#include "ui/PreferencesDialog.h"

namespace reelkeep {

void MainFrame::OnPreferences() {
    PreferencesDialog sheet(this, settings_);
    // New templates show at once.
    if (sheet.exec() == QDialog::Accepted)
        RefreshView(-1);
}

}  // namespace reelkeep
