#include "uitest.h"
#include "forms/fibonacci/frmFibonacci.h"
#include "core/settings/settings.h"
#include "core/numbers/dates.h"
#include "core/files/textfile.h"
#include "platform/widgets.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

// The Fibonacci window driven the way a trader drives it: typing into the boxes,
// moving the pickers, pressing buttons and Enter, answering prompts and file dialogs
// (scripted by the fake platform, with today fixed at 6/1/2024). Rejected inputs,
// damaged files and unwritable folders are the hardening test's.

namespace {
QDate D(int m, int d, int y) { return QDate(y, m, d); }
}  // namespace

class TestFibonacciWindow : public UiTest {
    Q_OBJECT
    QPointer<FibonacciWindow> window;

    FibonacciWindow* Open(bool compact = false) {
        fake().screen = compact ? QSize(800, 600) : QSize(1024, 768);
        window = MakeLayoutWindow<FibonacciWindow>(compact ? Layout::Compact : Layout::Large, ratios());
        return window;
    }
    // Pickers left at today stand for "no dates".
    void Enter(const QString& p1, const QString& p2, QDate d1 = QDate(), QDate d2 = QDate()) {
        UI_RETYPE(window, "txtPrice1", p1);
        UI_RETYPE(window, "txtPrice2", p2);
        window->dtpDate1->setValue(d1.isValid() ? d1 : fake().todayDate);
        window->dtpDate2->setValue(d2.isValid() ? d2 : fake().todayDate);
    }
    QString Text(const QString& name) const { return window->findChild<QLabel*>(name)->text(); }
    QString Path(const QString& name) const { return programDir() + "/" + name; }

private slots:
    void init() {
        UiTest::init();
    }
    void cleanup() {
        if (window) {
            window->ChangedFlag = ChangeStatus::Unchanged;
            delete window;
        }
        UiTest::cleanup();
    }

    void workedExample_data() {
        QTest::addColumn<bool>("compact");
        QTest::addColumn<double>("listingPoints");
        QTest::newRow("large") << false << 8.0;
        QTest::newRow("compact") << true << 7.0;
    }
    void workedExample() {
        QFETCH(bool, compact);
        FibonacciWindow* w = Open(compact);
        Enter("100", "150", D(1, 1, 2004), D(3, 1, 2004));
        UI_CLICK(w, "cmdCalculate");
        QVERIFY(fake().messages.isEmpty());
        QVERIFY(Text("lblPrices").endsWith("0.618       119.10"));
        QVERIFY(Text("lblDates").endsWith("0.618       04/07/2004"));
        QTEST(w->lblPrices->font().pointSizeF(), "listingPoints");
        QVERIFY(w->lblPrices->font().bold());
        // The chart in the box: the 119.10 level line is blue.
        const PictureSurface& surface = w->pbFibonacci->surface();
        const FibChartAxes& g = w->shownChart().axes;
        const int y = PriceToY(w->state().scale, g, 119.1);
        QCOMPARE(surface.picture().pixelColor(surface.toPixels(g.TimeAxisRight - 150), surface.toPixels(y)),
                 QColor(0, 0, 255));
    }

