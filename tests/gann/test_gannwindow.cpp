#include "uitest.h"
#include "forms/gann/frmGann.h"
#include "forms/gann/ganncalc.h"
#include "platform/widgets.h"

#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(Layout)

namespace {

const QDate Today(2024, 6, 1);

const QString Listing100 =
    "Angle  High   Low\r\n-----  ----   ---\r\n45     105    95\r\n90     110    90\r\n"
    "135    115    85\r\n180    120    80\r\n225    126    77\r\n270    132    72\r\n"
    "315    138    69\r\n360    144    64\r\n";
const QString DatesHeader = "Angle  Date\r\n-----  ----\r\n";

QByteArray FileBytes(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

}  // namespace

// The window driven as a trader would, through its controls, with every message box
// and file dialog answered by the scripted platform and a fixed "today".
class TestGannWindow : public UiTest {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void controlsOfBothLayouts_data();
    void controlsOfBothLayouts();
    void tabOrder();
    void chartBoxAtTheRight_data();
    void chartBoxAtTheRight();
    void priceWithPickerAtToday_data();
    void priceWithPickerAtToday();
    void rejectedInputsKeepEverything_data();
    void rejectedInputsKeepEverything();
    void priceBoxTakesFourDigits();
    void enterCalculatesExceptInTheNotes();
    void changeTrackingAndClosing();
    void newAnsweringYesWithoutName();
    void newAnsweringNoClears();
    void saveThenOpenRoundTrip();
    void openFiveDigitPrice();
    void openWithoutNotesOrDate();
    void openFailures();
    void saveFailureKeepsDocumentChanged();

private:
    GannWindow* Make(Layout layout);
    QString Path(const QString& name) const { return programDir() + "/" + name; }

    QPointer<GannWindow> m_window;
    QPointer<GannWindow> m_other;
};

void TestGannWindow::init()
{
    UiTest::init();
    fake().todayDate = Today;
}

void TestGannWindow::cleanup()
{
    delete m_window;
    delete m_other;
    UiTest::cleanup();
}

GannWindow* TestGannWindow::Make(Layout layout)
{
    GannWindow* w = layout == Layout::Compact ? static_cast<GannWindow*>(new frmGann86)
                                              : static_cast<GannWindow*>(new frmGann);
    (m_window ? m_other : m_window) = w;
    return w;
}

void TestGannWindow::controlsOfBothLayouts_data()
{
    QTest::addColumn<Layout>("layout");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("twips");
    QTest::newRow("compact title") << Layout::Compact << "Label3" << "Gann Square of Nine" << QRect(510, 150, 2160, 240);
    QTest::newRow("compact price in its frame") << Layout::Compact << "txtPrice" << "" << QRect(600, 270, 2145, 315);
    QTest::newRow("compact dates list") << Layout::Compact << "lblDates" << "" << QRect(120, 2490, 2535, 1485);
    QTest::newRow("large new") << Layout::Large << "cmdNew" << "&New" << QRect(360, 1320, 735, 375);
    QTest::newRow("large calculate") << Layout::Large << "cmdCalculate" << "&Calculate" << QRect(360, 3600, 3255, 375);
    QTest::newRow("large notes") << Layout::Large << "txtNotes" << "" << QRect(360, 8790, 3255, 1095);
}

void TestGannWindow::controlsOfBothLayouts()
{
    QFETCH(Layout, layout);
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QRect, twips);
    GannWindow* w = Make(layout);
    QCOMPARE(w->windowTitle(), QString("Gann Square of Nine"));
    auto* control = w->findChild<QWidget*>(name);
    QVERIFY(control);
    const QRect pixels(qRound(twips.x() / 15.0), qRound(twips.y() / 15.0), qRound(twips.width() / 15.0),
                       qRound(twips.height() / 15.0));
    QCOMPARE(control->geometry(), pixels);
    if (auto* button = qobject_cast<QPushButton*>(control)) QCOMPARE(button->text(), caption);
    if (auto* label = qobject_cast<QLabel*>(control)) QCOMPARE(label->text(), caption);
}

