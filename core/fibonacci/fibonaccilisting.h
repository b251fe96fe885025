#pragma once
#include "core/fibonacci/fibonaccicore.h"
#include "core/numbers/layout.h"
#include <QString>

// The two results tables beside the inputs: each ratio in a 12-character column, the
// potential price ("0.00") or date ("mm/dd/yyyy") right behind it, lines joined by
// CR LF with no line end after the last. Shown in a fixed-width font so the columns
// line up.

inline const QString ListingFontName = QStringLiteral("Lucida Console");
inline double ListingFontPoints(Layout layout) { return layout == Layout::Compact ? 7 : 8; }

// The ratio as general number text, padded or cut to exactly 12 characters.
QString RatioColumn(double ratio);

// Empty text when the calculation had no prices (Price1 is 0).
QString PriceListing(const FibonacciState& state, const FibRatios& ratios);
// Empty text when the calculation had no dates (Date1 is the null date).
QString DateListing(const FibonacciState& state, const FibRatios& ratios);
