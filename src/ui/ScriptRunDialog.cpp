#include "ui/ScriptRunDialog.h"

#include <QListWidget>
#include <QPainter>
#include <QProgressBar>
#include <QShowEvent>
#include <QThread>
#include <QVBoxLayout>

#include "maint/ProgramThread.h"
#include "platform/MessageBoxStyle.h"
#include "ui/InputDialog.h"
#include "ui/Prompts.h"
#include "ui/ScreenText.h"
#include "ui/SelectDialog.h"
#include "ui/StyledMessageBox.h"

namespace reelkeep {

namespace {

// Waiting: a hollow grey circle; being processed: an amber arrow; done: a green tick.
QIcon StateIcon(ScriptRunHost::ItemState state) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    switch (state) {
        case ScriptRunHost::ItemState::Waiting:
            painter.setPen(QPen(QColor(128, 128, 128), 1.5));
            painter.drawEllipse(QRectF(3.5, 3.5, 9, 9));
            break;
        case ScriptRunHost::ItemState::Processing:
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor(230, 150, 0));
            painter.drawPolygon(QPolygonF({QPointF(4, 3), QPointF(13, 8), QPointF(4, 13)}));
            break;
        case ScriptRunHost::ItemState::Done:
            painter.setPen(
                QPen(QColor(0, 150, 40), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            painter.drawPolyline(QPolygonF({QPointF(3, 8.5), QPointF(6.5, 12), QPointF(13, 4)}));
            break;
    }
    return QIcon(pixmap);
}

}  // namespace

CScriptRunDlg::CScriptRunDlg(QWidget* owner, ScriptRunSetup setup)
    : QDialog(owner),
      setup_(std::move(setup)),
      run_(*this, setup_.catalogFolder, setup_.timeout),
      runner_(run_, setup_.scriptText, setup_.includeText, setup_.catalogFile) {
    setObjectName(QStringLiteral("scriptRunDialog"));
    setWindowTitle(setup_.name);
    runner_.SetScriptName(setup_.name.toStdString());
    setModal(true);
    for (const auto state : {ItemState::Waiting, ItemState::Done, ItemState::Processing}) {
        states_[static_cast<int>(state)] = StateIcon(state);
    }

    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("scriptRunList"));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setUniformItemSizes(true);
    list_->setMinimumSize(430, 200);
    list_->setUpdatesEnabled(false);
    for (const ScriptRunMovie& movie : setup_.movies) {
        auto* item = new QListWidgetItem(states_[0], ScreenText(movie.title), list_);
        item->setData(kObjectIdRole, movie.oid);
        item->setData(kStateRole, static_cast<int>(ItemState::Waiting));
    }
    list_->setUpdatesEnabled(true);
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("scriptProgress"));
    progress_->setTextVisible(false);
    // Empty until a transfer with a known length reports.
    progress_->setRange(0, 1);
    progress_->setValue(0);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addWidget(progress_);
}

CScriptRunDlg::~CScriptRunDlg() {
    if (worker_.joinable()) {
        run_.Cancel();
        worker_.join();
    }
}

void CScriptRunDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous() && !worker_.joinable())
        StartWorker();
}

void CScriptRunDlg::StartWorker() {
    worker_ = StartProgramThread([this] {
        workerResult_ = runner_.ScriptWorker(setup_.movies);
        QMetaObject::invokeMethod(this, &CScriptRunDlg::OnWorkerDone, Qt::QueuedConnection);
    });
}

void CScriptRunDlg::OnWorkerDone() {
    if (worker_.joinable())
        worker_.join();
    done(workerResult_ != 0 ? Accepted : Rejected);
}

void CScriptRunDlg::reject() {
    // A confirmation like every other: the warning icon, No as the default.
    const int answer =
        ShowStyledMessageBox(this, tr("Cancel script?"), QString::fromLatin1(kAppTitle),
                             MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2);
    if (answer == IDYES && !run_.Cancelled())
        run_.Cancel();
}

template <typename Work>
void CScriptRunDlg::OnUiThread(Work work) {
    if (QThread::currentThread() == thread()) {
        work();
        return;
    }
    QMetaObject::invokeMethod(this, work, Qt::BlockingQueuedConnection);
}

void CScriptRunDlg::SetRange(std::uint32_t high) {
    OnUiThread([this, high] {
        progress_->setRange(0, static_cast<int>(std::min<std::uint32_t>(high, INT32_MAX)));
        progress_->setValue(0);
    });
}

void CScriptRunDlg::SetPosition(std::uint32_t position) {
    OnUiThread([this, position] {
        progress_->setValue(static_cast<int>(std::min<std::uint32_t>(position, INT32_MAX)));
    });
}

void CScriptRunDlg::SetItemState(std::size_t item, ItemState state) {
    OnUiThread([this, item, state] {
        QListWidgetItem* row = list_->item(static_cast<int>(item));
        if (!row)
            return;
        row->setIcon(states_[static_cast<int>(state)]);
        row->setData(kStateRole, static_cast<int>(state));
        if (state == ItemState::Processing) {
            list_->setCurrentItem(row);
            list_->scrollToItem(row);
            emit MovieProcessing(row->data(kObjectIdRole).value<ObjectId>());
        }
    });
}

void CScriptRunDlg::MovieStored(std::size_t item, const std::string& title, bool watched) {
    OnUiThread([this, item, &title, watched] {
        QListWidgetItem* row = list_->item(static_cast<int>(item));
        if (!row)
            return;
        const QString text = ScreenText(title);
        row->setText(text);
        row->setSelected(false);
        emit MovieUpdated(row->data(kObjectIdRole).value<ObjectId>(), text, watched);
    });
}

int CScriptRunDlg::MessageBox(const std::string& text, const std::string& caption,
                              std::uint32_t style) {
    int result = IDCANCEL;
    OnUiThread(
        [&] { result = ShowStyledMessageBox(this, ScreenText(text), ScreenText(caption), style); });
    return result;
}

bool CScriptRunDlg::Input(std::string& value, const std::string& title, const std::string& label,
                          bool allowEmpty) {
    bool confirmed = false;
    OnUiThread([&] {
        InputDialog dialog(this, ScreenText(title), ScreenText(label), ScreenText(value),
                           allowEmpty);
        if (dialog.exec() == QDialog::Accepted) {
            value = StoredText(dialog.Text());
            confirmed = true;
        }
    });
    return confirmed;
}

int CScriptRunDlg::Select(const StringArray& items, const std::string& title,
                          const std::string& label) {
    int chosen = -1;
    OnUiThread([&] {
        QStringList texts;
        texts.reserve(static_cast<qsizetype>(items.size()));
        for (const std::string& item : items) texts << ScreenText(item);
        CSelectDlg dialog(this, ScreenText(title), ScreenText(label), texts);
        dialog.exec();
        chosen = dialog.Chosen();
    });
    return chosen;
}

}  // namespace reelkeep
