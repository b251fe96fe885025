#include "uitest.h"
#include "forms/fibonacci/frmFibonacci.h"
#include "forms/shell/settings.h"
#include "modules/dates.h"
#include "modules/textfile.h"
#include "platform/widgets.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

// The Fibonacci window driven the way a trader drives it: typing into the boxes,
// moving the pickers, pressing buttons and Enter, answering prompts and file dialogs
// (scripted by the fake platform, with today fixed at 6/1/2024).

Q_DECLARE_METATYPE(MsgResult)

namespace {

QDate D(int m, int d, int y) { return QDate(y, m, d); }

const QString PriceHeader = "Fib Ratio   Price\r\n---------   -----\r\n";
const QString DateHeader = "Fib Ratio   Date\r\n---------   ----\r\n";
const QString ExamplePrices = PriceHeader + "0.382       130.90\r\n0.5         125.00\r\n0.618       119.10";
const QString ExampleDates =
    DateHeader + "0.382       03/23/2004\r\n0.5         03/31/2004\r\n0.618       04/07/2004";

}  // namespace

class TestFibonacciWindow : public UiTest {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void workedExample_data();
    void workedExample();
    void moreExamples_data();
    void moreExamples();
    void rejectedInputsKeepResults_data();
    void rejectedInputsKeepResults();
    void calcErrorKeepsWindowAsItWas();
    void enterCalculatesExceptInNotes();
    void loadPlacesWindowAndChart_data();
    void loadPlacesWindowAndChart();
    void controlsAndTabOrder_data();
    void controlsAndTabOrder();
    void changeTracking();
    void newPrompt_data();
    void newPrompt();
    void closePrompt_data();
    void closePrompt();
    void saveThenOpenRoundTrip();
    void saveRefusals();
    void openHandWrittenFiles();
    void ratiosApplyAtNextCalculation();

private:
    FibonacciWindow* Open(bool compact);
    void Type(QWidget* box, const QString& text);
    void Enter(FibonacciWindow* w, const QString& p1, const QString& p2, QDate d1, QDate d2);
    QString WriteFile(const QString& name, const QByteArray& bytes);

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

void TestFibonacciWindow::Type(QWidget* box, const QString& text)
{
    if (auto* line = qobject_cast<QLineEdit*>(box)) line->clear();
    QTest::keyClicks(box, text);
}

void TestFibonacciWindow::Enter(FibonacciWindow* w, const QString& p1, const QString& p2, QDate d1,
                                QDate d2)
{
    Type(w->findChild<QLineEdit*>("txtPrice1"), p1);
    Type(w->findChild<QLineEdit*>("txtPrice2"), p2);
    w->findChild<DatePicker*>("dtpDate1")->setValue(d1.isValid() ? d1 : fake().todayDate);
    w->findChild<DatePicker*>("dtpDate2")->setValue(d2.isValid() ? d2 : fake().todayDate);
}

QString TestFibonacciWindow::WriteFile(const QString& name, const QByteArray& bytes)
{
    const QString path = QDir(programDir()).filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(path));
    f.write(bytes);
    return path;
}

