// user.select: a list of entries in a frame; Enter or a double click chooses one. Long
// entries show their whole text, wrapped, as the row's tip.
#pragma once

#include <QDialog>
#include <QStringList>

class QKeyEvent;
class QListWidget;

namespace reelkeep {

class CSelectDlg : public QDialog {
    Q_OBJECT

public:
    CSelectDlg(QWidget* parent, const QString& caption, const QString& label,
               const QStringList& items);

    // The chosen entry's index once the dialog closed with OK; -1 otherwise.
    int Chosen() const { return result() == Accepted ? chosen_ : -1; }
    QListWidget* List() const { return list_; }

    void accept() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QListWidget* list_;
    int chosen_ = -1;
};

}  // namespace reelkeep
