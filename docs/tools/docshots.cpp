// tessaray-docshots: drives the real windows of Marlowind - Tessaray the way a trader
// would, to make the user guide's pictures and example files.
//
//   tessaray-docshots images DIR   saves the screenshots of docs/images/ into DIR
//   tessaray-docshots files DIR    saves projects, a report and the settings file
//                                  through the windows' own Save, Export and OK
//
// Everything goes through the windows' controls, found by their object names: the
// prices are typed into the price boxes, the date pickers are set, Calculate is
// pressed. Only the outside world is scripted: today's date is fixed, the screen
// size chooses the layout, every file dialog accepts the name the window proposes,
// and message boxes are answered without waiting for anyone. The screenshots are
// taken with QWidget::grab(), so they show the windows as the X server's fonts draw
// them (scripts/screenshots.sh runs this under Xvfb).
#include "forms/history/frmPriceHistory.h"
#include "forms/output/frmPrintOption.h"
#include "forms/shell/frmMain.h"
#include "core/drawing/fonts.h"
#include "platform/qtplatform.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDateEdit>
#include <QDir>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QPointer>
#include <QRadioButton>
#include <QTextStream>
#include <QTimer>

#include <cstdio>
#include <functional>

namespace {

// The outside world of a documentation run. Nothing here waits for a person.
class DocsPlatform : public QtPlatform {
public:
    QDate todayDate = QDate(2024, 6, 3);
    QString dir;
    QSize screen = QSize(1024, 768);
    QStringList messages;

    MsgResult messageBox(const QString& text, const QString&, MsgButtons buttons, MsgIcon) override
    {
        messages << text;
        // "Save Changes?" never comes up in these runs (the price history hands its swings
        // to analysis windows that are still empty); if it does, nothing is lost.
        return buttons == MsgButtons::Ok ? MsgResult::Ok : MsgResult::Cancel;
    }
    // The trader accepts the name the window proposes.
    std::optional<QString> openFileName(const QString&, const QString& initialName) override
    {
        return initialName;
    }
    QStringList openFileNames(const QString&, const QString& initialName) override
    {
        return {initialName};
    }
    std::optional<QString> saveFileName(const QString&, const QString& initialName) override
    {
        return initialName;
    }
    QDate today() override { return todayDate; }
    QString programDir() override { return dir; }
    QSize screenSize() override { return screen; }
    double twipsPerPixel() override { return 15.0; }
    PrintResult printImage(const QImage&, bool) override
    {
        return {PrintStatus::Failed, QString(), QStringLiteral("No printer in a documentation run")};
    }
};

DocsPlatform* g_platform = nullptr;
QString g_outDir;
int g_failures = 0;

void Fail(const QString& what)
{
    std::fprintf(stderr, "tessaray-docshots: %s\n", qPrintable(what));
    ++g_failures;
}

void Settle()
{
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

template <class T>
T* Control(QWidget* window, const char* name)
{
    T* w = window ? window->findChild<T*>(QLatin1String(name)) : nullptr;
    if (!w)
        Fail(QStringLiteral("no control %1 in %2")
                 .arg(QLatin1String(name), window ? window->objectName() : QStringLiteral("(none)")));
    return w;
}

void Click(QWidget* window, const char* name)
{
    if (auto* b = Control<QAbstractButton>(window, name)) {
        b->click();
        Settle();
    }
}

void Type(QWidget* window, const char* name, const QString& text)
{
    if (auto* box = Control<QLineEdit>(window, name))
        box->setText(text);
}

void TypeNotes(QWidget* window, const QString& text)
{
    if (auto* box = Control<QPlainTextEdit>(window, "txtNotes"))
        box->setPlainText(text);
}

void Pick(QWidget* window, const char* name, const QDate& date)
{
    if (auto* picker = Control<QDateEdit>(window, name))
        picker->setDate(date);
}

QWidget* TopLevel(const QString& name)
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == name && w->isVisible())
            return w;
    }
    Fail(QStringLiteral("window %1 is not open").arg(name));
    return nullptr;
}

