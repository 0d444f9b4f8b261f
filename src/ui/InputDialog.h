// The title dialog's edit form as a script's user.input shows it: the script's caption and
// frame text, a line of text, and OK refused on an empty text unless the script allows it.
#pragma once

#include <QDialog>

class QGroupBox;
class QLineEdit;

namespace reelkeep {

class InputDialog : public QDialog {
    Q_OBJECT

public:
    InputDialog(QWidget* parent, const QString& caption, const QString& label, const QString& text,
                bool allowEmpty);

    QString Text() const;
    void accept() override;

private:
    QLineEdit* input_;
    bool allowEmpty_;
};

}  // namespace reelkeep
