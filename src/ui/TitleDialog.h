// "New Movie": asks for a movie title. No buttons of its own: Enter is OK, Escape is Cancel,
// and OK with an empty text keeps the dialog open.
#pragma once

#include <QDialog>

class QLineEdit;

namespace reelkeep {

class TitleDialog : public QDialog {
    Q_OBJECT

public:
    explicit TitleDialog(QWidget* parent = nullptr);

    QString Title() const;
    void accept() override;

private:
    QLineEdit* input_;
};

}  // namespace reelkeep
