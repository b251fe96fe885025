#include "modules/dates.h"
#include "modules/errors.h"

#include <QtTest>

Q_DECLARE_METATYPE(std::optional<QDate>)

// Projected dates are the second half of every result the trader sees; month ends,
// leap days and the edges of the calendar are where date arithmetic usually slips.
class TestDates : public QObject {
    Q_OBJECT
private slots:
    void nullDate();
    void formats_data();
    void formats();
    void formatsIgnoreLocale();
    void addMonths_data();
    void addMonths();
    void addDaysRounded_data();
    void addDaysRounded();
    void betweens_data();
    void betweens();
    void rangeErrors_data();
    void rangeErrors();
    void parseFileDate_data();
    void parseFileDate();
};

void TestDates::nullDate()
{
    QCOMPARE(NullDate(), QDate(1900, 1, 1));
    QVERIFY(IsNullDate(QDate(1900, 1, 1)));
    QVERIFY(!IsNullDate(QDate(1900, 1, 2)));
}

void TestDates::formats_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("mmddyyyy");
    QTest::addColumn<QString>("shortDate");
    QTest::addColumn<QString>("mdyy");
    QTest::addColumn<QString>("mmmdd");
    QTest::newRow("single digits") << QDate(2004, 3, 1) << "03/01/2004" << "3/1/2004" << "3/1/04"
                                   << "Mar 01";
    QTest::newRow("double digits") << QDate(2023, 12, 20) << "12/20/2023" << "12/20/2023"
                                   << "12/20/23" << "Dec 20";
    QTest::newRow("null date") << QDate(1900, 1, 1) << "01/01/1900" << "1/1/1900" << "1/1/00"
                               << "Jan 01";
    QTest::newRow("year 2000") << QDate(2000, 6, 9) << "06/09/2000" << "6/9/2000" << "6/9/00"
                               << "Jun 09";
    QTest::newRow("three digit year") << QDate(105, 7, 4) << "07/04/0105" << "7/4/0105" << "7/4/05"
                                      << "Jul 04";
}

void TestDates::formats()
{
    QFETCH(QDate, date);
    QFETCH(QString, mmddyyyy);
    QFETCH(QString, shortDate);
    QFETCH(QString, mdyy);
    QFETCH(QString, mmmdd);
    QCOMPARE(FormatMmDdYyyy(date), mmddyyyy);
    QCOMPARE(FormatShortDate(date), shortDate);
    QCOMPARE(FormatMdYy(date), mdyy);
    QCOMPARE(FormatMmmDd(date), mmmdd);
    // What the program writes it must read back.
    QCOMPARE(ParseFileDate(shortDate), std::optional<QDate>(date));
}

void TestDates::formatsIgnoreLocale()
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QString month = FormatMmmDd(QDate(2024, 5, 3));
    const QString shortDate = FormatShortDate(QDate(2024, 5, 3));
    QLocale::setDefault(saved);
    QCOMPARE(month, QStringLiteral("May 03"));
    QCOMPARE(shortDate, QStringLiteral("5/3/2024"));
    const QString months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    for (int m = 1; m <= 12; ++m)
        QCOMPARE(FormatMmmDd(QDate(2024, m, 15)), months[m - 1] + QStringLiteral(" 15"));
}

void TestDates::addMonths_data()
{
    QTest::addColumn<QDate>("start");
    QTest::addColumn<int>("months");
    QTest::addColumn<QDate>("expected");
    QTest::newRow("plain") << QDate(2003, 12, 1) << 5 << QDate(2004, 5, 1);
    QTest::newRow("into leap February") << QDate(2024, 1, 31) << 1 << QDate(2024, 2, 29);
    QTest::newRow("into plain February") << QDate(2023, 1, 31) << 1 << QDate(2023, 2, 28);
    QTest::newRow("31st into 30-day month") << QDate(2024, 3, 31) << 1 << QDate(2024, 4, 30);
    QTest::newRow("leap day plus a year") << QDate(2024, 2, 29) << 12 << QDate(2025, 2, 28);
    QTest::newRow("leap day plus four years") << QDate(2024, 2, 29) << 48 << QDate(2028, 2, 29);
    QTest::newRow("backwards over new year") << QDate(2004, 1, 15) << -1 << QDate(2003, 12, 15);
    QTest::newRow("backwards to short month") << QDate(2024, 3, 31) << -1 << QDate(2024, 2, 29);
    QTest::newRow("century not leap") << QDate(2100, 1, 29) << 1 << QDate(2100, 2, 28);
    QTest::newRow("zero") << QDate(2024, 5, 31) << 0 << QDate(2024, 5, 31);
    QTest::newRow("last month") << QDate(9999, 11, 30) << 1 << QDate(9999, 12, 30);
}

void TestDates::addMonths()
{
    QFETCH(QDate, start);
    QFETCH(int, months);
    QFETCH(QDate, expected);
    QCOMPARE(AddMonths(start, months), expected);
}

void TestDates::addDaysRounded_data()
{
    QTest::addColumn<QDate>("start");
    QTest::addColumn<double>("days");
    QTest::addColumn<QDate>("expected");
    QTest::newRow("whole") << QDate(2004, 1, 1) << 60.0 << QDate(2004, 3, 1);
    QTest::newRow("half to even down") << QDate(2004, 1, 1) << 2.5 << QDate(2004, 1, 3);
    QTest::newRow("half to even up") << QDate(2004, 1, 1) << 3.5 << QDate(2004, 1, 5);
    QTest::newRow("negative half") << QDate(2004, 1, 1) << -0.5 << QDate(2004, 1, 1);
    QTest::newRow("negative fraction") << QDate(2004, 1, 1) << -3.2 << QDate(2003, 12, 29);
    QTest::newRow("over leap day") << QDate(2024, 2, 28) << 1.4 << QDate(2024, 2, 29);
}

