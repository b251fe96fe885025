#include "forms/gann/ganncalc.h"
#include "forms/gann/gannlisting.h"
#include "modules/dates.h"
#include "modules/errors.h"

#include <QtTest>

Q_DECLARE_METATYPE(Layout)

using Numbers = QList<int>;

namespace {

const QDate Today(2024, 6, 1);
const qint32 Half = 4250;   // an 800 x 600 screen

GannState Calculated(Layout layout, const QString& price, const QDate& date = Today)
{
    GannState s = InitialGannState(layout, Today, Half);
    if (CalculateGann(s, price, date, Today, layout) != GannVerdict::Calculated) qFatal("calculation refused");
    return s;
}

Numbers Highs(const GannState& s) { return Numbers(s.PotentialHigh.begin() + 1, s.PotentialHigh.begin() + 9); }
Numbers Lows(const GannState& s) { return Numbers(s.PotentialLow.begin() + 1, s.PotentialLow.begin() + 9); }

}  // namespace

// The projections traders check by hand against a printed Square of Nine, and the
// tables they read them from.
class TestGannCalc : public QObject {
    Q_OBJECT
private slots:
    void fiveByFiveSpiral();
    void priceProjection_data();
    void priceProjection();
    void squareSize_data();
    void squareSize();
    void dateProjection_data();
    void dateProjection();
    void readPrice_data();
    void readPrice();
    void tooLargePriceKeepsResults();
    void dateBeyondCalendarKeepsState();
    void lastProjectableYear();
    void listing_data();
    void listing();
    void listingLine_data();
    void listingLine();
};

void TestGannCalc::fiveByFiveSpiral()
{
    GannState s;
    BuildSpiral(s, 3, 5);
    const QList<Numbers> rows = {{13, 14, 15, 16, 17},
                                 {12, 3, 4, 5, 18},
                                 {11, 2, 1, 6, 19},
                                 {10, 9, 8, 7, 20},
                                 {25, 24, 23, 22, 21}};
    for (int row = 0; row < 5; ++row)
        for (int col = 0; col < 5; ++col) QCOMPARE(int(s.Grid[col][row]), rows[row][col]);
    // The walk ends after the lower-left corner; the guard row and column stay empty.
    for (int i = 0; i <= 5; ++i) QCOMPARE(s.Grid[5][i] + s.Grid[i][5], 0);
}

void TestGannCalc::priceProjection_data()
{
    QTest::addColumn<Layout>("layout");
    QTest::addColumn<QString>("price");
    QTest::addColumn<Numbers>("highs");
    QTest::addColumn<Numbers>("lows");
    const Numbers h700{714, 726, 741, 754, 769, 782, 797, 810};
    const Numbers l700{688, 674, 662, 648, 636, 622, 611, 598};
    const Numbers none(8, 0);
    QTest::newRow("100 large") << Layout::Large << "100" << Numbers{105, 110, 115, 120, 126, 132, 138, 144}
                               << Numbers{95, 90, 85, 80, 77, 72, 69, 64};
    QTest::newRow("625 ends at the last cell") << Layout::Compact << "625"
        << Numbers{638, 651, 664, 677, 690, 703, 716, 729} << Numbers{613, 601, 589, 577, 565, 553, 541, 529};
    QTest::newRow("700 compact middle square") << Layout::Compact << "700" << h700 << l700;
    QTest::newRow("700 large small square") << Layout::Large << "700" << h700 << l700;
    QTest::newRow("1 the centre") << Layout::Compact << "1" << Numbers{2, 3, 4, 5, 6, 7, 8, 9} << none;
    QTest::newRow("2 next to the centre") << Layout::Large << "2" << Numbers{3, 4, 5, 6, 7, 8, 9, 11} << none;
    QTest::newRow("5 runs out of lows")
        << Layout::Compact << "5" << Numbers{6, 7, 8, 9, 11, 13, 15, 17} << Numbers{4, 3, 2, 0, 0, 0, 0, 0};
}

