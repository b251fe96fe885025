#include "app/cli/cli.h"

#include "app/cli/batchrun.h"
#include "app/cli/clifiles.h"
#include "app/cli/fibrun.h"
#include "app/cli/gannrun.h"
#include "app/cli/historyrun.h"
#include "app/cli/options.h"
#include "core/numbers/licence.h"
#include "core/files/textfile.h"

#include <QIODevice>
#include <map>

namespace {

void Write(QIODevice* device, const QByteArray& bytes)
{
    if (device)
        device->write(bytes);
}

// The report as Export Results writes it: the same text, the same encoding.
QByteArray ReportBytes(const QString& report) { return EncodeFileText(report); }

// The picture and the text output, each where the command line sends it; the picture
// first, so a chart that cannot be written leaves no report behind to mistake for
// success. With the chart on standard output the text goes only to a named --output file.
std::optional<CliFailure> WriteResults(const CliOptions& o, const QByteArray& text, const QImage& picture,
                                       const CliStreams& io)
{
    if (o.chart) {
        if (auto failure = WriteChartPicture(picture, *o.chart, io.out))
            return failure;
    }
    if (o.chart && *o.chart == QLatin1String("-") && !o.output)
        return std::nullopt;
    return WriteOutput(o.output.value_or(QStringLiteral("-")), text, io.out);
}

// The text --format asks for and the picture --chart asks for, each where it goes.
template <class Run>
std::optional<CliFailure> WriteRun(const CliOptions& o, const Run& run, const RunOutputs<Run>& outputs,
                                   const CliStreams& io)
{
    QByteArray text;
    switch (o.format) {
    case OutputFormat::Report: text = ReportBytes(outputs.report(run)); break;
    case OutputFormat::Listing: text = outputs.listing(run).toUtf8(); break;
    case OutputFormat::Json: text = outputs.json(run); break;
    }
    return WriteResults(o, text, o.chart ? outputs.chartPicture(run) : QImage(), io);
}

// A run of either analysis, in the window the command line imagines.
template <class Run>
Run RunInWindow(const CliOptions& o, const QDate& today, Layout layout)
{
    Run run;
    run.layout = layout;
    run.screen = o.screen;
    run.today = today;
    return run;
}

std::optional<CliFailure> RunFibonacciOnce(const CliOptions& o, const CliEnvironment& env, FibonacciRun& run,
                                           const CliStreams& io)
{
    QStringList warnings;
    const std::optional<CliFailure> failure = FibonacciRatiosFor(o, env.programDir, run.ratios, &warnings);
    ReportWarnings(io, warnings);
    if (failure)
        return failure;
    if (auto failure = RunFibonacci(o, run))
        return failure;
    return WriteRun(o, run, FibonacciOutputs, io);
}

std::optional<CliFailure> RunGannOnce(const CliOptions& o, GannRun& run, const CliStreams& io)
{
    if (auto failure = RunGann(o, run))
        return failure;
    return WriteRun(o, run, GannOutputs, io);
}

int RunSingle(const CliOptions& o, const CliEnvironment& env, const QDate& today, Layout layout,
              const CliStreams& io)
{
    std::optional<CliFailure> failure;
    if (o.analysis == Analysis::Fibonacci) {
        FibonacciRun run = RunInWindow<FibonacciRun>(o, today, layout);
        failure = RunFibonacciOnce(o, env, run, io);
    } else {
        GannRun run = RunInWindow<GannRun>(o, today, layout);
        failure = RunGannOnce(o, run, io);
    }
    return failure ? ReportFailure(io, *failure) : ExitOk;
}

// fib and gann: one calculation, or a watch-list.
int RunAnalysis(const QStringList& args, const CliEnvironment& env, const CliStreams& io)
{
    const ParsedCommandLine parsed = ParseCommandLine(args);
    switch (parsed.kind) {
    case ParsedCommandLine::Help:
        Write(io.out, UsageText().toUtf8());
        return ExitOk;
    case ParsedCommandLine::Version:
        Write(io.out, (QStringLiteral("tessaray-cli %1\n").arg(env.version) + ProgramLicence()).toUtf8());
        return ExitOk;
    case ParsedCommandLine::SettingsPath:
        Write(io.out, (SettingsPathFor(env.programDir) + QLatin1Char('\n')).toUtf8());
        return ExitOk;
    case ParsedCommandLine::UsageError:
        Write(io.err, UsageErrorText(parsed.error).toUtf8());
        return ExitUsage;
    case ParsedCommandLine::Run:
        break;
    }
    const CliOptions& o = parsed.options;
    const QDate today = o.today.value_or(env.computerToday);
    // As the main menu chooses: from the screen, unless the layout is named.
    const Layout layout = o.layout.value_or(ChooseLayout(o.screen));
    if (o.csv)
        return RunWatchList(o, env, today, layout, io);
    return RunSingle(o, env, today, layout, io);
}

using Command = int (*)(const QStringList& args, const CliEnvironment& env, const CliStreams& io);

// Commands with a command line of their own, by their first word. Anything else
// (fib, gann, --help, --version, --settings-path, a mistake) goes to RunAnalysis.
const std::map<QString, Command>& Commands()
{
    static const std::map<QString, Command> commands = {
        {QStringLiteral("fib"), RunAnalysis},
        {QStringLiteral("gann"), RunAnalysis},
        {QStringLiteral("history"),
         [](const QStringList& args, const CliEnvironment& env, const CliStreams& io) {
             return RunHistoryCommand(args.mid(1), env, io);
         }},
    };
    return commands;
}

}  // namespace

int ReportFailure(const CliStreams& io, const CliFailure& failure)
{
    Write(io.err, failure.message.toUtf8() + '\n');
    return failure.status;
}

void ReportWarnings(const CliStreams& io, const QStringList& warnings)
{
    for (const QString& warning : warnings)
        Write(io.err, (QStringLiteral("tessaray-cli: ") + warning + QLatin1Char('\n')).toUtf8());
}

int RunCli(const QStringList& args, const CliEnvironment& env, const CliStreams& io)
{
    const auto command = Commands().find(args.value(0));
    return command != Commands().end() ? command->second(args, env, io) : RunAnalysis(args, env, io);
}
