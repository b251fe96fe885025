#include "forms/gann/core/ganncalc.h"
#include "forms/history/core/evidence.h"
#include "forms/history/core/swings.h"
#include "modules/dates.h"

#include <QtTest>
#include <memory>

static Swing At(int day, double close) {
    Swing s;
    s.date = QDate(2000, 1, 3).addDays(day);
    s.close = close;
    return s;
}

class TestHistoryCore : public QObject {
    Q_OBJECT
private slots:
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