// ---------------------------------------------------------------------------------

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
    QFETCH(double, listingPoints);
    FibonacciWindow* w = Open(compact);
    Enter(w, "100", "150", D(1, 1, 2004), D(3, 1, 2004));
    QTest::mouseClick(w->findChild<QPushButton*>("cmdCalculate"), Qt::LeftButton);

    QVERIFY(fake().messages.isEmpty());
    auto* lblPrices = w->findChild<QLabel*>("lblPrices");
    auto* lblDates = w->findChild<QLabel*>("lblDates");
    QCOMPARE(lblPrices->text(), ExamplePrices);
    QCOMPARE(lblDates->text(), ExampleDates);
    QCOMPARE(lblPrices->font().pointSizeF(), listingPoints);
    QVERIFY(lblDates->font().bold());
    QVERIFY(lblDates->font().fixedPitch() || QFontInfo(lblDates->font()).fixedPitch());

    // Ticks 90..160 by 10; months 12/1/03..5/1/04.
    QCOMPARE(w->ChartMinPrice, 90.0);
    QCOMPARE(w->ChartMaxPrice, 160.0);
    QCOMPARE(int(w->PriceSteps), 7);
    QCOMPARE(w->DateAxisMode, QStringLiteral("M"));
    QCOMPARE(w->ChartStartDate, D(12, 1, 2003));
    QCOMPARE(w->ChartEndDate, D(5, 1, 2004));
    QCOMPARE(int(w->MonthSteps), 5);

    // The chart in the box: the 119.10 level line is blue, the first point a black dot.
    auto* pb = w->findChild<PictureBox*>("pbFibonacci");
    const PictureSurface& surface = pb->surface();
    const FibChartGeometry g = ChartGeometry(surface.widthTwips(), surface.heightTwips());
    QCOMPARE(w->TimeAxisRight, g.TimeAxisRight);
    const QImage& img = surface.picture();
    auto at = [&](int x, int y) { return img.pixelColor(surface.toPixels(x), surface.toPixels(y)); };
    QCOMPARE(at(g.TimeAxisRight - 150, PriceToY(w->state(), g, 119.1)), QColor(0, 0, 255));
    QCOMPARE(at(DateToX(w->state(), g, D(1, 1, 2004)), PriceToY(w->state(), g, 100)), QColor(Qt::black));
    QCOMPARE(at(DateToX(w->state(), g, D(3, 31, 2004)), g.PriceAxisTop + 300), QColor(0, 0, 255));
}

void TestFibonacciWindow::moreExamples_data()
{
    QTest::addColumn<QString>("p1");
    QTest::addColumn<QString>("p2");
    QTest::addColumn<QDate>("d1");
    QTest::addColumn<QDate>("d2");
    QTest::addColumn<QString>("prices");
    QTest::addColumn<QString>("dates");
    QTest::addColumn<QString>("scale");   // min max step steps | mode start end

    QTest::newRow("prices only") << "100" << "150" << QDate() << QDate() << ExamplePrices << ""
                                 << "90 160 10 7 | ";
    QTest::newRow("dates only") << "" << "" << D(1, 1, 2004) << D(3, 1, 2004) << "" << ExampleDates
                                << "0 0 0 0 | M 2003-12-01 2004-05-01";
    QTest::newRow("narrow range doubles the step")
        << "100" << "125" << QDate() << QDate()
        << PriceHeader + "0.382       115.45\r\n0.5         112.50\r\n0.618       109.55" << ""
        << "99 126 2 14 | ";
    QTest::newRow("low prices stop the axis at 0")
        << "0.5" << "4" << QDate() << QDate()
        << PriceHeader + "0.382       2.66\r\n0.5         2.25\r\n0.618       1.84" << "" << "0 5 1 5 | ";
    QTest::newRow("short span in days")
        << "" << "" << D(1, 1, 2004) << D(1, 21, 2004) << ""
        << DateHeader + "0.382       01/28/2004\r\n0.5         01/31/2004\r\n0.618       02/02/2004"
        << "0 0 0 0 | D 2003-12-29 2004-02-07";
}

void TestFibonacciWindow::moreExamples()
{
    QFETCH(QString, p1);
    QFETCH(QString, p2);
    QFETCH(QDate, d1);
    QFETCH(QDate, d2);
    QFETCH(QString, prices);
    QFETCH(QString, dates);
    QFETCH(QString, scale);

    FibonacciWindow* w = Open(false);
    Enter(w, p1, p2, d1, d2);
    w->findChild<QPushButton*>("cmdCalculate")->click();
    QCOMPARE(fake().messageTexts(), QStringList());
    QCOMPARE(w->findChild<QLabel*>("lblPrices")->text(), prices);
    QCOMPARE(w->findChild<QLabel*>("lblDates")->text(), dates);
    const QString timeScale = w->DateAxisMode.isEmpty()
        ? QString()
        : w->DateAxisMode + " " + w->ChartStartDate.toString(Qt::ISODate) + " "
              + w->ChartEndDate.toString(Qt::ISODate);
    QCOMPARE(QString("%1 %2 %3 %4 | %5").arg(w->ChartMinPrice).arg(w->ChartMaxPrice).arg(w->PriceStep)
                 .arg(w->PriceSteps).arg(timeScale),
             scale);
}

