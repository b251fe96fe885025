#include "faultywrites.h"
#include "uitest.h"
#include "forms/fibonacci/frmFibonacci.h"
#include "forms/gann/frmGann.h"
#include "forms/shell/frmFibRatios.h"
#include "forms/shell/frmMain.h"
#include "forms/shell/settings.h"
#include "modules/dates.h"
#include "platform/widgets.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QtTest>
#include <memory>

Q_DECLARE_METATYPE(Layout)

namespace {

const QDate Today(2024, 6, 1);
const QString TooLargeFib = QStringLiteral("Enter a smaller price: this one is too large to calculate with.");
const QString TooLargeGann = QStringLiteral("Please enter a price smaller than 10000");
const QString CantOpen = QStringLiteral("Action failed:\nCan't open project file");
const QString PastLastDate = QString::fromLatin1(DateAfterRangeMessage);

QByteArray FileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// Ten megabytes of notes, the way a trader pastes a whole research log into them.
QByteArray LongNotes()
{
    QByteArray notes;
    const QByteArray line = "Gold tested the 1/1 line again, volume light; watch 1290 and the March turn.\r\n";
    while (notes.size() < 10 * 1024 * 1024)
        notes += line;
    return notes;
}

// What a window shows and holds after a calculation, to compare before and after.
struct FibView {
    QString prices, dates;
    QImage chart;
    double price1, price2;
    QDate date1, date2;
    std::array<double, 4> potentialPrice;
    std::array<QDate, 101> potentialDate;
    bool operator==(const FibView& o) const
    {
        return prices == o.prices && dates == o.dates && chart == o.chart && price1 == o.price1
            && price2 == o.price2 && date1 == o.date1 && date2 == o.date2
            && potentialPrice == o.potentialPrice && potentialDate == o.potentialDate;
    }
};

FibView View(FibonacciWindow* w)
{
    return {w->lblPrices->text(), w->lblDates->text(), w->pbFibonacci->surface().picture(),
            w->Price1, w->Price2, w->Date1, w->Date2, w->PotentialPrice, w->PotentialDate};
}

struct GannView {
    QString prices, dates;
    QImage chart;
    qint16 price;
    QDate date;
    std::array<qint16, GannAngleSlots + 1> highs, lows;
    bool operator==(const GannView& o) const
    {
        return prices == o.prices && dates == o.dates && chart == o.chart && price == o.price
            && date == o.date && highs == o.highs && lows == o.lows;
    }
};

GannView View(GannWindow* w)
{
    return {w->lblPrices->text(), w->lblDates->text(), w->pbGann->surface().picture(),
            w->state.GannPrice, w->state.GannDate, w->state.PotentialHigh, w->state.PotentialLow};
}

// Pasting as the trader does it: through the clipboard, over the whole text. The
// box's own length limit applies, the key filter does not.
void Paste(TextBox* box, const QString& text)
{
    QGuiApplication::clipboard()->setText(text);
    box->selectAll();
    box->paste();
}

} // namespace

class TestBadInput : public UiTest {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void fibonacciPastedPrice_data();
    void fibonacciPastedPrice();
    void gannPastedPrice_data();
    void gannPastedPrice();
    void projectFiles_data();
    void projectFiles();
    void settingsFiles_data();
    void settingsFiles();
    void failedWrites_data();
    void failedWrites();
    void typedDates_data();
    void typedDates();
    void datesPastTheLastDay();

private:
    QString InDir(const QString& name) const { return programDir() + "/" + name; }
    // A folder that can never be created: it would lie under a regular file.
    QString Unwritable(const QString& name) const { return InDir("plain-file/" + name); }
    std::unique_ptr<DocumentWindow> RunWriter(const QString& writer, const QString& target);
};

void TestBadInput::initTestCase()
{
    SetCurrentRatios(DefaultRatios);
}

void TestBadInput::init()
{
    UiTest::init();
    fake().todayDate = Today;
    fake().screen = QSize(1024, 768);
    QVERIFY(WriteBytes(InDir("plain-file"), "not a folder"));
}

