#include "forms/history/core/swings.h"

namespace {

enum class Trend { Unknown, Up, Down };

Swing UndatedSwing(int bar, SwingKind kind, bool confirmed)
{
    Swing s;
    s.bar = bar;
    s.kind = kind;
    s.confirmed = confirmed;
    return s;
}

class SwingFinder {
public:
    SwingFinder(const std::vector<double>& closes, double percent)
        : c(closes), rise(1.0 + percent / 100.0), fall(1.0 - percent / 100.0) {}

    std::vector<Swing> run()
    {
        for (int i = 1; i < int(c.size()); ++i) {
            switch (trend) {
            case Trend::Unknown: firstSwing(i); break;
            case Trend::Up: followUp(i); break;
            case Trend::Down: followDown(i); break;
            }
        }
        if (trend != Trend::Unknown)
            swings.push_back(UndatedSwing(extreme, trend == Trend::Up ? SwingKind::High : SwingKind::Low, false));
        return swings;
    }

private:
    // Bar i against the extremes of the bars before it; bar 0 only starts them.
    void firstSwing(int i)
    {
        const bool upFromLow = c[i] >= c[lowest] * rise;
        const bool downFromHigh = c[i] <= c[highest] * fall;
        // With both, the extreme that came first is the swing; when it is one and the
        // same close, the rule's first branch (the low) decides.
        if (upFromLow && (!downFromHigh || lowest <= highest))
            turn(lowest, SwingKind::Low, Trend::Up, i);
        else if (downFromHigh)
            turn(highest, SwingKind::High, Trend::Down, i);
        else if (c[i] > c[highest])
            highest = i;
        else if (c[i] < c[lowest])
            lowest = i;
    }

    // A confirmed swing at bar `at`; the new trend's extreme is the best close after it
    // up to bar i, the earliest of equal ones.
    void turn(int at, SwingKind kind, Trend next, int i)
    {
        swings.push_back(UndatedSwing(at, kind, true));
        trend = next;
        extreme = at + 1;
        for (int k = at + 2; k <= i; ++k) {
            if (next == Trend::Up ? c[k] > c[extreme] : c[k] < c[extreme])
                extreme = k;
        }
    }

    void followUp(int i)
    {
        if (c[i] > c[extreme])
            extreme = i;
        else if (c[i] <= c[extreme] * fall)
            turn(extreme, SwingKind::High, Trend::Down, i);
    }

    void followDown(int i)
    {
        if (c[i] < c[extreme])
            extreme = i;
        else if (c[i] >= c[extreme] * rise)
            turn(extreme, SwingKind::Low, Trend::Up, i);
    }

    const std::vector<double>& c;
    const double rise;
    const double fall;
    Trend trend = Trend::Unknown;
    int highest = 0;
    int lowest = 0;
    int extreme = 0;
    std::vector<Swing> swings;
};

}  // namespace

std::vector<Swing> FindSwingBars(const std::vector<double>& closes, double percent)
{
    return SwingFinder(closes, percent).run();
}

std::vector<Swing> FindSwings(const PriceHistory& history, double percent)
{
    std::vector<Swing> swings = FindSwingBars(history.closes(), percent);
    for (Swing& s : swings) {
        s.date = history.bars[s.bar].date;
        s.close = history.bars[s.bar].close;
        s.price = s.close;
    }
    return swings;
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