    // Typing: digits and one point, eight characters. Enter calculates, except in the
    // notes, where it starts a new line. Tab walks the controls.
    void keyboard() {
        FibonacciWindow* w = Open();
        w->show();
        QApplication::setActiveWindow(w);
        QVERIFY(QTest::qWaitForWindowActive(w));
        QCOMPARE(QApplication::focusWidget(), w->txtPrice1);
        QTest::keyClicks(w->txtPrice1, "1a2.-3.4 56789");
        QCOMPARE(w->txtPrice1->text(), QString("12.34567"));

        Enter("100", "150");
        QTest::keyClick(w->txtPrice2, Qt::Key_Return);
        QCOMPARE(w->state().results.PotentialPrice[2], 125.0);
        UI_RETYPE(w, "txtPrice1", "110");
        w->txtNotes->setFocus();
        w->txtNotes->selectAll();
        QTest::keyClicks(w->txtNotes, "a");
        QTest::keyClick(w->txtNotes, Qt::Key_Return);
        QTest::keyClicks(w->txtNotes, "b");
        QCOMPARE(w->txtNotes->text(), QString("a\nb"));
        QCOMPARE(w->state().results.PotentialPrice[2], 125.0);
        w->dtpDate1->setFocus();
        QTest::keyClick(w->dtpDate1, Qt::Key_Enter);
        QCOMPARE(w->state().results.PotentialPrice[2], 130.0);
        QCOMPARE(w->state().document.Notes, QString("a\r\nb"));

        // One press of Tab per control: a date picker is one stop.
        w->cmdNew->setFocus();
        QStringList order;
        for (int i = 0; i < 14; ++i) {
            order << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(order, (QStringList{"cmdNew", "cmdOpen", "cmdSave", "cmdExit", "txtProject", "txtPrice1",
                                     "dtpDate1", "txtPrice2", "dtpDate2", "cmdCalculate", "txtNotes",
                                     "cmdExport", "cmdPrint", "cmdRatios"}));
    }

    // New asks first: Cancel keeps the typing, Yes runs the save (refused here: one
    // price only), No discards it and starts a fresh document with the bare chart.
    void changeTrackingAndNew() {
        FibonacciWindow* w = Open();
        QCOMPARE(w->txtProject->text() + "|" + w->txtNotes->text(), QString("Project Name|Notes"));
        QCOMPARE(ui::documentState(w), QString("New Unchanged"));
        QVERIFY(!w->cmdNew->isEnabled());
        UI_PICK(w, "dtpDate1", D(1, 1, 2004));
        QCOMPARE(w->ChangedFlag, ChangeStatus::Changed);
        QVERIFY(w->cmdNew->isEnabled());

        Enter("100", "150", D(1, 1, 2004), D(3, 1, 2004));
        w->cmdCalculate_Click();
        w->txtPrice2->clear();
        fake().answers << MsgResult::Cancel << MsgResult::Yes << MsgResult::No;
        for (const bool kept : {true, true, false}) {
            UI_CLICK(w, "cmdNew");
            QCOMPARE(w->ChangedFlag == ChangeStatus::Changed, kept);
            QCOMPARE(w->txtPrice1->text(), kept ? QString("100") : QString());
        }
        QCOMPARE(fake().messageTexts(), (QStringList{"Save Changes?", "Save Changes?",
            "Either both or none of the prices should be entered", "Save Changes?"}));
        QVERIFY(fake().messages[0].buttons == MsgButtons::YesNoCancel);
        QCOMPARE(ui::documentState(w), QString("New Unchanged"));
        QVERIFY(!w->cmdNew->isEnabled());
        QCOMPARE(Text("lblPrices") + Text("lblDates") + w->txtPrice1->text(), QString());
        QCOMPARE(w->state().document.Date1, NullDate());
        const PictureSurface& s = w->pbFibonacci->surface();
        const FibChartAxes& axes = w->shownChart().axes;
        QCOMPARE(s.picture().pixelColor(s.toPixels(4000), s.toPixels(axes.TimeAxisY)), QColor(Qt::black));
        QCOMPARE(s.picture().pixelColor(s.toPixels(axes.TimeAxisRight - 150), s.toPixels(4798)), QColor(Qt::white));

        // An untouched document closes without a question.
        UI_CLICK(w, "cmdExit");
        QCOMPARE(fake().messages.size(), 4);
        QTRY_VERIFY(window.isNull());
    }

    // The name box still showing its placeholder: no dialog, nothing written.
    void saveWithoutName() {
        FibonacciWindow* w = Open();
        Enter("100", "150", D(1, 1, 2004), D(3, 1, 2004));
        UI_CLICK(w, "cmdSave");
        QCOMPARE(fake().messageTexts(), QStringList{"Project name not specified!"});
        QVERIFY(fake().saveRequests.isEmpty());
        QCOMPARE(ui::documentState(w), QString("New Changed"));
    }

    void saveThenOpenRoundTrip() {
        FibonacciWindow* w = Open();
        Enter("100", "150", D(1, 1, 2004), D(3, 1, 2004));
        w->txtNotes->setPlainText("first line\n\nthird line");
        UI_RETYPE(w, "txtProject", "  Plan ");
        const QString path = Path("Plan.fib");
        fake().saveAnswers << path;
        UI_CLICK(w, "cmdSave");
        QCOMPARE(fake().saveRequests, QStringList{"Fibonacci Project File| *.fib|" + path});
        QCOMPARE(fake().lastMessage(), "Project saved to file " + path);
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("NM=Plan\r\nP1=100\r\nP2=150\r\nD1=1/1/2004\r\nD2=3/1/2004\r\n"
                                         "NT=first line\r\n\r\nthird line\r\n"));
        QCOMPARE(ui::documentState(w) + " " + w->ProjectFile, "Open Unchanged " + path);
        QVERIFY(w->cmdNew->isEnabled());

        // A second save goes to the same file without a dialog.
        UI_RETYPE(w, "txtPrice2", "160");
        UI_CLICK(w, "cmdSave");
        QCOMPARE(fake().saveRequests.size(), 1);
        QVERIFY(ReadTextLines(path)->contains("P2=160"));

        // New, then open the file again: the same document comes back, recalculated.
        UI_CLICK(w, "cmdNew");
        fake().openAnswers << path;
        const int messages = fake().messages.size();
        UI_CLICK(w, "cmdOpen");
        QCOMPARE(fake().messages.size(), messages);
        QCOMPARE(w->txtProject->text() + "|" + w->txtPrice2->text() + "|" + w->txtNotes->text(),
                 QString("Plan|160|first line\n\nthird line"));
        QCOMPARE(w->dtpDate1->value(), D(1, 1, 2004));
        QVERIFY(Text("lblPrices").endsWith("0.618       122.92"));
        QCOMPARE(ui::documentState(w) + " " + w->ProjectFile, "Open Unchanged " + path);
    }

    // A longer price from a file is shown whole (typing stops at eight).
    void longPriceFromFile() {
        FibonacciWindow* w = Open();
        const QString path = Path("Plan.fib");
        QVERIFY(WriteTextLines(path, {"NM=Plan", "P1=99999999999", "P2=5"}));
        fake().openAnswers << path;
        UI_CLICK(w, "cmdOpen");
        QCOMPARE(w->txtPrice1->text(), QString("99999999999"));
    }

    // New ratios hold from the next calculation on; the dialog is modal.
    void ratiosApplyAtNextCalculation() {
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
        QCOMPARE(ratios().ratios().r1, 0.25);
        QCOMPARE(Text("lblPrices"), before);
        w->cmdCalculate_Click();
        QVERIFY(Text("lblPrices").contains("0.25        137.50"));
    }
};

QTEST_MAIN(TestFibonacciWindow)
#include "test_fibonacci_window.moc"
