#include "ui/PreferencesDialog.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/ScreenText.h"
#include "ui/TemplatePicker.h"

namespace reelkeep {

// Digits only, with arrows that step within 0..kTimeoutArrowLimit; typing may go beyond.
class TimeoutEdit : public QAbstractSpinBox {
public:
    explicit TimeoutEdit(QWidget* parent) : QAbstractSpinBox(parent) {
        setObjectName(QStringLiteral("timeoutEdit"));
        setButtonSymbols(QAbstractSpinBox::UpDownArrows);
        setAccelerated(true);
    }

    QLineEdit* Edit() const { return lineEdit(); }

    // The edit's number; nothing when it holds none.
    std::optional<std::uint32_t> Number() const {
        bool ok = false;
        const uint value = text().toUInt(&ok);
        if (!ok)
            return std::nullopt;
        return static_cast<std::uint32_t>(value);
    }

    void stepBy(int steps) override {
        const qint64 current = Number().value_or(0);
        const qint64 next =
            std::clamp<qint64>(current + steps, 0, PreferencesDialog::kTimeoutArrowLimit);
        lineEdit()->setText(QString::number(next));
    }

protected:
    QValidator::State validate(QString& input, int& /*pos*/) const override {
        for (const QChar c : input) {
            if (!c.isDigit() || c.unicode() > 127)
                return QValidator::Invalid;
        }
        return input.isEmpty() ? QValidator::Intermediate : QValidator::Acceptable;
    }

    StepEnabled stepEnabled() const override {
        const qint64 current = Number().value_or(0);
        StepEnabled enabled = StepNone;
        if (current > 0)
            enabled |= StepDownEnabled;
        if (current < PreferencesDialog::kTimeoutArrowLimit)
            enabled |= StepUpEnabled;
        return enabled;
    }
};

PreferencesDialog::PreferencesDialog(QWidget* parent, Settings& settings)
    : QDialog(parent), settings_(settings) {
    setObjectName(QStringLiteral("preferencesDialog"));
    setWindowTitle(tr("Preferences"));
    pages_ = new QTabWidget(this);
    pages_->setObjectName(QStringLiteral("preferencesPages"));
    pages_->addTab(CreateDisplayPage(), tr("Display"));
    pages_->addTab(CreateAdvancedPage(), tr("Advanced"));
    buttons_ = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this);
    buttons_->button(QDialogButtonBox::Apply)->setEnabled(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages_);
    layout->addWidget(buttons_);

    connect(buttons_, &QDialogButtonBox::accepted, this, &PreferencesDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &PreferencesDialog::reject);
    connect(buttons_->button(QDialogButtonBox::Apply), &QPushButton::clicked, this, [this] {
        if (Apply())
            buttons_->button(QDialogButtonBox::Apply)->setEnabled(false);
    });
    connect(pages_, &QTabWidget::currentChanged, this, &PreferencesDialog::ShowPage);
    ShowPage(0);
}

QWidget* PreferencesDialog::CreateDisplayPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("displayPage"));
    auto* group = new QGroupBox(tr("Templates"), page);
    auto* grid = new QGridLayout(group);
    AddTemplateRow(grid, 0, tr("View Template:"), "viewTemplate", view_, &Settings::view);
    AddTemplateRow(grid, 1, tr("Edit Template:"), "editTemplate", edit_, &Settings::edit);
    AddTemplateRow(grid, 2, tr("Multiple Selection Template:"), "multipleTemplate", multiple_,
                   &Settings::multiple);
    grid->setColumnStretch(1, 1);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(group);
    layout->addStretch();
    return page;
}

void PreferencesDialog::AddTemplateRow(QGridLayout* grid, int row, const QString& label,
                                       const char* name, QLineEdit*& edit,
                                       std::string Settings::*setting) {
    auto* caption = new QLabel(label);
    edit = new QLineEdit;
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMinimumWidth(300);
    caption->setBuddy(edit);
    auto* browse = new QPushButton(QStringLiteral("..."));
    browse->setObjectName(QString::fromLatin1(name) + QStringLiteral("Browse"));
    browse->setAutoDefault(false);
    browse->setMaximumWidth(32);
    grid->addWidget(caption, row, 0);
    grid->addWidget(edit, row, 1);
    grid->addWidget(browse, row, 2);
    connect(edit, &QLineEdit::textChanged, this, &PreferencesDialog::MarkChanged);
    QLineEdit* target = edit;
    // The picker opens on the path in force, not on what may have been typed since.
    connect(browse, &QPushButton::clicked, this, [this, target, setting] {
        if (const auto chosen = ChooseTemplateFile(this, ScreenText(settings_.*setting)))
            target->setText(*chosen);
    });
}

QWidget* PreferencesDialog::CreateAdvancedPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("advancedPage"));
    auto* updateGroup = new QGroupBox(tr("Automatic Update"), page);
    autoUpdate_ = new QCheckBox(tr("Enable Automatic Updates"), updateGroup);
    autoUpdate_->setObjectName(QStringLiteral("autoUpdate"));
    auto* updateLayout = new QVBoxLayout(updateGroup);
    updateLayout->addWidget(autoUpdate_);

    auto* timeoutGroup = new QGroupBox(tr("Internet Timeout"), page);
    timeout_ = new TimeoutEdit(timeoutGroup);
    timeout_->setMinimumWidth(120);
    auto* timeoutLayout = new QHBoxLayout(timeoutGroup);
    timeoutLayout->addWidget(timeout_);
    timeoutLayout->addWidget(new QLabel(tr("milliseconds"), timeoutGroup));
    timeoutLayout->addStretch();

    connect(autoUpdate_, &QCheckBox::clicked, this, &PreferencesDialog::MarkChanged);
    connect(timeout_->Edit(), &QLineEdit::textChanged, this, &PreferencesDialog::MarkChanged);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(updateGroup);
    layout->addWidget(timeoutGroup);
    layout->addStretch();
    return page;
}

void PreferencesDialog::ShowPage(int index) {
    if (index < 0 || index > 1 || shown_[index])
        return;
    shown_[index] = true;
    filling_ = true;
    if (index == 0) {
        view_->setText(ScreenText(settings_.view));
        edit_->setText(ScreenText(settings_.edit));
        multiple_->setText(ScreenText(settings_.multiple));
    } else {
        if (settings_.autoUpdate > 2)
            settings_.autoUpdate = 0;
        autoUpdate_->setChecked(settings_.autoUpdate != 0);
        timeout_->Edit()->setText(QString::number(settings_.timeout));
    }
    filling_ = false;
}

void PreferencesDialog::MarkChanged() {
    if (!filling_)
        buttons_->button(QDialogButtonBox::Apply)->setEnabled(true);
}

bool PreferencesDialog::Apply() {
    if (shown_[1]) {
        const std::optional<std::uint32_t> timeout = timeout_->Number();
        if (!timeout) {
            QApplication::beep();
            pages_->setCurrentIndex(1);
            timeout_->setFocus();
            return false;
        }
        settings_.autoUpdate = autoUpdate_->isChecked() ? 1 : 0;
        settings_.timeout = *timeout;
    }
    if (shown_[0]) {
        settings_.view = StoredText(view_->text());
        settings_.edit = StoredText(edit_->text());
        settings_.multiple = StoredText(multiple_->text());
    }
    applied_ = true;
    return true;
}

void PreferencesDialog::accept() {
    if (Apply())
        QDialog::accept();
}

}  // namespace reelkeep
