#include "forms/history/core/pricehistory.h"

#include "modules/numbers.h"
#include "modules/textfile.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringList>
#include <algorithm>

namespace {

// One line's fields: separated by commas, a field in double quotes may hold commas and
// doubled quotes. Returns false for a quote that is never closed on the line.
bool SplitCsvLine(const QString& line, QStringList& fields)
{
    if (!line.contains(QLatin1Char('"'))) {
        fields = line.split(QLatin1Char(','));   // the usual export: no quotes at all
        return true;
    }
    fields.clear();
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (quoted) {
            if (c != QLatin1Char('"'))
                field += c;
            else if (i + 1 < line.size() && line.at(i + 1) == QLatin1Char('"'))
                field += line.at(++i);
            else
                quoted = false;
        } else if (c == QLatin1Char('"')) {
            quoted = true;
        } else if (c == QLatin1Char(',')) {
            fields << field;
            field.clear();
        } else {
            field += c;
        }
    }
    fields << field;
    return !quoted;
}

// Where each known column sits; -1 when the file has none.
struct Columns {
    int date = -1, close = -1, open = -1, high = -1, low = -1;
    int needed() const { return std::max(date, close) + 1; }
};

Columns FindColumns(const QStringList& header)
{
    Columns c;
    // The first column of a name counts; names are compared without case or blanks
    // around them, so " close " and "CLOSE" both find the close.
    const std::pair<const char*, int Columns::*> names[] = {
        {"date", &Columns::date}, {"close", &Columns::close}, {"open", &Columns::open},
        {"high", &Columns::high}, {"low", &Columns::low}};
    for (int i = header.size() - 1; i >= 0; --i) {
        const QString name = header[i].trimmed().toLower();
        for (const auto& [text, member] : names) {
            if (name == QLatin1String(text))
                c.*member = i;
        }
    }
    return c;
}

// An optional price column: empty or unreadable cells give no value.
double OptionalPrice(const QStringList& fields, int column)
{
    if (column < 0 || column >= fields.size())
        return NAN;
    const std::optional<double> v = ParseFileNumber(fields[column]);
    return v && *v > 0 ? *v : NAN;
}

class HistoryParser {
public:
    explicit HistoryParser(const QString& fileName) : m_fileName(fileName) {}
    PriceHistoryRead parse(const QStringList& lines);

private:
    // The refusal for line `line` (1-based as an editor counts).
    PriceHistoryRead refuse(int line, const QString& why) const
    {
        return {std::nullopt, QStringLiteral("%1, line %2: %3").arg(m_fileName).arg(line).arg(why)};
    }
    std::optional<PriceHistoryRead> readRow(const QStringList& fields, int line);
    std::optional<PriceHistoryRead> refuseRepeatedDate() const;

    QString m_fileName;
    Columns m_columns;
    std::vector<PriceBar> m_bars;
    std::vector<int> m_lines;   // the line of each bar, for the repeated-date message
};

std::optional<PriceHistoryRead> HistoryParser::readRow(const QStringList& fields, int line)
{
    if (fields.size() < m_columns.needed())
        return refuse(line, QStringLiteral("the row has %1 values; the Date and Close columns need %2.")
                                .arg(fields.size()).arg(m_columns.needed()));
    PriceBar bar;
    const QString dateText = fields[m_columns.date].trimmed();
    const std::optional<QDate> date = ParseHistoryDate(dateText);
    if (!date)
        return refuse(line, QStringLiteral("\"%1\" is not a date (yyyy-mm-dd or m/d/yyyy).").arg(dateText));
    const QString closeText = fields[m_columns.close].trimmed();
    const std::optional<double> close = ParseFileNumber(closeText);
    if (!close)
        return refuse(line, QStringLiteral("the close \"%1\" is not a number.").arg(closeText));
    if (!(*close > 0))
        return refuse(line, QStringLiteral("the close %1 is not above 0.").arg(closeText));
    bar.date = *date;
    bar.close = *close;
    bar.open = OptionalPrice(fields, m_columns.open);
    bar.high = OptionalPrice(fields, m_columns.high);
    bar.low = OptionalPrice(fields, m_columns.low);
    m_bars.push_back(bar);
    m_lines.push_back(line);
    return std::nullopt;
}

