#include "forms/shell/frmAbout.h"

#include "platform/accessibility.h"
#include "platform/platform.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

#ifndef TESSARAY_VERSION
#define TESSARAY_VERSION "unknown"
#endif

QString ProgramDisclaimer()
{
    return QStringLiteral(
        "This program is intended for educational purposes only. Its publisher does not "
        "recommend buying or selling any stock, commodity or other financial instrument.\n\n"
        "This software is for your own use only and is not to be passed on to others.");
}

namespace {
const char* const Purpose =
    "A calculator for traders of stocks and commodities. From two prices and two dates it "
    "projects three potential prices and dates by the Fibonacci ratios; from one price and "
    "one date it finds the potential highs, lows and dates every 45 degrees round the Gann "
    "Square of Nine.";
} // namespace

frmAbout::frmAbout(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About ") + ProgramTitle);
    auto* title = new QLabel(QStringLiteral("<b>%1</b><br>Version %2")
                                 .arg(ProgramTitle, QStringLiteral(TESSARAY_VERSION)), this);
    title->setObjectName(QStringLiteral("lblTitle"));
    auto* purpose = new QLabel(QString::fromLatin1(Purpose), this);
    purpose->setObjectName(QStringLiteral("lblPurpose"));
    auto* disclaimer = new QLabel(ProgramDisclaimer(), this);
    disclaimer->setObjectName(QStringLiteral("lblDisclaimer"));
    for (QLabel* l : {title, purpose, disclaimer}) {
        l->setWordWrap(true);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    for (QWidget* w : {static_cast<QWidget*>(title), static_cast<QWidget*>(purpose),
                       static_cast<QWidget*>(disclaimer), static_cast<QWidget*>(buttons)})
        layout->addWidget(w);
    setMinimumWidth(360);
    NameButtonsByCaption(this);
}

void frmAbout::ShowAbout(QWidget* parent)
{
    frmAbout box(parent);
    box.exec();
}
