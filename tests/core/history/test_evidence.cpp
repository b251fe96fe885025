// SPDX-License-Identifier: GPL-3.0-or-later
// Projections from swings and the evidence on them: the levels equal the analysis
// windows' own, the measures pick the right swings, the surrogate histories keep what
// they should, and the p-values behave as p-values must: about uniform where there is
// nothing to find, small where the levels were built into the prices. Then what the
// command line makes of it.
#include "app/cli/cli.h"
#include "core/gann/ganncalc.h"
#include "core/history/evidence.h"
#include "core/history/gannlevels.h"
#include "core/numbers/dates.h"
#include "core/numbers/numbers.h"
#include "testfiles.h"

#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>

// Allocations not yet freed, to see a cache give back what it took.
static std::atomic<long> g_liveAllocations{0};
void* operator new(std::size_t size) {
    if (void* p = std::malloc(size ? size : 1)) {
        ++g_liveAllocations;
        return p;
    }
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    if (p) {
        --g_liveAllocations;
        std::free(p);
    }
}
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }

namespace {

const QDate Today(2024, 6, 1);

Swing At(int day, double price, const QDate& first = QDate(2000, 1, 3)) {
    Swing s;
    s.date = first.addDays(day);
    s.close = s.price = price;
    return s;
}

HistoryRatios Ratios(const std::vector<double>& values) { return *HistoryRatios::fromValues(values); }

PriceHistory History(const std::vector<double>& closes, const QString& name = QStringLiteral("h.csv")) {
    PriceHistory h;
    h.fileName = name;
    for (size_t i = 0; i < closes.size(); ++i)
        h.bars.push_back({QDate(1990, 1, 1).addDays(qint64(i)), closes[i], NAN, NAN, NAN});
    return h;
}

// Daily closes moving 1 % a day at random, nothing else.
PriceHistory RandomWalk(quint32 seed, int days) {
    QRandomGenerator random(seed);
    std::vector<double> closes{100};
    for (int i = 1; i < days; ++i) {
        const double u1 = random.generateDouble() + 1e-12, u2 = random.generateDouble();
        closes.push_back(closes.back() * std::exp(0.01 * std::sqrt(-2 * std::log(u1)) * std::cos(6.283185307 * u2)));
    }
    return History(closes);
}

// Swings each on a Fibonacci level of the two before (retraced from the last by one of
// `ratios`, chosen to keep every leg between 12 % and 45 %), joined by steady daily moves.
PriceHistory FibonacciBuilt(const std::vector<double>& ratios, int swings) {
    QRandomGenerator random(11);
    std::vector<double> turns{100, 130};
    while (int(turns.size()) < swings) {
        const double a = turns[turns.size() - 2], b = turns.back();
        for (quint32 k = random.bounded(quint32(ratios.size()));; k = (k + 1) % ratios.size()) {
            const double leg = (b - a) * ratios[k] / b;
            if (std::abs(leg) >= 0.12 && std::abs(leg) <= 0.45) {
                turns.push_back(b - (b - a) * ratios[k]);
                break;
            }
        }
    }
    std::vector<double> closes{turns[0]};
    for (size_t t = 1; t < turns.size(); ++t) {
        const int days = 15 + int(random.bounded(25));
        for (int d = 1; d < days; ++d)
            closes.push_back(turns[t - 1] + (turns[t] - turns[t - 1]) * (d + 0.3 * random.generateDouble()) / days);
        closes.push_back(turns[t]);
    }
    return History(closes);
}

EvidenceRequest Request(const HistoryRatios& ratios, int draws, double threshold = 5) {
    EvidenceRequest r;
    r.ratios = ratios;
    r.today = Today;
    r.settings.draws = draws;
    r.swingRule = [threshold](const PriceHistory& h) { return FindSwings(h, threshold); };
    return r;
}

Evidence Measure(const PriceHistory& h, const EvidenceRequest& request) {
    return MeasureEvidence({&h}, request).pooled;
}

}  // namespace

