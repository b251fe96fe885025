#pragma once
#include "forms/history/core/swingprojection.h"

#include <QDate>
#include <array>
#include <memory>
#include <optional>
#include <shared_mutex>
#include <unordered_map>

// The Square of Nine for many swings at once, as the evidence needs it: thousands of
// surrogate histories, each with its swings, would otherwise run the whole Gann
// calculation tens of thousands of times. On the square the highs and lows depend on
// the whole price alone (one of 9,999) and the dates on the date alone, so each is
// worked out once, by the Gann window's own calculation, and looked up after that.
// Safe to use from several threads at once.
class GannLevelCache {
public:
    // Projections made as on `today` (a swing on today's date gets no dates, as a
    // picker left at today means none), in the large window's layout.
    explicit GannLevelCache(const QDate& today);
    ~GannLevelCache();

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
    const Turns& turnsFor(qint16 price) const;
    const Dates& datesFor(const QDate& date) const;

    QDate m_today;
    mutable std::shared_mutex m_lock;
    mutable std::unordered_map<int, std::unique_ptr<Turns>> m_turns;
    mutable std::unordered_map<qint64, std::unique_ptr<Dates>> m_dates;
};
