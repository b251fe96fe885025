#include "app/cli/batchrows.h"

#include "app/cli/fibrun.h"
#include "app/cli/gannrun.h"
#include "core/numbers/dates.h"
#include "core/numbers/numbers.h"

#include <QHash>
#include <mutex>
#include <vector>

namespace {

// A date column: empty is a picker left at today. A text that is no date gets the
// message, with the column's name.
std::optional<QString> ReadDateColumn(const QString& column, const QString& text, const QDate& today, QDate& date)
{
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        date = today;
        return std::nullopt;
    }
    const std::optional<QDate> d = ParsePickerDate(t);
    if (!d)
        return NotADateMessage(column, text);
    date = *d;
    return std::nullopt;
}

// The result columns as CSV.
QString JoinCells(const QStringList& values)
{
    QString cells = CsvLine(values);
    cells.chop(2);   // the line end
    return cells;
}

class FibonacciRows : public BatchRows {
public:
    explicit FibonacciRows(const BatchSettings& s) : m_settings(s) {}

    QString calculate(const QStringList& f, QString& cells) override
    {
        FibonacciInputs in;
        in.ProjectText = f[0];
        in.Price1Text = f[1];
        in.Price2Text = f[2];
        if (const auto bad = ReadDateColumn(QStringLiteral("date1"), f[3], m_settings.today, in.Picker1))
            return *bad;
        if (const auto bad = ReadDateColumn(QStringLiteral("date2"), f[4], m_settings.today, in.Picker2))
            return *bad;

        // Every row is a fresh window, so nothing of the row before can show through.
        FibonacciState state;
        const CalcOutcome outcome = CalculateFibonacci(in, m_settings.today, m_settings.ratios, state);
        if (!outcome.accepted())
            return outcome.message;
        const FibonacciResults& found = state.results;
        QStringList values;
        for (int i = 1; i <= 3; ++i)
            values << (state.document.HasPrices() ? Format00(found.PotentialPrice[i]) : QString());
        for (int i = 1; i <= 3; ++i)
            values << (state.document.HasDates() ? FormatShortDate(found.PotentialDate[i]) : QString());
        cells = JoinCells(values);
        return QString();
    }

private:
    BatchSettings m_settings;
};

// The Square of Nine's highs and lows depend on the price alone and its dates on the
// date alone, and the window takes only whole prices 1 to 9999. So a batch works each
// price out once, in a window that has only that price, and each date once, in a
// window that has only that date, and its workers share what they have found: a long
// list repeats both many times over.
class GannMemory {
public:
    // The CSV cells of a price or a date, or nothing when none is known yet.
    std::optional<QString> price(qint16 price)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const auto found = m_prices.constFind(price);
        return found == m_prices.constEnd() ? std::nullopt : std::optional<QString>(*found);
    }
    void rememberPrice(qint16 price, const QString& cells)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_prices.insert(price, cells);
    }
    // A date's cells, or the message of a date the calendar cannot project.
    struct DateCells {
        QString cells;
        QString error;
    };
    std::optional<DateCells> date(const QDate& date)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const auto found = m_dates.constFind(date.toJulianDay());
        return found == m_dates.constEnd() ? std::nullopt : std::optional<DateCells>(*found);
    }
    void rememberDate(const QDate& date, const DateCells& cells)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_dates.size() >= RememberedDates)   // only a list of centuries of days gets here
            m_dates.clear();
        m_dates.insert(date.toJulianDay(), cells);
    }

private:
    static constexpr int RememberedDates = 100000;

    std::mutex m_mutex;
    // Filled as prices come: a short list must not pay for all ten thousand.
    QHash<qint16, QString> m_prices;
    QHash<qint64, DateCells> m_dates;
};

class GannRows : public BatchRows {
public:
    GannRows(const BatchSettings& s, std::shared_ptr<GannMemory> memory)
        : m_settings(s), m_memory(std::move(memory)), m_state(std::make_unique<GannState>())
    {
        LoadGannState(*m_state, s.layout, s.today, GannChartHalf(s.screen));
    }

    QString calculate(const QStringList& f, QString& cells) override
    {
        QDate date;
        if (const auto bad = ReadDateColumn(QStringLiteral("date"), f[2], m_settings.today, date))
            return *bad;
        const bool noDate = PickerMeansNoDate(date, m_settings.today);
        if (f[1].isEmpty() && noDate)
            return GannNoInputMessage;
        const GannPriceReading price = ReadGannPrice(f[1]);
        if (price.tooLarge)
            return GannPriceTooLargeMessage;
        if (price.price <= 0 && noDate)
            return NothingProjectedMessage(f[1]);
        const GannMemory::DateCells dates = dateCells(date);
        if (!dates.error.isEmpty())
            return dates.error;
        cells = priceCells(price.price) + QLatin1Char(',') + dates.cells;
        return QString();
    }

private:
    // High45..High360 and Low45..Low360, empty where there is none.
    QString priceCells(qint16 price)
    {
        if (std::optional<QString> known = m_memory->price(price))
            return *known;
        if (price > 0)
            calculate(QString::number(price), m_settings.today);
        const GannResults& found = m_state->results;
        QStringList values;
        for (int k = 1; k <= 8; ++k)
            values << (price > 0 && found.PotentialHigh[k] ? QString::number(found.PotentialHigh[k]) : QString());
        for (int k = 1; k <= 8; ++k)
            values << (price > 0 && found.PotentialLow[k] ? QString::number(found.PotentialLow[k]) : QString());
        const QString cells = JoinCells(values);
        m_memory->rememberPrice(price, cells);
        return cells;
    }

    // Date45..Date360, empty when the date is today (a picker left alone).
    GannMemory::DateCells dateCells(const QDate& date)
    {
        if (std::optional<GannMemory::DateCells> known = m_memory->date(date))
            return *known;
        GannMemory::DateCells found;
        const bool hasDate = !PickerMeansNoDate(date, m_settings.today);
        if (hasDate) {
            if (const std::optional<CliFailure> failure = calculate(QString(), date))
                found.error = failure->message;
        }
        QStringList values;
        for (int k = 1; k <= 8; ++k)
            values << (hasDate && found.error.isEmpty() ? FormatMmDdYyyy(m_state->results.AngleDate[k])
                                                         : QString());
        found.cells = JoinCells(values);
        m_memory->rememberDate(date, found);
        return found;
    }

    std::optional<CliFailure> calculate(const QString& priceText, const QDate& date)
    {
        GannDocument controls;
        controls.priceText = priceText;
        controls.date = date;
        return CalculateGannControls(controls, m_settings.today, m_settings.layout, *m_state);
    }

    BatchSettings m_settings;
    std::shared_ptr<GannMemory> m_memory;
    std::unique_ptr<GannState> m_state;
};

}  // namespace

std::vector<std::unique_ptr<BatchRows>> MakeBatchRows(const BatchSettings& settings, int workers)
{
    std::vector<std::unique_ptr<BatchRows>> rows;
    const auto memory = std::make_shared<GannMemory>();
    for (int i = 0; i < workers; ++i) {
        if (settings.analysis == Analysis::Fibonacci)
            rows.push_back(std::make_unique<FibonacciRows>(settings));
        else
            rows.push_back(std::make_unique<GannRows>(settings, memory));
    }
    return rows;
}
