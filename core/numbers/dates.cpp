#include "core/numbers/dates.h"

#include "core/numbers/errors.h"
#include "core/numbers/numbers.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int FirstYear = 100;
constexpr int LastYear = 9999;

// Julian day numbers of the first and last day the program can hold.
qint64 FirstDay() { return QDate(FirstYear, 1, 1).toJulianDay(); }
qint64 LastDay() { return QDate(LastYear, 12, 31).toJulianDay(); }

[[noreturn]] void ThrowOutOfRange(bool tooLate)
{
    throw CalcError(QString::fromLatin1(tooLate ? DateAfterRangeMessage : DateBeforeRangeMessage));
}

QDate FromJulianChecked(qint64 julian)
{
    if (julian > LastDay())
        ThrowOutOfRange(true);
    if (julian < FirstDay())
        ThrowOutOfRange(false);
    return QDate::fromJulianDay(julian);
}

// English abbreviations whatever the machine's language: the chart labels read
// the same on every desk.
const char* const MonthAbbreviations[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

QString TwoDigits(int n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); }
QString FourDigitYear(int y) { return QStringLiteral("%1").arg(y, 4, 10, QLatin1Char('0')); }

// Reads 1 to maxDigits ASCII digits at text[pos]; -1 when there are none or too many.
int ReadDigits(const QString& text, qsizetype& pos, int maxDigits, int* count)
{
    int value = 0;
    int digits = 0;
    while (pos < text.size() && text[pos] >= QLatin1Char('0') && text[pos] <= QLatin1Char('9')) {
        if (++digits > maxDigits)
            return -1;
        value = value * 10 + (text[pos].unicode() - '0');
        ++pos;
    }
    *count = digits;
    return digits == 0 ? -1 : value;
}

} // namespace

QDate CheckDateRange(const QDate& d)
{
    if (!d.isValid())
        ThrowOutOfRange(true);
    return FromJulianChecked(d.toJulianDay());
}

QDate NullDate() { return QDate(1900, 1, 1); }

bool IsNullDate(const QDate& d) { return d == NullDate(); }

QDate FirstPickerDate() { return QDate(1601, 1, 1); }
QDate LastPickerDate() { return QDate(LastYear, 12, 31); }
bool IsPickerDate(const QDate& d) { return d >= FirstPickerDate() && d <= LastPickerDate(); }

QDate AddDays(const QDate& d, qint64 days)
{
    const qint64 start = CheckDateRange(d).toJulianDay();
    // Anything beyond ten thousand years leaves the range whatever the start.
    if (days > 4000000)
        ThrowOutOfRange(true);
    if (days < -4000000)
        ThrowOutOfRange(false);
    return FromJulianChecked(start + days);
}

QDate AddDaysRounded(const QDate& d, double days)
{
    if (std::isnan(days))
        ThrowOutOfRange(true);
    const double whole = RoundHalfEven(days);
    if (whole > 4000000.0)
        ThrowOutOfRange(true);
    if (whole < -4000000.0)
        ThrowOutOfRange(false);
    return AddDays(d, static_cast<qint64>(whole));
}

QDate AddMonths(const QDate& d, int months)
{
    CheckDateRange(d);
    const qint64 target = qint64(d.year()) * 12 + (d.month() - 1) + months;
    const qint64 year = target >= 0 ? target / 12 : -((-target + 11) / 12);
    if (year > LastYear)
        ThrowOutOfRange(true);
    if (year < FirstYear)
        ThrowOutOfRange(false);
    const int month = static_cast<int>(target - year * 12) + 1;
    // A month end stays at the month end of a shorter month: 1/31 + 1 month is the
    // last day of February.
    const int day = std::min(d.day(), QDate(static_cast<int>(year), month, 1).daysInMonth());
    return QDate(static_cast<int>(year), month, day);
}

qint64 DaysBetween(const QDate& a, const QDate& b) { return a.daysTo(b); }

qint64 MonthsBetween(const QDate& a, const QDate& b)
{
    return (qint64(b.year()) * 12 + b.month()) - (qint64(a.year()) * 12 + a.month());
}

QString FormatMmDdYyyy(const QDate& d)
{
    return TwoDigits(d.month()) + QLatin1Char('/') + TwoDigits(d.day()) + QLatin1Char('/')
        + FourDigitYear(d.year());
}

QString FormatShortDate(const QDate& d)
{
    return QString::number(d.month()) + QLatin1Char('/') + QString::number(d.day())
        + QLatin1Char('/') + FourDigitYear(d.year());
}

QString FormatMdYy(const QDate& d)
{
    return QString::number(d.month()) + QLatin1Char('/') + QString::number(d.day())
        + QLatin1Char('/') + TwoDigits(d.year() % 100);
}

QString FormatMmmDd(const QDate& d)
{
    return QString::fromLatin1(MonthAbbreviations[d.month() - 1]) + QLatin1Char(' ')
        + TwoDigits(d.day());
}

std::optional<QDate> ParseFileDate(const QString& text)
{
    qsizetype pos = 0;
    int count = 0;
    const int month = ReadDigits(text, pos, 2, &count);
    if (month < 0 || pos >= text.size() || text[pos] != QLatin1Char('/'))
        return std::nullopt;
    ++pos;
    const int day = ReadDigits(text, pos, 2, &count);
    if (day < 0 || pos >= text.size() || text[pos] != QLatin1Char('/'))
        return std::nullopt;
    ++pos;
    int year = ReadDigits(text, pos, 4, &count);
    if (year < 0 || pos != text.size() || count == 1)
        return std::nullopt;
    if (count == 2)
        year += year < 30 ? 2000 : 1900;   // the usual Windows two-digit-year window
    if (year < FirstYear || year > LastYear)
        return std::nullopt;
    const QDate date(year, month, day);
    if (!date.isValid())
        return std::nullopt;
    return date;
}
