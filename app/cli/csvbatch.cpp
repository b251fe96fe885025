#include "app/cli/csvbatch.h"

#include "app/cli/fibrun.h"
#include "app/cli/gannrun.h"
#include "modules/dates.h"
#include "modules/numbers.h"

#include <memory>

CsvReader::CsvReader(const QString& text) : m_text(text)
{
    // A spreadsheet's UTF-8 byte order mark is no part of the first column's name.
    if (m_text.startsWith(QChar(0xFEFF)))
        m_pos = 1;
}

bool CsvReader::next(QStringList& fields)
{
    const qsizetype n = m_text.size();
    const QChar* text = m_text.constData();
    for (;;) {
        if (m_pos >= n)
            return false;
        fields.clear();
        m_unclosed = false;
        m_lineNumber = m_line;
        bool quotedAny = false;
        QString field;
        bool endOfRecord = false;
        while (!endOfRecord) {
            if (m_pos < n && text[m_pos] == QLatin1Char('"')) {
                quotedAny = true;
                ++m_pos;
                for (;;) {
                    if (m_pos >= n) {
                        m_unclosed = true;
                        break;
                    }
                    const QChar c = text[m_pos++];
                    if (c == QLatin1Char('"')) {
                        if (m_pos < n && text[m_pos] == QLatin1Char('"')) {
                            field += QLatin1Char('"');
                            ++m_pos;
                            continue;
                        }
                        break;
                    }
                    if (c == QLatin1Char('\n'))
                        ++m_line;
                    field += c;
                }
            }
            // Unquoted text, or what follows a closing quote, runs to the next comma or
            // line end.
            while (m_pos < n) {
                const QChar c = text[m_pos];
                if (c == QLatin1Char(',') || c == QLatin1Char('\r') || c == QLatin1Char('\n'))
                    break;
                field += c;
                ++m_pos;
            }
            fields << field;
            field.clear();
            if (m_pos >= n) {
                endOfRecord = true;
            } else if (text[m_pos] == QLatin1Char(',')) {
                ++m_pos;
            } else {
                // CR LF, LF or a lone CR.
                if (text[m_pos] == QLatin1Char('\r') && m_pos + 1 < n && text[m_pos + 1] == QLatin1Char('\n'))
                    ++m_pos;
                ++m_pos;
                ++m_line;
                endOfRecord = true;
            }
        }
        const bool blank = !quotedAny && fields.size() == 1 && fields.first().trimmed().isEmpty();
        if (!blank)
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

const QString BadDate = QStringLiteral("%1 is not a date m/d/yyyy from 1/1/1601 to 12/31/9999");

// A date column: empty is a picker left at today.
bool ReadDateColumn(const QString& text, const QDate& today, QDate& date)
{
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        date = today;
        return true;
    }
    const std::optional<QDate> d = ParsePickerDate(t);
    if (d)
        date = *d;
    return d.has_value();
}

// One row of results: `values` holds the result columns without "error".
using RowCalculation = std::function<QString(const QStringList& inputs, QStringList& values)>;

class FibonacciRows {
public:
    explicit FibonacciRows(const BatchSettings& s) : m_settings(s) {}

    QString operator()(const QStringList& f, QStringList& values)
    {
        FibonacciInputs in;
        in.ProjectText = f[0];
        in.Price1Text = f[1];
        in.Price2Text = f[2];
        if (!ReadDateColumn(f[3], m_settings.today, in.Picker1))
            return BadDate.arg(QStringLiteral("date1"));
        if (!ReadDateColumn(f[4], m_settings.today, in.Picker2))
            return BadDate.arg(QStringLiteral("date2"));

        // Every row is a fresh window, so nothing of the row before can show through.
        FibonacciState state;
        const CalcOutcome outcome = CalculateFibonacci(in, m_settings.today, m_settings.ratios, state);
        if (!outcome.accepted())
            return outcome.message;
        for (int i = 1; i <= 3; ++i)
            values << (state.HasPrices() ? Format00(state.PotentialPrice[i]) : QString());
        for (int i = 1; i <= 3; ++i)
            values << (state.HasDates() ? FormatShortDate(state.PotentialDate[i]) : QString());
        return QString();
    }

private:
    BatchSettings m_settings;
};

class GannRows {
public:
    explicit GannRows(const BatchSettings& s) : m_settings(s), m_state(std::make_shared<GannState>())
    {
        LoadGannState(*m_state, s.layout, s.today, GannChartHalf(s.screen));
    }

    // One window calculating row after row, as a trader would click through the list:
    // every calculation rebuilds the spiral and all results.
    QString operator()(const QStringList& f, QStringList& values)
    {
        GannDocument controls;
        controls.projectName = f[0];
        controls.priceText = f[1];
        if (!ReadDateColumn(f[2], m_settings.today, controls.date))
            return BadDate.arg(QStringLiteral("date"));
        if (const std::optional<CliFailure> failure =
                CalculateGannControls(controls, m_settings.today, m_settings.layout, *m_state))
            return failure->message;

        const GannState& s = *m_state;
        for (int k = 1; k <= 8; ++k)
            values << (s.PotentialHigh[k] ? QString::number(s.PotentialHigh[k]) : QString());
        for (int k = 1; k <= 8; ++k)
            values << (s.PotentialLow[k] ? QString::number(s.PotentialLow[k]) : QString());
        for (int k = 1; k <= 8; ++k)
            values << (s.DateEntered ? FormatMmDdYyyy(s.AngleDate[k]) : QString());
        return QString();
    }

private:
    BatchSettings m_settings;
    std::shared_ptr<GannState> m_state;
};

}  // namespace

std::optional<CliFailure> RunCsvBatch(const QString& csvText, const BatchSettings& settings,
                                      const std::function<void(const QByteArray&)>& write)
{
    const QStringList inputColumns = BatchInputColumns(settings.analysis);
    const QStringList resultColumns = BatchResultColumns(settings.analysis);
    const qsizetype width = inputColumns.size();

    CsvReader reader(csvText);
    QStringList header;
    if (!reader.next(header) || header.size() != width || reader.lastWasUnclosed()) {
        return CliFailure{ExitRejected,
                          QStringLiteral("The first row must be the header %1").arg(inputColumns.join(QLatin1Char(',')))};
    }

    RowCalculation calculate;
    if (settings.analysis == Analysis::Fibonacci)
        calculate = FibonacciRows(settings);
    else
        calculate = GannRows(settings);

    QByteArray pending;
    const auto put = [&](const QString& line, bool force) {
        pending += line.toUtf8();
        if (force || pending.size() >= 64 * 1024) {
            write(pending);
            pending.clear();
        }
    };
    put(CsvLine(header + resultColumns), false);

    QStringList fields, values;
    const QStringList noResults(resultColumns.size() - 1, QString());
    while (reader.next(fields)) {
        values.clear();
        QString error;
        if (reader.lastWasUnclosed()) {
            error = QStringLiteral("A quoted value is not closed");
        } else if (fields.size() != width) {
            error = QStringLiteral("Expected %1 values (%2), found %3")
                        .arg(width)
                        .arg(inputColumns.join(QLatin1Char(',')))
                        .arg(fields.size());
        }
        // The row keeps its place and width whatever went wrong with it.
        while (fields.size() < width)
            fields << QString();
        fields = fields.mid(0, width);
        if (error.isEmpty())
            error = calculate(fields, values);
        if (!error.isEmpty())
            values = noResults;
        put(CsvLine(fields + values + QStringList{error}), false);
    }
    put(QString(), true);
    return std::nullopt;
}