void TestGannWindow::tabOrder()
{
    GannWindow* w = Make(Layout::Compact);
    QStringList order;
    QWidget* next = w->cmdNew;
    do {
        if (next->focusPolicy() & Qt::TabFocus && !next->objectName().isEmpty()
            && !next->objectName().startsWith("qt_"))
            order << next->objectName();
        next = next->nextInFocusChain();
    } while (next != w->cmdNew);
    QCOMPARE(order, (QStringList{"cmdNew", "cmdOpen", "cmdSave", "cmdExit", "txtProject", "txtPrice",
                                 "dtpInputDate", "cmdCalculate", "txtNotes", "cmdExport", "cmdPrint"}));
}

void TestGannWindow::chartBoxAtTheRight_data()
{
    QTest::addColumn<Layout>("layout");
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<int>("chartHalf");
    QTest::addColumn<int>("left");
    QTest::newRow("800 x 600") << Layout::Compact << QSize(800, 600) << 4250 << 3400;
    QTest::newRow("1024 x 768") << Layout::Large << QSize(1024, 768) << 5510 << 4240;
}

void TestGannWindow::chartBoxAtTheRight()
{
    QFETCH(Layout, layout);
    QFETCH(QSize, screen);
    QFETCH(int, chartHalf);
    QFETCH(int, left);
    fake().screen = screen;
    GannWindow* w = Make(layout);
    QCOMPARE(int(w->state.ChartHalf), chartHalf);
    QCOMPARE(int(w->state.ChartRadius), chartHalf - 100);
    QCOMPARE(w->pbGann->widthTwips(), 2 * chartHalf);
    QCOMPARE(w->pbGann->heightTwips(), 2 * chartHalf);
    QCOMPARE(w->pbGann->x(), qRound(left / 15.0));
    QCOMPARE(w->pbGann->y(), 0);
    QCOMPARE(w->size(), screen);
}

void TestGannWindow::priceWithPickerAtToday_data()
{
    QTest::addColumn<Layout>("layout");
    QTest::addColumn<int>("center");
    QTest::addColumn<double>("points");
    QTest::newRow("compact") << Layout::Compact << 14 << 7.0;
    QTest::newRow("large") << Layout::Large << 16 << 8.0;
}

void TestGannWindow::priceWithPickerAtToday()
{
    QFETCH(Layout, layout);
    QFETCH(int, center);
    QFETCH(double, points);
    GannWindow* w = Make(layout);
    QCOMPARE(w->ChangedFlag, QString("NO"));
    UI_TYPE(w, "txtPrice", "100");
    UI_CLICK(w, "cmdCalculate");
    QCOMPARE(w->lblPrices->text(), Listing100);
    QCOMPARE(w->lblDates->text(), DatesHeader);
    QCOMPARE(w->lblPrices->font().pointSizeF(), points);
    QVERIFY(w->lblDates->font().bold());
    QCOMPARE(int(w->state.GridCenter), center);
    QCOMPARE(int(w->state.PotentialHigh[8]), 144);
    QVERIFY(fake().messages.isEmpty());
    // Calculating does not touch the document state.
    QCOMPARE(w->ChangedFlag, QString("YES"));
    QCOMPARE(w->ProjectState, QString("NEW"));
}

void TestGannWindow::rejectedInputsKeepEverything_data()
{
    QTest::addColumn<Layout>("layout");
    QTest::addColumn<QString>("price");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("message");
    QTest::newRow("nothing entered") << Layout::Compact << "" << Today << "Please enter price and/or date";
    QTest::newRow("pasted price too large") << Layout::Large << "12000" << Today
                                            << "Please enter a price smaller than 10000";
    QTest::newRow("beyond 16 bits") << Layout::Compact << "99999" << QDate(2024, 2, 2)
                                    << "Please enter a price smaller than 10000";
    QTest::newRow("date past the calendar") << Layout::Large << "5" << QDate(9999, 3, 1)
                                            << "The projected date would fall after 12/31/9999. Choose an earlier date.";
}

