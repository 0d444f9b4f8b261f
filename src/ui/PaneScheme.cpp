#include "ui/PaneScheme.h"

#include <QBuffer>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>

namespace reelkeep {

namespace {

const QByteArray kScheme = QByteArrayLiteral("rkpage");

class PaneSchemeHandler : public QWebEngineUrlSchemeHandler {
public:
    explicit PaneSchemeHandler(QObject* parent) : QWebEngineUrlSchemeHandler(parent) {}

    void requestStarted(QWebEngineUrlRequestJob* job) override {
        const PanePages::Page& page = pages.Current();
        // Only the page on show is served; an older address is gone.
        if (job->requestUrl() != page.url) {
            job->fail(QWebEngineUrlRequestJob::UrlNotFound);
            return;
        }
        auto* body = new QBuffer(job);
        body->setData(page.bytes);
        body->open(QIODevice::ReadOnly);
        job->reply(page.contentType, body);
    }

    PanePages pages;
};

}  // namespace

void RegisterLocalScheme(const QByteArray& name) {
    if (QWebEngineUrlScheme::schemeByName(name).name() == name)
        return;
    QWebEngineUrlScheme scheme(name);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
    scheme.setFlags(QWebEngineUrlScheme::LocalScheme | QWebEngineUrlScheme::LocalAccessAllowed);
    QWebEngineUrlScheme::registerScheme(scheme);
}

void RegisterPaneScheme() { RegisterLocalScheme(kScheme); }

PanePages& PanePages::Of(QWebEngineProfile* profile) {
    auto* handler = dynamic_cast<PaneSchemeHandler*>(
        const_cast<QWebEngineUrlSchemeHandler*>(profile->urlSchemeHandler(kScheme)));
    if (!handler) {
        handler = new PaneSchemeHandler(profile);
        profile->installUrlSchemeHandler(kScheme, handler);
    }
    return handler->pages;
}

QUrl PanePages::Publish(QByteArray bytes, const QString& mediaType, const QString& encoding) {
    page_.url = QUrl(QStringLiteral("%1:/%2").arg(QLatin1String(kScheme)).arg(++serial_));
    page_.bytes = std::move(bytes);
    page_.contentType = mediaType.toLatin1();
    if (page_.contentType.isEmpty())
        page_.contentType = QByteArrayLiteral("text/html");
    if (!encoding.isEmpty())
        page_.contentType += QByteArrayLiteral(";charset=") + encoding.toLatin1();
    return page_.url;
}

bool PanePages::IsPaneUrl(const QUrl& url) {
    return url.scheme() == QLatin1String(kScheme);
}

}  // namespace reelkeep
