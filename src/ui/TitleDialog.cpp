#include "ui/TitleDialog.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QVBoxLayout>

namespace reelkeep {

TitleDialog::TitleDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("titleDialog"));
    setWindowTitle(tr("New Movie"));
    auto* group = new QGroupBox(tr("Movie Title"), this);
    input_ = new QLineEdit(group);
    input_->setObjectName(QStringLiteral("titleInput"));
    input_->setMinimumWidth(320);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(input_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    input_->setFocus();
    // Enter in the line edit reaches accept() through QDialog's default handling.
    connect(input_, &QLineEdit::returnPressed, this, &TitleDialog::accept);
}

QString TitleDialog::Title() const {
    return input_->text();
}

void TitleDialog::accept() {
    if (input_->text().isEmpty()) {
        input_->setFocus();
        return;
    }
    QDialog::accept();
}

}  // namespace reelkeep
