#include "forms/output/frmPrintOption.h"

#include "platform/accessibility.h"
#include "platform/controls.h"
#include "core/drawing/fonts.h"
#include "platform/geometry.h"
#include "platform/platform.h"

#include <QApplication>
#include <QButtonGroup>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

qint16 frmPrintOption::SelectedOption = 0;
frmPrintOption::ModalRunner frmPrintOption::s_runner;

namespace {

QRadioButton* MakeOption(const char* name, const char* caption, QWidget* parent, const TwipRect& place)
{
    auto* option = Named(new QRadioButton(QString::fromLatin1(caption), parent), name);
    PlaceTwips(option, place);
    return option;
}

} // namespace

frmPrintOption::frmPrintOption(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmPrintOption"));
    setWindowTitle(QStringLiteral("Print Destination"));
    setModal(true);
    setFixedSize(TwipsToPixels(3735), TwipsToPixels(3435));
    setFont(MakeFont(QStringLiteral("MS Sans Serif"), 8));
    CreateControls();
    SetTabOrder({cmdCancel, OptMonochrome, optColor, optFile, cmdOk, optPrinter});

    // An option's click happens when it becomes the chosen one, also when code chooses it.
    connect(optFile, &QRadioButton::toggled, this, [this](bool on) { if (on) optFile_Click(); });
    connect(optPrinter, &QRadioButton::toggled, this, [this](bool on) { if (on) optPrinter_Click(); });
    connect(cmdOk, &QPushButton::clicked, this, &frmPrintOption::cmdOk_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmPrintOption::cmdCancel_Click);
    Form_Load();
    SettleDesignedWindow(this);
    optPrinter->setToolTip(QStringLiteral("Print through the system's print dialog: another printer or a PDF file can be chosen there"));
}

void frmPrintOption::CreateControls()
{
    // Created in tab order, each at its place in twips (inside the frame, relative to it).
    // Options that sit directly on the dialog form one group (File or Printer); the
    // two inside the frame form a second, independent one (Monochrome or Color).
    lblTitle = MakeLabel("Label1", QStringLiteral("Print Destination"), this, {1245, 210, 1155, 195});
    cmdCancel = MakeButton("cmdCancel", QStringLiteral("&Cancel"), this, {2040, 2760, 1095, 375});
    fraPrinter = Named(new QGroupBox(QStringLiteral("Printer"), this), "fraPrinter");
    PlaceTwips(fraPrinter, {480, 1440, 2655, 1215});
    OptMonochrome = MakeOption("OptMonochrome", "Monochrome", fraPrinter, {720, 360, 1335, 375});
    optColor = MakeOption("optColor", "Color", fraPrinter, {720, 720, 735, 375});
    optFile = MakeOption("optFile", "File", this, {480, 480, 615, 375});
    cmdOk = MakeButton("cmdOk", QStringLiteral("&OK"), this, {480, 2760, 1095, 375});
    optPrinter = MakeOption("optPrinter", "Printer", this, {480, 960, 855, 375});
    cmdOk->setDefault(true);
    // A caption in a wider substitute font must not be cut off: the controls grow to
    // the right where their text needs it (there is room up to the frame's edge).
    for (QWidget* w : std::initializer_list<QWidget*>{lblTitle, OptMonochrome, optColor, optFile, optPrinter})
        w->resize(qMax(w->width(), w->sizeHint().width()), w->height());

    // Explicit groups: Qt's automatic grouping of sibling options would also reach into
    // the frame and mix the two questions.
    auto* destination = new QButtonGroup(this);
    destination->addButton(optFile);
    destination->addButton(optPrinter);
    auto* colourMode = new QButtonGroup(this);
    colourMode->addButton(OptMonochrome);
    colourMode->addButton(optColor);
}

void frmPrintOption::Form_Load()
{
    optFile->setChecked(true);
    optFile_Click();   // also when File was chosen already
}

void frmPrintOption::optFile_Click()
{
    // The colour choice keeps its dot: it no longer matters, since File wins on OK.
    fraPrinter->setEnabled(false);
    OptMonochrome->setEnabled(false);
    optColor->setEnabled(false);
}

void frmPrintOption::optPrinter_Click()
{
    fraPrinter->setEnabled(true);
    OptMonochrome->setEnabled(true);
    optColor->setEnabled(true);
    OptMonochrome->setChecked(true);
}

void frmPrintOption::cmdOk_Click()
{
    if (optFile->isChecked())
        SelectedOption = 1;
    else if (OptMonochrome->isChecked())
        SelectedOption = 2;
    else
        SelectedOption = 3;
    accept();
}

void frmPrintOption::cmdCancel_Click()
{
    SelectedOption = 0;
    reject();
}

// Escape is the Cancel button. Only the title-bar close box leaves the previous answer.
void frmPrintOption::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cmdCancel_Click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmPrintOption::setModalRunner(ModalRunner runner)
{
    s_runner = std::move(runner);
}

void frmPrintOption::GetOption(qint16& option)
{
    {
        // Owned by the window that asks, so the dialog stays off the task bar.
        frmPrintOption dialog(QApplication::activeWindow());
        if (s_runner)
            s_runner(dialog);
        else
            dialog.exec();
    }
    option = SelectedOption;
}
