#include "forms/history/core/swingprojection.h"

#include "forms/gann/core/ganncalc.h"
#include "forms/gann/core/gannproject.h"
#include "modules/errors.h"
#include "modules/numbers.h"

#include <QRegularExpression>
#include <cmath>
#include <memory>

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

QString PriceBoxText(double price) { return GeneralNumber(price); }

FibonacciInputs FibonacciInputsFromSwings(const Swing& older, const Swing& newer)
{
    FibonacciInputs in;
    in.Price1Text = PriceBoxText(older.close);
    in.Price2Text = PriceBoxText(newer.close);
    in.Picker1 = older.date;
    in.Picker2 = newer.date;
    in.ProjectText = ProjectNamePlaceholder;
    in.NotesText = NotesPlaceholder;
    return in;
}

std::optional<QString> ProjectFibonacci(const Swing& older, const Swing& newer, const QDate& today,
                                        const FibRatios& ratios, FibonacciState& state)
{
    const CalcOutcome outcome = CalculateFibonacci(FibonacciInputsFromSwings(older, newer), today, ratios, state);
    if (!outcome.accepted())
        return outcome.message;
    return std::nullopt;
}

std::optional<QString> ProjectGann(const Swing& swing, PriceScale scale, const QDate& today,
                                   Layout layout, GannState& state, GannProjection& result)
{
    result = GannProjection{};
    result.scale = scale;
    result.squarePrice = scale.toSquare(swing.close);
    const CalcOutcome outcome = CalculateGann(state, PriceBoxText(result.squarePrice), swing.date, today, layout);
    if (!outcome.accepted())
        return outcome.message;
    for (int k = 1; k <= state.AngleCount; ++k) {
        if (state.PotentialHigh[k] != 0)
            result.highs.push_back(scale.fromSquare(state.PotentialHigh[k]));
        if (state.PotentialLow[k] != 0)
            result.lows.push_back(scale.fromSquare(state.PotentialLow[k]));
        if (state.DateEntered)
            result.dates.push_back(state.AngleDate[k]);
    }
    return std::nullopt;
}

SwingProjections ProjectFromLastSwings(const std::vector<Swing>& swings, const FibRatios& ratios,
                                       const PriceScaleChoice& scale, const QDate& today)
{
    SwingProjections p;
    const std::vector<Swing> confirmed = ConfirmedSwings(swings);
    const size_t n = confirmed.size();
    if (n >= 2) {
        p.older = confirmed[n - 2];
        p.newer = confirmed[n - 1];
        FibonacciState state;
        if (const std::optional<QString> m = ProjectFibonacci(*p.older, *p.newer, today, ratios, state))
            p.fibonacciMessage = *m;
        else
            p.fibonacci = state;
    } else {
        p.fibonacciMessage = QStringLiteral("Fewer than two confirmed swings: no Fibonacci projection.");
    }
    if (n >= 1) {
        p.gannSwing = confirmed[n - 1];
        auto state = std::make_unique<GannState>();
        LoadGannState(*state, Layout::Large, today, 0);
        GannProjection g;
        const PriceScale s = ScaleForPrice(scale, p.gannSwing->close);
        if (const std::optional<QString> m = ProjectGann(*p.gannSwing, s, today, Layout::Large, *state, g))
            p.gannMessage = *m;
        else
            p.gann = g;
    } else {
        p.gannMessage = QStringLiteral("No confirmed swing: no Gann projection.");
    }
    return p;
}
