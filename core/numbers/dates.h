#pragma once
#include <QDate>
#include <QString>
#include <optional>

// Dates are whole calendar days. The null date 1/1/1900 means "no date".
// Every date the program computes must lie in the years 100 to 9999; the
// arithmetic below throws CalcError (core/numbers/errors.h) with a sentence for the
// trader instead of wrapping or producing an invalid date.

// What the trader is told when a date would leave the years the program can
// show and store; windows and the command-line tool show these texts as they are.
inline constexpr const char DateAfterRangeMessage[] =
    "The projected date would fall after 12/31/9999. Choose an earlier date.";
inline constexpr const char DateBeforeRangeMessage[] =
    "The projected date would fall before 1/1/100. Choose a later date.";

// Throws CalcError with one of the two messages above when d is not a valid date
// in the years 100 to 9999; returns d otherwise.
QDate CheckDateRange(const QDate& d);

QDate NullDate();                 // 1/1/1900

// The dates a date picker can show, so the dates a trader can enter or open from a file.
QDate FirstPickerDate();          // 1/1/1601
QDate LastPickerDate();           // 12/31/9999
bool IsPickerDate(const QDate& d);
bool IsNullDate(const QDate& d);

// Adding n calendar days; CalcError outside years 100..9999.
QDate AddDays(const QDate& d, qint64 days);
// A fractional day count is first rounded to the nearest day, halves to even.
QDate AddDaysRounded(const QDate& d, double days);
// Adding months keeps the day, clamped to the last day of the target month
// (1/31 + 1 month = 2/29 in a leap year); CalcError outside years 100..9999.
QDate AddMonths(const QDate& d, int months);
// Calendar days from a to b (negative when b is earlier).
qint64 DaysBetween(const QDate& a, const QDate& b);
// Month boundaries from a to b: (year*12+month of b) - (year*12+month of a).
qint64 MonthsBetween(const QDate& a, const QDate& b);

QString FormatMmDdYyyy(const QDate& d);   // "03/01/2004"
QString FormatShortDate(const QDate& d);  // "3/1/2004" (US short form, files and Fibonacci report)
QString FormatMdYy(const QDate& d);       // "3/1/04"  (Fibonacci chart ticks)
QString FormatMmmDd(const QDate& d);      // "Mar 01"  (Gann date ring; English months always)

// Date in a project file: m/d/yyyy or m/d/yy (00-29 -> 20xx, 30-99 -> 19xx);
// std::nullopt for anything else or a day that does not exist (2/30/2024).
std::optional<QDate> ParseFileDate(const QString& text);

