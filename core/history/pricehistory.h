#pragma once
#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <cmath>
#include <functional>
#include <optional>
#include <vector>

// A daily price history, read from the files traders download: chart sites, brokers'
// platforms (MetaTrader 4 and 5), stooq, Investing and German banks, each with its own
// separators, number marks, date forms and column names (pricelayout.h, pricecells.h).
// Swings and projections count calendar days, so intraday bars are taken per day.

struct PriceBar {
    QDate date;
    double close = 0;
    double open = NAN;   // NAN where the file has no such column or leaves the cell empty
    double high = NAN;
    double low = NAN;

    bool hasCandle() const { return !std::isnan(open) && !std::isnan(high) && !std::isnan(low); }
};

// How dates written with slashes and the year last are read: 3/4/2024 is 4 March in the
// United States and 3 April in most of Europe. Automatic decides from the whole column
// and refuses a file where every date reads both ways.
enum class DateOrder { Automatic, MonthFirst, DayFirst };

// "auto", "mm/dd/yyyy" (or "m/d/yyyy"), "dd/mm/yyyy" (or "d/m/yyyy").
std::optional<DateOrder> ParseDateOrder(QStringView token);
QString DateOrderToken(DateOrder order);   // "auto", "mm/dd/yyyy", "dd/mm/yyyy"

// What the reader did beyond turning rows into bars, for the trader to know.
struct PriceReadNotes {
    int skippedRows = 0;          // rows without prices ("null", empty), as sites write for holidays
    int firstSkippedLine = 0;
    qint64 intradayRows = 0;      // rows taken per day when some day had several; 0 when none had
    DateOrder slashDates = DateOrder::Automatic;   // the order slash dates were read in; Automatic: none
    int slashOrderLine = 0;       // the line whose date showed that order; 0 when it was chosen
    char guessedDecimalMark = 0;  // '.' or ',' when no number showed the decimal mark
    int guessedMarkLine = 0;      // the first number that read both ways
};

struct PriceHistory {
    QString fileName;             // the file's name without its folder, for messages
    std::vector<PriceBar> bars;   // oldest first, one bar per date
    PriceReadNotes notes;

    std::vector<double> closes() const;
    // Candles only when every bar has its open, high and low.
    bool hasCandles() const;
    // Every bar has its high and its low, so swings can be found on them.
    bool hasHighLow() const;
};

// The notes as sentences ("3 rows without prices were skipped, the first on line 57."),
// none when the file was read row for row.
QStringList PriceReadNoteLines(const PriceHistory& history);

enum class PriceReadFailure {
    None,
    CannotRead,   // the file itself: missing, a folder, a pipe, a read error
    Refused,      // its contents: the message names the line
};

// A file read whole, or the first reason it was refused ("prices.csv, line 7: ...").
// A refused file gives no bars at all.
struct PriceHistoryRead {
    std::optional<PriceHistory> history;
    QString problem;
    PriceReadFailure failure = PriceReadFailure::None;
    // Refused only because every slash date reads both ways: read again with a chosen
    // DateOrder, the file may well be read.
    bool ambiguousDates = false;
};

struct PriceReadOptions {
    DateOrder dateOrder = DateOrder::Automatic;
    // Called after each piece of the file with the bytes read so far and the file's size
    // (0 when not known, as for standard input); on the reading thread.
    std::function<void(qint64 done, qint64 total)> progress;
};

// Bytes as they arrive: how many were put in the buffer, 0 at the end, -1 on an error.
using PriceByteSource = std::function<qint64(char* buffer, qint64 size)>;

// A line longer than this is not a row of prices; the file is refused there rather than
// held in memory whole.
constexpr qsizetype MaxPriceLineBytes = 64 * 1024;

PriceHistoryRead ReadPriceHistory(const QByteArray& bytes, const QString& fileName,
                                  const PriceReadOptions& options = {});
PriceHistoryRead ReadPriceHistory(const PriceByteSource& source, const QString& fileName,
                                  const PriceReadOptions& options = {});
// A regular file only: a folder, a pipe or a device is refused without being opened.
// The problem of a file that cannot be read names the path as given and the system's
// reason.
PriceHistoryRead LoadPriceHistoryFile(const QString& path, const PriceReadOptions& options = {});