std::optional<PriceHistoryRead> HistoryParser::refuseRepeatedDate() const
{
    std::vector<size_t> order(m_bars.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [this](size_t a, size_t b) { return m_bars[a].date < m_bars[b].date; });
    for (size_t k = 1; k < order.size(); ++k) {
        const PriceBar& bar = m_bars[order[k]];
        if (bar.date == m_bars[order[k - 1]].date)
            return refuse(m_lines[order[k]], QStringLiteral("the date %1 is repeated (first on line %2).")
                                                 .arg(bar.date.toString(QStringLiteral("M/d/yyyy")))
                                                 .arg(m_lines[order[k - 1]]));
    }
    return std::nullopt;
}

PriceHistoryRead HistoryParser::parse(const QStringList& lines)
{
    QStringList fields;
    int headerLine = 0;
    for (int i = 0; i < lines.size(); ++i) {
        const int line = i + 1;
        if (lines[i].trimmed().isEmpty())
            continue;   // blank lines, such as one left at the end, hold no row
        if (!SplitCsvLine(lines[i], fields))
            return refuse(line, QStringLiteral("a quoted value is not closed."));
        if (headerLine == 0) {
            headerLine = line;
            m_columns = FindColumns(fields);
            if (m_columns.date < 0 || m_columns.close < 0)
                return refuse(line, QStringLiteral("the header row needs a Date and a Close column."));
            continue;
        }
        if (const std::optional<PriceHistoryRead> refused = readRow(fields, line))
            return *refused;
    }
    if (headerLine == 0)
        return refuse(1, QStringLiteral("the file holds no header row."));
    if (m_bars.empty())
        return refuse(headerLine, QStringLiteral("no prices follow the header row."));
    if (const std::optional<PriceHistoryRead> refused = refuseRepeatedDate())
        return *refused;

    PriceHistory history;
    history.fileName = m_fileName;
    history.bars = std::move(m_bars);
    std::stable_sort(history.bars.begin(), history.bars.end(),
                     [](const PriceBar& a, const PriceBar& b) { return a.date < b.date; });
    return {std::move(history), QString()};
}

// Digits only, at most `width` of them; -1 otherwise.
int Digits(QStringView text, int minWidth, int maxWidth)
{
    if (text.size() < minWidth || text.size() > maxWidth)
        return -1;
    int value = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return -1;
        value = value * 10 + (c.unicode() - '0');
    }
    return value;
}

}  // namespace

std::optional<QDate> ParseHistoryDate(const QString& text)
{
    const bool iso = text.contains(QLatin1Char('-'));
    const QList<QStringView> parts = QStringView(text).split(iso ? QLatin1Char('-') : QLatin1Char('/'));
    if (parts.size() != 3)
        return std::nullopt;
    const int year = iso ? Digits(parts[0], 4, 4) : Digits(parts[2], 4, 4);
    const int month = iso ? Digits(parts[1], 1, 2) : Digits(parts[0], 1, 2);
    const int day = iso ? Digits(parts[2], 1, 2) : Digits(parts[1], 1, 2);
    const QDate date(year, month, day);
    if (year < 100 || !date.isValid())
        return std::nullopt;
    return date;
}

std::vector<double> PriceHistory::closes() const
{
    std::vector<double> c;
    c.reserve(bars.size());
    for (const PriceBar& bar : bars)
        c.push_back(bar.close);
    return c;
}

bool PriceHistory::hasCandles() const
{
    return !bars.empty() && std::all_of(bars.begin(), bars.end(), [](const PriceBar& b) { return b.hasCandle(); });
}

PriceHistoryRead ReadPriceHistory(const QByteArray& bytes, const QString& fileName)
{
    QString text = DecodeFileText(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);   // a byte order mark, as spreadsheets write it
    return HistoryParser(fileName).parse(SplitFileLines(text));
}

PriceHistoryRead LoadPriceHistoryFile(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return {std::nullopt, QStringLiteral("%1: the file cannot be read.").arg(name)};
    return ReadPriceHistory(file.readAll(), name);
}
