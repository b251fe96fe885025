#pragma once
#include "core/fibonacci/fibonaccicore.h"
#include "core/numbers/layout.h"
#include "core/drawing/picturesurface.h"

#include <optional>
#include <vector>

// The price/time chart: a vertical price axis and a horizontal time axis with labelled
// ticks, a blue line for every potential price (horizontal) and potential date
// (vertical), and the two input points as black dots joined by a line. Everything is
// laid out in twips on the chart box's surface, y growing downwards. The layout is
// worked out first, without drawing (FibonacciChart), then painted.

// Half the side of the chart box in a window this many twips high (the height rounded
// to whole twips first, as the window keeps it).
qint32 FibonacciChartHalf(double windowHeightTwips);

// Where the axes lie in a box of the given size (twips).
struct FibChartAxes {
    qint32 TimeAxisLeft = 1250;    // also the x of the price ticks
    qint32 TimeAxisRight = 0;
    qint32 TimeAxisY = 0;          // the time ticks hang on it
    qint32 PriceAxisX = 1250;
    qint32 PriceAxisBottom = 0;
    qint32 PriceAxisTop = 1000;
};
FibChartAxes ChartAxes(double boxWidthTwips, double boxHeightTwips);

inline const QString ChartFontName = QStringLiteral("verdana");
inline double ChartTitlePoints(Layout layout) { return layout == Layout::Compact ? 12 : 14; }
inline double ChartTickLabelPoints(Layout layout) { return layout == Layout::Compact ? 6 : 10; }

// Price to y and date to x on the chart's scale, to the nearest twip (halves to even).
qint32 PriceToY(const FibonacciChartScale& s, const FibChartAxes& a, double price);
qint32 DateToX(const FibonacciChartScale& s, const FibChartAxes& a, const QDate& date);

struct FibChartLine {
    qint32 x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

// A tick across its axis and its label, whose top-left is (labelX, labelY).
struct FibChartTick {
    FibChartLine line;
    qint32 labelX = 0, labelY = 0;
    QString label;
};

// Everything one drawing of the chart shows, in the order it is painted.
struct FibChartGeometry {
    FibChartAxes axes;
    qint32 timeTitleX = 0, timeTitleY = 0;   // "Time", under the middle of the box
    std::vector<FibChartTick> priceTicks;    // "0.00", bottom to top
    std::vector<FibChartLine> priceLevels;   // blue, one per potential price
    std::vector<FibChartTick> dateTicks;     // "m/d/yy", left to right
    std::vector<FibChartLine> dateLevels;    // blue, one per potential date
    // The two swing points the projection starts from, joined by a line; none without prices.
    std::optional<FibChartLine> swing;
};

// The chart of `state` in a box of the given size. With no prices and no dates: the
// bare axes and titles.
FibChartGeometry FibonacciChart(const FibonacciState& state, double boxWidthTwips, double boxHeightTwips);

// Paints a computed chart onto whatever the surface holds (it does not erase). Leaves
// the surface in the tick-label font, black, which the printout continues to write in.
void PaintFibonacciChart(PictureSurface& pb, const FibChartGeometry& chart, Layout layout);

// The chart of `state` in the surface's size, painted and kept as the surface's
// persistent picture. Returns what was drawn.
FibChartGeometry DrawChart(PictureSurface& pb, const FibonacciState& state, Layout layout);
