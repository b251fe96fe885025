#pragma once
#include "forms/history/core/swingprojection.h"

#include <QStringList>

// How projections from past swings met the swing that followed.
//
// Fibonacci, for every three consecutive confirmed swings A, B, C: projected from A to B,
// the price error is the smallest |C - P| / |B - A| over the three potential prices and
// the time error the smallest number of days between a potential date and C's date.
// The same projection with evenly spaced ratios 0.25 / 0.5 / 0.75 is the baseline: if
// the golden ratios mean anything, they should come closer than evenly spaced ones.
//
// Gann, for every two consecutive confirmed swings B, C: projected from B, the price
// error is the smallest |C - level| / B over the potential highs and lows, the time
// error the smallest distance in days from C's date to one of the projected dates.

inline const FibRatios BaselineRatios{0.25, 0.5, 0.75};
constexpr double CloseEnoughPrice = 0.05;   // within 5 % ...
constexpr int CloseEnoughDays = 5;          // ... or within 5 days counts as a hit

// One set of projections summed up. Price errors are fractions (0.05 = 5 %).
struct ProjectionScore {
    int count = 0;
    double medianPriceError = 0;
    double medianDaysOff = 0;
    double shareWithinPrice = 0;   // of count, 0..1
    double shareWithinDays = 0;
};

struct Evidence {
    ProjectionScore fibonacci;
    ProjectionScore baseline;
    ProjectionScore gann;
};

// A projection whose calculation cannot go on is left out of the count.
Evidence MeasureEvidence(const std::vector<Swing>& swings, const FibRatios& ratios,
                         const PriceScaleChoice& scale, const QDate& today);

// Plain sentences on how the Fibonacci projections compare with the baseline.
QStringList EvidenceVerdicts(const Evidence& evidence);

// The table the window and the report show: one row per kind of projection, the
// projections and the baseline side by side.
struct EvidenceRow {
    QString name;        // "Fibonacci 0.382 / 0.5 / 0.618", ...
    QStringList cells;   // under EvidenceColumns()
};
QStringList EvidenceColumns();
std::vector<EvidenceRow> EvidenceTable(const Evidence& evidence, const FibRatios& ratios);
