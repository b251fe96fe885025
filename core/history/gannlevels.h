#pragma once
#include "core/history/swingprojection.h"

#include <QDate>
#include <array>
#include <atomic>
#include <optional>
#include <vector>

// The Square of Nine for many swings at once, as the evidence needs it: thousands of
// surrogate histories, each with its swings, would otherwise run the whole Gann
// calculation tens of thousands of times. On the square the highs and lows depend on
// the whole price alone (one of 9,999) and the dates on the date alone, so each is
// worked out once, by the Gann window's own calculation, and looked up after that.
// Safe to use from several threads at once, without locks: an entry is published
// once, and two threads that work out the same entry at once get the same answer.
class GannLevelCache {
public:
    // Projections made as on `today` (a swing on today's date gets no dates, as a
    // picker left at today means none), in the large window's layout. Dates from
    // `first` to `last` are kept once worked out; others are worked out every time.
    GannLevelCache(const QDate& today, const QDate& first, const QDate& last);
    ~GannLevelCache();
    GannLevelCache(const GannLevelCache&) = delete;
    GannLevelCache& operator=(const GannLevelCache&) = delete;

    // What ProjectGann gives for the same swing and scale: the same levels, dates and
    // reason for refusing.
    std::optional<QString> project(const Swing& swing, PriceScale scale, GannProjection& result) const;

private:
    struct Turns {
        std::array<qint16, GannAngleCount> highs{}, lows{};   // square numbers, 0 for none
    };
    struct Dates {
        bool leavesCalendar = false;
        std::array<QDate, GannAngleCount> dates;
    };
    Turns turnsFor(qint16 price) const;
    Dates datesFor(const QDate& date) const;

    QDate m_today;
    qint64 m_firstDay = 0;
    mutable std::array<std::atomic<const Turns*>, GannMaxPrice + 1> m_turns{};
    mutable std::vector<std::atomic<const Dates*>> m_dates;   // by day from m_firstDay
};
