#pragma once
#include "core/fibonacci/fibonaccicore.h"
#include "core/numbers/layout.h"
#include "core/drawing/picturesurface.h"

// The price/time chart: a vertical price axis and a horizontal time axis with labelled
// ticks, a blue line for every potential price (horizontal) and potential date
// (vertical), and the two input points as black dots joined by a line. Everything is
// laid out in twips on the chart box's surface, y growing downwards.

// Half the side of the chart box in a window this many twips high (the height rounded
// to whole twips first, as the window keeps it).
qint32 FibonacciChartHalf(double windowHeightTwips);

// Where the axes lie in a box of the given size (twips).
struct FibChartGeometry {
    qint32 TimeAxisLeft = 1250;    // also the x of the price ticks
    qint32 TimeAxisRight = 0;
    qint32 TimeAxisY = 0;          // the time ticks hang on it
    qint32 PriceAxisX = 1250;
    qint32 PriceAxisBottom = 0;
    qint32 PriceAxisTop = 1000;
};
FibChartGeometry ChartGeometry(double boxWidthTwips, double boxHeightTwips);

inline const QString ChartFontName = QStringLiteral("verdana");
inline double ChartTitlePoints(Layout layout) { return layout == Layout::Compact ? 12 : 14; }
inline double ChartTickLabelPoints(Layout layout) { return layout == Layout::Compact ? 6 : 10; }

// Price to y and date to x on the chart's scale, to the nearest twip (halves to even).
qint32 PriceToY(const FibonacciState& s, const FibChartGeometry& g, double price);
qint32 DateToX(const FibonacciState& s, const FibChartGeometry& g, const QDate& date);

// Draws the chart of `state` onto whatever the surface holds (it does not erase), and
// keeps the result as the surface's persistent picture. With no prices and no dates it
// draws the bare axes and titles. Leaves the surface in the tick-label font, black,
// which the printout continues to write in. Returns the geometry it used.
FibChartGeometry DrawChart(PictureSurface& pb, const FibonacciState& state, Layout layout);
