#include "forms/fibonacci/frmFibRatios.h"

#include "core/settings/settings.h"
#include "core/numbers/modFunctions.h"
#include "core/numbers/numbers.h"
#include "platform/accessibility.h"
#include "platform/controls.h"
#include "platform/platform.h"
#include "platform/widgets.h"

#include <QLabel>
#include <QPushButton>
#include <QShortcut>

namespace {

TextBox* MakeRatioBox(const char* name, QWidget* parent, const TwipRect& place)
{
    auto* box = Named(new TextBox(parent), name);
    PlaceTwips(box, place);
    box->setTypingLimit(6);
    box->keyPress = [box](int& keyAscii) { FilterNumericKey(box->text(), keyAscii, true); };
    return box;
}

} // namespace

frmFibRatios::frmFibRatios(ProgramRatios& ratios, QWidget* parent) : QDialog(parent), m_ratios(ratios)
{
    setObjectName(QStringLiteral("frmFibRatios"));
    setWindowTitle(QStringLiteral("Configure Fibonacci Ratios"));
    setModal(true);
    UseDesignFont(this);
    resize(TwipsToPixels(3300), TwipsToPixels(2490));
    CreateControls();
    ShowRatios();
    SettleDesignedWindow(this);
    NameForScreenReaders();
}

void frmFibRatios::CreateControls()
{
    // Created in tab order, each at its place in twips; the captions sit left of their boxes.
    lblRatio1 = MakeLabel("Label1", QStringLiteral("Ratio1"), this, {240, 330, 585, 195});
    txtRatio1 = MakeRatioBox("txtRatio1", this, {1440, 240, 1695, 375});
    txtRatio2 = MakeRatioBox("txtRatio2", this, {1440, 780, 1695, 375});
    txtRatio3 = MakeRatioBox("txtRatio3", this, {1440, 1320, 1695, 375});
    cmdDefault = MakeButton("cmdDefault", QStringLiteral("Set &Default"), this, {120, 1920, 975, 375});
    cmdOk = MakeButton("cmdOk", QStringLiteral("&OK"), this, {1140, 1920, 975, 375});
    cmdCancel = MakeButton("cmdCancel", QStringLiteral("&Cancel"), this, {2160, 1920, 975, 375});
    lblRatio3 = MakeLabel("Label2", QStringLiteral("Ratio3"), this, {240, 1410, 465, 195});
    lblRatio2 = MakeLabel("Label3", QStringLiteral("Ratio2"), this, {240, 870, 465, 195});
    cmdOk->setDefault(true);
    for (QLabel* l : {lblRatio1, lblRatio2, lblRatio3})
        l->adjustSize();   // the short captions must not be clipped by a wider font
    SetTabOrder({txtRatio1, txtRatio2, txtRatio3, cmdDefault, cmdOk, cmdCancel});
    connect(cmdDefault, &QPushButton::clicked, this, &frmFibRatios::cmdDefault_Click);
    connect(cmdOk, &QPushButton::clicked, this, &frmFibRatios::cmdOk_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmFibRatios::cmdCancel_Click);
    // Escape is Cancel, also in a ratio box, whose key filter would swallow it as a
    // character that is no digit.
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            &frmFibRatios::cmdCancel_Click);
}

void frmFibRatios::NameForScreenReaders()
{
    const QString order = QStringLiteral("The ratios must be greater than 0 and in increasing order");
    NameByLabel(txtRatio1, lblRatio1, order);
    NameByLabel(txtRatio2, lblRatio2, order);
    NameByLabel(txtRatio3, lblRatio3, order);
}

void frmFibRatios::ShowRatios()
{
    // The ratios in force are shown whole, so OK without edits keeps them exactly.
    const FibRatios inForce = m_ratios.ratios();
    txtRatio1->setTextUncut(GeneralNumber(inForce.r1));
    txtRatio2->setTextUncut(GeneralNumber(inForce.r2));
    txtRatio3->setTextUncut(GeneralNumber(inForce.r3));
}

void frmFibRatios::cmdDefault_Click()
{
    txtRatio1->setText(QStringLiteral("0.382"));
    txtRatio2->setText(QStringLiteral("0.5"));
    txtRatio3->setText(QStringLiteral("0.618"));
}

// An empty box reads as 0, so the "greater than 0" test also catches a missing ratio;
// it runs first, so one press of OK shows at most one message.
bool frmFibRatios::RatiosInvalid()
{
    const std::optional<QString> problem =
        RatiosProblem({ReadLeadingNumber(txtRatio1->text()), ReadLeadingNumber(txtRatio2->text()),
                       ReadLeadingNumber(txtRatio3->text())});
    if (problem)
        ShowMessage(*problem);
    return problem.has_value();
}

// The new ratios go into force before the file is written, so a failed write still
// leaves them in use for the rest of the run.
void frmFibRatios::cmdOk_Click()
{
    if (RatiosInvalid())
        return;
    m_ratios.setRatios({ReadLeadingNumber(txtRatio1->text()), ReadLeadingNumber(txtRatio2->text()),
                        ReadLeadingNumber(txtRatio3->text())});
    SaveRatios();
    accept();
}

void frmFibRatios::SaveRatios()
{
    if (!WriteRatiosFile(SettingsPathFor(platform().programDir()), m_ratios.ratios()))
        ShowActionFailed(QStringLiteral("Can't save ratios"));
}

void frmFibRatios::cmdCancel_Click()
{
    reject();
}
