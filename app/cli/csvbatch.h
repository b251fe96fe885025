// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "app/cli/clicommon.h"
#include "app/cli/options.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

// Watch-list batches: one instrument per CSV row, the same projection for each, the
// results appended to the row. CSV as RFC 4180 has it: fields separated by commas,
// a field in double quotes may hold commas, line breaks and doubled quotes.

struct CsvRecord {
    QStringList fields;
    qint64 line = 0;        // where the record starts, from 1
    bool unclosed = false;  // it ended inside a quoted field that was never closed
};

// Reads records from bytes as they arrive, so a list of any length streams through
// in bounded memory. Blank lines (nothing, or only blanks and tabs, outside quotes)
// are no records. Line ends are CR LF, LF or a lone CR. Each record is read as UTF-8
// when its bytes are valid UTF-8, else as Windows-1252; a leading UTF-8 byte order
// mark is dropped.
class CsvReader {
public:
    CsvReader() = default;
    explicit CsvReader(const QByteArray& wholeText);  // append() and finish() in one
    void append(const QByteArray& bytes);
    void finish();  // no more bytes will come
    // The next complete record; false when more bytes are needed, or at the end.
    bool next(CsvRecord& record);
    // A record has run on for more than MaxRecordBytes without ending.
    bool overlong() const { return m_buffer.size() - m_pos > MaxRecordBytes; }
    static constexpr qsizetype MaxRecordBytes = 1 << 20;

private:
    struct Raw;
    bool parse(qsizetype& pos, Raw& raw) const;

    QByteArray m_buffer;
    qsizetype m_pos = 0;
    qint64 m_line = 1;
    bool m_finished = false;
    bool m_started = false;
};

// A field as CSV: quoted when it holds a comma, a quote, a line break or starts or
// ends with a blank; quotes inside doubled.
QString CsvField(const QString& value);
// The fields joined by commas and ended by CR LF.
QString CsvLine(const QStringList& fields);
// A cell a spreadsheet would take for a formula (=, +, -, @, a tab or CR first) with
// an apostrophe in front, so it shows as the text it is. Plain numbers stay numbers.
QString SpreadsheetText(const QString& cell);

struct BatchSettings {
    Analysis analysis = Analysis::Gann;
    QDate today;
    FibRatios ratios;  // Fibonacci only
    Layout layout = Layout::Large;
    QSize screen{1024, 768};
    bool lenient = false;                                     // as --lenient
    int threads = 0;                                          // 0: one per processor core
    QString sourceName = QStringLiteral("(standard input)");  // for file:line:column
};

// The columns each analysis expects and the result columns it appends.
QStringList BatchInputColumns(Analysis analysis);
QStringList BatchResultColumns(Analysis analysis);

// Bytes from the list as they come: how many were read, 0 at the end, -1 on an error.
using ByteSource = std::function<qint64(char* buffer, qint64 size)>;
// Output in input order, with the number of rows written so far; the failure of a write
// that did not go through (a full disk behind standard output) stops the batch.
using BatchSink = std::function<std::optional<CliFailure>(const QByteArray& bytes, qint64 rowsWritten)>;

// Runs the batch and hands the output to `write` as rows are done. A row the window
// rejects gets its message in the "error" column and the batch goes on. A header that
// is missing or names unknown, repeated or too few columns stops it (status 2); so
// does, unless lenient, a value that is not a number or a date where one belongs
// (status 64, naming file:line:column), after the rows before it were written; and so
// does the first write that fails, with its failure: no row is calculated for nobody.
std::optional<CliFailure> RunCsvBatch(const ByteSource& read, const BatchSettings& settings,
                                      const BatchSink& write);
// The same for a list held whole in memory.
std::optional<CliFailure> RunCsvBatch(const QByteArray& csv, const BatchSettings& settings,
                                      const BatchSink& write);
