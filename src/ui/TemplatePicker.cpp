#include "ui/TemplatePicker.h"

#include <QFileDialog>
#include <utility>

namespace reelkeep {

namespace {

struct PendingTemplate {
    bool set = false;
    std::optional<QString> answer;
    QString lastStart;
};

PendingTemplate& Pending() {
    static PendingTemplate pending;
    return pending;
}

}  // namespace

std::optional<QString> ChooseTemplateFile(QWidget* parent, const QString& storedPath) {
    PendingTemplate& pending = Pending();
    pending.lastStart = storedPath;
    if (pending.set) {
        pending.set = false;
        return std::exchange(pending.answer, std::nullopt);
    }
    QFileDialog dialog(parent, QString(), storedPath,
                       QObject::tr("XSL Files (*.xsl);;All Files (*)"));
    dialog.setObjectName(QStringLiteral("templatePicker"));
    // Qt's own dialog, as the window's other file dialogs.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("xsl"));
    dialog.selectFile(storedPath);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().front();
}

void SetNextChosenTemplate(std::optional<QString> answer) {
    Pending().set = true;
    Pending().answer = std::move(answer);
}

QString LastTemplatePickerStart() {
    return Pending().lastStart;
}

}  // namespace reelkeep
