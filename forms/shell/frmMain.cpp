#include "forms/shell/frmMain.h"

#include "forms/fibonacci/frmFibonacci.h"
#include "forms/gann/frmGann.h"
#include "forms/history/frmPriceHistory.h"
#include "forms/shell/frmAbout.h"
#include "forms/shell/frmHelp.h"
#include "core/settings/settings.h"
#include "core/numbers/layout.h"
#include "core/drawing/fonts.h"
#include "platform/accessibility.h"
#include "platform/controls.h"
#include "platform/platform.h"
#include "platform/shortcuts.h"
#include "platform/widgets.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>

namespace {

// The single program-wide instances. QPointer forgets a window when it is closed
// (windows delete themselves on close), so the next request loads it afresh.
QPointer<QWidget> g_frmFibonacci, g_frmFibonacci86, g_frmGann, g_frmGann86, g_frmPriceHistory;
QPointer<frmMain> g_frmMain;
// The ratios the latest menu loaded, which every window it opens calculates with. They
// outlive any one menu: Ctrl+M opens a closed menu again while the analysis windows stay
// open with the ratios they were handed, so they belong to the application.
QPointer<ProgramRatios> g_ratios;

ProgramRatios& Ratios()
{
    if (!g_ratios)
        g_ratios = new ProgramRatios(QCoreApplication::instance());
    return *g_ratios;
}

void AddPriceHistoryAction(QWidget* window);

template <class Window, class... Args>
Window* ShowSingle(QPointer<QWidget>& instance, Args&... args)
{
    if (!instance) {
        instance = new Window(args...);
        AddPriceHistoryAction(instance);
    }
    instance->show();
    instance->raise();
    instance->activateWindow();
    return static_cast<Window*>(instance.data());
}

// The analysis window for this screen, as the main menu's buttons choose it.
FibonacciWindow* ShowFibonacci()
{
    if (ChooseLayout(platform().screenSize()) == Layout::Compact)
        return ShowSingle<frmFibonacci86>(g_frmFibonacci86, Ratios());
    return ShowSingle<frmFibonacci>(g_frmFibonacci, Ratios());
}

GannWindow* ShowGann()
{
    if (ChooseLayout(platform().screenSize()) == Layout::Compact)
        return ShowSingle<frmGann86>(g_frmGann86);
    return ShowSingle<frmGann>(g_frmGann);
}

// The price history hands its swings to the analysis windows; they calculate at once,
// or answer that the trader kept the document they had.
void ShowPriceHistory()
{
    const bool fresh = !g_frmPriceHistory;
    auto* history = ShowSingle<frmPriceHistory>(g_frmPriceHistory, std::as_const(Ratios()));
    if (!fresh)
        return;
    QObject::connect(history, &frmPriceHistory::FibonacciRequested,
                     [](double price1, const QDate& date1, double price2, const QDate& date2) {
                         return ShowFibonacci()->LoadInputsAndCalculate(price1, date1, price2, date2);
                     });
    QObject::connect(history, &frmPriceHistory::GannRequested, [](const QString& price, const QDate& date) {
        return ShowGann()->LoadInputsAndCalculate(price, date);
    });
}

// Every window of the program opens the price history from its context menu, and
// with Ctrl+H (the program's shortcuts), so no window needs a button it was not
// designed with.
void AddPriceHistoryAction(QWidget* window)
{
    auto* action = new QAction(QStringLiteral("Price &History...\tCtrl+H"), window);
    action->setObjectName(QStringLiteral("actPriceHistory"));
    QObject::connect(action, &QAction::triggered, [] { ShowPriceHistory(); });
    window->addAction(action);
    if (window->contextMenuPolicy() == Qt::DefaultContextMenu)
        window->setContextMenuPolicy(Qt::ActionsContextMenu);
}

void CloseIfOpen(QWidget* window)
{
    if (window)
        window->close();
}

} // namespace

frmMain::frmMain(ProgramRatios* ratios, QWidget* parent) : QWidget(parent)
{
    if (ratios)
        g_ratios = ratios;
    m_ratios = &Ratios();
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Marlowind Tessaray"));
    setFont(MakeFont(QStringLiteral("MS Sans Serif"), 8));
    resize(TwipsToPixels(5160), TwipsToPixels(5715));
    CreateControls();
    Form_Load();
    AddPriceHistoryAction(this);
    SettleDesignedWindow(this);
    cmdFibonacci->setFocus();
    AddKeyboardAndHelp();
}

