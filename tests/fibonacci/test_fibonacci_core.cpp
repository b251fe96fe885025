#include "forms/fibonacci/fibonaccichart.h"
#include "forms/fibonacci/fibonaccicore.h"
#include "forms/fibonacci/fibonaccifile.h"
#include "forms/fibonacci/fibonaccilisting.h"
#include "modules/errors.h"
#include "modules/textfile.h"

#include <QTemporaryDir>
#include <QtTest>

// The projection, its chart scale, the results tables, the chart drawing and the
// project file, without a window.

namespace {

const FibRatios Classic{0.382, 0.5, 0.618};
const QDate Today(2024, 6, 1);

QDate D(int m, int d, int y) { return QDate(y, m, d); }

FibonacciState Inputs(double p1, double p2, QDate d1, QDate d2)
{
    FibonacciState s;
    s.Price1 = p1;
    s.Price2 = p2;
    s.Date1 = d1.isValid() ? d1 : NullDate();
    s.Date2 = d2.isValid() ? d2 : NullDate();
    return s;
}

// Every field of the state, so "nothing changed" can be checked in one comparison.
QStringList Dump(const FibonacciState& s)
{
    QStringList out;
    out << QString::number(s.Price1, 'g', 17) << QString::number(s.Price2, 'g', 17)
        << s.Date1.toString(Qt::ISODate) << s.Date2.toString(Qt::ISODate) << s.ProjectName
        << s.Notes << QString::number(s.DateLevelCount) << QString::number(s.ChartMinPrice, 'g', 17)
        << QString::number(s.ChartMaxPrice, 'g', 17) << QString::number(s.PriceStep, 'g', 17)
        << QString::number(s.PriceSteps) << s.ChartStartDate.toString(Qt::ISODate)
        << s.ChartEndDate.toString(Qt::ISODate) << s.DateAxisMode << QString::number(s.MonthStep)
        << QString::number(s.MonthSteps) << QString::number(s.DayStep) << QString::number(s.DaySteps);
    for (int i = 1; i <= 3; ++i)
        out << QString::number(s.PotentialPrice[i], 'g', 17) << s.PotentialDate[i].toString(Qt::ISODate);
    return out;
}

}  // namespace

class TestFibonacciCore : public QObject {
    Q_OBJECT
private slots:
    void validate_data();
    void validate();
    void priceProjection_data();
    void priceProjection();
    void timeProjection_data();
    void timeProjection();
    void missingHalfKeepsEarlierResults();
    void calcErrorsLeaveStateUntouched_data();
    void calcErrorsLeaveStateUntouched();
    void listing_data();
    void listing();
    void chartPixels();
    void emptyChartHasAxesOnly();
    void fileLines();
    void readFile_data();
    void readFile();
    void saveAndOpenRoundTrip();
};

void TestFibonacciCore::validate_data()
{
    QTest::addColumn<QString>("price1");
    QTest::addColumn<QString>("price2");
    QTest::addColumn<QDate>("picker1");
    QTest::addColumn<QDate>("picker2");
    QTest::addColumn<QString>("message");
    // What the state holds afterwards.
    QTest::addColumn<double>("p1");
    QTest::addColumn<double>("p2");
    QTest::addColumn<QDate>("d1");
    QTest::addColumn<QDate>("d2");

    // The state starts as 1 / 2 / 1/1/2000 / 2/1/2000 / "Old".
    const QDate old1 = D(1, 1, 2000), old2 = D(2, 1, 2000), nul = NullDate();
    QTest::newRow("nothing entered") << "" << "" << Today << Today << "No input specified"
                                     << 0.0 << 0.0 << nul << nul;
    QTest::newRow("one price only keeps the rejected prices, not the dates")
        << "100" << "" << D(1, 1, 2004) << D(3, 1, 2004)
        << "Either both or none of the prices should be entered" << 100.0 << 0.0 << old1 << old2;
    QTest::newRow("equal prices") << "100" << "100.0" << Today << Today
                                  << "Both prices can't be the same" << 100.0 << 100.0 << old1 << old2;
    QTest::newRow("a lone point reads as no price") << "." << "20" << Today << Today
        << "Either both or none of the prices should be entered" << 0.0 << 20.0 << old1 << old2;
    QTest::newRow("Date2 before Date1 keeps the rejected dates")
        << "" << "" << D(5, 1, 2024) << D(4, 1, 2024) << "Date2 should be greater than Date1"
        << 0.0 << 0.0 << D(5, 1, 2024) << D(4, 1, 2024);
    QTest::newRow("equal dates away from today") << "" << "" << D(5, 1, 2024) << D(5, 1, 2024)
        << "Date2 should be greater than Date1" << 0.0 << 0.0 << D(5, 1, 2024) << D(5, 1, 2024);
    QTest::newRow("a picker set to the null date itself")
        << "" << "" << nul << D(5, 1, 2024) << "Either both or none of the dates should be entered"
        << 0.0 << 0.0 << nul << D(5, 1, 2024);
    QTest::newRow("price too large changes nothing")
        << "1e400" << "5" << Today << Today
        << "Enter a smaller price: this one is too large to calculate with." << 1.0 << 2.0 << old1 << old2;
    QTest::newRow("both pickers at today mean no dates")
        << "100" << "150" << Today << Today << "" << 100.0 << 150.0 << nul << nul;
    QTest::newRow("yesterday and today are two dates")
        << "" << "" << D(5, 31, 2024) << Today << "" << 0.0 << 0.0 << D(5, 31, 2024) << Today;
    QTest::newRow("today and tomorrow are two dates")
        << "" << "" << Today << D(6, 2, 2024) << "" << 0.0 << 0.0 << Today << D(6, 2, 2024);
    QTest::newRow("reading stops at the second point")
        << "12.5.3" << "20" << Today << Today << "" << 12.5 << 20.0 << nul << nul;
}

