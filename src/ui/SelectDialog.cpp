#include "ui/SelectDialog.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QListWidget>
#include <QVBoxLayout>

#include "platform/InfoTip.h"
#include "ui/ScreenText.h"

namespace reelkeep {

CSelectDlg::CSelectDlg(QWidget* parent, const QString& caption, const QString& label,
                       const QStringList& items)
    : QDialog(parent) {
    setObjectName(QStringLiteral("selectDialog"));
    setWindowTitle(caption);
    auto* group = new QGroupBox(label, this);
    group->setObjectName(QStringLiteral("selectFrame"));
    list_ = new QListWidget(group);
    list_->setObjectName(QStringLiteral("selectList"));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setUniformItemSizes(true);
    list_->setMinimumSize(420, 190);
    for (const QString& text : items) {
        auto* item = new QListWidgetItem(text, list_);
        item->setToolTip(PlainTip(ScreenText(WrapInfoTip(StoredText(text)))));
    }
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(list_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    list_->setFocus();

    connect(list_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        chosen_ = list_->row(item);
        QDialog::accept();
    });
}

void CSelectDlg::accept() {
    const QList<QListWidgetItem*> selected = list_->selectedItems();
    if (selected.isEmpty())
        return;
    chosen_ = list_->row(selected.front());
    QDialog::accept();
}

void CSelectDlg::keyPressEvent(QKeyEvent* event) {
    // The list passes Enter on; the dialog has no default button to take it.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace reelkeep
