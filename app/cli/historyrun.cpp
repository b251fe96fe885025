#include "app/cli/historyrun.h"

#include "app/cli/fibrun.h"
#include "app/cli/gannrun.h"
#include "app/cli/jsonout.h"
#include "app/cli/options.h"
#include "modules/dates.h"
#include "modules/numbers.h"

#include <QFile>
#include <QFileInfo>
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

// --ratios read exactly as `fib --ratios` reads it, with its message.
bool SetRatios(HistoryOptions& o, const QString& value, QString& error)
{
    const ParsedCommandLine fib = ParseCommandLine({QStringLiteral("fib"), QStringLiteral("--ratios"), value});
    if (fib.kind != ParsedCommandLine::Run) {
        error = fib.error;
        return false;
    }
    o.ratios = fib.options.ratios;
    return true;
}

bool SetOption(HistoryOptions& o, const QString& name, const QString& value, QString& error)
{
    if (name == QLatin1String("data")) {
        o.dataFile = value;
    } else if (name == QLatin1String("threshold")) {
        const std::optional<double> p = ParseFileNumber(value);
        if (!p || !(*p > 0) || !(*p < 100)) {
            error = QStringLiteral("--threshold needs a percentage above 0 and below 100, not %1").arg(QuotedValue(value));
            return false;
        }
        o.threshold = *p;
    } else if (name == QLatin1String("ratios")) {
        return SetRatios(o, value, error);
    } else if (name == QLatin1String("scale")) {
        const std::optional<PriceScaleChoice> scale = ParsePriceScaleChoice(value);
        if (!scale) {
            error = QStringLiteral("--scale is auto or 10^k with k from -9 to 9, not %1").arg(QuotedValue(value));
            return false;
        }
        o.scale = *scale;
    } else if (name == QLatin1String("format")) {
        if (value != QLatin1String("report") && value != QLatin1String("json")) {
            error = QStringLiteral("--format is report or json, not %1").arg(QuotedValue(value));
            return false;
        }
        o.json = value == QLatin1String("json");
    } else if (name == QLatin1String("today")) {
        o.today = ParsePickerDate(value);
        if (!o.today) {
            error = NotADateMessage(QStringLiteral("--today"), value);
            return false;
        }
    } else {
        error = QStringLiteral("unknown option %1").arg(ShortText(QStringLiteral("--") + name));
        return false;
    }
    return true;
}

// Everything the command works out before it writes.
struct HistoryRun {
    HistoryOptions options;
    QDate today;
    FibRatios ratios;
    PriceHistory history;
    std::vector<Swing> swings;
    std::optional<FibonacciRun> fibonacci;   // from the last two confirmed swings
    std::optional<GannRun> gann;             // from the last confirmed swing
    PriceScale scale;
    Evidence evidence;
};

std::optional<CliFailure> ReadHistory(HistoryRun& run)
{
    QFile file(run.options.dataFile);
    if (!QFileInfo(run.options.dataFile).isFile() || !file.open(QIODevice::ReadOnly))
        return ActionFailed(QStringLiteral("Can't read the price history file"));
    PriceHistoryRead read = ReadPriceHistory(file.readAll(), QFileInfo(run.options.dataFile).fileName());
    if (!read.history)
        return CliFailure{ExitRejected, read.problem};
    run.history = std::move(*read.history);
    return std::nullopt;
}

// The runs `fib` and `gann` would make with the swings typed in as options.
std::optional<CliFailure> ProjectLastSwings(HistoryRun& run)
{
    const std::vector<Swing> confirmed = ConfirmedSwings(run.swings);
    const size_t n = confirmed.size();
    if (n >= 2) {
        CliOptions fib;
        fib.analysis = Analysis::Fibonacci;
        const FibonacciInputs in = FibonacciInputsFromSwings(confirmed[n - 2], confirmed[n - 1]);
        fib.price1 = in.Price1Text;
        fib.price2 = in.Price2Text;
        fib.date1 = in.Picker1;
        fib.date2 = in.Picker2;
        run.fibonacci.emplace();
        run.fibonacci->today = run.today;
        run.fibonacci->ratios = run.ratios;
        if (std::optional<CliFailure> f = RunFibonacci(fib, *run.fibonacci))
            return f;
    }
    if (n >= 1) {
        const Swing& last = confirmed[n - 1];
        run.scale = ScaleForPrice(run.options.scale, last.close);
        CliOptions gann;
        gann.analysis = Analysis::Gann;
        gann.price = PriceBoxText(run.scale.toSquare(last.close));
        gann.date = last.date;
        run.gann.emplace();
        run.gann->today = run.today;
        run.gann->layout = ChooseLayout(run.gann->screen);
        if (std::optional<CliFailure> f = RunGann(gann, *run.gann))
            return f;
    }
    return std::nullopt;
}

