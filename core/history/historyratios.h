#pragma once
#include "core/settings/fibratios.h"

#include <QString>
#include <optional>
#include <vector>

// The ratios projections from a price history are measured against. The analysis
// windows keep their three; studying past swings, a trader draws the whole ladder
// (0.236, 0.382, 0.5, 0.618, 0.786, 1.272, 1.618), so a history takes 1 to 12 of them.
// Ratios above 1 retrace past the older swing (Fibonacci) or reach beyond the move
// (extension).

constexpr int MaxHistoryRatios = 12;

class HistoryRatios {
public:
    // The ratios of the analysis windows, which the settings file and the ratios
    // dialog keep; their order is checked like any other list.
    static std::optional<HistoryRatios> fromFibRatios(const FibRatios& ratios, QString* problem = nullptr);
    // 1 to 12 finite numbers above 0, each larger than the one before; else the reason.
    static std::optional<HistoryRatios> fromValues(const std::vector<double>& values, QString* problem = nullptr);
    // k / (n + 1) for k = 1..n: the baseline with no theory behind it, as many
    // ratios as the trader's list and spread evenly over the swing.
    static HistoryRatios evenlySpaced(int count);

    const std::vector<double>& values() const { return m_values; }
    int count() const { return int(m_values.size()); }
    // The analysis windows' three, when there are exactly three.
    std::optional<FibRatios> asFibRatios() const;
    // "0.382 / 0.5 / 0.618", in general number form.
    QString text() const;

private:
    std::vector<double> m_values;
};

// "0.236,0.382,0.5" as the command line writes a list: each value a number in the
// strict form files use (blanks around it allowed); std::nullopt when one is not.
std::optional<std::vector<double>> ParseRatioList(const QString& text);
