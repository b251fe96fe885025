#pragma once
#include "core/settings/settings.h"
#include "core/numbers/dates.h"
#include "core/numbers/layout.h"
#include "core/numbers/quotedtext.h"

#include <QDate>
#include <QSize>
#include <QString>
#include <QStringList>
#include <optional>

// The command line of tessaray-cli: which analysis, the values a trader would type
// into that window, and what to write. Options left out mean what an untouched
// control means in the window (an empty price box, a date picker at today, the
// placeholder name and notes).

enum class Analysis { Fibonacci, Gann };
enum class OutputFormat { Report, Listing, Json };

struct CliOptions {
    Analysis analysis = Analysis::Fibonacci;

    // Fibonacci inputs.
    std::optional<QString> price1, price2;
    std::optional<QDate> date1, date2;
    std::optional<FibRatios> ratios;
    std::optional<QString> ratiosText;   // as typed; read once --lenient is known
    // Gann inputs.
    std::optional<QString> price;
    std::optional<QDate> date;
    std::optional<Layout> layout;
    // Both.
    std::optional<QString> name, notes, project;
    std::optional<QDate> today;
    QSize screen{1024, 768};
    OutputFormat format = OutputFormat::Report;
    std::optional<QString> chart;   // "-" = standard output
    std::optional<QString> output;  // the report, listing or JSON; standard output if absent
    std::optional<QString> csv;     // "-" = standard input
    // Numbers are whole number texts unless the trader asks for the boxes' own reading.
    bool lenient = false;
};

struct ParsedCommandLine {
    enum Kind { Run, Help, Version, SettingsPath, UsageError } kind = UsageError;
    CliOptions options;
    QString error;   // for UsageError: what was wrong, one line
};

// args without the program name.
ParsedCommandLine ParseCommandLine(const QStringList& args);

// The short usage printed by --help (on standard output) and after a usage error
// (on standard error).
QString UsageText();

// The picture --chart writes: PNG for a .png name and for standard output, BMP (what
// Print Image saves) for a .bmp name; any other name is refused.
enum class ChartFormat { Png, Bmp };
std::optional<ChartFormat> ChartFormatFor(const QString& path);

// One "--name value" or "--name=value" at args[i], split into name and value; i moves
// past the value. False, with `error` set, for a text that is no option or a missing value.
bool SplitOptionArgument(const QStringList& args, int& i, QString& name, QString& value, QString& error);

// A date as the tool reads it from the command line and from watch-lists: m/d/yyyy
// (or m/d/yy, as project files allow) or yyyy-mm-dd, within the picker's range.
std::optional<QDate> ParsePickerDate(const QString& text);

// A price as a script should hand it over: the whole text one number (blanks around
// it, a sign, digits with one ".", an exponent), or nothing at all for an empty box.
// "1,234.50" is not one: the price box would read it as 1.
bool IsWholeNumberText(const QString& text);

// A value the tool refuses, as its message shows it: in double quotes, at most
// QuotedLength characters and then "…", control characters (a NUL, an escape
// sequence from a file) as \xNN, so a hostile text can neither flood nor drive the
// terminal.
constexpr int QuotedLength = QuotedTextLimit;
QString QuotedValue(const QString& text);
// The same without the quotes (an option's name).
QString ShortText(const QString& text);
// Control characters as \xNN, the text otherwise whole (file names).
QString EscapeControls(const QString& text);

// A wrong command line, as GNU tools report one: what was wrong on one line, then
// where to read more.
QString UsageErrorText(const QString& error);

// What the tool says when a value is not a whole number text: where it came from
// (an option, or file:line:column) and the text itself.
QString NotANumberMessage(const QString& where, const QString& text);
QString NotADateMessage(const QString& where, const QString& text);
