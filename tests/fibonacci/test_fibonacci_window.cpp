#include "uitest.h"
#include "forms/fibonacci/frmFibonacci.h"
#include "forms/shell/settings.h"
#include "modules/dates.h"
#include "modules/textfile.h"
#include "platform/widgets.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

// The Fibonacci window driven the way a trader drives it: typing into the boxes,
// moving the pickers, pressing buttons and Enter, answering prompts and file dialogs
// (scripted by the fake platform, with today fixed at 6/1/2024).

namespace {
QDate D(int m, int d, int y) { return QDate(y, m, d); }
}  // namespace

class TestFibonacciWindow : public UiTest {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void workedExample_data();
    void workedExample();
    void failedCalculationKeepsWindow_data();
    void failedCalculationKeepsWindow();
    void loadOn800x600();
    void keyboard();
    void changeTrackingAndNew();
    void saveThenOpenRoundTrip();
    void openFailures();
    void ratiosApplyAtNextCalculation();

private:
    FibonacciWindow* Open(bool compact = false);
    void Type(const QString& box, const QString& text);
    void Enter(const QString& p1, const QString& p2, QDate d1 = QDate(), QDate d2 = QDate());
    QString Text(const QString& name) const { return window->findChild<QLabel*>(name)->text(); }
    QString Path(const QString& name) const { return programDir() + "/" + name; }

    QPointer<FibonacciWindow> window;
};

void TestFibonacciWindow::init()
{
    UiTest::init();
    FibRatio1 = 0.382;
    FibRatio2 = 0.5;
    FibRatio3 = 0.618;
}

void TestFibonacciWindow::cleanup()
{
    if (window) {
        window->ChangedFlag = "NO";
        delete window;
    }
    UiTest::cleanup();
}

FibonacciWindow* TestFibonacciWindow::Open(bool compact)
{
    fake().screen = compact ? QSize(800, 600) : QSize(1024, 768);
    window = compact ? static_cast<FibonacciWindow*>(new frmFibonacci86())
                     : static_cast<FibonacciWindow*>(new frmFibonacci());
    return window;
}

void TestFibonacciWindow::Type(const QString& box, const QString& text)
{
    auto* line = window->findChild<QLineEdit*>(box);
    line->clear();
    QTest::keyClicks(line, text);
}

// Pickers left at today (an invalid date here) stand for "no dates".
void TestFibonacciWindow::Enter(const QString& p1, const QString& p2, QDate d1, QDate d2)
{
    Type("txtPrice1", p1);
    Type("txtPrice2", p2);
    window->findChild<DatePicker*>("dtpDate1")->setValue(d1.isValid() ? d1 : fake().todayDate);
    window->findChild<DatePicker*>("dtpDate2")->setValue(d2.isValid() ? d2 : fake().todayDate);
}

void TestFibonacciWindow::workedExample_data()
{
    QTest::addColumn<bool>("compact");
    QTest::addColumn<double>("listingPoints");
    QTest::newRow("large") << false << 8.0;
    QTest::newRow("compact") << true << 7.0;
}

void TestFibonacciWindow::workedExample()
{
    QFETCH(bool, compact);
    FibonacciWindow* w = Open(compact);
    Enter("100", "150", D(1, 1, 2004), D(3, 1, 2004));
    UI_CLICK(w, "cmdCalculate");

    QVERIFY(fake().messages.isEmpty());
    QVERIFY(Text("lblPrices").endsWith("0.382       130.90\r\n0.5         125.00\r\n0.618       119.10"));
    QVERIFY(Text("lblDates").endsWith("0.618       04/07/2004"));
    auto* lblPrices = w->findChild<QLabel*>("lblPrices");
    QTEST(lblPrices->font().pointSizeF(), "listingPoints");
    QVERIFY(lblPrices->font().bold());

    // The chart in the box: the 119.10 level line is blue.
    const PictureSurface& surface = w->findChild<PictureBox*>("pbFibonacci")->surface();
    const FibChartGeometry g = ChartGeometry(surface.widthTwips(), surface.heightTwips());
    const int y = PriceToY(w->state(), g, 119.1);
    QCOMPARE(surface.picture().pixelColor(surface.toPixels(g.TimeAxisRight - 150), surface.toPixels(y)),
             QColor(0, 0, 255));
}