void TestBadInput::fibonacciPastedPrice_data()
{
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("boxText");   // what the box holds afterwards (8 characters at most)
    QTest::addColumn<QString>("message");   // empty: the calculation goes through
    QTest::addColumn<double>("price1");     // what the calculation then used

    QTest::newRow("letters read as no price")
        << "abc" << "abc" << "Either both or none of the prices should be entered" << 0.0;
    QTest::newRow("letters after digits stop the number") << "120abc" << "120abc" << "" << 120.0;
    QTest::newRow("plus sign") << "+120" << "+120" << "" << 120.0;
    QTest::newRow("second point ends the number") << "12.5.3" << "12.5.3" << "" << 12.5;
    QTest::newRow("blanks inside") << "1 20" << "1 20" << "" << 120.0;
    QTest::newRow("same as the other price") << "150" << "150" << "Both prices can't be the same" << 150.0;
    QTest::newRow("1e400") << "1e400" << "1e400" << TooLargeFib << 0.0;
    QTest::newRow("1e400 with blanks") << "1e4 0 0" << "1e4 0 0" << TooLargeFib << 0.0;
    QTest::newRow("6000 digits: the box keeps eight")
        << QString(6000, QLatin1Char('9')) << "99999999" << "" << 99999999.0;
}

// Pasting goes past the key filter, so the box can hold anything; the check reads it.
void TestBadInput::fibonacciPastedPrice()
{
    QFETCH(QString, pasted);
    QFETCH(QString, boxText);
    QFETCH(QString, message);
    QFETCH(double, price1);
    std::unique_ptr<FibonacciWindow> w(new frmFibonacci);
    w->show();
    w->txtPrice1->setText("100");
    w->txtPrice2->setText("150");
    w->dtpDate1->setValue(QDate(2024, 1, 2));
    w->dtpDate2->setValue(QDate(2024, 3, 1));
    w->cmdCalculate->click();
    QVERIFY(fake().messages.isEmpty());
    const FibView before = View(w.get());

    Paste(w->txtPrice1, pasted);
    QCOMPARE(w->txtPrice1->text(), boxText);
    w->cmdCalculate->click();
    if (message.isEmpty()) {
        QVERIFY2(fake().messages.isEmpty(), qPrintable(fake().lastMessage()));
        QCOMPARE(w->Price1, price1);
        QVERIFY(w->lblPrices->text() != before.prices);
        return;
    }
    QCOMPARE(fake().messageTexts(), QStringList{message});
    QCOMPARE(fake().messages[0].caption, ProgramTitle);
    QCOMPARE(fake().messages[0].icon, MsgIcon::None);
    const FibView after = View(w.get());
    // The lists, the chart and the results stay; only a price the check could read
    // is kept as the rejected input, as the window always did.
    QCOMPARE(after.prices, before.prices);
    QCOMPARE(after.dates, before.dates);
    QCOMPARE(after.chart, before.chart);
    QCOMPARE(after.potentialPrice, before.potentialPrice);
    QCOMPARE(after.potentialDate, before.potentialDate);
    if (message == TooLargeFib)
        QVERIFY(after == before);
    else
        QCOMPARE(w->Price1, price1);
}

void TestBadInput::gannPastedPrice_data()
{
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("price");          // GannPrice after a calculation that went through
    QTest::addColumn<QString>("firstHigh");  // first line of the highs table, "" for headers only

    QTest::newRow("letters are no price") << "abc" << "" << 0 << "";
    QTest::newRow("negative is no price") << "-500" << "" << 0 << "";
    QTest::newRow("plus sign") << "+100" << "" << 100 << "45     105    95";
    QTest::newRow("second point ends the number, half to even") << "10.5.9" << "" << 10 << "45     12     8";
    QTest::newRow("price 0") << "0" << "" << 0 << "";
    QTest::newRow("price 1 has no low") << "1" << "" << 1 << "45     2";
    QTest::newRow("price 9999, the band chart") << "9999" << "" << 9999 << "45     10050  9950";
    QTest::newRow("1e400 keeps 1e40, still too large") << "1e400" << TooLargeGann << 700 << "";
    QTest::newRow("1e5") << "1e5" << TooLargeGann << 700 << "";
    QTest::newRow("price 10000") << "10000" << TooLargeGann << 700 << "";
    // Only typing is held to four characters; a paste is judged by the calculation.
    QTest::newRow("6000 digits") << QString(6000, QLatin1Char('7')) << TooLargeGann << 700 << "";
    QTest::newRow("99999999999") << "99999999999" << TooLargeGann << 700 << "";
}