void TestGannWindow::rejectedInputsKeepEverything()
{
    QFETCH(Layout, layout);
    QFETCH(QString, price);
    QFETCH(QDate, date);
    QFETCH(QString, message);
    GannWindow* w = Make(layout);
    w->txtPrice->setText("700");
    w->dtpInputDate->setValue(QDate(2024, 1, 15));
    w->cmdCalculate->click();
    const QString prices = w->lblPrices->text();
    const QString dates = w->lblDates->text();
    const GannState before = w->state;
    const QImage chart = w->pbGann->surface().picture();

    w->txtPrice->setText(price);
    w->dtpInputDate->setValue(date);
    w->cmdCalculate->click();
    QCOMPARE(fake().messages.size(), 1);
    QCOMPARE(fake().messages[0].text, message);
    QCOMPARE(fake().messages[0].caption, ProgramTitle);
    QCOMPARE(fake().messages[0].icon, MsgIcon::None);
    QCOMPARE(fake().messages[0].buttons, MsgButtons::Ok);
    QCOMPARE(w->lblPrices->text(), prices);
    QCOMPARE(w->lblDates->text(), dates);
    QCOMPARE(w->pbGann->surface().picture(), chart);
    QCOMPARE(w->state.PotentialHigh, before.PotentialHigh);
    QCOMPARE(w->state.AngleDate, before.AngleDate);
    QCOMPARE(w->state.ChartRadius, before.ChartRadius);
}

void TestGannWindow::priceBoxTakesFourDigits()
{
    GannWindow* w = Make(Layout::Compact);
    UI_TYPE(w, "txtPrice", "12a.- 345");
    QCOMPARE(w->txtPrice->text(), QString("1234"));
    QTest::keyClick(w->txtPrice, Qt::Key_Backspace);
    QTest::keyClicks(w->txtPrice, "9");
    QCOMPARE(w->txtPrice->text(), QString("1239"));
}

void TestGannWindow::enterCalculatesExceptInTheNotes()
{
    GannWindow* w = Make(Layout::Large);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    w->activateWindow();
    w->Form_Activate();
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->txtPrice));

    QTest::keyClicks(w->txtPrice, "100");
    QTest::keyClick(w->txtPrice, Qt::Key_Return);
    QCOMPARE(w->lblPrices->text(), Listing100);

    w->txtNotes->setFocus();
    QTRY_VERIFY(w->txtNotes->hasFocus());
    QVERIFY(!w->cmdCalculate->isDefault());
    w->txtPrice->setText("200");
    QTest::keyClick(w->txtNotes, Qt::Key_Return);
    QCOMPARE(w->txtNotes->text().count(QLatin1Char('\n')), 2);
    QCOMPARE(w->lblPrices->text(), Listing100);

    w->txtPrice->setFocus();
    QTRY_VERIFY(w->cmdCalculate->isDefault());
}

void TestGannWindow::changeTrackingAndClosing()
{
    GannWindow* w = Make(Layout::Compact);
    QVERIFY(!w->cmdNew->isEnabled());
    // Closing an untouched window asks nothing.
    QVERIFY(w->close());
    QTRY_VERIFY(!m_window);

    w = Make(Layout::Compact);
    w->dtpInputDate->setValue(QDate(2024, 1, 15));
    QCOMPARE(w->ChangedFlag, QString("YES"));
    QVERIFY(w->cmdNew->isEnabled());
    fake().answers << MsgResult::Cancel;
    QVERIFY(!w->close());
    QCOMPARE(fake().lastMessage(), QString("Save Changes?"));
    QCOMPARE(fake().messages.last().buttons, MsgButtons::YesNoCancel);
    fake().answers << MsgResult::No;
    w->cmdExit->click();
    QTRY_VERIFY(!m_window);
}

void TestGannWindow::newAnsweringYesWithoutName()
{
    GannWindow* w = Make(Layout::Large);
    UI_TYPE(w, "txtPrice", "100");
    UI_CLICK(w, "cmdCalculate");
    fake().answers << MsgResult::Yes;
    UI_CLICK(w, "cmdNew");
    QCOMPARE(fake().messageTexts(), (QStringList{"Save Changes?", "Project name not specified!"}));
    QVERIFY(fake().saveRequests.isEmpty());
    QCOMPARE(w->ChangedFlag, QString("YES"));
    QCOMPARE(w->txtPrice->text(), QString("100"));
    QCOMPARE(w->lblPrices->text(), Listing100);
}