class TestEvidence : public QObject {
    Q_OBJECT
private slots:
    // The history's Fibonacci levels are the Fibonacci window's, ratio for ratio, for
    // swings anywhere in the calendar and any increasing ratios; both refuse alike at
    // its end.
    void fibonacciLevelsAreTheWindows() {
        QRandomGenerator random(7);
        int refused = 0;
        for (int i = 0; i < 3000; ++i) {
            const Swing a = At(0, std::pow(10.0, random.bounded(8.0) - 2), QDate(1601, 1, 1).addDays(random.bounded(3066000)));
            const int span = 1 + int(random.bounded(quint32(std::min<qint64>(7000, DaysBetween(a.date, QDate(9999, 12, 31))))));
            const Swing b = At(span, a.price * (0.2 + random.bounded(3.0)), a.date);
            double r1 = random.bounded(1.5) + 0.001, r2 = r1 + random.bounded(1.5) + 0.001, r3 = r2 + random.bounded(3.0) + 0.001;
            QCOMPARE(BoxPrice(b.price), ReadLeadingNumber(PriceBoxText(b.price)));
            FibonacciState window;
            const std::optional<QString> windowProblem = ProjectFibonacci(a, b, Today, {r1, r2, r3}, window);
            ProjectedLevels ours;
            const std::optional<QString> ourProblem = FibonacciLevels(a, b, Ratios({r1, r2, r3}), ours);
            QCOMPARE(ourProblem, windowProblem);
            if (ourProblem) {
                ++refused;
                continue;
            }
            for (int k = 0; k < 3; ++k) {
                QCOMPARE(ours.prices[k], window.results.PotentialPrice[k + 1]);
                QCOMPARE(ours.dates[k], window.results.PotentialDate[k + 1]);
            }
        }
        QVERIFY2(refused > 10 && refused < 1000, qPrintable(QString::number(refused)));
    }

    // The cached Square of Nine gives what the Gann window gives for every price, scale
    // and date, refusals included.
    void gannCacheIsTheWindows() {
        QRandomGenerator random(5);
        const GannLevelCache cache(Today, QDate(1601, 1, 1), QDate(9999, 12, 31));
        auto state = std::make_unique<GannState>();
        LoadGannState(*state, Layout::Large, Today, 0);
        QStringList refusals;
        for (int i = 0; i < 3000; ++i) {
            const QDate date = i % 50 == 0 ? Today
                               : i % 50 == 25 ? QDate(9999, 1 + int(random.bounded(12)), 1)
                                              : QDate(9999, 12, 31).addDays(-qint64(random.bounded(3000000)));
            const Swing s = At(0, std::pow(10.0, random.bounded(9.0) - 3), date);
            const PriceScale scale = ScaleForPrice(i % 3 ? PriceScaleChoice{} : PriceScaleChoice{false, int(random.bounded(7)) - 3}, s.price);
            GannProjection window, cached;
            const std::optional<QString> windowProblem = ProjectGann(s, scale, Today, Layout::Large, *state, window);
            QCOMPARE(cache.project(s, scale, cached), windowProblem);
            QCOMPARE(cached.highs, window.highs);
            QCOMPARE(cached.lows, window.lows);
            QCOMPARE(cached.dates, window.dates);
            if (windowProblem)
                refusals << windowProblem->left(20);
        }

        // Gone, a cache gives back every price and date it kept.
        const long live = g_liveAllocations;
        {
            const GannLevelCache days(Today, Today.addDays(-9), Today);
            const PriceScale scale = ScaleForPrice(PriceScaleChoice{}, 100);
            GannProjection projection;
            for (int d = 0; d < 10; ++d)
                days.project(At(-d, 100 + d, Today), scale, projection);
        }
        QCOMPARE(g_liveAllocations.load(), live);
        QVERIFY(!refusals.filter(QStringLiteral("A projection from")).isEmpty());
        QVERIFY(!refusals.filter(QStringLiteral("The price")).isEmpty());
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
        QTest::newRow("rounds to the square's 1") << 1.2 << "10^0" << 0 << "1.2";
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
        const Swing swing = At(0, close);
        auto state = std::make_unique<GannState>();
        GannProjection g;
        QVERIFY(!ProjectGann(swing, s, today, Layout::Large, *state, g));
        auto plain = std::make_unique<GannState>();
        QVERIFY(CalculateGann(*plain, onSquare, swing.date, today, Layout::Large).accepted());
        QVERIFY(!g.highs.empty());
        QCOMPARE(g.highs.front(), s.fromSquare(plain->results.PotentialHigh[1]));
        QVERIFY(std::abs(g.highs.front() / close - plain->results.PotentialHigh[1] / s.toSquare(close)) < 1e-12);
        QCOMPARE(g.dates.size(), size_t(8));
    }

