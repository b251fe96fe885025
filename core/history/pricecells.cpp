#include "core/history/pricecells.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

char Lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool SameLetters(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != b[i])
            return false;
    }
    return true;
}

// The number written by exactly `count` digits at `at`, or -1.
int DigitsAt(std::string_view text, size_t at, size_t count)
{
    if (at + count > text.size())
        return -1;
    int value = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (!IsDigit(text[i]))
            return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// The run of digits starting at `at` (at most `most` of them); its length in *length.
int DigitRun(std::string_view text, size_t at, size_t most, size_t* length)
{
    size_t n = 0;
    while (at + n < text.size() && n < most + 1 && IsDigit(text[at + n]))
        ++n;
    *length = n;
    return n >= 1 && n <= most ? DigitsAt(text, at, n) : -1;
}

// Words that mean "no price here": what Yahoo writes for a day without trading, and
// what spreadsheets write for a missing value.
bool IsNoValue(std::string_view text)
{
    return text.empty() || SameLetters(text, "null") || SameLetters(text, "nan") || SameLetters(text, "n/a")
           || SameLetters(text, "na") || text == "-";
}

// Thousands groups in the integer part of a number (sign removed): one to three
// digits, then groups of exactly three, each behind `mark`.
bool RegularGroups(std::string_view integerPart, char mark)
{
    size_t group = 0;
    bool first = true;
    for (const char c : integerPart) {
        if (c == mark) {
            if (group == 0 || group > 3 || (!first && group != 3))
                return false;
            first = false;
            group = 0;
        } else if (IsDigit(c)) {
            ++group;
        } else {
            return false;
        }
    }
    return !first && group == 3;
}

struct Marks {
    char decimal = 0;    // the decimal mark, 0 when the number has none
    char grouping = 0;   // the thousands mark, 0 when it has none
    char shows = 0;      // the decimal mark the number shows beyond doubt
    char ambiguous = 0;  // the mark of a number that reads both ways
    bool ok = true;
};

// Which of point and comma is the decimal mark and which groups thousands.
Marks FindMarks(std::string_view digits, char separator, char decimalMark)
{
    const size_t lastDot = digits.rfind('.'), lastComma = digits.rfind(',');
    const bool dot = lastDot != std::string_view::npos, comma = lastComma != std::string_view::npos;
    const auto count = [digits](char c) { return std::count(digits.begin(), digits.end(), c); };
    const auto other = [](char mark) { return mark == '.' ? ',' : '.'; };
    Marks m;
    if (dot && comma) {
        m.decimal = lastDot > lastComma ? '.' : ',';
        m.grouping = other(m.decimal);
        m.shows = m.decimal;
        m.ok = count(m.decimal) == 1 && RegularGroups(digits.substr(0, digits.find(m.decimal)), m.grouping);
    } else if (dot || comma) {
        const char mark = dot ? '.' : ',';
        const bool groups = RegularGroups(digits, mark);
        if (count(mark) > 1) {
            m.grouping = mark;
            m.shows = other(mark);
            m.ok = groups;
        } else if (separator == ',') {
            // Comma files are written the English way: thousands grouped by commas.
            if (mark == ',' && groups)
                m.grouping = mark;
            else
                m.decimal = mark;
        } else if (groups) {
            m.ambiguous = mark;
            if (mark == decimalMark)
                m.decimal = mark;
            else
                m.grouping = mark;
        } else {
            m.decimal = mark;
            m.shows = mark;
        }
    }
    if (separator == ',')
        m.shows = 0;   // comma files keep the English marks, whatever a cell shows
    return m;
}

// [digits][.digits] with at least one digit, then an optional exponent; nothing else.
bool PlainNumber(std::string_view text)
{
    size_t i = 0, mantissa = 0;
    while (i < text.size() && IsDigit(text[i]))
        ++i, ++mantissa;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i]))
            ++i, ++mantissa;
    }
    if (mantissa == 0)
        return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            ++i;
        size_t exponent = 0;
        while (i < text.size() && IsDigit(text[i]))
            ++i, ++exponent;
        if (exponent == 0)
            return false;
    }
    return i == text.size();
}