void TestFibonacciWindow::rejectedInputsKeepResults_data()
{
    QTest::addColumn<QString>("p1");
    QTest::addColumn<QString>("p2");
    QTest::addColumn<QDate>("d1");
    QTest::addColumn<QDate>("d2");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QDate>("keptDate1");   // Date1 afterwards

    QTest::newRow("one price") << "105" << "" << D(1, 1, 2010) << D(3, 1, 2010)
                               << "Either both or none of the prices should be entered" << D(1, 1, 2004);
    QTest::newRow("same prices") << "105" << "105" << D(1, 1, 2010) << D(3, 1, 2010)
                                 << "Both prices can't be the same" << D(1, 1, 2004);
    QTest::newRow("Date2 not after Date1") << "105" << "110" << D(3, 1, 2010) << D(3, 1, 2010)
                                           << "Date2 should be greater than Date1" << D(3, 1, 2010);
    QTest::newRow("nothing") << "" << "" << QDate() << QDate() << "No input specified" << NullDate();
}

void TestFibonacciWindow::rejectedInputsKeepResults()
{
    QFETCH(QString, p1);
    QFETCH(QString, p2);
    QFETCH(QDate, d1);
    QFETCH(QDate, d2);
    QFETCH(QString, message);
    QFETCH(QDate, keptDate1);

    FibonacciWindow* w = Open(true);
    Enter(w, "100", "150", D(1, 1, 2004), D(3, 1, 2004));
    w->cmdCalculate_Click();
    const QImage chart = w->pbFibonacci->surface().image();

    Enter(w, p1, p2, d1, d2);
    w->cmdCalculate_Click();
    QCOMPARE(fake().messages.size(), 1);
    QCOMPARE(fake().messages[0].text, message);
    QCOMPARE(fake().messages[0].caption, ProgramTitle);
    QVERIFY(fake().messages[0].icon == MsgIcon::None);
    // The rejected prices are what the state now holds; results, lists and chart stay.
    QCOMPARE(w->Price1, p1.toDouble());
    QCOMPARE(w->Price2, p2.toDouble());
    QCOMPARE(w->Date1, keptDate1);
    QCOMPARE(w->PotentialPrice[1], 130.9);
    QCOMPARE(w->findChild<QLabel*>("lblPrices")->text(), ExamplePrices);
    QCOMPARE(w->findChild<QLabel*>("lblDates")->text(), ExampleDates);
    QVERIFY(w->pbFibonacci->surface().image() == chart);
}

void TestFibonacciWindow::calcErrorKeepsWindowAsItWas()
{
    FibonacciWindow* w = Open(false);
    Enter(w, "100", "150", D(1, 1, 2004), D(3, 1, 2004));
    w->cmdCalculate_Click();
    const QImage chart = w->pbFibonacci->surface().image();

    Enter(w, "10", "20", D(1, 1, 9999), D(12, 1, 9999));
    w->cmdCalculate_Click();
    QCOMPARE(fake().messageTexts(), QStringList{QString::fromLatin1(DateAfterRangeMessage)});
    QCOMPARE(w->Price1, 100.0);
    QCOMPARE(w->Date2, D(3, 1, 2004));
    QCOMPARE(w->ChartMaxPrice, 160.0);
    QCOMPARE(w->PotentialDate[3], D(4, 7, 2004));
    QCOMPARE(w->findChild<QLabel*>("lblPrices")->text(), ExamplePrices);
    QVERIFY(w->pbFibonacci->surface().image() == chart);
}

