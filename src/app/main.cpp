// Reelkeep: the catalog of a private movie collection.
#include <QApplication>
#include <exception>
#include <memory>

#include "app/MainFrame.h"
#include "maint/ProcessEntry.h"
#include "ui/Prompts.h"
#include "ui/ResScheme.h"

int main(int argc, char* argv[]) {
    reelkeep::RegisterResScheme();  // web engine schemes must exist before the application
    QApplication::setAttribute(Qt::AA_ShareOpenGLContexts);  // the web engine asks for it

    // The application object is made only once a window is due: a second copy ends before.
    std::unique_ptr<QApplication> app;
    const auto application = [&] {
        if (!app) {
            app = std::make_unique<QApplication>(argc, argv);
            QApplication::setApplicationName(QStringLiteral("Reelkeep"));
            QApplication::setOrganizationName(QStringLiteral("Tarvenn"));
            QApplication::setQuitOnLastWindowClosed(false);
        }
    };

    reelkeep::EntryHooks hooks;
    hooks.run = [&]() -> std::optional<int> {
        application();
        std::unique_ptr<reelkeep::MainFrame> frame;
        try {
            frame = std::make_unique<reelkeep::MainFrame>();
        } catch (const std::exception&) {
            return std::nullopt;
        }
        // A normal close ends the program with exit code 1.
        QObject::connect(frame.get(), &reelkeep::MainFrame::Closed, app.get(),
                         [] { QApplication::exit(1); });
        frame->show();
        return QApplication::exec();
    };
    hooks.showCrashMessage = [&](const std::string& caption, const std::string& text) {
        application();
        reelkeep::ShowCrashMessage(caption, text);
    };
    return reelkeep::RunEntry(reelkeep::CommandLineOf(argc, argv), hooks);
}
