#include "forms/gann/ganncalc.h"
#include "modules/dates.h"
#include "modules/errors.h"

#include <QtTest>

Q_DECLARE_METATYPE(Layout)

using Numbers = QList<int>;

namespace {

const QDate Today(2024, 6, 1);
const qint32 Half = 4250;   // an 800 x 600 screen

GannState Loaded(Layout layout) { return InitialGannState(layout, Today, Half); }

Numbers Highs(const GannState& s)
{
    Numbers out;
    for (int k = 1; k <= s.AngleCount; ++k) out << s.PotentialHigh[k];
    return out;
}
Numbers Lows(const GannState& s)
{
    Numbers out;
    for (int k = 1; k <= s.AngleCount; ++k) out << s.PotentialLow[k];
    return out;
}
QStringList Dates(const GannState& s)
{
    QStringList out;
    for (int k = 1; k <= s.AngleCount; ++k) out << s.AngleDate[k].toString("MM/dd/yyyy");
    return out;
}

}  // namespace

// The projections traders check by hand against a printed Square of Nine.
class TestGannCalc : public QObject {
    Q_OBJECT
private slots:
    void fiveByFiveSpiral();
    void everyNumberSitsInItsCell();
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
        for (int col = 0; col < 5; ++col)
            QCOMPARE(int(s.Grid[col][row]), rows[row][col]);
    // The walk ends after the lower-left corner; the guard row and column stay empty.
    for (int i = 0; i <= 5; ++i) {
        QCOMPARE(int(s.Grid[5][i]), 0);
        QCOMPARE(int(s.Grid[i][5]), 0);
    }
}

void TestGannCalc::everyNumberSitsInItsCell()
{
    GannState s;
    BuildSpiral(s, 52, 103);   // the largest square, price 9999
    for (int n = 1; n <= 103 * 103; ++n)
        QCOMPARE(int(s.Grid[s.CellX[n]][s.CellY[n]]), n);
    // Odd squares close their ring in the lower-left corner, on the diagonal.
    for (int r = 1; r <= 51; ++r) {
        const int n = (2 * r + 1) * (2 * r + 1);
        QCOMPARE(s.CellX[n] - 51, -r);
        QCOMPARE(s.CellY[n] - 51, r);
    }
}

void TestGannCalc::priceProjection_data()
{
    QTest::addColumn<Layout>("layout");
    QTest::addColumn<QString>("price");
    QTest::addColumn<Numbers>("highs");
    QTest::addColumn<Numbers>("lows");
    const Numbers h100{105, 110, 115, 120, 126, 132, 138, 144};
    const Numbers l100{95, 90, 85, 80, 77, 72, 69, 64};
    const Numbers h700{714, 726, 741, 754, 769, 782, 797, 810};
    const Numbers l700{688, 674, 662, 648, 636, 622, 611, 598};
    const Numbers none{0, 0, 0, 0, 0, 0, 0, 0};
    QTest::newRow("100 compact") << Layout::Compact << "100" << h100 << l100;
    QTest::newRow("100 large") << Layout::Large << "100" << h100 << l100;
    QTest::newRow("625 ends at the last cell")
        << Layout::Compact << "625" << Numbers{638, 651, 664, 677, 690, 703, 716, 729}
        << Numbers{613, 601, 589, 577, 565, 553, 541, 529};
    QTest::newRow("700 compact middle square") << Layout::Compact << "700" << h700 << l700;
    QTest::newRow("700 large small square") << Layout::Large << "700" << h700 << l700;
    QTest::newRow("1 the centre") << Layout::Compact << "1" << Numbers{2, 3, 4, 5, 6, 7, 8, 9} << none;
    QTest::newRow("2 next to the centre")
        << Layout::Large << "2" << Numbers{3, 4, 5, 6, 7, 8, 9, 11} << none;
    QTest::newRow("5 runs out of lows")
        << Layout::Compact << "5" << Numbers{6, 7, 8, 9, 11, 13, 15, 17} << Numbers{4, 3, 2, 0, 0, 0, 0, 0};
    QTest::newRow("typed 2.5 rounds to even 2")
        << Layout::Compact << "2.5" << Numbers{3, 4, 5, 6, 7, 8, 9, 11} << none;
    QTest::newRow("no price") << Layout::Compact << "0" << none << none;
}

