// The window process under a locale whose decimal separator is a comma (ctest runs this program
// with LC_ALL=de_DE.UTF-8): numbers still turn into text and back in their "C" form in scripts,
// in the pages of the templates and in the settings.
#include <QApplication>
#include <QMenu>
#include <QTest>
#include <clocale>
#include <cstdio>
#include <fstream>

#include "GuiTestSupport.h"
#include "PaneTestSupport.h"
#include "app/MainFrame.h"
#include "catalog/CatalogPaths.h"
#include "maint/Settings.h"
#include "platform/Folders.h"
#include "support/TempFolder.h"
#include "ui/BrowserPane.h"
#include "ui/ResScheme.h"

namespace reelkeep::test {

namespace {

}  // namespace

class CommaLocaleTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        // The application took the locale of the environment; it must be one with a comma.
        char text[16];
        std::snprintf(text, sizeof text, "%g", 2.5);
        QVERIFY2(QByteArray(text) == "2,5",
                 "the process does not run under a locale with a decimal comma: the build "
                 "generates de_DE.UTF-8 with localedef, which needs the locales package");
    }
    void cleanup() {
        frame_.reset();
        std::remove(SettingsFilePath().c_str());
    }

    void scriptsTurnNumbersIntoTextAndBackWithADecimalPoint() {
        const std::vector<ObjectId> oids = SeedDefaultCatalog({{"Alien", 1979}});
        TempFolder scripts;
        std::ofstream(scripts / "Numbers.rks")
            << "szPlot = 'x=' + 2.5;\n"
               "double back = atof(szPlot.mid(2));\n"
               "szURL = '' + (back * 2) + ' ' + 1234567.0 + ' ' + 0.125;\n"
               "string s = 0.5; s += 1.5; szRelease = s;\n"
               "fRating = atof('7.25');\n";
        frame_ = OpenFrame();
        frame_->UseScriptsFolder(scripts.Path());
        SelectRows(*frame_, {0});
        frame_->ScriptsMenu()->actions().front()->trigger();
        const Movie movie = ReadMovie(oids[0]);
        QCOMPARE(QString::fromStdString(movie.szPlot), QStringLiteral("x=2.5"));
        QCOMPARE(QString::fromStdString(movie.szURL), QStringLiteral("5 1.23457e+006 0.125"));
        QCOMPARE(QString::fromStdString(movie.szRelease), QStringLiteral("0.51.5"));
        QCOMPARE(movie.fRating, 7.25f);
    }

    void templatesComputeAndShowNumbersWithADecimalPoint() {
        SeedDefaultCatalog({{"Alien", 1979, 7.25f}});
        TempFolder folder;
        std::ofstream(folder / "Numbers.xsl")
            << "<?xml version='1.0'?>"
               "<xsl:stylesheet version='1.0' xmlns:xsl='http://www.w3.org/1999/XSL/Transform'>"
               "<xsl:output method='html' encoding='UTF-8'/>"
               "<xsl:template match='/'><html><head><title>"
               "<xsl:value-of select=\"concat(Reelkeep/Movie/fRating * 2, ' ', "
               "Reelkeep/Movie/fRating div 4, ' ', format-number(Reelkeep/Movie/fRating, '0.0'))\"/>"
               "</title></head><body/></html></xsl:template></xsl:stylesheet>";
        Settings settings = LoadSettings(ProgramFolder());
        settings.view = folder / "Numbers.xsl";
        QVERIFY(SaveSettings(settings));
        frame_ = OpenFrame();
        SelectRows(*frame_, {0});
        QCOMPARE(PageTitle(*frame_->Pane()), QStringLiteral("14.5 1.8125 7.3"));
    }

    void settingsKeepTheirNumbers() {
        Settings settings = LoadSettings(ProgramFolder());
        settings.timeout = 1234567;
        QVERIFY(SaveSettings(settings));
        QCOMPARE(LoadSettings(ProgramFolder()).timeout, 1234567u);
    }

private:
    std::unique_ptr<MainFrame> frame_;
};

}  // namespace reelkeep::test

REELKEEP_GUI_TEST_MAIN(reelkeep::test::CommaLocaleTest)
#include "CommaLocaleTest.moc"
