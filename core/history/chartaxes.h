#pragma once
#include "core/history/chartcolumns.h"

#include <QString>
#include <functional>
#include <vector>

// The labels of the price chart's two axes, on steps a reader counts in at a glance.

// Where the price axis starts and ends for the prices in view: their span, with
// `spareShare` of the axis to spare at each end (room for the swings' markers and
// their labels); a single price (a one-row file, a flat stretch) is first taken 2 %
// either side. On a logarithmic axis the room is measured in ratios. An axis of
// prices never runs below 0.
PriceSpan PriceAxisRange(const PriceSpan& visible, bool logarithmic, double spareShare);

struct AxisTick {
    double value = 0;
    QString text;
};

// Labels on round steps (1, 2, 2.5 or 5 times a power of ten), the widest step that
// still puts at least `minCount` of them between low and high.
std::vector<AxisTick> PriceTicks(double low, double high, int minCount = 5);

// Labels for a logarithmic axis: powers of ten, or 1-2-5 and finer steps within each
// power, the sparsest that gives `minCount`; a range too narrow for those gets the
// linear steps, which on so short a stretch of the logarithm are as evenly spaced.
std::vector<AxisTick> LogPriceTicks(double low, double high, int minCount = 5);

// A price as the chart's labels show it: four significant digits, and never fewer
// decimals than the price lists' two: 2114.51, 20.23, 0.9850 for a currency, 0.0001234
// for a coin.
QString PriceText(double price);

struct DateTick {
    qint64 julianDay = 0;
    QString text;
};

// Date labels that fit the span in view: days (m/d/yyyy), weeks from Monday, months
// ("Oct 1987") or years, the finest of those whose labels, `labelWidth` pixels each
// as the caller measures them, keep `gap` pixels apart.
std::vector<DateTick> DateTicks(const TimeWindow& view, const std::function<double(const QString&)>& labelWidth,
                                double gap);

// How many of `values` fall into each of `bins` equal parts of [low, high]; the last
// part holds high itself. Values outside are not counted.
std::vector<int> HistogramCounts(const std::vector<double>& values, double low, double high, int bins);
