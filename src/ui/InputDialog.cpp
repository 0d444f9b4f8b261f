#include "ui/InputDialog.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QVBoxLayout>

namespace reelkeep {

InputDialog::InputDialog(QWidget* parent, const QString& caption, const QString& label,
                         const QString& text, bool allowEmpty)
    : QDialog(parent), allowEmpty_(allowEmpty) {
    setObjectName(QStringLiteral("inputDialog"));
    setWindowTitle(caption);
    auto* group = new QGroupBox(label, this);
    group->setObjectName(QStringLiteral("inputFrame"));
    input_ = new QLineEdit(text, group);
    input_->setObjectName(QStringLiteral("inputText"));
    input_->setMinimumWidth(320);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(input_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    input_->setFocus();
    connect(input_, &QLineEdit::returnPressed, this, &InputDialog::accept);
}

QString InputDialog::Text() const {
    return input_->text();
}

void InputDialog::accept() {
    if (!allowEmpty_ && input_->text().isEmpty()) {
        input_->setFocus();
        return;
    }
    QDialog::accept();
}

}  // namespace reelkeep