void TestFibonacciCore::validate()
{
    QFETCH(QString, price1);
    QFETCH(QString, price2);
    QFETCH(QDate, picker1);
    QFETCH(QDate, picker2);
    QFETCH(QString, message);
    QFETCH(double, p1);
    QFETCH(double, p2);
    QFETCH(QDate, d1);
    QFETCH(QDate, d2);

    FibonacciState s = Inputs(1, 2, D(1, 1, 2000), D(2, 1, 2000));
    s.ProjectName = QStringLiteral("Old");
    s.Notes = QStringLiteral("old notes");
    const FibonacciInputs in{price1, price2, picker1, picker2, QStringLiteral("  My  plan "),
                             QStringLiteral(" line 1\r\nline 2\t ")};
    const std::optional<QString> result = ValidateInputs(in, Today, s);

    QCOMPARE(result.value_or(QString()), message);
    QCOMPARE(s.Price1, p1);
    QCOMPARE(s.Price2, p2);
    QCOMPARE(s.Date1, d1);
    QCOMPARE(s.Date2, d2);
    // Name and notes only move on success; trimming removes blanks, not tabs.
    QCOMPARE(s.ProjectName, result ? QStringLiteral("Old") : QStringLiteral("My  plan"));
    QCOMPARE(s.Notes, result ? QStringLiteral("old notes") : QStringLiteral("line 1\r\nline 2\t"));
}

void TestFibonacciCore::priceProjection_data()
{
    QTest::addColumn<double>("p1");
    QTest::addColumn<double>("p2");
    QTest::addColumn<double>("r3");
    QTest::addColumn<QList<double>>("potential");
    QTest::addColumn<double>("min");
    QTest::addColumn<double>("max");
    QTest::addColumn<double>("step");
    QTest::addColumn<int>("steps");

    QTest::newRow("rising 100 to 150") << 100.0 << 150.0 << 0.618 << QList<double>{130.9, 125, 119.1}
                                       << 90.0 << 160.0 << 10.0 << 7;
    QTest::newRow("falling 150 to 100") << 150.0 << 100.0 << 0.618 << QList<double>{119.1, 125, 130.9}
                                        << 90.0 << 160.0 << 10.0 << 7;
    QTest::newRow("range under three units doubles the step")
        << 100.0 << 125.0 << 0.618 << QList<double>{115.45, 112.5, 109.55} << 99.0 << 126.0 << 2.0 << 14;
    QTest::newRow("lower bound below zero is cut to zero")
        << 0.5 << 4.0 << 0.618 << QList<double>{2.663, 2.25, 1.837} << 0.0 << 5.0 << 1.0 << 5;
    QTest::newRow("negative potential price is clamped")
        << 10.0 << 20.0 << 2.5 << QList<double>{16.18, 15, 0} << 0.0 << 21.0 << 2.0 << 10;
}

