// "New Movie": asks for a movie title. No buttons of its own: Enter is OK, Escape is Cancel,
// and OK with an empty text keeps the dialog open.
#pragma once

#include <QDialog>
#include <QStringList>

class QComboBox;
class QLineEdit;

namespace reelkeep {

class TitleDialog : public QDialog {
    Q_OBJECT

public:
    // The edit form, empty.
    explicit TitleDialog(QWidget* parent = nullptr);
    // The combo form of a drop: every title to choose from, the derived one to start with.
    TitleDialog(QWidget* parent, const QStringList& titles, const QString& derived);

    // The text as typed; once accepted, as it stood at that moment.
    QString Title() const;
    // Puts text into the edit field, as if typed (a retry after the catalog was busy).
    void SetTitle(const QString& title);
    void accept() override;

    // The drop's form gets one more button, "Use for all": OK for this file, and the derived
    // title without asking for every further file of the drop.
    void OfferUseForAll();
    // True when the dialog was accepted through "Use for all".
    bool UseForAll() const { return useForAll_; }

private:
    bool useForAll_ = false;
    void Build(QWidget* input);

    QLineEdit* input_ = nullptr;
    QString accepted_;  // the text exactly as it stood when the user pressed Enter
};

}  // namespace reelkeep
