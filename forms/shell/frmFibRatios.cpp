#include "forms/shell/frmFibRatios.h"

#include "forms/shell/settings.h"
#include "modules/modFunctions.h"
#include "modules/numbers.h"
#include "platform/accessibility.h"
#include "platform/platform.h"
#include "platform/widgets.h"

#include <QLabel>
#include <QPushButton>

namespace {

TextBox* MakeRatioBox(const char* name, QWidget* parent)
{
    auto* box = new TextBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setMaxLength(6);
    box->keyPress = [box](int& keyAscii) { FilterNumericKey(box->text(), keyAscii, true); };
    return box;
}

QLabel* MakeLabel(const char* name, const char* caption, QWidget* parent)
{
    auto* label = new QLabel(QString::fromLatin1(caption), parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

QPushButton* MakeButton(const char* name, const char* caption, QWidget* parent)
{
    auto* button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

} // namespace

frmFibRatios::frmFibRatios(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmFibRatios"));
    setWindowTitle(QStringLiteral("Configure Fibonacci Ratios"));
    setModal(true);
    UseDesignFont(this);
    resize(TwipsToPixels(3300), TwipsToPixels(2490));

    // Created in tab order.
    Label1 = MakeLabel("Label1", "Ratio1", this);
    txtRatio1 = MakeRatioBox("txtRatio1", this);
    txtRatio2 = MakeRatioBox("txtRatio2", this);
    txtRatio3 = MakeRatioBox("txtRatio3", this);
    cmdDefault = MakeButton("cmdDefault", "Set &Default", this);
    cmdOk = MakeButton("cmdOk", "&OK", this);
    cmdCancel = MakeButton("cmdCancel", "&Cancel", this);
    Label2 = MakeLabel("Label2", "Ratio3", this);
    Label3 = MakeLabel("Label3", "Ratio2", this);
    cmdOk->setDefault(true);

    PlaceTwips(Label1, 240, 330, 585, 195);
    PlaceTwips(txtRatio1, 1440, 240, 1695, 375);
    PlaceTwips(txtRatio2, 1440, 780, 1695, 375);
    PlaceTwips(txtRatio3, 1440, 1320, 1695, 375);
    PlaceTwips(cmdDefault, 120, 1920, 975, 375);
    PlaceTwips(cmdOk, 1140, 1920, 975, 375);
    PlaceTwips(cmdCancel, 2160, 1920, 975, 375);
    PlaceTwips(Label2, 240, 1410, 465, 195);
    PlaceTwips(Label3, 240, 870, 465, 195);
    for (QLabel* l : {Label1, Label2, Label3})
        l->adjustSize();   // the short captions must not be clipped by a wider font

    setTabOrder(txtRatio1, txtRatio2);
    setTabOrder(txtRatio2, txtRatio3);
    setTabOrder(txtRatio3, cmdDefault);
    setTabOrder(cmdDefault, cmdOk);
    setTabOrder(cmdOk, cmdCancel);

    connect(cmdDefault, &QPushButton::clicked, this, &frmFibRatios::cmdDefault_Click);
    connect(cmdOk, &QPushButton::clicked, this, &frmFibRatios::cmdOk_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmFibRatios::cmdCancel_Click);

    ShowRatios();

    UseDesignFont(this);
    CenterInAvailableArea(this);
    NameForScreenReaders();
}

void frmFibRatios::NameForScreenReaders()
{
    NameButtonsByCaption(this);
    const QString order = QStringLiteral("The ratios must be greater than 0 and in increasing order");
    NameByLabel(txtRatio1, Label1, order);
    NameByLabel(txtRatio2, Label3, order);
    NameByLabel(txtRatio3, Label2, order);
}

void frmFibRatios::ShowRatios()
{
    txtRatio1->setText(GeneralNumber(FibRatio1));
    txtRatio2->setText(GeneralNumber(FibRatio2));
    txtRatio3->setText(GeneralNumber(FibRatio3));
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
    SetCurrentRatios({ReadLeadingNumber(txtRatio1->text()), ReadLeadingNumber(txtRatio2->text()),
                      ReadLeadingNumber(txtRatio3->text())});
    SaveRatios();
    accept();
}

void frmFibRatios::SaveRatios()
{
    if (!WriteRatiosFile(SettingsPathFor(platform().programDir()), CurrentRatios()))
        ShowActionFailed(QStringLiteral("Can't save ratios"));
}

void frmFibRatios::cmdCancel_Click()
{
    reject();
}
