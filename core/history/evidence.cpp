#include "core/history/evidence.h"

#include "core/history/gannlevels.h"
#include "core/numbers/dates.h"

#include <QThread>
#include <QThreadPool>
#include <algorithm>
#include <array>
#include <limits>

namespace {

// The price errors and days off of one method's projections.
struct Errors {
    std::vector<double> price, days;

    void add(double priceError, double daysOff)
    {
        price.push_back(priceError);
        days.push_back(daysOff);
    }
    void append(const Errors& more)
    {
        price.insert(price.end(), more.price.begin(), more.price.end());
        days.insert(days.end(), more.days.begin(), more.days.end());
    }
    void clear()
    {
        price.clear();
        days.clear();
    }
};
using MethodErrors = std::array<Errors, ProjectionMethodCount>;
using Refusals = std::array<QString, ProjectionMethodCount>;

// The two medians of every method for one history, NAN where it had no projection.
using Medians = std::array<double, 2 * ProjectionMethodCount>;

Medians NoMedians()
{
    Medians m;
    m.fill(NAN);
    return m;
}

double Median(std::vector<double> v)
{
    if (v.empty())
        return NAN;
    const size_t half = v.size() / 2;
    std::nth_element(v.begin(), v.begin() + half, v.end());
    const double upper = v[half];
    if (v.size() % 2)
        return upper;
    return (*std::max_element(v.begin(), v.begin() + half) + upper) / 2;
}

Medians MediansOf(const MethodErrors& errors)
{
    Medians m;
    for (int k = 0; k < ProjectionMethodCount; ++k) {
        m[2 * k] = Median(errors[k].price);
        m[2 * k + 1] = Median(errors[k].days);
    }
    return m;
}

double NearestPrice(const std::vector<double>& levels, double target)
{
    double best = std::numeric_limits<double>::infinity();
    for (const double level : levels)
        best = std::min(best, std::abs(target - level));
    return best;
}

double NearestDays(const std::vector<QDate>& dates, const QDate& target)
{
    double best = std::numeric_limits<double>::infinity();
    for (const QDate& d : dates)
        best = std::min(best, double(std::abs(DaysBetween(d, target))));
    return best;
}

// What one thread keeps between its draws, so a draw allocates next to nothing.
struct DrawScratch {
    PriceHistory surrogate;
    MethodErrors file, pool;
};

// Runs task(0..count-1) on `threads` threads; each task writes only its own results.
void RunInParallel(int count, int threads, const std::atomic<bool>* cancel,
                   const std::function<void(int, DrawScratch&)>& task)
{
    std::atomic<int> next{0};
    const auto work = [&] {
        DrawScratch scratch;
        for (int i = next++; i < count && !(cancel && cancel->load()); i = next++)
            task(i, scratch);
    };
    QThreadPool pool;
    pool.setMaxThreadCount(threads);
    for (int t = 1; t < threads; ++t)
        pool.start(work);
    work();
    pool.waitForDone();
}

std::vector<std::vector<Swing>> RealSwings(const std::vector<const PriceHistory*>& histories, const SwingRule& rule)
{
    std::vector<std::vector<Swing>> swings;
    for (const PriceHistory* h : histories)
        swings.push_back(rule(*h));
    return swings;
}

// Everything a measurement needs, shared read-only by the threads.
struct Projector {
    const HistoryRatios& ratios;
    HistoryRatios evenlySpaced;
    PriceScaleChoice scale;
    GannLevelCache gann;

    // A long file has tens of thousands of swings, each with a date of its own: their
    // Square of Nine is worked out on every core before they are measured in order.
    void prepareGann(const std::vector<std::vector<Swing>>& files, int threads) const
    {
        std::vector<const Swing*> swings;
        for (const std::vector<Swing>& file : files) {
            for (const Swing& s : file)
                swings.push_back(&s);
        }
        constexpr int Chunk = 256;
        const int chunks = int((swings.size() + Chunk - 1) / Chunk);
        RunInParallel(chunks, std::max(1, std::min(threads, chunks)), nullptr, [&](int c, DrawScratch&) {
            GannProjection g;
            for (size_t i = size_t(c) * Chunk; i < std::min(swings.size(), size_t(c + 1) * Chunk); ++i)
                gann.project(*swings[i], ScaleForPrice(scale, swings[i]->price), g);
        });
    }

