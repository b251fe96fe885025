#pragma once
#include "core/fibonacci/fibonaccicore.h"
#include "core/gann/gannstate.h"
#include "core/history/historyratios.h"
#include "core/history/swings.h"

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

// Why a price cannot go on the square at this scale: scaled and rounded it lies past
// 9999 or below 1. The message names the scale, since that is what the trader changes.
// Else *onSquare, when given, is the whole number the Gann window reads from its box.
std::optional<QString> GannScaleProblem(double price, PriceScale scale, qint16* onSquare = nullptr);

// ---- The inputs a swing gives -----------------------------------------------

// The text typed into a price box for a price: general number form.
QString PriceBoxText(double price);
// The price a window calculates with once that text is in its box (15 digits kept).
double BoxPrice(double price);

// Fibonacci window inputs: the older swing is Price1/Date1, the newer Price2/Date2;
// name and notes as a fresh window shows them. A swing's price is the one it is on.
FibonacciInputs FibonacciInputsFromSwings(const Swing& older, const Swing& newer);

// ---- Levels for any number of ratios ----------------------------------------

// One projected price and one projected date per ratio, in the ratios' order.
struct ProjectedLevels {
    std::vector<double> prices;
    std::vector<QDate> dates;
};

// Fibonacci from the older swing to the newer, as the Fibonacci window works out each
// of its ratios: the price retraced from the newer swing back towards the older (past
// it for ratios above 1), never below 0; the date the newer swing's date plus the ratio
// times the days from the older to the newer, in whole days rounded down. The window's
// own checks of its inputs and of its chart's axes do not apply: swings always differ
// in price and date, and nothing is drawn here. Returns why it cannot be projected (its
// dates would leave the calendar).
std::optional<QString> FibonacciLevels(const Swing& older, const Swing& newer, const HistoryRatios& ratios,
                                       ProjectedLevels& levels);

// The 3-point extension: the move from A to B laid off again from C, in the same
// direction: prices C + r x (B - A), never below 0, dates C's date plus r times the
// days from A to B. A trader draws it where a correction (B to C) ended and the trend
// is expected to resume by a known share of its last leg.
std::optional<QString> ExtensionLevels(const Swing& a, const Swing& b, const Swing& c, const HistoryRatios& ratios,
                                       ProjectedLevels& levels);

// What a history says when a projection from a swing this late would run past the
// last day the calendar holds.
QString LeavesCalendarMessage(const QDate& from);
// A window's message about a projection from `from`, in a history's words: the
// trader typed no date here, the file did, so "choose an earlier date" would mislead.
QString HistoryProjectionMessage(const QString& windowMessage, const QDate& from);

// ---- The projections --------------------------------------------------------

// Validate and calculate as the Fibonacci window's Calculate does. Returns the
// window's message for rejected inputs or a calculation that cannot go on (dates that
// would leave the calendar: LeavesCalendarMessage).
std::optional<QString> ProjectFibonacci(const Swing& older, const Swing& newer, const QDate& today,
                                        const FibRatios& ratios, FibonacciState& state);

// What the Square of Nine gives for a swing, in real prices.
struct GannProjection {
    PriceScale scale;
    double squarePrice = 0;            // the swing's price on the square, before rounding
    std::vector<double> highs, lows;   // potential highs and lows mapped back, none for 0
    std::vector<QDate> dates;          // the projected dates that exist
};

// Calculate as the Gann window's Calculate does with the scaled price typed into its
// price box and the picker set to the swing's date. Returns why not: a scale that puts
// the price off the square (GannScaleProblem), or dates that would leave the calendar.
std::optional<QString> ProjectGann(const Swing& swing, PriceScale scale, const QDate& today,
                                   Layout layout, GannState& state, GannProjection& result);