void Save(const QImage& image, const QString& fileName)
{
    const QString path = QDir(g_outDir).filePath(fileName);
    // Eight bits per channel and no alpha keep the files small.
    if (!image.convertToFormat(QImage::Format_RGB888).save(path, "PNG", 9))
        Fail(QStringLiteral("cannot write %1").arg(path));
}

void Grab(QWidget* widget, const QString& fileName)
{
    if (!widget)
        return;
    Settle();
    Save(widget->grab().toImage(), fileName);
}

// Opens an analysis window from the main menu as a trader would, on a screen of the
// given size, which decides the layout.
QWidget* OpenFromMenu(frmMain& menu, const char* button, const QSize& screen, const QString& windowName)
{
    g_platform->screen = screen;
    Click(&menu, button);
    return TopLevel(windowName);
}

void FillFibonacci(QWidget* w, const QString& name, const QString& notes)
{
    Type(w, "txtProject", name);
    Type(w, "txtPrice1", QStringLiteral("100"));
    Pick(w, "dtpDate1", QDate(2004, 1, 1));
    Type(w, "txtPrice2", QStringLiteral("150"));
    Pick(w, "dtpDate2", QDate(2004, 3, 1));
    if (!notes.isEmpty())
        TypeNotes(w, notes);
    Click(w, "cmdCalculate");
}

void FillGann(QWidget* w, const QString& name, const QString& price, const QDate& date, const QString& notes)
{
    if (!name.isEmpty())
        Type(w, "txtProject", name);
    Type(w, "txtPrice", price);
    Pick(w, "dtpInputDate", date);
    if (!notes.isEmpty())
        TypeNotes(w, notes);
    Click(w, "cmdCalculate");
}

// Presses a button that opens a modal dialog and hands the dialog to `use` while it
// is open; `use` must close it.
void WithModalDialog(QWidget* window, const char* button, const std::function<void(QWidget*)>& use)
{
    bool seen = false;
    QTimer::singleShot(0, [&]() {
        Settle();
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog) {
            Fail(QStringLiteral("%1 opened no dialog").arg(QLatin1String(button)));
            return;
        }
        seen = true;
        use(dialog);
    });
    Click(window, button);
    if (!seen)
        Fail(QStringLiteral("no dialog seen after %1").arg(QLatin1String(button)));
}

// Print Image asks frmPrintOption for the destination; these runners answer it.
void AnswerPrintDestination(const std::function<void(frmPrintOption&)>& answer)
{
    frmPrintOption::setModalRunner([answer](frmPrintOption& dialog) {
        dialog.show();
        Settle();
        answer(dialog);
    });
}

// The evidence table filled in: it is measured while the chart is already shown.
void WaitForEvidence(frmPriceHistory* history)
{
    while (history->measuringEvidence())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    Settle();
}

// Types a swing threshold into the Price History window and presses Enter, as a
// trader does.
void EnterThreshold(frmPriceHistory* history, const QString& percent)
{
    history->txtThreshold->setText(percent);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(history->txtThreshold, &enter);
    WaitForEvidence(history);
}