void frmMain::CreateControls()
{
    // Each at its place in twips; the disclaimer's text inside its frame.
    cmdFibonacci = MakeButton("cmdFibonacci", QStringLiteral("Fibonacci"), this, {360, 1440, 1935, 735});
    cmdGann = MakeButton("cmdGann", QStringLiteral("Gann"), this, {3000, 1440, 1815, 735});
    fraDisclaimer = Named(new QFrame(this), "Frame1");
    fraDisclaimer->setFrameShape(QFrame::Box);
    fraDisclaimer->setFrameShadow(QFrame::Sunken);
    PlaceTwips(fraDisclaimer, {360, 2400, 4455, 2175});
    lblDisclaimer = MakeLabel("Label1", ProgramDisclaimer(), fraDisclaimer, {240, 240, 3615, 1815});
    lblDisclaimer->setWordWrap(true);
    lblDisclaimer->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblDisclaimer->setFont(MakeFont(QStringLiteral("Verdana"), 8.25));
    // The two title labels size themselves to their text, from their designed top-left.
    lblCompany = MakeLabel("Label2", QStringLiteral("Marlowind"), this, {1305, 360, 2355, 300});
    lblProduct = MakeLabel("Label3", QStringLiteral("Tessaray"), this, {1725, 840, 1515, 300});
    for (QLabel* title : {lblCompany, lblProduct}) {
        title->setFont(MakeFont(QStringLiteral("MS Sans Serif"), 12, true));
        title->adjustSize();
    }
    cmdExit = MakeButton("cmdExit", QStringLiteral("Exit"), this, {360, 4680, 4455, 495});
    SetTabOrder({cmdFibonacci, cmdGann, cmdExit});
    connect(cmdFibonacci, &QPushButton::clicked, this, &frmMain::cmdFibonacci_Click);
    connect(cmdGann, &QPushButton::clicked, this, &frmMain::cmdGann_Click);
    connect(cmdExit, &QPushButton::clicked, this, &frmMain::cmdExit_Click);
}

// ---------------------------------------------------------------------------------
// Reaching the menu, the guide and the About box from every window

void frmMain::AddKeyboardAndHelp()
{
    g_frmMain = this;
    programActions().showMainMenu = &frmMain::ShowMainMenu;
    programActions().showGuide = &frmHelp::ShowGuide;
    programActions().showPriceHistory = &ShowPriceHistory;
    programActions().exitProgram = [] {
        if (g_frmMain) g_frmMain->cmdExit_Click();
    };
    AddProgramShortcuts(this);
    cmdExit->setToolTip(QStringLiteral("Close every window and end the program (%1)")
                            .arg(QKeySequence(Qt::CTRL | Qt::Key_Q).toString(QKeySequence::NativeText)));

    auto* guide = new QAction(QStringLiteral("User Guide\tF1"), this);
    auto* about = new QAction(QStringLiteral("About ") + ProgramTitle, this);
    connect(guide, &QAction::triggered, this, [] { frmHelp::ShowGuide(); });
    connect(about, &QAction::triggered, this, [this] { frmAbout::ShowAbout(this); });
    addActions({guide, about});
    setContextMenuPolicy(Qt::ActionsContextMenu);
}

// An analysis window may cover the whole desktop; Ctrl+M brings the menu back, and
// opens it again if it was closed.
void frmMain::ShowMainMenu()
{
    QWidget* menu = g_frmMain;
    if (!menu) {
        menu = new frmMain();
        menu->setAttribute(Qt::WA_DeleteOnClose);
    }
    menu->show();
    menu->raise();
    menu->activateWindow();
}

void frmMain::Form_Load()
{
    LoadRatios();
}

// Ratios come from the settings file beside the program.
void frmMain::LoadRatios()
{
    m_ratios->load(SettingsPathFor(platform().programDir()));
}

void frmMain::cmdFibonacci_Click()
{
    ShowFibonacci();
}

void frmMain::cmdGann_Click()
{
    ShowGann();
}

// Each analysis window runs its own closing check and may stay open with its
// project; the main menu closes regardless, and the program ends with the last window.
void frmMain::cmdExit_Click()
{
    CloseIfOpen(g_frmGann);
    CloseIfOpen(g_frmGann86);
    CloseIfOpen(g_frmFibonacci);
    CloseIfOpen(g_frmFibonacci86);
    CloseIfOpen(g_frmPriceHistory);
    close();
}

// A file manager hands over the file the trader double-clicked; its ending says which
// analysis it holds, as the Open dialogs' filters do.
void frmMain::OpenProjectFile(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("fib"))
        ShowFibonacci()->OpenProjectFile(path);
    else if (suffix == QLatin1String("gann"))
        ShowGann()->OpenProjectFile(path);
    else
        ShowMessage(QStringLiteral("%1 is not a project: Tessaray opens Fibonacci projects (.fib) and "
                                   "Gann projects (.gann).")
                        .arg(QDir::toNativeSeparators(path)));
}