void TestGannWindow::newAnsweringNoClears()
{
    GannWindow* w = Make(Layout::Compact);
    w->txtProject->setText("Gold");
    w->txtPrice->setText("700");
    w->dtpInputDate->setValue(QDate(2024, 1, 15));
    w->cmdCalculate->click();
    fake().answers << MsgResult::No;
    w->cmdNew->click();
    QCOMPARE(w->txtProject->text(), QString("Project Name"));
    QCOMPARE(w->txtPrice->text(), QString());
    QCOMPARE(w->dtpInputDate->value(), Today);
    QCOMPARE(w->txtNotes->text(), QString("Notes"));
    QCOMPARE(w->lblPrices->text(), QString());
    QCOMPARE(w->lblDates->text(), QString());
    QCOMPARE(w->ChangedFlag, QString("NO"));
    QCOMPARE(w->ProjectState, QString("NEW"));
    QVERIFY(!w->cmdNew->isEnabled());
    // Back to the first square and no marks; the dates wait for the next calculation.
    QCOMPARE(int(w->state.GridCenter), 14);
    QCOMPARE(int(w->state.PotentialHigh[1]), 0);
    QCOMPARE(int(w->state.CellMark[714]), 0);
    QCOMPARE(w->state.AngleDate[1], QDate(2024, 2, 29));
}

void TestGannWindow::saveThenOpenRoundTrip()
{
    const QString path = Path("Test.gann");
    GannWindow* w = Make(Layout::Compact);
    w->txtProject->setText("  Test ");
    w->txtPrice->setText("100");
    w->dtpInputDate->setValue(QDate(2024, 1, 15));
    w->txtNotes->setText("first line\r\n\r\nthird line");
    fake().saveAnswers << path;
    w->cmdSave->click();
    QCOMPARE(fake().saveRequests, QStringList{"Gann Project File| *.gann|" + programDir() + "/Test.gann"});
    QCOMPARE(FileBytes(path), QByteArray("NM=Test\r\nPR=100\r\nDT=1/15/2024\r\nNT=first line\r\n\r\nthird line\r\n"));
    QCOMPARE(fake().lastMessage(), "Project saved to file " + path);
    QCOMPARE(w->ProjectState, QString("OPEN"));
    QCOMPARE(w->ChangedFlag, QString("NO"));
    QCOMPARE(w->ProjectFile, path);
    QVERIFY(w->cmdNew->isEnabled());

    // A second save goes to the same file without asking.
    w->txtPrice->setText("625");
    w->cmdSave->click();
    QCOMPARE(fake().saveRequests.size(), 1);
    QVERIFY(FileBytes(path).contains("PR=625\r\n"));

    GannWindow* other = Make(Layout::Large);
    fake().openAnswers << path;
    other->cmdOpen->click();
    QCOMPARE(fake().openRequests, QStringList{"Gann Project File| *.gann|"});
    QCOMPARE(other->txtProject->text(), QString("Test"));
    QCOMPARE(other->txtPrice->text(), QString("625"));
    QCOMPARE(other->dtpInputDate->value(), QDate(2024, 1, 15));
    QCOMPARE(other->txtNotes->text(), QString("first line\n\nthird line"));
    QCOMPARE(other->ProjectState, QString("OPEN"));
    QCOMPARE(other->ChangedFlag, QString("NO"));
    QCOMPARE(other->ProjectFile, path);
    // Opening calculated the results.
    QVERIFY(other->lblPrices->text().startsWith("Angle  High   Low\r\n-----  ----   ---\r\n45     638    613\r\n"));
    QVERIFY(other->lblDates->text().endsWith("360    01/14/2025\r\n"));

    // Saved again untouched, the file reads back the same bytes.
    const QByteArray saved = FileBytes(path);
    other->cmdSave->click();
    QCOMPARE(FileBytes(path), saved);
}

