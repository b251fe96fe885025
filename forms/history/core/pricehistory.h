#pragma once
#include <QByteArray>
#include <QDate>
#include <QString>
#include <cmath>
#include <optional>
#include <vector>

// A daily price history read from a CSV file with a header row, as chart sites and
// spreadsheets export it. Only the date and the close matter to the swings; open, high
// and low, when the file has all three, let the chart draw candles.

struct PriceBar {
    QDate date;
    double close = 0;
    double open = NAN;   // NAN where the file has no such column or leaves the cell empty
    double high = NAN;
    double low = NAN;

    bool hasCandle() const { return !std::isnan(open) && !std::isnan(high) && !std::isnan(low); }
};

struct PriceHistory {
    QString fileName;             // the file's name without its folder, for messages
    std::vector<PriceBar> bars;   // oldest first, one bar per date

    std::vector<double> closes() const;
    // Candles only when every bar has its open, high and low.
    bool hasCandles() const;
};

// A file read whole, or the first reason it was refused ("prices.csv, line 7: ...").
// A refused file gives no bars at all.
struct PriceHistoryRead {
    std::optional<PriceHistory> history;
    QString problem;
};

PriceHistoryRead ReadPriceHistory(const QByteArray& bytes, const QString& fileName);
PriceHistoryRead LoadPriceHistoryFile(const QString& path);

// A date as price files write it: yyyy-mm-dd or m/d/yyyy.
std::optional<QDate> ParseHistoryDate(const QString& text);
