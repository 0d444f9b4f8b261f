#include "ui/BackgroundTask.h"

#include <QEventLoop>
#include <QProgressDialog>
#include <QTimer>
#include <exception>
#include <memory>
#include <thread>

#include "catalog/CatalogDatabase.h"
#include "maint/ProgramThread.h"
#include "ui/WaitCursor.h"

namespace reelkeep {

namespace {

constexpr int kProgressEveryMs = 100;

}  // namespace

BackgroundTask::BackgroundTask(QWidget* window, QString label)
    : window_(window), label_(std::move(label)) {}

void BackgroundTask::Run(const std::function<void()>& work) {
    const WaitCursor wait;
    QEventLoop loop;
    std::exception_ptr failure;
    const auto busyTimeout = CatalogDatabase::ThreadBusyTimeout();
    std::thread thread = StartProgramThread([&] {
        CatalogDatabase::SetThreadBusyTimeout(busyTimeout);
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        // The loop lives until the thread is joined, after this event has run.
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });

    std::unique_ptr<QProgressDialog> dialog;
    QTimer ticks;
    const auto update = [&] {
        if (!dialog || !progress_) return;
        const auto [done, total] = progress_();
        if (total == 0 || done >= total) {
            dialog->setRange(0, 0);  // what is left cannot be counted: the bar just moves
        } else {
            // The bar counts in thousandths: totals beyond an int fit.
            dialog->setRange(0, 1000);
            dialog->setValue(static_cast<int>(done * 1000 / total));
        }
    };
    QObject::connect(&ticks, &QTimer::timeout, &loop, [&] {
        if (!dialog) {
            dialog = std::make_unique<QProgressDialog>(label_, cancel_ ? QObject::tr("Cancel") : QString(),
                                                       0, 0, window_);
            dialog->setWindowTitle(QStringLiteral("Reelkeep"));
            dialog->setWindowModality(Qt::WindowModal);
            dialog->setAutoClose(false);
            dialog->setAutoReset(false);
            dialog->setMinimumDuration(0);
            if (!cancel_) dialog->setCancelButton(nullptr);
            QObject::connect(dialog.get(), &QProgressDialog::canceled, &loop, [&] {
                if (cancel_) cancel_();
            });
            ticks.setInterval(kProgressEveryMs);
            dialog->show();
        }
        update();
    });
    ticks.start(kDialogAfterMs);
    loop.exec();
    ticks.stop();
    thread.join();
    dialog.reset();
    if (failure) std::rethrow_exception(failure);
}

}  // namespace reelkeep