QString KindText(const Swing& s) { return s.kind == SwingKind::High ? QStringLiteral("high") : QStringLiteral("low"); }

QByteArray PivotsJson(const std::vector<Swing>& swings)
{
    std::vector<QByteArray> items;
    for (const Swing& s : swings) {
        JsonObject o;
        o.add(QStringLiteral("date"), JsonDate(s.date))
            .add(QStringLiteral("close"), JsonNumber(s.close))
            .add(QStringLiteral("kind"), JsonString(KindText(s)))
            .add(QStringLiteral("confirmed"), JsonBool(s.confirmed));
        items.push_back(o.text(false));
    }
    return JsonArray(items);
}

// The object a run prints, without its final line end, so it nests unchanged.
QByteArray Nested(const QByteArray& printed) { return printed.chopped(1); }

QByteArray ScaleJson(const HistoryRun& run)
{
    if (!run.gann)
        return JsonNull();
    const GannState& s = *run.gann->state;
    std::vector<QByteArray> highs, lows;
    for (int k = 1; k <= s.AngleCount; ++k) {
        highs.push_back(s.PotentialHigh[k] ? JsonNumber(run.scale.fromSquare(s.PotentialHigh[k])) : JsonNull());
        lows.push_back(s.PotentialLow[k] ? JsonNumber(run.scale.fromSquare(s.PotentialLow[k])) : JsonNull());
    }
    JsonObject o;
    o.add(QStringLiteral("power"), JsonInteger(run.scale.power))
        .add(QStringLiteral("priceOnSquare"), JsonString(run.gann->controls.priceText))
        .add(QStringLiteral("PotentialHigh"), JsonArray(highs))
        .add(QStringLiteral("PotentialLow"), JsonArray(lows));
    return o.text(false);
}

QByteArray ScoreJson(const ProjectionScore& s)
{
    const bool any = s.count > 0;
    JsonObject o;
    o.add(QStringLiteral("count"), JsonInteger(s.count))
        .add(QStringLiteral("medianPriceError"), any ? JsonNumber(s.medianPriceError) : JsonNull())
        .add(QStringLiteral("shareWithinPrice"), any ? JsonNumber(s.shareWithinPrice) : JsonNull())
        .add(QStringLiteral("medianDaysOff"), any ? JsonNumber(s.medianDaysOff) : JsonNull())
        .add(QStringLiteral("shareWithinDays"), any ? JsonNumber(s.shareWithinDays) : JsonNull());
    return o.text(false);
}

QByteArray EvidenceJson(const Evidence& e)
{
    std::vector<QByteArray> verdicts;
    for (const QString& v : EvidenceVerdicts(e))
        verdicts.push_back(JsonString(v));
    JsonObject o;
    o.add(QStringLiteral("fibonacci"), ScoreJson(e.fibonacci))
        .add(QStringLiteral("baseline"), ScoreJson(e.baseline))
        .add(QStringLiteral("gann"), ScoreJson(e.gann))
        .add(QStringLiteral("verdicts"), JsonArray(verdicts));
    return o.text(false);
}

QByteArray HistoryJson(const HistoryRun& run)
{
    JsonObject o;
    o.add(QStringLiteral("pivots"), PivotsJson(run.swings))
        .add(QStringLiteral("fibonacci"), run.fibonacci ? Nested(FibonacciOutputs.json(*run.fibonacci)) : JsonNull())
        .add(QStringLiteral("gann"), run.gann ? Nested(GannOutputs.json(*run.gann)) : JsonNull())
        .add(QStringLiteral("scale"), ScaleJson(run))
        .add(QStringLiteral("evidence"), EvidenceJson(run.evidence));
    return o.text() + '\n';
}

QString SwingLine(const Swing& s)
{
    QString line = QStringLiteral("  %1  %2  %3")
                       .arg(FormatMmDdYyyy(s.date), GeneralNumber(s.close).rightJustified(12), KindText(s));
    if (!s.confirmed)
        line += QString(4 - KindText(s).size(), QLatin1Char(' ')) + QStringLiteral("  unconfirmed");
    return line;
}