// The 1987 walk-through of the guide: the Dow's daily closes of the 1980s, swings of
// 10 %, the October low and the August high chosen, the chart narrowed to 1987; then
// the whole decade, and Microsoft's candles with their swings on the wicks.
void PriceHistoryImages(frmMain& menu)
{
    if (QAction* open = Control<QAction>(&menu, "actPriceHistory"))
        open->trigger();
    auto* history = qobject_cast<frmPriceHistory*>(TopLevel(QStringLiteral("frmPriceHistory")));
    if (!history || !history->LoadFile(QStringLiteral(TESSARAY_PRICE_HISTORY)))
        return Fail(QStringLiteral("the price history did not load"));
    history->resize(1180, 640);
    EnterThreshold(history, QStringLiteral("10"));
    Grab(history, QStringLiteral("price-history-decade.png"));
    const auto swingOn = [history](const QDate& date) {
        for (int i = 0; i < int(history->swings().size()); ++i)
            if (history->swings()[i].date == date) return i;
        Fail(QStringLiteral("no swing on ") + date.toString());
        return -1;
    };
    history->pbPrices->setView(double(QDate(1987, 1, 1).toJulianDay()), double(QDate(1988, 12, 31).toJulianDay()));
    // Each analysis window is handed one projection, so neither has a document of its
    // own to ask about: the October low alone for the Square of Nine, then the August
    // high beside it for Fibonacci.
    history->SelectSwing(swingOn(QDate(1987, 10, 19)));
    Grab(history, QStringLiteral("price-history-gann.png"));
    history->SelectSwing(swingOn(QDate(1987, 8, 25)));
    Grab(history, QStringLiteral("price-history.png"));
    if (!history->LoadFile(QStringLiteral(TESSARAY_CANDLES_HISTORY)))
        return Fail(QStringLiteral("the candle history did not load"));
    WaitForEvidence(history);
    history->pbPrices->setView(double(QDate(2001, 1, 15).toJulianDay()), double(QDate(2001, 4, 30).toJulianDay()));
    Grab(history, QStringLiteral("price-history-candles.png"));
    history->close();
}

int Images(frmMain& menu)
{
    const QSize large(1024, 768), compact(800, 600);
    Grab(&menu, QStringLiteral("main-menu.png"));

    // First, while the analysis windows are unopened: the swings clicked in the price
    // history open them fresh, as a trader starting the day sees them, with nothing
    // unsaved to ask about. The examples typed into them below replace the swings.
    g_platform->screen = large;
    PriceHistoryImages(menu);

    QWidget* fib = OpenFromMenu(menu, "cmdFibonacci", large, QStringLiteral("frmFibonacci"));
    FillFibonacci(fib, QStringLiteral("Swing2004"), QString());
    Grab(fib, QStringLiteral("fibonacci-large.png"));

    WithModalDialog(fib, "cmdRatios", [](QWidget* dialog) {
        Grab(dialog, QStringLiteral("ratios-dialog.png"));
        Click(dialog, "cmdCancel");
    });

    AnswerPrintDestination([](frmPrintOption& dialog) {
        Grab(&dialog, QStringLiteral("print-destination.png"));
        dialog.cmdCancel->click();
    });
    Click(fib, "cmdPrint");

    // The picture Print Image saves: the chart with its text block beside it.
    AnswerPrintDestination([](frmPrintOption& dialog) { dialog.cmdOk->click(); });
    Click(fib, "cmdPrint");
    const QImage printed(QDir(g_platform->dir).filePath(QStringLiteral("fibchart.bmp")));
    if (printed.isNull())
        Fail(QStringLiteral("Print Image saved no fibchart.bmp"));
    else
        Save(printed, QStringLiteral("fibonacci-print.png"));
    frmPrintOption::setModalRunner({});

    QWidget* fib86 = OpenFromMenu(menu, "cmdFibonacci", compact, QStringLiteral("frmFibonacci86"));
    FillFibonacci(fib86, QStringLiteral("Swing2004"), QString());
    Grab(fib86, QStringLiteral("fibonacci-compact.png"));

    QWidget* gann = OpenFromMenu(menu, "cmdGann", large, QStringLiteral("frmGann"));
    FillGann(gann, QStringLiteral("Pivot100"), QStringLiteral("100"), QDate(2024, 1, 15), QString());
    Grab(gann, QStringLiteral("gann-large.png"));
    if (gann)
        Grab(Control<QWidget>(gann, "pbGann"), QStringLiteral("gann-chart.png"));

    QWidget* gann86 = OpenFromMenu(menu, "cmdGann", compact, QStringLiteral("frmGann86"));
    FillGann(gann86, QStringLiteral("Pivot100"), QStringLiteral("100"), QDate(2024, 1, 15), QString());
    Grab(gann86, QStringLiteral("gann-compact.png"));

    // A price above the full square's limit: the band chart.
    FillGann(gann86, QStringLiteral("Band1000"), QStringLiteral("1000"), QDate(2024, 1, 15), QString());
    if (gann86)
        Grab(Control<QWidget>(gann86, "pbGann"), QStringLiteral("gann-band.png"));
    return 0;
}

