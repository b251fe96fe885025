#include "core/history/pricereader.h"

#include "core/numbers/dates.h"
#include "core/numbers/quotedtext.h"
#include "core/files/textfile.h"

#include <QTime>

#include <algorithm>
#include <climits>
#include <cstring>
#ifdef __linux__
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace {

// A cell or line of the file quoted in a message. Only its start can be shown, so only
// its start is decoded (cut where a UTF-8 character begins).
QString Quoted(std::string_view text)
{
    size_t n = std::min<size_t>(text.size(), 4 * QuotedTextLimit + 4);
    while (n < text.size() && n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80)
        --n;
    // Cut there, the text still has more than QuotedTextLimit characters, so it still
    // shows that more follows.
    return QuotedText(DecodeFileText(QByteArray(text.data(), qsizetype(n))));
}

// A number that was read, as the file wrote it (it is short and plain by then).
QString NumberText(std::string_view cell)
{
    const QString text = QString::fromLatin1(TrimBlanks(cell));
    return text.size() > QuotedTextLimit ? text.left(QuotedTextLimit) + QChar(0x2026) : text;
}

QString SeparatorName(char separator)
{
    return separator == ';' ? QStringLiteral("semicolons")
                            : separator == '\t' ? QStringLiteral("tabs") : QStringLiteral("commas");
}

// A day, with its time when the row had one: "1/5/2024" or "1/5/2024 10:30".
QString RowTime(const QDate& date, int msecs)
{
    if (msecs < 0)
        return FormatShortDate(date);
    const QTime time = QTime::fromMSecsSinceStartOfDay(msecs);
    return FormatShortDate(date) + QLatin1Char(' ')
           + time.toString(time.second() || time.msec() ? QStringLiteral("HH:mm:ss") : QStringLiteral("HH:mm"));
}

// Spreadsheets write semicolons exactly where the decimal mark is a comma; a tab or a
// comma goes with a decimal point.
char SeparatorDecimalMark(char separator)
{
    return separator == ';' ? ',' : '.';
}

bool IsBlank(std::string_view line)
{
    return TrimBlanks(line).empty();
}

}  // namespace

PriceFileReader::PriceFileReader(const QString& fileName, DateOrder order) : m_fileName(fileName), m_order(order) {}

PriceFileReader::~PriceFileReader() = default;

void PriceFileReader::reserveRows(qint64 rows)
{
    m_bars.reserve(size_t(std::max<qint64>(rows, 0)));
#ifdef __linux__
    // A long file's table is tens of megabytes, and first touching fresh memory a 4 KB
    // page at a time took a fifth of the reading on a virtual machine: ask for 2 MB
    // pages where the system grants them on request. Pages no bar reaches stay untouched.
    const auto page = uintptr_t(sysconf(_SC_PAGESIZE));
    const auto begin = reinterpret_cast<uintptr_t>(m_bars.data());
    const uintptr_t first = (begin + page - 1) / page * page;
    const uintptr_t last = (begin + m_bars.capacity() * sizeof(PriceBar)) / page * page;
    if (last > first + (uintptr_t(2) << 20))
        madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#endif
}

bool PriceFileReader::refuse(int line, const QString& why)
{
    if (m_problem.isEmpty())
        m_problem = QStringLiteral("%1, line %2: %3").arg(m_fileName).arg(line).arg(why);
    return false;
}

bool PriceFileReader::feed(const char* data, qsizetype size)
{
    if (!m_problem.isEmpty())
        return false;
    if (!m_started)
        return feedStart(data, size);
    if (!m_utf16)
        return feedText(data, size);
    // A character beyond the first 65,536 is two UTF-16 units, and a piece of the file may
    // end between them: the first waits for the second, so the pair becomes one character.
    QString text = m_highSurrogate + QString((*m_utf16)(QByteArrayView(data, size)));
    m_highSurrogate.clear();
    if (!text.isEmpty() && text.back().isHighSurrogate()) {
        m_highSurrogate = text.back();
        text.chop(1);
    }
    const QByteArray utf8 = text.toUtf8();
    return feedText(utf8.constData(), utf8.size());
}