    // Every projection the confirmed swings allow, measured against the swing it points at.
    void measure(const std::vector<Swing>& swings, MethodErrors& errors, Refusals* refusals) const
    {
        for (Errors& e : errors)
            e.clear();
        std::vector<Swing> s;
        s.reserve(swings.size());
        std::copy_if(swings.begin(), swings.end(), std::back_inserter(s), [](const Swing& w) { return w.confirmed; });
        ProjectedLevels levels;
        GannProjection g;
        const auto refused = [refusals](ProjectionMethod m, const QString& why) {
            if (refusals && (*refusals)[size_t(m)].isEmpty())
                (*refusals)[size_t(m)] = why;
        };
        const auto retracement = [&](ProjectionMethod m, const HistoryRatios& r, const Swing& a, const Swing& b,
                                     const Swing& c) {
            if (const std::optional<QString> why = FibonacciLevels(a, b, r, levels))
                return refused(m, *why);
            errors[size_t(m)].add(NearestPrice(levels.prices, c.price) / std::abs(b.price - a.price),
                                  NearestDays(levels.dates, c.date));
        };
        for (size_t i = 1; i < s.size(); ++i) {
            const Swing& c = s[i];
            if (const std::optional<QString> why = gann.project(s[i - 1], ScaleForPrice(scale, s[i - 1].price), g)) {
                refused(ProjectionMethod::Gann, *why);
            } else {
                g.highs.insert(g.highs.end(), g.lows.begin(), g.lows.end());
                if (!g.highs.empty() && !g.dates.empty())
                    errors[size_t(ProjectionMethod::Gann)].add(NearestPrice(g.highs, c.price) / s[i - 1].price,
                                                               NearestDays(g.dates, c.date));
            }
            if (i < 2)
                continue;
            retracement(ProjectionMethod::Fibonacci, ratios, s[i - 2], s[i - 1], c);
            retracement(ProjectionMethod::EvenlySpaced, evenlySpaced, s[i - 2], s[i - 1], c);
            if (i < 3)
                continue;
            const Swing &a = s[i - 3], &b = s[i - 2];
            if (const std::optional<QString> why = ExtensionLevels(a, b, s[i - 1], ratios, levels))
                refused(ProjectionMethod::Extension, *why);
            else
                errors[size_t(ProjectionMethod::Extension)].add(NearestPrice(levels.prices, c.price) / std::abs(b.price - a.price),
                                                                NearestDays(levels.dates, c.date));
        }
    }
};

double Share(const std::vector<double>& errors, double limit)
{
    if (errors.empty())
        return NAN;
    return double(std::count_if(errors.begin(), errors.end(), [limit](double e) { return e <= limit; })) / errors.size();
}

// The real errors against the surrogates' medians of the same measure.
MeasureAgainstChance Compare(const std::vector<double>& errors, double limit, const std::vector<Medians>& draws,
                             size_t slot)
{
    MeasureAgainstChance m;
    m.median = Median(errors);
    m.within = Share(errors, limit);
    for (const Medians& d : draws) {
        if (!std::isnan(d[slot]))
            m.nullMedians.push_back(d[slot]);
    }
    m.nullMedian = Median(m.nullMedians);
    if (!std::isnan(m.median) && !m.nullMedians.empty()) {
        const auto atMost = std::count_if(m.nullMedians.begin(), m.nullMedians.end(),
                                          [&m](double x) { return x <= m.median; });
        m.pValue = double(1 + atMost) / double(1 + m.nullMedians.size());
    }
    return m;
}

Evidence Summarise(const QString& label, const EvidenceRequest& request, const MethodErrors& real,
                   const Refusals& refusals, const std::vector<Medians>& draws)
{
    Evidence e{label, request.settings, request.ratios, {}};
    for (int k = 0; k < ProjectionMethodCount; ++k) {
        MethodEvidence m;
        m.method = ProjectionMethod(k);
        m.count = int(real[k].price.size());
        m.price = Compare(real[k].price, CloseEnoughPrice, draws, 2 * k);
        m.days = Compare(real[k].days, CloseEnoughDays, draws, 2 * k + 1);
        m.refusal = refusals[k];
        e.methods.push_back(std::move(m));
    }
    return e;
}

}  // namespace