void TestBadInput::gannPastedPrice()
{
    QFETCH(QString, pasted);
    QFETCH(QString, message);
    QFETCH(int, price);
    QFETCH(QString, firstHigh);
    std::unique_ptr<GannWindow> w(new frmGann);
    w->show();
    w->txtPrice->setText("700");
    w->dtpInputDate->setValue(QDate(2024, 1, 15));
    w->cmdCalculate->click();
    QVERIFY(fake().messages.isEmpty());
    const GannView before = View(w.get());

    Paste(w->txtPrice, pasted);
    w->cmdCalculate->click();
    if (!message.isEmpty()) {
        QCOMPARE(fake().messageTexts(), QStringList{message});
        const GannView after = View(w.get());
        QCOMPARE(after.prices, before.prices);
        QCOMPARE(after.dates, before.dates);
        QCOMPARE(after.chart, before.chart);
        QCOMPARE(after.highs, before.highs);
        QCOMPARE(after.lows, before.lows);
        return;
    }
    QVERIFY2(fake().messages.isEmpty(), qPrintable(fake().lastMessage()));
    QCOMPARE(int(w->state.GannPrice), price);
    const QStringList table = w->lblPrices->text().split("\r\n");
    QCOMPARE(table.value(2).trimmed(), firstHigh.trimmed());
    QCOMPARE(w->lblDates->text(), before.dates);   // same date, same dates
}

