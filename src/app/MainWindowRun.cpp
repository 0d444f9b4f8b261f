#include "app/MainWindowRun.h"

#include <QApplication>
#include <exception>
#include <memory>

#include "app/MainFrame.h"

namespace reelkeep {

std::optional<int> RunMainWindow() {
    std::unique_ptr<MainFrame> frame;
    try {
        frame = std::make_unique<MainFrame>();
    } catch (const std::exception&) {
        return std::nullopt;
    }
    // A normal close ends the program with exit code 1.
    QObject::connect(frame.get(), &MainFrame::Closed, qApp, [] { QApplication::exit(1); });
    frame->show();
    return QApplication::exec();
}

}  // namespace reelkeep