void TestGannWindow::openFiveDigitPrice()
{
    const QString path = Path("big.gann");
    WriteBytes(path, "NM=Big\r\nPR=12345\r\nDT=1/15/2024\r\n");
    GannWindow* w = Make(Layout::Compact);
    w->txtPrice->setText("100");
    w->cmdCalculate->click();
    fake().answers << MsgResult::No;
    fake().openAnswers << path;
    w->cmdOpen->click();
    QCOMPARE(w->txtPrice->text(), QString("12345"));
    QCOMPARE(fake().lastMessage(), QString("Please enter a price smaller than 10000"));
    QCOMPARE(w->lblPrices->text(), Listing100);
    QCOMPARE(w->ProjectState, QString("OPEN"));
    QCOMPARE(w->ChangedFlag, QString("NO"));
}

void TestGannWindow::openWithoutNotesOrDate()
{
    const QString path = Path("bare.gann");
    WriteBytes(path, "nm = Bare\nPR=5\n");
    GannWindow* w = Make(Layout::Large);
    w->txtNotes->setText("kept notes");
    w->dtpInputDate->setValue(QDate(2023, 12, 20));
    fake().answers << MsgResult::No;
    fake().openAnswers << path;
    w->cmdOpen->click();
    QCOMPARE(w->txtProject->text(), QString("Bare"));
    QCOMPARE(w->txtNotes->text(), QString("kept notes"));
    QCOMPARE(w->dtpInputDate->value(), QDate(2023, 12, 20));
    QVERIFY(w->lblDates->text().endsWith("360    12/20/2024\r\n"));
    QVERIFY(w->lblPrices->text().endsWith("360    17     \r\n"));
}

void TestGannWindow::openFailures()
{
    GannWindow* w = Make(Layout::Compact);
    // Cancelled dialog: nothing at all.
    fake().openAnswers << std::nullopt;
    w->cmdOpen->click();
    QVERIFY(fake().messages.isEmpty());

    fake().openAnswers << Path("missing.gann");
    w->cmdOpen->click();
    QCOMPARE(fake().messages.size(), 1);
    QCOMPARE(fake().messages[0].text, QString("Action failed:\nCan't open project file"));
    QCOMPARE(fake().messages[0].caption, QString("Action failed"));
    QCOMPARE(fake().messages[0].icon, MsgIcon::Critical);
    QCOMPARE(w->ChangedFlag, QString("NO"));

    // What the file set before its bad date stays in the controls, and counts as a change.
    const QString bad = Path("bad.gann");
    WriteBytes(bad, "NM=Half\r\nDT=2/30/2024\r\nPR=7\r\n");
    fake().openAnswers << bad;
    w->cmdOpen->click();
    QCOMPARE(fake().lastMessage(), QString("Action failed:\nCan't open project file"));
    QCOMPARE(w->txtProject->text(), QString("Half"));
    QCOMPARE(w->txtPrice->text(), QString());
    QCOMPARE(w->ChangedFlag, QString("YES"));
    QCOMPARE(w->ProjectState, QString("NEW"));
    QCOMPARE(w->ProjectFile, QString());
    QCOMPARE(w->lblPrices->text(), QString());
}

void TestGannWindow::saveFailureKeepsDocumentChanged()
{
    GannWindow* w = Make(Layout::Large);
    w->txtProject->setText("Nowhere");
    fake().saveAnswers << Path("no/such/dir/x.gann");
    w->cmdSave->click();
    QCOMPARE(fake().messageTexts(), QStringList{"Action failed:\nCan't save result file."});
    QCOMPARE(fake().messages[0].icon, MsgIcon::Critical);
    QCOMPARE(w->ChangedFlag, QString("YES"));
    QCOMPARE(w->ProjectState, QString("NEW"));

    // A close whose save fails stays open.
    fake().answers << MsgResult::Yes;
    fake().saveAnswers << Path("no/such/dir/x.gann");
    QVERIFY(!w->close());
}

QTEST_MAIN(TestGannWindow)
#include "test_gannwindow.moc"