void TestFibonacciWindow::failedCalculationKeepsWindow_data()
{
    QTest::addColumn<QString>("p1");
    QTest::addColumn<QString>("p2");
    QTest::addColumn<QDate>("d1");
    QTest::addColumn<QDate>("d2");
    QTest::addColumn<QString>("message");
    QTest::addColumn<double>("price1After");   // rejected prices stay in the state
    QTest::newRow("rejected input") << "105" << "" << D(1, 1, 2010) << D(3, 1, 2010)
                                    << "Either both or none of the prices should be entered" << 105.0;
    QTest::newRow("date past the calendar") << "10" << "20" << D(1, 1, 9999) << D(12, 1, 9999)
                                            << QString::fromLatin1(DateAfterRangeMessage) << 100.0;
}

void TestFibonacciWindow::failedCalculationKeepsWindow()
{
    QFETCH(QString, p1);
    QFETCH(QString, p2);
    QFETCH(QDate, d1);
    QFETCH(QDate, d2);
    FibonacciWindow* w = Open(true);
    Enter("100", "150", D(1, 1, 2004), D(3, 1, 2004));
    w->cmdCalculate_Click();
    const QString prices = Text("lblPrices"), dates = Text("lblDates");
    const QImage chart = w->pbFibonacci->surface().image();

    Enter(p1, p2, d1, d2);
    w->cmdCalculate_Click();
    QCOMPARE(fake().messages.size(), 1);
    QTEST(fake().messages[0].text, "message");
    QCOMPARE(fake().messages[0].caption, ProgramTitle);
    QVERIFY(fake().messages[0].icon == MsgIcon::None);
    QTEST(w->Price1, "price1After");
    QCOMPARE(w->Date1, D(1, 1, 2004));
    QCOMPARE(w->PotentialPrice[1], 130.9);
    QCOMPARE(w->PotentialDate[3], D(4, 7, 2004));
    QCOMPARE(Text("lblPrices"), prices);
    QCOMPARE(Text("lblDates"), dates);
    QVERIFY(w->pbFibonacci->surface().image() == chart);
}

void TestFibonacciWindow::loadOn800x600()
{
    FibonacciWindow* w = Open(true);
    QCOMPARE(QRect(w->WindowLeft, w->WindowTop, w->WindowWidth, w->WindowHeight), QRect(0, 0, 12000, 9000));
    QCOMPARE(w->ChartHalfSize, 4250);
    QCOMPARE(w->pbFibonacci->surface().widthTwips(), 8500);
    QCOMPARE(w->pbFibonacci->geometry(), QRect(227, 0, 567, 567));   // left 3400 twips

    // An empty document in the controls, and the bare axes on the chart.
    QCOMPARE(w->txtProject->text(), QString("Project Name"));
    QCOMPARE(w->txtNotes->text(), QString("Notes"));
    QCOMPARE(w->txtPrice1->text(), QString());
    QCOMPARE(w->dtpDate2->value(), fake().todayDate);
    QCOMPARE(w->ProjectState + w->ChangedFlag, QString("NEWNO"));
    QVERIFY(!w->cmdNew->isEnabled());
    const PictureSurface& s = w->pbFibonacci->surface();
    QCOMPARE(s.picture().pixelColor(s.toPixels(4000), s.toPixels(w->TimeAxisY)), QColor(Qt::black));
}

