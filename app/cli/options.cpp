#include "app/cli/options.h"

#include "app/cli/clifiles.h"
#include "core/numbers/dates.h"
#include "core/numbers/numbers.h"
#include "core/numbers/quotedtext.h"

#include <QRegularExpression>
#include <functional>
#include <map>
#include <utility>
#include <vector>

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

// A file name, or "-" where the option allows it; an empty one names nothing.
Setter FileName(std::optional<QString> CliOptions::*field, const QString& option)
{
    return [field, option](CliOptions& o, const QString& v, QString& error) {
        if (v.isEmpty()) {
            error = QStringLiteral("%1: the file name is empty").arg(option);
            return false;
        }
        return SetText(o.*field, v);
    };
}

Setter Date(std::optional<QDate> CliOptions::*field, const QString& option)
{
    return [field, option](CliOptions& o, const QString& v, QString& error) {
        const std::optional<QDate> d = ParsePickerDate(v);
        if (!d) {
            error = NotADateMessage(option, v);
            return false;
        }
        o.*field = *d;
        return true;
    };
}

// The ratios are read once the whole command line is known: --lenient may come later.
bool ReadRatios(CliOptions& o, QString& error)
{
    const QString& v = *o.ratiosText;
    const QStringList parts = v.split(QLatin1Char(','));
    std::optional<double> r[3];
    if (parts.size() == 3) {
        for (int i = 0; i < 3; ++i)
            r[i] = o.lenient ? std::optional<double>(ReadLeadingNumber(parts[i])) : ParseFileNumber(parts[i]);
    }
    if (parts.size() != 3 || !r[0] || !r[1] || !r[2]) {
        error = QStringLiteral("--ratios needs three numbers R1,R2,R3, not %1").arg(QuotedValue(v));
        return false;
    }
    o.ratios = FibRatios{*r[0], *r[1], *r[2]};
    return true;
}

// Without --lenient a price must be one number and nothing else, or empty.
bool CheckPrices(const CliOptions& o, QString& error)
{
    const std::pair<const char*, const std::optional<QString>*> prices[] = {
        {"--price1", &o.price1}, {"--price2", &o.price2}, {"--price", &o.price}};
    for (const auto& [option, text] : prices) {
        if (!o.lenient && *text && !IsWholeNumberText(**text)) {
            error = NotANumberMessage(QLatin1String(option), **text);
            return false;
        }
    }
    return true;
}

// One word out of a few, each naming a value of the field ("--layout compact").
template <class Value, class Field>
Setter Choice(Field CliOptions::*field, const char* option, std::vector<std::pair<const char*, Value>> words)
{
    return [field, option, words](CliOptions& o, const QString& v, QString& error) {
        QStringList names;
        for (const auto& [word, value] : words) {
            if (v == QLatin1String(word)) {
                o.*field = value;
                return true;
            }
            names << QLatin1String(word);
        }
        // "compact or large", "report, listing or json"
        const QString last = names.takeLast();
        error = QStringLiteral("%1 is %2 or %3, not %4")
                    .arg(QLatin1String(option), names.join(QStringLiteral(", ")), last, QuotedValue(v));
        return false;
    };
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
        error = QStringLiteral("--screen needs WIDTHxHEIGHT in pixels, at least 40 high and at most 8192x8192, not %1")
                    .arg(QuotedValue(v));
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
        {QStringLiteral("ratios"), {true, false, Text(&CliOptions::ratiosText)}},
        {QStringLiteral("price"), {false, true, Text(&CliOptions::price)}},
        {QStringLiteral("date"), {false, true, Date(&CliOptions::date, QStringLiteral("--date"))}},
        {QStringLiteral("layout"), {true, true, Choice<Layout>(&CliOptions::layout, "--layout",
                                                               {{"compact", Layout::Compact},
                                                                {"large", Layout::Large}})}},
        {QStringLiteral("name"), {true, true, Text(&CliOptions::name)}},
        {QStringLiteral("notes"), {true, true, Text(&CliOptions::notes)}},
        {QStringLiteral("project"), {true, true, FileName(&CliOptions::project, QStringLiteral("--project"))}},
        {QStringLiteral("today"), {true, true, Date(&CliOptions::today, QStringLiteral("--today"))}},
        {QStringLiteral("format"), {true, true, Choice<OutputFormat>(&CliOptions::format, "--format",
                                                                     {{"report", OutputFormat::Report},
                                                                      {"listing", OutputFormat::Listing},
                                                                      {"json", OutputFormat::Json}})}},
        {QStringLiteral("chart"), {true, true, FileName(&CliOptions::chart, QStringLiteral("--chart"))}},
        {QStringLiteral("output"), {true, true, FileName(&CliOptions::output, QStringLiteral("--output"))}},
        {QStringLiteral("screen"), {true, true, SetScreen}},
        {QStringLiteral("csv"), {true, true, FileName(&CliOptions::csv, QStringLiteral("--csv"))}},
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
    // yyyy-mm-dd, as databases and scripts write dates, beside the picker's m/d/yyyy.
    static const QRegularExpression iso(QStringLiteral("^([0-9]{4})-([0-9]{1,2})-([0-9]{1,2})$"));
    const QString t = text.trimmed();
    const QRegularExpressionMatch m = t.contains(QLatin1Char('-')) ? iso.match(t) : QRegularExpressionMatch();
    const std::optional<QDate> d = m.hasMatch()
        ? std::optional<QDate>(QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt()))
        : ParseFileDate(t);
    if (!d || !IsPickerDate(*d))
        return std::nullopt;
    return d;
}