void TestBadInput::projectFiles_data()
{
    QTest::addColumn<bool>("gann");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("name");   // project name box afterwards

    const QString fibNothing = "No input specified";
    const QString gannNothing = "Please enter price and/or date";
    const QByteArray fib = "NM=Gold\r\nP1=100\r\nP2=150\r\nD1=1/2/2024\r\nD2=3/1/2024\r\nNT=Notes\r\n";
    QByteArray binary;
    for (int i = 0; i < 4096; ++i)
        binary += char((i * 7919) & 0xFF);

    QTest::newRow("fib empty") << false << QByteArray() << QStringList{fibNothing} << "Project Name";
    QTest::newRow("fib binary: unknown keys, nothing read") << false << binary << QStringList{fibNothing}
                                                            << "Project Name";
    // A failed open leaves the Fibonacci controls as they were.
    QTest::newRow("fib truncated mid-line") << false << fib.left(fib.indexOf("D1=") + 6)
                                            << QStringList{CantOpen} << "Project Name";
    QTest::newRow("fib LF only") << false << QByteArray(fib).replace("\r\n", "\n") << QStringList{} << "Gold";
    QTest::newRow("fib CR only: one line, a name with the rest in it")
        << false << QByteArray(fib).replace("\r\n", "\r") << QStringList{fibNothing} << "Gold\rP1";
    QTest::newRow("fib 10 MB of notes") << false << fib + LongNotes() << QStringList{} << "Gold";
    QTest::newRow("fib month 13") << false << QByteArray("NM=Gold\r\nD1=13/45/2024\r\n") << QStringList{CantOpen}
                                   << "Project Name";
    QTest::newRow("fib empty date") << false << QByteArray("NM=Gold\r\nD1=\r\n") << QStringList{CantOpen}
                                    << "Project Name";
    QTest::newRow("fib letters for a price") << false << QByteArray("NM=Gold\r\nP1=abc\r\n") << QStringList{CantOpen}
                                             << "Project Name";
    QTest::newRow("fib price beyond a double") << false
                                               << QByteArray("NM=Gold\r\nP1=99999999999\r\nP2=1e400\r\n")
                                               << QStringList{CantOpen} << "Project Name";
    QTest::newRow("fib price 99999999999") << false
                                           << QByteArray("NM=Gold\r\nP1=99999999999\r\nP2=5\r\n")
                                           << QStringList{} << "Gold";

    const QByteArray gann = "NM=Gold\r\nPR=700\r\nDT=1/15/2024\r\nNT=Notes\r\n";
    QTest::newRow("gann empty") << true << QByteArray() << QStringList{gannNothing} << "Project Name";
    QTest::newRow("gann binary") << true << binary << QStringList{gannNothing} << "Project Name";
    QTest::newRow("gann truncated mid-line") << true << gann.left(gann.indexOf("DT=") + 5)
                                             << QStringList{CantOpen} << "Gold";
    QTest::newRow("gann LF only") << true << QByteArray(gann).replace("\r\n", "\n") << QStringList{} << "Gold";
    QTest::newRow("gann CR only") << true << QByteArray(gann).replace("\r\n", "\r")
                                  << QStringList{gannNothing} << "Gold\rPR";
    QTest::newRow("gann 10 MB of notes") << true << gann + LongNotes() << QStringList{} << "Gold";
    QTest::newRow("gann month 13") << true << QByteArray("NM=Gold\r\nDT=13/45/2024\r\n") << QStringList{CantOpen}
                                   << "Gold";
    QTest::newRow("gann price 99999999999") << true << QByteArray("NM=Gold\r\nPR=99999999999\r\nDT=1/15/2024\r\n")
                                            << QStringList{TooLargeGann} << "Gold";
    QTest::newRow("gann price 10000") << true << QByteArray("PR=10000\r\n") << QStringList{TooLargeGann}
                                      << "Project Name";
    QTest::newRow("gann letters for a price") << true << QByteArray("NM=Gold\r\nPR=abc\r\nDT=1/15/2024\r\n")
                                              << QStringList{} << "Gold";
}

// Open never changes the file it reads; whatever it holds ends in a message or a
// document, never a crash.
void TestBadInput::projectFiles()
{
    QFETCH(bool, gann);
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, messages);
    QFETCH(QString, name);
    const QString path = InDir(gann ? "damaged.gann" : "damaged.fib");
    QVERIFY(WriteBytes(path, bytes));
    fake().openAnswers << path;

    std::unique_ptr<QWidget> w(gann ? static_cast<QWidget*>(new frmGann) : new frmFibonacci);
    w->show();
    UI_CLICK(w.get(), "cmdOpen");
    QCOMPARE(fake().messageTexts(), messages);
    QCOMPARE(ui::find<TextBox>(w.get(), "txtProject")->text(), name);
    QVERIFY(FileBytes(path) == bytes);
    if (auto* g = qobject_cast<GannWindow*>(w.get()))
        QCOMPARE(g->ProjectState, messages.contains(CantOpen) ? ProjectStatus::New : ProjectStatus::Open);
    else if (auto* f = qobject_cast<FibonacciWindow*>(w.get()))
        QCOMPARE(f->ProjectState, messages.contains(CantOpen) ? ProjectStatus::New : ProjectStatus::Open);
}