QString MethodName(ProjectionMethod method)
{
    switch (method) {
    case ProjectionMethod::Fibonacci: return QStringLiteral("Fibonacci");
    case ProjectionMethod::EvenlySpaced: return QStringLiteral("Evenly spaced");
    case ProjectionMethod::Gann: return QStringLiteral("Gann Square of Nine");
    case ProjectionMethod::Extension: return QStringLiteral("3-point extension");
    }
    return {};
}

QString MethodKey(ProjectionMethod method)
{
    switch (method) {
    case ProjectionMethod::Fibonacci: return QStringLiteral("fibonacci");
    case ProjectionMethod::EvenlySpaced: return QStringLiteral("evenly spaced");
    case ProjectionMethod::Gann: return QStringLiteral("gann");
    case ProjectionMethod::Extension: return QStringLiteral("extension");
    }
    return {};
}

namespace {

// The first and the last day of all the files: the days the surrogates' swings fall on.
std::pair<QDate, QDate> DaysSpanned(const std::vector<const PriceHistory*>& histories)
{
    QDate first, last;
    for (const PriceHistory* h : histories) {
        if (h->bars.empty())
            continue;
        first = first.isValid() ? std::min(first, h->bars.front().date) : h->bars.front().date;
        last = last.isValid() ? std::max(last, h->bars.back().date) : h->bars.back().date;
    }
    return {first, last};
}

struct RealErrors {
    std::vector<MethodErrors> files;
    std::vector<Refusals> refusals;
    MethodErrors pool;
    Refusals poolRefusals;
};

RealErrors MeasureReal(const Projector& projector, const std::vector<std::vector<Swing>>& swings, int threads)
{
    projector.prepareGann(swings, threads);
    RealErrors real{std::vector<MethodErrors>(swings.size()), std::vector<Refusals>(swings.size()), {}, {}};
    for (size_t f = 0; f < swings.size(); ++f) {
        projector.measure(swings[f], real.files[f], &real.refusals[f]);
        for (int k = 0; k < ProjectionMethodCount; ++k) {
            real.pool[k].append(real.files[f][k]);
            if (real.poolRefusals[k].isEmpty())
                real.poolRefusals[k] = real.refusals[f][k];
        }
    }
    return real;
}

// Each draw's medians, file by file and pooled; a draw never made (cancelled) has none.
struct DrawnMedians {
    std::vector<std::vector<Medians>> files;
    std::vector<Medians> pool;
};

// Draw d of the pool is draw d of every file, its projections taken together.
DrawnMedians DrawSurrogates(const Projector& projector, const std::vector<const PriceHistory*>& histories,
                            const EvidenceRequest& request, int threads)
{
    const size_t draws = size_t(std::clamp(request.settings.draws, 0, MaxDraws));
    const size_t files = histories.size();
    std::vector<SurrogateSource> sources;
    for (size_t f = 0; f < files && draws > 0; ++f)
        sources.emplace_back(*histories[f]);
    DrawnMedians drawn{std::vector<std::vector<Medians>>(files, std::vector<Medians>(draws, NoMedians())),
                       std::vector<Medians>(draws, NoMedians())};
    const EvidenceSettings& s = request.settings;
    RunInParallel(int(draws), std::max(1, std::min(threads, int(draws))), request.cancel, [&](int d, DrawScratch& scratch) {
        for (Errors& e : scratch.pool)
            e.clear();
        for (size_t f = 0; f < files; ++f) {
            sources[f].draw(s.blockDays, s.seed, quint64(d), f, scratch.surrogate);
            projector.measure(request.swingRule(scratch.surrogate), scratch.file, nullptr);
            drawn.files[f][size_t(d)] = MediansOf(scratch.file);
            for (int k = 0; k < ProjectionMethodCount; ++k)
                scratch.pool[k].append(scratch.file[k]);
        }
        drawn.pool[size_t(d)] = MediansOf(scratch.pool);
    });
    return drawn;
}

}  // namespace

