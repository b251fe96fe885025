#include "core/fibonacci/fibonaccicore.h"
#include "core/numbers/errors.h"
#include "core/numbers/modFunctions.h"
#include "core/numbers/numbers.h"
#include <cmath>

namespace {

const QString PricesTooFarApart = QStringLiteral(
    "Enter prices closer together: the chart cannot show this price range.");
const QString DatesTooFarApart = QStringLiteral(
    "Choose dates closer together: the chart cannot show more than 32767 months or days.");
const QString OddRatios = QStringLiteral(
    "Check the Fibonacci ratios: with these ratios the time axis cannot be laid out.");

// Date plus a whole number of days given as a double. Offsets far beyond the calendar
// are cut to one that is still beyond it, so the date arithmetic reports the range
// error instead of the conversion overflowing.
QDate AddWholeDays(const QDate& date, double days)
{
    const double limit = 4.0e6;   // more days than the years 100..9999 hold
    if (std::isnan(days)) throw CalcError(OddRatios);
    if (days > limit) days = limit;
    if (days < -limit) days = -limit;
    return AddDays(date, static_cast<qint64>(days));
}

}  // namespace

std::optional<QString> ValidateInputs(const FibonacciInputs& in, const QDate& today,
                                      FibonacciDocument& state)
{
    bool tooLarge1 = false;
    bool tooLarge2 = false;
    const double p1 = ReadLeadingNumber(in.Price1Text, &tooLarge1);
    const double p2 = ReadLeadingNumber(in.Price2Text, &tooLarge2);
    if (tooLarge1 || tooLarge2)
        return QStringLiteral("Enter a smaller price: this one is too large to calculate with.");

    state.Price1 = p1;
    state.Price2 = p2;
    if ((state.Price1 == 0) != (state.Price2 == 0))
        return QStringLiteral("Either both or none of the prices should be entered");
    if (state.Price1 != 0 && state.Price1 == state.Price2)
        return QStringLiteral("Both prices can't be the same");

    // A picker always shows some date; leaving both at today is how the trader says
    // "no dates". Once one has been moved, the other counts even if it shows today.
    if (in.Picker1 == today && in.Picker2 == today) {
        state.Date1 = NullDate();
        state.Date2 = NullDate();
    } else {
        state.Date1 = in.Picker1;
        state.Date2 = in.Picker2;
    }
    if (IsNullDate(state.Date1) != IsNullDate(state.Date2))
        return QStringLiteral("Either both or none of the dates should be entered");
    if (!IsNullDate(state.Date1) && DaysBetween(state.Date1, state.Date2) < 1)
        return QStringLiteral("Date2 should be greater than Date1");
    if (state.Price1 == 0 && IsNullDate(state.Date1))
        return QStringLiteral("No input specified");

    state.ProjectName = TrimBlanks(in.ProjectText);
    state.Notes = TrimBlanks(in.NotesText);
    return std::nullopt;
}

void ComputePriceScale(FibonacciState& state)
{
    const FibonacciDocument& in = state.document;
    const FibonacciResults& r = state.results;
    FibonacciChartScale& s = state.scale;
    double hi = std::max(in.Price1, in.Price2);
    double lo = std::min(in.Price1, in.Price2);
    for (int i = 1; i <= 3; ++i) {
        if (r.PotentialPrice[i] > hi) hi = r.PotentialPrice[i];
        if (r.PotentialPrice[i] < lo) lo = r.PotentialPrice[i];
    }

    // Ticks fall on a power of ten just below the range; a range of fewer than three
    // such units would give too few ticks, so go one power lower.
    qint16 e = ToInt16OrThrow(IntFloor(std::log(hi - lo) / std::log(10.0)), PricesTooFarApart);
    if (IntFloor((hi - lo) / std::pow(10.0, e)) < 3) e = ToInt16OrThrow(e - 1.0, PricesTooFarApart);
    const double unit = std::pow(10.0, e);

    s.ChartMaxPrice = (IntFloor(RoundTo2(hi / unit)) + 1) * unit;
    s.ChartMinPrice = (IntFloor(RoundTo2(lo / unit)) - 1) * unit;
    if (s.ChartMinPrice < 0) s.ChartMinPrice = 0;

    s.PriceStep = unit;
    s.PriceSteps = ToInt16OrThrow((s.ChartMaxPrice - s.ChartMinPrice) / s.PriceStep, PricesTooFarApart);
    // More than 15 ticks crowd the axis: use every second one. The top is not moved,
    // so the last tick may lie a little above the axis.
    if (s.PriceSteps > 15) {
        s.PriceStep = 2 * s.PriceStep;
        s.PriceSteps = ToInt16OrThrow((s.ChartMaxPrice - s.ChartMinPrice) / s.PriceStep, PricesTooFarApart);
    }
}

