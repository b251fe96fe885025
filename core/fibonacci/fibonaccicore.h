#pragma once
#include "core/settings/fibratios.h"
#include "core/numbers/dates.h"
#include "core/numbers/errors.h"
#include "core/numbers/modFunctions.h"
#include <QDate>
#include <QString>
#include <array>
#include <optional>

// Fibonacci projection without any window: two prices and two dates, measured against
// the three program-wide ratios, give three potential prices and three potential dates,
// plus the scale the price/time chart is drawn on. The window, the command-line tool,
// the report and the printout all work on one FibonacciState.

// A result that was never computed: no date at all, so it can never be taken for a
// real one (the pickers reach back to 1601) and prints as nothing.
inline QDate NeverComputedDate() { return QDate(); }

struct FibonacciState {
    // The document's inputs. A price of 0 and the null date mean "not entered".
    double Price1 = 0;
    double Price2 = 0;
    QDate Date1 = NullDate();
    QDate Date2 = NullDate();
    QString ProjectName;   // trimmed text of the project name box ("" or a real name)
    QString Notes;         // trimmed notes, lines joined by CR LF

    // Results of the last calculation; entry 0 of each array carries nothing.
    std::array<double, 4> PotentialPrice{};   // [1..3] for FibRatio1..FibRatio3
    std::array<QDate, 101> PotentialDate;     // [1..DateLevelCount]
    qint16 DateLevelCount = 0;

    // Price half of the chart scale (kept from earlier when a calculation has no prices).
    double ChartMinPrice = 0;
    double ChartMaxPrice = 0;
    double PriceStep = 0;
    qint16 PriceSteps = 0;

    // Time half of the chart scale (kept from earlier when a calculation has no dates).
    QDate ChartStartDate = NeverComputedDate();
    QDate ChartEndDate = NeverComputedDate();
    QString DateAxisMode;   // "M": ticks whole months apart, "D": whole days apart
    qint16 MonthStep = 0;
    qint16 MonthSteps = 0;
    qint16 DayStep = 0;
    qint16 DaySteps = 0;

    FibonacciState() { PotentialDate.fill(NeverComputedDate()); }

    bool HasPrices() const { return Price1 != 0 && Price2 != 0; }
    bool HasDates() const { return !IsNullDate(Date1) && !IsNullDate(Date2); }
};

// What the input controls hold, as plain values.
struct FibonacciInputs {
    QString Price1Text;
    QString Price2Text;
    QDate Picker1;
    QDate Picker2;
    QString ProjectText;
    QString NotesText;
};

// What the controls show for a document state, as the window fills them after New and
// Open: a price of 0 as an empty box, the null date as a picker at today (a picker
// cannot be empty, and both at today read back as no dates), no name and no notes as
// their placeholders.
FibonacciInputs InputsShowing(const FibonacciState& state, const QDate& today);

// Checks the inputs and stores them in `state`. Returns the message to show when they
// are rejected, std::nullopt when they are acceptable.
// The prices are stored before any check (a rejected calculation leaves the rejected
// prices behind, which Save and Export then see), the dates once the price checks pass,
// the name and notes only when everything passes. A price too large to calculate with
// is rejected before anything is stored.
std::optional<QString> ValidateInputs(const FibonacciInputs& inputs, const QDate& today,
                                      FibonacciState& state);

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