PooledEvidence MeasureEvidence(const std::vector<const PriceHistory*>& histories, const EvidenceRequest& request)
{
    const auto [first, last] = DaysSpanned(histories);
    const Projector projector{request.ratios, HistoryRatios::evenlySpaced(request.ratios.count()), request.scale,
                              GannLevelCache(request.today, first, last)};
    const int threads = request.settings.threads > 0 ? request.settings.threads : QThread::idealThreadCount();
    const RealErrors real = MeasureReal(projector, RealSwings(histories, request.swingRule), threads);
    const DrawnMedians drawn = DrawSurrogates(projector, histories, request, threads);

    PooledEvidence result;
    for (size_t f = 0; f < histories.size(); ++f)
        result.files.push_back(Summarise(histories[f]->fileName, request, real.files[f], real.refusals[f], drawn.files[f]));
    result.pooled = histories.size() == 1
                        ? result.files.front()
                        : Summarise(QStringLiteral("all files"), request, real.pool, real.poolRefusals, drawn.pool);
    return result;
}

namespace {

QString Percent(double fraction)
{
    return std::isnan(fraction) ? QString() : QString::number(100 * fraction, 'f', 1) + QLatin1Char('%');
}
QString Days(double days) { return std::isnan(days) ? QString() : QString::number(days, 'f', 1); }
QString PValue(const std::optional<double>& p) { return p ? QString::number(*p, 'f', 3) : QString(); }

// How many consecutive confirmed swings one projection and its test take.
int SwingsNeeded(ProjectionMethod m)
{
    switch (m) {
    case ProjectionMethod::Gann: return 2;
    case ProjectionMethod::Extension: return 4;
    default: return 3;
    }
}

QString Outcome(const MeasureAgainstChance& m)
{
    return QStringLiteral("%1 (p = %2)")
        .arg(m.beatsChance() ? QStringLiteral("came closer than chance") : QStringLiteral("did no better than chance"),
             PValue(m.pValue));
}

QString Verdict(const MethodEvidence& m, const EvidenceSettings& settings)
{
    const QString name = MethodName(m.method);
    if (m.count == 0 && !m.refusal.isEmpty())
        return QStringLiteral("%1: nothing measured: %2").arg(name, m.refusal);
    if (m.count == 0)
        return QStringLiteral("%1: nothing to measure yet: it needs %2 confirmed swings in a row.")
            .arg(name).arg(SwingsNeeded(m.method));
    if (m.count < FewestToTell)
        return QStringLiteral("%1: too few swings to tell (%2 measured; at least %3 are needed).")
            .arg(name, m.count == 1 ? QStringLiteral("1 projection") : QStringLiteral("%1 projections").arg(m.count))
            .arg(FewestToTell);
    if (settings.draws == 0)
        return QStringLiteral("%1: no surrogate histories were drawn, so nothing to compare with chance.").arg(name);
    if (!m.price.pValue)
        return QStringLiteral("%1: no surrogate history had swings enough to compare with.").arg(name);
    return QStringLiteral("%1: its prices %2; its dates %3.").arg(name, Outcome(m.price), Outcome(m.days));
}

}  // namespace

QStringList EvidenceVerdicts(const Evidence& evidence)
{
    QStringList verdicts;
    for (const MethodEvidence& m : evidence.methods)
        verdicts << Verdict(m, evidence.settings);
    return verdicts;
}

std::vector<EvidenceTable> EvidenceTables(const Evidence& evidence)
{
    EvidenceTable price{QStringLiteral("Price"),
                        {QStringLiteral("Count"), QStringLiteral("Median error"), QStringLiteral("By chance"),
                         QStringLiteral("p-value"), QStringLiteral("Within %1%").arg(CloseEnoughPrice * 100)},
                        {}};
    EvidenceTable time{QStringLiteral("Time"),
                       {QStringLiteral("Count"), QStringLiteral("Median days off"), QStringLiteral("By chance"),
                        QStringLiteral("p-value"), QStringLiteral("Within %1 days").arg(CloseEnoughDays)},
                       {}};
    for (const MethodEvidence& m : evidence.methods) {
        const QString count = QString::number(m.count);
        price.rows.push_back({MethodName(m.method),
                              {count, Percent(m.price.median), Percent(m.price.nullMedian), PValue(m.price.pValue),
                               Percent(m.price.within)}});
        time.rows.push_back({MethodName(m.method),
                             {count, Days(m.days.median), Days(m.days.nullMedian), PValue(m.days.pValue),
                              Percent(m.days.within)}});
    }
    return {price, time};
}