void ComputeTimeScale(FibonacciState& state)
{
    const QDate first = state.document.Date1;
    const QDate last = state.results.PotentialDate[3];
    FibonacciChartScale& s = state.scale;
    const qint16 months = ToInt16OrThrow(double(MonthsBetween(first, last)), DatesTooFarApart);

    if (months >= 3) {
        // Long projections: ticks on the first of the month, starting a month early.
        s.DateAxisMode = DateTickUnit::Months;
        s.MonthStep = ToInt16OrThrow(IntFloor(months / 10.0) + 1, DatesTooFarApart);
        s.MonthSteps = ToInt16OrThrow(IntFloor(double(months) / s.MonthStep) + 2, DatesTooFarApart);
        s.ChartStartDate = AddMonths(QDate(first.year(), first.month(), 1), -1);
        s.ChartEndDate = AddMonths(
            s.ChartStartDate,
            ToInt16OrThrow(double(s.MonthSteps) * s.MonthStep, DatesTooFarApart));
        return;
    }

    // Short projections: ticks whole days apart, starting 10 % of the span early.
    s.DateAxisMode = DateTickUnit::Days;
    const qint16 days = ToInt16OrThrow(double(DaysBetween(first, last)), DatesTooFarApart);
    s.ChartStartDate = AddDaysRounded(first, days * -0.1);
    if (s.ChartStartDate == first) s.ChartStartDate = AddDays(first, -1);
    s.DayStep = ToInt16OrThrow(IntFloor(days * 1.2 / 10) + 1, DatesTooFarApart);
    if (s.DayStep == 0) throw CalcError(OddRatios);
    s.DaySteps = ToInt16OrThrow(IntFloor(days * 1.2 / s.DayStep) + 1, DatesTooFarApart);
    s.ChartEndDate = AddDays(s.ChartStartDate,
                             ToInt16OrThrow(double(s.DaySteps) * s.DayStep, DatesTooFarApart));
    // A level line on the very edge of the chart would be lost: push the end one tick on.
    if (s.ChartEndDate == last) {
        s.DaySteps = ToInt16OrThrow(s.DaySteps + 1.0, DatesTooFarApart);
        s.ChartEndDate = AddDays(s.ChartStartDate,
                                 ToInt16OrThrow(double(s.DaySteps) * s.DayStep, DatesTooFarApart));
    }
}

void Calculate(FibonacciState& state, const FibRatios& ratios)
{
    // Work on a copy so that a failure halfway leaves the window's results untouched.
    FibonacciState s = state;
    const double r[4] = {0, ratios.r1, ratios.r2, ratios.r3};

    const FibonacciDocument& in = s.document;
    FibonacciResults& out = s.results;

    if (in.HasPrices()) {
        // Retracement measured back from the second price towards the first.
        for (int i = 1; i <= 3; ++i) {
            out.PotentialPrice[i] = in.Price2 - (in.Price2 - in.Price1) * r[i];
            if (out.PotentialPrice[i] < 0) out.PotentialPrice[i] = 0;
        }
        ComputePriceScale(s);
    }

    if (in.HasDates()) {
        // Time projected forward from the second date by the ratio of the first swing.
        const double n = double(DaysBetween(in.Date1, in.Date2));
        for (int i = 1; i <= 3; ++i)
            out.PotentialDate[i] = AddWholeDays(in.Date2, IntFloor(n * r[i]));
        out.DateLevelCount = 3;
        ComputeTimeScale(s);
    }

    state = s;
}

CalcOutcome CalculateFibonacci(const FibonacciInputs& inputs, const QDate& today, const FibRatios& ratios,
                               FibonacciState& state)
{
    // The check stores the inputs as it reads them; a calculation that cannot go on
    // takes those back too.
    const FibonacciState before = state;
    if (const std::optional<QString> message = ValidateInputs(inputs, today, state.document))
        return {CalcOutcome::Rejected, *message};
    try {
        Calculate(state, ratios);
    } catch (const CalcError& e) {
        state = before;
        return {CalcOutcome::Failed, e.text};
    }
    return {};
}