void TestGannCalc::priceProjection()
{
    QFETCH(Layout, layout);
    QFETCH(QString, price);
    QFETCH(Numbers, highs);
    QFETCH(Numbers, lows);
    GannState s = Loaded(layout);
    QCOMPARE(CalculateGann(s, price, Today, Today, layout), GannVerdict::Calculated);
    QCOMPARE(Highs(s), highs);
    QCOMPARE(Lows(s), lows);
    for (int k = 1; k <= 8; ++k) {
        if (highs[k - 1]) QCOMPARE(int(s.CellMark[highs[k - 1]]), int(GannHighCell));
        if (lows[k - 1]) QCOMPARE(int(s.CellMark[lows[k - 1]]), int(GannLowCell));
    }
    int marked = 0;
    for (qint16 m : s.CellMark) marked += (m != GannPlainCell);
    QCOMPARE(marked, int(16 - highs.count(0) - lows.count(0)));
    for (int k = 1; k <= GannAngleSlots; ++k)
        QVERIFY(IsNullDate(s.AngleDate[k]));
}

void TestGannCalc::squareSize_data()
{
    QTest::addColumn<Layout>("layout");
    QTest::addColumn<QString>("price");
    QTest::addColumn<int>("center");
    QTest::addColumn<int>("radius");   // relative to ChartHalf
    QTest::addColumn<int>("high8");
    QTest::addColumn<int>("low8");
    QTest::newRow("compact 626") << Layout::Compact << "626" << 16 << 900 << -1 << -1;
    QTest::newRow("compact 841") << Layout::Compact << "841" << 16 << 900 << -1 << -1;
    QTest::newRow("compact 842") << Layout::Compact << "842" << 17 << -100 << -1 << -1;
    QTest::newRow("compact 1089") << Layout::Compact << "1089" << 18 << -100 << 1225 << 961;
    QTest::newRow("large 841") << Layout::Large << "841" << 16 << -100 << -1 << -1;
    QTest::newRow("large 842") << Layout::Large << "842" << 19 << 1200 << -1 << -1;
    QTest::newRow("large 1225") << Layout::Large << "1225" << 19 << 1200 << -1 << -1;
    QTest::newRow("large 1226") << Layout::Large << "1226" << 20 << -100 << -1 << -1;
    QTest::newRow("9999") << Layout::Compact << "9999" << 52 << -100 << 10403 << 9603;
    QTest::newRow("9999 large") << Layout::Large << "9999" << 52 << -100 << 10403 << 9603;
    QTest::newRow("no price large") << Layout::Large << " " << 16 << -100 << 0 << 0;
}

void TestGannCalc::squareSize()
{
    QFETCH(Layout, layout);
    QFETCH(QString, price);
    QFETCH(int, center);
    QFETCH(int, radius);
    QFETCH(int, high8);
    QFETCH(int, low8);
    GannState s = Loaded(layout);
    QCOMPARE(CalculateGann(s, price, Today, Today, layout), GannVerdict::Calculated);
    QCOMPARE(int(s.GridCenter), center);
    QCOMPARE(int(s.GridSize), 2 * center - 1);
    QCOMPARE(int(s.ChartRadius), Half + radius);
    if (high8 >= 0) {
        QCOMPARE(int(s.PotentialHigh[8]), high8);
        QCOMPARE(int(s.PotentialLow[8]), low8);
    }
    // Every high lies inside the square.
    QVERIFY(s.PotentialHigh[8] <= s.GridSize * s.GridSize);
}

void TestGannCalc::dateProjection_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QStringList>("dates");
    QTest::newRow("inside a winter season") << QDate(2024, 1, 15)
        << QStringList{"02/29/2024", "04/15/2024", "05/31/2024", "07/16/2024",
                       "09/01/2024", "10/17/2024", "11/30/2024", "01/14/2025"};
    QTest::newRow("on a seasonal date") << QDate(2024, 6, 21)
        << QStringList{"08/07/2024", "09/23/2024", "11/06/2024", "12/21/2024",
                       "02/04/2025", "03/21/2025", "05/06/2025", "06/21/2025"};
    QTest::newRow("the day before a seasonal date") << QDate(2023, 12, 20)
        << QStringList{"02/03/2024", "03/19/2024", "05/04/2024", "06/19/2024",
                       "08/05/2024", "09/21/2024", "11/05/2024", "12/20/2024"};
}

