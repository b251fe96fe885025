#include "core/fibonacci/fibonaccichart.h"
#include "core/numbers/modFunctions.h"
#include "core/numbers/numbers.h"
#include <QPainter>
#include <limits>

namespace {

const QColor Blue(0, 0, 255);
const QColor Black(0, 0, 0);
constexpr int TickHalf = 50;
constexpr int PriceLabelX = 500;
constexpr int DotRadius = 50;

qint32 NearestTwip(double v)
{
    const double r = RoundHalfEven(v);
    if (!(r >= std::numeric_limits<qint32>::min())) return std::numeric_limits<qint32>::min();
    if (r > std::numeric_limits<qint32>::max()) return std::numeric_limits<qint32>::max();
    return static_cast<qint32>(r);
}

// The vertical "Price" title, written upwards in the current title font and colour.
void DrawPriceTitle(PictureSurface& pb)
{
    if (pb.widthTwips() <= 0 || pb.heightTwips() <= 0 || pb.canvas().isNull()) return;
    // 50 twips from the left edge, in the box's pixels; starting at the vertical middle.
    const int x = int(RoundHalfEven(double(pb.widthPixels()) * 50 / pb.widthTwips()));
    const int y = int(RoundHalfEven(pb.heightPixels() / 2.0));
    QPainter painter(&pb.canvas());
    painter.setFont(pb.drawingFont());
    painter.setPen(pb.foreColor());
    DrawRotatedText(&painter, QStringLiteral("Price"), x, y, 90.0f);
    painter.end();
    pb.changed();
}

}  // namespace

qint32 FibonacciChartHalf(double windowHeightTwips)
{
    return qint32(RoundHalfEven(RoundHalfEven(windowHeightTwips) / 2.0 - ChartBoxMargin));
}

FibChartAxes ChartAxes(double boxWidthTwips, double boxHeightTwips)
{
    FibChartAxes a;
    a.TimeAxisLeft = 1250;
    a.TimeAxisRight = NearestTwip(boxWidthTwips - 1000);
    a.TimeAxisY = NearestTwip(boxHeightTwips - 1000);
    a.PriceAxisX = 1250;
    a.PriceAxisBottom = NearestTwip(boxHeightTwips - 1000);
    a.PriceAxisTop = 1000;
    return a;
}

qint32 PriceToY(const FibonacciChartScale& s, const FibChartAxes& a, double price)
{
    return NearestTwip((price - s.ChartMinPrice) / (s.ChartMaxPrice - s.ChartMinPrice)
                           * (a.PriceAxisTop - a.PriceAxisBottom)
                       + a.PriceAxisBottom);
}

qint32 DateToX(const FibonacciChartScale& s, const FibChartAxes& a, const QDate& date)
{
    return NearestTwip(double(DaysBetween(s.ChartStartDate, date))
                           / double(DaysBetween(s.ChartStartDate, s.ChartEndDate))
                           * (a.TimeAxisRight - a.TimeAxisLeft)
                       + a.TimeAxisLeft);
}