void TestFibonacciCore::priceProjection()
{
    QFETCH(double, p1);
    QFETCH(double, p2);
    QFETCH(double, r3);
    QFETCH(QList<double>, potential);
    QFETCH(double, min);
    QFETCH(double, max);
    QFETCH(double, step);
    QFETCH(int, steps);

    FibonacciState s = Inputs(p1, p2, QDate(), QDate());
    Calculate(s, FibRatios{0.382, 0.5, r3});
    for (int i = 1; i <= 3; ++i) QVERIFY2(qFuzzyCompare(1 + s.PotentialPrice[i], 1 + potential[i - 1]),
                                          qPrintable(QString::number(s.PotentialPrice[i])));
    QCOMPARE(s.ChartMinPrice, min);
    QCOMPARE(s.ChartMaxPrice, max);
    QCOMPARE(s.PriceStep, step);
    QCOMPARE(int(s.PriceSteps), steps);
    QCOMPARE(int(s.DateLevelCount), 0);   // no dates: no date levels
}

void TestFibonacciCore::timeProjection_data()
{
    QTest::addColumn<QDate>("d1");
    QTest::addColumn<QDate>("d2");
    QTest::addColumn<QList<QDate>>("potential");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QDate>("start");
    QTest::addColumn<QDate>("end");
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("steps");

    QTest::newRow("months: Int rounds 37.08 days down")
        << D(1, 1, 2004) << D(3, 1, 2004) << QList<QDate>{D(3, 23, 2004), D(3, 31, 2004), D(4, 7, 2004)}
        << "M" << D(12, 1, 2003) << D(5, 1, 2004) << 1 << 5;
    QTest::newRow("days")
        << D(1, 1, 2004) << D(1, 21, 2004) << QList<QDate>{D(1, 28, 2004), D(1, 31, 2004), D(2, 2, 2004)}
        << "D" << D(12, 29, 2003) << D(2, 7, 2004) << 4 << 10;
    QTest::newRow("short span starts the day before and pushes the end past the last level")
        << D(1, 10, 2024) << D(1, 13, 2024) << QList<QDate>{D(1, 14, 2024), D(1, 14, 2024), D(1, 14, 2024)}
        << "D" << D(1, 9, 2024) << D(1, 15, 2024) << 1 << 6;
    QTest::newRow("one day apart")
        << D(5, 31, 2024) << D(6, 1, 2024) << QList<QDate>{D(6, 1, 2024), D(6, 1, 2024), D(6, 1, 2024)}
        << "D" << D(5, 30, 2024) << D(6, 2, 2024) << 1 << 3;
    QTest::newRow("long span: several months a tick, start in the previous year")
        << D(1, 15, 2000) << D(1, 15, 2004) << QList<QDate>{D(7, 26, 2005), D(1, 14, 2006), D(7, 5, 2006)}
        << "M" << D(12, 1, 1999) << D(4, 1, 2007) << 8 << 11;
}

void TestFibonacciCore::timeProjection()
{
    QFETCH(QDate, d1);
    QFETCH(QDate, d2);
    QFETCH(QList<QDate>, potential);
    QFETCH(QString, mode);
    QFETCH(QDate, start);
    QFETCH(QDate, end);
    QFETCH(int, step);
    QFETCH(int, steps);

    FibonacciState s = Inputs(0, 0, d1, d2);
    Calculate(s, Classic);
    QCOMPARE(int(s.DateLevelCount), 3);
    for (int i = 1; i <= 3; ++i) QCOMPARE(s.PotentialDate[i], potential[i - 1]);
    QCOMPARE(s.DateAxisMode, mode);
    QCOMPARE(s.ChartStartDate, start);
    QCOMPARE(s.ChartEndDate, end);
    QCOMPARE(int(mode == "M" ? s.MonthStep : s.DayStep), step);
    QCOMPARE(int(mode == "M" ? s.MonthSteps : s.DaySteps), steps);
}

