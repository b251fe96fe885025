#include "forms/history/pricechart.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>

// How the price chart paints the frame worked out ahead of it: nothing here decides
// where a thing goes, only how it looks.

namespace {

// Lines one pixel wide: Qt draws those, smoothed, straight to the pixels, while a wider
// pen makes an outline to fill that costs a hundred times as much on a long line.
constexpr int HairLine = 0;

const QColor RisingColor(0x2e, 0x8b, 0x57);
const QColor FallingColor(0xc0, 0x39, 0x2b);
const QColor CloseColor(0x1f, 0x4e, 0x79);
const QColor HighColor(0xd3, 0x54, 0x00);
const QColor LowColor(0x1f, 0x77, 0xb4);
const QColor SwingLineColor(0x55, 0x55, 0x55, 0xb0);
const QColor ChosenColor(0xff, 0xc1, 0x07);
const QColor PriceLevelColor(0x6a, 0x1b, 0x9a);
const QColor DateLevelColor(0x00, 0x89, 0x7b);
const QColor GridColor(0xec, 0xec, 0xec);
const QColor FrameColor(0x9e, 0x9e, 0x9e);

// Labels kept left to right where they do not touch the one kept before.
class LabelRow {
public:
    bool take(const QRectF& r)
    {
        if (r.left() < m_right + PriceChart::LabelGap)
            return false;
        m_right = r.right();
        return true;
    }

private:
    double m_right = -1e300;
};

// Text in a box measured to fit it, written from its baseline: laying it out again
// in the box would cost more than the rest of a label.
void DrawText(QPainter& p, const QFontMetricsF& metrics, const QRectF& box, const QString& text)
{
    p.drawText(QPointF(box.left(), box.top() + metrics.ascent()), text);
}

void DrawLabel(QPainter& p, const QFontMetricsF& metrics, const QRectF& box, const QString& text,
               const QColor& color)
{
    p.fillRect(box.adjusted(-2, 0, 2, 0), QColor(255, 255, 255, 210));
    p.setPen(color);
    DrawText(p, metrics, box, text);
}

}  // namespace

void PriceChart::paintEvent(QPaintEvent*)
{
    const Frame& f = frame();
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    drawGrid(p, f);
    p.setClipRect(f.plot.adjusted(0, 0, 1, 1));
    if (m_bars.shape() == BarShape::Candles)
        drawCandles(p, f);
    else
        drawCloses(p, f);
    drawDateLevels(p, f);
    drawPriceLevels(p, f);
    drawSwings(p, f);
    p.setClipping(false);
    drawAxes(p, f);
}

// Grid lines and wicks are filled as rectangles a pixel wide: Qt fills a rectangle row
// by row at a few steps a row, where a line costs a hundred.
void PriceChart::drawGrid(QPainter& p, const Frame& f) const
{
    for (const AxisTick& t : f.priceTicks)
        p.fillRect(QRect(f.plot.left(), int(f.y(t.value)), f.plot.width(), 1), GridColor);
    for (const DateTick& t : f.dateTicks)
        p.fillRect(QRect(int(f.x(t.julianDay)), f.plot.top(), 1, f.plot.height()), GridColor);
}

// A wick from low to high in every column; a body from open to close once the bars are
// wide enough to show one.
void PriceChart::drawCandles(QPainter& p, const Frame& f) const
{
    int body = int(f.time.pixelsPerDay() * 0.7);
    body -= body % 2 == 0 ? 1 : 0;   // odd, so the wick runs down its middle
    for (const ColumnBar& c : f.columns) {
        const QColor& color = c.close >= c.open ? RisingColor : FallingColor;
        const int x = f.plot.left() + c.column;
        const int high = int(std::round(f.y(c.high))), low = int(std::round(f.y(c.low)));
        p.fillRect(QRect(x, high, 1, low - high + 1), color);
        if (body > 1) {
            const int top = int(std::round(f.y(std::max(c.open, c.close))));
            const int bottom = int(std::round(f.y(std::min(c.open, c.close))));
            p.fillRect(QRect(x - body / 2, top, body, std::max(1, bottom - top)), color);
        }
    }
}

// Each column's first, lowest, highest and last close, joined: the same pixels a line
// through every close would light.
void PriceChart::drawCloses(QPainter& p, const Frame& f) const
{
    QPolygonF line;
    line.reserve(int(f.columns.size()) * 4);
    for (const ColumnBar& c : f.columns) {
        const double x = f.plot.left() + c.column + 0.5;
        for (const double price : {c.open, c.low, c.high, c.close})
            line.append(QPointF(x, f.y(price)));
    }
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(CloseColor, HairLine));
    p.drawPolyline(line);
    // A lone close (a one-row file, a zoom onto one day) has no line to show it: a dot.
    if (f.columns.size() == 1) {
        p.setBrush(CloseColor);
        p.drawEllipse(line.back(), 3, 3);
        p.setBrush(Qt::NoBrush);
    }
    p.setRenderHint(QPainter::Antialiasing, false);
}

