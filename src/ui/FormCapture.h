// Takes the forms posted from the pane's rendered pages before they navigate: a hook in the
// page's isolated world cancels the submission and hands its body over a web channel that
// the page's own scripts cannot reach.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QUrl>

class QWebEnginePage;
class QWebChannel;

namespace reelkeep {

// The one object the hook sees.
class FormBridge : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    Q_INVOKABLE void submit(const QString& document, const QString& action,
                            const QString& contentType, const QString& body);

signals:
    void Posted(const QUrl& document, const QByteArray& body);
};

class FormCapture : public QObject {
    Q_OBJECT

public:
    // Installs the hook on every page that the page object will load.
    explicit FormCapture(QWebEnginePage* page);

signals:
    // A POST from the rendered page on show: the body as a browser would have sent it.
    void FormPosted(const QByteArray& body);

private:
    void OnPosted(const QUrl& document, const QByteArray& body);

    QWebEnginePage* page_;
    QWebChannel* channel_;
    FormBridge* bridge_;
};

}  // namespace reelkeep
