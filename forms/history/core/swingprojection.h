#pragma once
#include "forms/fibonacci/core/fibonaccicore.h"
#include "forms/gann/core/gannstate.h"
#include "forms/history/core/swings.h"

#include <QDate>
#include <QString>
#include <optional>
#include <vector>

// Projections from swings, through the very calculations the Fibonacci and Gann
// windows run: the swings are typed into the windows' inputs as a trader would.

// ---- Price scale for the Square of Nine -------------------------------------
// The square holds whole prices from 1 to 9999. An index at 12,000 or a currency at
// 0.9850 is put on it multiplied by a power of ten (12,000 x 10^-1 = 1200, 0.9850 x
// 10^4 = 9850) and what the square gives is divided by the same power again.

struct PriceScale {
    int power = 0;   // the price on the square is price x 10^power

    double toSquare(double price) const;
    double fromSquare(double level) const;
    // "10^-1"; the form the command line takes and the window shows.
    QString text() const;
    bool operator==(const PriceScale& o) const { return power == o.power; }
};

// What the trader asked for: a fixed power, or one chosen for each price.
struct PriceScaleChoice {
    bool automatic = true;
    int power = 0;
};

// "auto" or "10^k" (k from -9 to 9); std::nullopt for anything else.
std::optional<PriceScaleChoice> ParsePriceScaleChoice(const QString& text);

// The scale for one price. Automatic: none while the price lies within 1..9999, so
// such prices go on the square exactly as typed into the Gann window; outside that
// range the largest power that keeps the rounded price at most 9999, so the square
// keeps as many of the price's digits as it can.
PriceScale ScaleForPrice(const PriceScaleChoice& choice, double price);

// ---- The inputs a swing gives -----------------------------------------------

// The text typed into a price box for a price: general number form.
QString PriceBoxText(double price);

// Fibonacci window inputs: the older swing is Price1/Date1, the newer Price2/Date2;
// name and notes as a fresh window shows them.
FibonacciInputs FibonacciInputsFromSwings(const Swing& older, const Swing& newer);

// ---- The projections --------------------------------------------------------

// Validate and calculate as the Fibonacci window's Calculate does. Returns the
// window's message for rejected inputs or a calculation that cannot go on.
std::optional<QString> ProjectFibonacci(const Swing& older, const Swing& newer, const QDate& today,
                                        const FibRatios& ratios, FibonacciState& state);

// What the Square of Nine gives for a swing, in real prices.
struct GannProjection {
    PriceScale scale;
    double squarePrice = 0;            // the swing's close on the square, before rounding
    std::vector<double> highs, lows;   // potential highs and lows mapped back, none for 0
    std::vector<QDate> dates;          // the projected dates that exist
};

// Calculate as the Gann window's Calculate does with the scaled price typed into its
// price box and the picker set to the swing's date. Returns the window's message for a
// rejected price or a date that would leave the calendar.
std::optional<QString> ProjectGann(const Swing& swing, PriceScale scale, const QDate& today,
                                   Layout layout, GannState& state, GannProjection& result);

// Both projections from the last swings of a history, as the window and the command
// line report them: Fibonacci from the last two confirmed swings, Gann from the last
// confirmed one. A projection that is missing (too few swings) or failed carries its
// message instead.
struct SwingProjections {
    std::optional<Swing> older, newer;   // the Fibonacci swings
    std::optional<FibonacciState> fibonacci;
    QString fibonacciMessage;
    std::optional<Swing> gannSwing;
    std::optional<GannProjection> gann;
    QString gannMessage;
};
SwingProjections ProjectFromLastSwings(const std::vector<Swing>& swings, const FibRatios& ratios,
                                       const PriceScaleChoice& scale, const QDate& today);
