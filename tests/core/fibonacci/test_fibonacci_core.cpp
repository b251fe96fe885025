#include "core/fibonacci/fibonaccichart.h"
#include "core/fibonacci/fibonaccicore.h"
#include "core/fibonacci/fibonaccifile.h"
#include "core/fibonacci/fibonaccilisting.h"
#include "core/numbers/dates.h"
#include "core/numbers/errors.h"

#include <QtTest>

// The projection, its chart scale, the results tables, the chart drawing and the
// project file, without a window. The worked example (100 to 150 from 1/1/2004 to
// 3/1/2004) is the guide's, listings, scale and file included; these are the cases
// around it.

namespace {

const FibRatios Classic{0.382, 0.5, 0.618};
const QDate Today(2024, 6, 1);

QDate D(int m, int d, int y) { return QDate(y, m, d); }
QString Us(const QDate& d) { return d.toString("M/d/yyyy"); }

FibonacciState Inputs(double p1, double p2, QDate d1 = NullDate(), QDate d2 = NullDate()) {
    FibonacciState s;
    s.document.Price1 = p1;
    s.document.Price2 = p2;
    s.document.Date1 = d1;
    s.document.Date2 = d2;
    return s;
}

FibonacciState Swing() { return Inputs(100, 150, D(1, 1, 2004), D(3, 1, 2004)); }

// "100 150 1/1/2004 3/1/2004"
QString InputsOf(const FibonacciDocument& s) {
    return QString("%1 %2 %3 %4").arg(s.Price1).arg(s.Price2).arg(Us(s.Date1), Us(s.Date2));
}

// Potential prices, then the price scale: "130.9 125 119.1 | 90 160 10 7".
QString PriceSummary(const FibonacciState& s) {
    const FibonacciResults& r = s.results;
    const FibonacciChartScale& c = s.scale;
    return QString("%1 %2 %3 | %4 %5 %6 %7").arg(r.PotentialPrice[1]).arg(r.PotentialPrice[2])
        .arg(r.PotentialPrice[3]).arg(c.ChartMinPrice).arg(c.ChartMaxPrice).arg(c.PriceStep).arg(c.PriceSteps);
}

// Potential dates, then the time scale with its tick step and count.
QString DateSummary(const FibonacciState& s) {
    const FibonacciResults& r = s.results;
    const FibonacciChartScale& c = s.scale;
    const bool months = c.DateAxisMode == DateTickUnit::Months;
    return QString("%1 %2 %3 | %4 %5 %6 %7 %8").arg(Us(r.PotentialDate[1]), Us(r.PotentialDate[2]),
        Us(r.PotentialDate[3]), DateTickUnitCode(c.DateAxisMode), Us(c.ChartStartDate), Us(c.ChartEndDate))
        .arg(months ? c.MonthStep : c.DayStep).arg(months ? c.MonthSteps : c.DaySteps);
}


// Every field the calculation writes, for "nothing changed".
QString Dump(const FibonacciState& s) {
    const FibonacciChartScale& c = s.scale;
    return InputsOf(s.document) + PriceSummary(s) + DateSummary(s) + QString(" %1 %2 %3 %4 %5").arg(c.MonthStep)
        .arg(c.MonthSteps).arg(c.DayStep).arg(c.DaySteps).arg(s.results.DateLevelCount);
}

}  // namespace

Q_DECLARE_METATYPE(FibonacciState)

