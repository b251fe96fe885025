// SPDX-License-Identifier: GPL-3.0-or-later
// The command-line tool's watch-list: a CSV file from a spreadsheet, a script or a
// hand editor. A first byte "F" runs it as Fibonacci, any other as Gann; the rest is the file.
#include "app/cli/csvbatch.h"
#include "fuzzsupport.h"

namespace {

// A record the writer can give back: one field that is empty or only blanks is a
// blank line to the reader, and the batch never writes one (its rows are wider).
bool WritableRecord(const QStringList& fields)
{
    return !(fields.size() == 1 && fields.first().trimmed().isEmpty());
}

void CheckReader(const QByteArray& text)
{
    CsvReader reader(text);
    QList<QStringList> records;
    QString written;
    CsvRecord record;
    while (reader.next(record)) {
        const QStringList& fields = record.fields;
        FUZZ_CHECK(!fields.isEmpty());
        if (!WritableRecord(fields))
            continue;
        records << fields;
        written += CsvLine(fields);
    }
    // What the tool writes, it reads back field for field. (Behind a byte-order mark,
    // as a spreadsheet saves it: the reader drops the first one, so a field that itself
    // begins with U+FEFF is kept.)
    CsvReader again("\xEF\xBB\xBF" + written.toUtf8());
    for (const QStringList& expected : records) {
        FUZZ_CHECK(again.next(record));
        FUZZ_CHECK(!record.unclosed);
        FUZZ_CHECK(record.fields == expected);
    }
    FUZZ_CHECK(!again.next(record));
}

void CheckBatch(const QByteArray& text, Analysis analysis)
{
    BatchSettings settings;
    settings.analysis = analysis;
    settings.today = QDate(2024, 6, 1);
    settings.ratios = DefaultRatios;
    settings.lenient = true;
    settings.threads = 1;
    QByteArray output;
    const std::optional<CliFailure> failure =
        RunCsvBatch(text, settings, [&output](const QByteArray& chunk, qint64) {
            output += chunk;
            return std::optional<CliFailure>();
        });
    if (failure && failure->status == ExitRejected) {
        FUZZ_CHECK(output.isEmpty());
        return;
    }
    // Every row keeps its place and has every column, whatever went wrong with it.
    const qsizetype width = BatchInputColumns(analysis).size() + BatchResultColumns(analysis).size();
    CsvReader reader(output);
    CsvRecord record;
    int rows = 0;
    while (reader.next(record)) {
        FUZZ_CHECK(record.fields.size() == width);
        ++rows;
    }
    FUZZ_CHECK(rows >= 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray text = FuzzBytes(data + 1, size - 1);
    CheckReader(text);
    CheckBatch(text, data[0] == 'F' ? Analysis::Fibonacci : Analysis::Gann);
    return 0;
}
