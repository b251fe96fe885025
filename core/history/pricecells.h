#pragma once
#include <QDate>
#include <string_view>

// The cells of a price file as the sites, brokers and spreadsheets that traders
// download from write them, read straight from the file's bytes (a million rows must
// not become a million strings).

// Blanks (spaces and tabs) around a cell are not part of it.
std::string_view TrimBlanks(std::string_view text);

// A price cell: a number, or nothing at all (an empty cell, or the "null" that Yahoo
// writes for a day without trading), or something that is not a price.
struct PriceCell {
    enum Kind { Value, Empty, Bad };
    Kind kind = Bad;
    double value = 0;
    // The decimal mark the cell shows beyond doubt ('.' or ','), 0 when it shows none.
    char shows = 0;
    // "1.008" and "2,170" in a file not separated by commas read either way: the mark
    // ('.' or ',') such a number holds, 0 for any other number. The value is read with
    // `decimalMark` below; with the other mark it is a thousand times larger.
    char ambiguous = 0;
};

// Numbers as the file's region writes them. A number with both a point and a comma
// uses the later one as its decimal mark and the other to group thousands ("2,170.34",
// "2.170,34"); a mark that appears twice groups thousands ("1.234.567"); grouping must
// be regular ("21,70.34" is refused). In a comma file (so inside quotes) a comma groups
// thousands where it sits between groups of three digits ("2,170") and is a decimal
// comma elsewhere ("1,5"); a point is the decimal point. Elsewhere a single mark is the
// decimal mark unless it could group thousands ("1.008", "2,170"): then `decimalMark`,
// the file's, decides; 0 reads such a number as grouped.
PriceCell ReadPriceCell(std::string_view text, char separator, char decimalMark);

// A date cell, with or without a time of day after it. Slash dates with the year last
// (3/4/2024) read as 4 March in one country and 3 April in another, so the cell alone
// does not decide: `first` and `second` are kept and the whole column decides.
struct DateCell {
    bool slash = false;
    QDate date;                  // when not slash
    int first = 0, second = 0;   // when slash: the two numbers before the year
    int year = 0;
    int msecs = -1;              // milliseconds after midnight, -1 without a time
};

// yyyy-mm-dd, yyyy.mm.dd, yyyy/mm/dd, yyyymmdd, m/d/yyyy or d/m/yyyy, dd.mm.yyyy and
// "Jan 03, 2006" (or "January 3, 2006"), optionally followed by a blank or "T" and a
// time hh:mm[:ss[.fff]] with an optional zone (Z, +01:00, -0500), which is ignored:
// the day a bar was traded is the day its exchange wrote.
bool ReadDateCell(std::string_view text, DateCell& cell);

// A time column of its own: hh:mm[:ss[.fff]], or hhmmss and hhmm as stooq and some
// brokers write it. Milliseconds after midnight, or -1.
int ReadTimeCell(std::string_view text);

// The date a slash cell names when its first number is the month (or the day); an
// invalid QDate when that reading is no date (13/5/2024 read month first).
QDate SlashDate(const DateCell& cell, bool monthFirst);
