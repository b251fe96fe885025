#pragma once
#include "forms/history/core/pricehistory.h"

#include <vector>

// The turning points of a price history: a swing high is a close from which prices
// fell by at least the threshold before rising above it again; a swing low the mirror
// image. Only closes count, so the swings do not depend on a day's intraday range.

constexpr double DefaultSwingThreshold = 5.0;   // percent
constexpr double MinSwingThreshold = 0.1, MaxSwingThreshold = 50.0;   // percent

enum class SwingKind { High, Low };

struct Swing {
    int bar = 0;              // index into the closes
    SwingKind kind = SwingKind::High;
    bool confirmed = true;    // false for the last one: the move away from it is not yet far enough
    QDate date;               // filled by the history overload
    double close = 0;
    double price = 0;         // the price the swing is on; projections and evidence use it
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
std::vector<Swing> FindSwings(const PriceHistory& history, double percent);

// The confirmed swings only, oldest first.
std::vector<Swing> ConfirmedSwings(const std::vector<Swing>& swings);
