// "Preferences": the pages "Display" (the three templates) and "Advanced" (automatic update,
// the scripts' internet time-out) over the frame's settings. OK and Apply store what the
// shown pages hold; nothing is written to disk here.
#pragma once

#include <QDialog>

#include "maint/Settings.h"

class QCheckBox;
class QDialogButtonBox;
class QGridLayout;
class QLineEdit;
class QTabWidget;

namespace reelkeep {

class TimeoutEdit;

class PreferencesDialog : public QDialog {
    Q_OBJECT

public:
    PreferencesDialog(QWidget* parent, Settings& settings);

    QTabWidget* Pages() const { return pages_; }
    QDialogButtonBox* Buttons() const { return buttons_; }
    void accept() override;
    // Apply stored the pages at least once, whatever button closes the sheet afterwards.
    bool Applied() const { return applied_; }

    // Largest value the arrows reach; a typed value may be larger.
    static constexpr int kTimeoutArrowLimit = 300000;

private:
    QWidget* CreateDisplayPage();
    QWidget* CreateAdvancedPage();
    void AddTemplateRow(QGridLayout* grid, int row, const QString& label, const char* name,
                        QLineEdit*& edit, std::string Settings::*setting);
    void ShowPage(int index);
    void MarkChanged();
    // Stores the shown pages; false (with the focus on the culprit) when one cannot be stored.
    bool Apply();

    Settings& settings_;
    QTabWidget* pages_;
    QDialogButtonBox* buttons_;
    QLineEdit* view_ = nullptr;
    QLineEdit* edit_ = nullptr;
    QLineEdit* multiple_ = nullptr;
    QCheckBox* autoUpdate_ = nullptr;
    TimeoutEdit* timeout_ = nullptr;
    bool shown_[2] = {false, false};
    bool filling_ = false;
    bool applied_ = false;
};

}  // namespace reelkeep