void TestDates::addDaysRounded()
{
    QFETCH(QDate, start);
    QFETCH(double, days);
    QFETCH(QDate, expected);
    QCOMPARE(AddDaysRounded(start, days), expected);
}

void TestDates::betweens_data()
{
    QTest::addColumn<QDate>("a");
    QTest::addColumn<QDate>("b");
    QTest::addColumn<qint64>("days");
    QTest::addColumn<qint64>("months");
    QTest::newRow("forward") << QDate(2004, 1, 1) << QDate(2004, 4, 7) << qint64(97) << qint64(3);
    QTest::newRow("day of month plays no part")
        << QDate(2004, 1, 31) << QDate(2004, 2, 1) << qint64(1) << qint64(1);
    QTest::newRow("backward") << QDate(2004, 3, 1) << QDate(2003, 12, 31) << qint64(-61)
                              << qint64(-3);
    QTest::newRow("same") << QDate(2024, 2, 29) << QDate(2024, 2, 29) << qint64(0) << qint64(0);
}

void TestDates::betweens()
{
    QFETCH(QDate, a);
    QFETCH(QDate, b);
    QFETCH(qint64, days);
    QFETCH(qint64, months);
    QCOMPARE(DaysBetween(a, b), days);
    QCOMPARE(MonthsBetween(a, b), months);
}

void TestDates::rangeErrors_data()
{
    QTest::addColumn<int>("operation");   // 0 days, 1 rounded days, 2 months
    QTest::addColumn<QDate>("start");
    QTest::addColumn<double>("amount");
    QTest::addColumn<bool>("tooLate");
    QTest::newRow("day after 12/31/9999") << 0 << QDate(9999, 12, 31) << 1.0 << true;
    QTest::newRow("day before 1/1/100") << 0 << QDate(100, 1, 1) << -1.0 << false;
    QTest::newRow("huge day count") << 0 << QDate(2024, 1, 1) << 1e12 << true;
    QTest::newRow("rounded days past the end") << 1 << QDate(9999, 12, 30) << 1.5 << true;
    QTest::newRow("rounded days, infinite") << 1 << QDate(2024, 1, 1) << -1e300 << false;
    QTest::newRow("month past the end") << 2 << QDate(9999, 12, 1) << 1.0 << true;
    QTest::newRow("month before the start") << 2 << QDate(100, 1, 31) << -1.0 << false;
}

void TestDates::rangeErrors()
{
    QFETCH(int, operation);
    QFETCH(QDate, start);
    QFETCH(double, amount);
    QFETCH(bool, tooLate);
    QString message;
    try {
        if (operation == 0)
            AddDays(start, static_cast<qint64>(amount));
        else if (operation == 1)
            AddDaysRounded(start, amount);
        else
            AddMonths(start, static_cast<int>(amount));
        QFAIL("no error for a date outside the calendar");
    } catch (const CalcError& e) {
        message = e.text;
    }
    QCOMPARE(message, QString::fromLatin1(tooLate ? DateAfterRangeMessage : DateBeforeRangeMessage));
    // The edges themselves are fine.
    QCOMPARE(AddDays(QDate(9999, 12, 30), 1), QDate(9999, 12, 31));
    QCOMPARE(AddDays(QDate(100, 1, 2), -1), QDate(100, 1, 1));
}

void TestDates::parseFileDate_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<QDate>>("expected");
    const std::optional<QDate> none;
    QTest::newRow("m/d/yyyy") << "3/1/2004" << std::optional<QDate>(QDate(2004, 3, 1));
    QTest::newRow("leading zeros") << "03/01/2004" << std::optional<QDate>(QDate(2004, 3, 1));
    QTest::newRow("yy 29 is 2029") << "1/2/29" << std::optional<QDate>(QDate(2029, 1, 2));
    QTest::newRow("yy 30 is 1930") << "1/2/30" << std::optional<QDate>(QDate(1930, 1, 2));
    QTest::newRow("yy 00 is 2000") << "12/31/00" << std::optional<QDate>(QDate(2000, 12, 31));
    QTest::newRow("leap day") << "2/29/2024" << std::optional<QDate>(QDate(2024, 2, 29));
    QTest::newRow("2/30/2024 does not exist") << "2/30/2024" << none;
    QTest::newRow("2/29/2023 does not exist") << "2/29/2023" << none;
    QTest::newRow("month 13") << "13/1/2024" << none;
    QTest::newRow("day 0") << "1/0/2024" << none;
    QTest::newRow("one digit year") << "1/1/5" << none;
    QTest::newRow("five digit year") << "1/1/20245" << none;
    QTest::newRow("year before 100") << "1/1/0099" << none;
    QTest::newRow("day first order") << "2024-03-01" << none;
    QTest::newRow("trailing text") << "3/1/2004x" << none;
    QTest::newRow("time of day") << "3/1/2004 10:00" << none;
    QTest::newRow("empty") << "" << none;
}

void TestDates::parseFileDate()
{
    QFETCH(QString, text);
    QFETCH(std::optional<QDate>, expected);
    QCOMPARE(ParseFileDate(text), expected);
}

QTEST_APPLESS_MAIN(TestDates)
#include "test_dates.moc"
