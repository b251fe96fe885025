#pragma once
#include "core/history/pricehistory.h"

#include <QtGlobal>
#include <array>
#include <vector>

// Surrogate histories: the same calendar with the day-to-day moves shuffled.
//
// The file's daily log returns are drawn with replacement in blocks of consecutive
// days (circularly, so the last days are as likely to be drawn as the first), and the
// closes are rebuilt from the first real close. Blocks keep a calm or a wild stretch
// together for a while, as real markets cluster their volatility, and the surrogate
// keeps the file's spread of daily moves; what it loses is anything that made prices
// turn at particular levels or on particular days. Whatever a projection method finds
// in a surrogate, it finds by chance.
//
// Each bar's open, high and low travel with its close's return as ratios to that
// close, so a surrogate bar has the shape of the real bar whose move it took and swings
// on High/Low see the same intraday ranges. The dates are the file's own, so days
// between swings count as in the real history.

constexpr int DefaultBlockDays = 20;
constexpr int MaxBlockDays = 10000;   // forty years of trading days: a block longer than that is the whole file

// What a surrogate is built from, worked out once per file.
class SurrogateSource {
public:
    explicit SurrogateSource(const PriceHistory& history);

    // The surrogate of one draw into `out` (its bars replaced, the allocation reused).
    // The same seed, draw and file give the same surrogate on any machine and with any
    // number of threads.
    void draw(int blockDays, quint64 seed, quint64 drawIndex, quint64 fileIndex, PriceHistory& out) const;

private:
    const PriceHistory& m_history;
    std::vector<double> m_growth;                 // close[i] / close[i - 1], i = 1..n-1
    std::vector<std::array<double, 3>> m_shape;   // open, high, low / close of bar i, i = 1..n-1; empty
                                                  // when no bar has them
};
