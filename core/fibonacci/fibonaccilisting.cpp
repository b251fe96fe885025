#include "core/fibonacci/fibonaccilisting.h"
#include "core/numbers/numbers.h"
#include <QStringList>

QString RatioColumn(double ratio)
{
    return (GeneralNumber(ratio) + QString(12, QLatin1Char(' '))).left(12);
}

QString PriceListing(const FibonacciState& s, const FibRatios& ratios)
{
    if (s.document.Price1 == 0) return QString();
    const double r[4] = {0, ratios.r1, ratios.r2, ratios.r3};
    QStringList lines{QStringLiteral("Fib Ratio   Price"), QStringLiteral("---------   -----")};
    for (int i = 1; i <= 3; ++i) lines << RatioColumn(r[i]) + Format00(s.results.PotentialPrice[i]);
    return lines.join(QStringLiteral("\r\n"));
}

QString DateListing(const FibonacciState& s, const FibRatios& ratios)
{
    if (IsNullDate(s.document.Date1)) return QString();
    const double r[4] = {0, ratios.r1, ratios.r2, ratios.r3};
    QStringList lines{QStringLiteral("Fib Ratio   Date"), QStringLiteral("---------   ----")};
    // Only three ratios exist, so only the first three levels have a ratio to print.
    const int count = std::min<int>(s.results.DateLevelCount, 3);
    for (int i = 1; i <= count; ++i) lines << RatioColumn(r[i]) + FormatMmDdYyyy(s.results.PotentialDate[i]);
    return lines.join(QStringLiteral("\r\n"));
}