// The byte order mark decides the encoding: UTF-8's is dropped, UTF-16's switches to a
// decoder. Without one the bytes are UTF-8 or Windows-1252, which agree on everything
// a row of prices holds.
bool PriceFileReader::feedStart(const char* data, qsizetype size)
{
    m_head.append(data, size);
    if (m_head.size() < 3 && size > 0)
        return true;
    m_started = true;
    const QByteArray head = std::exchange(m_head, QByteArray());
    if (head.startsWith("\xEF\xBB\xBF"))
        return feedText(head.constData() + 3, head.size() - 3);
    if (head.startsWith("\xFF\xFE") || head.startsWith("\xFE\xFF")) {
        m_utf16 = std::make_unique<QStringDecoder>(head.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE
                                                                                : QStringConverter::Utf16BE);
        return feed(head.constData() + 2, head.size() - 2);
    }
    return feedText(head.constData(), head.size());
}

// Lines end at LF, CR LF or a CR alone (old Macintosh files). A line is handed on from
// the buffer itself when it lies whole in it, and gathered only across two pieces.
bool PriceFileReader::feedText(const char* p, qsizetype size)
{
    const char* const end = p + size;
    if (m_afterCR && p < end) {
        if (*p == '\n')
            ++p;
        m_afterCR = false;
    }
    // Where the next LF and the next CR are (end: none); each is looked for again only
    // once the lines have passed it, so a file of one kind costs one scan for the other.
    const auto next = [end](const char* from, char c) {
        const void* at = std::memchr(from, c, size_t(end - from));
        return at ? static_cast<const char*>(at) : end;
    };
    const char* lf = nullptr;
    const char* cr = nullptr;
    while (p < end) {
        if (!lf || lf < p)
            lf = next(p, '\n');
        if (!cr || cr < p)
            cr = next(p, '\r');
        const char* const stop = std::min(lf, cr);
        if (qsizetype(m_partial.size()) + (stop - p) > MaxPriceLineBytes)
            return refuse(m_line, QStringLiteral("the line is longer than %1 KB, which no row of prices is.")
                                      .arg(MaxPriceLineBytes / 1024));
        if (stop == end) {
            m_partial.append(p, size_t(end - p));
            break;
        }
        std::string_view line(p, size_t(stop - p));
        if (!m_partial.empty())
            line = m_partial.append(line);
        if (!takeLine(line))
            return false;
        m_partial.clear();
        p = stop + 1;
        if (*stop == '\r') {
            if (p == end)
                m_afterCR = true;
            else if (*p == '\n')
                ++p;
        }
    }
    return true;
}

bool PriceFileReader::takeLine(std::string_view line)
{
    const bool ok = IsBlank(line) || (m_haveLayout ? readRow(line) : readHeader(line));
    ++m_line;
    return ok;
}

bool PriceFileReader::readHeader(std::string_view line)
{
    if (line.find('\0') != std::string_view::npos)
        return refuse(m_line, QStringLiteral("the line holds NUL bytes, as a file in UTF-16 without a byte order mark "
                                             "does; save the file as UTF-8."));
    const char separator = DetectSeparator(line);
    if (!SplitCells(line, separator, INT_MAX, m_cells, m_scratch))
        return refuse(m_line, QStringLiteral("a quoted value is not closed; found %1.").arg(Quoted(line)));
    m_headerLine = m_line;
    if (const std::optional<PriceLayout> layout = HeaderlessLayout(m_cells, separator)) {
        m_layout = *layout;
        m_decimalMark = SeparatorDecimalMark(separator);
        m_haveLayout = true;
        return readRow(line);
    }
    QStringList names;
    for (const std::string_view cell : m_cells)
        names << DecodeFileText(QByteArray(cell.data(), qsizetype(cell.size()))).trimmed();
    m_layout = LayoutFromNames(names, separator);
    m_decimalMark = SeparatorDecimalMark(separator);
    if (m_layout.date < 0 || m_layout.close < 0)
        return refuse(m_line, QStringLiteral("the header row needs a Date and a Close column (or the MetaTrader 4 "
                                             "layout date, time, open, high, low, close, volume without a header); "
                                             "found %1.").arg(Quoted(line)));
    m_haveLayout = true;
    return true;
}