class TestFibonacciCore : public QObject {
    Q_OBJECT
private slots:
    // Equal prices and a price too large are the hardening test's, the pickers left at
    // today the guide's.
    void validate_data() {
        QTest::addColumn<QString>("price1");
        QTest::addColumn<QString>("price2");
        QTest::addColumn<QDate>("picker1");
        QTest::addColumn<QDate>("picker2");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("after");   // the state's inputs afterwards

        // The state starts as "1 2 1/1/2000 2/1/2000"; no dates read as 1/1/1900.
        QTest::newRow("nothing entered") << "" << "" << Today << Today << "No input specified"
                                         << "0 0 1/1/1900 1/1/1900";
        QTest::newRow("one price keeps the rejected prices, not the dates")
            << "100" << "" << D(1, 1, 2004) << D(3, 1, 2004) << "Either both or none of the prices should be entered"
            << "100 0 1/1/2000 2/1/2000";
        QTest::newRow("equal dates keep the rejected dates") << "" << "" << D(5, 1, 2024) << D(5, 1, 2024)
            << "Date2 should be greater than Date1" << "0 0 5/1/2024 5/1/2024";
        QTest::newRow("a picker set to the null date itself") << "" << "" << NullDate() << D(5, 1, 2024)
            << "Either both or none of the dates should be entered" << "0 0 1/1/1900 5/1/2024";
        QTest::newRow("today and tomorrow are two dates")
            << "" << "" << Today << D(6, 2, 2024) << "" << "0 0 6/1/2024 6/2/2024";
    }
    void validate() {
        QFETCH(QString, price1);
        QFETCH(QString, price2);
        QFETCH(QDate, picker1);
        QFETCH(QDate, picker2);
        FibonacciState s = Inputs(1, 2, D(1, 1, 2000), D(2, 1, 2000));
        s.document.ProjectName = "Old";
        s.document.Notes = "old notes";
        const FibonacciInputs in{price1, price2, picker1, picker2, "  My  plan ", " line 1\r\nline 2\t "};
        const std::optional<QString> result = ValidateInputs(in, Today, s.document);
        QTEST(result.value_or(QString()), "message");
        QTEST(InputsOf(s.document), "after");
        // Name and notes only move on success; trimming removes blanks, not tabs.
        QCOMPARE(s.document.ProjectName, result ? QString("Old") : QString("My  plan"));
        QCOMPARE(s.document.Notes, result ? QString("old notes") : QString("line 1\r\nline 2\t"));
    }

    void projection_data() {
        QTest::addColumn<FibonacciState>("inputs");
        QTest::addColumn<double>("r3");
        QTest::addColumn<QString>("prices");   // potential prices | min max step steps
        QTest::addColumn<QString>("dates");    // potential dates | mode start end step steps
        QTest::newRow("range under three units doubles the step")
            << Inputs(100, 125) << 0.618 << "115.45 112.5 109.55 | 99 126 2 14" << "";
        QTest::newRow("lower bound below zero is cut to zero")
            << Inputs(0.5, 4) << 0.618 << "2.663 2.25 1.837 | 0 5 1 5" << "";
        QTest::newRow("a currency below 1 keeps its lower bound")
            << Inputs(0.65, 0.72) << 0.618 << "0.69326 0.685 0.67674 | 0.64 0.73 0.01 9" << "";
        QTest::newRow("negative potential price is clamped") << Inputs(10, 20) << 2.5 << "16.18 15 0 | 0 21 2 10" << "";
        QTest::newRow("days") << Inputs(0, 0, D(1, 1, 2004), D(1, 21, 2004)) << 0.618 << ""
                              << "1/28/2004 1/31/2004 2/2/2004 | D 12/29/2003 2/7/2004 4 10";
        QTest::newRow("short span starts the day before and pushes the end past the last level")
            << Inputs(0, 0, D(1, 10, 2024), D(1, 13, 2024)) << 0.618 << ""
            << "1/14/2024 1/14/2024 1/14/2024 | D 1/9/2024 1/15/2024 1 6";
        QTest::newRow("long span: several months a tick") << Inputs(0, 0, D(1, 15, 2000), D(1, 15, 2004))
            << 0.618 << "" << "7/26/2005 1/14/2006 7/5/2006 | M 12/1/1999 4/1/2007 8 11";
    }
    void projection() {
        QFETCH(FibonacciState, inputs);
        QFETCH(double, r3);
        Calculate(inputs, FibRatios{0.382, 0.5, r3});
        QTEST(inputs.document.HasPrices() ? PriceSummary(inputs) : QString(), "prices");
        QTEST(inputs.document.HasDates() ? DateSummary(inputs) : QString(), "dates");
        QCOMPARE(int(inputs.results.DateLevelCount), inputs.document.HasDates() ? 3 : 0);
    }

    void missingHalfKeepsEarlierResults() {
        FibonacciState s = Swing();
        Calculate(s, Classic);
        const QString prices = PriceSummary(s), dates = DateSummary(s);
        FibonacciState t = s;
        s.document.Price1 = 10;
        s.document.Price2 = 20;
        s.document.Date1 = s.document.Date2 = NullDate();
        Calculate(s, Classic);
        QCOMPARE(s.scale.ChartMaxPrice, 21.0);
        QCOMPARE(DateSummary(s), dates);
        t.document.Price1 = t.document.Price2 = 0;
        t.document.Date2 = D(1, 21, 2004);
        Calculate(t, Classic);
        QCOMPARE(t.scale.DateAxisMode, DateTickUnit::Days);
        QCOMPARE(PriceSummary(t), prices);
    }