void TestFibonacciWindow::enterCalculatesExceptInNotes()
{
    FibonacciWindow* w = Open(false);
    w->show();
    QApplication::setActiveWindow(w);
    QVERIFY(QTest::qWaitForWindowActive(w));
    QCOMPARE(QApplication::focusWidget(), w->findChild<QWidget*>("txtPrice1"));

    Enter(w, "100", "150", QDate(), QDate());
    QTest::keyClick(w->findChild<QWidget*>("txtPrice2"), Qt::Key_Return);
    QCOMPARE(w->findChild<QLabel*>("lblPrices")->text(), ExamplePrices);

    Type(w->findChild<QLineEdit*>("txtPrice1"), "110");
    auto* notes = w->findChild<MultiLineTextBox*>("txtNotes");
    notes->setFocus();
    QVERIFY(!w->cmdCalculate->isDefault());
    notes->selectAll();
    QTest::keyClicks(notes, "a");
    QTest::keyClick(notes, Qt::Key_Return);
    QTest::keyClicks(notes, "b");
    QCOMPARE(notes->text(), QStringLiteral("a\nb"));
    QCOMPARE(w->findChild<QLabel*>("lblPrices")->text(), ExamplePrices);   // not recalculated

    w->findChild<QWidget*>("dtpDate1")->setFocus();
    QVERIFY(w->cmdCalculate->isDefault());
    QTest::keyClick(w->findChild<QWidget*>("dtpDate1"), Qt::Key_Enter);
    QCOMPARE(w->PotentialPrice[2], 130.0);
    QCOMPARE(w->Notes, QStringLiteral("a\r\nb"));
}

void TestFibonacciWindow::loadPlacesWindowAndChart_data()
{
    QTest::addColumn<bool>("compact");
    QTest::addColumn<QRect>("windowTwips");
    QTest::addColumn<int>("halfSize");
    QTest::addColumn<QRect>("chartPixels");
    QTest::newRow("800 x 600") << true << QRect(0, 0, 12000, 9000) << 4250 << QRect(227, 0, 567, 567);
    QTest::newRow("1024 x 768") << false << QRect(0, 0, 15360, 11520) << 5510 << QRect(283, 0, 735, 735);
}

void TestFibonacciWindow::loadPlacesWindowAndChart()
{
    QFETCH(bool, compact);
    QFETCH(QRect, windowTwips);
    QFETCH(int, halfSize);
    QFETCH(QRect, chartPixels);

    FibonacciWindow* w = Open(compact);
    QCOMPARE(QRect(w->WindowLeft, w->WindowTop, w->WindowWidth, w->WindowHeight), windowTwips);
    QCOMPARE(w->ChartHalfSize, halfSize);
    QCOMPARE(w->pbFibonacci->geometry(), chartPixels);
    QCOMPARE(w->pbFibonacci->surface().widthTwips(), 2 * halfSize);
    QCOMPARE(w->size(), fake().screen);
    QCOMPARE(w->windowTitle(), QStringLiteral("Fibonacci"));
    QVERIFY(w->testAttribute(Qt::WA_DeleteOnClose));

    // An empty document, shown in the controls, and the bare chart.
    QCOMPARE(w->findChild<QLineEdit*>("txtProject")->text(), QStringLiteral("Project Name"));
    QCOMPARE(w->findChild<MultiLineTextBox*>("txtNotes")->text(), QStringLiteral("Notes"));
    QCOMPARE(w->findChild<QLineEdit*>("txtPrice1")->text(), QString());
    QCOMPARE(w->findChild<DatePicker*>("dtpDate2")->value(), fake().todayDate);
    QCOMPARE(w->ProjectState, QStringLiteral("NEW"));
    QCOMPARE(w->ChangedFlag, QStringLiteral("NO"));
    QVERIFY(!w->findChild<QPushButton*>("cmdNew")->isEnabled());
    const QImage& img = w->pbFibonacci->surface().picture();
    QCOMPARE(img.pixelColor(w->pbFibonacci->surface().toPixels(4000),
                            w->pbFibonacci->surface().toPixels(w->TimeAxisY)),
             QColor(Qt::black));
}

