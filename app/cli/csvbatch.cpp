#include "app/cli/csvbatch.h"

#include "app/cli/batchrows.h"
#include "app/cli/orderedpool.h"
#include "core/numbers/numbers.h"
#include "core/files/textfile.h"

#include <QStringDecoder>
#include <algorithm>
#include <atomic>
#include <memory>

struct CsvReader::Raw {
    QList<QByteArray> fields;
    bool unclosed = false;
    bool quoted = false;   // a quoted field, even an empty one, makes a line no blank line
    int lineEnds = 0;
};

namespace {

// A field as a spreadsheet or a script saved it: UTF-8 when its bytes are UTF-8, else
// the old Windows code page.
QString DecodeField(const QByteArray& bytes)
{
    bool ascii = true;
    for (const char c : bytes)
        ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii)
        return QString::fromLatin1(bytes);
    // A field is text from the middle of the file: a U+FEFF at its start is a character
    // of the field, not a byte order mark (the file's own mark was dropped before).
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QString text = utf8(bytes);
    return utf8.hasError() ? DecodeFileText(bytes) : text;
}

}  // namespace

CsvReader::CsvReader(const QByteArray& wholeText)
{
    append(wholeText);
    finish();
}

void CsvReader::append(const QByteArray& bytes)
{
    // What was read is dropped now and then, so the buffer holds about one read's worth.
    if (m_pos > 0 && m_pos >= m_buffer.size() / 2) {
        m_buffer.remove(0, m_pos);
        m_pos = 0;
    }
    m_buffer += bytes;
}

void CsvReader::finish() { m_finished = true; }

// One record from `pos`: true when it is complete (ended by a line end, or by the end
// of the text once no more bytes will come).
bool CsvReader::parse(qsizetype& pos, Raw& raw) const
{
    QList<QByteArray>& fields = raw.fields;
    const qsizetype n = m_buffer.size();
    const char* text = m_buffer.constData();
    QByteArray field;
    for (;;) {
        if (pos < n && text[pos] == '"') {
            raw.quoted = true;
            for (++pos;; ++pos) {
                if (pos >= n) {
                    raw.unclosed = true;
                    fields << field;
                    return m_finished;
                }
                if (text[pos] == '"') {
                    if (pos + 1 >= n && !m_finished)
                        return false;   // a doubled quote may follow
                    if (pos + 1 < n && text[pos + 1] == '"') {
                        field += '"';
                        ++pos;
                        continue;
                    }
                    ++pos;
                    break;
                }
                if (text[pos] == '\n')
                    ++raw.lineEnds;
                field += text[pos];
            }
        }
        // Unquoted text, or what follows a closing quote, runs to the next comma or line end.
        const qsizetype start = pos;
        while (pos < n && text[pos] != ',' && text[pos] != '\r' && text[pos] != '\n')
            ++pos;
        field.append(text + start, pos - start);
        fields << field;
        field.clear();
        if (pos >= n)
            return m_finished;
        if (text[pos] == ',') {
            ++pos;
            continue;
        }
        if (text[pos] == '\r') {
            if (pos + 1 >= n && !m_finished)
                return false;   // LF may follow
            if (pos + 1 < n && text[pos + 1] == '\n')
                ++pos;
        }
        ++pos;
        ++raw.lineEnds;
        return true;
    }
}

bool CsvReader::next(CsvRecord& record)
{
    if (!m_started) {
        if (m_buffer.size() < 3 && !m_finished)
            return false;
        // A spreadsheet's UTF-8 byte order mark is no part of the first column's name.
        if (m_buffer.startsWith("\xEF\xBB\xBF"))
            m_pos = 3;
        m_started = true;
    }
    for (;;) {
        if (m_pos >= m_buffer.size())
            return false;
        qsizetype pos = m_pos;
        Raw raw;
        if (!parse(pos, raw))
            return false;
        const qint64 line = m_line;
        m_pos = pos;
        m_line += raw.lineEnds;
        if (!raw.quoted && raw.fields.size() == 1 && raw.fields.first().trimmed().isEmpty())
            continue;   // a blank line
        record.fields.clear();
        for (const QByteArray& f : raw.fields)
            record.fields << DecodeField(f);
        record.line = line;
        record.unclosed = raw.unclosed;
        return true;
    }
}

QString CsvField(const QString& value)
{
    const bool quote = value.contains(QLatin1Char(',')) || value.contains(QLatin1Char('"'))
        || value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r'))
        || value.startsWith(QLatin1Char(' ')) || value.endsWith(QLatin1Char(' '));
    if (!quote)
        return value;
    QString escaped = value;
    escaped.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

QString CsvLine(const QStringList& fields)
{
    QString line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += QLatin1Char(',');
        line += CsvField(fields[i]);
    }
    line += QLatin1String("\r\n");
    return line;
}

QString SpreadsheetText(const QString& cell)
{
    static const QString formulaStarts = QStringLiteral("=+-@\t\r");
    if (cell.isEmpty() || !formulaStarts.contains(cell.front()))
        return cell;
    if (cell.front() != QLatin1Char('@') && ParseFileNumber(cell))   // "-5" is a number, not a formula
        return cell;
    return QLatin1Char('\'') + cell;
}

