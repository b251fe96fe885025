#include "forms/shell/frmMain.h"

#include "forms/fibonacci/frmFibonacci.h"
#include "forms/gann/frmGann.h"
#include "forms/shell/settings.h"
#include "modules/layout.h"
#include "platform/enterkey.h"
#include "platform/fonts.h"
#include "platform/platform.h"
#include "platform/widgets.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>

namespace {

// The single program-wide instances. QPointer forgets a window when it is closed
// (windows delete themselves on close), so the next request loads it afresh.
QPointer<QWidget> g_frmFibonacci, g_frmFibonacci86, g_frmGann, g_frmGann86;

template <class Window>
void ShowSingle(QPointer<QWidget>& instance)
{
    if (!instance)
        instance = new Window();
    instance->show();
    instance->raise();
    instance->activateWindow();
}

void CloseIfOpen(QWidget* window)
{
    if (window)
        window->close();
}

const char* const Disclaimer =
    "This program is intended for educational purposes only. Its publisher does not "
    "recommend buying or selling any stock, commodity or other financial instrument.\n\n"
    "This software is for your own use only and is not to be passed on to others.";

} // namespace

frmMain::frmMain(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Marlowind Tessaray"));
    resize(TwipsToPixels(5160), TwipsToPixels(5715));

    cmdFibonacci = new QPushButton(QStringLiteral("Fibonacci"), this);
    cmdGann = new QPushButton(QStringLiteral("Gann"), this);
    Frame1 = new QFrame(this);
    Frame1->setFrameShape(QFrame::Box);
    Frame1->setFrameShadow(QFrame::Sunken);
    Label1 = new QLabel(QString::fromLatin1(Disclaimer), Frame1);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label2 = new QLabel(QStringLiteral("Marlowind"), this);
    Label3 = new QLabel(QStringLiteral("Tessaray"), this);
    cmdExit = new QPushButton(QStringLiteral("Exit"), this);

    cmdFibonacci->setObjectName(QStringLiteral("cmdFibonacci"));
    cmdGann->setObjectName(QStringLiteral("cmdGann"));
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2->setObjectName(QStringLiteral("Label2"));
    Label3->setObjectName(QStringLiteral("Label3"));
    cmdExit->setObjectName(QStringLiteral("cmdExit"));

    PlaceTwips(cmdFibonacci, 360, 1440, 1935, 735);
    PlaceTwips(cmdGann, 3000, 1440, 1815, 735);
    PlaceTwips(Frame1, 360, 2400, 4455, 2175);
    PlaceTwips(Label1, 240, 240, 3615, 1815);
    Label1->setFont(MakeFont(QStringLiteral("Verdana"), 8.25));
    // The two title labels size themselves to their text, from their designed top-left.
    for (QLabel* title : {Label2, Label3})
        title->setFont(MakeFont(QStringLiteral("MS Sans Serif"), 12, true));
    PlaceTwips(Label2, 1305, 360, 2355, 300);
    PlaceTwips(Label3, 1725, 840, 1515, 300);
    Label2->adjustSize();
    Label3->adjustSize();
    PlaceTwips(cmdExit, 360, 4680, 4455, 495);

    for (QPushButton* b : {cmdFibonacci, cmdGann, cmdExit}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    setTabOrder(cmdFibonacci, cmdGann);
    setTabOrder(cmdGann, cmdExit);

    connect(cmdFibonacci, &QPushButton::clicked, this, &frmMain::cmdFibonacci_Click);
    connect(cmdGann, &QPushButton::clicked, this, &frmMain::cmdGann_Click);
    connect(cmdExit, &QPushButton::clicked, this, &frmMain::cmdExit_Click);

    EnterPressesFocusedButton(this);
    Form_Load();

    // Centre of the screen when first shown.
    const QSize screen = platform().screenSize();
    move((screen.width() - width()) / 2, (screen.height() - height()) / 2);
    cmdFibonacci->setFocus();
}

void frmMain::Form_Load()
{
    LoadRatios();
}

// Ratios come from the settings file beside the program; anything wrong with the
// file quietly gives the classic 0.382 / 0.5 / 0.618, so start-up always succeeds.
void frmMain::LoadRatios()
{
    FibRatios ratios = CurrentRatios();
    ReadRatiosFile(SettingsPathFor(platform().programDir()), ratios);
    SetCurrentRatios(ratios);
}

void frmMain::cmdFibonacci_Click()
{
    if (ChooseLayout(platform().screenSize()) == Layout::Compact)
        ShowSingle<frmFibonacci86>(g_frmFibonacci86);
    else
        ShowSingle<frmFibonacci>(g_frmFibonacci);
}

void frmMain::cmdGann_Click()
{
    if (ChooseLayout(platform().screenSize()) == Layout::Compact)
        ShowSingle<frmGann86>(g_frmGann86);
    else
        ShowSingle<frmGann>(g_frmGann);
}

// Each analysis window runs its own closing check and may stay open with its
// project; the main menu closes regardless, and the program ends with the last window.
void frmMain::cmdExit_Click()
{
    CloseIfOpen(g_frmGann);
    CloseIfOpen(g_frmGann86);
    CloseIfOpen(g_frmFibonacci);
    CloseIfOpen(g_frmFibonacci86);
    close();
}