void TestBadInput::settingsFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<double>("r1");
    QTest::addColumn<double>("r2");
    QTest::addColumn<double>("r3");

    QByteArray binary;
    for (int i = 0; i < 4096; ++i)
        binary += char((i * 7919) & 0xFF);
    QByteArray huge(10 * 1024 * 1024, 'x');
    huge += "\r\nFIB1=0.3\r\nFIB2=0.4\r\nFIB3=0.5\r\n";

    QTest::newRow("empty: nothing read") << QByteArray() << 0.0 << 0.0 << 0.0;
    QTest::newRow("binary without =") << binary.replace('=', 'x') << 0.0 << 0.0 << 0.0;
    QTest::newRow("truncated mid-line") << QByteArray("FIB1=0.3\r\nFIB2=0.4\r\nFIB3=0.") << 0.3 << 0.4 << 0.0;
    QTest::newRow("truncated after the =") << QByteArray("FIB1=0.3\r\nFIB2=") << 0.382 << 0.5 << 0.618;
    QTest::newRow("LF only") << QByteArray("FIB1=0.3\nFIB2=0.4\nFIB3=0.5\n") << 0.3 << 0.4 << 0.5;
    QTest::newRow("CR only: one line that is not a number")
        << QByteArray("FIB1=0.3\rFIB2=0.4\rFIB3=0.5\r") << 0.382 << 0.5 << 0.618;
    QTest::newRow("10 MB line before the ratios") << huge << 0.3 << 0.4 << 0.5;
    QTest::newRow("letters") << QByteArray("FIB1=abc\r\n") << 0.382 << 0.5 << 0.618;
    QTest::newRow("too large for a double") << QByteArray("FIB1=1e400\r\n") << 0.382 << 0.5 << 0.618;
    QTest::newRow("huge but a number") << QByteArray("FIB3=99999999999\r\n") << 0.0 << 0.0 << 99999999999.0;
}

// The main menu reads the settings as it loads; a settings file never stops start-up.
void TestBadInput::settingsFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(double, r1);
    QFETCH(double, r2);
    QFETCH(double, r3);
    QVERIFY(WriteBytes(SettingsPath(programDir()), bytes));
    SetCurrentRatios({0, 0, 0});
    { frmMain menu; }
    QCOMPARE(FibRatio1, r1);
    QCOMPARE(FibRatio2, r2);
    QCOMPARE(FibRatio3, r3);
    QVERIFY(FileBytes(SettingsPath(programDir())) == bytes);
    SetCurrentRatios(DefaultRatios);
}

// Every writer against every way a write fails: no folder for the file, a disk that
// fills up after 10 bytes, a device named as the file. The failure message, the old
// file byte for byte, the document still changed, and a pending close abandoned.
void TestBadInput::failedWrites_data()
{
    QTest::addColumn<QString>("writer");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("message");
    const QString cantSave = QStringLiteral("Action failed:\nCan't save result file.");
    const QList<std::pair<const char*, QString>> writers{
        {"fib save", cantSave},
        {"fib close, Save Changes? Yes", cantSave},
        {"fib export", QStringLiteral("Action failed:\nCan't export to result file.")},
        {"fib bitmap", QStringLiteral("Error in Printing: Cannot write the file ")},
        {"gann save", cantSave},
        {"gann close, Save Changes? Yes", cantSave},
        {"gann export", QStringLiteral("Action failed:\nCould not export results")},
        {"gann bitmap", QStringLiteral("Error in Printing: Cannot write the file ")},
        {"ratios", QStringLiteral("Action failed:\nCan't save ratios")}};
    for (const auto& [writer, message] : writers)
        for (const char* fault : {"no folder", "disk full", "device"})
            QTest::addRow("%s, %s", writer, fault) << writer << fault << message;
}

void TestBadInput::failedWrites()
{
    QFETCH(QString, writer);
    QFETCH(QString, fault);
    QFETCH(QString, message);
    const QByteArray oldBytes = "NM=Old\r\nP1=1290\r\n";
    QString target = fault == "no folder" ? Unwritable("target") : InDir("target");
    if (writer == "ratios") {
        if (fault == "no folder")
            fake().dir = Unwritable("program");
        target = SettingsPath(fake().dir);
    }
    if (fault == "disk full") {
        QVERIFY(WriteBytes(target, oldBytes));
        SetFileWriteStep(DiskFullAfter(10));
    } else if (fault == "device") {
        QVERIFY(QFile::link("/dev/full", target));
    }
    const std::unique_ptr<DocumentWindow> w = RunWriter(writer, target);
    SetFileWriteStep({});

    QVERIFY2(fake().lastMessage().startsWith(message), qPrintable(fake().messageTexts().join('|')));
    QCOMPARE(fake().messages.size(), writer.contains("close") ? 2 : 1);
    if (fault == "disk full")
        QCOMPARE(FileBytes(target), oldBytes);
    QVERIFY(QFileInfo("/dev/full").exists() && !QFileInfo("/dev/full").isFile());
    QCOMPARE(FileBytes(InDir("plain-file")), QByteArray("not a folder"));
    if (w) {
        QCOMPARE(w->ChangedFlag, ChangeStatus::Changed);
        QVERIFY(w->isVisible());
    } else {
        QCOMPARE(FibRatio1, 0.25);   // in force for the run all the same
        SetCurrentRatios(DefaultRatios);
    }
}

