#include "core/history/swingprojection.h"

#include "core/gann/ganncalc.h"
#include "core/gann/gannproject.h"
#include "core/numbers/dates.h"
#include "core/numbers/errors.h"
#include "core/numbers/numbers.h"

#include <QRegularExpression>
#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

constexpr int LargestScalePower = 9;

}  // namespace

// Multiplying by 10^-k is done as a division by 10^k, so 12000 x 10^-1 is exactly 1200.
double PriceScale::toSquare(double price) const
{
    return power >= 0 ? price * std::pow(10.0, power) : price / std::pow(10.0, -power);
}

double PriceScale::fromSquare(double level) const
{
    return power >= 0 ? level / std::pow(10.0, power) : level * std::pow(10.0, -power);
}

QString PriceScale::text() const { return QStringLiteral("10^%1").arg(power); }

std::optional<PriceScaleChoice> ParsePriceScaleChoice(const QString& text)
{
    if (text == QLatin1String("auto"))
        return PriceScaleChoice{};
    static const QRegularExpression pattern(QStringLiteral("^10\\^([+-]?[0-9])$"));
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    return PriceScaleChoice{false, m.captured(1).toInt()};
}

PriceScale ScaleForPrice(const PriceScaleChoice& choice, double price)
{
    if (!choice.automatic)
        return {choice.power};
    if (price >= 1 && price <= GannMaxPrice)
        return {0};
    for (int power = LargestScalePower; power >= -LargestScalePower; --power) {
        if (RoundHalfEven(PriceScale{power}.toSquare(price)) <= GannMaxPrice)
            return {power};
    }
    return {-LargestScalePower};
}

std::optional<QString> GannScaleProblem(double price, PriceScale scale, qint16* onSquare)
{
    // The box's reading of a price that fits: rounded half to even.
    const double rounded = RoundHalfEven(BoxPrice(scale.toSquare(price)));
    if (rounded >= 1 && rounded <= GannMaxPrice) {
        if (onSquare)
            *onSquare = qint16(rounded);
        return std::nullopt;
    }
    const QString text = PriceBoxText(scale.toSquare(price));
    const QString where = QStringLiteral("The price %1 is %2 on the Square of Nine at a price scale of %3")
                              .arg(GeneralNumber(price), text, scale.text());
    if (ReadGannPrice(text).tooLarge)
        return where + QStringLiteral(", past the square's %1: choose a smaller price scale.").arg(GannMaxPrice);
    return where + QStringLiteral(", below the square's 1: choose a larger price scale.");
}

QString PriceBoxText(double price) { return GeneralNumber(price); }

// General number form keeps 15 significant digits, written by to_chars in scientific
// form and read back by the box; the same two steps without the text in between,
// since the evidence reads a price this way for every swing of every surrogate.
double BoxPrice(double price)
{
    if (!std::isfinite(price) || price == 0)
        return ReadLeadingNumber(PriceBoxText(price));
    char buffer[40];
    const std::to_chars_result written =
        std::to_chars(buffer, buffer + sizeof buffer, price, std::chars_format::scientific, 14);
    double value = 0;
    std::from_chars(buffer, written.ptr, value);
    return value;
}

QString LeavesCalendarMessage(const QDate& from)
{
    return QStringLiteral("A projection from %1 would leave the calendar: its dates would fall after 12/31/9999.")
        .arg(FormatMmDdYyyy(from));
}

FibonacciInputs FibonacciInputsFromSwings(const Swing& older, const Swing& newer)
{
    FibonacciInputs in;
    in.Price1Text = PriceBoxText(older.price);
    in.Price2Text = PriceBoxText(newer.price);
    in.Picker1 = older.date;
    in.Picker2 = newer.date;
    in.ProjectText = ProjectNamePlaceholder;
    in.NotesText = NotesPlaceholder;
    return in;
}

namespace {

// The window's date arithmetic: whole days rounded down, offsets far beyond the
// calendar cut to one still beyond it, so the range check speaks instead of an overflow.
QDate DateAfter(const QDate& from, qint64 span, double ratio)
{
    const double limit = 4.0e6;
    const double days = std::clamp(IntFloor(double(span) * ratio), -limit, limit);
    return AddDays(from, qint64(days));
}

// Levels at from + ratio x move (prices) and from's date + ratio x span (dates).
std::optional<QString> LevelsFrom(double fromPrice, const QDate& fromDate, double move, qint64 span,
                                  const HistoryRatios& ratios, ProjectedLevels& levels)
{
    levels.prices.clear();
    levels.dates.clear();
    try {
        for (const double r : ratios.values()) {
            levels.prices.push_back(std::max(0.0, fromPrice + move * r));
            levels.dates.push_back(DateAfter(fromDate, span, r));
        }
    } catch (const CalcError&) {
        levels = {};
        return LeavesCalendarMessage(fromDate);
    }
    return std::nullopt;
}

}  // namespace

std::optional<QString> FibonacciLevels(const Swing& older, const Swing& newer, const HistoryRatios& ratios,
                                       ProjectedLevels& levels)
{
    const double p1 = BoxPrice(older.price);
    const double p2 = BoxPrice(newer.price);
    return LevelsFrom(p2, newer.date, -(p2 - p1), DaysBetween(older.date, newer.date), ratios, levels);
}

std::optional<QString> ExtensionLevels(const Swing& a, const Swing& b, const Swing& c, const HistoryRatios& ratios,
                                       ProjectedLevels& levels)
{
    return LevelsFrom(c.price, c.date, b.price - a.price, DaysBetween(a.date, b.date), ratios, levels);
}

QString HistoryProjectionMessage(const QString& windowMessage, const QDate& from)
{
    return windowMessage == QLatin1String(DateAfterRangeMessage) ? LeavesCalendarMessage(from) : windowMessage;
}

namespace {

std::optional<QString> ProjectionProblem(const CalcOutcome& outcome, const QDate& from)
{
    if (outcome.accepted())
        return std::nullopt;
    return HistoryProjectionMessage(outcome.message, from);
}

}  // namespace

std::optional<QString> ProjectFibonacci(const Swing& older, const Swing& newer, const QDate& today,
                                        const FibRatios& ratios, FibonacciState& state)
{
    return ProjectionProblem(CalculateFibonacci(FibonacciInputsFromSwings(older, newer), today, ratios, state),
                             newer.date);
}

std::optional<QString> ProjectGann(const Swing& swing, PriceScale scale, const QDate& today,
                                   Layout layout, GannState& state, GannProjection& result)
{
    result = GannProjection{};
    result.scale = scale;
    result.squarePrice = scale.toSquare(swing.price);
    if (std::optional<QString> problem = GannScaleProblem(swing.price, scale))
        return problem;
    const CalcOutcome outcome = CalculateGann(state, PriceBoxText(result.squarePrice), swing.date, today, layout);
    if (std::optional<QString> problem = ProjectionProblem(outcome, swing.date))
        return problem;
    for (int k = 1; k <= state.results.AngleCount; ++k) {
        if (state.results.PotentialHigh[k] != 0)
            result.highs.push_back(scale.fromSquare(state.results.PotentialHigh[k]));
        if (state.results.PotentialLow[k] != 0)
            result.lows.push_back(scale.fromSquare(state.results.PotentialLow[k]));
        if (state.inputs.DateEntered)
            result.dates.push_back(state.results.AngleDate[k]);
    }
    return std::nullopt;
}
