#include "ui/WaitCursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace reelkeep {

WaitCursor::WaitCursor() {
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

WaitCursor::~WaitCursor() {
    QGuiApplication::restoreOverrideCursor();
}

}  // namespace reelkeep
