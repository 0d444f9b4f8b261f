#include "ui/StyledMessageBox.h"

#include <QCloseEvent>
#include <QHash>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>

#include "platform/MessageBoxStyle.h"

namespace reelkeep {

namespace {

// A box without a Cancel button and with more than one choice cannot be dismissed: the user
// has to pick one of its buttons.
class StyledBox : public QMessageBox {
public:
    StyledBox(QWidget* parent, bool dismissable) : QMessageBox(parent), dismissable_(dismissable) {}

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (!dismissable_ && event->key() == Qt::Key_Escape)
            return;
        QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent* event) override {
        if (!dismissable_) {
            event->ignore();
            return;
        }
        QMessageBox::closeEvent(event);
    }

private:
    bool dismissable_;
};

QAbstractButton* AddButton(QMessageBox& box, int result) {
    switch (result) {
        case IDOK:
            return box.addButton(QMessageBox::Ok);
        case IDCANCEL:
            return box.addButton(QMessageBox::Cancel);
        case IDABORT:
            return box.addButton(QMessageBox::Abort);
        case IDRETRY:
            return box.addButton(QMessageBox::Retry);
        case IDIGNORE:
            return box.addButton(QMessageBox::Ignore);
        case IDYES:
            return box.addButton(QMessageBox::Yes);
        case IDNO:
            return box.addButton(QMessageBox::No);
        case IDTRYAGAIN:
            return box.addButton(QObject::tr("&Try Again"), QMessageBox::AcceptRole);
        case IDCONTINUE:
            return box.addButton(QObject::tr("&Continue"), QMessageBox::AcceptRole);
        default:
            return box.addButton(QMessageBox::Ok);
    }
}

QMessageBox::Icon IconOf(std::uint32_t style) {
    switch (MessageIconOf(style)) {
        case MessageIcon::Error:
            return QMessageBox::Critical;
        case MessageIcon::Question:
            return QMessageBox::Question;
        case MessageIcon::Warning:
            return QMessageBox::Warning;
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

int ShowStyledMessageBox(QWidget* parent, const QString& text, const QString& caption,
                         std::uint32_t style) {
    const int escapeResult = MessageEscapeResult(style);
    StyledBox box(parent, escapeResult != 0);
    box.setObjectName(QStringLiteral("styledMessageBox"));
    box.setWindowTitle(caption);
    // Texts from scripts and servers are shown as they are, never as markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    box.setIcon(IconOf(style));
    QHash<QAbstractButton*, int> results;
    const int defaultResult = MessageDefaultResult(style);
    for (const int result : MessageButtons(style)) {
        QAbstractButton* button = AddButton(box, result);
        results.insert(button, result);
        if (result == defaultResult)
            box.setDefaultButton(qobject_cast<QPushButton*>(button));
        if (result == escapeResult)
            box.setEscapeButton(button);
    }
    box.exec();
    return results.value(box.clickedButton(), escapeResult != 0 ? escapeResult : IDCANCEL);
}

}  // namespace reelkeep
