// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/numbers/dates.h"
#include "core/numbers/errors.h"

#include <QtTest>

namespace {
QDate D(int y, int m, int d) { return QDate(y, m, d); }
enum Step { Days, RoundedDays, Months };
const char* const Late = DateAfterRangeMessage;
const char* const Early = DateBeforeRangeMessage;
} // namespace

// Projected dates are the second half of every result the trader sees; month ends,
// leap days and the edges of the calendar are where date arithmetic usually slips.
class TestDates : public QObject {
    Q_OBJECT
private slots:
    // Files and reports must read the same on a German machine.
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }

    void formats_data() {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QStringList>("texts");   // mm/dd/yyyy, short date, m/d/yy, mmm dd
        QTest::newRow("single digits") << D(2004, 3, 1)
                                       << QStringList{"03/01/2004", "3/1/2004", "3/1/04", "Mar 01"};
        QTest::newRow("double digits") << D(2023, 12, 20)
                                       << QStringList{"12/20/2023", "12/20/2023", "12/20/23", "Dec 20"};
        QTest::newRow("three digit year") << D(105, 7, 4)
                                          << QStringList{"07/04/0105", "7/4/0105", "7/4/05", "Jul 04"};
    }
    void formats() {
        QFETCH(QDate, date);
        QFETCH(QStringList, texts);
        QCOMPARE((QStringList{FormatMmDdYyyy(date), FormatShortDate(date), FormatMdYy(date),
                              FormatMmmDd(date)}),
                 texts);
        // What the program writes it must read back.
        QCOMPARE(ParseFileDate(texts[1]), std::optional<QDate>(date));
    }

    // A step outside the years 100 to 9999 throws the sentence the trader is shown.
    void arithmetic_data() {
        struct Row { const char* name; Step step; QDate start; double amount; QDate end; const char* error; };
        QTest::addColumn<int>("step");
        QTest::addColumn<QDate>("start");
        QTest::addColumn<double>("amount");
        QTest::addColumn<QDate>("expected");
        QTest::addColumn<QString>("error");
        for (const Row& r : std::initializer_list<Row>{
                 {"into leap February", Months, D(2024, 1, 31), 1, D(2024, 2, 29), ""},
                 {"31st into 30-day month", Months, D(2024, 3, 31), 1, D(2024, 4, 30), ""},
                 {"leap day plus a year", Months, D(2024, 2, 29), 12, D(2025, 2, 28), ""},
                 {"back to short month", Months, D(2024, 3, 31), -1, D(2024, 2, 29), ""},
                 {"century not leap", Months, D(2100, 1, 29), 1, D(2100, 2, 28), ""},
                 {"last month", Months, D(9999, 11, 30), 1, D(9999, 12, 30), ""},
                 {"month past the end", Months, D(9999, 12, 1), 1, QDate(), Late},
                 {"month before the first", Months, D(100, 1, 31), -1, QDate(), Early},
                 {"half day down to even", RoundedDays, D(2004, 1, 1), 2.5, D(2004, 1, 3), ""},
                 {"half day up to even", RoundedDays, D(2004, 1, 1), 3.5, D(2004, 1, 5), ""},
                 {"negative half day", RoundedDays, D(2004, 1, 1), -0.5, D(2004, 1, 1), ""},
                 {"rounded past the end", RoundedDays, D(9999, 12, 30), 1.5, QDate(), Late},
                 {"to the last day", Days, D(9999, 12, 30), 1, D(9999, 12, 31), ""},
                 {"day after 12/31/9999", Days, D(9999, 12, 31), 1, QDate(), Late},
                 {"day before 1/1/100", Days, D(100, 1, 1), -1, QDate(), Early},
                 {"huge day count", Days, D(2024, 1, 1), 1e12, QDate(), Late}})
            QTest::newRow(r.name) << int(r.step) << r.start << r.amount << r.end << QString(r.error);
    }
    void arithmetic() {
        QFETCH(int, step);
        QFETCH(QDate, start);
        QFETCH(double, amount);
        QFETCH(QDate, expected);
        QFETCH(QString, error);
        QDate result;
        QString thrown;
        try {
            result = step == Months        ? AddMonths(start, int(amount))
                     : step == RoundedDays ? AddDaysRounded(start, amount)
                                           : AddDays(start, qint64(amount));
        } catch (const CalcError& e) {
            thrown = e.text;
        }
        QCOMPARE(thrown, error);
        QCOMPARE(result, expected);
    }

    // Months count month boundaries crossed, whatever the day.
    void monthsBetween() {
        QCOMPARE(MonthsBetween(D(2004, 1, 31), D(2004, 2, 1)), 1);
        QCOMPARE(MonthsBetween(D(2004, 3, 1), D(2003, 12, 31)), -3);
    }

    // Dates in project files; an invalid expected date means the text is refused.
    void parseFileDate_data() {
        struct Row { const char* name; const char* text; QDate date; };
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("expected");
        for (const Row& r : std::initializer_list<Row>{
                 {"leading zeros", "03/01/2004", D(2004, 3, 1)}, {"yy 29 is 2029", "1/2/29", D(2029, 1, 2)},
                 {"yy 30 is 1930", "1/2/30", D(1930, 1, 2)}, {"leap day", "2/29/2024", D(2024, 2, 29)},
                 {"2/30/2024 does not exist", "2/30/2024", {}}, {"2/29/2023 does not exist", "2/29/2023", {}},
                 {"one digit year", "1/1/5", {}}, {"five digit year", "1/1/02004", {}},
                 {"three digit day", "1/015/2004", {}}, {"three digit month", "001/15/2004", {}},
                 {"year before 100", "1/1/0099", {}}, {"trailing text", "3/1/2004x", {}}})
            QTest::newRow(r.name) << QString(r.text) << r.date;
    }
    void parseFileDate() {
        QFETCH(QString, text);
        QFETCH(QDate, expected);
        QCOMPARE(ParseFileDate(text),
                 expected.isValid() ? std::optional<QDate>(expected) : std::optional<QDate>());
    }
};

QTEST_APPLESS_MAIN(TestDates)
#include "test_dates.moc"
