// Reelkeep: the catalog of a private movie collection.
#include <QApplication>
#include <memory>

#include "app/MainWindowRun.h"
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
        return reelkeep::RunMainWindow();
    };
    hooks.showCrashMessage = [&](const std::string& caption, const std::string& text) {
        application();
        reelkeep::ShowCrashMessage(caption, text);
    };
    return reelkeep::RunEntry(reelkeep::CommandLineOf(argc, argv), hooks);
}
