#include "ui/FileDialogs.h"

#include <QFileDialog>

namespace reelkeep {

namespace {

std::optional<QString> Run(QFileDialog& dialog) {
    // Qt's own dialog everywhere, so that every desktop (and every test) sees the same one.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

}  // namespace

std::optional<QString> ChooseSaveFile(QWidget* parent, const QStringList& nameFilters,
                                      const QString& defaultSuffix) {
    QFileDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("saveFileDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(nameFilters);
    dialog.setDefaultSuffix(defaultSuffix);
    return Run(dialog);
}

std::optional<QString> ChooseOpenFile(QWidget* parent, const QStringList& nameFilters) {
    QFileDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("openFileDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(nameFilters);
    return Run(dialog);
}

QStringList ChooseOpenFiles(QWidget* parent, const QStringList& nameFilters) {
    QFileDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("openFilesDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilters(nameFilters);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

}  // namespace reelkeep
