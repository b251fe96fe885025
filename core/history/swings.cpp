#include "core/history/swings.h"

namespace {

enum class Trend { Unknown, Up, Down };

// The prices the rule reads: what counts as a bar's high and as its low.
struct ClosePrices {
    const double* c;
    int size;
    double high(int i) const { return c[i]; }
    double low(int i) const { return c[i]; }
};

struct BarCloses {
    const PriceBar* b;
    int size;
    double high(int i) const { return b[i].close; }
    double low(int i) const { return b[i].close; }
};

struct BarHighsLows {
    const PriceBar* b;
    int size;
    double high(int i) const { return std::isnan(b[i].high) ? b[i].close : b[i].high; }
    double low(int i) const { return std::isnan(b[i].low) ? b[i].close : b[i].low; }
};

template <class Prices>
class SwingFinder {
public:
    SwingFinder(const Prices& prices, double percent)
        : p(prices), rise(1.0 + percent / 100.0), fall(1.0 - percent / 100.0) {}

    std::vector<Swing> run()
    {
        for (int i = 1; i < p.size; ++i) {
            switch (trend) {
            case Trend::Unknown: firstSwing(i); break;
            case Trend::Up: followUp(i); break;
            case Trend::Down: followDown(i); break;
            }
        }
        if (trend != Trend::Unknown)
            add(extreme, trend == Trend::Up ? SwingKind::High : SwingKind::Low, false);
        return swings;
    }

private:
    void add(int bar, SwingKind kind, bool confirmed)
    {
        Swing s;
        s.bar = bar;
        s.kind = kind;
        s.confirmed = confirmed;
        s.price = kind == SwingKind::High ? p.high(bar) : p.low(bar);
        swings.push_back(s);
    }

    // Bar i against the extremes of the bars before it; bar 0 only starts them.
    void firstSwing(int i)
    {
        const bool upFromLow = p.high(i) >= p.low(lowest) * rise;
        const bool downFromHigh = p.low(i) <= p.high(highest) * fall;
        // With both, the extreme that came first is the swing; when it is one and the
        // same bar, the rule's first branch (the low) decides.
        if (upFromLow && (!downFromHigh || lowest <= highest)) {
            turn(lowest, SwingKind::Low, Trend::Up, i);
        } else if (downFromHigh) {
            turn(highest, SwingKind::High, Trend::Down, i);
        } else {
            // A wide bar can set a new high and a new low at once.
            if (p.high(i) > p.high(highest))
                highest = i;
            if (p.low(i) < p.low(lowest))
                lowest = i;
        }
    }

    // A confirmed swing at bar `at`; the new trend's extreme is the best price after it
    // up to bar i, the earliest of equal ones.
    void turn(int at, SwingKind kind, Trend next, int i)
    {
        add(at, kind, true);
        trend = next;
        extreme = at + 1;
        for (int k = at + 2; k <= i; ++k) {
            if (next == Trend::Up ? p.high(k) > p.high(extreme) : p.low(k) < p.low(extreme))
                extreme = k;
        }
    }

    // A new high is never a reversal, whatever its low.
    void followUp(int i)
    {
        if (p.high(i) > p.high(extreme))
            extreme = i;
        else if (p.low(i) <= p.high(extreme) * fall)
            turn(extreme, SwingKind::High, Trend::Down, i);
    }

    void followDown(int i)
    {
        if (p.low(i) < p.low(extreme))
            extreme = i;
        else if (p.high(i) >= p.low(extreme) * rise)
            turn(extreme, SwingKind::Low, Trend::Up, i);
    }

    const Prices p;
    const double rise;
    const double fall;
    Trend trend = Trend::Unknown;
    int highest = 0;
    int lowest = 0;
    int extreme = 0;
    std::vector<Swing> swings;
};

template <class Prices>
std::vector<Swing> Run(const Prices& prices, double percent)
{
    return SwingFinder<Prices>(prices, percent).run();
}

}  // namespace

std::vector<Swing> FindSwingBars(const std::vector<double>& closes, double percent)
{
    return Run(ClosePrices{closes.data(), int(closes.size())}, percent);
}

std::vector<Swing> FindSwings(const PriceHistory& history, double percent, SwingBasis basis)
{
    const PriceBar* bars = history.bars.data();
    const int n = int(history.bars.size());
    std::vector<Swing> swings = basis == SwingBasis::HighLow ? Run(BarHighsLows{bars, n}, percent)
                                                             : Run(BarCloses{bars, n}, percent);
    for (Swing& s : swings) {
        s.date = bars[s.bar].date;
        s.close = bars[s.bar].close;
    }
    return swings;
}

SwingBasis DefaultSwingBasis(const PriceHistory& history)
{
    return history.hasHighLow() ? SwingBasis::HighLow : SwingBasis::Close;
}

std::vector<Swing> FindSwings(const PriceHistory& history, double percent)
{
    return FindSwings(history, percent, DefaultSwingBasis(history));
}

std::vector<Swing> ConfirmedSwings(const std::vector<Swing>& swings)
{
    std::vector<Swing> confirmed;
    for (const Swing& s : swings) {
        if (s.confirmed)
            confirmed.push_back(s);
    }
    return confirmed;
}
