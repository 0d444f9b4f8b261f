#include "PaneTestSupport.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTest>
#include <QTimer>

#include "ui/BrowserPane.h"

namespace reelkeep::test {

bool WaitUntil(const std::function<bool()>& condition, int milliseconds) {
    const QDeadlineTimer deadline(milliseconds);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(10);
    }
    return true;
}

bool WaitForPaneLoad(BrowserPane& pane, int milliseconds) {
    // The page is done when its document reports so for the address on show.
    return WaitUntil(
        [&pane] {
            return RunPageScript(pane, QStringLiteral("document.readyState")).toString() ==
                       QLatin1String("complete") &&
                   RunPageScript(pane, QStringLiteral("location.href")).toString() ==
                       pane.url().toString();
        },
        milliseconds);
}

QVariant RunPageScript(BrowserPane& pane, const QString& script) {
    QVariant result;
    bool done = false;
    QEventLoop loop;
    pane.page()->runJavaScript(script, [&](const QVariant& value) {
        result = value;
        done = true;
        loop.quit();
    });
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    if (!done)
        loop.exec();
    return result;
}

QString PageTitle(BrowserPane& pane) {
    WaitForPaneLoad(pane);
    return RunPageScript(pane, QStringLiteral("document.title")).toString();
}

}  // namespace reelkeep::test
