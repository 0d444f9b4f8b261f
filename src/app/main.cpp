// Reelkeep: the catalog of a private movie collection.
#include <QApplication>

#include "app/MainFrame.h"
#include "ui/ResScheme.h"

int main(int argc, char* argv[]) {
    // The single-instance lock and the crash record of the maintenance core plug in here,
    // before anything else and around the window.
    reelkeep::RegisterResScheme();  // web engine schemes must exist before the application
    QApplication::setAttribute(Qt::AA_ShareOpenGLContexts);  // the web engine asks for it
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Reelkeep"));
    QApplication::setOrganizationName(QStringLiteral("Tarvenn"));
    QApplication::setQuitOnLastWindowClosed(false);

    reelkeep::MainFrame frame;
    // A normal close ends the program with exit code 1.
    QObject::connect(&frame, &reelkeep::MainFrame::Closed, &app, [] { QApplication::exit(1); });
    frame.show();
    return QApplication::exec();
}