// hh:mm[:ss[.fff]] at the start of `text`; the milliseconds, and in *used how many
// characters the time took. -1 when there is none.
int ClockTime(std::string_view text, size_t* used)
{
    size_t n = 0;
    const int hours = DigitRun(text, 0, 2, &n);
    if (hours < 0 || hours > 23 || n >= text.size() || text[n] != ':')
        return -1;
    const int minutes = DigitsAt(text, n + 1, 2);
    if (minutes < 0 || minutes > 59)
        return -1;
    size_t at = n + 3;
    int seconds = 0, millis = 0;
    if (at < text.size() && text[at] == ':') {
        seconds = DigitsAt(text, at + 1, 2);
        if (seconds < 0 || seconds > 59)
            return -1;
        at += 3;
        if (at < text.size() && (text[at] == '.' || text[at] == ',')) {
            size_t fraction = 0;
            while (at + 1 + fraction < text.size() && IsDigit(text[at + 1 + fraction]))
                ++fraction;
            if (fraction == 0)
                return -1;
            for (size_t k = 0; k < 3; ++k)
                millis = millis * 10 + (k < fraction ? text[at + 1 + k] - '0' : 0);
            at += 1 + fraction;
        }
    }
    *used = at;
    return ((hours * 60 + minutes) * 60 + seconds) * 1000 + millis;
}

// A time zone after a time: Z, +hh, +hhmm or +hh:mm (or minus), with blanks before it.
bool TimeZone(std::string_view text)
{
    text = TrimBlanks(text);
    if (text.empty() || text == "Z" || text == "z")
        return true;
    if (text[0] != '+' && text[0] != '-')
        return false;
    const std::string_view offset = text.substr(1);
    const bool hh = offset.size() == 2, hhmm = offset.size() == 4, colon = offset.size() == 5 && offset[2] == ':';
    if (!hh && !hhmm && !colon)
        return false;
    const int hours = DigitsAt(offset, 0, 2);
    const int minutes = hh ? 0 : DigitsAt(offset, colon ? 3 : 2, 2);
    return hours >= 0 && hours <= 23 && minutes >= 0 && minutes <= 59;
}

// The time of day after a date: a blank or "T", the time, an optional zone.
bool TimeAfterDate(std::string_view rest, DateCell& cell)
{
    if (rest.empty())
        return true;
    if (rest[0] == 'T')
        rest.remove_prefix(1);
    else if (rest[0] == ' ')
        rest = TrimBlanks(rest);
    else
        return false;
    size_t used = 0;
    cell.msecs = ClockTime(rest, &used);
    return cell.msecs >= 0 && TimeZone(rest.substr(used));
}

constexpr std::string_view MonthNames[12] = {"january", "february", "march", "april", "may", "june",
                                             "july", "august", "september", "october", "november", "december"};

// "Jan" or "January" (any case), as 1..12; 0 otherwise.
int MonthNamed(std::string_view word)
{
    for (int m = 0; m < 12; ++m) {
        const std::string_view name = MonthNames[m];
        if ((word.size() == 3 || word.size() == name.size()) && SameLetters(word, name.substr(0, word.size())))
            return m + 1;
    }
    return 0;
}

// "Jan 03, 2006", as Investing writes it; *end gets where the date stops.
QDate NamedMonthDate(std::string_view text, size_t* end)
{
    size_t i = 0;
    while (i < text.size() && Lower(text[i]) >= 'a' && Lower(text[i]) <= 'z')
        ++i;
    const int month = MonthNamed(text.substr(0, i));
    if (month == 0 || i >= text.size() || text[i] != ' ')
        return {};
    while (i < text.size() && text[i] == ' ')
        ++i;
    size_t n = 0;
    const int day = DigitRun(text, i, 2, &n);
    i += n;
    if (i < text.size() && text[i] == ',')
        ++i;
    while (i < text.size() && text[i] == ' ')
        ++i;
    const int year = DigitsAt(text, i, 4);
    *end = i + 4;
    return day > 0 && year >= 0 ? QDate(year, month, day) : QDate();
}

// The date part of a cell; *end gets where it stops. False for no date form at all.
bool DatePart(std::string_view text, DateCell& cell, size_t* end)
{
    if (!text.empty() && !IsDigit(text[0])) {
        cell.date = NamedMonthDate(text, end);
        cell.year = cell.date.year();
        return cell.date.isValid();
    }
    size_t run = 0;
    DigitRun(text, 0, 8, &run);
    if (run == 8) {   // yyyymmdd
        cell.year = DigitsAt(text, 0, 4);
        cell.date = QDate(cell.year, DigitsAt(text, 4, 2), DigitsAt(text, 6, 2));
        *end = 8;
        return cell.date.isValid();
    }
    if (run >= text.size() || (text[run] != '-' && text[run] != '.' && text[run] != '/'))
        return false;
    const char mark = text[run];
    size_t n1 = 0, n2 = 0;
    const int middle = DigitRun(text, run + 1, 2, &n1);
    const size_t second = run + 1 + n1;
    if (middle < 0 || second >= text.size() || text[second] != mark)
        return false;
    if (run == 4) {   // yyyy-mm-dd, yyyy.mm.dd, yyyy/mm/dd
        cell.year = DigitsAt(text, 0, 4);
        const int day = DigitRun(text, second + 1, 2, &n2);
        cell.date = day < 0 ? QDate() : QDate(cell.year, middle, day);
        *end = second + 1 + n2;
        return cell.date.isValid();
    }
    if ((run != 1 && run != 2) || mark == '-')
        return false;
    const int first = DigitsAt(text, 0, run);
    cell.year = DigitsAt(text, second + 1, 4);
    *end = second + 5;
    if (cell.year < 0 || (second + 5 < text.size() && IsDigit(text[second + 5])))
        return false;
    if (mark == '.') {   // dd.mm.yyyy: day first wherever it is written
        cell.date = QDate(cell.year, middle, first);
        return cell.date.isValid();
    }
    cell.slash = true;
    cell.first = first;
    cell.second = middle;
    return SlashDate(cell, true).isValid() || SlashDate(cell, false).isValid();
}

