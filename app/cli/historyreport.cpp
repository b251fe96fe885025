#include "app/cli/historyreport.h"

#include "app/cli/jsonout.h"
#include "core/fibonacci/fibonaccilisting.h"
#include "core/numbers/dates.h"
#include "core/numbers/numbers.h"

#include <QStringList>

namespace {

constexpr int NameWidth = 20;   // "Gann Square of Nine" and a blank

QString ListingBlock(const QString& heading, const QString& what, const QStringList& values,
                     const HistoryRatios& ratios)
{
    // The ratio column is as wide as the window's listing makes it.
    const int width = RatioColumn(0).size();
    QStringList lines{heading.leftJustified(width) + what,
                      QString(heading.size(), QLatin1Char('-')).leftJustified(width) + QString(what.size(), QLatin1Char('-'))};
    for (int i = 0; i < values.size(); ++i)
        lines << RatioColumn(ratios.values()[size_t(i)]) + values[i];
    return lines.join(QLatin1Char('\n'));
}

QString TableText(const EvidenceTable& table)
{
    QString header = table.title.leftJustified(NameWidth);
    for (const QString& c : table.columns)
        header += QStringLiteral("  ") + c;
    QString text = header + QLatin1Char('\n');
    for (const EvidenceRow& row : table.rows) {
        QString line = row.name.leftJustified(NameWidth);
        for (int i = 0; i < row.cells.size(); ++i)
            line += row.cells[i].rightJustified(table.columns[i].size() + 2);
        // A method with nothing measured leaves its cells empty, and no blanks behind.
        while (line.endsWith(QLatin1Char(' ')))
            line.chop(1);
        text += line + QLatin1Char('\n');
    }
    return text;
}

QString EvidenceHeading(const Evidence& e)
{
    const EvidenceSettings& s = e.settings;
    const QString ratios = QStringLiteral("atios %1, evenly spaced %2\n")
                               .arg(e.ratios.text(), HistoryRatios::evenlySpaced(e.ratios.count()).text());
    const QString text = QStringLiteral("How projections from earlier swings met the next swing");
    if (s.draws == 0)
        return text + QStringLiteral(" (no surrogate histories drawn)\nR") + ratios;
    return text + QStringLiteral(", against %1 surrogate histories\n(seed %2, blocks of %3 days); r")
                      .arg(s.draws).arg(s.seed).arg(s.blockDays) + ratios;
}

QByteArray Number(double x) { return std::isnan(x) ? JsonNull() : JsonNumber(x); }
QByteArray PValueJson(const std::optional<double>& p) { return p ? JsonNumber(*p) : JsonNull(); }

QByteArray MethodJson(const MethodEvidence& m)
{
    JsonObject price, time, o;
    price.add(QStringLiteral("median_error"), Number(m.price.median))
        .add(QStringLiteral("null_median_error"), Number(m.price.nullMedian))
        .add(QStringLiteral("p_value"), PValueJson(m.price.pValue))
        .add(QStringLiteral("within_5pct"), Number(m.price.within));
    time.add(QStringLiteral("median_days_off"), Number(m.days.median))
        .add(QStringLiteral("null_median_days_off"), Number(m.days.nullMedian))
        .add(QStringLiteral("p_value"), PValueJson(m.days.pValue))
        .add(QStringLiteral("within_5_days"), Number(m.days.within));
    o.add(QStringLiteral("name"), JsonString(MethodKey(m.method)))
        .add(QStringLiteral("count"), JsonInteger(m.count))
        .add(QStringLiteral("price"), price.text(false))
        .add(QStringLiteral("time"), time.text(false));
    return o.text(false);
}

}  // namespace

QString LevelsListing(const QString& ratioHeading, const HistoryRatios& ratios, const ProjectedLevels& levels)
{
    QStringList prices, dates;
    for (const double p : levels.prices)
        prices << Format00(p);
    for (const QDate& d : levels.dates)
        dates << FormatMmDdYyyy(d);
    return ListingBlock(ratioHeading, QStringLiteral("Price"), prices, ratios) + QStringLiteral("\n=====\n")
           + ListingBlock(ratioHeading, QStringLiteral("Date"), dates, ratios) + QLatin1Char('\n');
}

QString EvidenceText(const Evidence& evidence)
{
    QString text = EvidenceHeading(evidence);
    const std::vector<EvidenceTable> tables = EvidenceTables(evidence);
    for (const EvidenceTable& table : tables)
        text += TableText(table) + QLatin1Char('\n');
    for (const QString& v : EvidenceVerdicts(evidence))
        text += v + QLatin1Char('\n');
    return text;
}

QByteArray EvidenceJson(const Evidence& evidence)
{
    std::vector<QByteArray> methods;
    for (const MethodEvidence& m : evidence.methods)
        methods.push_back(MethodJson(m));
    JsonObject o;
    o.add(QStringLiteral("draws"), JsonInteger(evidence.settings.draws))
        .add(QStringLiteral("seed"), JsonInteger(evidence.settings.seed))
        .add(QStringLiteral("block_days"), JsonInteger(evidence.settings.blockDays))
        .add(QStringLiteral("methods"), JsonArray(methods));
    return o.text(false);
}

QByteArray VerdictsJson(const Evidence& evidence)
{
    std::vector<QByteArray> verdicts;
    for (const QString& v : EvidenceVerdicts(evidence))
        verdicts.push_back(JsonString(v));
    return JsonArray(verdicts);
}

QByteArray LevelsJson(const HistoryRatios& ratios, const std::optional<ProjectedLevels>& levels)
{
    if (!levels)
        return JsonNull();
    std::vector<QByteArray> r, prices, dates;
    for (const double x : ratios.values())
        r.push_back(JsonNumber(x));
    for (const double p : levels->prices)
        prices.push_back(JsonNumber(p));
    for (const QDate& d : levels->dates)
        dates.push_back(JsonDate(d));
    JsonObject o;
    o.add(QStringLiteral("ratios"), JsonArray(r))
        .add(QStringLiteral("prices"), JsonArray(prices))
        .add(QStringLiteral("dates"), JsonArray(dates));
    return o.text(false);
}
