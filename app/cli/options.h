#pragma once
#include "forms/shell/settings.h"
#include "modules/dates.h"
#include "modules/layout.h"

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
    // Gann inputs.
    std::optional<QString> price;
    std::optional<QDate> date;
    std::optional<Layout> layout;
    // Both.
    std::optional<QString> name, notes, project;
    std::optional<QDate> today;
    QSize screen{1024, 768};
    OutputFormat format = OutputFormat::Report;
    std::optional<QString> chart;
    std::optional<QString> csv;   // "-" = standard input
};

struct ParsedCommandLine {
    enum Kind { Run, Help, Version, UsageError } kind = UsageError;
    CliOptions options;
    QString error;   // for UsageError: what was wrong, one line
};

// args without the program name.
ParsedCommandLine ParseCommandLine(const QStringList& args);

// The short usage printed by --help (on standard output) and after a usage error
// (on standard error).
QString UsageText();

// A date as the tool reads it from the command line and from watch-lists: m/d/yyyy
// (or m/d/yy, as project files allow) within the picker's range.
std::optional<QDate> ParsePickerDate(const QString& text);
