#include "ui/ImportDialogs.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "maint/ProgramThread.h"
#include "ui/Prompts.h"

namespace reelkeep {

ImportPreviewDialog::ImportPreviewDialog(QWidget* owner, const QString& text,
                                         std::size_t existingCount)
    : QDialog(owner) {
    setObjectName(QStringLiteral("importPreviewDialog"));
    setWindowTitle(tr("Import"));
    setModal(true);
    auto* summary = new QPlainTextEdit(this);
    summary->setObjectName(QStringLiteral("importPreviewText"));
    summary->setReadOnly(true);
    summary->setPlainText(text);
    summary->setMinimumSize(480, 160);

    auto* question = new QLabel(tr("Movies already in the catalog:"), this);
    choices_ = new QButtonGroup(this);
    const struct {
        ExistingMovies answer;
        const char* text;
        const char* name;
    } options[] = {
        {ExistingMovies::Skip, "&Skip them", "importSkip"},
        {ExistingMovies::Fill, "&Fill their empty fields", "importFill"},
        {ExistingMovies::Replace, "&Replace them with what the file gives", "importReplace"},
    };
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary);
    layout->addWidget(question);
    for (const auto& option : options) {
        auto* button = new QRadioButton(tr(option.text), this);
        button->setObjectName(QLatin1String(option.name));
        choices_->addButton(button, static_cast<int>(option.answer));
        button->setEnabled(existingCount > 0);
        layout->addWidget(button);
    }
    choices_->button(static_cast<int>(ExistingMovies::Skip))->setChecked(true);
    question->setEnabled(existingCount > 0);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("&Import"));
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("importButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

std::optional<ExistingMovies> ImportPreviewDialog::Answer() const {
    if (result() != Accepted) return std::nullopt;
    return static_cast<ExistingMovies>(choices_->checkedId());
}

ImportProgressDialog::ImportProgressDialog(QWidget* owner, std::string catalogFolder,
                                           const ImportBatch& batch, ExistingMovies existing)
    : QDialog(owner), catalogFolder_(std::move(catalogFolder)), batch_(batch), existing_(existing) {
    setObjectName(QStringLiteral("importProgressDialog"));
    setWindowTitle(tr("Importing"));
    setModal(true);
    auto* label = new QLabel(tr("Storing %n movie(s)...", nullptr, static_cast<int>(batch.movies.size())), this);
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("importProgress"));
    progress_->setRange(0, std::max(1, static_cast<int>(batch.movies.size())));
    progress_->setValue(0);
    progress_->setMinimumWidth(360);
    cancel_ = new QPushButton(tr("Cancel"), this);
    cancel_->setObjectName(QStringLiteral("importCancel"));
    connect(cancel_, &QPushButton::clicked, this, &ImportProgressDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(progress_);
    layout->addWidget(cancel_, 0, Qt::AlignRight);
}

ImportProgressDialog::~ImportProgressDialog() {
    if (worker_.joinable()) {
        cancelled_ = true;
        worker_.join();
    }
}

void ImportProgressDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous() || worker_.joinable()) return;
    worker_ = StartProgramThread([this] {
        summary_ = ApplyImport(catalogFolder_, batch_, existing_,
                               [this](std::size_t done, std::size_t total) {
                                   // A step per hundredth of the way is enough for the bar.
                                   const int step = static_cast<int>(done * 100 / std::max<std::size_t>(total, 1));
                                   if (shown_.exchange(step) != step) {
                                       QMetaObject::invokeMethod(
                                           this, [this, done, total] { OnProgress(static_cast<int>(done), static_cast<int>(total)); },
                                           Qt::QueuedConnection);
                                   }
                                   return !cancelled_.load();
                               });
        QMetaObject::invokeMethod(this, &ImportProgressDialog::OnFinished, Qt::QueuedConnection);
    });
}

void ImportProgressDialog::OnProgress(int done, int total) {
    progress_->setRange(0, std::max(1, total));
    progress_->setValue(done);
}

void ImportProgressDialog::reject() {
    // Cancel stores nothing: the worker gives the transaction up at its next movie.
    cancelled_ = true;
    cancel_->setEnabled(false);
}

void ImportProgressDialog::OnFinished() {
    if (worker_.joinable()) worker_.join();
    done(summary_.Stored() ? Accepted : Rejected);
}

}  // namespace reelkeep