bool IsWholeNumberText(const QString& text)
{
    return text.isEmpty() || ParseFileNumber(text).has_value();
}

// The rule lives with the price reader's, which the window shows too.
QString EscapeControls(const QString& text)
{
    return EscapedControls(text);
}

QString ShortText(const QString& text)
{
    return ShortenedText(text);
}

QString QuotedValue(const QString& text)
{
    return QuotedText(text);
}

QString UsageErrorText(const QString& error)
{
    return QStringLiteral("tessaray-cli: %1\nTry 'tessaray-cli --help' for more information.\n").arg(error);
}

QString NotANumberMessage(const QString& where, const QString& text)
{
    return QStringLiteral("%1: %2 is not a number (digits with one \".\", an optional sign and "
                          "exponent); --lenient reads it as the price box would")
        .arg(EscapeControls(where), QuotedValue(text));
}

QString NotADateMessage(const QString& where, const QString& text)
{
    return QStringLiteral("%1: %2 is not a date m/d/yyyy or yyyy-mm-dd from 1/1/1601 to 12/31/9999")
        .arg(EscapeControls(where), QuotedValue(text));
}

namespace {

// A picture goes where its name says, in the form its extension names.
bool CheckChart(const CliOptions& o, QString& error)
{
    if (!o.chart)
        return true;
    if (!ChartFormatFor(*o.chart)) {
        error = QStringLiteral("--chart needs a file name ending in .png or .bmp, or - for standard output, not %1")
                    .arg(QuotedValue(*o.chart));
        return false;
    }
    if (*o.chart == QLatin1String("-") && o.output.value_or(QString()) == QLatin1String("-")) {
        error = QStringLiteral("--chart - and --output - cannot both go to standard output");
        return false;
    }
    // The second would silently overwrite the first, however the two names are spelt.
    if (o.output && SameOutputFile(*o.output, *o.chart)) {
        error = QStringLiteral("--output %1 and --chart %2 name the same file; give each its own")
                    .arg(QuotedValue(*o.output), QuotedValue(*o.chart));
        return false;
    }
    return true;
}

// What can only be judged once the whole command line is read.
bool CheckCombinations(CliOptions& o, const QStringList& given, QString& error)
{
    if (o.csv) {
        // A batch takes its instruments from the file; only what applies to every
        // row may be given beside it.
        static const QStringList rowOptions = {
            QStringLiteral("price1"), QStringLiteral("price2"), QStringLiteral("date1"),
            QStringLiteral("date2"), QStringLiteral("price"), QStringLiteral("date"),
            QStringLiteral("name"), QStringLiteral("notes"), QStringLiteral("project"),
            QStringLiteral("format"), QStringLiteral("chart"), QStringLiteral("output")};
        for (const QString& name : given) {
            if (rowOptions.contains(name)) {
                error = QStringLiteral("--%1 cannot be combined with --csv").arg(name);
                return false;
            }
        }
    }
    if (o.ratiosText && !ReadRatios(o, error))
        return false;
    return CheckPrices(o, error) && CheckChart(o, error);
}

// One "--name value" or "--name=value" (or a flag) at args[i]; i moves past it.
bool ReadOption(const QStringList& args, int& i, CliOptions& o, QStringList& given, QString& error)
{
    const QString& arg = args[i];
    if (arg == QLatin1String("--lenient")) {
        o.lenient = true;
        return true;
    }
    if (arg.startsWith(QLatin1String("--lenient="))) {
        error = QStringLiteral("--lenient takes no value");
        return false;
    }
    QString name, value;
    if (!SplitOptionArgument(args, i, name, value, error))
        return false;
    const auto rule = Rules().find(name);
    if (rule == Rules().end()) {
        error = QStringLiteral("unknown option %1").arg(ShortText(QStringLiteral("--") + name));
        return false;
    }
    const bool allowed = o.analysis == Analysis::Fibonacci ? rule->second.fibonacci : rule->second.gann;
    if (!allowed) {
        error = QStringLiteral("--%1 is not an option of %2").arg(name, args.first());
        return false;
    }
    given << name;
    return rule->second.set(o, value, error);
}

}  // namespace

