// How long a trader waits for the evidence against chance, in wall-clock time on every
// core: the 1980s Dow at 5 % with 1,000 surrogate histories, and about 20,000 days
// (what 1,000,000 30-minute bars come to once taken per day) moving as the US dollar
// in Swiss francs moved (0.67 % a day, from the 30-minute closes of 1996-2001 taken
// per day) and, harder, as the Dow did (1.16 % a day: shorter swings, more of them).
// Also what one Square of Nine projection costs through the Gann window and through
// the cache the evidence uses.
#include "core/gann/ganncalc.h"
#include "core/history/evidence.h"
#include "core/history/gannlevels.h"

#include <QRandomGenerator>
#include <array>
#include <benchmark/benchmark.h>
#include <cmath>
#include <memory>

namespace {

const QDate Today(2024, 6, 1);

PriceHistory Dow()
{
    PriceHistoryRead read = LoadPriceHistoryFile(QStringLiteral(TESSARAY_DJIA_CSV));
    return std::move(*read.history);
}

PriceHistory Walk(int days, double dailySpread)
{
    QRandomGenerator random(2001);
    PriceHistory h;
    double close = 1.2;
    const QDate first(1920, 1, 1);
    for (int i = 0; i < days; ++i) {
        const double u1 = random.generateDouble() + 1e-12, u2 = random.generateDouble();
        close *= std::exp(dailySpread * std::sqrt(-2 * std::log(u1)) * std::cos(6.283185307 * u2));
        h.bars.push_back({first.addDays(i), close, NAN, NAN, NAN});
    }
    return h;
}

void RunEvidence(benchmark::State& state, const PriceHistory& history)
{
    EvidenceRequest request;
    request.ratios = *HistoryRatios::fromFibRatios(DefaultRatios);
    request.today = Today;
    request.settings.draws = int(state.range(0));
    request.swingRule = [](const PriceHistory& h) { return FindSwings(h, DefaultSwingThreshold); };
    int count = 0;
    for (auto _ : state) {
        const PooledEvidence e = MeasureEvidence({&history}, request);
        count = e.pooled.methods.front().count;
        benchmark::DoNotOptimize(e);
    }
    state.counters["projections"] = count;
}

void BM_EvidenceDow1980s(benchmark::State& state) { RunEvidence(state, Dow()); }
BENCHMARK(BM_EvidenceDow1980s)->Arg(0)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Evidence20000DaysFranc(benchmark::State& state) { RunEvidence(state, Walk(20800, 0.0067)); }
BENCHMARK(BM_Evidence20000DaysFranc)->Arg(0)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Evidence20000DaysDow(benchmark::State& state) { RunEvidence(state, Walk(20800, 0.0116)); }
BENCHMARK(BM_Evidence20000DaysDow)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

// A million daily bars with the real swings only, as the command line measures them
// with --draws 0.
void BM_EvidenceMillionDays(benchmark::State& state) { RunEvidence(state, Walk(1000000, 0.0116)); }
BENCHMARK(BM_EvidenceMillionDays)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

// Swings of a 20,000-day walk, through the Gann window's calculation or the cache.
std::vector<Swing> WalkSwings()
{
    const PriceHistory h = Walk(20800, 0.0116);
    std::vector<Swing> swings = ConfirmedSwings(FindSwings(h, DefaultSwingThreshold));
    for (Swing& s : swings)
        s.price *= 1000;   // prices in the hundreds and thousands, as on the square
    return swings;
}

void BM_GannProjectionThroughWindow(benchmark::State& state)
{
    const std::vector<Swing> swings = WalkSwings();
    auto gann = std::make_unique<GannState>();
    LoadGannState(*gann, Layout::Large, Today, 0);
    GannProjection g;
    size_t i = 0;
    for (auto _ : state) {
        const Swing& s = swings[i++ % swings.size()];
        benchmark::DoNotOptimize(ProjectGann(s, ScaleForPrice({}, s.price), Today, Layout::Large, *gann, g));
    }
}
BENCHMARK(BM_GannProjectionThroughWindow)->Unit(benchmark::kMicrosecond);

void BM_GannProjectionThroughCache(benchmark::State& state)
{
    const std::vector<Swing> swings = WalkSwings();
    const GannLevelCache cache(Today, swings.front().date, swings.back().date);
    GannProjection g;
    for (const Swing& s : swings)
        cache.project(s, ScaleForPrice({}, s.price), g);
    size_t i = 0;
    for (auto _ : state) {
        const Swing& s = swings[i++ % swings.size()];
        benchmark::DoNotOptimize(cache.project(s, ScaleForPrice({}, s.price), g));
    }
}
BENCHMARK(BM_GannProjectionThroughCache)->Unit(benchmark::kMicrosecond);

// Not a speed: how often the p-values fall below 0.05 on random walks, where nothing
// is there to find (about 5 % of them should), per method and measure, over
// state.range(0) walks of 1,500 days, each against 199 surrogates.
void BM_RandomWalkCalibration(benchmark::State& state)
{
    EvidenceRequest request;
    request.ratios = *HistoryRatios::fromFibRatios(DefaultRatios);
    request.today = Today;
    request.settings.draws = 199;
    request.swingRule = [](const PriceHistory& h) { return FindSwings(h, DefaultSwingThreshold); };
    std::array<int, 2 * ProjectionMethodCount> below{};
    int walks = 0;
    for (auto _ : state) {
        for (int w = 0; w < state.range(0); ++w, ++walks) {
            QRandomGenerator random(quint32(5000 + walks));
            PriceHistory h;
            double close = 100;
            for (int i = 0; i < 1500; ++i) {
                const double u1 = random.generateDouble() + 1e-12, u2 = random.generateDouble();
                close *= std::exp(0.01 * std::sqrt(-2 * std::log(u1)) * std::cos(6.283185307 * u2));
                h.bars.push_back({QDate(1990, 1, 1).addDays(i), close, NAN, NAN, NAN});
            }
            const Evidence e = MeasureEvidence({&h}, request).pooled;
            for (int m = 0; m < ProjectionMethodCount; ++m) {
                below[2 * m] += e.methods[m].price.pValue.value_or(1) < ChanceLevel;
                below[2 * m + 1] += e.methods[m].days.pValue.value_or(1) < ChanceLevel;
            }
        }
    }
    for (int m = 0; m < ProjectionMethodCount; ++m) {
        const std::string name = MethodKey(ProjectionMethod(m)).replace(QLatin1Char(' '), QLatin1Char('_')).toStdString();
        state.counters[name + "_price"] = double(below[2 * m]) / walks;
        state.counters[name + "_days"] = double(below[2 * m + 1]) / walks;
    }
}
BENCHMARK(BM_RandomWalkCalibration)->Arg(400)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