void TestFibonacciCore::missingHalfKeepsEarlierResults()
{
    FibonacciState s = Inputs(100, 150, D(1, 1, 2004), D(3, 1, 2004));
    Calculate(s, Classic);

    // Prices only now: the date results and time scale stay as they were.
    s.Price1 = 10;
    s.Price2 = 20;
    s.Date1 = NullDate();
    s.Date2 = NullDate();
    Calculate(s, Classic);
    QCOMPARE(s.PotentialDate[3], D(4, 7, 2004));
    QCOMPARE(s.ChartStartDate, D(12, 1, 2003));
    QCOMPARE(int(s.DateLevelCount), 3);
    QCOMPARE(s.ChartMaxPrice, 21.0);

    // Dates only: the price results stay.
    FibonacciState t = Inputs(100, 150, D(1, 1, 2004), D(3, 1, 2004));
    Calculate(t, Classic);
    t.Price1 = 0;
    t.Price2 = 0;
    t.Date2 = D(1, 21, 2004);
    Calculate(t, Classic);
    QCOMPARE(t.PotentialPrice[1], 130.9);
    QCOMPARE(t.ChartMaxPrice, 160.0);
    QCOMPARE(t.DateAxisMode, QStringLiteral("D"));
}

void TestFibonacciCore::calcErrorsLeaveStateUntouched_data()
{
    QTest::addColumn<QDate>("d1");
    QTest::addColumn<QDate>("d2");
    QTest::addColumn<double>("r3");
    QTest::addColumn<QString>("message");
    QTest::newRow("projected date past 12/31/9999")
        << D(1, 1, 9999) << D(12, 1, 9999) << 0.618 << QString::fromLatin1(DateAfterRangeMessage);
    QTest::newRow("month count beyond 16 bits")
        << D(1, 1, 1601) << D(1, 1, 5000) << 0.618
        << "Choose dates closer together: the chart cannot show more than 32767 months or days.";
    QTest::newRow("chart end past 12/31/9999")
        << D(1, 1, 9999) << D(8, 1, 9999) << 0.618 << QString::fromLatin1(DateAfterRangeMessage);
    QTest::newRow("odd ratio gives a zero day step")
        << D(1, 1, 2024) << D(1, 31, 2024) << -1.2
        << "Check the Fibonacci ratios: with these ratios the time axis cannot be laid out.";
}

void TestFibonacciCore::calcErrorsLeaveStateUntouched()
{
    QFETCH(QDate, d1);
    QFETCH(QDate, d2);
    QFETCH(double, r3);
    QFETCH(QString, message);

    FibonacciState s = Inputs(100, 150, D(1, 1, 2004), D(3, 1, 2004));
    Calculate(s, Classic);
    // New inputs whose prices alone would calculate fine: the price half must not be
    // committed either.
    s.Price1 = 10;
    s.Price2 = 20;
    s.Date1 = d1;
    s.Date2 = d2;
    const QStringList before = Dump(s);
    try {
        Calculate(s, FibRatios{0.382, 0.5, r3});
        QFAIL("no error reported");
    } catch (const CalcError& e) {
        QCOMPARE(e.text, message);
    }
    QCOMPARE(Dump(s), before);
}

void TestFibonacciCore::listing_data()
{
    QTest::addColumn<double>("r1");
    QTest::addColumn<double>("p1");
    QTest::addColumn<double>("potential1");
    QTest::addColumn<QDate>("d1");
    QTest::addColumn<QDate>("level1");
    QTest::addColumn<QString>("prices");
    QTest::addColumn<QString>("dates");

    const QString ph = "Fib Ratio   Price\r\n---------   -----\r\n";
    const QString dh = "Fib Ratio   Date\r\n---------   ----\r\n";
    QTest::newRow("worked example")
        << 0.382 << 100.0 << 130.9 << D(1, 1, 2004) << D(3, 23, 2004)
        << ph + "0.382       130.90\r\n0.5         125.00\r\n0.618       119.10"
        << dh + "0.382       03/23/2004\r\n0.5         03/31/2004\r\n0.618       04/07/2004";
    QTest::newRow("no prices, no dates") << 0.382 << 0.0 << 130.9 << NullDate() << D(3, 23, 2004)
                                         << "" << "";
    QTest::newRow("clamped price, leading zeros in the date")
        << 0.382 << 100.0 << 0.0 << D(1, 1, 2010) << D(5, 7, 2010)
        << ph + "0.382       0.00\r\n0.5         125.00\r\n0.618       119.10"
        << dh + "0.382       05/07/2010\r\n0.5         03/31/2004\r\n0.618       04/07/2004";
    QTest::newRow("long ratio cut to its column, price without separators")
        << 0.12345678901 << 100.0 << 1234567.891 << NullDate() << D(3, 23, 2004)
        << ph + "0.12345678901234567.89\r\n0.5         125.00\r\n0.618       119.10" << "";
    QTest::newRow("ratio of 1") << 1.0 << 100.0 << 100.615 << NullDate() << D(3, 23, 2004)
        << ph + "1           100.62\r\n0.5         125.00\r\n0.618       119.10" << "";
}

