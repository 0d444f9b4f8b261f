#include "ui/FilterBox.h"

#include <QKeyEvent>
#include <QLabel>

namespace reelkeep {

FilterBox::FilterBox(QWidget* parent) : QLineEdit(parent), note_(new QLabel(this, Qt::ToolTip)) {
    setObjectName(QStringLiteral("filterBox"));
    setClearButtonEnabled(true);
    setPlaceholderText(tr("words, actor:name, year:1990-1999, -watched:yes"));
    setToolTip(tr("Shows only the movies that match; Escape shows every movie again.\n"
                  "Words match the start of any word of a movie; \"quoted words\" a phrase;\n"
                  "-word leaves out. Fields: title: director: actor: producer: genre: country:\n"
                  "language: subtitle: lender: file: plot: comment: year: rating: length:\n"
                  "watched:yes|no added:2024-05. See Help for more."));
    note_->setObjectName(QStringLiteral("filterProblem"));
    note_->setForegroundRole(QPalette::ToolTipText);
    note_->setBackgroundRole(QPalette::ToolTipBase);
    note_->setAutoFillBackground(true);
    note_->setMargin(4);
    note_->setWordWrap(false);
    note_->hide();
}

FilterBox::~FilterBox() = default;

void FilterBox::ShowProblem(const QString& text) {
    problem_ = text;
    note_->setText(text);
    if (text.isEmpty() || !isVisible()) {
        note_->hide();
        return;
    }
    PlaceNote();
    note_->show();
}

void FilterBox::PlaceNote() {
    note_->adjustSize();
    note_->move(mapToGlobal(QPoint(0, height())));
}

void FilterBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        clear();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void FilterBox::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    if (!problem_.isEmpty())
        ShowProblem(problem_);
}

void FilterBox::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    // The note belongs to typing; it comes back with the focus.
    note_->hide();
}

void FilterBox::hideEvent(QHideEvent* event) {
    QLineEdit::hideEvent(event);
    note_->hide();
}

}  // namespace reelkeep