    void levelsFromSwings_data() {
        QTest::addColumn<QString>("method");
        QTest::addColumn<QVector<double>>("prices");   // A, B, C
        QTest::addColumn<QVector<int>>("days");        // of A, B, C
        QTest::addColumn<QVector<double>>("ratios");
        QTest::addColumn<QVector<double>>("levels");
        QTest::addColumn<QVector<int>>("daysAfterLast");   // of the projected dates
        QTest::newRow("extension of a rise") << "extension" << QVector<double>{100, 200, 150} << QVector<int>{0, 100, 150}
                                             << QVector<double>{0.5, 1, 1.618} << QVector<double>{200, 250, 311.8}
                                             << QVector<int>{50, 100, 161};
        QTest::newRow("extension of a fall, not below 0") << "extension" << QVector<double>{200, 100, 150}
                                                          << QVector<int>{0, 10, 20} << QVector<double>{1, 2}
                                                          << QVector<double>{50, 0} << QVector<int>{10, 20};
        QTest::newRow("fibonacci past the older swing") << "fibonacci" << QVector<double>{100, 200, 0}
                                                        << QVector<int>{0, 10, 10} << QVector<double>{0.5, 1.618}
                                                        << QVector<double>{150, 38.2} << QVector<int>{5, 16};
    }

    void levelsFromSwings() {
        QFETCH(QString, method);
        QFETCH(QVector<double>, prices);
        QFETCH(QVector<int>, days);
        QFETCH(QVector<double>, ratios);
        QFETCH(QVector<double>, levels);
        QFETCH(QVector<int>, daysAfterLast);
        const Swing a = At(days[0], prices[0]), b = At(days[1], prices[1]), c = At(days[2], prices[2]);
        const HistoryRatios r = Ratios({ratios.begin(), ratios.end()});
        ProjectedLevels got;
        QVERIFY(!(method == "extension" ? ExtensionLevels(a, b, c, r, got) : FibonacciLevels(a, b, r, got)));
        const Swing& from = method == "extension" ? c : b;
        for (int k = 0; k < levels.size(); ++k) {
            QVERIFY2(std::abs(got.prices[k] - levels[k]) < 1e-9, qPrintable(QString::number(got.prices[k])));
            QCOMPARE(DaysBetween(from.date, got.dates[k]), qint64(daysAfterLast[k]));
        }
        const Swing late = At(0, prices[2], QDate(9999, 12, 30));
        QCOMPARE(ExtensionLevels(a, b, late, r, got), LeavesCalendarMessage(late.date));
    }

    void measuresEachMethodOnItsSwings() {
        // A 100 -> B 200 over 100 days, C 150 fifty days on: the 0.5 retracement, in price
        // and time. D 180.9 nineteen days after C: the 0.618 price and 0.382 time of B-C,
        // which evenly spaced ratios miss by 5.9 (0.118 of the leg) and 6 days; the
        // extension of A-B from C misses it by 7.3 (0.073 of A-B) and 19 days.
        const std::vector<double> closes{100, 200, 150, 180.9};
        const std::vector<Swing> swings = {At(0, 100), At(100, 200), At(150, 150), At(169, 180.9)};
        EvidenceRequest request = Request(Ratios({0.382, 0.5, 0.618}), 0);
        request.swingRule = [&swings](const PriceHistory&) { return swings; };
        const Evidence e = Measure(History(closes), request);
        const auto check = [&e](ProjectionMethod m, int count, double price, double days, double within) {
            const MethodEvidence& got = e.method(m);
            QCOMPARE(got.count, count);
            QVERIFY2(std::abs(got.price.median - price) < 1e-9, qPrintable(MethodName(m)));
            QCOMPARE(got.days.median, days);
            QCOMPARE(got.price.within, within);
            QVERIFY(!got.price.pValue);
        };
        check(ProjectionMethod::Fibonacci, 2, 0, 0, 1);
        check(ProjectionMethod::EvenlySpaced, 2, 0.059, 3, 0.5);
        check(ProjectionMethod::Extension, 1, 0.073, 19, 0);
        QCOMPARE(e.method(ProjectionMethod::Gann).count, 3);
        QCOMPARE(EvidenceVerdicts(e).first(),
                 QStringLiteral("Fibonacci: too few swings to tell (2 projections measured; at least 20 are needed)."));
    }