    // A projected date past 12/31/9999 is the hardening test's.
    void calcErrorsLeaveStateUntouched_data() {
        QTest::addColumn<QDate>("d1");
        QTest::addColumn<QDate>("d2");
        QTest::addColumn<double>("r3");
        QTest::addColumn<QString>("message");
        QTest::newRow("chart end past 12/31/9999") << D(1, 1, 9999) << D(8, 1, 9999) << 0.618
                                                   << QString::fromLatin1(DateAfterRangeMessage);
        QTest::newRow("month count beyond 16 bits") << D(1, 1, 1601) << D(1, 1, 5000) << 0.618
            << "Choose dates closer together: the chart cannot show more than 32767 months or days.";
        QTest::newRow("odd ratio gives a zero day step") << D(1, 1, 2024) << D(1, 31, 2024) << -1.2
            << "Check the Fibonacci ratios: with these ratios the time axis cannot be laid out.";
    }
    void calcErrorsLeaveStateUntouched() {
        QFETCH(double, r3);
        QFETCH(QDate, d1);
        QFETCH(QDate, d2);
        FibonacciState s = Swing();
        Calculate(s, Classic);
        // Prices that alone would calculate fine: the price half must not be committed either.
        s.document.Price1 = 10;
        s.document.Price2 = 20;
        s.document.Date1 = d1;
        s.document.Date2 = d2;
        const FibonacciState before = s;
        try {
            Calculate(s, FibRatios{0.382, 0.5, r3});
            QFAIL("no error reported");
        } catch (const CalcError& e) {
            QTEST(e.text, "message");
        }
        QCOMPARE(Dump(s), Dump(before));
    }

    // The worked example with its first results replaced: a clamped price and a date
    // with leading zeros, then a ratio and a price too wide for their columns.
    void listingColumns() {
        FibonacciState s = Swing();
        Calculate(s, Classic);
        s.results.PotentialPrice[1] = 0;
        s.results.PotentialDate[1] = D(5, 7, 2010);
        QCOMPARE(PriceListing(s, Classic).section("\r\n", 2, 2), QString("0.382       0.00"));
        QCOMPARE(DateListing(s, Classic).section("\r\n", 2, 2), QString("0.382       05/07/2010"));
        s.results.PotentialPrice[1] = 1234567.891;
        QCOMPARE(PriceListing(s, FibRatios{0.12345678901, 0.5, 0.618}).section("\r\n", 2, 2),
                 QString("0.12345678901234567.89"));
    }