// The decimal mark a cell shows must be the file's: a file with "1.008" read as 1008
// and "1.0075" read as a price of one franc would be wrong without a word.
bool PriceFileReader::settleDecimalMark(char shows, std::string_view cell)
{
    if (m_markLine > 0 && shows != m_decimalMark) {
        const auto name = [](char mark) { return mark == '.' ? QStringLiteral("point") : QStringLiteral("comma"); };
        return refuse(m_line, QStringLiteral("%1 has a decimal %2, but %3 on line %4 was read with a decimal %5; the "
                                             "numbers must all be written one way.")
                                  .arg(Quoted(TrimBlanks(cell)), name(shows), m_markText).arg(m_markLine)
                                  .arg(name(m_decimalMark)));
    }
    if (m_markLine == 0) {
        m_decimalMark = shows;
        m_markLine = m_line;
        m_markText = Quoted(TrimBlanks(cell));
    }
    return true;
}

// The close (required, above 0) and the open, high and low (empty when the file leaves
// them out, else above 0). The marks all the row's numbers show settle the file's
// decimal mark before a number that reads both ways is taken.
bool PriceFileReader::readPrices(Row& row)
{
    const int columns[] = {m_layout.close, m_layout.open, m_layout.high, m_layout.low};
    const char* const names[] = {"close", "open", "high", "low"};
    double* const prices[] = {&row.close, &row.open, &row.high, &row.low};
    PriceCell cells[4];
    for (int k = 0; k < 4; ++k) {
        if (columns[k] < 0)
            continue;
        const std::string_view text = m_cells[columns[k]];
        cells[k] = ReadPriceCell(text, m_layout.separator, m_decimalMark);
        if (cells[k].kind == PriceCell::Bad)
            return refuse(m_line, QStringLiteral("the %1 %2 is not a number.").arg(QLatin1String(names[k]), Quoted(TrimBlanks(text))));
        if (cells[k].shows && !settleDecimalMark(cells[k].shows, text))
            return false;
    }
    for (int k = 0; k < 4; ++k) {
        if (columns[k] < 0)
            continue;
        const std::string_view text = m_cells[columns[k]];
        if (cells[k].ambiguous) {
            // Read as grouped until the file's mark is known (a thousandth of it, if
            // the mark turns out to be the number's), or with the mark when it is.
            cells[k] = ReadPriceCell(text, m_layout.separator, m_markLine > 0 ? m_decimalMark : 0);
            if (m_markLine == 0) {
                row.ambiguous[k] = cells[k].ambiguous;
                if (m_firstNumberLine == 0) {
                    m_firstNumberLine = m_line;
                    m_firstNumberText = Quoted(TrimBlanks(text));
                }
            }
        }
        if (cells[k].kind == PriceCell::Value && !(cells[k].value > 0))
            return refuse(m_line, QStringLiteral("the %1 %2 is not above 0.").arg(QLatin1String(names[k]), NumberText(text)));
        *prices[k] = cells[k].kind == PriceCell::Value ? cells[k].value : NAN;
    }
    return true;
}

bool PriceFileReader::readRow(std::string_view line)
{
    const int width = m_layout.width();
    if (!SplitCells(line, m_layout.separator, width, m_cells, m_scratch))
        return refuse(m_line, QStringLiteral("a quoted value is not closed; found %1.").arg(Quoted(line)));
    if (int(m_cells.size()) < width)
        return refuse(m_line, QStringLiteral("the row has %1 values where the columns read need %2, separated by %3; "
                                             "found %4.").arg(m_cells.size()).arg(width)
                                  .arg(SeparatorName(m_layout.separator), Quoted(line)));
    Row row;
    row.line = m_line;
    if (!readPrices(row))
        return false;
    if (std::isnan(row.close)) {   // a day without trading, as Yahoo writes it: no bar
        if (m_notes.skippedRows++ == 0)
            m_notes.firstSkippedLine = m_line;
        return true;
    }
    const std::string_view dateText = TrimBlanks(m_cells[m_layout.date]);
    if (!ReadDateCell(dateText, row.date))
        return refuse(m_line, QStringLiteral("%1 is not a date (yyyy-mm-dd, m/d/yyyy, d/m/yyyy, dd.mm.yyyy, yyyy.mm.dd, "
                                             "yyyymmdd or \"Jan 03, 2006\", a time after it or not).").arg(Quoted(dateText)));
    if (m_layout.time >= 0) {
        row.date.msecs = ReadTimeCell(m_cells[m_layout.time]);
        if (row.date.msecs < 0)
            return refuse(m_line, QStringLiteral("%1 is not a time of day (hh:mm or hh:mm:ss).")
                                      .arg(Quoted(TrimBlanks(m_cells[m_layout.time]))));
    }
    return takeRow(row, dateText);
}

