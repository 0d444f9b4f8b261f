#include "ui/DropProgressDialog.h"

#include <QDialogButtonBox>
#include <QEventLoop>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "catalog/CatalogDatabase.h"
#include "maint/ProgramThread.h"

namespace reelkeep {

DropProgressDialog::DropProgressDialog(QWidget* owner, ImportHost& windowHost)
    : QDialog(owner), windowHost_(windowHost) {
    setObjectName(QStringLiteral("dropProgressDialog"));
    setWindowTitle(tr("Adding Movies"));
    setModal(true);
    status_ = new QLabel(tr("Looking for files..."), this);
    status_->setObjectName(QStringLiteral("dropStatus"));
    status_->setMinimumWidth(320);
    bar_ = new QProgressBar(this);
    bar_->setObjectName(QStringLiteral("dropProgress"));
    bar_->setRange(0, 0);  // busy until the files are counted
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    cancel_ = buttons->button(QDialogButtonBox::Cancel);
    cancel_->setObjectName(QStringLiteral("dropCancel"));
    connect(buttons, &QDialogButtonBox::rejected, this, &DropProgressDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(status_);
    layout->addWidget(bar_);
    layout->addWidget(buttons);
}

DropProgressDialog::~DropProgressDialog() {
    // Run() waits for the worker; this only guards a dialog torn down some other way.
    if (worker_.joinable()) {
        stop_ = true;
        worker_.join();
    }
}

DropResult DropProgressDialog::Run(const std::function<DropResult(ImportHost&)>& drop) {
    DropResult result;
    finished_ = false;
    // The worker waits for a busy catalog as briefly as the window does.
    const auto busyTimeout = CatalogDatabase::ThreadBusyTimeout();
    worker_ = StartProgramThread([this, &drop, &result, busyTimeout] {
        CatalogDatabase::SetThreadBusyTimeout(busyTimeout);
        result = drop(*this);
        QMetaObject::invokeMethod(this, &DropProgressDialog::OnWorkerDone, Qt::QueuedConnection);
    });

    // A short drop ends without a dialog: the window draws but takes no input meanwhile.
    QEventLoop quick;
    quickLoop_ = &quick;
    QTimer::singleShot(kShowAfterMs, &quick, &QEventLoop::quit);
    quick.exec(QEventLoop::ExcludeUserInputEvents);
    quickLoop_ = nullptr;
    if (!finished_)
        exec();
    worker_.join();
    return result;
}

void DropProgressDialog::OnWorkerDone() {
    finished_ = true;
    if (quickLoop_)
        quickLoop_->quit();
    if (isVisible())
        done(Accepted);
}

void DropProgressDialog::reject() {
    if (finished_) {
        QDialog::reject();
        return;
    }
    stop_ = true;
    cancel_->setEnabled(false);
    status_->setText(tr("Stopping after this file..."));
}

ObjectId DropProgressDialog::FindRowByTitle(const std::string& title) {
    ObjectId found = 0;
    QMetaObject::invokeMethod(
        this, [this, &title, &found] { found = windowHost_.FindRowByTitle(title); },
        Qt::BlockingQueuedConnection);
    return found;
}

std::optional<TitleAnswer> DropProgressDialog::AskTitle(const std::string& derived,
                                                        const std::vector<std::string>& titles) {
    std::optional<TitleAnswer> answer;
    QMetaObject::invokeMethod(
        this,
        [this, &derived, &titles, &answer] { answer = windowHost_.AskTitle(derived, titles); },
        Qt::BlockingQueuedConnection);
    return answer;
}

void DropProgressDialog::MovieAdded(const MovieListRow& row) {
    // In order with the calls above: every call reaches the window through one queue.
    QMetaObject::invokeMethod(
        this, [this, row] { windowHost_.MovieAdded(row); }, Qt::QueuedConnection);
}

void DropProgressDialog::Progress(std::size_t done, std::size_t left) {
    QMetaObject::invokeMethod(
        this,
        [this, done, left] {
            const std::size_t total = done + left;
            bar_->setRange(0, static_cast<int>(std::min<std::size_t>(total, INT32_MAX)));
            bar_->setValue(static_cast<int>(std::min<std::size_t>(done, INT32_MAX)));
            if (!stop_)
                status_->setText(tr("%1 done, %2 left").arg(done).arg(left));
        },
        Qt::QueuedConnection);
}

}  // namespace reelkeep