// Does what the writer's row names with a changed document (or new ratios), the file
// dialog answering `target`; returns the window, or nullptr for the ratios dialog.
std::unique_ptr<DocumentWindow> TestBadInput::RunWriter(const QString& writer, const QString& target)
{
    if (writer == "ratios") {
        frmFibRatios dialog;
        dialog.show();
        dialog.txtRatio1->setText("0.25");
        dialog.txtRatio2->setText("0.5");
        dialog.txtRatio3->setText("0.75");
        dialog.cmdOk->click();
        return nullptr;
    }
    const bool gann = writer.startsWith("gann");
    std::unique_ptr<DocumentWindow> w(gann ? static_cast<DocumentWindow*>(new frmGann) : new frmFibonacci);
    w->show();
    ui::find<TextBox>(w.get(), "txtProject")->setText("Gold");
    [&] {
        UI_CHECK(ui::retype(w.get(), gann ? "txtPrice" : "txtPrice1", "100"));
        if (!gann)
            UI_RETYPE(w.get(), "txtPrice2", "150");
        UI_CLICK(w.get(), "cmdCalculate");
    }();
    fake().saveAnswers << target;
    if (writer.contains("close")) {
        fake().answers << MsgResult::Yes;
        w->close();
    } else if (writer.contains("bitmap")) {
        watchdog().expectDialog("frmPrintOption", [](QWidget* d) { QVERIFY(ui::click(d, "cmdOk").isEmpty()); });
        [&] { UI_CLICK(w.get(), "cmdPrint"); }();
    } else {
        [&] { UI_CHECK(ui::click(w.get(), writer.contains("save") ? "cmdSave" : "cmdExport")); }();
    }
    return w;
}

// Dates typed into the pickers of both windows through real key presses. "^A" is
// Ctrl+A, "<Home>", "<Up>", "<Down>", "<BS>" those keys; anything else is typed. The
// picker starts at 12/15/2024 and is left with Tab. A text that is not a whole date
// (expected date invalid) stays as typed, and Calculate says so instead of using
// another date.
void TestBadInput::typedDates_data()
{
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("date");
    struct Row { const char* name; QStringList keys; const char* text; QDate date; };
    for (const Row& r : std::initializer_list<Row>{
             {"Ctrl+A, m/d/yyyy", {"^A", "1/15/2024"}, "1/15/2024", QDate(2024, 1, 15)},
             {"Ctrl+A, mm/dd/yyyy", {"^A", "03/01/2004"}, "3/1/2004", QDate(2004, 3, 1)},
             {"two digits move on without /", {"^A", "07041776"}, "7/4/1776", QDate(1776, 7, 4)},
             {"/ moves to the day, typing replaces it", {"<Home>", "/", "20"}, "12/20/2024", QDate(2024, 12, 20)},
             {"backspace and retype the year", {"<BS>", "<BS>", "25"}, "12/15/2025", QDate(2025, 12, 15)},
             {"Up on December: January of the next year", {"<Home>", "<Up>"}, "1/15/2025", QDate(2025, 1, 15)},
             {"Down on the day", {"<Home>", "/", "<Down>"}, "12/14/2024", QDate(2024, 12, 14)},
             {"year cut short", {"^A", "1/15/20"}, "1/15/20", QDate()},
             {"a day February lacks", {"^A", "2/30/2024"}, "2/30/2024", QDate()},
             {"before the first day", {"^A", "1/1/1500"}, "1/1/1500", QDate()},
             {"letters are not taken", {"^A", "1/x5/2024"}, "1/5/2024", QDate(2024, 1, 5)}})
        for (const char* picker : {"dtpDate1", "dtpDate2", "dtpInputDate"})
            QTest::addRow("%s, %s", picker, r.name) << (QStringList{picker} + r.keys) << r.text << r.date;
}

