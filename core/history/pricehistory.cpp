#include "core/history/pricehistory.h"

#include "core/history/pricereader.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <algorithm>
#include <memory>

namespace {

// Pieces of 64 KB: a read costs a microsecond or two, a thousand of them for a 60 MB
// file, and the buffer is small enough to come from the allocator's pool, not fresh
// pages, for the many short files a window or a script opens.
constexpr qint64 ChunkBytes = 64 * 1024;

// Room for every line of the file: more than its rows, never fewer, so the table is
// allocated once. Pages of it that no bar reaches are never touched, so they cost no
// memory.
qint64 LineEnds(const char* data, qint64 size)
{
    const qint64 lf = std::count(data, data + size, '\n');
    return lf > 0 ? lf : std::count(data, data + size, '\r');
}

QString Counted(qint64 n)
{
    return QLocale(QLocale::English).toString(n);
}

PriceHistoryRead CannotRead(const QString& name, const QString& reason)
{
    return {std::nullopt, QStringLiteral("Can't read the price history file %1: %2").arg(name, reason),
            PriceReadFailure::CannotRead};
}

// Reads the source to its end through the reader; nullopt when the source failed.
std::optional<PriceHistoryRead> ReadThrough(PriceFileReader& reader, const PriceByteSource& source, qint64 total,
                                            const PriceReadOptions& options)
{
    const std::unique_ptr<char[]> buffer(new char[ChunkBytes]);
    qint64 done = 0;
    for (;;) {
        const qint64 n = source(buffer.get(), ChunkBytes);
        if (n < 0)
            return std::nullopt;
        if (n == 0 || !reader.feed(buffer.get(), n))
            break;
        done += n;
        if (options.progress)
            options.progress(done, total);
    }
    return reader.finish();
}

}  // namespace

std::optional<DateOrder> ParseDateOrder(QStringView token)
{
    const QString t = token.trimmed().toString().toLower();
    if (t == QLatin1String("auto"))
        return DateOrder::Automatic;
    if (t == QLatin1String("mm/dd/yyyy") || t == QLatin1String("m/d/yyyy"))
        return DateOrder::MonthFirst;
    if (t == QLatin1String("dd/mm/yyyy") || t == QLatin1String("d/m/yyyy"))
        return DateOrder::DayFirst;
    return std::nullopt;
}

QString DateOrderToken(DateOrder order)
{
    switch (order) {
    case DateOrder::MonthFirst: return QStringLiteral("mm/dd/yyyy");
    case DateOrder::DayFirst: return QStringLiteral("dd/mm/yyyy");
    case DateOrder::Automatic: break;
    }
    return QStringLiteral("auto");
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

bool PriceHistory::hasHighLow() const
{
    return !bars.empty() && std::all_of(bars.begin(), bars.end(), [](const PriceBar& b) {
        return !std::isnan(b.high) && !std::isnan(b.low);
    });
}

QStringList PriceReadNoteLines(const PriceHistory& history)
{
    const PriceReadNotes& n = history.notes;
    QStringList lines;
    if (n.skippedRows == 1)
        lines << QStringLiteral("1 row without prices was skipped, on line %1.").arg(n.firstSkippedLine);
    else if (n.skippedRows > 1)
        lines << QStringLiteral("%1 rows without prices were skipped, the first on line %2.")
                     .arg(Counted(n.skippedRows)).arg(n.firstSkippedLine);
    if (n.intradayRows > 0)
        lines << QStringLiteral("%1 intraday bars were taken per day into %2 days: %3.")
                     .arg(Counted(n.intradayRows), Counted(qint64(history.bars.size())),
                          history.hasHighLow() ? QStringLiteral("the open of the first bar, the highest high, the lowest "
                                                                "low and the close of the last")
                                               : QStringLiteral("the close of each day's last bar"));
    if (n.slashDates != DateOrder::Automatic)
        lines << (n.slashOrderLine > 0
                      ? QStringLiteral("Dates were read as %1, the only order line %2's date fits.")
                            .arg(DateOrderToken(n.slashDates)).arg(n.slashOrderLine)
                      : QStringLiteral("Dates were read as %1, as chosen.").arg(DateOrderToken(n.slashDates)));
    if (n.guessedDecimalMark)
        lines << QStringLiteral("No number showed its decimal mark, so numbers such as the one on line %1 were read "
                                "with a decimal %2.")
                     .arg(n.guessedMarkLine)
                     .arg(n.guessedDecimalMark == ',' ? QStringLiteral("comma") : QStringLiteral("point"));
    return lines;
}

PriceHistoryRead ReadPriceHistory(const QByteArray& bytes, const QString& fileName, const PriceReadOptions& options)
{
    PriceFileReader reader(fileName, options.dateOrder);
    reader.reserveRows(LineEnds(bytes.constData(), bytes.size()) + 1);
    reader.feed(bytes.constData(), bytes.size());
    return reader.finish();
}

PriceHistoryRead ReadPriceHistory(const PriceByteSource& source, const QString& fileName,
                                  const PriceReadOptions& options)
{
    PriceFileReader reader(fileName, options.dateOrder);
    if (std::optional<PriceHistoryRead> read = ReadThrough(reader, source, 0, options))
        return std::move(*read);
    return CannotRead(fileName, QStringLiteral("the input could not be read"));
}

PriceHistoryRead LoadPriceHistoryFile(const QString& path, const PriceReadOptions& options)
{
    // A pipe would block the read and a device could feed it without end; neither is
    // opened. The system's own words say what else is wrong.
    const QFileInfo info(path);
    if (info.isDir())
        return CannotRead(path, QStringLiteral("Is a directory"));
    if (info.exists() && !info.isFile())
        return CannotRead(path, QStringLiteral("Not a regular file"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return CannotRead(path, file.errorString());

    qint64 lines = 0;
    {
        const std::unique_ptr<char[]> buffer(new char[ChunkBytes]);
        for (qint64 n; (n = file.read(buffer.get(), ChunkBytes)) > 0;)
            lines += LineEnds(buffer.get(), n);
    }
    if (file.error() != QFileDevice::NoError || !file.seek(0))
        return CannotRead(path, file.errorString());

    PriceFileReader reader(info.fileName(), options.dateOrder);
    reader.reserveRows(lines + 1);
    const auto source = [&file](char* data, qint64 size) { return file.read(data, size); };
    if (std::optional<PriceHistoryRead> read = ReadThrough(reader, source, info.size(), options))
        return std::move(*read);
    return CannotRead(path, file.errorString());
}
