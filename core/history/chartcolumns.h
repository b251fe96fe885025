#pragma once
#include "core/history/pricehistory.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

// A price history reduced to what a screen can show. However long the history, the
// chart draws no more than one bar per pixel column: the bars that share a column are
// read together as one longer bar (the open of the first, the highest high, the lowest
// low, the close of the last), as a weekly bar sums up its days. A zoom or a pan then
// costs what the pixels cost, not what the rows cost.

// The lowest and highest price of a run of bars; empty while low > high.
struct PriceSpan {
    double low = std::numeric_limits<double>::infinity();
    double high = -std::numeric_limits<double>::infinity();

    bool empty() const { return low > high; }
    void add(double lo, double hi)
    {
        low = std::min(low, lo);
        high = std::max(high, hi);
    }
    void add(const PriceSpan& s) { add(s.low, s.high); }
};

// Candles when every bar has its open, high and low; otherwise a line of closes, whose
// bars span their close alone.
enum class BarShape { Candles, Closes };

// The stretch of time the chart shows across `width` pixels. Days are Julian day
// numbers, so a date before 1970 (back to 1601) has its place like any other; they may
// be fractions, so a zoom moves smoothly. A bar sits in the middle of its day.
struct TimeWindow {
    double firstDay = 0;
    double lastDay = 1;
    int width = 1;

    double pixelsPerDay() const { return width / (lastDay - firstDay); }
    double x(double day) const { return (day - firstDay) * pixelsPerDay(); }
    double dayAt(double x) const { return firstDay + x / pixelsPerDay(); }
    // The pixel column of a bar dated `julianDay`.
    int column(qint64 julianDay) const { return int(std::floor(x(double(julianDay) + 0.5))); }
};

// One pixel column's bars taken together.
struct ColumnBar {
    int column = 0;
    int firstBar = 0;   // the bars [firstBar, endBar)
    int endBar = 0;
    double open = 0, high = 0, low = 0, close = 0;
};

// A history with the lows and highs of its bars in blocks of 16, 256, 4096 and so on:
// the extremes of any run of bars take a few dozen steps whatever its length, for about
// one byte a bar beside the history's own forty.
class ChartBars {
public:
    ChartBars() = default;
    explicit ChartBars(std::shared_ptr<const PriceHistory> history);

    const PriceHistory* history() const { return m_history.get(); }
    const std::shared_ptr<const PriceHistory>& sharedHistory() const { return m_history; }
    BarShape shape() const { return m_shape; }
    int size() const { return m_history ? int(m_history->bars.size()) : 0; }
    qint64 julianDay(int bar) const { return m_history->bars[size_t(bar)].date.toJulianDay(); }

    // The lowest low and highest high of the bars [first, end).
    PriceSpan span(int first, int end) const;
    // The bars in view: [first, end) of those whose column lies within the window.
    std::pair<int, int> visibleBars(const TimeWindow& view) const;
    // One entry for each column that holds a bar, left to right.
    std::vector<ColumnBar> columns(const TimeWindow& view) const;

private:
    PriceSpan barSpan(int bar) const;
    PriceSpan levelSpan(int level, int first, int end) const;
    // The first bar from `from` on whose column is past `column`.
    int firstBarPast(const TimeWindow& view, int column, int from, int end) const;

    std::shared_ptr<const PriceHistory> m_history;
    BarShape m_shape = BarShape::Closes;
    std::vector<std::vector<PriceSpan>> m_levels;   // m_levels[k]: blocks of 16^(k+1) bars
};