QStringList BatchInputColumns(Analysis analysis)
{
    if (analysis == Analysis::Fibonacci)
        return {QStringLiteral("name"), QStringLiteral("price1"), QStringLiteral("price2"),
                QStringLiteral("date1"), QStringLiteral("date2")};
    return {QStringLiteral("name"), QStringLiteral("price"), QStringLiteral("date")};
}

QStringList BatchResultColumns(Analysis analysis)
{
    QStringList columns;
    if (analysis == Analysis::Fibonacci) {
        for (int i = 1; i <= 3; ++i)
            columns << QStringLiteral("PotentialPrice%1").arg(i);
        for (int i = 1; i <= 3; ++i)
            columns << QStringLiteral("PotentialDate%1").arg(i);
    } else {
        for (const char* kind : {"High", "Low", "Date"})
            for (int k = 1; k <= 8; ++k)
                columns << QLatin1String(kind) + QString::number(k * 45);
    }
    columns << QStringLiteral("error");
    return columns;
}

namespace {

// Rows go to the workers in chunks: big enough that handing them over costs little,
// small enough that a slow pipe sees its first results at once.
constexpr size_t ChunkRows = 256;
constexpr qint64 ReadBytes = 64 * 1024;

struct BatchRow {
    QStringList fields;   // as the list has them, one per header column
    QStringList inputs;   // in the order of BatchInputColumns
    QString error;        // the row cannot be calculated (lenient reading only)
};

CliFailure HeaderFailure(const QString& sentence) { return {ExitRejected, sentence}; }

// Where each input column stands in the header. Names are compared without regard to
// case or surrounding blanks; every column must be there once and no other.
std::optional<CliFailure> MapHeader(const CsvRecord& header, Analysis analysis, QList<int>& positions)
{
    const QStringList expected = BatchInputColumns(analysis);
    const QString list = expected.join(QLatin1Char(','));
    positions = QList<int>(expected.size(), -1);
    for (int i = 0; i < header.fields.size(); ++i) {
        const QString name = header.fields[i].trimmed();
        qsizetype k = 0;
        while (k < expected.size() && expected[k].compare(name, Qt::CaseInsensitive) != 0)
            ++k;
        if (k == expected.size())
            return HeaderFailure(QStringLiteral("The watch-list column %1 is not one of %2").arg(QuotedValue(name), list));
        if (positions[k] >= 0)
            return HeaderFailure(QStringLiteral("The watch-list names the column %1 twice").arg(QuotedValue(name)));
        positions[k] = i;
    }
    for (qsizetype k = 0; k < expected.size(); ++k) {
        if (positions[k] < 0)
            return HeaderFailure(QStringLiteral("The watch-list has no column \"%1\"; the header must name %2")
                                     .arg(expected[k], list));
    }
    return std::nullopt;
}

CliFailure CellFailure(const QString& message) { return {ExitUsage, QStringLiteral("tessaray-cli: ") + message}; }

// Strict reading: a price column holds a number or nothing, a date column a date or nothing.
std::optional<CliFailure> CheckCell(const QString& column, const QString& text, const QString& where)
{
    if (column.startsWith(QLatin1String("price")) && !IsWholeNumberText(text))
        return CellFailure(NotANumberMessage(where, text));
    if (column.startsWith(QLatin1String("date")) && !text.trimmed().isEmpty() && !ParsePickerDate(text))
        return CellFailure(NotADateMessage(where, text));
    return std::nullopt;
}

class RowReader {
public:
    RowReader(const BatchSettings& s, const QList<int>& positions)
        : m_settings(s), m_columns(BatchInputColumns(s.analysis)), m_positions(positions)
    {
    }