    // A surrogate is the file's calendar with its moves drawn in blocks: each bar's move
    // and shape are those of one real bar, consecutive bars take consecutive real bars
    // (round the end) within a block, and the first close is the file's.
    void surrogateKeepsCalendarMovesAndShapes() {
        PriceHistory real = RandomWalk(3, 300);
        for (size_t i = 0; i < real.bars.size(); ++i) {
            PriceBar& b = real.bars[i];
            b.open = b.close * (1 + 0.001 * (i % 7));
            b.high = b.close * (1.01 + 0.001 * (i % 5));
            b.low = b.close * (0.99 - 0.001 * (i % 3));
        }
        const SurrogateSource source(real);
        PriceHistory s;
        source.draw(20, 9, 4, 0, s);
        QCOMPARE(s.bars.size(), real.bars.size());
        QCOMPARE(s.bars[0].close, real.bars[0].close);
        int blockStarts = 0, previous = -1;
        for (size_t i = 1; i < s.bars.size(); ++i) {
            QCOMPARE(s.bars[i].date, real.bars[i].date);
            const double move = s.bars[i].close / s.bars[i - 1].close, high = s.bars[i].high / s.bars[i].close;
            int from = -1;
            for (size_t j = 1; j < real.bars.size() && from < 0; ++j) {
                if (std::abs(move / (real.bars[j].close / real.bars[j - 1].close) - 1) < 1e-12
                    && std::abs(high / (real.bars[j].high / real.bars[j].close) - 1) < 1e-12)
                    from = int(j);
            }
            QVERIFY2(from > 0, qPrintable(QString::number(i)));
            if (from != previous % int(real.bars.size() - 1) + 1)
                ++blockStarts;
            previous = from;
        }
        // 299 moves in blocks of 20: 15 blocks, one fewer if a block happens to go on
        // where the one before it stopped.
        QVERIFY2(blockStarts == 14 || blockStarts == 15, qPrintable(QString::number(blockStarts)));
        PriceHistory other;
        source.draw(20, 9, 5, 0, other);
        QVERIFY(other.bars.back().close != s.bars.back().close);
    }

    // The seed and each draw's place decide everything: not the number of threads, and
    // a file's draws are its own when pooled with another.
    void drawsDependOnSeedAndPlaceOnly() {
        const PriceHistory walk = RandomWalk(21, 1500);
        EvidenceRequest request = Request(Ratios({0.382, 0.5, 0.618}), 40);
        request.settings.threads = 1;
        const Evidence one = Measure(walk, request);
        request.settings.threads = 3;
        const Evidence three = Measure(walk, request);
        request.settings.seed = 2;
        const Evidence otherSeed = Measure(walk, request);
        for (int m = 0; m < ProjectionMethodCount; ++m) {
            QCOMPARE(three.methods[m].price.nullMedians, one.methods[m].price.nullMedians);
            QCOMPARE(three.methods[m].days.nullMedians, one.methods[m].days.nullMedians);
            QVERIFY(otherSeed.methods[m].price.nullMedians != one.methods[m].price.nullMedians);
        }
        QCOMPARE(one.methods[0].price.nullMedians.size(), size_t(40));

        const PooledEvidence twice = MeasureEvidence({&walk, &walk}, request);
        QCOMPARE(twice.files.size(), size_t(2));
        QCOMPARE(twice.pooled.methods[2].count, 2 * otherSeed.methods[2].count);
        QCOMPARE(twice.pooled.methods[2].price.median, otherSeed.methods[2].price.median);
        QCOMPARE(twice.files[0].methods[2].price.nullMedians, otherSeed.methods[2].price.nullMedians);
        QVERIFY(twice.files[1].methods[2].price.nullMedians != otherSeed.methods[2].price.nullMedians);
        // A pooled draw takes both files' projections: its median lies between theirs.
        const std::vector<double>&a = twice.files[0].methods[2].price.nullMedians,
                                  &b = twice.files[1].methods[2].price.nullMedians,
                                  &pooled = twice.pooled.methods[2].price.nullMedians;
        QCOMPARE(QList<size_t>({a.size(), b.size(), pooled.size()}), QList<size_t>(3, 40));
        for (size_t d = 0; d < pooled.size(); ++d)
            QVERIFY(pooled[d] >= std::min(a[d], b[d]) && pooled[d] <= std::max(a[d], b[d]));
    }