void TestGannCalc::dateProjection()
{
    QFETCH(QDate, date);
    QFETCH(QStringList, dates);
    for (Layout layout : {Layout::Compact, Layout::Large}) {
        GannState s = Loaded(layout);
        QCOMPARE(CalculateGann(s, QString(), date, Today, layout), GannVerdict::Calculated);
        QCOMPARE(Dates(s), dates);
        QCOMPARE(int(s.GannPrice), 0);
        QCOMPARE(Highs(s), Numbers(8, 0));
        QCOMPARE(s.GannDate, date);
    }
}

void TestGannCalc::readPrice_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("price");
    QTest::addColumn<bool>("tooLarge");
    QTest::newRow("empty") << "" << 0 << false;
    QTest::newRow("digits") << "100" << 100 << false;
    QTest::newRow("half to even down") << "2.5" << 2 << false;
    QTest::newRow("half to even up") << "3.5" << 4 << false;
    QTest::newRow("blanks inside") << " 1 2" << 12 << false;
    QTest::newRow("stops at a letter") << "12abc" << 12 << false;
    QTest::newRow("letters only") << "abc" << 0 << false;
    QTest::newRow("rounds to nothing") << "0.4" << 0 << false;
    QTest::newRow("negative is no price") << "-50" << 0 << false;
    QTest::newRow("huge negative is no price") << "-1e400" << 0 << false;
    QTest::newRow("largest") << "9999" << 9999 << false;
    QTest::newRow("just below the limit") << "9999.4" << 9999 << false;
    QTest::newRow("rounds over the limit") << "9999.5" << 10000 << true;
    QTest::newRow("five digits") << "12345" << 12345 << true;
    QTest::newRow("beyond 16 bits") << "40000" << 0 << true;
    QTest::newRow("beyond a double") << "1e400" << 0 << true;
}

void TestGannCalc::readPrice()
{
    QFETCH(QString, text);
    QFETCH(int, price);
    QFETCH(bool, tooLarge);
    const GannPriceReading r = ReadGannPrice(text);
    QCOMPARE(int(r.price), price);
    QCOMPARE(r.tooLarge, tooLarge);
}

void TestGannCalc::tooLargePriceKeepsResults()
{
    GannState s = Loaded(Layout::Large);
    CalculateGann(s, "100", QDate(2024, 1, 15), Today, Layout::Large);
    const GannState before = s;
    QCOMPARE(CalculateGann(s, "12000", QDate(2024, 6, 21), Today, Layout::Large), GannVerdict::PriceTooLarge);
    // The rejected inputs are remembered; nothing that was computed changes.
    QCOMPARE(int(s.GannPrice), 12000);
    QCOMPARE(s.GannDate, QDate(2024, 6, 21));
    QCOMPARE(Highs(s), Highs(before));
    QCOMPARE(Dates(s), Dates(before));
    QVERIFY(s.CellMark == before.CellMark);
}

void TestGannCalc::dateBeyondCalendarKeepsState()
{
    GannState s = Loaded(Layout::Compact);
    CalculateGann(s, "700", QDate(2024, 1, 15), Today, Layout::Compact);
    const GannState before = s;
    QVERIFY_THROWS_EXCEPTION(CalcError, CalculateGann(s, "100", QDate(9999, 1, 15), Today, Layout::Compact));
    QCOMPARE(s.GannPrice, before.GannPrice);
    QCOMPARE(s.GannDate, before.GannDate);
    QCOMPARE(s.GridCenter, before.GridCenter);
    QVERIFY(s.Grid == before.Grid);
    QVERIFY(s.CellMark == before.CellMark);
    QCOMPARE(Dates(s), Dates(before));
}

void TestGannCalc::lastProjectableYear()
{
    GannState s = Loaded(Layout::Compact);
    QCOMPARE(CalculateGann(s, QString(), QDate(9998, 12, 31), Today, Layout::Compact),
             GannVerdict::Calculated);
    QCOMPARE(s.AngleDate[8].year(), 9999);
}

QTEST_APPLESS_MAIN(TestGannCalc)
#include "test_ganncalc.moc"
