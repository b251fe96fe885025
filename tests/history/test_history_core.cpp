#include "forms/gann/core/ganncalc.h"
#include "forms/history/core/evidence.h"
#include "forms/history/core/pricehistory.h"
#include "forms/history/core/swings.h"
#include "modules/dates.h"

#include <QtTest>
#include <memory>

// Swings written compactly: bar and kind, H/L confirmed, h/l the last unconfirmed one.
static QString SwingText(const std::vector<Swing>& swings) {
    QStringList parts;
    for (const Swing& s : swings) {
        const char kind = s.kind == SwingKind::High ? 'H' : 'L';
        parts << QString::number(s.bar) + QLatin1Char(s.confirmed ? kind : char(kind + 32));
    }
    return parts.join(QLatin1Char(' '));
}

static Swing At(int day, double close) {
    Swing s;
    s.date = QDate(2000, 1, 3).addDays(day);
    s.close = close;
    return s;
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

    void scaleMapsBack_data() {
        QTest::addColumn<double>("close");
        QTest::addColumn<QString>("scale");
        QTest::addColumn<int>("power");
        QTest::addColumn<QString>("onSquare");
        QTest::newRow("12,000 index, auto") << 12000.0 << "auto" << -1 << "1200";
        QTest::newRow("currency below 1, auto") << 0.985 << "auto" << 4 << "9850";
        QTest::newRow("1.0850 currency, given") << 1.085 << "10^3" << 3 << "1085";
        QTest::newRow("in range, auto: as typed") << 2722.42 << "auto" << 0 << "2722.42";
        QTest::newRow("99999.6 rounds past 9999 at 10^-1") << 99999.6 << "auto" << -2 << "999.996";
    }

    void scaleMapsBack() {
        QFETCH(double, close);
        QFETCH(QString, scale);
        QFETCH(int, power);
        QFETCH(QString, onSquare);
        const std::optional<PriceScaleChoice> choice = ParsePriceScaleChoice(scale);
        QVERIFY(choice);
        const PriceScale s = ScaleForPrice(*choice, close);
        QCOMPARE(s.power, power);
        QCOMPARE(PriceBoxText(s.toSquare(close)), onSquare);

        // The square's answer for the scaled price, divided by the same power: the
        // levels are the unscaled levels of that price, moved by the power.
        const QDate today(2024, 6, 1);
        Swing swing = At(0, close);
        auto state = std::make_unique<GannState>();
        GannProjection g;
        QVERIFY(!ProjectGann(swing, s, today, Layout::Large, *state, g));
        auto plain = std::make_unique<GannState>();
        QVERIFY(CalculateGann(*plain, onSquare, swing.date, today, Layout::Large).accepted());
        QVERIFY(!g.highs.empty());
        QCOMPARE(g.highs.front(), s.fromSquare(plain->PotentialHigh[1]));
        QVERIFY(std::abs(g.highs.front() / close - plain->PotentialHigh[1] / s.toSquare(close)) < 1e-12);
        QCOMPARE(g.dates.size(), size_t(8));
    }

    void evidenceAgainstBaseline() {
        // A 100 -> B 200 over 100 days, C 150 fifty days on: the 0.5 retracement, hit by
        // both ratio sets in price and time. D 180.9 nineteen days after C: the 0.618 price
        // and 0.382 time of the B-C leg, which evenly spaced ratios miss by 5.9 (0.118 of
        // the leg) and by 6 days.
        const std::vector<Swing> swings = {At(0, 100), At(100, 200), At(150, 150), At(169, 180.9)};
        const QDate today(2024, 6, 1);
        const Evidence e = MeasureEvidence(swings, DefaultRatios, PriceScaleChoice{}, today);
        QCOMPARE(e.fibonacci.count, 2);
        QVERIFY(e.fibonacci.medianPriceError < 1e-12);
        QCOMPARE(e.fibonacci.medianDaysOff, 0.0);
        QCOMPARE(e.fibonacci.shareWithinPrice, 1.0);
        QCOMPARE(e.baseline.count, 2);
        QVERIFY(std::abs(e.baseline.medianPriceError - 0.059) < 1e-12);
        QCOMPARE(e.baseline.medianDaysOff, 3.0);
        QCOMPARE(e.baseline.shareWithinPrice, 0.5);
        QCOMPARE(e.baseline.shareWithinDays, 0.5);
        QCOMPARE(e.gann.count, 3);
        QVERIFY(EvidenceVerdicts(e).join(' ').contains(QStringLiteral("prices came closer")));

        // The baseline's own ratios do no better than the baseline, and say so.
        const Evidence same = MeasureEvidence(swings, BaselineRatios, PriceScaleChoice{}, today);
        QCOMPARE(EvidenceVerdicts(same),
                 QStringList({QStringLiteral("Fibonacci prices did no better than evenly spaced ratios (median error 5.9% against 5.9%)."),
                              QStringLiteral("Fibonacci dates did no better than evenly spaced ratios (median 3.0 days off against 3.0 days).")}));
        QCOMPARE(EvidenceVerdicts(MeasureEvidence({At(0, 100), At(9, 200)}, DefaultRatios, PriceScaleChoice{}, today)).size(), 1);
    }
};

QTEST_APPLESS_MAIN(TestHistoryCore)
#include "test_history_core.moc"
