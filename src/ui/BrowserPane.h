// The right pane: a web view without a context menu of its own that leaves dropped files to
// the window. It empties itself, shows the help page, and runs the print and clipboard
// commands of the menus. A page's request for a new window (a link with a target of its own,
// `window.open`) opens the address in the desktop's web browser.
#pragma once

#include <QPrinter>
#include <QTimer>
#include <QUrl>
#include <QWebEngineView>

class QWebEngineLoadingInfo;
class QWebEngineNavigationRequest;
class QWebEngineNewWindowRequest;

namespace reelkeep {

class BrowserPane : public QWebEngineView {
    Q_OBJECT

public:
    enum class EditCommand { Undo, Cut, Copy, Paste };

    explicit BrowserPane(QWidget* parent = nullptr);

    void ClearView();
    void ShowHelp();
    // Shows a rendered page, served from memory in its own charset.
    void ShowPage(QByteArray bytes, const QString& mediaType, const QString& encoding);
    // A page given to ShowPage (or the empty page, or help) waits for the load under way to
    // end before it loads.
    bool PageWaiting() const;

    // The keyboard focus is in the pane or a widget inside it.
    bool HasFocusInside() const;
    bool CanRunEditCommand(EditCommand command) const;
    void RunEditCommand(EditCommand command);

    bool CanPrint() const { return !printing_; }
    void Print();
    void PrintPreview();
    void PageSetup();

protected:
    // The engine's own view widget would take dropped files and open them as pages.
    void childEvent(QChildEvent* event) override;

signals:
    // A form posted from the rendered page on show (see FormCapture).
    void FormPosted(const QByteArray& body);
    // The rendered page on show followed its link to every row (kAllRowsAddress); the pane
    // stays where it is.
    void AllRowsRequested();
    // The rendered page on show followed a link that sets the Filter (the statistics page's
    // bars and names, kFilterLinkPrefix); the pane stays where it is.
    void FilterRequested(const QString& query);

private:
    // Loads the address, one load at a time.
    void Navigate(const QUrl& address);
    void OnLoadingChanged(const QWebEngineLoadingInfo& loading);
    void OnLoadEnded();
    void OnNavigationRequested(QWebEngineNavigationRequest& request);
    void OnNewWindowRequested(QWebEngineNewWindowRequest& request);

    QPrinter printer_;
    bool printing_ = false;
    // The address of the load under way, from the engine's word that it started until its
    // word that it ended; the next address waits for that end, or for kStopWaitMs after the
    // load was stopped, in case the engine never tells.
    QUrl loadUnderWay_;
    QUrl waitingUrl_;
    QTimer loadTimeout_;
    static constexpr int kStopWaitMs = 1000;
};

}  // namespace reelkeep
