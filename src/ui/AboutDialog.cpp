#include "ui/AboutDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QStringList>
#include <QVBoxLayout>

namespace reelkeep {

namespace {

// Found in the program file by the update check; also the version the About box shows.
[[gnu::used]] constexpr char kVersionMarker[] = "RKVERSION:" REELKEEP_VERSION_TEXT;
constexpr const char* kProjectPage = "https://reelkeep.example.org/";

}  // namespace

ProgramVersion CurrentProgramVersion() {
    ProgramVersion version;
    const QStringList parts =
        QString::fromLatin1(kVersionMarker).section(QLatin1Char(':'), 1).split(QLatin1Char('.'));
    for (int i = 0; i < 4 && i < parts.size(); ++i) version.parts[i] = parts[i].toUInt();
    return version;
}

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("aboutDialog"));
    setWindowTitle(tr("About Reelkeep"));

    auto* picture = new QLabel(this);
    picture->setPixmap(QPixmap(QStringLiteral(":/images/reelkeep.png")));
    picture->setAlignment(Qt::AlignTop);

    const ProgramVersion version = CurrentProgramVersion();
    auto* name = new QLabel(QStringLiteral("%1%2.%3.%4.%5")
                                .arg(tr("Reelkeep version "))
                                .arg(version.parts[0])
                                .arg(version.parts[1])
                                .arg(version.parts[2])
                                .arg(version.parts[3]),
                            this);
    name->setObjectName(QStringLiteral("versionLine"));
    QFont bigger = name->font();
    bigger.setPointSizeF(bigger.pointSizeF() * 1.3);
    bigger.setBold(true);
    name->setFont(bigger);

    auto* credits = new QLabel(tr("A catalog of your movie collection.\n\n"
                                  "Written with Qt, QtWebEngine, SQLite, libxml2 and libxslt."),
                               this);
    credits->setWordWrap(true);
    auto* link = new QLabel(
        QStringLiteral("<a href=\"%1\">%1</a>").arg(QString::fromLatin1(kProjectPage)), this);
    link->setOpenExternalLinks(true);

    auto* text = new QVBoxLayout;
    text->addWidget(name);
    text->addWidget(credits);
    text->addWidget(link);
    text->addStretch();
    auto* body = new QHBoxLayout;
    body->addWidget(picture);
    body->addSpacing(12);
    body->addLayout(text);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace reelkeep
