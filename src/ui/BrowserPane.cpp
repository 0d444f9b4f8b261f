#include "ui/BrowserPane.h"

#include <QApplication>
#include <QChildEvent>
#include <QDesktopServices>
#include <QEventLoop>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QWebEngineLoadingInfo>
#include <QWebEngineNavigationRequest>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <utility>

#include "present/StatisticsPage.h"
#include "present/TemplateTransform.h"
#include "ui/FormCapture.h"
#include "ui/PaneScheme.h"
#include "ui/ResScheme.h"

namespace reelkeep {

namespace {

QWebEnginePage::WebAction ActionOf(BrowserPane::EditCommand command) {
    switch (command) {
        case BrowserPane::EditCommand::Undo:
            return QWebEnginePage::Undo;
        case BrowserPane::EditCommand::Cut:
            return QWebEnginePage::Cut;
        case BrowserPane::EditCommand::Copy:
            return QWebEnginePage::Copy;
        case BrowserPane::EditCommand::Paste:
            return QWebEnginePage::Paste;
    }
    return QWebEnginePage::NoWebAction;
}

// Addresses that the desktop's browser or mail program takes. Others (a local file, our own
// schemes) could start any program with any file, so a page cannot hand them on.
bool OpensInTheDesktopBrowser(const QUrl& url) {
    static const QStringList schemes = {QStringLiteral("http"), QStringLiteral("https"),
                                        QStringLiteral("ftp"), QStringLiteral("mailto")};
    return url.isValid() && schemes.contains(url.scheme().toLower());
}

}  // namespace

BrowserPane::BrowserPane(QWidget* parent) : QWebEngineView(parent) {
    setObjectName(QStringLiteral("browserPane"));
    setContextMenuPolicy(Qt::NoContextMenu);
    setAcceptDrops(false);
    InstallResSchemeHandler(page()->profile());
    auto* capture = new FormCapture(page());
    connect(capture, &FormCapture::FormPosted, this, &BrowserPane::FormPosted);
    connect(page(), &QWebEnginePage::newWindowRequested, this,
            &BrowserPane::OnNewWindowRequested);
    connect(page(), &QWebEnginePage::navigationRequested, this,
            &BrowserPane::OnNavigationRequested);
    connect(page(), &QWebEnginePage::loadingChanged, this, &BrowserPane::OnLoadingChanged);
    loadTimeout_.setSingleShot(true);
    loadTimeout_.setInterval(kStopWaitMs);
    connect(&loadTimeout_, &QTimer::timeout, this, &BrowserPane::OnLoadEnded);
    ClearView();
}

void BrowserPane::OnLoadingChanged(const QWebEngineLoadingInfo& loading) {
    if (loading.status() == QWebEngineLoadingInfo::LoadStartedStatus) {
        loadUnderWay_ = loading.url();  // ours, or a link the user followed
        return;
    }
    if (loading.url() == loadUnderWay_)
        OnLoadEnded();
}

void BrowserPane::OnLoadEnded() {
    loadTimeout_.stop();
    loadUnderWay_.clear();
    if (!waitingUrl_.isEmpty())
        Navigate(std::exchange(waitingUrl_, QUrl()));
}

void BrowserPane::Navigate(const QUrl& address) {
    // An address given while a load is under way can be undone when that load commits: the
    // load is stopped, and the address follows once it has ended. One given before the
    // engine has started the last one simply replaces it.
    if (!loadUnderWay_.isEmpty()) {
        waitingUrl_ = address;
        stop();
        loadTimeout_.start();
        return;
    }
    setUrl(address);
}

bool BrowserPane::PageWaiting() const {
    return !waitingUrl_.isEmpty();
}

void BrowserPane::childEvent(QChildEvent* event) {
    QWebEngineView::childEvent(event);
    if ((event->added() || event->polished()) && event->child()->isWidgetType())
        static_cast<QWidget*>(event->child())->setAcceptDrops(false);
}

void BrowserPane::ShowPage(QByteArray bytes, const QString& mediaType, const QString& encoding) {
    Navigate(PanePages::Of(page()->profile()).Publish(std::move(bytes), mediaType, encoding));
}

void BrowserPane::OnNavigationRequested(QWebEngineNavigationRequest& request) {
    // The rendered page's links to every row and to a slice of the catalog are answered here;
    // the pane stays where it is.
    const std::optional<std::string> filter =
        FilterOfLink(request.url().toString(QUrl::FullyEncoded).toStdString());
    if (request.url() != QUrl(QString::fromLatin1(kAllRowsAddress)) && !filter)
        return;
    request.reject();
    if (!request.isMainFrame() || !PanePages::IsPaneUrl(url()))
        return;
    if (filter)
        emit FilterRequested(QString::fromStdString(*filter));
    else
        emit AllRowsRequested();
}

void BrowserPane::OnNewWindowRequested(QWebEngineNewWindowRequest& request) {
    // Only what the user asked for with a click or a key: a page that opens windows by
    // itself would start the browser at every refresh. The pane itself stays where it is.
    if (request.isUserInitiated() && OpensInTheDesktopBrowser(request.requestedUrl()))
        QDesktopServices::openUrl(request.requestedUrl());
}

void BrowserPane::ClearView() {
    const QUrl blank(QStringLiteral("about:blank"));
    if (url() == blank && loadUnderWay_.isEmpty()) {
        waitingUrl_.clear();
        return;
    }
    Navigate(blank);
}

void BrowserPane::ShowHelp() {
    Navigate(ResourceUrl(kHelpResource));
}

bool BrowserPane::HasFocusInside() const {
    const QWidget* focus = QApplication::focusWidget();
    return focus && (focus == this || isAncestorOf(focus));
}

bool BrowserPane::CanRunEditCommand(EditCommand command) const {
    const QAction* action = page()->action(ActionOf(command));
    return HasFocusInside() && action && action->isEnabled();
}

void BrowserPane::RunEditCommand(EditCommand command) {
    page()->triggerAction(ActionOf(command));
}

void BrowserPane::Print() {
    if (printing_)
        return;
    QPrintDialog dialog(&printer_, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    printing_ = true;
    connect(
        this, &QWebEngineView::printFinished, this, [this] { printing_ = false; },
        Qt::SingleShotConnection);
    print(&printer_);
}

void BrowserPane::PrintPreview() {
    if (printing_)
        return;
    QPrintPreviewDialog preview(&printer_, this);
    // The view prints asynchronously; the preview wants its pages when the request returns.
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* printer) {
        QEventLoop loop;
        connect(this, &QWebEngineView::printFinished, &loop, &QEventLoop::quit);
        connect(page(), &QWebEnginePage::renderProcessTerminated, &loop, &QEventLoop::quit);
        printing_ = true;
        print(printer);
        loop.exec();
        printing_ = false;
    });
    preview.exec();
}

void BrowserPane::PageSetup() {
    QPageSetupDialog dialog(&printer_, this);
    dialog.exec();
}

}  // namespace reelkeep
