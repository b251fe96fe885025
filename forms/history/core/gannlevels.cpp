#include "forms/history/core/gannlevels.h"

#include "forms/gann/core/ganncalc.h"

#include <mutex>

namespace {

// A Gann window in the large layout for each thread, loaded once: every calculation
// rebuilds its results from the inputs, as the window's Calculate does each time it is
// pressed, and the state is large enough that making one per entry would cost more
// than the calculation.
GannState& ThreadGannState(const QDate& today)
{
    thread_local std::unique_ptr<GannState> state;
    if (!state) {
        state = std::make_unique<GannState>();
        LoadGannState(*state, Layout::Large, today, 0);
    }
    return *state;
}

// Looked up under a shared lock; a missing entry is worked out without any lock (two
// threads may both do it, with the same result) and kept by the first to finish.
template <class Key, class Value, class Make>
const Value& FindOrMake(std::shared_mutex& lock, std::unordered_map<Key, std::unique_ptr<Value>>& map,
                        const Key& key, Make make)
{
    {
        std::shared_lock<std::shared_mutex> reading(lock);
        const auto found = map.find(key);
        if (found != map.end())
            return *found->second;
    }
    std::unique_ptr<Value> made = make();
    std::unique_lock<std::shared_mutex> writing(lock);
    return *map.try_emplace(key, std::move(made)).first->second;
}

}  // namespace

GannLevelCache::GannLevelCache(const QDate& today) : m_today(today) {}

GannLevelCache::~GannLevelCache() = default;

// The price alone, with the picker at today so that no date is projected.
const GannLevelCache::Turns& GannLevelCache::turnsFor(qint16 price) const
{
    return FindOrMake(m_lock, m_turns, int(price), [&] {
        auto turns = std::make_unique<Turns>();
        GannState& state = ThreadGannState(m_today);
        CalculateGann(state, QString::number(price), m_today, m_today, Layout::Large);
        for (int k = 1; k <= GannAngleCount; ++k) {
            turns->highs[k - 1] = state.PotentialHigh[k];
            turns->lows[k - 1] = state.PotentialLow[k];
        }
        return turns;
    });
}

// The date alone, with an empty price box.
const GannLevelCache::Dates& GannLevelCache::datesFor(const QDate& date) const
{
    return FindOrMake(m_lock, m_dates, date.toJulianDay(), [&] {
        auto dates = std::make_unique<Dates>();
        GannState& state = ThreadGannState(m_today);
        const CalcOutcome outcome = CalculateGann(state, QString(), date, m_today, Layout::Large);
        dates->leavesCalendar = !outcome.accepted();
        for (int k = 1; k <= GannAngleCount; ++k)
            dates->dates[k - 1] = state.AngleDate[k];
        return dates;
    });
}

std::optional<QString> GannLevelCache::project(const Swing& swing, PriceScale scale, GannProjection& result) const
{
    result = GannProjection{};
    result.scale = scale;
    result.squarePrice = scale.toSquare(swing.price);
    qint16 onSquare = 0;
    if (std::optional<QString> problem = GannScaleProblem(swing.price, scale, &onSquare))
        return problem;
    const bool dateEntered = !PickerMeansNoDate(swing.date, m_today);
    const Dates* dates = dateEntered ? &datesFor(swing.date) : nullptr;
    if (dates && dates->leavesCalendar)
        return LeavesCalendarMessage(swing.date);
    const Turns& turns = turnsFor(onSquare);
    for (int k = 0; k < GannAngleCount; ++k) {
        if (turns.highs[k] != 0)
            result.highs.push_back(scale.fromSquare(turns.highs[k]));
        if (turns.lows[k] != 0)
            result.lows.push_back(scale.fromSquare(turns.lows[k]));
        if (dates)
            result.dates.push_back(dates->dates[k]);
    }
    return std::nullopt;
}
