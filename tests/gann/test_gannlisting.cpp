#include "forms/gann/ganncalc.h"
#include "forms/gann/gannlisting.h"

#include <QtTest>

Q_DECLARE_METATYPE(Layout)

namespace {
const QDate Today(2024, 6, 1);
const QString Prices = "Angle  High   Low\r\n-----  ----   ---\r\n";
const QString DatesHead = "Angle  Date\r\n-----  ----\r\n";
}  // namespace

// The tables are read by eye in a fixed-width font: a blank too many or too few
// breaks the columns, so they are compared byte for byte.
class TestGannListing : public QObject {
    Q_OBJECT
private slots:
    void listing_data();
    void listing();
    void lineOf_data();
    void lineOf();
};

void TestGannListing::listing_data()
{
    QTest::addColumn<QString>("price");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("prices");
    QTest::addColumn<QString>("dates");
    QTest::newRow("price 100, picker at today")
        << "100" << Today
        << Prices + "45     105    95\r\n90     110    90\r\n135    115    85\r\n180    120    80\r\n"
                    "225    126    77\r\n270    132    72\r\n315    138    69\r\n360    144    64\r\n"
        << DatesHead;
    QTest::newRow("date only")
        << "" << QDate(2024, 1, 15) << Prices
        << DatesHead + "45     02/29/2024\r\n90     04/15/2024\r\n135    05/31/2024\r\n"
                       "180    07/16/2024\r\n225    09/01/2024\r\n270    10/17/2024\r\n"
                       "315    11/30/2024\r\n360    01/14/2025\r\n";
    QTest::newRow("price text 0 and today: headers only") << "0" << Today << Prices << DatesHead;
}

void TestGannListing::listing()
{
    QFETCH(QString, price);
    QFETCH(QDate, date);
    QFETCH(QString, prices);
    QFETCH(QString, dates);
    for (Layout layout : {Layout::Compact, Layout::Large}) {
        GannState s = InitialGannState(layout, Today, 4250);
        QCOMPARE(CalculateGann(s, price, date, Today, layout), GannVerdict::Calculated);
        QCOMPARE(GannPriceListing(s), prices);
        QCOMPARE(GannDateListing(s, Today), dates);
    }
}

void TestGannListing::lineOf_data()
{
    QTest::addColumn<QString>("price");
    QTest::addColumn<int>("line");   // 1-based, headers included
    QTest::addColumn<QString>("text");
    QTest::newRow("price 5, 135 degrees still has a low") << "5" << 5 << "135    8      2";
    QTest::newRow("price 5, 180 degrees: high column kept whole") << "5" << 6 << "180    9      ";
    QTest::newRow("price 5, 360 degrees") << "5" << 10 << "360    17     ";
    QTest::newRow("price 1 has no lows") << "1" << 3 << "45     2      ";
    QTest::newRow("price 2 has no lows") << "2" << 10 << "360    11     ";
    QTest::newRow("five-digit high eats the blanks") << "9999" << 3 << "45     10050  9950";
    QTest::newRow("9999 at 360 degrees") << "9999" << 10 << "360    10403  9603";
}

void TestGannListing::lineOf()
{
    QFETCH(QString, price);
    QFETCH(int, line);
    QFETCH(QString, text);
    GannState s = InitialGannState(Layout::Compact, Today, 4250);
    QCOMPARE(CalculateGann(s, price, Today, Today, Layout::Compact), GannVerdict::Calculated);
    const QString listing = GannPriceListing(s);
    QVERIFY(listing.endsWith("\r\n"));
    const QStringList lines = listing.split("\r\n");
    QCOMPARE(lines.size(), 11);   // 10 lines and the empty rest after the last CR LF
    QCOMPARE(lines.at(line - 1), text);
}

QTEST_APPLESS_MAIN(TestGannListing)
#include "test_gannlisting.moc"
