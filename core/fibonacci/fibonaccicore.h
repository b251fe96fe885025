#pragma once
#include "core/fibonacci/fibonaccidocument.h"
#include "core/settings/fibratios.h"
#include "core/numbers/dates.h"
#include "core/numbers/errors.h"
#include "core/numbers/modFunctions.h"
#include <QDate>
#include <QString>
#include <array>
#include <optional>

// Fibonacci projection without any window: two prices and two dates, measured against
// the program's three ratios, give three potential prices and three potential dates,
// plus the scale the price/time chart is drawn on. The window, the command-line tool,
// the report and the printout all work on one FibonacciState.

// A result that was never computed: no date at all, so it can never be taken for a
// real one (the pickers reach back to 1601) and prints as nothing.
inline QDate NeverComputedDate() { return QDate(); }

// Results of the last calculation; entry 0 of each array carries nothing.
struct FibonacciResults {
    std::array<double, 4> PotentialPrice{};   // [1..3] for FibRatio1..FibRatio3
    std::array<QDate, 4> PotentialDate;       // [1..DateLevelCount]
    qint16 DateLevelCount = 0;

    FibonacciResults() { PotentialDate.fill(NeverComputedDate()); }
};

// How the time axis is divided: projections of three months or more are ticked on whole
// months, shorter ones on whole days.
enum class DateTickUnit { Months, Days };
// "M" or "D", as the command-line tool reports the mode.
inline QString DateTickUnitCode(DateTickUnit unit)
{
    return unit == DateTickUnit::Days ? QStringLiteral("D") : QStringLiteral("M");
}

// The scale the price/time chart is drawn on. Each half is kept from earlier when a
// calculation has no prices (no dates).
struct FibonacciChartScale {
    double ChartMinPrice = 0;
    double ChartMaxPrice = 0;
    double PriceStep = 0;
    qint16 PriceSteps = 0;

    QDate ChartStartDate = NeverComputedDate();
    QDate ChartEndDate = NeverComputedDate();
    DateTickUnit DateAxisMode = DateTickUnit::Months;
    qint16 MonthStep = 0;
    qint16 MonthSteps = 0;
    qint16 DayStep = 0;
    qint16 DaySteps = 0;
};

// One Fibonacci analysis: the project it works on, what the last calculation found and
// the chart scale laid out for it.
struct FibonacciState {
    FibonacciDocument document;
    FibonacciResults results;
    FibonacciChartScale scale;
};

// Checks the inputs and stores them in `document`. Returns the message to show when they
// are rejected, std::nullopt when they are acceptable.
// The prices are stored before any check (a rejected calculation leaves the rejected
// prices behind, which Save and Export then see), the dates once the price checks pass,
// the name and notes only when everything passes. A price too large to calculate with
// is rejected before anything is stored.
std::optional<QString> ValidateInputs(const FibonacciInputs& inputs, const QDate& today,
                                      FibonacciDocument& document);

// The projection for validated inputs: potential prices and the price scale when both
// prices are given, potential dates and the time scale when both dates are given; the
// half that is missing keeps its earlier values. Throws CalcError (a date past
// 12/31/9999, a count beyond 16 bits, a zero step from odd ratios) and then leaves
// `state` exactly as it was.
void Calculate(FibonacciState& state, const FibRatios& ratios);

// The Calculate button: ValidateInputs, then the projection. Rejected with the check's
// message (the state keeps what the check stored), failed with the sentence of a
// calculation that cannot go on (the state is then exactly as before the call).
CalcOutcome CalculateFibonacci(const FibonacciInputs& inputs, const QDate& today, const FibRatios& ratios,
                               FibonacciState& state);

// The two halves of the chart scale, for states whose potential values are in place.
void ComputePriceScale(FibonacciState& state);
void ComputeTimeScale(FibonacciState& state);
