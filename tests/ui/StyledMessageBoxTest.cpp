// The message boxes of `user.alert` and the run: buttons, icon, default button and Escape
// taken from a style value.
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "GuiTestSupport.h"
#include "ScriptedSteps.h"
#include "app/MainFrame.h"
#include "platform/MessageBoxStyle.h"
#include "ui/ResScheme.h"
#include "ui/StyledMessageBox.h"

namespace reelkeep::test {

class StyledMessageBoxTest : public QObject {
    Q_OBJECT

private slots:
    void init() { frame_ = OpenFrame(); }
    void cleanup() { frame_.reset(); }

    void styledBoxesTakeButtonsIconAndDefaultFromTheStyle() {
        struct Case {
            std::uint32_t style;
            QMessageBox::StandardButtons buttons;
            QMessageBox::StandardButton defaultButton;
            QMessageBox::Icon icon;
            bool escape;  // answer with Escape, else click `click`
            QMessageBox::StandardButton click;
            int expected;
        };
        const Case cases[] = {
            {0, QMessageBox::Ok, QMessageBox::Ok, QMessageBox::NoIcon, true, {}, IDOK},
            {0x133,
             QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
             QMessageBox::No,
             QMessageBox::Warning,
             true,
             {},
             IDCANCEL},
            {0x212, QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore,
             QMessageBox::Ignore, QMessageBox::Critical, false, QMessageBox::Retry, IDRETRY},
            {0x44, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, QMessageBox::Information,
             false, QMessageBox::Yes, IDYES},
        };
        for (const Case& expected : cases) {
            QMessageBox::StandardButtons buttons;
            QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
            QMessageBox::Icon icon = QMessageBox::NoIcon;
            bool stayedOnEscape = false;
            ScriptedSteps steps;
            steps.Add([&] {
                QMessageBox* box = ActiveBox();
                if (!box)
                    return false;
                buttons = box->standardButtons();
                defaultButton = box->standardButton(box->defaultButton());
                icon = box->icon();
                QTest::keyClick(box, Qt::Key_Escape);
                stayedOnEscape = box->isVisible();
                if (!expected.escape)
                    box->button(expected.click)->click();
                return true;
            });
            const int result =
                ShowStyledMessageBox(frame_.get(), "text", "caption", expected.style);
            QVERIFY(steps.Finished());
            QCOMPARE(buttons, expected.buttons);
            QCOMPARE(defaultButton, expected.defaultButton);
            QCOMPARE(icon, expected.icon);
            QCOMPARE(stayedOnEscape, !expected.escape);
            QCOMPARE(result, expected.expected);
        }
    }

private:
    std::unique_ptr<MainFrame> frame_;
};

}  // namespace reelkeep::test

REELKEEP_GUI_TEST_MAIN(reelkeep::test::StyledMessageBoxTest)
#include "StyledMessageBoxTest.moc"