namespace {

// Labelled ticks up the price axis, then a line across the chart at each potential price.
void LayOutPriceScale(FibChartGeometry& g, const FibonacciState& state)
{
    const FibonacciChartScale& s = state.scale;
    const FibChartAxes& a = g.axes;
    for (int k = 0; k <= s.PriceSteps; ++k) {
        const double p = k * s.PriceStep + s.ChartMinPrice;
        const qint32 y = PriceToY(s, a, p);
        g.priceTicks.push_back({{a.TimeAxisLeft - TickHalf, y, a.TimeAxisLeft + TickHalf, y}, PriceLabelX, y - 100,
                                Format00(p)});
    }
    for (int i = 1; i <= 3; ++i) {
        const qint32 y = PriceToY(s, a, state.results.PotentialPrice[i]);
        g.priceLevels.push_back({a.TimeAxisLeft, y, a.TimeAxisRight, y});
    }
}

// Labelled ticks along the time axis (by days or by months), then a line up the chart
// at each potential date.
void LayOutDateScale(FibChartGeometry& g, const FibonacciState& state)
{
    const FibonacciChartScale& s = state.scale;
    const FibChartAxes& a = g.axes;
    const bool days = s.DateAxisMode == DateTickUnit::Days;
    const int steps = days ? s.DaySteps : s.MonthSteps;
    for (int k = 0; k <= steps; ++k) {
        const QDate d = days ? AddDays(s.ChartStartDate, qint64(k) * s.DayStep)
                             : AddMonths(s.ChartStartDate, k * s.MonthStep);
        const qint32 x = DateToX(s, a, d);
        g.dateTicks.push_back({{x, a.TimeAxisY - TickHalf, x, a.TimeAxisY + TickHalf}, x - 200, a.TimeAxisY + 100,
                               FormatMdYy(d)});
    }
    const FibonacciResults& r = state.results;
    for (int i = 1; i <= r.DateLevelCount && i < int(r.PotentialDate.size()); ++i) {
        const qint32 x = DateToX(s, a, r.PotentialDate[i]);
        g.dateLevels.push_back({x, a.PriceAxisBottom, x, a.PriceAxisTop});
    }
}

// The two swing points the projection starts from.
FibChartLine SwingLine(const FibChartAxes& a, const FibonacciState& state)
{
    const FibonacciDocument& in = state.document;
    FibChartLine swing;
    if (in.HasDates()) {
        swing.x1 = DateToX(state.scale, a, in.Date1);
        swing.x2 = DateToX(state.scale, a, in.Date2);
    } else {
        // Without dates the two points are spread along the time axis for the eye.
        swing.x1 = NearestTwip(a.TimeAxisLeft + 0.1 * (a.TimeAxisRight - a.TimeAxisLeft));
        swing.x2 = NearestTwip(a.TimeAxisLeft + 0.7 * (a.TimeAxisRight - a.TimeAxisLeft));
    }
    swing.y1 = PriceToY(state.scale, a, in.Price1);
    swing.y2 = PriceToY(state.scale, a, in.Price2);
    return swing;
}

void PaintLine(PictureSurface& pb, const FibChartLine& l) { pb.line(l.x1, l.y1, l.x2, l.y2); }

// Each tick with its label, then the level lines in blue.
void PaintScale(PictureSurface& pb, const std::vector<FibChartTick>& ticks,
                const std::vector<FibChartLine>& levels)
{
    for (const FibChartTick& tick : ticks) {
        PaintLine(pb, tick.line);
        pb.setCurrentX(tick.labelX);
        pb.setCurrentY(tick.labelY);
        pb.print(tick.label);
    }
    pb.setForeColor(Blue);
    for (const FibChartLine& level : levels)
        PaintLine(pb, level);
    pb.setForeColor(Black);
}

}  // namespace

FibChartGeometry FibonacciChart(const FibonacciState& state, double boxWidthTwips, double boxHeightTwips)
{
    FibChartGeometry g;
    g.axes = ChartAxes(boxWidthTwips, boxHeightTwips);
    g.timeTitleX = NearestTwip(boxWidthTwips / 2.0);
    g.timeTitleY = NearestTwip(boxHeightTwips - 400);
    const bool prices = state.document.HasPrices();
    if (prices)
        LayOutPriceScale(g, state);
    if (state.document.HasDates())
        LayOutDateScale(g, state);
    if (prices)
        g.swing = SwingLine(g.axes, state);
    return g;
}

void PaintFibonacciChart(PictureSurface& pb, const FibChartGeometry& g, Layout layout)
{
    // The two axes with their "Time" and "Price" titles.
    const FibChartAxes& a = g.axes;
    pb.line(a.TimeAxisLeft, a.TimeAxisY, a.TimeAxisRight, a.TimeAxisY);
    pb.line(a.PriceAxisX, a.PriceAxisBottom, a.PriceAxisX, a.PriceAxisTop);
    pb.setFont(ChartFontName, ChartTitlePoints(layout));
    pb.setForeColor(Blue);
    pb.setCurrentX(g.timeTitleX);
    pb.setCurrentY(g.timeTitleY);
    pb.print(QStringLiteral("Time"));
    DrawPriceTitle(pb);

    pb.setFontSize(ChartTickLabelPoints(layout));
    pb.setForeColor(Black);
    PaintScale(pb, g.priceTicks, g.priceLevels);
    PaintScale(pb, g.dateTicks, g.dateLevels);
    if (g.swing) {
        pb.setFillSolid(true);
        pb.setFillColor(Black);
        pb.circle(g.swing->x1, g.swing->y1, DotRadius);
        pb.circle(g.swing->x2, g.swing->y2, DotRadius);
        PaintLine(pb, *g.swing);
    }
}

FibChartGeometry DrawChart(PictureSurface& pb, const FibonacciState& state, Layout layout)
{
    const FibChartGeometry g = FibonacciChart(state, pb.widthTwips(), pb.heightTwips());
    PaintFibonacciChart(pb, g, layout);
    pb.keepPicture();
    return g;
}