// A slash date that reads both ways, or a number that does, waits with every row after
// it until a date that reads only one way settles the order for the whole column, and a
// number that shows its decimal mark settles the marks.
bool PriceFileReader::takeRow(const Row& row, std::string_view dateText)
{
    m_sawSlashDates = m_sawSlashDates || row.date.slash;
    if (row.date.slash && m_order == DateOrder::Automatic) {
        const bool monthFirst = SlashDate(row.date, true).isValid();
        const bool dayFirst = SlashDate(row.date, false).isValid();
        if (monthFirst != dayFirst) {
            m_order = monthFirst ? DateOrder::MonthFirst : DateOrder::DayFirst;
            m_orderLine = row.line;
            m_orderText = Quoted(dateText);
        } else if (m_firstDateLine == 0) {
            m_firstDateLine = row.line;
            m_firstDateText = Quoted(dateText);
        }
    } else if (row.date.slash && !SlashDate(row.date, m_order == DateOrder::MonthFirst).isValid()) {
        const QString order = DateOrderToken(m_order);
        if (m_orderLine == 0)
            return refuse(row.line, QStringLiteral("%1 is not a date in the chosen order %2.").arg(Quoted(dateText), order));
        return refuse(row.line, QStringLiteral("%1 is not a date in the order %2 that line %3 (%4) showed; the dates "
                                               "must all be written one way.")
                                    .arg(Quoted(dateText), order).arg(m_orderLine).arg(m_orderText));
    }
    if (m_pending.empty() && settled(row))
        return settleRow(row);
    m_pending.push_back(row);
    // Numbers like "1.008" for a hundred thousand rows: the separator's mark it is,
    // rather than a table of waiting rows growing with the file.
    if (m_pending.size() >= MaxWaitingRows && m_markLine == 0 && m_firstNumberLine > 0)
        guessDecimalMark();
    return settlePending();
}

bool PriceFileReader::settled(const Row& row) const
{
    const bool numbersSettled = m_markLine > 0 || !(row.ambiguous[0] || row.ambiguous[1] || row.ambiguous[2] || row.ambiguous[3]);
    return numbersSettled && (!row.date.slash || m_order != DateOrder::Automatic);
}

bool PriceFileReader::settlePending()
{
    size_t n = 0;
    while (n < m_pending.size() && settled(m_pending[n])) {
        if (!settleRow(m_pending[n]))
            return false;
        ++n;
    }
    m_pending.erase(m_pending.begin(), m_pending.begin() + qsizetype(n));
    if (m_pending.empty())
        m_pending.shrink_to_fit();
    return true;
}

// No number showed the decimal mark: the one the separator suggests, said in a note.
void PriceFileReader::guessDecimalMark()
{
    m_markLine = m_firstNumberLine;
    m_markText = m_firstNumberText;
    m_notes.guessedDecimalMark = m_decimalMark;
    m_notes.guessedMarkLine = m_firstNumberLine;
}

bool PriceFileReader::settleRow(Row row)
{
    double* const prices[] = {&row.close, &row.open, &row.high, &row.low};
    for (int k = 0; k < 4; ++k) {
        if (row.ambiguous[k] == m_decimalMark)
            *prices[k] /= 1000;   // read as grouped: "1.008" was 1008, and is 1.008
    }
    return addBar(row, row.date.slash ? SlashDate(row.date, m_order == DateOrder::MonthFirst) : row.date.date);
}

bool PriceFileReader::refuseOutOfOrder(const Row& row, const QDate& date)
{
    const bool oldestFirst = m_direction == Direction::OldestFirst;
    return refuse(row.line, QStringLiteral("%1 comes %2 %3 on line %4, but the rows run %5; the rows must be in date "
                                           "order.")
                                .arg(RowTime(date, row.date.msecs), oldestFirst ? QStringLiteral("before") : QStringLiteral("after"),
                                     RowTime(m_day.date, m_lastMsecs))
                                .arg(m_lastLine)
                                .arg(oldestFirst ? QStringLiteral("oldest first") : QStringLiteral("newest first")));
}

