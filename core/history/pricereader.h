#pragma once
#include "core/history/pricecells.h"
#include "core/history/pricehistory.h"
#include "core/history/pricelayout.h"

#include <QStringDecoder>
#include <memory>
#include <string>
#include <vector>

// Reads a price file piece by piece as it arrives, so a file of any size costs its
// table of bars and one line, never the file's text: the bytes are split into lines
// (LF, CR LF or CR alone; UTF-8, Windows-1252 or UTF-16 with its byte order mark), the
// first line gives the layout, and each row becomes a bar at once. Rows must come in
// date order, oldest or newest first, as every exporter writes them; several rows of
// one day (intraday bars) are taken into one bar as they come.
class PriceFileReader {
public:
    PriceFileReader(const QString& fileName, DateOrder order);
    ~PriceFileReader();

    // Room for this many rows, so the table never has to move while it fills.
    void reserveRows(qint64 rows);
    // The next bytes of the file; false once the file is refused.
    bool feed(const char* data, qsizetype size);
    // The end of the file: the history, or the first reason it was refused.
    PriceHistoryRead finish();

private:
    struct Row {
        int line = 0;
        DateCell date;
        double open = NAN, high = NAN, low = NAN, close = 0;
        char ambiguous[4] = {};   // close, open, high, low: the mark of a number read as grouped
    };
    enum class Direction { Unknown, OldestFirst, NewestFirst };

    bool feedStart(const char* data, qsizetype size);
    bool feedText(const char* data, qsizetype size);
    bool takeLine(std::string_view line);
    bool readHeader(std::string_view line);
    bool readRow(std::string_view line);
    bool readPrices(Row& row);
    bool settleDecimalMark(char shows, std::string_view cell);
    bool takeRow(const Row& row, std::string_view dateText);
    bool settled(const Row& row) const;
    bool settlePending();
    void guessDecimalMark();
    bool settleRow(Row row);
    bool addBar(const Row& row, const QDate& date);
    bool refuseOutOfOrder(const Row& row, const QDate& date);
    void closeDay();
    bool refuse(int line, const QString& why);

    const QString m_fileName;
    DateOrder m_order;

    // The text: the first bytes until the byte order mark is known, a UTF-16 decoder
    // when the mark says so, the line not yet ended.
    QByteArray m_head;
    bool m_started = false;
    std::unique_ptr<QStringDecoder> m_utf16;
    QString m_highSurrogate;
    std::string m_partial;
    bool m_afterCR = false;
    int m_line = 1;   // the number of the line being read, as an editor counts

    // The layout from the header, and the cells of the row being read.
    bool m_haveLayout = false;
    PriceLayout m_layout;
    int m_headerLine = 0;
    std::vector<std::string_view> m_cells;
    std::string m_scratch;

    // The decimal mark of a file not separated by commas: the one its numbers show, or,
    // when none does, the one its separator suggests. m_markLine is where it was settled.
    char m_decimalMark = '.';
    int m_markLine = 0;
    QString m_markText;

    // Rows whose slash date or number reads both ways, with every row after them, until
    // a date shows the order and a number the decimal mark.
    static constexpr size_t MaxWaitingRows = 100000;
    std::vector<Row> m_pending;
    int m_firstDateLine = 0;
    QString m_firstDateText;
    int m_firstNumberLine = 0;
    QString m_firstNumberText;
    int m_orderLine = 0;
    QString m_orderText;
    bool m_sawSlashDates = false;

    // The table, and the day being built from its rows.
    std::vector<PriceBar> m_bars;
    bool m_haveDay = false;
    PriceBar m_day;
    int m_dayLine = 0;
    int m_lastMsecs = -1;
    int m_lastLine = 0;
    Direction m_direction = Direction::Unknown;
    qint64 m_rows = 0;
    qint64 m_mergedRows = 0;
    PriceReadNotes m_notes;

    QString m_problem;
};
