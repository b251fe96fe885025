#include "core/history/gannlevels.h"

#include "core/gann/ganncalc.h"

#include <memory>

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

// The entry in `slot`, worked out and published by the first thread to finish it.
template <class Value, class Make>
const Value& FindOrMake(std::atomic<const Value*>& slot, Make make)
{
    const Value* found = slot.load(std::memory_order_acquire);
    if (found)
        return *found;
    const Value* made = new Value(make());
    if (slot.compare_exchange_strong(found, made, std::memory_order_acq_rel))
        return *made;
    delete made;
    return *found;
}

}  // namespace

GannLevelCache::GannLevelCache(const QDate& today, const QDate& first, const QDate& last)
    : m_today(today), m_firstDay(first.toJulianDay()),
      m_dates(first.isValid() && last >= first ? size_t(last.toJulianDay() - m_firstDay + 1) : 0)
{
}

GannLevelCache::~GannLevelCache()
{
    for (std::atomic<const Turns*>& t : m_turns)
        delete t.load();
    for (std::atomic<const Dates*>& d : m_dates)
        delete d.load();
}

// The price alone, with the picker at today so that no date is projected.
GannLevelCache::Turns GannLevelCache::turnsFor(qint16 price) const
{
    return FindOrMake(m_turns[size_t(price)], [&] {
        Turns turns;
        GannState& state = ThreadGannState(m_today);
        CalculateGann(state, QString::number(price), m_today, m_today, Layout::Large);
        for (int k = 1; k <= GannAngleCount; ++k) {
            turns.highs[k - 1] = state.results.PotentialHigh[k];
            turns.lows[k - 1] = state.results.PotentialLow[k];
        }
        return turns;
    });
}

// The date alone, with an empty price box.
GannLevelCache::Dates GannLevelCache::datesFor(const QDate& date) const
{
    const auto make = [&] {
        Dates dates;
        GannState& state = ThreadGannState(m_today);
        const CalcOutcome outcome = CalculateGann(state, QString(), date, m_today, Layout::Large);
        dates.leavesCalendar = !outcome.accepted();
        for (int k = 1; k <= GannAngleCount; ++k)
            dates.dates[k - 1] = state.results.AngleDate[k];
        return dates;
    };
    const qint64 day = date.toJulianDay() - m_firstDay;
    if (day < 0 || day >= qint64(m_dates.size()))
        return make();
    return FindOrMake(m_dates[size_t(day)], make);
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
    const std::optional<Dates> dates = dateEntered ? std::optional<Dates>(datesFor(swing.date)) : std::nullopt;
    if (dates && dates->leavesCalendar)
        return LeavesCalendarMessage(swing.date);
    const Turns turns = turnsFor(onSquare);
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
