#include "forms/history/core/evidence.h"

#include "forms/gann/core/ganncalc.h"
#include "modules/dates.h"
#include "modules/numbers.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

namespace {

QString Percent(double fraction) { return QString::number(100 * fraction, 'f', 1) + QLatin1Char('%'); }

// The errors of every projection of one kind, summed up at the end.
class ErrorTally {
public:
    void add(double priceError, double daysOff)
    {
        m_price.push_back(priceError);
        m_days.push_back(daysOff);
    }

    ProjectionScore score() const
    {
        ProjectionScore s;
        s.count = int(m_price.size());
        if (s.count == 0)
            return s;
        s.medianPriceError = Median(m_price);
        s.medianDaysOff = Median(m_days);
        s.shareWithinPrice = Share(m_price, CloseEnoughPrice);
        s.shareWithinDays = Share(m_days, CloseEnoughDays);
        return s;
    }

private:
    static double Median(std::vector<double> v)
    {
        std::sort(v.begin(), v.end());
        const size_t n = v.size();
        return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    }
    static double Share(const std::vector<double>& v, double limit)
    {
        return double(std::count_if(v.begin(), v.end(), [limit](double e) { return e <= limit; })) / v.size();
    }

    std::vector<double> m_price, m_days;
};

double NearestPrice(const std::vector<double>& levels, double target)
{
    double best = std::numeric_limits<double>::infinity();
    for (const double level : levels)
        best = std::min(best, std::abs(target - level));
    return best;
}

double NearestDate(const std::vector<QDate>& dates, const QDate& target)
{
    double best = std::numeric_limits<double>::infinity();
    for (const QDate& d : dates)
        best = std::min(best, double(std::abs(DaysBetween(d, target))));
    return best;
}

void TallyFibonacci(const Swing& a, const Swing& b, const Swing& c, const FibRatios& ratios,
                    const QDate& today, ErrorTally& tally)
{
    FibonacciState state;
    if (ProjectFibonacci(a, b, today, ratios, state))
        return;
    const std::vector<double> prices(state.PotentialPrice.begin() + 1, state.PotentialPrice.begin() + 4);
    const std::vector<QDate> dates(state.PotentialDate.begin() + 1,
                                   state.PotentialDate.begin() + 1 + state.DateLevelCount);
    tally.add(NearestPrice(prices, c.close) / std::abs(b.close - a.close), NearestDate(dates, c.date));
}

void TallyGann(const Swing& b, const Swing& c, const PriceScaleChoice& scale, const QDate& today,
               GannState& state, ErrorTally& tally)
{
    GannProjection g;
    if (ProjectGann(b, ScaleForPrice(scale, b.close), today, Layout::Large, state, g))
        return;
    std::vector<double> levels = g.highs;
    levels.insert(levels.end(), g.lows.begin(), g.lows.end());
    if (levels.empty() || g.dates.empty())
        return;
    tally.add(NearestPrice(levels, c.close) / b.close, NearestDate(g.dates, c.date));
}

}  // namespace

Evidence MeasureEvidence(const std::vector<Swing>& swings, const FibRatios& ratios,
                         const PriceScaleChoice& scale, const QDate& today)
{
    const std::vector<Swing> s = ConfirmedSwings(swings);
    ErrorTally fibonacci, baseline, gann;
    for (size_t i = 2; i < s.size(); ++i) {
        TallyFibonacci(s[i - 2], s[i - 1], s[i], ratios, today, fibonacci);
        TallyFibonacci(s[i - 2], s[i - 1], s[i], BaselineRatios, today, baseline);
    }
    auto state = std::make_unique<GannState>();
    LoadGannState(*state, Layout::Large, today, 0);
    for (size_t i = 1; i < s.size(); ++i)
        TallyGann(s[i - 1], s[i], scale, today, *state, gann);
    return {fibonacci.score(), baseline.score(), gann.score()};
}

namespace {

// "Fibonacci prices came closer than evenly spaced ratios (median error 1.2% against 3.4%)."
// A tie counts against Fibonacci: it has to earn its place.
QString Verdict(const QString& what, double fibonacciError, double baselineError, const QString& measures)
{
    const QString outcome = fibonacciError >= baselineError ? QStringLiteral("did no better than")
                                                            : QStringLiteral("came closer than");
    return QStringLiteral("Fibonacci %1 %2 evenly spaced ratios (%3).").arg(what, outcome, measures);
}

}  // namespace

QStringList EvidenceVerdicts(const Evidence& e)
{
    const ProjectionScore& f = e.fibonacci;
    const ProjectionScore& b = e.baseline;
    if (f.count == 0)
        return {QStringLiteral("Fewer than three confirmed swings: there is nothing to measure yet.")};
    const auto days = [](double x) { return QString::number(x, 'f', 1) + QStringLiteral(" days"); };
    return {Verdict(QStringLiteral("prices"), f.medianPriceError, b.medianPriceError,
                    QStringLiteral("median error %1 against %2")
                        .arg(Percent(f.medianPriceError), Percent(b.medianPriceError))),
            Verdict(QStringLiteral("dates"), f.medianDaysOff, b.medianDaysOff,
                    QStringLiteral("median %1 off against %2").arg(days(f.medianDaysOff), days(b.medianDaysOff)))};
}

namespace {

QStringList ScoreCells(const ProjectionScore& s)
{
    if (s.count == 0)
        return {QStringLiteral("0"), QString(), QString(), QString(), QString()};
    return {QString::number(s.count), Percent(s.medianPriceError), Percent(s.shareWithinPrice),
            QString::number(s.medianDaysOff, 'f', 1), Percent(s.shareWithinDays)};
}

QString RatioNames(const FibRatios& r)
{
    return QStringLiteral("%1 / %2 / %3").arg(GeneralNumber(r.r1), GeneralNumber(r.r2), GeneralNumber(r.r3));
}

}  // namespace

QStringList EvidenceColumns()
{
    return {QStringLiteral("Count"), QStringLiteral("Median price error"),
            QStringLiteral("Within %1%").arg(CloseEnoughPrice * 100), QStringLiteral("Median days off"),
            QStringLiteral("Within %1 days").arg(CloseEnoughDays)};
}

std::vector<EvidenceRow> EvidenceTable(const Evidence& e, const FibRatios& ratios)
{
    return {{QStringLiteral("Fibonacci ") + RatioNames(ratios), ScoreCells(e.fibonacci)},
            {QStringLiteral("Evenly spaced ") + RatioNames(BaselineRatios), ScoreCells(e.baseline)},
            {QStringLiteral("Gann Square of Nine"), ScoreCells(e.gann)}};
}