void TestFibonacciWindow::keyboard()
{
    FibonacciWindow* w = Open();
    w->show();
    QApplication::setActiveWindow(w);
    QVERIFY(QTest::qWaitForWindowActive(w));
    QCOMPARE(QApplication::focusWidget(), w->txtPrice1);

    // Digits and one point only, at most 8 characters.
    QTest::keyClicks(w->txtPrice1, "1a2.-3.4 56789");
    QCOMPARE(w->txtPrice1->text(), QString("12.34567"));

    // Enter calculates, except in the notes, where it starts a new line.
    Enter("100", "150");
    UI_CHECK(ui::key(w, "txtPrice2", Qt::Key_Return));
    QCOMPARE(w->PotentialPrice[2], 125.0);
    Type("txtPrice1", "110");
    w->txtNotes->setFocus();
    w->txtNotes->selectAll();
    QTest::keyClicks(w->txtNotes, "a");
    QTest::keyClick(w->txtNotes, Qt::Key_Return);
    QTest::keyClicks(w->txtNotes, "b");
    QCOMPARE(w->txtNotes->text(), QString("a\nb"));
    QCOMPARE(w->PotentialPrice[2], 125.0);
    w->dtpDate1->setFocus();
    UI_CHECK(ui::key(w, "dtpDate1", Qt::Key_Enter));
    QCOMPARE(w->PotentialPrice[2], 130.0);
    QCOMPARE(w->Notes, QString("a\r\nb"));

    // Tab walks the controls (a date picker takes a few presses for its fields).
    w->cmdNew->setFocus();
    QStringList order;
    for (int i = 0; i < 60 && order.size() < 14; ++i) {
        const QString name = QApplication::focusWidget()->objectName();
        if (order.isEmpty() || order.last() != name) order << name;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(order, (QStringList{"cmdNew", "cmdOpen", "cmdSave", "cmdExit", "txtProject", "txtPrice1",
                                 "dtpDate1", "txtPrice2", "dtpDate2", "cmdCalculate", "txtNotes",
                                 "cmdExport", "cmdPrint", "cmdRatios"}));
}

void TestFibonacciWindow::changeTrackingAndNew()
{
    FibonacciWindow* w = Open();
    UI_PICK(w, "dtpDate1", D(1, 1, 2004));
    QCOMPARE(w->ChangedFlag, QString("YES"));
    QVERIFY(w->cmdNew->isEnabled());

    // New asks first: Cancel keeps the typing, Yes runs the save (refused here: one
    // price only), No discards it and starts a fresh document with the bare chart.
    Enter("100", "150", D(1, 1, 2004), D(3, 1, 2004));
    w->cmdCalculate_Click();
    Type("txtPrice2", "");
    fake().answers << MsgResult::Cancel << MsgResult::Yes << MsgResult::No;
    for (const QString flag : {"YES", "YES", "NO"}) {
        UI_CLICK(w, "cmdNew");
        QCOMPARE(w->ChangedFlag, flag);
        QCOMPARE(w->txtPrice1->text(), flag == "YES" ? QString("100") : QString());
    }
    QCOMPARE(fake().messageTexts(), (QStringList{"Save Changes?", "Save Changes?",
        "Either both or none of the prices should be entered", "Save Changes?"}));
    QVERIFY(fake().messages[0].buttons == MsgButtons::YesNoCancel);
    QCOMPARE(w->ProjectState + w->ChangedFlag, QString("NEWNO"));
    QVERIFY(!w->cmdNew->isEnabled());
    QCOMPARE(Text("lblPrices") + Text("lblDates") + w->txtPrice1->text(), QString());
    QCOMPARE(w->Date1, NullDate());
    const PictureSurface& s = w->pbFibonacci->surface();
    QCOMPARE(s.picture().pixelColor(s.toPixels(w->TimeAxisRight - 150), s.toPixels(4798)), QColor(Qt::white));

    // An untouched document closes without a question.
    QPointer<FibonacciWindow> guard(w);
    UI_CLICK(w, "cmdExit");
    QCOMPARE(fake().messages.size(), 4);
    QTRY_VERIFY(guard.isNull());
}

void TestFibonacciWindow::saveThenOpenRoundTrip()
{
    FibonacciWindow* w = Open();
    Enter("100", "150", D(1, 1, 2004), D(3, 1, 2004));
    w->txtNotes->setPlainText("first line\n\nthird line");
    // The name box still shows its placeholder: no dialog.
    UI_CLICK(w, "cmdSave");
    QCOMPARE(fake().messageTexts(), QStringList{"Project name not specified!"});
    QVERIFY(fake().saveRequests.isEmpty());

    // A cancelled dialog is silent; a write that fails (the name is taken by a folder)
    // is reported. Neither changes the document.
    Type("txtProject", "  Plan ");
    QVERIFY(QDir(programDir()).mkdir("taken.fib"));
    fake().saveAnswers << std::nullopt << Path("taken.fib");
    UI_CLICK(w, "cmdSave");
    QCOMPARE(fake().messages.size(), 1);
    UI_CLICK(w, "cmdSave");
    QCOMPARE(fake().lastMessage(), QString("Action failed:\nCan't save result file."));
    QCOMPARE(fake().messages.last().caption, QString("Action failed"));
    QVERIFY(fake().messages.last().icon == MsgIcon::Critical);
    QVERIFY(QFileInfo(Path("taken.fib")).isDir());
    QCOMPARE(w->ProjectState + w->ChangedFlag + w->ProjectFile, QString("NEWYES"));

    const QString path = Path("Plan.fib");
    fake().saveAnswers.enqueue(path);
    fake().messages.clear();
    UI_CLICK(w, "cmdSave");
    QCOMPARE(fake().saveRequests.last(), "Fibonacci Project File| *.fib|" + path);
    QCOMPARE(fake().messageTexts(), QStringList{"Project saved to file " + path});
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("NM=Plan\r\nP1=100\r\nP2=150\r\nD1=1/1/2004\r\nD2=3/1/2004\r\n"
                                     "NT=first line\r\n\r\nthird line\r\n"));
    QCOMPARE(w->ProjectState + w->ChangedFlag, QString("OPENNO"));
    QCOMPARE(w->ProjectFile, path);
    QVERIFY(w->cmdNew->isEnabled());

    // A second save goes to the same file without a dialog.
    Type("txtPrice2", "160");
    UI_CLICK(w, "cmdSave");
    QCOMPARE(fake().saveRequests.size(), 3);
    QVERIFY(ReadTextLines(path)->contains("P2=160"));

    // New, then open the file again: the same document comes back, recalculated.
    UI_CLICK(w, "cmdNew");
    fake().openAnswers.enqueue(path);
    fake().messages.clear();
    UI_CLICK(w, "cmdOpen");
    QCOMPARE(fake().messageTexts(), QStringList());
    QCOMPARE(w->txtProject->text(), QString("Plan"));
    QCOMPARE(w->txtPrice2->text(), QString("160"));
    QCOMPARE(w->dtpDate1->value(), D(1, 1, 2004));
    QCOMPARE(w->txtNotes->text(), QString("first line\n\nthird line"));
    QVERIFY(Text("lblPrices").endsWith("0.618       122.92"));
    QCOMPARE(w->ProjectState + w->ChangedFlag, QString("OPENNO"));
    QCOMPARE(w->ProjectFile, path);
}