    // Where every swing ends on a Fibonacci level of the two before, no surrogate comes
    // as close: the smallest p-value 199 draws can give.
    void builtOnFibonacciLevelsBeatsChance() {
        const std::vector<double> ratios{0.382, 0.5, 0.618, 1.272, 1.618};
        const PriceHistory built = FibonacciBuilt(ratios, 40);
        const Evidence e = Measure(built, Request(Ratios(ratios), 199, 10));
        const MethodEvidence& fib = e.method(ProjectionMethod::Fibonacci);
        QCOMPARE(fib.count, 37);
        QVERIFY(fib.price.median < 1e-9);
        QVERIFY2(*fib.price.pValue <= 0.01, qPrintable(QString::number(*fib.price.pValue)));
        QVERIFY(EvidenceVerdicts(e).first().startsWith(QStringLiteral("Fibonacci: its prices came closer than chance (p = 0.005)")));
    }

    // On random walks nothing is there to find: the p-values spread evenly between 0
    // and 1 (a little towards 1, as ties count against a method), and fall below 0.05
    // no more often than 5 times in 100, for every method and measure together.
    void randomWalksBeatChanceAsOftenAsChance() {
        int below = 0, all = 0;
        double sum = 0;
        for (quint32 walk = 0; walk < 40; ++walk) {
            const Evidence e = Measure(RandomWalk(100 + walk, 1200), Request(Ratios({0.382, 0.5, 0.618}), 99));
            for (const MethodEvidence& m : e.methods) {
                for (const MeasureAgainstChance* x : {&m.price, &m.days}) {
                    QVERIFY(x->pValue);
                    below += *x->pValue < ChanceLevel;
                    sum += *x->pValue;
                    ++all;
                }
            }
        }
        QVERIFY2(below <= all / 20 && sum / all > 0.4 && sum / all < 0.65,
                 qPrintable(QStringLiteral("%1 of %2 below, mean %3").arg(below).arg(all).arg(sum / all)));
    }

    // ---- The command line ---------------------------------------------------