void PriceChart::drawSwings(QPainter& p, const Frame& f) const
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(SwingLineColor, HairLine));
    p.drawPolyline(f.swingLine.data(), int(f.swingLine.size()));
    const double r = MarkerSize / 2;
    const QFontMetricsF metrics(font());
    for (const Marker& m : f.markers) {
        const bool chosen = std::find(m_selection.begin(), m_selection.end(), m.swing) != m_selection.end();
        if (chosen) {
            p.setPen(QPen(Qt::black, 1));
            p.setBrush(ChosenColor);
            p.drawEllipse(m.at, r + 4, r + 4);
        }
        const QColor color = m.high ? HighColor : LowColor;
        p.setPen(color.darker());
        // Hollow while prices have not yet moved far enough away to confirm it.
        p.setBrush(m_swings[size_t(m.swing)].confirmed ? QBrush(color) : QBrush(Qt::white));
        if (m.high) {
            // Pointing down at the high it marks.
            const QPointF tip[] = {{m.at.x() - r, m.at.y() - r}, {m.at.x() + r, m.at.y() - r}, {m.at.x(), m.at.y() + r}};
            p.drawPolygon(tip, 3);
        } else {
            p.drawRect(QRectF(m.at.x() - r + 0.5, m.at.y() - r + 0.5, MarkerSize - 1, MarkerSize - 1));
        }
        if (!m.label.isEmpty())
            DrawLabel(p, metrics, m.labelBox, m.label, color.darker(150));
    }
    p.setBrush(Qt::NoBrush);
    p.setRenderHint(QPainter::Antialiasing, false);
}

// Each projected price across the chart, named at the right edge with its ratio or
// angle and the price. The axis follows the prices in view, not the levels (a click on
// a swing must not move the other swings), so a level above or below the view is named
// at that edge with an arrow. A name that would overlap one above it is left out.
void PriceChart::drawPriceLevels(QPainter& p, const Frame& f) const
{
    const QFontMetricsF metrics(font());
    const double h = metrics.height();
    std::vector<std::pair<double, QString>> named, above, below;   // (y of the line, name)
    p.setPen(QPen(PriceLevelColor, 1, Qt::DashLine));
    for (const ChartLevel& level : m_priceLevels) {
        const double y = f.y(level.price);
        const QString name = level.name + QStringLiteral("  ") + PriceText(level.price);
        if (y < f.plot.top())
            above.emplace_back(y, QStringLiteral("\u25B2 ") + name);
        else if (y > f.plot.bottom())
            below.emplace_back(y, QStringLiteral("\u25BC ") + name);
        else {
            p.drawLine(QLineF(f.plot.left(), y, f.plot.right(), y));
            named.emplace_back(y, name);
        }
    }
    const auto byY = [](const auto& a, const auto& b) { return a.first < b.first; };
    std::sort(above.begin(), above.end(), byY);
    std::sort(below.begin(), below.end(), byY);
    // Stacked in the order of their prices, the highest on top.
    for (size_t k = 0; k < above.size(); ++k)
        named.emplace_back(f.plot.top() + 2 + (h + 1) * double(k + 1), above[k].second);
    for (size_t k = 0; k < below.size(); ++k)
        named.emplace_back(f.plot.bottom() - (h + 1) * double(below.size() - 1 - k), below[k].second);
    std::sort(named.begin(), named.end(), byY);
    double lowestTaken = -1e300;
    for (const auto& [y, text] : named) {
        const QRectF r(f.plot.right() - 4 - textWidth(text), y - h - 1, textWidth(text), h);
        if (r.top() < lowestTaken || r.top() < f.plot.top())
            continue;
        lowestTaken = r.bottom() + 1;
        DrawLabel(p, metrics, r, text, PriceLevelColor);
    }
}

// Each projected date down the chart, named above the plot.
void PriceChart::drawDateLevels(QPainter& p, const Frame& f) const
{
    const QFontMetricsF metrics(font());
    std::vector<std::pair<double, QString>> named;
    p.setPen(QPen(DateLevelColor, 1, Qt::DashLine));
    for (const ChartLevel& level : m_dateLevels) {
        const double x = f.x(level.date.toJulianDay());
        if (x < f.plot.left() || x > f.plot.right())
            continue;
        p.drawLine(QLineF(x, f.plot.top(), x, f.plot.bottom()));
        named.emplace_back(x, level.name);
    }
    std::sort(named.begin(), named.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    p.save();
    p.setClipping(false);
    LabelRow row;
    for (const auto& [x, text] : named) {
        const double w = textWidth(text), h = metrics.height();
        const QRectF r(x - w / 2, f.plot.top() - h - 3, w, h);
        if (row.take(r))
            DrawLabel(p, metrics, r, text, DateLevelColor);
    }
    p.restore();
}

void PriceChart::drawAxes(QPainter& p, const Frame& f) const
{
    const QFontMetricsF metrics(font());
    const double h = metrics.height();
    p.setPen(FrameColor);
    p.drawRect(f.plot);
    p.setPen(palette().color(QPalette::WindowText));
    double above = 1e300;   // price labels are kept from the bottom up, none overlapping
    for (const AxisTick& t : f.priceTicks) {
        const double w = textWidth(t.text);
        const QRectF r(f.plot.left() - 6 - w, f.y(t.value) - h / 2, w, h);
        if (r.bottom() > above)
            continue;
        above = r.top();
        DrawText(p, metrics, r, t.text);
    }
    LabelRow row;
    for (const DateTick& t : f.dateTicks) {
        const double w = textWidth(t.text);
        const double x = std::clamp(f.x(t.julianDay) - w / 2, 0.0, width() - w);
        const QRectF r(x, f.plot.bottom() + 4, w, h);
        if (row.take(r))
            DrawText(p, metrics, r, t.text);
    }
}