void TestFibonacciWindow::openFailures()
{
    FibonacciWindow* w = Open(true);
    Enter("100", "150", D(1, 1, 2004), D(3, 1, 2004));
    w->cmdCalculate_Click();
    w->ChangedFlag = "NO";
    auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile f(Path(name));
        if (f.open(QIODevice::WriteOnly)) f.write(bytes);
        return Path(name);
    };

    // A file whose inputs fail the check still opens; the old results stay on screen.
    const QString listing = Text("lblPrices");
    const QString onePrice = write("one.fib", "P1=5\r\nP2=0\r\n");
    fake().openAnswers.enqueue(onePrice);
    UI_CLICK(w, "cmdOpen");
    QCOMPARE(fake().messageTexts(), QStringList{"Either both or none of the prices should be entered"});
    QCOMPARE(w->ProjectState, QString("OPEN"));
    QCOMPARE(w->ProjectFile, onePrice);
    QCOMPARE(Text("lblPrices"), listing);

    // Missing or unreadable files: the document stays as it was.
    for (const QString& bad : {Path("none.fib"), write("bad.fib", "P1=12abc\r\n")}) {
        fake().openAnswers.enqueue(bad);
        UI_CLICK(w, "cmdOpen");
        QCOMPARE(fake().lastMessage(), QString("Action failed:\nCan't open project file"));
        QVERIFY(fake().messages.last().icon == MsgIcon::Critical);
        QCOMPARE(w->ProjectFile, onePrice);
        QCOMPARE(w->txtPrice1->text(), QString("5"));
    }
    // Cancelling the dialog is silent.
    fake().messages.clear();
    fake().openAnswers.enqueue(std::nullopt);
    UI_CLICK(w, "cmdOpen");
    QVERIFY(fake().messages.isEmpty());
}

void TestFibonacciWindow::ratiosApplyAtNextCalculation()
{
    FibonacciWindow* w = Open();
    Enter("100", "150");
    w->cmdCalculate_Click();
    const QString before = Text("lblPrices");

    bool wasModal = false;
    watchdog().expectDialog("frmFibRatios", [&](QWidget* dialog) {
        wasModal = dialog == QApplication::activeModalWidget();
        dialog->findChild<QLineEdit*>("txtRatio1")->setText("0.25");
        dialog->findChild<QPushButton*>("cmdOk")->click();
    });
    UI_CLICK(w, "cmdRatios");
    QVERIFY(wasModal);
    QCOMPARE(FibRatio1, 0.25);
    QCOMPARE(Text("lblPrices"), before);

    w->cmdCalculate_Click();
    QVERIFY(Text("lblPrices").contains("0.25        137.50"));
}

QTEST_MAIN(TestFibonacciWindow)
#include "test_fibonacci_window.moc"
