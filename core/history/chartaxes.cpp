#include "core/history/chartaxes.h"

#include "core/numbers/dates.h"
#include "core/numbers/numbers.h"

#include <QDate>
#include <algorithm>
#include <cmath>

namespace {

constexpr double SinglePriceShare = 0.02;

double Pow10(int e) { return std::pow(10.0, e); }

// The ticks k x step between low and high; step = mantissa x 10^e, computed so that
// 0.1 x 3 gives 0.3 and not 0.30000000000000004 before it is printed.
std::vector<AxisTick> StepTicks(double low, double high, double mantissa, int e)
{
    const double step = mantissa * Pow10(e);
    const int decimals = std::max(0, -e + (mantissa == 2.5 ? 1 : 0));
    std::vector<AxisTick> ticks;
    for (double k = std::ceil(low / step); k * step <= high; ++k) {
        const double value = e >= 0 ? k * mantissa * Pow10(e) : k * mantissa / Pow10(-e);
        ticks.push_back({value, QString::number(value, 'f', decimals)});
    }
    return ticks;
}

qint64 StepCount(double low, double high, double step)
{
    return qint64(std::floor(high / step) - std::ceil(low / step)) + 1;
}

// Log axis: m x 10^k for each mantissa m of the set, within [low, high].
std::vector<AxisTick> MantissaTicks(double low, double high, const std::vector<double>& mantissas, int decadeStep)
{
    std::vector<AxisTick> ticks;
    const int first = int(std::floor(std::log10(low)));
    const int last = int(std::ceil(std::log10(high)));
    for (int e = first; e <= last; ++e) {
        if (e % decadeStep != 0)
            continue;
        for (const double m : mantissas) {
            const double value = e >= 0 ? m * Pow10(e) : m / Pow10(-e);
            if (value >= low && value <= high)
                ticks.push_back({value, GeneralNumber(value)});
        }
    }
    return ticks;
}

enum class DateUnit { Day, Month, Year };

struct DateStep {
    DateUnit unit;
    int count;
    int shortestDays;   // the fewest days between two of its labels
};

const DateStep DateSteps[] = {
    {DateUnit::Day, 1, 1},         {DateUnit::Day, 2, 2},           {DateUnit::Day, 7, 7},
    {DateUnit::Day, 14, 14},       {DateUnit::Month, 1, 28},        {DateUnit::Month, 2, 59},
    {DateUnit::Month, 3, 89},      {DateUnit::Month, 6, 181},       {DateUnit::Year, 1, 365},
    {DateUnit::Year, 2, 730},      {DateUnit::Year, 5, 1826},       {DateUnit::Year, 10, 3652},
    {DateUnit::Year, 20, 7305},    {DateUnit::Year, 50, 18262},     {DateUnit::Year, 100, 36524},
    {DateUnit::Year, 200, 73048},  {DateUnit::Year, 500, 182621},   {DateUnit::Year, 1000, 365242},
    {DateUnit::Year, 2000, 730485}};

QString MonthLabel(const QDate& d)
{
    static const char* const names[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    return QStringLiteral("%1 %2").arg(QLatin1String(names[d.month() - 1])).arg(d.year());
}

// Every date of the step from `from` to `to` (Julian days), labelled. Day steps count
// from Julian day 0, a Monday, so weeks start on Mondays and a label keeps its day as
// the view pans.
std::vector<DateTick> StepDates(const DateStep& step, qint64 from, qint64 to)
{
    std::vector<DateTick> ticks;
    if (step.unit == DateUnit::Day) {
        for (qint64 d = (from + step.count - 1) / step.count * step.count; d <= to; d += step.count)
            ticks.push_back({d, FormatShortDate(QDate::fromJulianDay(d))});
        return ticks;
    }
    const QDate start = QDate::fromJulianDay(from);
    const int months = step.unit == DateUnit::Month ? step.count : 12 * step.count;
    int index = start.year() * 12 + start.month() - 1;
    index = (index + months - 1) / months * months;
    for (;; index += months) {
        const QDate d(index / 12, index % 12 + 1, 1);
        if (!d.isValid() || d.toJulianDay() > to)
            break;
        if (d.toJulianDay() >= from)
            ticks.push_back({d.toJulianDay(), step.unit == DateUnit::Month ? MonthLabel(d) : QString::number(d.year())});
    }
    return ticks;
}

}  // namespace

PriceSpan PriceAxisRange(const PriceSpan& visible, bool logarithmic, double spareShare)
{
    PriceSpan r = visible;
    if (r.empty())
        return r;
    if (!(r.high > r.low)) {
        r.low *= 1 - SinglePriceShare;
        r.high *= 1 + SinglePriceShare;
    }
    // The prices take what the spare room leaves of the axis.
    const double grow = spareShare / (1 - 2 * spareShare);
    if (logarithmic && r.low > 0) {
        const double spare = std::pow(r.high / r.low, grow);
        r.low /= spare;
        r.high *= spare;
    } else {
        const double spare = (r.high - r.low) * grow;
        r.low = visible.low >= 0 ? std::max(0.0, r.low - spare) : r.low - spare;
        r.high += spare;
    }
    return r;
}

std::vector<AxisTick> PriceTicks(double low, double high, int minCount)
{
    if (!(high > low))
        return {};
    // Widest first: 5, 2.5, 2 and 1 times the power of ten below the range, then below that.
    const int top = int(std::floor(std::log10(high - low)));
    for (int e = top; e >= top - 3; --e) {
        for (const double mantissa : {5.0, 2.5, 2.0, 1.0}) {
            if (StepCount(low, high, mantissa * Pow10(e)) >= minCount)
                return StepTicks(low, high, mantissa, e);
        }
    }
    return {};
}

std::vector<AxisTick> LogPriceTicks(double low, double high, int minCount)
{
    if (!(low > 0) || !(high > low))
        return {};
    for (const int decades : {3, 2, 1}) {
        std::vector<AxisTick> ticks = MantissaTicks(low, high, {1}, decades);
        if (int(ticks.size()) >= minCount)
            return ticks;
    }
    for (const std::vector<double>& mantissas :
         {std::vector<double>{1, 3}, {1, 2, 5}, {1, 1.5, 2, 3, 4, 5, 7}}) {
        std::vector<AxisTick> ticks = MantissaTicks(low, high, mantissas, 1);
        if (int(ticks.size()) >= minCount)
            return ticks;
    }
    return PriceTicks(low, high, minCount);
}

QString PriceText(double price)
{
    const int whole = price > 0 ? int(std::floor(std::log10(price))) + 1 : 1;
    return QString::number(price, 'f', std::clamp(4 - whole, 2, 10));
}

std::vector<DateTick> DateTicks(const TimeWindow& view, const std::function<double(const QString&)>& labelWidth,
                                double gap)
{
    // The days whose bars would lie in view.
    qint64 from = qint64(std::floor(view.firstDay)) - 1, to = qint64(std::ceil(view.lastDay)) + 1;
    while (view.column(from) < 0)
        ++from;
    while (to >= from && view.column(to) >= view.width)
        --to;
    if (to < from)
        return {};
    const double perDay = view.pixelsPerDay();
    std::vector<DateTick> widest;
    for (const DateStep& step : DateSteps) {
        // A step whose labels could not keep apart even one character wide is not tried.
        if (step.shortestDays * perDay < gap + 6)
            continue;
        std::vector<DateTick> ticks = StepDates(step, from, to);
        double width = 0;
        for (const DateTick& t : ticks)
            width = std::max(width, labelWidth(t.text));
        if (step.shortestDays * perDay >= width + gap)
            return ticks;
        widest = std::move(ticks);
    }
    return widest;
}

std::vector<int> HistogramCounts(const std::vector<double>& values, double low, double high, int bins)
{
    std::vector<int> counts(size_t(std::max(bins, 1)), 0);
    const double width = (high - low) / double(counts.size());
    for (const double v : values) {
        if (!(v >= low && v <= high))
            continue;
        const int bin = width > 0 ? int((v - low) / width) : 0;
        ++counts[size_t(std::min(bin, int(counts.size()) - 1))];
    }
    return counts;
}