bool SplitOptionArgument(const QStringList& args, int& i, QString& name, QString& value, QString& error)
{
    const QString& arg = args[i];
    if (!arg.startsWith(QLatin1String("--")) || arg.size() == 2) {
        error = QStringLiteral("unexpected argument %1").arg(QuotedValue(arg));
        return false;
    }
    name = arg.mid(2);
    const qsizetype eq = name.indexOf(QLatin1Char('='));
    if (eq >= 0) {
        value = name.mid(eq + 1);
        name.truncate(eq);
        return true;
    }
    if (i + 1 >= args.size()) {
        error = QStringLiteral("%1 needs a value").arg(ShortText(QStringLiteral("--") + name));
        return false;
    }
    // The next argument is the value even when it starts with "-": a pasted
    // negative price is a text like any other.
    value = args[++i];
    return true;
}

std::optional<ChartFormat> ChartFormatFor(const QString& path)
{
    if (path == QLatin1String("-") || path.endsWith(QLatin1String(".png"), Qt::CaseInsensitive))
        return ChartFormat::Png;
    if (path.endsWith(QLatin1String(".bmp"), Qt::CaseInsensitive))
        return ChartFormat::Bmp;
    return std::nullopt;
}

ParsedCommandLine ParseCommandLine(const QStringList& args)
{
    ParsedCommandLine result;
    if (args.isEmpty())
        return Usage(QStringLiteral("name the command: fib, gann or history"));
    const QString& first = args.first();
    if (IsHelp(first) || first == QLatin1String("--version") || first == QLatin1String("--settings-path")) {
        result.kind = IsHelp(first) ? ParsedCommandLine::Help
            : first == QLatin1String("--version") ? ParsedCommandLine::Version
                                                  : ParsedCommandLine::SettingsPath;
        return result;
    }
    CliOptions& o = result.options;
    if (first == QLatin1String("fib"))
        o.analysis = Analysis::Fibonacci;
    else if (first == QLatin1String("gann"))
        o.analysis = Analysis::Gann;
    else
        return Usage(QStringLiteral("unknown command %1: use fib, gann or history").arg(QuotedValue(first)));

    QStringList given;
    QString error;
    for (int i = 1; i < args.size(); ++i) {
        if (IsHelp(args[i])) {
            result.kind = ParsedCommandLine::Help;
            return result;
        }
        if (!ReadOption(args, i, o, given, error))
            return Usage(error);
    }
    if (!CheckCombinations(o, given, error))
        return Usage(error);
    result.kind = ParsedCommandLine::Run;
    return result;
}

QString UsageText()
{
    return QStringLiteral(
        "Usage:\n"
        "  tessaray-cli fib  [--price1 NUMBER] [--price2 NUMBER] [--date1 DATE] [--date2 DATE]\n"
        "                    [--ratios R1,R2,R3] [--name TEXT] [--notes TEXT] [--project FILE.fib]\n"
        "                    [--today DATE] [--format report|listing|json] [--output FILE|-]\n"
        "                    [--chart FILE.png|FILE.bmp|-] [--screen WxH] [--layout compact|large]\n"
        "                    [--lenient]\n"
        "  tessaray-cli gann [--price NUMBER] [--date DATE] [--name TEXT] [--notes TEXT]\n"
        "                    [--project FILE.gann] [--today DATE] [--layout compact|large]\n"
        "                    [--format report|listing|json] [--output FILE|-]\n"
        "                    [--chart FILE.png|FILE.bmp|-] [--screen WxH] [--lenient]\n"
        "  tessaray-cli fib|gann --csv FILE.csv|-  [--today ..] [--ratios ..] [--layout ..] [--screen ..]\n"
        "                    [--lenient]\n"
        "  tessaray-cli history --data FILE.csv|- [--data FILE.csv ..] [--date-format auto|mm/dd/yyyy|dd/mm/yyyy]\n"
        "                    [--swings close|hl] [--threshold PCT] [--ratios R1,R2,..] [--scale 10^k|auto]\n"
        "                    [--draws N] [--seed S] [--block-days B] [--today DATE] [--format report|json]\n"
        "  tessaray-cli --help | --version | --settings-path\n"
        "\n"
        "A NUMBER is one number (digits, one \".\", optional sign and exponent); --lenient reads\n"
        "prices and ratios as the window's boxes read typed text. A DATE is m/d/yyyy or\n"
        "yyyy-mm-dd; a date left out is a date picker left at today. The chart is PNG or BMP as\n"
        "its name ends; \"-\" is standard output (PNG).\n"
        "The Fibonacci ratios come from the settings file the windows use: quillomat.ini beside\n"
        "the program when that folder is writable and not a system folder, else\n"
        "$XDG_CONFIG_HOME/tessaray/quillomat.ini (~/.config/tessaray/); --settings-path prints it.\n"
        "Exit status: 0 done, 1 a file or calculation failed, 2 inputs rejected, 64 usage error.\n");
}
