#include "PaneTestSupport.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QStringList>
#include <QTest>
#include <QTimer>

#include "GuiTestSupport.h"
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

namespace {

// The document's state, address and title, read together: separate reads could each come from
// another document while the pane moves on to the next page.
struct PaneDocument {
    bool loaded = false;  // completely loaded, and the document of the address on show
    QString title;
};

PaneDocument ReadPaneDocument(BrowserPane& pane) {
    const QStringList parts =
        RunPageScript(pane, QStringLiteral("[document.readyState, location.href, document.title]"))
            .toStringList();
    PaneDocument document;
    if (parts.size() == 3) {
        document.loaded =
            parts[0] == QLatin1String("complete") && parts[1] == pane.url().toString();
        document.title = parts[2];
    }
    return document;
}

}  // namespace

bool WaitForPaneLoad(BrowserPane& pane, int milliseconds) {
    WaitForIdle();
    return WaitUntil([&pane] { return ReadPaneDocument(pane).loaded; }, milliseconds);
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
    // The idle pass asks for the page of a new selection, which is made on a thread of its
    // own: the pane shows it when it is done.
    WaitForIdle();
    PaneDocument document;
    WaitUntil([&] {
        document = ReadPaneDocument(pane);
        return document.loaded;
    });
    return document.title;
}

}  // namespace reelkeep::test