void TestFibonacciWindow::controlsAndTabOrder_data()
{
    QTest::addColumn<bool>("compact");
    QTest::addColumn<QRect>("calculate");   // pixels at 15 twips a pixel
    QTest::addColumn<QRect>("dates");       // lblDates inside Frame2
    QTest::newRow("large") << false << QRect(24, 248, 217, 25) << QRect(8, 168, 201, 105);
    QTest::newRow("compact") << true << QRect(24, 176, 171, 21) << QRect(8, 156, 155, 75);
}

void TestFibonacciWindow::controlsAndTabOrder()
{
    QFETCH(bool, compact);
    QFETCH(QRect, calculate);
    QFETCH(QRect, dates);

    FibonacciWindow* w = Open(compact);
    const QStringList captions{"&New", "&Open", "&Save", "E&xit", "&Calculate", "Export &Results",
                               "&Print Image", "Configure Fibonacci &Ratios"};
    const QStringList buttons{"cmdNew", "cmdOpen", "cmdSave", "cmdExit", "cmdCalculate", "cmdExport",
                              "cmdPrint", "cmdRatios"};
    for (int i = 0; i < buttons.size(); ++i)
        QCOMPARE(w->findChild<QPushButton*>(buttons[i])->text(), captions[i]);
    QCOMPARE(w->findChild<QLabel*>("Label4")->text(), QStringLiteral("Potential Prices"));
    QCOMPARE(w->findChild<QLabel*>("Label5")->text(), QStringLiteral("Potential Dates"));
    QCOMPARE(w->findChild<QWidget*>("cmdCalculate")->geometry(), calculate);
    QCOMPARE(w->findChild<QWidget*>("lblDates")->geometry(), dates);
    QCOMPARE(w->findChild<QWidget*>("lblDates")->parentWidget()->objectName(), QStringLiteral("Frame2"));
    QCOMPARE(w->findChild<QWidget*>("dtpDate1")->parentWidget()->objectName(), QStringLiteral("Frame1"));

    w->show();
    QApplication::setActiveWindow(w);
    QVERIFY(QTest::qWaitForWindowActive(w));
    w->findChild<QWidget*>("cmdNew")->setEnabled(true);
    w->findChild<QWidget*>("cmdNew")->setFocus();
    // Tab walks the controls (a date picker takes a few presses for its fields).
    QStringList order;
    for (int i = 0; i < 60 && order.size() < 14; ++i) {
        const QString name = QApplication::focusWidget()->objectName();
        if (order.isEmpty() || order.last() != name) order << name;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(order, (QStringList{"cmdNew", "cmdOpen", "cmdSave", "cmdExit", "txtProject", "txtPrice1",
                                 "dtpDate1", "txtPrice2", "dtpDate2", "cmdCalculate", "txtNotes",
                                 "cmdExport", "cmdPrint", "cmdRatios"}));

    // Typing into a price box goes through the number filter; the box takes 8 characters.
    auto* price = w->findChild<QLineEdit*>("txtPrice1");
    Type(price, "1a2.-3.4 56789");
    QCOMPARE(price->text(), QStringLiteral("12.34567"));
}

void TestFibonacciWindow::changeTracking()
{
    FibonacciWindow* w = Open(false);
    // Moving only a picker marks the document changed and enables New.
    w->findChild<DatePicker*>("dtpDate1")->setValue(D(1, 1, 2004));
    QCOMPARE(w->ChangedFlag, QStringLiteral("YES"));
    QVERIFY(w->findChild<QPushButton*>("cmdNew")->isEnabled());

    // Calculating leaves the flags alone; New (answered No) starts a fresh document.
    Enter(w, "100", "150", D(1, 1, 2004), D(3, 1, 2004));
    w->cmdCalculate_Click();
    QCOMPARE(w->ChangedFlag, QStringLiteral("YES"));
    fake().answers.enqueue(MsgResult::No);
    w->findChild<QPushButton*>("cmdNew")->click();
    QCOMPARE(w->ChangedFlag, QStringLiteral("NO"));
    QCOMPARE(w->ProjectState, QStringLiteral("NEW"));
    QVERIFY(!w->findChild<QPushButton*>("cmdNew")->isEnabled());
    QCOMPARE(w->findChild<QLabel*>("lblPrices")->text(), QString());
    QCOMPARE(w->findChild<QLineEdit*>("txtPrice1")->text(), QString());
    QCOMPARE(w->Date1, NullDate());
    // New redraws the bare chart: no level line left.
    const PictureSurface& s = w->pbFibonacci->surface();
    QCOMPARE(s.picture().pixelColor(s.toPixels(w->TimeAxisRight - 150), s.toPixels(4798)),
             QColor(Qt::white));

    // An untouched document closes without a question.
    QPointer<FibonacciWindow> guard(w);
    QVERIFY(w->close());
    QCOMPARE(fake().messageTexts(), QStringList{"Save Changes?"});
    QTRY_VERIFY(guard.isNull());   // deleted on close
}

void TestFibonacciWindow::newPrompt_data()
{
    QTest::addColumn<MsgResult>("answer");
    QTest::addColumn<QString>("price1After");
    QTest::addColumn<QString>("changedAfter");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("Cancel keeps the typing") << MsgResult::Cancel << "1" << "YES"
                                             << QStringList{"Save Changes?"};
    QTest::newRow("No discards it") << MsgResult::No << "" << "NO" << QStringList{"Save Changes?"};
    QTest::newRow("Yes with a refused save abandons the New")
        << MsgResult::Yes << "1" << "YES"
        << QStringList{"Save Changes?", "Either both or none of the prices should be entered"};
}

void TestFibonacciWindow::newPrompt()
{
    QFETCH(MsgResult, answer);
    QFETCH(QString, price1After);
    QFETCH(QString, changedAfter);
    QFETCH(QStringList, messages);

    FibonacciWindow* w = Open(false);
    QTest::keyClicks(w->findChild<QLineEdit*>("txtPrice1"), "1");
    fake().answers.enqueue(answer);
    w->findChild<QPushButton*>("cmdNew")->click();
    QCOMPARE(fake().messageTexts(), messages);
    QVERIFY(fake().messages[0].buttons == MsgButtons::YesNoCancel);
    QCOMPARE(w->findChild<QLineEdit*>("txtPrice1")->text(), price1After);
    QCOMPARE(w->ChangedFlag, changedAfter);
}

void TestFibonacciWindow::closePrompt_data()
{
    QTest::addColumn<MsgResult>("answer");
    QTest::addColumn<bool>("closes");
    QTest::newRow("Cancel keeps the window") << MsgResult::Cancel << false;
    QTest::newRow("Yes with a failing save keeps the window") << MsgResult::Yes << false;
    QTest::newRow("No closes") << MsgResult::No << true;
}

void TestFibonacciWindow::closePrompt()
{
    QFETCH(MsgResult, answer);
    QFETCH(bool, closes);

    FibonacciWindow* w = Open(true);
    Enter(w, "100", "150", QDate(), QDate());
    Type(w->findChild<QLineEdit*>("txtProject"), "Plan");
    w->show();
    fake().answers.enqueue(answer);
    // The save goes to a folder that does not exist, so it fails.
    fake().saveAnswers.enqueue(QDir(programDir()).filePath("missing/Plan.fib"));
    if (answer != MsgResult::Yes) fake().saveAnswers.clear();
    QPointer<FibonacciWindow> guard(w);
    w->findChild<QPushButton*>("cmdExit")->click();
    if (closes) {
        QTRY_VERIFY(guard.isNull());
        return;
    }
    QVERIFY(w->isVisible());
    QCOMPARE(w->ChangedFlag, QStringLiteral("YES"));
    if (answer == MsgResult::Yes) {
        QCOMPARE(fake().messages.last().text, QStringLiteral("Action failed:\nCan't save result file."));
        QCOMPARE(fake().messages.last().caption, QStringLiteral("Action failed"));
        QVERIFY(fake().messages.last().icon == MsgIcon::Critical);
        QVERIFY(!QFile::exists(QDir(programDir()).filePath("missing/Plan.fib")));
    }
}

void TestFibonacciWindow::saveThenOpenRoundTrip()
{
    FibonacciWindow* w = Open(false);
    Enter(w, "100", "150", D(1, 1, 2004), D(3, 1, 2004));
    Type(w->findChild<QLineEdit*>("txtProject"), "  Plan ");
    w->findChild<MultiLineTextBox*>("txtNotes")->setPlainText("first line\n\nthird line");
    const QString path = QDir(programDir()).filePath("Plan.fib");
    fake().saveAnswers.enqueue(path);
    w->findChild<QPushButton*>("cmdSave")->click();

    QCOMPARE(fake().saveRequests, QStringList{"Fibonacci Project File| *.fib|" + programDir() + "/Plan.fib"});
    QCOMPARE(fake().messageTexts(), QStringList{"Project saved to file " + path});
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("NM=Plan\r\nP1=100\r\nP2=150\r\nD1=1/1/2004\r\nD2=3/1/2004\r\n"
                                     "NT=first line\r\n\r\nthird line\r\n"));
    f.close();
    QCOMPARE(w->ProjectState, QStringLiteral("OPEN"));
    QCOMPARE(w->ChangedFlag, QStringLiteral("NO"));
    QCOMPARE(w->ProjectFile, path);
    QVERIFY(w->findChild<QPushButton*>("cmdNew")->isEnabled());

    // A second save goes to the same file without a dialog.
    Type(w->findChild<QLineEdit*>("txtPrice2"), "160");
    w->cmdSave_Click();
    QCOMPARE(fake().saveRequests.size(), 1);
    QVERIFY(ReadTextLines(path)->contains("P2=160"));

    // New, then open the file again: the same document comes back, recalculated.
    w->cmdNew_Click();
    fake().openAnswers.enqueue(path);
    fake().messages.clear();
    w->findChild<QPushButton*>("cmdOpen")->click();
    QCOMPARE(fake().messageTexts(), QStringList());
    QCOMPARE(w->findChild<QLineEdit*>("txtProject")->text(), QStringLiteral("Plan"));
    QCOMPARE(w->findChild<QLineEdit*>("txtPrice2")->text(), QStringLiteral("160"));
    QCOMPARE(w->findChild<DatePicker*>("dtpDate1")->value(), D(1, 1, 2004));
    QCOMPARE(w->findChild<MultiLineTextBox*>("txtNotes")->text(), QStringLiteral("first line\n\nthird line"));
    QCOMPARE(w->Notes, QStringLiteral("first line\r\n\r\nthird line"));
    QVERIFY(w->findChild<QLabel*>("lblPrices")->text().endsWith("0.618       122.92"));
    QCOMPARE(w->ProjectState, QStringLiteral("OPEN"));
    QCOMPARE(w->ChangedFlag, QStringLiteral("NO"));
    QCOMPARE(w->ProjectFile, path);
}

