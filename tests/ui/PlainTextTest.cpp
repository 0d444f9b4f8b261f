// Text that comes from files, servers, scripts and libraries is shown as it is: boxes and
// tooltips never read a title or a path that looks like markup as markup.
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QTest>
#include <QTextDocument>

#include "GuiTestSupport.h"
#include "PaneTestSupport.h"
#include "app/MainFrame.h"
#include "maint/Settings.h"
#include "platform/Folders.h"
#include "support/TempFolder.h"
#include "ui/MovieListModel.h"
#include "ui/Prompts.h"
#include "ui/ResScheme.h"
#include "ui/SelectDialog.h"

namespace reelkeep::test {

namespace {

const QString kMarked = QStringLiteral("<b>Bold</b> & <i>Co</i>");

// What a label or tooltip shows of `text` in `format`: Qt reads automatic text that looks
// like markup as markup.
QString Shown(const QString& text, Qt::TextFormat format) {
    if (format == Qt::PlainText || (format == Qt::AutoText && !Qt::mightBeRichText(text)))
        return text;
    QTextDocument document;
    document.setHtml(text);
    return document.toPlainText();
}

QString ShownInBox(QMessageBox* box) {
    const auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    return label ? Shown(label->text(), label->textFormat()) : QString();
}

// Runs `show`, which opens a message box, and returns what the box showed.
QString BoxShows(const std::function<void()>& show) {
    QString shown;
    WhenModalShows([&](QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            shown = ShownInBox(box);
            box->close();
        }
    });
    show();
    return shown;
}

}  // namespace

class PlainTextTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() {
        CancelPendingAnswers();
        frame_.reset();
        std::remove(SettingsFilePath().c_str());
    }

    void errorBoxesAndQuestionsShowTheirTextAsItIs() {
        QWidget window;
        const QString path = "/home/<b>me</b>/Movies.db: " + kMarked;
        QCOMPARE(BoxShows([&] { ShowError(&window, path); }), path);
        QCOMPARE(BoxShows([&] { ShowError(&window, QStringLiteral("Caption"), path); }), path);
        QCOMPARE(BoxShows([&] { AskYesNo(&window, path); }), path);
    }

    void aTemplateFailureWithMarkupInItsMessageIsShownAsItIs() {
        SeedDefaultCatalog({{"Alien"}});
        TempFolder folder;
        WriteFileBytes(folder / "Bad.xsl",
                       "<?xml version='1.0'?>"
                       "<xsl:stylesheet version='1.0' "
                       "xmlns:xsl='http://www.w3.org/1999/XSL/Transform'>"
                       "<xsl:template match='/'><xsl:message terminate='yes'>"
                       "&lt;b&gt;broken&lt;/b&gt; on purpose</xsl:message></xsl:template>"
                       "</xsl:stylesheet>");
        Settings settings = LoadSettings(ProgramFolder());
        settings.view = folder / "Bad.xsl";
        QVERIFY(SaveSettings(settings));
        frame_ = OpenFrame();
        QString shown;
        WhenModalShows([&](QWidget* modal) {
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                shown = ShownInBox(box);
                box->accept();
            }
        });
        SelectRows(*frame_, {0});
        QVERIFY(WaitUntil([&] { return !shown.isEmpty(); }));
        QVERIFY2(shown.contains("<b>broken</b> on purpose"), qPrintable(shown));
    }

    void tooltipsShowTitlesAsTheyAre() {
        SeedDefaultCatalog({{kMarked.toStdString()}, {"Plain"}});
        frame_ = OpenFrame();
        for (int row = 0; row < 2; ++row) {
            const QModelIndex index = frame_->Model()->index(row, 0);
            QCOMPARE(Shown(index.data(Qt::ToolTipRole).toString(), Qt::AutoText),
                     index.data(Qt::DisplayRole).toString());
        }

        CSelectDlg select(frame_.get(), QStringLiteral("Pick"), QStringLiteral("One"),
                          {kMarked, QStringLiteral("Plain")});
        QCOMPARE(Shown(select.List()->item(0)->toolTip(), Qt::AutoText), kMarked);
        QCOMPARE(select.List()->item(1)->toolTip(), QStringLiteral("Plain"));
    }

private:
    std::unique_ptr<MainFrame> frame_;
};

}  // namespace reelkeep::test

REELKEEP_GUI_TEST_MAIN(reelkeep::test::PlainTextTest)
#include "PlainTextTest.moc"
