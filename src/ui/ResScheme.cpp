#include "ui/ResScheme.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlSchemeHandler>

#include "ui/PaneScheme.h"

namespace reelkeep {

namespace {

const QByteArray kScheme = QByteArrayLiteral("res");

QString ProgramFile() {
    return QCoreApplication::applicationFilePath();
}

class ResSchemeHandler : public QWebEngineUrlSchemeHandler {
public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;

    void requestStarted(QWebEngineUrlRequestJob* job) override {
        const QString path = job->requestUrl().path(QUrl::FullyDecoded);
        const QString help = ProgramFile() + QLatin1Char('/') + QString::number(kHelpResource);
        if (path != help) {
            job->fail(QWebEngineUrlRequestJob::UrlNotFound);
            return;
        }
        QFile page(QStringLiteral(":/help/Help.html"));
        if (!page.open(QIODevice::ReadOnly)) {
            job->fail(QWebEngineUrlRequestJob::RequestFailed);
            return;
        }
        auto* body = new QBuffer(job);
        body->setData(page.readAll());
        body->open(QIODevice::ReadOnly);
        job->reply(QByteArrayLiteral("text/html"), body);
    }
};

}  // namespace

void RegisterResScheme() {
    RegisterPaneScheme();  // the pane's pages are served the same way
    RegisterLocalScheme(kScheme);
}

void InstallResSchemeHandler(QWebEngineProfile* profile) {
    if (profile->urlSchemeHandler(kScheme))
        return;
    profile->installUrlSchemeHandler(kScheme, new ResSchemeHandler(profile));
}

QUrl ResourceUrl(int resource) {
    // Set as a path, so that a program file whose name holds "#" or "?" stays one address.
    QUrl url(QStringLiteral("res://"));
    url.setPath(ProgramFile() + QLatin1Char('/') + QString::number(resource), QUrl::DecodedMode);
    return url;
}

}  // namespace reelkeep
