#include "core/history/chartcolumns.h"

namespace {

constexpr int BlockSize = 16;

}  // namespace

ChartBars::ChartBars(std::shared_ptr<const PriceHistory> history)
    : m_history(std::move(history)),
      m_shape(m_history && m_history->hasCandles() ? BarShape::Candles : BarShape::Closes)
{
    // Level 0 is the bars themselves; each level above sums up BlockSize of the one below.
    int below = size();
    for (int level = 0; below > 1; ++level) {
        std::vector<PriceSpan> blocks(size_t((below + BlockSize - 1) / BlockSize));
        for (int i = 0; i < below; ++i)
            blocks[size_t(i / BlockSize)].add(level == 0 ? barSpan(i) : m_levels[size_t(level - 1)][size_t(i)]);
        below = int(blocks.size());
        m_levels.push_back(std::move(blocks));
    }
}

PriceSpan ChartBars::barSpan(int bar) const
{
    const PriceBar& b = m_history->bars[size_t(bar)];
    PriceSpan s;
    if (m_shape == BarShape::Candles)
        s.add(b.low, b.high);
    else
        s.add(b.close, b.close);
    return s;
}

PriceSpan ChartBars::levelSpan(int level, int first, int end) const
{
    PriceSpan s;
    for (int i = first; i < end; ++i)
        s.add(level == 0 ? barSpan(i) : m_levels[size_t(level - 1)][size_t(i)]);
    return s;
}

PriceSpan ChartBars::span(int first, int end) const
{
    // The ragged ends at each level, then whole blocks one level up.
    PriceSpan s;
    for (int level = 0; first < end; ++level) {
        const int up = (first + BlockSize - 1) / BlockSize * BlockSize;
        const int down = end / BlockSize * BlockSize;
        if (level == int(m_levels.size()) || up >= down) {
            s.add(levelSpan(level, first, end));
            break;
        }
        s.add(levelSpan(level, first, up));
        s.add(levelSpan(level, down, end));
        first = up / BlockSize;
        end = down / BlockSize;
    }
    return s;
}

int ChartBars::firstBarPast(const TimeWindow& view, int column, int from, int end) const
{
    const auto& bars = m_history->bars;
    return int(std::partition_point(bars.begin() + from, bars.begin() + end,
                                    [&](const PriceBar& b) { return view.column(b.date.toJulianDay()) <= column; })
               - bars.begin());
}

std::pair<int, int> ChartBars::visibleBars(const TimeWindow& view) const
{
    const int first = firstBarPast(view, -1, 0, size());
    return {first, firstBarPast(view, view.width - 1, first, size())};
}

std::vector<ColumnBar> ChartBars::columns(const TimeWindow& view) const
{
    std::vector<ColumnBar> out;
    const auto [first, end] = visibleBars(view);
    const auto& bars = m_history->bars;
    for (int i = first; i < end;) {
        ColumnBar c;
        c.column = view.column(julianDay(i));
        c.firstBar = i;
        c.endBar = firstBarPast(view, c.column, i + 1, end);
        const PriceSpan s = span(c.firstBar, c.endBar);
        const PriceBar& open = bars[size_t(c.firstBar)];
        c.open = m_shape == BarShape::Candles ? open.open : open.close;
        c.close = bars[size_t(c.endBar - 1)].close;
        c.high = s.high;
        c.low = s.low;
        out.push_back(c);
        i = c.endBar;
    }
    return out;
}