void TestFibonacciWindow::saveRefusals()
{
    FibonacciWindow* w = Open(false);
    Enter(w, "100", "150", QDate(), QDate());
    // The name box still shows its placeholder: no dialog.
    w->cmdSave_Click();
    QCOMPARE(fake().messageTexts(), QStringList{"Project name not specified!"});
    QVERIFY(fake().saveRequests.isEmpty());

    // A cancelled dialog is silent and changes nothing.
    Type(w->findChild<QLineEdit*>("txtProject"), "Plan");
    fake().saveAnswers.enqueue(std::nullopt);
    w->cmdSave_Click();
    QCOMPARE(fake().messages.size(), 1);
    QCOMPARE(w->ProjectState, QStringLiteral("NEW"));
    QCOMPARE(w->ChangedFlag, QStringLiteral("YES"));

    // A write that fails (the name is taken by a folder) is reported; nothing changes.
    const QString path = QDir(programDir()).filePath("taken.fib");
    QVERIFY(QDir(programDir()).mkdir("taken.fib"));
    fake().saveAnswers.enqueue(path);
    w->cmdSave_Click();
    QCOMPARE(fake().lastMessage(), QStringLiteral("Action failed:\nCan't save result file."));
    QVERIFY(fake().messages.last().icon == MsgIcon::Critical);
    QVERIFY(QFileInfo(path).isDir());
    QCOMPARE(w->ProjectState, QStringLiteral("NEW"));
    QCOMPARE(w->ChangedFlag, QStringLiteral("YES"));
    QCOMPARE(w->ProjectFile, QString());
}

