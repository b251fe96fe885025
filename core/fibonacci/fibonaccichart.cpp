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

FibChartGeometry ChartGeometry(double boxWidthTwips, double boxHeightTwips)
{
    FibChartGeometry g;
    g.TimeAxisLeft = 1250;
    g.TimeAxisRight = NearestTwip(boxWidthTwips - 1000);
    g.TimeAxisY = NearestTwip(boxHeightTwips - 1000);
    g.PriceAxisX = 1250;
    g.PriceAxisBottom = NearestTwip(boxHeightTwips - 1000);
    g.PriceAxisTop = 1000;
    return g;
}

qint32 PriceToY(const FibonacciState& s, const FibChartGeometry& g, double price)
{
    return NearestTwip((price - s.ChartMinPrice) / (s.ChartMaxPrice - s.ChartMinPrice)
                           * (g.PriceAxisTop - g.PriceAxisBottom)
                       + g.PriceAxisBottom);
}

qint32 DateToX(const FibonacciState& s, const FibChartGeometry& g, const QDate& date)
{
    return NearestTwip(double(DaysBetween(s.ChartStartDate, date))
                           / double(DaysBetween(s.ChartStartDate, s.ChartEndDate))
                           * (g.TimeAxisRight - g.TimeAxisLeft)
                       + g.TimeAxisLeft);
}

namespace {

// The two axes with their "Time" and "Price" titles.
void DrawAxes(PictureSurface& pb, const FibChartGeometry& g, Layout layout)
{
    pb.line(g.TimeAxisLeft, g.TimeAxisY, g.TimeAxisRight, g.TimeAxisY);
    pb.line(g.PriceAxisX, g.PriceAxisBottom, g.PriceAxisX, g.PriceAxisTop);

    pb.setFont(ChartFontName, ChartTitlePoints(layout));
    pb.setForeColor(Blue);
    pb.setCurrentX(NearestTwip(pb.widthTwips() / 2.0));
    pb.setCurrentY(pb.heightTwips() - 400);
    pb.print(QStringLiteral("Time"));
    DrawPriceTitle(pb);
}

// Labelled ticks up the price axis, then a blue line across the chart at each potential price.
void DrawPriceScale(PictureSurface& pb, const FibonacciState& s, const FibChartGeometry& g)
{
    for (int k = 0; k <= s.PriceSteps; ++k) {
        const double p = k * s.PriceStep + s.ChartMinPrice;
        const qint32 y = PriceToY(s, g, p);
        pb.line(g.TimeAxisLeft - TickHalf, y, g.TimeAxisLeft + TickHalf, y);
        pb.setCurrentX(PriceLabelX);
        pb.setCurrentY(y - 100);
        pb.print(Format00(p));
    }
    pb.setForeColor(Blue);
    for (int i = 1; i <= 3; ++i) {
        const qint32 y = PriceToY(s, g, s.PotentialPrice[i]);
        pb.line(g.TimeAxisLeft, y, g.TimeAxisRight, y);
    }
    pb.setForeColor(Black);
}

// Labelled ticks along the time axis (by days or by months), then a blue line up the chart
// at each potential date.
void DrawDateScale(PictureSurface& pb, const FibonacciState& s, const FibChartGeometry& g)
{
    const bool days = s.DateAxisMode == QLatin1String("D");
    const int steps = days ? s.DaySteps : s.MonthSteps;
    for (int k = 0; k <= steps; ++k) {
        const QDate d = days ? AddDays(s.ChartStartDate, qint64(k) * s.DayStep)
                             : AddMonths(s.ChartStartDate, k * s.MonthStep);
        const qint32 x = DateToX(s, g, d);
        pb.line(x, g.TimeAxisY - TickHalf, x, g.TimeAxisY + TickHalf);
        pb.setCurrentX(x - 200);
        pb.setCurrentY(g.TimeAxisY + 100);
        pb.print(FormatMdYy(d));
    }
    pb.setForeColor(Blue);
    for (int i = 1; i <= s.DateLevelCount && i < int(s.PotentialDate.size()); ++i) {
        const qint32 x = DateToX(s, g, s.PotentialDate[i]);
        pb.line(x, g.PriceAxisBottom, x, g.PriceAxisTop);
    }
    pb.setForeColor(Black);
}

// The two swing points the projection starts from, as dots joined by a line.
void DrawSwing(PictureSurface& pb, const FibonacciState& s, const FibChartGeometry& g)
{
    qint32 x1, x2;
    if (s.HasDates()) {
        x1 = DateToX(s, g, s.Date1);
        x2 = DateToX(s, g, s.Date2);
    } else {
        // Without dates the two points are spread along the time axis for the eye.
        x1 = NearestTwip(g.TimeAxisLeft + 0.1 * (g.TimeAxisRight - g.TimeAxisLeft));
        x2 = NearestTwip(g.TimeAxisLeft + 0.7 * (g.TimeAxisRight - g.TimeAxisLeft));
    }
    const qint32 y1 = PriceToY(s, g, s.Price1);
    const qint32 y2 = PriceToY(s, g, s.Price2);
    pb.setFillSolid(true);
    pb.setFillColor(Black);
    pb.circle(x1, y1, DotRadius);
    pb.circle(x2, y2, DotRadius);
    pb.line(x1, y1, x2, y2);
}

}  // namespace

FibChartGeometry DrawChart(PictureSurface& pb, const FibonacciState& s, Layout layout)
{
    const FibChartGeometry g = ChartGeometry(pb.widthTwips(), pb.heightTwips());
    DrawAxes(pb, g, layout);

    pb.setFontSize(ChartTickLabelPoints(layout));
    pb.setForeColor(Black);
    if (s.HasPrices())
        DrawPriceScale(pb, s, g);
    if (s.HasDates())
        DrawDateScale(pb, s, g);
    if (s.HasPrices())
        DrawSwing(pb, s, g);

    pb.keepPicture();
    return g;
}