void TestGannCalc::priceProjection()
{
    QFETCH(Layout, layout);
    QFETCH(QString, price);
    QFETCH(Numbers, highs);
    QFETCH(Numbers, lows);
    const GannState s = Calculated(layout, price);
    QCOMPARE(Highs(s), highs);
    QCOMPARE(Lows(s), lows);
    // Exactly the results are marked, for the chart to write them white.
    QList<int> marked(3, 0);
    for (qint16 m : s.CellMark) ++marked[m];
    QCOMPARE(marked[GannHighCell], 8 - int(highs.count(0)));
    QCOMPARE(marked[GannLowCell], 8 - int(lows.count(0)));
    for (int k = 0; k < 8; ++k) QVERIFY(s.CellMark[highs[k]] == GannHighCell || !highs[k]);
    for (int k = 0; k < 8; ++k) QVERIFY(s.CellMark[lows[k]] == GannLowCell || !lows[k]);
    for (int k = 1; k <= GannAngleSlots; ++k) QVERIFY(IsNullDate(s.AngleDate[k]));
}

void TestGannCalc::squareSize_data()
{
    QTest::addColumn<Layout>("layout");
    QTest::addColumn<QString>("price");
    QTest::addColumn<int>("center");
    QTest::addColumn<int>("radius");   // relative to ChartHalf
    QTest::addColumn<QPoint>("ends");  // PotentialHigh(8), PotentialLow(8) where worked out
    QTest::newRow("compact 625") << Layout::Compact << "625" << 14 << -100 << QPoint();
    QTest::newRow("compact 626") << Layout::Compact << "626" << 16 << 900 << QPoint();
    QTest::newRow("compact 841") << Layout::Compact << "841" << 16 << 900 << QPoint();
    QTest::newRow("compact 842") << Layout::Compact << "842" << 17 << -100 << QPoint();
    QTest::newRow("compact 1089: half of 33 rounds to even")
        << Layout::Compact << "1089" << 18 << -100 << QPoint(1225, 961);
    QTest::newRow("large 841") << Layout::Large << "841" << 16 << -100 << QPoint();
    QTest::newRow("large 842") << Layout::Large << "842" << 19 << 1200 << QPoint();
    QTest::newRow("large 1225") << Layout::Large << "1225" << 19 << 1200 << QPoint();
    QTest::newRow("large 1226") << Layout::Large << "1226" << 20 << -100 << QPoint();
    QTest::newRow("9999") << Layout::Compact << "9999" << 52 << -100 << QPoint(10403, 9603);
}

void TestGannCalc::squareSize()
{
    QFETCH(Layout, layout);
    QFETCH(QString, price);
    QFETCH(int, center);
    const GannState s = Calculated(layout, price);
    QCOMPARE(int(s.GridCenter), center);
    QCOMPARE(int(s.GridSize), 2 * center - 1);
    QTEST(s.ChartRadius - Half, "radius");
    // A full turn past the price fits in the square.
    QVERIFY(s.PotentialHigh[8] > 0 && s.PotentialHigh[8] <= s.GridSize * s.GridSize);
    QFETCH(QPoint, ends);
    if (!ends.isNull()) QCOMPARE(QPoint(s.PotentialHigh[8], s.PotentialLow[8]), ends);
}

void TestGannCalc::dateProjection_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("dates");
    QTest::newRow("on a seasonal date") << QDate(2024, 6, 21)
        << "08/07/2024 09/23/2024 11/06/2024 12/21/2024 02/04/2025 03/21/2025 05/06/2025 06/21/2025";
    QTest::newRow("the day before a seasonal date") << QDate(2023, 12, 20)
        << "02/03/2024 03/19/2024 05/04/2024 06/19/2024 08/05/2024 09/21/2024 11/05/2024 12/20/2024";
}

void TestGannCalc::dateProjection()
{
    QFETCH(QDate, date);
    const GannState s = Calculated(Layout::Compact, QString(), date);
    QStringList dates;
    for (int k = 1; k <= 8; ++k) dates << s.AngleDate[k].toString("MM/dd/yyyy");
    QTEST(dates.join(' '), "dates");
    QCOMPARE(s.GannDate, date);
    QCOMPARE(Highs(s), Numbers(8, 0));
}

void TestGannCalc::readPrice_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("price");
    QTest::addColumn<bool>("tooLarge");
    QTest::newRow("half to even down") << "2.5" << 2 << false;
    QTest::newRow("half to even up") << "3.5" << 4 << false;
    QTest::newRow("rounds to nothing") << "0.4" << 0 << false;
    QTest::newRow("negative is no price") << "-50" << 0 << false;
    QTest::newRow("huge negative is no price") << "-1e400" << 0 << false;
    QTest::newRow("just below the limit") << "9999.4" << 9999 << false;
    QTest::newRow("rounds over the limit") << "9999.5" << 10000 << true;
    QTest::newRow("five digits") << "12345" << 12345 << true;
    QTest::newRow("beyond 16 bits") << "40000" << 0 << true;
    QTest::newRow("beyond a double") << "1e400" << 0 << true;
}