void TestFibonacciWindow::openHandWrittenFiles()
{
    FibonacciWindow* w = Open(true);
    Enter(w, "100", "150", D(1, 1, 2004), D(3, 1, 2004));
    w->cmdCalculate_Click();
    w->ChangedFlag = "NO";

    // Lower-case keys, blanks around "=", bare LF line ends, no NT line.
    const QString handWritten = WriteFile("hand.fib", "nm = Swing\n p1=  10\nP2 =20\n"
                                                      "d1=1/1/04\nD2=1/21/2004\n");
    fake().openAnswers.enqueue(handWritten);
    w->cmdOpen_Click();
    QCOMPARE(fake().messageTexts(), QStringList());
    QCOMPARE(w->findChild<QLineEdit*>("txtProject")->text(), QStringLiteral("Swing"));
    QCOMPARE(w->findChild<QLineEdit*>("txtPrice1")->text(), QStringLiteral("10"));
    QCOMPARE(w->findChild<DatePicker*>("dtpDate2")->value(), D(1, 21, 2004));
    QCOMPARE(w->DateAxisMode, QStringLiteral("D"));
    QCOMPARE(w->ProjectFile, handWritten);

    // A file whose inputs fail the check still opens; the old results stay on screen.
    const QString listing = w->findChild<QLabel*>("lblPrices")->text();
    const QString onePrice = WriteFile("one.fib", "P1=5\r\nP2=0\r\n");
    fake().openAnswers.enqueue(onePrice);
    w->cmdOpen_Click();
    QCOMPARE(fake().messageTexts(), QStringList{"Either both or none of the prices should be entered"});
    QCOMPARE(w->ProjectState, QStringLiteral("OPEN"));
    QCOMPARE(w->ProjectFile, onePrice);
    QCOMPARE(w->findChild<QLabel*>("lblPrices")->text(), listing);

    // Missing or unreadable files: the document stays as it was.
    fake().messages.clear();
    for (const QString& bad : {QDir(programDir()).filePath("none.fib"), WriteFile("bad.fib", "P1=12abc\r\n")}) {
        fake().openAnswers.enqueue(bad);
        w->cmdOpen_Click();
        QCOMPARE(fake().lastMessage(), QStringLiteral("Action failed:\nCan't open project file"));
        QCOMPARE(w->ProjectFile, onePrice);
        QCOMPARE(w->findChild<QLineEdit*>("txtPrice1")->text(), QStringLiteral("5"));
    }
    // Cancelling the dialog is silent.
    fake().messages.clear();
    fake().openAnswers.enqueue(std::nullopt);
    w->cmdOpen_Click();
    QVERIFY(fake().messages.isEmpty());
}

void TestFibonacciWindow::ratiosApplyAtNextCalculation()
{
    FibonacciWindow* w = Open(false);
    Enter(w, "100", "150", QDate(), QDate());
    w->cmdCalculate_Click();

    // The dialog is modal; confirm new ratios in it.
    bool wasModal = false;
    watchdog().expectDialog("frmFibRatios", [&](QWidget* dialog) {
        wasModal = dialog->isModal() && dialog == QApplication::activeModalWidget();
        dialog->findChild<QLineEdit*>("txtRatio1")->setText("0.25");
        dialog->findChild<QPushButton*>("cmdOk")->click();
    });
    w->findChild<QPushButton*>("cmdRatios")->click();
    QVERIFY(wasModal);
    QCOMPARE(FibRatio1, 0.25);
    QCOMPARE(w->findChild<QLabel*>("lblPrices")->text(), ExamplePrices);

    w->cmdCalculate_Click();
    QVERIFY(w->findChild<QLabel*>("lblPrices")->text().contains("0.25        137.50"));
}

QTEST_MAIN(TestFibonacciWindow)
#include "test_fibonacci_window.moc"