    void chartPixels() {
        // Prices with dates, and prices alone (points spread at 10 % and 70 % of the axis).
        for (bool withDates : {true, false}) {
            FibonacciState s = withDates ? Swing() : Inputs(100, 150);
            Calculate(s, Classic);
            PictureSurface pb(15);
            pb.setSizeTwips(8500, 8500);
            const FibChartAxes g = DrawChart(pb, s, Layout::Large).axes;
            const QImage& img = pb.picture();   // kept as the persistent picture
            QVERIFY(!img.isNull());
            auto at = [&](int x, int y) { return img.pixelColor(pb.toPixels(x), pb.toPixels(y)); };

            // 119.1 lies at y = (119.1-90)/70 * -6500 + 7500 = 4797.9 -> 4798.
            QCOMPARE(PriceToY(s.scale, g, 119.1), 4798);
            QCOMPARE(at(7500 - 150, 4798), QColor(0, 0, 255));
            const int x1 = withDates ? DateToX(s.scale, g, s.document.Date1) : 1250 + 625;
            const int x2 = withDates ? DateToX(s.scale, g, s.document.Date2) : 1250 + 4375;
            QCOMPARE(at(x1, PriceToY(s.scale, g, 100)), QColor(Qt::black));   // the first input point
            QCOMPARE(at(x1, PriceToY(s.scale, g, 100) + 30), QColor(Qt::black));   // its dot, below the line
            QCOMPARE(at(g.PriceAxisX, 3000), QColor(Qt::black));        // the price axis
            const int top = PriceToY(s.scale, g, s.scale.ChartMaxPrice);
            QCOMPARE(at(g.TimeAxisLeft - 45, top), QColor(Qt::black));   // the top tick
            // The line joining the two points passes their midpoint, within a pixel.
            const int mx = (x1 + x2) / 2, my = (PriceToY(s.scale, g, 100) + PriceToY(s.scale, g, 150)) / 2;
            bool joined = false;
            for (int dx : {-15, 0, 15})
                for (int dy : {-15, 0, 15})
                    joined = joined || at(mx + dx, my + dy) == QColor(Qt::black);
            QVERIFY(joined);
            QCOMPARE(at(7500 - 150, PriceToY(s.scale, g, 150) - 150), QColor(Qt::white));
            if (withDates) {
                // 4/7/2004 is 128 of 152 days along: x = 128/152 * 6250 + 1250 = 6513.2 -> 6513.
                QCOMPARE(DateToX(s.scale, g, s.results.PotentialDate[3]), 6513);
                QCOMPARE(at(6513, 1500), QColor(0, 0, 255));
                const int first = DateToX(s.scale, g, s.results.PotentialDate[1]);
                QCOMPARE(at(first, 1500), QColor(0, 0, 255));   // the first level too
            }
            // The printout goes on writing in black tick-label type.
            QCOMPARE(pb.foreColor(), QColor(Qt::black));
            QCOMPARE(pb.font().pointSizeF(), 10.0);
        }
    }

    // A date label hangs from 200 twips left of its tick and 100 below the axis; on this
    // box height one twip lower would already be the next row of pixels.
    void dateLabelsHangBelowTheirTicks() {
        FibonacciState s = Swing();
        Calculate(s, Classic);
        PictureSurface pb(15), label(15);
        pb.setSizeTwips(8500, 8497);
        label.setSizeTwips(8500, 8497);
        const FibChartGeometry g = DrawChart(pb, s, Layout::Large);
        label.setFont(pb.font().family(), pb.font().pointSizeF());
        const int x = DateToX(s.scale, g.axes, s.scale.ChartStartDate) - 200, y = g.axes.TimeAxisY + 100;
        label.setCurrentX(x);
        label.setCurrentY(y);
        label.print(FormatMdYy(s.scale.ChartStartDate));
        const QRect below(pb.toPixels(x), pb.toPixels(y), pb.toPixels(700), pb.toPixels(300));
        QCOMPARE(pb.picture().copy(below), label.image().copy(below));
    }

    void pricesOnlyFileLines() {
        FibonacciState s = Inputs(0.5, 4);
        s.document.ProjectName = "Test";
        QCOMPARE(FibProjectLines(s.document),
                 (QStringList{"NM=Test", "P1=0.5", "P2=4", "D1=1/1/1900", "D2=1/1/1900", "NT="}));
    }

    // Damaged files are the hardening test's.
    void readFile_data() {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("after");   // name | inputs | notes

        // Fields start as: "Before | 1 2 1/1/2000 2/1/2000 | old".
        QTest::newRow("hand-written keys in lower case with blanks")
            << QStringList{" nm = Test", "p1 =100", "P2= 150.5 ", "d1=1/1/04", "D2 = 3/1/2004", "nt=a", "b"}
            << true << "Test | 100 150.5 1/1/2004 3/1/2004 | a\r\nb";
        QTest::newRow("missing keys keep their fields")
            << QStringList{"P1=5"} << true << "Before | 5 2 1/1/2000 2/1/2000 | old";
        QTest::newRow("bad number fails; fields read before it stay")
            << QStringList{"NM=Kept", "P1=12abc", "P2=5"} << false << "Kept | 1 2 1/1/2000 2/1/2000 | old";
    }
    void readFile() {
        QFETCH(QStringList, lines);
        FibonacciState s = Inputs(1, 2, D(1, 1, 2000), D(2, 1, 2000));
        s.document.ProjectName = "Before";
        s.document.Notes = "old";
        QTEST(ApplyFibProjectLines(lines, s.document), "ok");
        QTEST(s.document.ProjectName + " | " + InputsOf(s.document) + " | " + s.document.Notes, "after");
    }
};

QTEST_MAIN(TestFibonacciCore)
#include "test_fibonacci_core.moc"
