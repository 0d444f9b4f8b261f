// The right pane: a web view without a context menu of its own that leaves dropped files to
// the window. It empties itself, shows the help page, and runs the print and clipboard
// commands of the menus.
#pragma once

#include <QPrinter>
#include <QWebEngineView>

namespace reelkeep {

class BrowserPane : public QWebEngineView {
    Q_OBJECT

public:
    enum class EditCommand { Undo, Cut, Copy, Paste };

    explicit BrowserPane(QWidget* parent = nullptr);

    void ClearView();
    void ShowHelp();

    // The keyboard focus is in the pane or a widget inside it.
    bool HasFocusInside() const;
    bool CanRunEditCommand(EditCommand command) const;
    void RunEditCommand(EditCommand command);

    bool CanPrint() const { return !printing_; }
    void Print();
    void PrintPreview();
    void PageSetup();

private:
    QPrinter printer_;
    bool printing_ = false;
};

}  // namespace reelkeep