void TestFibonacciCore::listing()
{
    QFETCH(double, r1);
    QFETCH(double, p1);
    QFETCH(double, potential1);
    QFETCH(QDate, d1);
    QFETCH(QDate, level1);
    QFETCH(QString, prices);
    QFETCH(QString, dates);

    FibonacciState s = Inputs(100, 150, D(1, 1, 2004), D(3, 1, 2004));
    Calculate(s, Classic);
    s.Price1 = p1;
    s.PotentialPrice[1] = potential1;
    s.Date1 = d1;
    s.PotentialDate[1] = level1;
    QCOMPARE(PriceListing(s, FibRatios{r1, 0.5, 0.618}), prices);
    QCOMPARE(DateListing(s, FibRatios{r1, 0.5, 0.618}), dates);
}

void TestFibonacciCore::chartPixels()
{
    // Prices with dates, and prices alone (points spread at 10 % and 70 % of the axis).
    for (bool withDates : {true, false}) {
        FibonacciState s = withDates ? Inputs(100, 150, D(1, 1, 2004), D(3, 1, 2004))
                                     : Inputs(100, 150, QDate(), QDate());
        Calculate(s, Classic);
        PictureSurface pb(15);
        pb.setSizeTwips(8500, 8500);
        const FibChartGeometry g = DrawChart(pb, s, Layout::Large);
        QCOMPARE(g.TimeAxisRight, 7500);
        QCOMPARE(g.PriceAxisBottom, 7500);

        const QImage& img = pb.picture();   // kept as the persistent picture
        QVERIFY(!img.isNull());
        auto at = [&](int xTwips, int yTwips) { return img.pixelColor(pb.toPixels(xTwips), pb.toPixels(yTwips)); };

        // 119.1 lies at y = (119.1-90)/70 * -6500 + 7500 = 4797.9 -> 4798.
        QCOMPARE(PriceToY(s, g, 119.1), 4798);
        QCOMPARE(at(g.TimeAxisRight - 150, 4798), QColor(0, 0, 255));
        // The first input point (Price1 100) is a black dot.
        const int x1 = withDates ? DateToX(s, g, s.Date1) : 1250 + 625;
        QCOMPARE(at(x1, PriceToY(s, g, 100)), QColor(Qt::black));
        // Plain background between the lines.
        QCOMPARE(at(g.TimeAxisRight - 150, PriceToY(s, g, 150) - 150), QColor(Qt::white));
        if (withDates) {
            // 4/7/2004 is 128 of 152 days along: x = 128/152 * 6250 + 1250 = 6513.2 -> 6513.
            QCOMPARE(DateToX(s, g, s.PotentialDate[3]), 6513);
            QCOMPARE(at(6513, 1500), QColor(0, 0, 255));
        }
        // The surface is left in black tick-label type for text written after it.
        QCOMPARE(pb.foreColor(), QColor(Qt::black));
        QCOMPARE(pb.font().pointSizeF(), 10.0);
    }
}

void TestFibonacciCore::emptyChartHasAxesOnly()
{
    PictureSurface pb(15);
    pb.setSizeTwips(8500, 8500);
    DrawChart(pb, FibonacciState(), Layout::Compact);
    const QImage& img = pb.picture();
    // Axes meet at (1250, 7500); nothing blue in the plotting area.
    QCOMPARE(img.pixelColor(pb.toPixels(4000), pb.toPixels(7500)), QColor(Qt::black));
    QCOMPARE(img.pixelColor(pb.toPixels(1250), pb.toPixels(4000)), QColor(Qt::black));
    for (int x = pb.toPixels(1300); x < pb.toPixels(7500); x += 3)
        for (int y = pb.toPixels(1000); y < pb.toPixels(7450); y += 3)
            QVERIFY(img.pixelColor(x, y) == QColor(Qt::white));
    QCOMPARE(pb.font().pointSizeF(), 6.0);
}

