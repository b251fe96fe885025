// SPDX-License-Identifier: GPL-3.0-or-later
#include "testfiles.h"
#include "uitest.h"
#include "forms/gann/frmGann.h"
#include "core/gann/ganncalc.h"
#include "core/gann/gannchartgeometry.h"
#include "platform/widgets.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

Q_DECLARE_METATYPE(Layout)

// The window driven as a trader would, through its controls, with every message box
// and file dialog answered by the scripted platform and today fixed at 6/1/2024.
// Pasted prices, damaged files and unwritable folders are the hardening test's.
class TestGannWindow : public UiTest {
    Q_OBJECT
    GannWindow* Make(Layout layout) {
        GannWindow* w = MakeLayoutWindow<GannWindow>(layout);
        (m_window ? m_other : m_window) = w;
        return w;
    }
    QString Path(const QString& name) const { return programDir() + "/" + name; }

    QPointer<GannWindow> m_window, m_other;

private slots:
    void cleanup() {
        delete m_window;
        delete m_other;
        UiTest::cleanup();
    }

    // The core tests' chart size, and the tab order.
    void loadOn800x600() {
        fake().screen = QSize(800, 600);
        GannWindow* w = Make(Layout::Compact);
        QCOMPARE(w->size(), QSize(800, 600));
        QCOMPARE(int(w->state().frame.ChartHalf), 4250);
        QCOMPARE(int(w->state().frame.ChartRadius), 4150);
        QCOMPARE(w->pbGann->widthTwips(), 8500);
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

    void calculateThroughControls_data() {
        QTest::addColumn<Layout>("layout");
        QTest::addColumn<double>("points");
        QTest::newRow("compact") << Layout::Compact << 7.0;
        QTest::newRow("large") << Layout::Large << 8.0;
    }
    void calculateThroughControls() {
        QFETCH(Layout, layout);
        GannWindow* w = Make(layout);
        UI_CLICK(w, "cmdCalculate");
        QCOMPARE(fake().messageTexts(), QStringList{"Please enter price and/or date"});
        QVERIFY(fake().messages[0].caption == ProgramTitle && fake().messages[0].icon == MsgIcon::None
                && fake().messages[0].buttons == MsgButtons::Ok);

        QCOMPARE(w->ChangedFlag, ChangeStatus::Unchanged);
        UI_TYPE(w, "txtPrice", "100");
        UI_CLICK(w, "cmdCalculate");
        QCOMPARE(fake().messages.size(), 1);
        QVERIFY(w->lblPrices->text().endsWith("315    138    69\r\n360    144    64\r\n"));
        QCOMPARE(w->lblDates->text(), QString("Angle  Date\r\n-----  ----\r\n"));
        QTEST(w->lblPrices->font().pointSizeF(), "points");
        QVERIFY(w->lblDates->font().bold());
        // The chart box shows the price cell's black box (the rest of the chart is the
        // command line's picture, compared with the window's by the output tests).
        const PictureSurface& s = w->pbGann->surface();
        const GannBox box = ComputeGannChart(w->state(), layout).resultBoxes.at(0);
        QCOMPARE(s.picture().pixelColor(s.toPixels(box.left + 20), s.toPixels(box.top + 20)), QColor(Qt::black));
        // Calculating does not touch the document state.
        QCOMPARE(ui::documentState(w), QString("New Changed"));
    }

    // Typing is held to four digits; Enter calculates.
    void keyboard() {
        GannWindow* w = Make(Layout::Large);
        QTest::keyClicks(w->txtPrice, "12a.- 345");
        QCOMPARE(w->txtPrice->text(), QString("1234"));
        UI_RETYPE(w, "txtPrice", "100");
        QTest::keyClick(w->txtPrice, Qt::Key_Return);
        QCOMPARE(int(w->state().results.PotentialHigh[8]), 144);
    }

    // New after changes (the prompt's answers are the shell test's, for both windows):
    // No empties the window back to the first square; closing asks too.
    void newEmptiesTheWindow() {
        GannWindow* w = Make(Layout::Compact);
        w->txtPrice->setText("700");
        UI_PICK(w, "dtpInputDate", QDate(2024, 1, 15));
        QCOMPARE(w->ChangedFlag, ChangeStatus::Changed);
        UI_CLICK(w, "cmdCalculate");

        fake().answers << MsgResult::No;
        UI_CLICK(w, "cmdNew");
        QCOMPARE(fake().messageTexts(), QStringList{"Save Changes?"});
        QCOMPARE(w->txtProject->text() + "|" + w->txtNotes->text(), QString("Project Name|Notes"));
        QCOMPARE(w->txtPrice->text() + w->lblPrices->text() + w->lblDates->text(), QString());
        QCOMPARE(w->dtpInputDate->value(), fake().todayDate);
        QCOMPARE(ui::documentState(w), QString("New Unchanged"));
        QVERIFY(!w->cmdNew->isEnabled());
        // Back to the first square and no marks; the dates wait for the next calculation.
        QCOMPARE(int(w->state().spiral.GridCenter), 14);
        QVERIFY(ComputeGannChart(w->state(), Layout::Compact).resultBoxes.empty());
        QCOMPARE(int(w->state().results.CellMark[714]), 0);
        QCOMPARE(w->state().results.AngleDate[1], QDate(2024, 2, 29));

        UI_TYPE(w, "txtPrice", "5");
        fake().answers << MsgResult::No;
        UI_CLICK(w, "cmdExit");
        QTRY_VERIFY(!m_window);
    }

    // A cancelled Open does nothing at all; a file that is not there is reported and
    // leaves the document as it was.
    void openCancelledOrMissing() {
        GannWindow* w = Make(Layout::Compact);
        fake().openAnswers << std::nullopt << Path("missing.gann");
        UI_CLICK(w, "cmdOpen");
        QVERIFY(fake().messages.isEmpty());
        UI_CLICK(w, "cmdOpen");
        QCOMPARE(fake().messageTexts(), QStringList{"Action failed:\nCan't open project file"});
        QVERIFY(fake().messages[0].caption == "Action failed" && fake().messages[0].icon == MsgIcon::Critical);
        QCOMPARE(ui::documentState(w), QString("New Unchanged"));
    }

    void saveThenOpenRoundTrip() {
        const QString path = Path("Test.gann");
        GannWindow* w = Make(Layout::Compact);
        w->txtProject->setText("  Test ");
        w->txtPrice->setText("100");
        w->dtpInputDate->setValue(QDate(2024, 1, 15));
        w->txtNotes->setText("first line\r\n\r\nthird line");
        fake().saveAnswers << path;
        UI_CLICK(w, "cmdSave");
        QCOMPARE(fake().saveRequests, QStringList{"Gann Project File| *.gann|" + path});
        QCOMPARE(ReadBytes(path), QByteArray("NM=Test\r\nPR=100\r\nDT=1/15/2024\r\nNT=first line\r\n\r\nthird line\r\n"));
        QCOMPARE(fake().lastMessage(), "Project saved to file " + path);
        QCOMPARE(ui::documentState(w) + " " + w->ProjectFile, "Open Unchanged " + path);
        QVERIFY(w->cmdNew->isEnabled());

        // A second save goes to the same file without asking.
        w->txtPrice->setText("625");
        UI_CLICK(w, "cmdSave");
        QCOMPARE(fake().saveRequests.size(), 1);
        QVERIFY(ReadBytes(path).contains("PR=625\r\n"));

        GannWindow* other = Make(Layout::Large);
        fake().openAnswers << path;
        UI_CLICK(other, "cmdOpen");
        QCOMPARE(fake().openRequests.last(), QString("Gann Project File| *.gann|"));
        QCOMPARE(other->txtProject->text() + "|" + other->txtPrice->text() + "|" + other->txtNotes->text(),
                 QString("Test|625|first line\n\nthird line"));
        QCOMPARE(other->dtpInputDate->value(), QDate(2024, 1, 15));
        QCOMPARE(ui::documentState(other) + " " + other->ProjectFile, "Open Unchanged " + path);
        // Opening calculated the results.
        QCOMPARE(int(other->state().results.PotentialHigh[1]), 638);
        QVERIFY(other->lblDates->text().endsWith("360    01/14/2025\r\n"));
        // Saved again untouched, the file reads back the same bytes.
        const QByteArray saved = ReadBytes(path);
        UI_CLICK(other, "cmdSave");
        QCOMPARE(ReadBytes(path), saved);
    }
};

QTEST_MAIN(TestGannWindow)
#include "test_gannwindow.moc"
