#include "ui/Prompts.h"

#include <QFileDialog>
#include <QMessageBox>
#include <utility>

namespace reelkeep {

namespace {

struct PendingFolder {
    bool set = false;
    std::optional<QString> answer;
};

PendingFolder& NextFolder() {
    static PendingFolder pending;
    return pending;
}

}  // namespace

bool AskYesNo(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Warning, QString::fromLatin1(kAppTitle), text,
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setObjectName(QStringLiteral("question"));
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void ShowError(QWidget* parent, const QString& text) {
    ShowError(parent, QString::fromLatin1(kAppTitle), text);
}

void ShowError(QWidget* parent, const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("error"));
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void ShowInformation(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Information, QString::fromLatin1(kAppTitle), text,
                    QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("information"));
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void ShowCrashMessage(const std::string& caption, const std::string& text) {
    QMessageBox box(QMessageBox::Critical, QString::fromStdString(caption),
                    QString::fromStdString(text), QMessageBox::Ok);
    box.setObjectName(QStringLiteral("crash"));
    box.setTextFormat(Qt::PlainText);  // the record's path is shown as it is
    box.exec();
}

std::optional<QString> ChooseFolder(QWidget* parent, const QString& title,
                                    const QString& startFolder) {
    PendingFolder& pending = NextFolder();
    if (pending.set) {
        pending.set = false;
        return std::exchange(pending.answer, std::nullopt);
    }
    const QString folder = QFileDialog::getExistingDirectory(parent, title, startFolder);
    if (folder.isEmpty())
        return std::nullopt;
    return folder;
}

void SetNextChosenFolder(std::optional<QString> answer) {
    NextFolder() = {true, std::move(answer)};
}

}  // namespace reelkeep
