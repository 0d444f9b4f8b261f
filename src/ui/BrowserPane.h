// The right pane: a web view without a context menu of its own that leaves dropped files to
// the window. It empties itself, shows the help page, and runs the print and clipboard
// commands of the menus. A page's request for a new window (a link with a target of its own,
// `window.open`) opens the address in the desktop's web browser.
#pragma once

#include <QPrinter>
#include <QWebEngineView>

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

private:
    void OnNewWindowRequested(QWebEngineNewWindowRequest& request);

    QPrinter printer_;
    bool printing_ = false;
};

}  // namespace reelkeep