void TestGannCalc::readPrice()
{
    QFETCH(QString, text);
    const GannPriceReading r = ReadGannPrice(text);
    QTEST(int(r.price), "price");
    QTEST(r.tooLarge, "tooLarge");
}

void TestGannCalc::tooLargePriceKeepsResults()
{
    GannState s = Calculated(Layout::Large, "100", QDate(2024, 1, 15));
    const GannState before = s;
    QCOMPARE(CalculateGann(s, "12000", QDate(2024, 6, 21), Today, Layout::Large), GannVerdict::PriceTooLarge);
    // The rejected inputs are remembered; nothing that was computed changes.
    QCOMPARE(int(s.GannPrice), 12000);
    QCOMPARE(s.GannDate, QDate(2024, 6, 21));
    QCOMPARE(Highs(s), Highs(before));
    QVERIFY(s.AngleDate == before.AngleDate);
    QVERIFY(s.CellMark == before.CellMark);
}

void TestGannCalc::dateBeyondCalendarKeepsState()
{
    GannState s = Calculated(Layout::Compact, "700", QDate(2024, 1, 15));
    const GannState before = s;
    QVERIFY_THROWS_EXCEPTION(CalcError, CalculateGann(s, "100", QDate(9999, 1, 15), Today, Layout::Compact));
    QCOMPARE(s.GannPrice, before.GannPrice);
    QCOMPARE(s.GannDate, before.GannDate);
    QCOMPARE(s.GridCenter, before.GridCenter);
    QVERIFY(s.Grid == before.Grid);
    QVERIFY(s.CellMark == before.CellMark);
    QVERIFY(s.AngleDate == before.AngleDate);
}

void TestGannCalc::lastProjectableYear()
{
    const GannState s = Calculated(Layout::Compact, QString(), QDate(9998, 12, 31));
    QCOMPARE(s.AngleDate[8].year(), 9999);
}

// The tables are read by eye in a fixed-width font: a blank too many or too few
// breaks the columns, so they are compared byte for byte.
void TestGannCalc::listing_data()
{
    QTest::addColumn<QString>("price");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("prices");
    QTest::addColumn<QString>("dates");
    const QString ph = "Angle  High   Low\r\n-----  ----   ---\r\n", dh = "Angle  Date\r\n-----  ----\r\n";
    QTest::newRow("price 100, picker at today")
        << "100" << Today
        << ph + "45     105    95\r\n90     110    90\r\n135    115    85\r\n180    120    80\r\n"
                "225    126    77\r\n270    132    72\r\n315    138    69\r\n360    144    64\r\n"
        << dh;
    QTest::newRow("date only") << "" << QDate(2024, 1, 15) << ph
        << dh + "45     02/29/2024\r\n90     04/15/2024\r\n135    05/31/2024\r\n180    07/16/2024\r\n"
                "225    09/01/2024\r\n270    10/17/2024\r\n315    11/30/2024\r\n360    01/14/2025\r\n";
    QTest::newRow("price text 0 and today: headers only") << "0" << Today << ph << dh;
}

void TestGannCalc::listing()
{
    QFETCH(QString, price);
    QFETCH(QDate, date);
    const GannState s = Calculated(Layout::Compact, price, date);
    QTEST(GannPriceListing(s), "prices");
    QTEST(GannDateListing(s, Today), "dates");
}

void TestGannCalc::listingLine_data()
{
    QTest::addColumn<QString>("price");
    QTest::addColumn<int>("line");   // 1-based, headers included
    QTest::addColumn<QString>("text");
    QTest::newRow("price 5, 135 degrees still has a low") << "5" << 5 << "135    8      2";
    QTest::newRow("price 5, 180 degrees: high column kept whole") << "5" << 6 << "180    9      ";
    QTest::newRow("price 1 has no lows") << "1" << 3 << "45     2      ";
    QTest::newRow("five-digit high eats the blanks") << "9999" << 3 << "45     10050  9950";
}

void TestGannCalc::listingLine()
{
    QFETCH(QString, price);
    QFETCH(int, line);
    const QStringList lines = GannPriceListing(Calculated(Layout::Compact, price)).split("\r\n");
    QCOMPARE(lines.size(), 11);   // 10 lines and the empty rest after the last CR LF
    QTEST(lines.at(line - 1), "text");
}

QTEST_APPLESS_MAIN(TestGannCalc)
#include "test_ganncalc.moc"