int Files(frmMain& menu)
{
    const QSize large(1024, 768);

    QWidget* fib = OpenFromMenu(menu, "cmdFibonacci", large, QStringLiteral("frmFibonacci"));
    FillFibonacci(fib, QStringLiteral("Swing2004"),
                  QStringLiteral("Low on 1/1, high on 3/1.\nWatch 125.00 around 3/31."));
    Click(fib, "cmdSave");     // Swing2004.fib
    Click(fib, "cmdExport");   // Swing2004.txt

    QWidget* gann = OpenFromMenu(menu, "cmdGann", large, QStringLiteral("frmGann"));
    FillGann(gann, QStringLiteral("Pivot100"), QStringLiteral("100"), QDate(2024, 1, 15),
             QStringLiteral("Low of the week on 1/15.\nHighs 120 and 144?"));
    Click(gann, "cmdSave");     // Pivot100.gann
    Click(gann, "cmdExport");   // Pivot100.txt

    // The ratios dialog writes the settings file when OK is pressed.
    WithModalDialog(fib, "cmdRatios", [](QWidget* dialog) {
        Type(dialog, "txtRatio1", QStringLiteral("0.618"));
        Type(dialog, "txtRatio2", QStringLiteral("1"));
        Type(dialog, "txtRatio3", QStringLiteral("1.618"));
        Click(dialog, "cmdOk");
        if (dialog->isVisible()) {
            Fail(QStringLiteral("the ratios dialog refused the example ratios"));
            Click(dialog, "cmdCancel");
        }
    });

    // Close without questions: everything was saved.
    for (QWidget* w : {fib, gann})
        if (w) w->close();
    Settle();
    return 0;
}

}  // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Marlowind - Tessaray"));
    InstallFontSubstitutes();
    QApplication::setFont(MakeFont(QStringLiteral("MS Sans Serif"), 8));

    const QStringList args = QApplication::arguments();
    if (args.size() != 3 || (args[1] != QLatin1String("images") && args[1] != QLatin1String("files"))) {
        std::fprintf(stderr, "usage: tessaray-docshots images|files DIR\n");
        return 64;
    }
    g_outDir = QDir(args[2]).absolutePath();
    if (!QDir().mkpath(g_outDir)) {
        std::fprintf(stderr, "tessaray-docshots: cannot create %s\n", qPrintable(g_outDir));
        return 1;
    }

    DocsPlatform docs;
    g_platform = &docs;
    // Program folder: for "files" the output folder itself, so the windows propose
    // their files there; for "images" a scratch folder, so nothing but PNGs lands.
    const QString scratch = QDir(g_outDir).filePath(QStringLiteral(".docshots-scratch"));
    docs.dir = args[1] == QLatin1String("files") ? g_outDir : scratch;
    QDir().mkpath(docs.dir);
    setPlatform(&docs);

    auto* menu = new frmMain();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->show();
    Settle();

    if (args[1] == QLatin1String("images"))
        Images(*menu);
    else
        Files(*menu);

    for (const QString& m : docs.messages)
        std::fprintf(stderr, "message: %s\n", qPrintable(QString(m).replace(QLatin1Char('\n'), QLatin1Char(' '))));
    if (args[1] == QLatin1String("images"))
        QDir(scratch).removeRecursively();

    for (QWidget* w : QApplication::topLevelWidgets())
        w->close();
    Settle();
    setPlatform(nullptr);
    return g_failures == 0 ? 0 : 1;
}
