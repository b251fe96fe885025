#include "uitest.h"
#include "forms/gann/frmGann.h"
#include "forms/gann/ganncalc.h"
#include "platform/widgets.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

Q_DECLARE_METATYPE(Layout)

namespace {

const QDate Today(2024, 6, 1);
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

    void loadOn800x600();
    void calculateThroughControls_data();
    void calculateThroughControls();
    void rejectedInputsKeepEverything_data();
    void rejectedInputsKeepEverything();
    void priceBoxTakesFourDigits();
    void enterCalculatesExceptInTheNotes();
    void changeTrackingAndClosing();
    void newPrompt();
    void saveThenOpenRoundTrip();
    void openFiveDigitPrice();
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

void TestGannWindow::loadOn800x600()
{
    fake().screen = QSize(800, 600);
    GannWindow* w = Make(Layout::Compact);
    QCOMPARE(w->size(), QSize(800, 600));
    QCOMPARE(int(w->state.ChartHalf), 4250);
    QCOMPARE(int(w->state.ChartRadius), 4150);
    QCOMPARE(w->pbGann->widthTwips(), 8500);
    QCOMPARE(w->pbGann->pos(), QPoint(227, 0));   // 3400 twips from the left

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

void TestGannWindow::calculateThroughControls_data()
{
    QTest::addColumn<Layout>("layout");
    QTest::addColumn<double>("points");
    QTest::newRow("compact") << Layout::Compact << 7.0;
    QTest::newRow("large") << Layout::Large << 8.0;
}

void TestGannWindow::calculateThroughControls()
{
    QFETCH(Layout, layout);
    GannWindow* w = Make(layout);
    QCOMPARE(w->ChangedFlag, QString("NO"));
    UI_TYPE(w, "txtPrice", "100");
    UI_CLICK(w, "cmdCalculate");
    QVERIFY(fake().messages.isEmpty());
    QVERIFY(w->lblPrices->text().endsWith("315    138    69\r\n360    144    64\r\n"));
    QCOMPARE(w->lblDates->text(), DatesHeader);
    QTEST(w->lblPrices->font().pointSizeF(), "points");
    QVERIFY(w->lblDates->font().bold());
    // The chart box shows the price cell's black box.
    const PictureSurface& s = w->pbGann->surface();
    const int x = w->state.SquareLeft + w->state.CellX[100] * w->state.CellSize + w->state.CellSize / 4;
    const int y = w->state.SquareTop + w->state.CellY[100] * w->state.CellSize + w->state.CellSize / 4;
    QCOMPARE(s.picture().pixelColor(s.toPixels(x), s.toPixels(y)), QColor(Qt::black));
    // Calculating does not touch the document state.
    QCOMPARE(w->ProjectState + w->ChangedFlag, QString("NEWYES"));
}

void TestGannWindow::rejectedInputsKeepEverything_data()
{
    QTest::addColumn<QString>("price");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("message");
    QTest::newRow("nothing entered") << "" << Today << "Please enter price and/or date";
    QTest::newRow("pasted price too large") << "12000" << Today << "Please enter a price smaller than 10000";
    QTest::newRow("date past the calendar") << "5" << QDate(9999, 3, 1)
                                            << "The projected date would fall after 12/31/9999. Choose an earlier date.";
}

void TestGannWindow::rejectedInputsKeepEverything()
{
    QFETCH(QString, price);
    QFETCH(QDate, date);
    GannWindow* w = Make(Layout::Compact);
    w->txtPrice->setText("700");
    w->dtpInputDate->setValue(QDate(2024, 1, 15));
    w->cmdCalculate->click();
    const QString prices = w->lblPrices->text(), dates = w->lblDates->text();
    const QImage chart = w->pbGann->surface().picture();
    const auto highs = w->state.PotentialHigh;

    w->txtPrice->setText(price);
    w->dtpInputDate->setValue(date);
    UI_CLICK(w, "cmdCalculate");
    QCOMPARE(fake().messages.size(), 1);
    QTEST(fake().messages[0].text, "message");
    QCOMPARE(fake().messages[0].caption, ProgramTitle);
    QCOMPARE(fake().messages[0].icon, MsgIcon::None);
    QCOMPARE(fake().messages[0].buttons, MsgButtons::Ok);
    QCOMPARE(w->lblPrices->text(), prices);
    QCOMPARE(w->lblDates->text(), dates);
    QCOMPARE(w->pbGann->surface().picture(), chart);
    QCOMPARE(w->state.PotentialHigh, highs);
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
    QCOMPARE(int(w->state.PotentialHigh[8]), 144);

    w->txtNotes->setFocus();
    QTRY_VERIFY(w->txtNotes->hasFocus());
    w->txtPrice->setText("200");
    QTest::keyClick(w->txtNotes, Qt::Key_Return);
    QCOMPARE(w->txtNotes->text().count(QLatin1Char('\n')), 2);
    QCOMPARE(int(w->state.PotentialHigh[8]), 144);

    w->txtPrice->setFocus();
    QTRY_VERIFY(w->cmdCalculate->isDefault());
}

void TestGannWindow::changeTrackingAndClosing()
{
    GannWindow* w = Make(Layout::Compact);
    QVERIFY(!w->cmdNew->isEnabled());
    QVERIFY(w->close());   // untouched: no question
    QTRY_VERIFY(!m_window);

    w = Make(Layout::Compact);
    UI_PICK(w, "dtpInputDate", QDate(2024, 1, 15));
    QCOMPARE(w->ChangedFlag, QString("YES"));
    QVERIFY(w->cmdNew->isEnabled());
    fake().answers << MsgResult::Cancel << MsgResult::No;
    QVERIFY(!w->close());
    QCOMPARE(fake().messageTexts(), QStringList{"Save Changes?"});
    QCOMPARE(fake().messages.last().buttons, MsgButtons::YesNoCancel);
    UI_CLICK(w, "cmdExit");
    QTRY_VERIFY(!m_window);
}

void TestGannWindow::newPrompt()
{
    GannWindow* w = Make(Layout::Compact);
    w->txtPrice->setText("700");
    w->dtpInputDate->setValue(QDate(2024, 1, 15));
    UI_CLICK(w, "cmdCalculate");
    const QString prices = w->lblPrices->text();

    // Yes while the name box still shows its placeholder: the save is refused, so the
    // New is abandoned and nothing is lost.
    fake().answers << MsgResult::Yes << MsgResult::No;
    UI_CLICK(w, "cmdNew");
    QCOMPARE(fake().messageTexts(), (QStringList{"Save Changes?", "Project name not specified!"}));
    QVERIFY(fake().saveRequests.isEmpty());
    QCOMPARE(w->ChangedFlag, QString("YES"));
    QCOMPARE(w->txtPrice->text(), QString("700"));
    QCOMPARE(w->lblPrices->text(), prices);

    // No: a fresh document.
    UI_CLICK(w, "cmdNew");
    QCOMPARE(w->txtProject->text(), QString("Project Name"));
    QCOMPARE(w->txtNotes->text(), QString("Notes"));
    QCOMPARE(w->txtPrice->text() + w->lblPrices->text() + w->lblDates->text(), QString());
    QCOMPARE(w->dtpInputDate->value(), Today);
    QCOMPARE(w->ProjectState + w->ChangedFlag, QString("NEWNO"));
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
    UI_CLICK(w, "cmdSave");
    QCOMPARE(fake().saveRequests, QStringList{"Gann Project File| *.gann|" + path});
    QCOMPARE(FileBytes(path), QByteArray("NM=Test\r\nPR=100\r\nDT=1/15/2024\r\nNT=first line\r\n\r\nthird line\r\n"));
    QCOMPARE(fake().lastMessage(), "Project saved to file " + path);
    QCOMPARE(w->ProjectState + w->ChangedFlag, QString("OPENNO"));
    QCOMPARE(w->ProjectFile, path);
    QVERIFY(w->cmdNew->isEnabled());

    // A second save goes to the same file without asking.
    w->txtPrice->setText("625");
    UI_CLICK(w, "cmdSave");
    QCOMPARE(fake().saveRequests.size(), 1);
    QVERIFY(FileBytes(path).contains("PR=625\r\n"));

    GannWindow* other = Make(Layout::Large);
    fake().openAnswers << path;
    UI_CLICK(other, "cmdOpen");
    QCOMPARE(fake().openRequests, QStringList{"Gann Project File| *.gann|"});
    QCOMPARE(other->txtProject->text(), QString("Test"));
    QCOMPARE(other->txtPrice->text(), QString("625"));
    QCOMPARE(other->dtpInputDate->value(), QDate(2024, 1, 15));
    QCOMPARE(other->txtNotes->text(), QString("first line\n\nthird line"));
    QCOMPARE(other->ProjectState + other->ChangedFlag, QString("OPENNO"));
    QCOMPARE(other->ProjectFile, path);
    // Opening calculated the results.
    QCOMPARE(int(other->state.PotentialHigh[1]), 638);
    QVERIFY(other->lblDates->text().endsWith("360    01/14/2025\r\n"));

    // Saved again untouched, the file reads back the same bytes.
    const QByteArray saved = FileBytes(path);
    UI_CLICK(other, "cmdSave");
    QCOMPARE(FileBytes(path), saved);
}

void TestGannWindow::openFiveDigitPrice()
{
    const QString path = Path("big.gann");
    WriteBytes(path, "NM=Big\r\nPR=12345\r\nDT=1/15/2024\r\n");
    GannWindow* w = Make(Layout::Compact);
    w->txtPrice->setText("100");
    w->cmdCalculate->click();
    const QString prices = w->lblPrices->text();
    fake().answers << MsgResult::No;
    fake().openAnswers << path;
    UI_CLICK(w, "cmdOpen");
    QCOMPARE(w->txtPrice->text(), QString("12345"));
    QCOMPARE(fake().lastMessage(), QString("Please enter a price smaller than 10000"));
    QCOMPARE(w->lblPrices->text(), prices);
    QCOMPARE(w->ProjectState + w->ChangedFlag, QString("OPENNO"));
}

void TestGannWindow::openFailures()
{
    GannWindow* w = Make(Layout::Compact);
    fake().openAnswers << std::nullopt;   // cancelled: nothing at all
    UI_CLICK(w, "cmdOpen");
    QVERIFY(fake().messages.isEmpty());

    fake().openAnswers << Path("missing.gann");
    UI_CLICK(w, "cmdOpen");
    QCOMPARE(fake().messages.size(), 1);
    QCOMPARE(fake().messages[0].text, QString("Action failed:\nCan't open project file"));
    QCOMPARE(fake().messages[0].caption, QString("Action failed"));
    QCOMPARE(fake().messages[0].icon, MsgIcon::Critical);
    QCOMPARE(w->ChangedFlag, QString("NO"));

    // What the file set before its bad date stays in the controls, and counts as a change.
    WriteBytes(Path("bad.gann"), "NM=Half\r\nDT=2/30/2024\r\nPR=7\r\n");
    fake().openAnswers << Path("bad.gann");
    UI_CLICK(w, "cmdOpen");
    QCOMPARE(fake().lastMessage(), QString("Action failed:\nCan't open project file"));
    QCOMPARE(w->txtProject->text(), QString("Half"));
    QCOMPARE(w->txtPrice->text() + w->ProjectFile + w->lblPrices->text(), QString());
    QCOMPARE(w->ProjectState + w->ChangedFlag, QString("NEWYES"));
}

void TestGannWindow::saveFailureKeepsDocumentChanged()
{
    GannWindow* w = Make(Layout::Large);
    w->txtProject->setText("Nowhere");
    fake().saveAnswers << Path("no/such/dir/x.gann");
    UI_CLICK(w, "cmdSave");
    QCOMPARE(fake().messageTexts(), QStringList{"Action failed:\nCan't save result file."});
    QCOMPARE(fake().messages[0].icon, MsgIcon::Critical);
    QCOMPARE(w->ProjectState + w->ChangedFlag, QString("NEWYES"));

    // A close whose save fails stays open.
    fake().answers << MsgResult::Yes;
    fake().saveAnswers << Path("no/such/dir/x.gann");
    QVERIFY(!w->close());
}

QTEST_MAIN(TestGannWindow)
#include "test_gannwindow.moc"
