// The progress dialog of a script run, and the window side of the run: the movies of the run
// in a list with their state, a progress bar fed by the transfers, and the dialogs of `user`.
// The run itself happens on a worker thread that reaches the widgets only through blocking
// calls served by this dialog's modal loop. Escape or the close box ask to cancel.
#pragma once

#include <QDialog>
#include <QIcon>
#include <atomic>
#include <thread>
#include <vector>

#include "script/ScriptRunHost.h"
#include "script/ScriptRunner.h"

class QListWidget;
class QProgressBar;

namespace reelkeep {

struct ScriptRunSetup {
    QString name;                        // the caption
    std::vector<ScriptRunMovie> movies;  // in run order
    std::string scriptText;
    std::string includeText;
    std::string catalogFile;
    std::string catalogFolder;  // downloads land here
    std::uint32_t timeout = 0;  // milliseconds, 0 for the library's own
};

class CScriptRunDlg : public QDialog, public ScriptRunHost {
    Q_OBJECT

public:
    static constexpr int kObjectIdRole = Qt::UserRole;
    static constexpr int kStateRole = Qt::UserRole + 1;

    CScriptRunDlg(QWidget* owner, ScriptRunSetup setup);
    ~CScriptRunDlg() override;

    QListWidget* List() const { return list_; }
    QProgressBar* Progress() const { return progress_; }
    // The worker's result once the run is over: 1 when the loop ended, 0 after a database error.
    int WorkerResult() const { return workerResult_; }

    // Asks "Cancel script?"; Yes cancels the run's transfers. The dialog itself stays.
    void reject() override;

    // ScriptRunHost, called on the worker thread.
    void SetRange(std::uint32_t high) override;
    void SetPosition(std::uint32_t position) override;
    void SetItemState(std::size_t item, ItemState state) override;
    void MovieStored(std::size_t item, const std::string& title, bool watched) override;
    int MessageBox(const std::string& text, const std::string& caption,
                   std::uint32_t style) override;
    bool Input(std::string& value, const std::string& title, const std::string& label,
               bool allowEmpty) override;
    int Select(const StringArray& items, const std::string& title,
               const std::string& label) override;

signals:
    // On the user-interface thread, for the main list.
    void MovieProcessing(ObjectId oid);
    void MovieUpdated(ObjectId oid, const QString& title, bool watched);

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Runs `work` on the user-interface thread and waits for it.
    template <typename Work>
    void OnUiThread(Work work);
    void StartWorker();
    void OnWorkerDone();

    ScriptRunSetup setup_;
    ScriptRun run_;
    ScriptRunner runner_;
    QListWidget* list_;
    QProgressBar* progress_;
    QIcon states_[3];
    std::thread worker_;
    std::atomic<int> workerResult_ = 1;
};

}  // namespace reelkeep