void TestBadInput::typedDates()
{
    QFETCH(QStringList, keys);
    QFETCH(QString, text);
    QFETCH(QDate, date);
    const QString pickerName = keys.takeFirst();
    const bool gann = pickerName == "dtpInputDate";
    std::unique_ptr<QWidget> w(gann ? static_cast<QWidget*>(new frmGann) : new frmFibonacci);
    w->show();
    QApplication::setActiveWindow(w.get());
    UI_CHECK(ui::retype(w.get(), gann ? "txtPrice" : "txtPrice1", "100"));
    if (!gann)
        UI_RETYPE(w.get(), "txtPrice2", "150");
    auto* picker = ui::find<DatePicker>(w.get(), pickerName);
    picker->setValue(QDate(2024, 12, 15));
    picker->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(picker, Qt::Key_End);
    const QHash<QString, Qt::Key> named{{"<Home>", Qt::Key_Home}, {"<Up>", Qt::Key_Up},
                                        {"<Down>", Qt::Key_Down}, {"<BS>", Qt::Key_Backspace}};
    for (const QString& k : keys) {
        if (k == "^A")
            QTest::keyClick(picker, Qt::Key_A, Qt::ControlModifier);
        else if (named.contains(k))
            QTest::keyClick(picker, named[k]);
        else
            QTest::keyClicks(picker, k);
    }
    QTest::keyClick(picker, Qt::Key_Tab);
    QVERIFY(!picker->hasFocus());   // one Tab leaves the picker
    QCOMPARE(picker->text(), text);
    QCOMPARE(picker->isComplete(), date.isValid());
    QCOMPARE(picker->value(), date.isValid() ? date : QDate(2024, 12, 15));
    UI_CLICK(w.get(), "cmdCalculate");
    const bool refused = fake().lastMessage().startsWith("Type the whole date as m/d/yyyy");
    QCOMPARE(refused, !date.isValid());
    QCOMPARE(picker->text(), text);
}

// Late in the year 9999 the projections run off the calendar: the sentence says what
// to do, and the window keeps what it showed.
void TestBadInput::datesPastTheLastDay()
{
    {
        std::unique_ptr<FibonacciWindow> w(new frmFibonacci);
        w->show();
        w->txtPrice1->setText("100");
        w->txtPrice2->setText("150");
        w->dtpDate1->setValue(QDate(2024, 1, 2));
        w->dtpDate2->setValue(QDate(2024, 3, 1));
        w->cmdCalculate->click();
        const FibView before = View(w.get());
        w->dtpDate1->setValue(QDate(9999, 6, 1));
        w->dtpDate2->setValue(QDate(9999, 12, 1));
        w->cmdCalculate->click();
        QCOMPARE(fake().messageTexts(), QStringList{PastLastDate});
        QVERIFY(View(w.get()) == before);
    }
    fake().messages.clear();
    {
        std::unique_ptr<GannWindow> w(new frmGann);
        w->show();
        w->txtPrice->setText("700");
        w->dtpInputDate->setValue(QDate(2024, 1, 15));
        w->cmdCalculate->click();
        const GannView before = View(w.get());
        w->dtpInputDate->setValue(QDate(9999, 3, 1));
        w->cmdCalculate->click();
        QCOMPARE(fake().messageTexts(), QStringList{PastLastDate});
        QVERIFY(View(w.get()) == before);
    }
}

QTEST_MAIN(TestBadInput)
#include "test_badinput.moc"