// The bars of one day become one bar: the open of the first, the highest high, the
// lowest low and the close of the last, whichever way the file runs.
bool PriceFileReader::addBar(const Row& row, const QDate& date)
{
    const int msecs = row.date.msecs;
    if (m_haveDay) {
        const bool sameDay = date == m_day.date;
        if (sameDay && (msecs < 0 || m_lastMsecs < 0 || msecs == m_lastMsecs)) {
            const bool timed = msecs >= 0 && m_lastMsecs >= 0;
            return refuse(row.line, QStringLiteral("the %1 %2 is repeated (first on line %3).")
                                        .arg(timed ? QStringLiteral("time") : QStringLiteral("date"), RowTime(date, msecs))
                                        .arg(timed ? m_lastLine : m_dayLine));
        }
        const bool later = sameDay ? msecs > m_lastMsecs : date > m_day.date;
        if (m_direction == Direction::Unknown)
            m_direction = later ? Direction::OldestFirst : Direction::NewestFirst;
        else if (later != (m_direction == Direction::OldestFirst))
            return refuseOutOfOrder(row, date);
        if (sameDay) {
            ++m_mergedRows;
            if (later)
                m_day.close = row.close;
            else
                m_day.open = row.open;
            m_day.high = std::fmax(m_day.high, row.high);
            m_day.low = std::fmin(m_day.low, row.low);
        } else {
            closeDay();
        }
    }
    if (!m_haveDay || date != m_day.date) {
        m_day = PriceBar{date, row.close, row.open, row.high, row.low};
        m_dayLine = row.line;
        m_haveDay = true;
    }
    m_lastMsecs = msecs;
    m_lastLine = row.line;
    ++m_rows;
    return true;
}

void PriceFileReader::closeDay()
{
    if (m_haveDay)
        m_bars.push_back(m_day);
}

PriceHistoryRead PriceFileReader::finish()
{
    if (!m_started)
        feedStart(nullptr, 0);
    if (m_problem.isEmpty() && !m_highSurrogate.isEmpty()) {
        const QByteArray lone = std::exchange(m_highSurrogate, QString()).toUtf8();
        feedText(lone.constData(), lone.size());
    }
    if (m_problem.isEmpty() && !m_partial.empty()) {
        const std::string last = std::exchange(m_partial, std::string());
        takeLine(last);
    }
    // The mark may have shown on a row without a close, after the last row that waited.
    if (m_problem.isEmpty() && m_markLine == 0 && m_firstNumberLine > 0)
        guessDecimalMark();
    if (m_problem.isEmpty())
        settlePending();
    const bool ambiguous = m_problem.isEmpty() && !m_pending.empty();
    if (ambiguous)
        refuse(m_firstDateLine, QStringLiteral("%1 and every other date read both as month/day and as day/month; "
                                               "choose the order with --date-format mm/dd/yyyy or dd/mm/yyyy.")
                                    .arg(m_firstDateText));
    if (m_problem.isEmpty() && !m_haveLayout)
        refuse(1, QStringLiteral("the file holds no header row."));
    closeDay();
    if (m_problem.isEmpty() && m_bars.empty())
        refuse(m_headerLine, m_notes.skippedRows ? QStringLiteral("no prices follow the header row, only rows without "
                                                                  "prices (%1).").arg(m_notes.skippedRows)
                                                 : QStringLiteral("no prices follow the header row."));
    if (!m_problem.isEmpty())
        return {std::nullopt, m_problem, PriceReadFailure::Refused, ambiguous};

    if (m_direction == Direction::NewestFirst)
        std::reverse(m_bars.begin(), m_bars.end());
    // Intraday files leave most of the room set aside for their rows unused.
    if (m_bars.capacity() > 2 * m_bars.size())
        m_bars.shrink_to_fit();
    PriceHistory history;
    history.fileName = m_fileName;
    history.bars = std::move(m_bars);
    history.notes = m_notes;
    history.notes.intradayRows = m_mergedRows > 0 ? m_rows : 0;
    if (m_sawSlashDates) {
        history.notes.slashDates = m_order;
        history.notes.slashOrderLine = m_orderLine;
    }
    return {std::move(history), QString(), PriceReadFailure::None};
}