    void toolRefusals_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("settings");   // quillomat.ini beside the program
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("err");
        QTest::newRow("ratios out of order") << QStringList{"--ratios", "0.236,0.618,0.5"} << QByteArray() << 2
                                             << "Ratios must be in increasing order";
        QTest::newRow("thirteen ratios") << QStringList{"--ratios", "1,2,3,4,5,6,7,8,9,10,11,12,13"} << QByteArray()
                                         << 64 << "tessaray-cli: --ratios needs 1 to 12 numbers";
        QTest::newRow("settings ratio missing") << QStringList() << QByteArray("FIB1=0.382\r\nFIB3=0.618\r\n") << 2
                                                << "The Fibonacci ratios of <dir>/quillomat.ini (0.382, 0, 0.618) "
                                                   "cannot be used: All ratios must be greater than 0.";
        QTest::newRow("settings out of order") << QStringList() << QByteArray("FIB1=0.6\r\nFIB2=0.5\r\nFIB3=0.7\r\n")
                                               << 2 << "The Fibonacci ratios of <dir>/quillomat.ini (0.6, 0.5, 0.7)";
        QTest::newRow("negative draws") << QStringList{"--draws", "-1"} << QByteArray() << 64
                                        << "tessaray-cli: --draws needs a whole number from 0 to 100000, not \"-1\"";
        QTest::newRow("seed past 32 bits") << QStringList{"--seed", "4294967296"} << QByteArray() << 64
                                           << "tessaray-cli: --seed needs a whole number from 0 to 4294967295";
        QTest::newRow("blocks of no days") << QStringList{"--block-days", "0"} << QByteArray() << 64
                                           << "tessaray-cli: --block-days needs a whole number from 1 to 10000";
    }

    void toolRefusals() {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, settings);
        QFETCH(int, status);
        QFETCH(QString, err);
        QTemporaryDir dir;
        if (!settings.isEmpty())
            QVERIFY(WriteBytes(dir.path() + "/quillomat.ini", settings));
        const auto [code, out, errText] = Run(QStringList{"--data", QStringLiteral(TESSARAY_DJIA_CSV)} + args, dir.path());
        QCOMPARE(code, status);
        QVERIFY2(errText.contains(err.replace("<dir>", dir.path())), qPrintable(errText));
        QVERIFY(out.isEmpty());
    }

    // A projection that cannot be made says why in its place; the swings and the
    // evidence are all there.
    void failedProjectionKeepsTheReport_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("part");
        QTest::addColumn<QString>("problem");
        QTest::newRow("scale pushes past 9999") << QByteArray() << QStringList{"--scale", "10^9"} << "gann"
                                                << "The price 2569.26 is 2569260000000 on the Square of Nine at a price "
                                                   "scale of 10^9, past the square's 9999: choose a smaller price scale.";
        QTest::newRow("last swings in 9999")
            << QByteArray("Date,Close\n9998-01-01,100\n9998-06-01,130\n9999-01-04,100\n9999-11-01,130\n9999-11-02,100\n")
            << QStringList() << "fibonacci"
            << "A projection from 11/01/9999 would leave the calendar: its dates would fall after 12/31/9999.";
    }

    void failedProjectionKeepsTheReport() {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, args);
        QFETCH(QString, part);
        QFETCH(QString, problem);
        QTemporaryDir dir;
        QString data = QStringLiteral(TESSARAY_DJIA_CSV);
        if (!file.isEmpty())
            QVERIFY(WriteBytes(data = dir.path() + "/late.csv", file));
        args = QStringList{"--data", data, "--draws", "9"} + args;
        const auto [status, report, err] = Run(args, dir.path());
        QCOMPARE(status, 0);
        QVERIFY2(report.contains(QLatin1Char('\n') + problem + QLatin1Char('\n')), qPrintable(report));
        QVERIFY(report.contains(QStringLiteral("Swings of at least")) && report.contains(QStringLiteral("p-value")));
        const QJsonObject json = QJsonDocument::fromJson(std::get<1>(Run(args + QStringList{"--format", "json"}, dir.path())).toUtf8()).object();
        QVERIFY(json[part].isNull());
        QCOMPARE(json["problems"][part].toString(), problem);
        QCOMPARE(json["evidence"]["methods"].toArray().size(), 4);
    }

    // Any number of ratios reach the levels and the evidence; several files give each
    // file's evidence and the pool's.
    void jsonOfRatiosAndFiles() {
        QTemporaryDir dir;
        const QString djia = QStringLiteral(TESSARAY_DJIA_CSV);
        const QStringList common{"--ratios", "0.236,0.382,0.5,0.618,0.786,1.272,1.618", "--draws", "5", "--format", "json"};
        const QJsonObject one = QJsonDocument::fromJson(std::get<1>(Run(QStringList{"--data", djia} + common, dir.path())).toUtf8()).object();
        QVERIFY(one["fibonacci"].isNull());
        QCOMPARE(one["levels"]["fibonacci"]["prices"].toArray().size(), 7);
        QCOMPARE(one["levels"]["extension"]["dates"].toArray().size(), 7);
        const QJsonObject evidence = one["evidence"].toObject();
        QCOMPARE(evidence.keys(), QStringList({"block_days", "draws", "methods", "seed"}));
        QStringList names;
        for (const QJsonValue m : evidence["methods"].toArray()) {
            names << m["name"].toString();
            QCOMPARE(m["price"].toObject().keys(), QStringList({"median_error", "null_median_error", "p_value", "within_5pct"}));
            QCOMPARE(m["time"].toObject().keys(), QStringList({"median_days_off", "null_median_days_off", "p_value", "within_5_days"}));
        }
        QCOMPARE(names, QStringList({"fibonacci", "evenly spaced", "gann", "extension"}));

        const QJsonObject two = QJsonDocument::fromJson(std::get<1>(Run(QStringList{"--data", djia, "--data", djia} + common, dir.path())).toUtf8()).object();
        QCOMPARE(two["files"].toArray().size(), 2);
        QCOMPARE(two["files"][1]["levels"], one["levels"]);
        const int count = evidence["methods"][0]["count"].toInt();
        QCOMPARE(two["evidence"]["methods"][0]["count"].toInt(), 2 * count);
        QCOMPARE(two["verdicts"].toArray().size(), 4);
    }

private:
    // The tool in-process: status, standard output, standard error.
    static std::tuple<int, QString, QString> Run(const QStringList& args, const QString& programDir) {
        QBuffer out, err;
        out.open(QIODevice::WriteOnly);
        err.open(QIODevice::WriteOnly);
        const int status = RunCli(QStringList{"history", "--today", "6/1/2024"} + args,
                                  {programDir, Today, QStringLiteral("test")}, {nullptr, &out, &err});
        return {status, QString::fromUtf8(out.data()), QString::fromUtf8(err.data())};
    }
};

QTEST_APPLESS_MAIN(TestEvidence)
#include "test_evidence.moc"
