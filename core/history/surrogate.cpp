#include "core/history/surrogate.h"

#include <QRandomGenerator>
#include <algorithm>
#include <cmath>

SurrogateSource::SurrogateSource(const PriceHistory& history) : m_history(history)
{
    const std::vector<PriceBar>& bars = history.bars;
    const bool shapes = std::any_of(bars.begin(), bars.end(), [](const PriceBar& b) { return b.hasCandle(); });
    for (size_t i = 1; i < bars.size(); ++i) {
        const PriceBar& b = bars[i];
        m_growth.push_back(b.close / bars[i - 1].close);
        if (shapes)
            m_shape.push_back({b.open / b.close, b.high / b.close, b.low / b.close});
    }
}

void SurrogateSource::draw(int blockDays, quint64 seed, quint64 drawIndex, quint64 fileIndex,
                           PriceHistory& out) const
{
    const std::vector<PriceBar>& real = m_history.bars;
    out.fileName = m_history.fileName;
    out.bars.resize(real.size());
    if (real.empty())
        return;
    out.bars[0] = real[0];
    const quint32 moves = quint32(m_growth.size());
    if (moves == 0)
        return;
    // Every draw has a generator of its own, seeded from the run's seed and its place
    // in the run, so no draw depends on the order the threads take them in.
    const quint32 seedWords[] = {quint32(seed), quint32(seed >> 32), quint32(drawIndex), quint32(drawIndex >> 32),
                                 quint32(fileIndex)};
    QRandomGenerator random(seedWords);
    const quint32 block = quint32(std::max(1, blockDays));
    double close = real[0].close;
    quint32 at = 0;
    quint32 left = 0;
    for (size_t i = 1; i < real.size(); ++i) {
        if (left == 0) {
            at = random.bounded(moves);
            left = block;
        }
        PriceBar& b = out.bars[i];
        close *= m_growth[at];
        b.date = real[i].date;
        b.close = close;
        if (m_shape.empty()) {
            b.open = b.high = b.low = NAN;
        } else {
            b.open = close * m_shape[at][0];
            b.high = close * m_shape[at][1];
            b.low = close * m_shape[at][2];
        }
        at = at + 1 == moves ? 0 : at + 1;
        --left;
    }
}