// The common cell, digits with at most one point and at most 15 digits in all: the
// digits are a whole number a double holds exactly, and one division by an exact power
// of ten rounds it correctly. False for anything else, and for "1.008" outside comma
// files, which reads two ways; the full reading takes those.
bool PlainDecimal(std::string_view text, char separator, PriceCell& cell)
{
    constexpr double Tens[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    quint64 whole = 0;
    int digits = 0, after = -1;
    for (const char c : text) {
        if (IsDigit(c)) {
            whole = whole * 10 + quint64(c - '0');
            ++digits;
            if (after >= 0)
                ++after;
        } else if (c == '.' && after < 0) {
            after = 0;
        } else {
            return false;
        }
    }
    const int before = digits - std::max(after, 0);
    if (digits == 0 || digits > 15 || (separator != ',' && after == 3 && before >= 1 && before <= 3))
        return false;
    const char shows = separator != ',' && after >= 0 ? '.' : 0;
    cell = {PriceCell::Value, after > 0 ? double(whole) / Tens[after] : double(whole), shows, 0};
    return true;
}

}  // namespace

std::string_view TrimBlanks(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

PriceCell ReadPriceCell(std::string_view text, char separator, char decimalMark)
{
    text = TrimBlanks(text);
    PriceCell plain;
    if (PlainDecimal(text, separator, plain))
        return plain;
    if (IsNoValue(text))
        return {PriceCell::Empty, 0, 0, 0};
    // Longer than any price written with all its digits: not a price.
    char clean[80];
    if (text.size() >= sizeof clean)
        return {};
    const bool negative = text[0] == '-';
    if (text[0] == '+' || negative)
        text.remove_prefix(1);
    size_t n = 0;
    if (negative)
        clean[n++] = '-';
    const size_t exponent = text.find_first_of("eE");
    const Marks marks = FindMarks(text.substr(0, exponent), separator, decimalMark);
    if (!marks.ok)
        return {};
    for (const char c : text) {
        if (marks.grouping == 0 || c != marks.grouping)
            clean[n++] = marks.decimal != 0 && c == marks.decimal ? '.' : c;
    }
    if (!PlainNumber(std::string_view(clean, n).substr(negative ? 1 : 0)))
        return {};
    double value = 0;
    const auto [end, error] = std::from_chars(clean, clean + n, value);
    if (error != std::errc() || end != clean + n || !std::isfinite(value))
        return {};
    return {PriceCell::Value, value == 0 ? 0.0 : value, marks.shows, marks.ambiguous};
}

bool ReadDateCell(std::string_view text, DateCell& cell)
{
    cell = DateCell();
    text = TrimBlanks(text);
    size_t end = 0;
    if (!DatePart(text, cell, &end) || cell.year < 100)
        return false;
    return TimeAfterDate(text.substr(end), cell);
}

int ReadTimeCell(std::string_view text)
{
    text = TrimBlanks(text);
    if (text.size() == 6 || text.size() == 4) {   // hhmmss, hhmm
        const int hours = DigitsAt(text, 0, 2), minutes = DigitsAt(text, 2, 2);
        const int seconds = text.size() == 6 ? DigitsAt(text, 4, 2) : 0;
        if (hours < 0 || hours > 23 || minutes < 0 || minutes > 59 || seconds < 0 || seconds > 59)
            return -1;
        return ((hours * 60 + minutes) * 60 + seconds) * 1000;
    }
    size_t used = 0;
    const int msecs = ClockTime(text, &used);
    return msecs >= 0 && TimeZone(text.substr(used)) ? msecs : -1;
}

QDate SlashDate(const DateCell& cell, bool monthFirst)
{
    return monthFirst ? QDate(cell.year, cell.first, cell.second) : QDate(cell.year, cell.second, cell.first);
}
