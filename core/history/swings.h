#pragma once
#include "core/history/pricehistory.h"

#include <vector>

// The turning points of a price history: a swing high is a price from which prices
// fell by at least the threshold before rising above it again; a swing low the mirror
// image. On closes, or on each bar's High and Low as a candle chart shows the turns.

constexpr double DefaultSwingThreshold = 5.0;   // percent
// Below a tenth of a percent every tick is a swing; above half, hardly any market has one.
constexpr double MinSwingThreshold = 0.1, MaxSwingThreshold = 50.0;

// Which prices the swings are found on: closes, or Highs for swing highs and Lows for
// swing lows.
enum class SwingBasis { Close, HighLow };

enum class SwingKind { High, Low };

struct Swing {
    int bar = 0;              // index into the closes
    SwingKind kind = SwingKind::High;
    bool confirmed = true;    // false for the last one: the move away from it is not yet far enough
    QDate date;               // filled by the history overloads
    double close = 0;
    double price = 0;         // the price the swing is on: the High or Low under SwingBasis::HighLow, else the close
};

// The swings of closes c[0..n-1] at a threshold of `percent` (above 0):
// - Until the first swing the highest and lowest closes so far are tracked. A close at
//   least `percent` above the lowest makes that lowest a swing low (the trend turns up);
//   else a close at least `percent` below the highest makes that highest a swing high
//   (the trend turns down). When a close does both at once, the extreme that came first
//   is the swing. The running extreme of the new trend starts as the highest (or
//   lowest) close after the swing up to that bar.
// - In an up trend a close above the running high moves it; a close at least `percent`
//   below it confirms it as a swing high, turns the trend down and starts the running
//   low at that close. A down trend is the mirror image.
// - At the end the running extreme is one more, unconfirmed swing.
// Ties keep the earliest bar: an extreme moves only for a strictly better close.
std::vector<Swing> FindSwingBars(const std::vector<double>& closes, double percent);

// The same rule on Highs and Lows: a bar's High stands in for the close wherever the
// rule looks at a high or a rise, its Low wherever it looks at a low or a fall. So a
// swing low is confirmed by a High at least `percent` above the lowest Low, and a
// swing high by a Low at least `percent` below the highest High. A bar that makes a new
// extreme in the trend's direction is not a reversal bar, even when its Low (High) is
// far enough away; before the first swing a bar may move both extremes. After a
// reversal the running extreme starts as the highest High (lowest Low) after the
// swing up to that bar. A bar without a High or Low uses its close there.
std::vector<Swing> FindSwings(const PriceHistory& history, double percent, SwingBasis basis);

// High/Low where every bar has them, else closes.
SwingBasis DefaultSwingBasis(const PriceHistory& history);
std::vector<Swing> FindSwings(const PriceHistory& history, double percent);

// The confirmed swings only, oldest first.
std::vector<Swing> ConfirmedSwings(const std::vector<Swing>& swings);
