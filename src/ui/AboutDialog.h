// "About Reelkeep": the program name and version, a picture, credits and a link.
#pragma once

#include <QDialog>

namespace reelkeep {

// The four parts of the program's version, from the marker embedded in the program file.
struct ProgramVersion {
    unsigned parts[4] = {0, 0, 0, 0};
};
ProgramVersion CurrentProgramVersion();

class AboutDialog : public QDialog {
    Q_OBJECT

public:
    explicit AboutDialog(QWidget* parent = nullptr);
};

}  // namespace reelkeep