void TestFibonacciCore::fileLines()
{
    FibonacciState s = Inputs(100, 150, D(1, 1, 2004), D(3, 1, 2004));
    s.ProjectName = "Test";
    s.Notes = "first line\r\n\r\nthird line";
    QCOMPARE(FibProjectLines(s), (QStringList{"NM=Test", "P1=100", "P2=150", "D1=1/1/2004", "D2=3/1/2004",
                                              "NT=first line", "", "third line"}));
    FibonacciState none = Inputs(0.5, 4, QDate(), QDate());
    QCOMPARE(FibProjectLines(none).mid(1, 4),
             (QStringList{"P1=0.5", "P2=4", "D1=1/1/1900", "D2=1/1/1900"}));
}

void TestFibonacciCore::readFile_data()
{
    // Fields start as: name "Before", 1 / 2, 1/1/2000 / 2/1/2000, notes "old".
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QStringList>("fields");   // name, price1, price2, date1, date2, notes

    QTest::newRow("hand-written keys in lower case with blanks")
        << QStringList{" nm = Test", "p1 =100", "P2= 150.5 ", "d1=1/1/04", "D2 = 3/1/2004", "nt=a", "b"}
        << true << QStringList{"Test", "100", "150.5", "2004-01-01", "2004-03-01", "a\r\nb"};
    QTest::newRow("notes with an empty line and blanks kept")
        << QStringList{"NT=first", "", "  third  "}
        << true << QStringList{"Before", "1", "2", "2000-01-01", "2000-02-01", "first\r\n\r\n  third  "};
    QTest::newRow("a notes line with = is a key and ends the notes")
        << QStringList{"NT=a", "p1=5", "lost"}
        << true << QStringList{"Before", "5", "2", "2000-01-01", "2000-02-01", "a"};
    QTest::newRow("second = cuts the name; no NT keeps the notes")
        << QStringList{"NM=A=B", "stray line"}
        << true << QStringList{"A", "1", "2", "2000-01-01", "2000-02-01", "old"};
    QTest::newRow("unknown key swallows the lines after it")
        << QStringList{"NT=n", "XX=1", "more"}
        << true << QStringList{"Before", "1", "2", "2000-01-01", "2000-02-01", "n"};
    QTest::newRow("later key wins")
        << QStringList{"P1=5", "P1=6"}
        << true << QStringList{"Before", "6", "2", "2000-01-01", "2000-02-01", "old"};
    QTest::newRow("bad number fails; fields read before it stay")
        << QStringList{"NM=Kept", "P1=12abc", "P2=5"}
        << false << QStringList{"Kept", "1", "2", "2000-01-01", "2000-02-01", "old"};
    QTest::newRow("day that does not exist fails")
        << QStringList{"D1=2/30/2024"}
        << false << QStringList{"Before", "1", "2", "2000-01-01", "2000-02-01", "old"};
}

void TestFibonacciCore::readFile()
{
    QFETCH(QStringList, lines);
    QFETCH(bool, ok);
    QFETCH(QStringList, fields);

    FibonacciState s = Inputs(1, 2, D(1, 1, 2000), D(2, 1, 2000));
    s.ProjectName = "Before";
    s.Notes = "old";
    QCOMPARE(ApplyFibProjectLines(lines, s), ok);
    QCOMPARE((QStringList{s.ProjectName, QString::number(s.Price1), QString::number(s.Price2),
                          s.Date1.toString(Qt::ISODate), s.Date2.toString(Qt::ISODate), s.Notes}),
             fields);
}

void TestFibonacciCore::saveAndOpenRoundTrip()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("plan.fib");
    FibonacciState s = Inputs(1234567.891, 0.00001, D(12, 31, 1999), D(2, 29, 2000));
    s.ProjectName = "Café plan";
    s.Notes = "one\r\n\r\nthree = four?";
    QVERIFY(SaveFibProject(path, s));

    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(f.readAll().startsWith("NM=Caf\xe9 plan\r\nP1=1234567.891\r\nP2=0.00001\r\nD1=12/31/1999\r\n"));

    FibonacciState back;
    QVERIFY(OpenFibProject(path, back));
    // "three = four?" is a key line on the way back: the notes end before it.
    QCOMPARE(back.Notes, QStringLiteral("one\r\n"));
    back.Notes = s.Notes;
    QCOMPARE(Dump(back), Dump(s));

    QVERIFY(!OpenFibProject(dir.filePath("missing.fib"), back));
}

QTEST_MAIN(TestFibonacciCore)
#include "test_fibonacci_core.moc"
