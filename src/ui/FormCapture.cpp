#include "ui/FormCapture.h"

#include <QFile>
#include <QWebChannel>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

#include "ui/PaneScheme.h"

namespace reelkeep {

namespace {

QString ReadResource(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QWebEngineScript MakeScript(const QString& name, const QString& source, quint32 world) {
    QWebEngineScript script;
    script.setName(name);
    script.setSourceCode(source);
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(world);
    script.setRunsOnSubFrames(false);
    return script;
}

}  // namespace

void FormBridge::submit(const QString& document, const QString& /*action*/,
                        const QString& /*contentType*/, const QString& body) {
    // Whatever the action named, the body goes to the catalog, never to that address.
    emit Posted(QUrl(document), body.toUtf8());
}

FormCapture::FormCapture(QWebEnginePage* page)
    : QObject(page), page_(page), channel_(new QWebChannel(this)), bridge_(new FormBridge(this)) {
    channel_->registerObject(QStringLiteral("formBridge"), bridge_);
    page_->setWebChannel(channel_, QWebEngineScript::ApplicationWorld);
    const QString hook = ReadResource(QStringLiteral(":/qtwebchannel/qwebchannel.js")) +
                         QLatin1Char('\n') + ReadResource(QStringLiteral(":/pane/FormHook.js"));
    page_->scripts().insert(
        MakeScript(QStringLiteral("reelkeep-form-hook"), hook, QWebEngineScript::ApplicationWorld));
    page_->scripts().insert(MakeScript(QStringLiteral("reelkeep-submit-shim"),
                                       ReadResource(QStringLiteral(":/pane/SubmitShim.js")),
                                       QWebEngineScript::MainWorld));
    connect(bridge_, &FormBridge::Posted, this, &FormCapture::OnPosted);
}

void FormCapture::OnPosted(const QUrl& document, const QByteArray& body) {
    // Only the rendered page on show may write into the catalog.
    if (!PanePages::IsPaneUrl(document) || document != page_->url())
        return;
    emit FormPosted(body);
}

}  // namespace reelkeep
