#include "forms/history/core/pricehistory.h"
#include "forms/history/core/swings.h"
#include "modules/dates.h"

#include <QtTest>

// Swings written compactly: bar and kind, H/L confirmed, h/l the last unconfirmed one.
static QString SwingText(const std::vector<Swing>& swings) {
    QStringList parts;
    for (const Swing& s : swings) {
        const char kind = s.kind == SwingKind::High ? 'H' : 'L';
        parts << QString::number(s.bar) + QLatin1Char(s.confirmed ? kind : char(kind + 32));
    }
    return parts.join(QLatin1Char(' '));
}

class TestHistoryCore : public QObject {
    Q_OBJECT
private slots:
    void swingRule_data() {
        QTest::addColumn<double>("percent");
        QTest::addColumn<QVector<double>>("closes");
        QTest::addColumn<QString>("swings");
        // 25 % and 50 % keep every product exact in binary, so "met exactly" is exact.
        QTest::newRow("first swing up, met exactly") << 25.0 << QVector<double>{100, 80, 90, 100, 90} << "1L 3h";
        QTest::newRow("just short of the threshold") << 25.0 << QVector<double>{100, 80, 99.99} << "";
        QTest::newRow("first swing down") << 25.0 << QVector<double>{100, 110, 80, 85} << "1H 2l";
        QTest::newRow("down by exactly the threshold") << 50.0 << QVector<double>{100, 120, 60} << "1H 2l";
        QTest::newRow("equal highs keep the first") << 25.0 << QVector<double>{100, 130, 130, 90, 120} << "0L 1H 3L 4h";
        QTest::newRow("equal lows keep the first") << 25.0 << QVector<double>{100, 70, 70, 95, 71, 70, 90} << "0H 1L 3H 5L 6h";
        QTest::newRow("equal first closes") << 25.0 << QVector<double>{100, 100, 100, 125} << "0L 3h";
        QTest::newRow("new high after the turn") << 25.0 << QVector<double>{100, 75, 90, 110, 80, 90, 60} << "0H 1L 3H 6l";
        // A threshold below a double's resolution: a flat close is up from the low and
        // down from the high at once, both the same close; the rule's first branch wins.
        QTest::newRow("both at once") << 1e-17 << QVector<double>{100, 100, 90} << "0L 1H 2l";
        QTest::newRow("no closes") << 5.0 << QVector<double>{} << "";
        QTest::newRow("flat") << 5.0 << QVector<double>{100, 100, 100} << "";
    }

    void swingRule() {
        QFETCH(double, percent);
        QFETCH(QVector<double>, closes);
        QFETCH(QString, swings);
        QCOMPARE(SwingText(FindSwingBars(std::vector<double>(closes.begin(), closes.end()), percent)), swings);
    }

    void readsPriceFiles_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("closes");   // date=close, oldest first
        QTest::addColumn<bool>("candles");
        QTest::newRow("iso dates, LF") << QByteArray("Date,Close\n2024-01-02,10\n2024-01-03,11\n")
                                       << "1/2/2024=10 1/3/2024=11" << false;
        QTest::newRow("US dates, CR LF, sorted")
            << QByteArray("date,close\r\n1/3/2024,11\r\n12/29/2023,9.5\r\n\r\n") << "12/29/2023=9.5 1/3/2024=11" << false;
        QTest::newRow("names in any case and blanks, others ignored")
            << QByteArray("\xEF\xBB\xBF Volume , CLOSE ,Adj Close, Date \n5,10,99,2024-01-02\n")
            << "1/2/2024=10" << false;
        QTest::newRow("quoted fields")
            << QByteArray("\"Date\",\"Note, with comma\",\"Close\"\n\"2024-01-02\",\"say \"\"hi\"\"\",\"10.5\"\n")
            << "1/2/2024=10.5" << false;
        QTest::newRow("candles") << QByteArray("Date,Open,High,Low,Close\n2024-01-02,9,12,8,10\n")
                                 << "1/2/2024=10" << true;
        QTest::newRow("an empty low: no candles") << QByteArray("Date,Open,High,Low,Close\n2024-01-02,9,12,,10\n")
                                                  << "1/2/2024=10" << false;
    }

    void readsPriceFiles() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, closes);
        QFETCH(bool, candles);
        const PriceHistoryRead read = ReadPriceHistory(bytes, QStringLiteral("p.csv"));
        QVERIFY2(read.history, qPrintable(read.problem));
        QStringList got;
        for (const PriceBar& b : read.history->bars)
            got << FormatShortDate(b.date) + QLatin1Char('=') + QString::number(b.close);
        QCOMPARE(got.join(QLatin1Char(' ')), closes);
        QCOMPARE(read.history->hasCandles(), candles);
    }

    void refusesWithTheLine_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("problem");
        const QByteArray head("Date,Close\n2024-01-02,10\n");
        QTest::newRow("no close column") << QByteArray("Date,Adj Close\n2024-01-02,10\n")
                                         << "p.csv, line 1: the header row needs a Date and a Close column.";
        QTest::newRow("empty file") << QByteArray("\n\n") << "p.csv, line 1: the file holds no header row.";
        QTest::newRow("header only") << QByteArray("\nDate,Close\n") << "p.csv, line 2: no prices follow the header row.";
        QTest::newRow("unreadable date") << head + "2024-02-30,11\n"
                                         << "p.csv, line 3: \"2024-02-30\" is not a date (yyyy-mm-dd or m/d/yyyy).";
        QTest::newRow("null close") << head + "\n2024-01-03,null\n" << "p.csv, line 4: the close \"null\" is not a number.";
        QTest::newRow("zero close") << head + "2024-01-03,0\n" << "p.csv, line 3: the close 0 is not above 0.";
        QTest::newRow("short row") << head + "2024-01-03\n"
                                   << "p.csv, line 3: the row has 1 values; the Date and Close columns need 2.";
        QTest::newRow("repeated date, other form") << head + "2024-01-03,11\r\n1/2/2024,12\n"
                                                   << "p.csv, line 4: the date 1/2/2024 is repeated (first on line 2).";
        QTest::newRow("quote not closed") << head + "\"2024-01-03,11\n" << "p.csv, line 3: a quoted value is not closed.";
    }

    void refusesWithTheLine() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, problem);
        const PriceHistoryRead read = ReadPriceHistory(bytes, QStringLiteral("p.csv"));
        QVERIFY(!read.history);
        QCOMPARE(read.problem, problem);
    }

    void djiaSwingsOf1987() {
        const PriceHistoryRead read = LoadPriceHistoryFile(QStringLiteral(TESSARAY_DJIA_CSV));
        QVERIFY2(read.history, qPrintable(read.problem));
        QCOMPARE(int(read.history->bars.size()), 2528);
        QStringList of1987;
        for (const Swing& s : FindSwings(*read.history, 10)) {
            if (s.date.year() == 1987)
                of1987 << FormatShortDate(s.date) + QLatin1Char('=') + QString::number(s.close);
        }
        QVERIFY2(of1987.contains(QStringLiteral("8/25/1987=2722.42")), qPrintable(of1987.join(' ')));
        QVERIFY2(of1987.contains(QStringLiteral("10/19/1987=1738.74")), qPrintable(of1987.join(' ')));
    }
};

QTEST_APPLESS_MAIN(TestHistoryCore)
#include "test_history_core.moc"
