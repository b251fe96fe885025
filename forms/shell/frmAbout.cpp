#include "forms/shell/frmAbout.h"

#include "core/numbers/licence.h"
#include "platform/accessibility.h"
#include "platform/platform.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

#ifndef TESSARAY_VERSION
#define TESSARAY_VERSION "unknown"
#endif

namespace {
const char* const EducationOnly =
    "This program is intended for educational purposes only. Its publisher does not "
    "recommend buying or selling any stock, commodity or other financial instrument.";

const char* const Purpose =
    "A calculator for traders of stocks and commodities. From two prices and two dates it "
    "projects three potential prices and dates by the Fibonacci ratios; from one price and "
    "one date it finds the potential highs, lows and dates every 45 degrees round the Gann "
    "Square of Nine.";
} // namespace

QString ProgramDisclaimer()
{
    return QString::fromLatin1(EducationOnly) +
           QStringLiteral("\n\nThis software is for your own use only and is not to be passed on to others.");
}

frmAbout::frmAbout(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About ") + ProgramTitle);
    auto* title = new QLabel(QStringLiteral("<b>%1</b><br>Version %2")
                                 .arg(ProgramTitle, QStringLiteral(TESSARAY_VERSION)), this);
    title->setObjectName(QStringLiteral("lblTitle"));
    auto* purpose = new QLabel(QString::fromLatin1(Purpose), this);
    purpose->setObjectName(QStringLiteral("lblPurpose"));
    // The main menu keeps the disclaimer it was designed with; the About box states the
    // licence, which is what governs passing the program on.
    auto* disclaimer = new QLabel(QString::fromLatin1(EducationOnly), this);
    disclaimer->setObjectName(QStringLiteral("lblDisclaimer"));
    auto* licence = new QLabel(ProgramLicence().trimmed(), this);
    licence->setObjectName(QStringLiteral("lblLicence"));
    licence->setTextFormat(Qt::PlainText);   // the licence's <address> is no HTML tag
    for (QLabel* l : {title, purpose, disclaimer, licence}) {
        l->setWordWrap(true);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    for (QWidget* w : {static_cast<QWidget*>(title), static_cast<QWidget*>(purpose),
                       static_cast<QWidget*>(disclaimer), static_cast<QWidget*>(licence),
                       static_cast<QWidget*>(buttons)})
        layout->addWidget(w);
    setMinimumWidth(360);
    NameButtonsByCaption(this);
}

void frmAbout::ShowAbout(QWidget* parent)
{
    frmAbout box(parent);
    box.exec();
}
