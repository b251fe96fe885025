#include "app/cli/cli.h"

#include "app/cli/csvbatch.h"
#include "app/cli/fibrun.h"
#include "app/cli/gannrun.h"
#include "app/cli/historyrun.h"
#include "app/cli/options.h"
#include "modules/textfile.h"

#include <QFile>
#include <QIODevice>

namespace {

void Write(QIODevice* device, const QByteArray& bytes)
{
    if (device)
        device->write(bytes);
}

int Fail(const CliStreams& io, const CliFailure& failure)
{
    Write(io.err, failure.message.toUtf8() + '\n');
    return failure.status;
}

// The report as Export Results writes it: the same text, the same encoding.
QByteArray ReportBytes(const QString& report) { return EncodeFileText(report); }

int RunSingle(const CliOptions& o, const CliEnvironment& env, const QDate& today, Layout layout,
              const CliStreams& io)
{
    QByteArray output;
    std::optional<CliFailure> failure;
    if (o.analysis == Analysis::Fibonacci) {
        FibonacciRun run;
        run.layout = layout;
        run.screen = o.screen;
        run.today = today;
        if ((failure = FibonacciRatiosFor(o, env.programDir, run.ratios)))
            return Fail(io, *failure);
        if ((failure = RunFibonacci(o, run)))
            return Fail(io, *failure);
        switch (o.format) {
        case OutputFormat::Report: output = ReportBytes(FibonacciReport(run)); break;
        case OutputFormat::Listing: output = FibonacciListing(run).toUtf8(); break;
        case OutputFormat::Json: output = FibonacciJson(run); break;
        }
        if (o.chart && (failure = WriteFibonacciChart(run, *o.chart)))
            return Fail(io, *failure);
    } else {
        GannRun run;
        run.layout = layout;
        run.screen = o.screen;
        run.today = today;
        if ((failure = RunGann(o, run)))
            return Fail(io, *failure);
        switch (o.format) {
        case OutputFormat::Report: output = ReportBytes(GannReport(run)); break;
        case OutputFormat::Listing: output = GannListing(run).toUtf8(); break;
        case OutputFormat::Json: output = GannJson(run); break;
        }
        if (o.chart && (failure = WriteGannChart(run, *o.chart)))
            return Fail(io, *failure);
    }
    Write(io.out, output);
    return ExitOk;
}

int RunBatch(const CliOptions& o, const CliEnvironment& env, const QDate& today, Layout layout,
             const CliStreams& io)
{
    BatchSettings settings;
    settings.analysis = o.analysis;
    settings.today = today;
    settings.layout = layout;
    settings.screen = o.screen;
    if (o.analysis == Analysis::Fibonacci) {
        if (const std::optional<CliFailure> failure = FibonacciRatiosFor(o, env.programDir, settings.ratios))
            return Fail(io, *failure);
    }

    QByteArray bytes;
    if (*o.csv == QLatin1String("-")) {
        if (io.in)
            bytes = io.in->readAll();
    } else {
        QFile file(*o.csv);
        if (!file.open(QIODevice::ReadOnly))
            return Fail(io, ActionFailed(QStringLiteral("Can't read the watch-list file")));
        bytes = file.readAll();
    }
    const std::optional<CliFailure> failure =
        RunCsvBatch(DecodeFileText(bytes), settings, [&io](const QByteArray& chunk) { Write(io.out, chunk); });
    return failure ? Fail(io, *failure) : ExitOk;
}

}  // namespace

int RunCli(const QStringList& args, const CliEnvironment& env, const CliStreams& io)
{
    if (!args.isEmpty() && args.first() == QLatin1String("history"))
        return RunHistoryCommand(args.mid(1), env, io);
    const ParsedCommandLine parsed = ParseCommandLine(args);
    switch (parsed.kind) {
    case ParsedCommandLine::Help:
        Write(io.out, UsageText().toUtf8());
        return ExitOk;
    case ParsedCommandLine::Version:
        Write(io.out, QStringLiteral("tessaray-cli %1\n").arg(env.version).toUtf8());
        return ExitOk;
    case ParsedCommandLine::UsageError:
        Write(io.err, (QStringLiteral("tessaray-cli: ") + parsed.error + QLatin1Char('\n') + UsageText()).toUtf8());
        return ExitUsage;
    case ParsedCommandLine::Run:
        break;
    }
    const CliOptions& o = parsed.options;
    const QDate today = o.today.value_or(env.computerToday);
    // As the main menu chooses: from the screen, unless the layout is named.
    const Layout layout = o.layout.value_or(ChooseLayout(o.screen));
    if (o.csv)
        return RunBatch(o, env, today, layout, io);
    return RunSingle(o, env, today, layout, io);
}