QString EvidenceReport(const HistoryRun& run)
{
    QString text = QStringLiteral("How projections from earlier swings met the next swing\n");
    QStringList header{QString().leftJustified(38)};
    for (const QString& c : EvidenceColumns())
        header << c.rightJustified(c.size() + 2);
    text += header.join(QString()) + QLatin1Char('\n');
    const QStringList columns = EvidenceColumns();
    for (const EvidenceRow& row : EvidenceTable(run.evidence, run.ratios)) {
        QString line = row.name.leftJustified(38);
        for (int i = 0; i < row.cells.size(); ++i)
            line += row.cells[i].rightJustified(columns[i].size() + 2);
        text += line + QLatin1Char('\n');
    }
    for (const QString& v : EvidenceVerdicts(run.evidence))
        text += v + QLatin1Char('\n');
    return text;
}

// The square's highs and lows divided by the scale again, in the history's prices.
QString MappedBackLines(const GannState& s, const PriceScale& scale)
{
    QStringList highs, lows;
    for (int k = 1; k <= s.AngleCount; ++k) {
        if (s.PotentialHigh[k]) highs << GeneralNumber(scale.fromSquare(s.PotentialHigh[k]));
        if (s.PotentialLow[k]) lows << GeneralNumber(scale.fromSquare(s.PotentialLow[k]));
    }
    return QStringLiteral("Highs in real prices: %1\nLows in real prices: %2\n")
        .arg(highs.join(QStringLiteral(", ")), lows.join(QStringLiteral(", ")));
}

QString HistoryReport(const HistoryRun& run)
{
    const PriceHistory& h = run.history;
    QString text = QStringLiteral("Price history %1: %2 closes from %3 to %4\nSwings of at least %5%\n")
                       .arg(h.fileName).arg(h.bars.size())
                       .arg(FormatMmDdYyyy(h.bars.front().date), FormatMmDdYyyy(h.bars.back().date),
                            GeneralNumber(run.options.threshold));
    for (const Swing& s : run.swings)
        text += SwingLine(s) + QLatin1Char('\n');
    if (run.fibonacci) {
        const FibonacciState& f = run.fibonacci->state;
        text += QStringLiteral("\nFibonacci from %1 %2 to %3 %4\n")
                    .arg(FormatMmDdYyyy(f.Date1), GeneralNumber(f.Price1), FormatMmDdYyyy(f.Date2), GeneralNumber(f.Price2));
        text += FibonacciOutputs.listing(*run.fibonacci).remove(QLatin1Char('\r'));
    }
    if (run.gann) {
        text += QStringLiteral("\nGann from %1 %2, on the square as %3 (x %4)\n")
                    .arg(FormatMmDdYyyy(run.gann->controls.date), GeneralNumber(ConfirmedSwings(run.swings).back().close),
                         run.gann->controls.priceText, run.scale.text());
        text += GannOutputs.listing(*run.gann).remove(QLatin1Char('\r'));
        if (run.scale.power != 0)
            text += MappedBackLines(*run.gann->state, run.scale);
    }
    return text + QLatin1Char('\n') + EvidenceReport(run);
}

}  // namespace

ParsedHistoryLine ParseHistoryCommandLine(const QStringList& args)
{
    HistoryOptions o;
    for (int i = 0; i < args.size(); ++i) {
        QString name, value, error;
        if (!SplitOptionArgument(args, i, name, value, error) || !SetOption(o, name, value, error))
            return {std::nullopt, error};
    }
    if (o.dataFile.isEmpty())
        return {std::nullopt, QStringLiteral("history needs --data FILE.csv")};
    return {o, QString()};
}

int RunHistoryCommand(const QStringList& args, const CliEnvironment& env, const CliStreams& io)
{
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        Write(io.out, UsageText().toUtf8());
        return ExitOk;
    }
    const ParsedHistoryLine parsed = ParseHistoryCommandLine(args);
    if (!parsed.options) {
        Write(io.err, UsageErrorText(parsed.error).toUtf8());
        return ExitUsage;
    }
    HistoryRun run;
    run.options = *parsed.options;
    run.today = run.options.today.value_or(env.computerToday);
    if (std::optional<CliFailure> f = ReadHistory(run))
        return Fail(io, *f);
    // The ratios in force, as `fib` finds them: --ratios, or the settings file.
    CliOptions ratios;
    ratios.ratios = run.options.ratios;
    QStringList warnings;
    const std::optional<CliFailure> ratiosFailure = FibonacciRatiosFor(ratios, env.programDir, run.ratios, &warnings);
    ReportWarnings(io, warnings);
    if (ratiosFailure)
        return Fail(io, *ratiosFailure);
    run.swings = FindSwings(run.history, run.options.threshold);
    if (std::optional<CliFailure> f = ProjectLastSwings(run))
        return Fail(io, *f);
    run.evidence = MeasureEvidence(run.swings, run.ratios, run.options.scale, run.today);
    Write(io.out, run.options.json ? HistoryJson(run) : HistoryReport(run).toUtf8());
    return ExitOk;
}
