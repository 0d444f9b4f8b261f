// Drives modal dialogs step by step from a timer that keeps running inside their own event
// loops: each step is retried until it reports done, then the next one begins.
#pragma once

#include <QApplication>
#include <QDeadlineTimer>
#include <QAbstractButton>
#include <QMessageBox>
#include <QTimer>
#include <functional>
#include <vector>

namespace reelkeep::test {

inline QMessageBox* ActiveBox() {
    return qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
}

class ScriptedSteps {
public:
    explicit ScriptedSteps(int timeoutMs = 30000) : deadline_(timeoutMs) {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
        timer_.start();
    }

    void Add(std::function<bool()> step) { steps_.push_back(std::move(step)); }
    // A step that waits for a message box, lets `look` read it, then presses `button`.
    void AnswerBox(QMessageBox::StandardButton button,
                   std::function<void(QMessageBox*)> look = {}) {
        Add([button, look] {
            QMessageBox* box = ActiveBox();
            if (!box)
                return false;
            if (look)
                look(box);
            box->button(button)->click();
            return true;
        });
    }
    bool Finished() const { return next_ == steps_.size(); }
    // Runs the event loop until every step is done or the time is up.
    bool WaitUntilFinished() {
        while (!Finished() && !deadline_.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        return Finished();
    }

private:
    void Tick() {
        if (busy_ || Finished())
            return;
        if (deadline_.hasExpired()) {
            // Unblock whatever waits so that the test can fail instead of hanging.
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
            return;
        }
        busy_ = true;  // a step may open its own event loop
        if (steps_[next_]())
            ++next_;
        busy_ = false;
    }

    std::vector<std::function<bool()>> steps_;
    std::size_t next_ = 0;
    bool busy_ = false;
    QDeadlineTimer deadline_;
    QTimer timer_;
};

}  // namespace reelkeep::test
