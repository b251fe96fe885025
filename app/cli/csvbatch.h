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

// Reads records one after the other. Blank lines (nothing, or only blanks and tabs,
// outside quotes) are no records. Line ends are CR LF, LF or a lone CR.
class CsvReader {
public:
    explicit CsvReader(const QString& text);
    // false at the end of the text.
    bool next(QStringList& fields);
    // The last record ended inside a quoted field that was never closed.
    bool lastWasUnclosed() const { return m_unclosed; }
    int lastLineNumber() const { return m_lineNumber; }

private:
    QString m_text;
    qsizetype m_pos = 0;
    int m_line = 1;
    int m_lineNumber = 0;
    bool m_unclosed = false;
};

// A field as CSV: quoted when it holds a comma, a quote, a line break or starts or
// ends with a blank; quotes inside doubled.
QString CsvField(const QString& value);
// The fields joined by commas and ended by CR LF.
QString CsvLine(const QStringList& fields);

struct BatchSettings {
    Analysis analysis = Analysis::Gann;
    QDate today;
    FibRatios ratios;   // Fibonacci only
    Layout layout = Layout::Large;
    QSize screen{1024, 768};
};

// The columns each analysis expects and the result columns it appends.
QStringList BatchInputColumns(Analysis analysis);
QStringList BatchResultColumns(Analysis analysis);

// Runs the batch over the whole CSV text and hands the output to `write` in pieces.
// A rejected row gets its message in the "error" column and the batch goes on; only
// a missing or malformed header row stops it (status 2).
std::optional<CliFailure> RunCsvBatch(const QString& csvText, const BatchSettings& settings,
                                      const std::function<void(const QByteArray&)>& write);
