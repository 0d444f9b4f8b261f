#include "ui/TitleDialog.h"

#include <QComboBox>
#include <QCompleter>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace reelkeep {

TitleDialog::TitleDialog(QWidget* parent) : QDialog(parent) {
    input_ = new QLineEdit(this);
    Build(input_);
}

TitleDialog::TitleDialog(QWidget* parent, const QStringList& titles, const QString& derived)
    : QDialog(parent) {
    auto* combo = new QComboBox(this);
    combo->setObjectName(QStringLiteral("titleCombo"));
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setMaxVisibleItems(12);
    combo->addItems(titles);
    // Titles that begin with what is typed are offered in a list below; the text itself stays
    // as typed until the user picks one. Inline completion would fill in the rest of the first
    // match, so that Enter after "Alien" took "Aliens".
    auto* completer = new QCompleter(combo->model(), combo);
    completer->setCompletionMode(QCompleter::PopupCompletion);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    combo->setCompleter(completer);
    input_ = combo->lineEdit();
    // The combo snaps a finished text to an item that equals it without regard to case;
    // the title is what the user typed, so it keeps none of its own edit handling.
    disconnect(input_, &QLineEdit::returnPressed, combo, nullptr);
    disconnect(input_, &QLineEdit::editingFinished, combo, nullptr);
    combo->setEditText(derived);
    Build(combo);
}

void TitleDialog::Build(QWidget* input) {
    setObjectName(QStringLiteral("titleDialog"));
    setWindowTitle(tr("New Movie"));
    auto* group = new QGroupBox(tr("Movie Title"), this);
    input->setParent(group);
    input_->setObjectName(QStringLiteral("titleInput"));
    input->setMinimumWidth(320);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(input);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    input->setFocus();
    // Enter in the line edit reaches accept() through QDialog's default handling.
    connect(input_, &QLineEdit::returnPressed, this, &TitleDialog::accept);
}

QString TitleDialog::Title() const {
    return result() == Accepted ? accepted_ : input_->text();
}

void TitleDialog::SetTitle(const QString& title) {
    input_->setText(title);
}

void TitleDialog::accept() {
    if (input_->text().isEmpty()) {
        input_->setFocus();
        return;
    }
    // Taken now: nothing that happens to the field while the dialog closes may change it.
    accepted_ = input_->text();
    QDialog::accept();
}

void TitleDialog::OfferUseForAll() {
    auto* button = new QPushButton(tr("Use for all"), this);
    button->setObjectName(QStringLiteral("useForAllButton"));
    // Enter in the title stays OK for this file alone; only a click takes it for all.
    button->setAutoDefault(false);
    button->setDefault(false);
    layout()->addWidget(button);
    layout()->setAlignment(button, Qt::AlignRight);
    connect(button, &QPushButton::clicked, this, [this] {
        useForAll_ = true;
        accept();
        if (result() != Accepted)
            useForAll_ = false;  // an empty title keeps the dialog open
    });
}

}  // namespace reelkeep