    // The row of a record; a record the strict reading refuses stops the batch.
    std::optional<CliFailure> read(CsvRecord&& record, qsizetype width, BatchRow& row) const
    {
        const QString where = QStringLiteral("%1:%2").arg(m_settings.sourceName).arg(record.line);
        if (record.unclosed)
            row.error = QStringLiteral("A quoted value is not closed");
        else if (record.fields.size() != width)
            row.error = QStringLiteral("Expected %1 values (%2), found %3")
                            .arg(width).arg(m_columns.join(QLatin1Char(','))).arg(record.fields.size());
        if (!row.error.isEmpty() && !m_settings.lenient)
            return CellFailure(where + QStringLiteral(": ") + row.error);
        // The row keeps its place and width whatever went wrong with it.
        row.fields = std::move(record.fields);
        row.fields.resize(width);
        for (qsizetype k = 0; k < m_columns.size(); ++k) {
            const int at = m_positions[k];
            row.inputs << row.fields[at];
            if (m_settings.lenient)
                continue;
            if (auto failure = CheckCell(m_columns[k], row.fields[at], where + QStringLiteral(":%1").arg(at + 1)))
                return failure;
        }
        return std::nullopt;
    }

private:
    const BatchSettings& m_settings;
    QStringList m_columns;
    QList<int> m_positions;
};

OrderedPool::Output RowsText(BatchRows& calculation, const std::vector<BatchRow>& rows, qsizetype resultCount)
{
    QString text;
    QStringList cells;
    for (const BatchRow& row : rows) {
        cells.clear();
        for (const QString& field : row.fields)
            cells << SpreadsheetText(field);
        QString results;
        QString error = row.error.isEmpty() ? calculation.calculate(row.inputs, results) : row.error;
        if (!error.isEmpty())
            results = QString(resultCount - 2, QLatin1Char(','));   // the empty result columns
        text += CsvLine(cells);
        text.chop(2);
        text += QLatin1Char(',') + results + QLatin1Char(',') + CsvField(SpreadsheetText(error)) + QLatin1String("\r\n");
    }
    return {text.toUtf8(), qint64(rows.size())};
}

// More bytes into the reader; false once the list has ended (the reader is then finished).
bool ReadMore(const ByteSource& read, CsvReader& reader, const QString& sourceName,
              std::optional<CliFailure>& failure)
{
    QByteArray bytes(ReadBytes, Qt::Uninitialized);
    const qint64 n = read(bytes.data(), bytes.size());
    if (n < 0)
        failure = CliFailure{ExitFailed, QStringLiteral("Action failed:\nCannot read the watch-list %1").arg(sourceName)};
    if (n <= 0) {
        reader.finish();
        return false;
    }
    bytes.truncate(n);
    reader.append(bytes);
    if (reader.overlong())
        failure = CellFailure(QStringLiteral("%1: a record runs on for more than %2 bytes")
                                  .arg(sourceName).arg(CsvReader::MaxRecordBytes));
    return !failure;
}

// The first record, read as far as it takes; `more` tells whether the list goes on.
std::optional<CliFailure> ReadHeader(const ByteSource& read, const BatchSettings& settings, CsvReader& reader,
                                     bool& more, CsvRecord& header)
{
    std::optional<CliFailure> failure;
    while (!reader.next(header)) {
        if (!more || failure)
            return failure ? failure
                           : HeaderFailure(QStringLiteral("The first row must be the header %1")
                                               .arg(BatchInputColumns(settings.analysis).join(QLatin1Char(','))));
        more = ReadMore(read, reader, settings.sourceName, failure);
    }
    if (header.unclosed)
        return HeaderFailure(QStringLiteral("The watch-list header has a quoted name that is not closed"));
    return std::nullopt;
}

}  // namespace

std::optional<CliFailure> RunCsvBatch(const ByteSource& read, const BatchSettings& settings, const BatchSink& write)
{
    CsvReader reader;
    CsvRecord header;
    bool more = true;
    std::optional<CliFailure> failure = ReadHeader(read, settings, reader, more, header);
    QList<int> positions;
    if (failure || (failure = MapHeader(header, settings.analysis, positions)))
        return failure;

    const QStringList results = BatchResultColumns(settings.analysis);
    QStringList headerCells;
    for (const QString& name : header.fields)
        headerCells << SpreadsheetText(name);
    std::optional<CliFailure> writeFailure = write(CsvLine(headerCells + results).toUtf8(), 0);
    if (writeFailure)
        return writeFailure;

    // Once a write has failed nothing more can reach the reader: the workers skip what
    // is queued and the list is read no further.
    std::atomic<bool> stopped{false};
    qint64 rowsWritten = 0;
    const int workers = OrderedPool::WorkerCount(settings.threads);
    const std::vector<std::unique_ptr<BatchRows>> calculations = MakeBatchRows(settings, workers);
    OrderedPool pool(workers, [&](const OrderedPool::Output& out) {
        if (!stopped && (writeFailure = write(out.bytes, rowsWritten += out.rows)))
            stopped = true;
    });
    const auto submit = [&](std::vector<BatchRow>&& chunk) {
        pool.submit([&, rows = std::move(chunk)](int worker) {
            return stopped ? OrderedPool::Output{} : RowsText(*calculations[worker], rows, results.size());
        });
    };

    const RowReader rowReader(settings, positions);
    std::vector<BatchRow> chunk;
    for (;;) {
        CsvRecord record;
        while (!failure && !stopped && reader.next(record)) {
            chunk.emplace_back();
            if ((failure = rowReader.read(std::move(record), header.fields.size(), chunk.back()))) {
                chunk.pop_back();
                break;
            }
            if (chunk.size() >= ChunkRows)
                submit(std::exchange(chunk, {}));
        }
        // What has arrived goes out now, so a slow pipe sees its results at once.
        if (!chunk.empty() && !stopped)
            submit(std::exchange(chunk, {}));
        if (!more || failure || stopped)
            break;
        more = ReadMore(read, reader, settings.sourceName, failure);
    }
    pool.finish();
    return writeFailure ? writeFailure : failure;
}

std::optional<CliFailure> RunCsvBatch(const QByteArray& csv, const BatchSettings& settings, const BatchSink& write)
{
    qint64 at = 0;
    return RunCsvBatch(
        [&](char* buffer, qint64 size) {
            const qint64 n = std::min(size, csv.size() - at);
            std::copy_n(csv.constData() + at, n, buffer);
            at += n;
            return n;
        },
        settings, write);
}
