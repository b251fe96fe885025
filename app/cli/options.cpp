#include "app/cli/options.h"

#include "modules/dates.h"
#include "modules/numbers.h"

#include <QRegularExpression>
#include <functional>
#include <map>

namespace {

using Setter = std::function<bool(CliOptions&, const QString& value, QString& error)>;

struct OptionRule {
    bool fibonacci;
    bool gann;
    Setter set;
};

bool SetText(std::optional<QString>& field, const QString& value)
{
    field = value;
    return true;
}

Setter Text(std::optional<QString> CliOptions::*field)
{
    return [field](CliOptions& o, const QString& v, QString&) { return SetText(o.*field, v); };
}

Setter Date(std::optional<QDate> CliOptions::*field, const QString& option)
{
    return [field, option](CliOptions& o, const QString& v, QString& error) {
        const std::optional<QDate> d = ParsePickerDate(v);
        if (!d) {
            error = QStringLiteral("%1 needs a date m/d/yyyy from 1/1/1601 to 12/31/9999, not \"%2\"")
                        .arg(option, v);
            return false;
        }
        o.*field = *d;
        return true;
    };
}

bool SetRatios(CliOptions& o, const QString& v, QString& error)
{
    const QStringList parts = v.split(QLatin1Char(','));
    std::optional<double> r[3];
    if (parts.size() == 3) {
        for (int i = 0; i < 3; ++i)
            r[i] = ParseFileNumber(parts[i]);
    }
    if (parts.size() != 3 || !r[0] || !r[1] || !r[2]) {
        error = QStringLiteral("--ratios needs three numbers R1,R2,R3, not \"%1\"").arg(v);
        return false;
    }
    o.ratios = FibRatios{*r[0], *r[1], *r[2]};
    return true;
}

bool SetLayout(CliOptions& o, const QString& v, QString& error)
{
    if (v == QLatin1String("compact"))
        o.layout = Layout::Compact;
    else if (v == QLatin1String("large"))
        o.layout = Layout::Large;
    else {
        error = QStringLiteral("--layout is compact or large, not \"%1\"").arg(v);
        return false;
    }
    return true;
}

bool SetFormat(CliOptions& o, const QString& v, QString& error)
{
    if (v == QLatin1String("report"))
        o.format = OutputFormat::Report;
    else if (v == QLatin1String("listing"))
        o.format = OutputFormat::Listing;
    else if (v == QLatin1String("json"))
        o.format = OutputFormat::Json;
    else {
        error = QStringLiteral("--format is report, listing or json, not \"%1\"").arg(v);
        return false;
    }
    return true;
}

bool SetScreen(CliOptions& o, const QString& v, QString& error)
{
    static const QRegularExpression pattern(QStringLiteral("^([0-9]{1,5})[xX]([0-9]{1,5})$"));
    const QRegularExpressionMatch m = pattern.match(v);
    const int w = m.hasMatch() ? m.captured(1).toInt() : 0;
    const int h = m.hasMatch() ? m.captured(2).toInt() : 0;
    // The chart box is half the window's height less 250 twips on each side, so a
    // screen must be at least a few dozen pixels high to hold one; and a chart bitmap
    // of a screen beyond 8K would not fit in memory.
    if (w < 1 || h < 40 || w > 8192 || h > 8192) {
        error = QStringLiteral("--screen needs WIDTHxHEIGHT in pixels, at least 40 high and at most 8192x8192, not \"%1\"")
                    .arg(v);
        return false;
    }
    o.screen = QSize(w, h);
    return true;
}

const std::map<QString, OptionRule>& Rules()
{
    static const std::map<QString, OptionRule> rules = {
        {QStringLiteral("price1"), {true, false, Text(&CliOptions::price1)}},
        {QStringLiteral("price2"), {true, false, Text(&CliOptions::price2)}},
        {QStringLiteral("date1"), {true, false, Date(&CliOptions::date1, QStringLiteral("--date1"))}},
        {QStringLiteral("date2"), {true, false, Date(&CliOptions::date2, QStringLiteral("--date2"))}},
        {QStringLiteral("ratios"), {true, false, SetRatios}},
        {QStringLiteral("price"), {false, true, Text(&CliOptions::price)}},
        {QStringLiteral("date"), {false, true, Date(&CliOptions::date, QStringLiteral("--date"))}},
        {QStringLiteral("layout"), {true, true, SetLayout}},
        {QStringLiteral("name"), {true, true, Text(&CliOptions::name)}},
        {QStringLiteral("notes"), {true, true, Text(&CliOptions::notes)}},
        {QStringLiteral("project"), {true, true, Text(&CliOptions::project)}},
        {QStringLiteral("today"), {true, true, Date(&CliOptions::today, QStringLiteral("--today"))}},
        {QStringLiteral("format"), {true, true, SetFormat}},
        {QStringLiteral("chart"), {true, true, Text(&CliOptions::chart)}},
        {QStringLiteral("screen"), {true, true, SetScreen}},
        {QStringLiteral("csv"), {true, true, Text(&CliOptions::csv)}},
    };
    return rules;
}

ParsedCommandLine Usage(const QString& error)
{
    ParsedCommandLine p;
    p.kind = ParsedCommandLine::UsageError;
    p.error = error;
    return p;
}

bool IsHelp(const QString& a) { return a == QLatin1String("--help") || a == QLatin1String("-h"); }

}  // namespace

