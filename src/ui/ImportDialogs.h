// The window's side of an import: the preview, which asks what becomes of the movies the
// catalog has already, and the progress of storing, whose Cancel stores nothing.
#pragma once

#include <QDialog>
#include <atomic>
#include <optional>
#include <thread>

#include "interop/CatalogImport.h"

class QButtonGroup;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace reelkeep {

class ImportPreviewDialog : public QDialog {
    Q_OBJECT

public:
    ImportPreviewDialog(QWidget* owner, const QString& text, std::size_t existingCount);

    // The answer when the user chose Import; nothing on Cancel.
    std::optional<ExistingMovies> Answer() const;
    QButtonGroup* Choices() const { return choices_; }

private:
    QButtonGroup* choices_;
};

// Runs the import on a thread of its own while showing how far it got.
class ImportProgressDialog : public QDialog {
    Q_OBJECT

public:
    ImportProgressDialog(QWidget* owner, std::string catalogFolder, const ImportBatch& batch,
                         ExistingMovies existing);
    ~ImportProgressDialog() override;

    const ImportSummary& Summary() const { return summary_; }
    QProgressBar* Progress() const { return progress_; }
    QPushButton* CancelButton() const { return cancel_; }

    // Escape and the close box cancel as the button does.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OnProgress(int done, int total);
    void OnFinished();

    std::string catalogFolder_;
    const ImportBatch& batch_;
    ExistingMovies existing_;
    ImportSummary summary_;
    QProgressBar* progress_;
    QPushButton* cancel_;
    std::thread worker_;
    std::atomic<bool> cancelled_{false};
    std::atomic<int> shown_{-1};  // the last step handed to the bar, so that it is not flooded
};

}  // namespace reelkeep
