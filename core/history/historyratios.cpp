#include "core/history/historyratios.h"

#include "core/settings/settings.h"
#include "core/numbers/numbers.h"

#include <QStringList>
#include <cmath>

std::optional<HistoryRatios> HistoryRatios::fromFibRatios(const FibRatios& r, QString* problem)
{
    return fromValues({r.r1, r.r2, r.r3}, problem);
}

// The ratios dialog's order of complaints: a value too large first, then one that is
// not above 0 (an empty box reads as 0), then the order.
std::optional<HistoryRatios> HistoryRatios::fromValues(const std::vector<double>& values, QString* problem)
{
    const auto refuse = [problem](const QString& why) -> std::optional<HistoryRatios> {
        if (problem)
            *problem = why;
        return std::nullopt;
    };
    if (values.empty() || int(values.size()) > MaxHistoryRatios)
        return refuse(QStringLiteral("Give 1 to %1 ratios, not %2").arg(MaxHistoryRatios).arg(values.size()));
    for (const double r : values) {
        if (!std::isfinite(r))
            return refuse(QString::fromLatin1(RatioTooLargeMessage));
    }
    for (const double r : values) {
        if (!(r > 0))
            return refuse(QStringLiteral("All ratios must be greater than 0"));
    }
    for (size_t i = 1; i < values.size(); ++i) {
        if (!(values[i] > values[i - 1]))
            return refuse(QStringLiteral("Ratios must be in increasing order"));
    }
    HistoryRatios ratios;
    ratios.m_values = values;
    return ratios;
}

HistoryRatios HistoryRatios::evenlySpaced(int count)
{
    HistoryRatios ratios;
    for (int k = 1; k <= count; ++k)
        ratios.m_values.push_back(double(k) / (count + 1));
    return ratios;
}

std::optional<FibRatios> HistoryRatios::asFibRatios() const
{
    if (m_values.size() != 3)
        return std::nullopt;
    return FibRatios{m_values[0], m_values[1], m_values[2]};
}

QString HistoryRatios::text() const
{
    QStringList parts;
    for (const double r : m_values)
        parts << GeneralNumber(r);
    return parts.join(QStringLiteral(" / "));
}

std::optional<std::vector<double>> ParseRatioList(const QString& text)
{
    std::vector<double> values;
    for (const QString& part : text.split(QLatin1Char(','))) {
        const std::optional<double> r = ParseFileNumber(part);
        if (!r)
            return std::nullopt;
        values.push_back(*r);
    }
    return values;
}