std::optional<QDate> ParsePickerDate(const QString& text)
{
    const std::optional<QDate> d = ParseFileDate(text.trimmed());
    if (!d || !IsPickerDate(*d))
        return std::nullopt;
    return d;
}

ParsedCommandLine ParseCommandLine(const QStringList& args)
{
    ParsedCommandLine result;
    if (args.isEmpty())
        return Usage(QStringLiteral("name the analysis: fib or gann"));
    const QString& first = args.first();
    if (IsHelp(first)) {
        result.kind = ParsedCommandLine::Help;
        return result;
    }
    if (first == QLatin1String("--version")) {
        result.kind = ParsedCommandLine::Version;
        return result;
    }
    CliOptions& o = result.options;
    if (first == QLatin1String("fib"))
        o.analysis = Analysis::Fibonacci;
    else if (first == QLatin1String("gann"))
        o.analysis = Analysis::Gann;
    else
        return Usage(QStringLiteral("unknown analysis \"%1\": use fib or gann").arg(first));

    QStringList given;
    for (int i = 1; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (IsHelp(arg)) {
            result.kind = ParsedCommandLine::Help;
            return result;
        }
        if (!arg.startsWith(QLatin1String("--")) || arg.size() == 2)
            return Usage(QStringLiteral("unexpected argument \"%1\"").arg(arg));
        QString name = arg.mid(2);
        QString value;
        const qsizetype eq = name.indexOf(QLatin1Char('='));
        if (eq >= 0) {
            value = name.mid(eq + 1);
            name.truncate(eq);
        } else if (i + 1 < args.size()) {
            // The next argument is the value even when it starts with "-": a pasted
            // negative price is a text like any other.
            value = args[++i];
        } else {
            return Usage(QStringLiteral("--%1 needs a value").arg(name));
        }
        const auto rule = Rules().find(name);
        if (rule == Rules().end())
            return Usage(QStringLiteral("unknown option --%1").arg(name));
        const bool allowed =
            o.analysis == Analysis::Fibonacci ? rule->second.fibonacci : rule->second.gann;
        if (!allowed)
            return Usage(QStringLiteral("--%1 is not an option of %2").arg(name, first));
        QString error;
        if (!rule->second.set(o, value, error))
            return Usage(error);
        given << name;
    }

    if (o.csv) {
        // A batch takes its instruments from the file; only what applies to every
        // row may be given beside it.
        static const QStringList rowOptions = {
            QStringLiteral("price1"), QStringLiteral("price2"), QStringLiteral("date1"),
            QStringLiteral("date2"), QStringLiteral("price"), QStringLiteral("date"),
            QStringLiteral("name"), QStringLiteral("notes"), QStringLiteral("project"),
            QStringLiteral("format"), QStringLiteral("chart")};
        for (const QString& name : given) {
            if (rowOptions.contains(name))
                return Usage(QStringLiteral("--%1 cannot be combined with --csv").arg(name));
        }
    }
    result.kind = ParsedCommandLine::Run;
    return result;
}

QString UsageText()
{
    return QStringLiteral(
        "Usage:\n"
        "  tessaray-cli fib  [--price1 TEXT] [--price2 TEXT] [--date1 M/D/YYYY] [--date2 M/D/YYYY]\n"
        "                    [--ratios R1,R2,R3] [--name TEXT] [--notes TEXT] [--project FILE.fib]\n"
        "                    [--today M/D/YYYY] [--format report|listing|json] [--chart FILE.bmp]\n"
        "                    [--screen WxH] [--layout compact|large]\n"
        "  tessaray-cli gann [--price TEXT] [--date M/D/YYYY] [--name TEXT] [--notes TEXT]\n"
        "                    [--project FILE.gann] [--today M/D/YYYY] [--layout compact|large]\n"
        "                    [--format report|listing|json] [--chart FILE.bmp] [--screen WxH]\n"
        "  tessaray-cli fib|gann --csv FILE.csv|-  [--today ..] [--ratios ..] [--layout ..] [--screen ..]\n"
        "  tessaray-cli history --data FILE.csv [--threshold PCT] [--ratios R1,R2,R3]\n"
        "                    [--scale 10^k|auto] [--today M/D/YYYY] [--format report|json]\n"
        "  tessaray-cli --help | --version\n"
        "\n"
        "A price is read as the window reads its price box; a date left out is a date picker\n"
        "left at today. Exit status: 0 done, 1 a file or calculation failed, 2 inputs rejected,\n"
        "64 usage error.\n");
}
