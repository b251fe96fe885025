#include "app/cli/historyrun.h"

#include "app/cli/fibrun.h"
#include "app/cli/gannrun.h"
#include "app/cli/historyreport.h"
#include "app/cli/jsonout.h"
#include "app/cli/options.h"
#include "core/settings/settings.h"
#include "core/numbers/dates.h"
#include "core/numbers/numbers.h"
#include "core/numbers/quotedtext.h"

#include <QDir>
#include <QIODevice>
#include <QRegularExpression>
#include <limits>

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

// Any number of ratios from 1 to 12; whether they are above 0 and increasing is judged
// with the settings file's ratios, when the run starts, and refused with status 2 as
// `fib --ratios` refuses them.
bool SetRatios(HistoryOptions& o, const QString& value, QString& error)
{
    const std::optional<std::vector<double>> r = ParseRatioList(value);
    if (!r || int(r->size()) > MaxHistoryRatios) {
        error = QStringLiteral("--ratios needs 1 to %1 numbers R1,R2,..., not \"%2\"").arg(MaxHistoryRatios).arg(value);
        return false;
    }
    o.ratios = *r;
    return true;
}

// Digits only, from `least` to `most`.
std::optional<qint64> WholeNumber(const QString& text, qint64 least, qint64 most)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,12}$"));
    if (!digits.match(text).hasMatch())
        return std::nullopt;
    const qint64 n = text.toLongLong();
    if (n < least || n > most)
        return std::nullopt;
    return n;
}

bool SetWholeNumber(const QString& name, const QString& value, qint64 least, qint64 most, qint64& target,
                    QString& error)
{
    const std::optional<qint64> n = WholeNumber(value, least, most);
    if (!n) {
        error = QStringLiteral("--%1 needs a whole number from %2 to %3, not \"%4\"").arg(name).arg(least).arg(most).arg(value);
        return false;
    }
    target = *n;
    return true;
}

// --draws, --seed and --block-days.
bool SetEvidenceOption(EvidenceSettings& e, const QString& name, const QString& value, QString& error)
{
    qint64 n = 0;
    if (name == QLatin1String("draws")) {
        if (!SetWholeNumber(name, value, 0, MaxDraws, n, error))
            return false;
        e.draws = int(n);
    } else if (name == QLatin1String("seed")) {
        if (!SetWholeNumber(name, value, 0, std::numeric_limits<quint32>::max(), n, error))
            return false;
        e.seed = quint32(n);
    } else {
        if (!SetWholeNumber(name, value, 1, MaxBlockDays, n, error))
            return false;
        e.blockDays = int(n);
    }
    return true;
}

// The options that say what is read and how: --data, --date-format, --swings, --threshold.
std::optional<bool> SetInputOption(HistoryOptions& o, const QString& name, const QString& value, QString& error)
{
    if (name == QLatin1String("data")) {
        if (value == QLatin1String("-") && o.dataFiles.contains(value))
            error = QStringLiteral("--data - reads standard input, which can be given only once");
        else
            o.dataFiles << value;
    } else if (name == QLatin1String("date-format")) {
        const std::optional<DateOrder> order = ParseDateOrder(value);
        if (!order)
            error = QStringLiteral("--date-format is auto, mm/dd/yyyy or dd/mm/yyyy, not %1").arg(QuotedText(value));
        o.dateOrder = order.value_or(DateOrder::Automatic);
    } else if (name == QLatin1String("swings")) {
        if (value == QLatin1String("close") || value == QLatin1String("hl"))
            o.swings = value == QLatin1String("hl") ? SwingBasis::HighLow : SwingBasis::Close;
        else
            error = QStringLiteral("--swings is close or hl, not %1").arg(QuotedText(value));
    } else if (name == QLatin1String("threshold")) {
        const std::optional<double> p = ParseFileNumber(value);
        if (p && *p >= MinSwingThreshold && *p <= MaxSwingThreshold)
            o.threshold = *p;
        else
            error = QStringLiteral("--threshold needs a percentage from %1 to %2, not %3")
                        .arg(GeneralNumber(MinSwingThreshold), GeneralNumber(MaxSwingThreshold), QuotedText(value));
    } else {
        return std::nullopt;
    }
    return error.isEmpty();
}

bool SetOption(HistoryOptions& o, const QString& name, const QString& value, QString& error)
{
    if (const std::optional<bool> input = SetInputOption(o, name, value, error)) {
        return *input;
    } else if (name == QLatin1String("draws") || name == QLatin1String("seed") || name == QLatin1String("block-days")) {
        return SetEvidenceOption(o.evidence, name, value, error);
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

// One file's history, its swings and the projections from its last swings. A
// projection that cannot be made leaves its reason in its place.
struct FileRun {
    PriceHistory history;
    std::vector<Swing> swings;
    std::vector<Swing> lastConfirmed;                   // the last three at most, oldest first
    std::optional<ProjectedLevels> fibonacciLevels;     // the history's ratios, from the last two
    std::optional<FibonacciRun> fibonacci;              // the window's run, when there are three ratios
    QString fibonacciProblem;
    std::optional<ProjectedLevels> extension;           // from the last three
    QString extensionProblem;
    std::optional<GannRun> gann;                        // from the last one
    QString gannProblem;
    PriceScale scale;
};

// Everything the command works out before it writes.
struct HistoryRun {
    HistoryOptions options;
    QDate today;
    HistoryRatios ratios;
    std::vector<FileRun> files;
    PooledEvidence evidence;
};

// The basis the swings of a history are found on: --swings, else High/Low where every
// bar has both, else closes. Surrogate histories carry their bars' shapes, so they get
// the basis of the file they come from.
SwingBasis SwingBasisFor(const HistoryOptions& o, const PriceHistory& history)
{
    return o.swings.value_or(DefaultSwingBasis(history));
}

// One file (or standard input for "-"), whole; --swings hl on a file without Highs and
// Lows is refused rather than quietly run on closes.
std::optional<CliFailure> ReadHistory(const HistoryOptions& o, const QString& path, const CliStreams& io, FileRun& run)
{
    PriceReadOptions options;
    options.dateOrder = o.dateOrder;
    const PriceByteSource standardInput = io.in ? PriceByteSource(io.in) : [](char*, qint64) { return qint64(0); };
    PriceHistoryRead read = path == QLatin1String("-")
                                ? ReadPriceHistory(standardInput, QStringLiteral("(standard input)"), options)
                                : LoadPriceHistoryFile(path, options);
    if (!read.history)
        return read.failure == PriceReadFailure::CannotRead ? ActionFailed(read.problem)
                                                             : CliFailure{ExitRejected, read.problem};
    run.history = std::move(*read.history);
    if (SwingBasisFor(o, run.history) == SwingBasis::HighLow && !run.history.hasHighLow())
        return CliFailure{ExitRejected, QStringLiteral("%1: --swings hl needs a High and a Low on every row; use "
                                                       "--swings close.").arg(run.history.fileName)};
    return std::nullopt;
}

// --ratios, or the settings file's three as `fib` reads them; either way refused when
// they are not above 0 and increasing, since the evenly spaced baseline and the
// nearest-level measure need an ordered list.
std::optional<CliFailure> ChooseRatios(HistoryRun& run, const QString& programDir, QStringList* warnings)
{
    QString problem;
    if (run.options.ratios) {
        if (std::optional<HistoryRatios> r = HistoryRatios::fromValues(*run.options.ratios, &problem)) {
            run.ratios = *r;
            return std::nullopt;
        }
        return CliFailure{ExitRejected, problem};
    }
    FibRatios three;
    if (std::optional<CliFailure> f = FibonacciRatiosFor(CliOptions(), programDir, three, warnings))
        return f;
    if (std::optional<HistoryRatios> r = HistoryRatios::fromFibRatios(three, &problem)) {
        run.ratios = *r;
        return std::nullopt;
    }
    return CliFailure{ExitRejected, QStringLiteral("The Fibonacci ratios of %1 (%2, %3, %4) cannot be used: %5. "
                                                   "Correct them in the ratios dialog or give --ratios.")
                                        .arg(QDir::toNativeSeparators(SettingsPathFor(programDir)),
                                             GeneralNumber(three.r1), GeneralNumber(three.r2),
                                             GeneralNumber(three.r3), problem)};
}

// The run `fib` would make with the two swings typed in as options.
void ProjectFibonacciFrom(const HistoryRun& run, const Swing& older, const Swing& newer, FileRun& file)
{
    ProjectedLevels levels;
    if (const std::optional<QString> problem = FibonacciLevels(older, newer, run.ratios, levels)) {
        file.fibonacciProblem = *problem;
        return;
    }
    file.fibonacciLevels = levels;
    const std::optional<FibRatios> three = run.ratios.asFibRatios();
    if (!three)
        return;
    CliOptions fib;
    fib.analysis = Analysis::Fibonacci;
    const FibonacciInputs in = FibonacciInputsFromSwings(older, newer);
    fib.price1 = in.Price1Text;
    fib.price2 = in.Price2Text;
    fib.date1 = in.Picker1;
    fib.date2 = in.Picker2;
    file.fibonacci.emplace();
    file.fibonacci->today = run.today;
    file.fibonacci->ratios = *three;
    if (const std::optional<CliFailure> f = RunFibonacci(fib, *file.fibonacci)) {
        file.fibonacciProblem = HistoryProjectionMessage(f->message, newer.date);
        file.fibonacci.reset();
    }
}

// The run `gann` would make with the swing's price, scaled, and its date.
void ProjectGannFrom(const HistoryRun& run, const Swing& last, FileRun& file)
{
    file.scale = ScaleForPrice(run.options.scale, last.price);
    if (const std::optional<QString> problem = GannScaleProblem(last.price, file.scale)) {
        file.gannProblem = *problem;
        return;
    }
    CliOptions gann;
    gann.analysis = Analysis::Gann;
    gann.price = PriceBoxText(file.scale.toSquare(last.price));
    gann.date = last.date;
    file.gann.emplace();
    file.gann->today = run.today;
    file.gann->layout = ChooseLayout(file.gann->screen);
    if (const std::optional<CliFailure> f = RunGann(gann, *file.gann)) {
        file.gannProblem = HistoryProjectionMessage(f->message, last.date);
        file.gann.reset();
    }
}

void ProjectLastSwings(const HistoryRun& run, FileRun& file)
{
    const std::vector<Swing> confirmed = ConfirmedSwings(file.swings);
    file.lastConfirmed.assign(confirmed.end() - std::min<size_t>(confirmed.size(), 3), confirmed.end());
    const std::vector<Swing>& s = file.lastConfirmed;
    const size_t n = s.size();
    if (n >= 2)
        ProjectFibonacciFrom(run, s[n - 2], s[n - 1], file);
    else
        file.fibonacciProblem = QStringLiteral("Fewer than two confirmed swings: nothing to project from.");
    ProjectedLevels levels;
    if (n < 3)
        file.extensionProblem = QStringLiteral("Fewer than three confirmed swings: nothing to project from.");
    else if (const std::optional<QString> problem = ExtensionLevels(s[0], s[1], s[2], run.ratios, levels))
        file.extensionProblem = *problem;
    else
        file.extension = levels;
    if (n >= 1)
        ProjectGannFrom(run, s[n - 1], file);
    else
        file.gannProblem = QStringLiteral("No confirmed swing: nothing to project from.");
}

EvidenceRequest EvidenceRequestFor(const HistoryRun& run)
{
    EvidenceRequest request;
    request.ratios = run.ratios;
    request.scale = run.options.scale;
    request.today = run.today;
    request.settings = run.options.evidence;
    const HistoryOptions o = run.options;
    request.swingRule = [o](const PriceHistory& h) { return FindSwings(h, o.threshold, SwingBasisFor(o, h)); };
    return request;
}

QString KindText(const Swing& s) { return s.kind == SwingKind::High ? QStringLiteral("high") : QStringLiteral("low"); }

QByteArray PivotsJson(const std::vector<Swing>& swings)
{
    std::vector<QByteArray> items;
    for (const Swing& s : swings) {
        JsonObject o;
        o.add(QStringLiteral("date"), JsonDate(s.date))
            .add(QStringLiteral("close"), JsonNumber(s.close))
            .add(QStringLiteral("price"), JsonNumber(s.price))
            .add(QStringLiteral("kind"), JsonString(KindText(s)))
            .add(QStringLiteral("confirmed"), JsonBool(s.confirmed));
        items.push_back(o.text(false));
    }
    return JsonArray(items);
}

// The object a run prints, without its final line end, so it nests unchanged.
QByteArray Nested(const QByteArray& printed) { return printed.chopped(1); }

QByteArray ScaleJson(const FileRun& run)
{
    if (!run.gann)
        return JsonNull();
    const GannResults& s = run.gann->state->results;
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

QByteArray ProblemJson(const QString& problem) { return problem.isEmpty() ? JsonNull() : JsonString(problem); }

QByteArray NotesJson(const PriceHistory& history)
{
    std::vector<QByteArray> notes;
    for (const QString& n : PriceReadNoteLines(history))
        notes.push_back(JsonString(n));
    return JsonArray(notes);
}

JsonObject FileJson(const HistoryRun& run, const FileRun& file, const Evidence& evidence)
{
    JsonObject levels, problems, o;
    levels.add(QStringLiteral("fibonacci"), LevelsJson(run.ratios, file.fibonacciLevels))
        .add(QStringLiteral("extension"), LevelsJson(run.ratios, file.extension));
    problems.add(QStringLiteral("fibonacci"), ProblemJson(file.fibonacciProblem))
        .add(QStringLiteral("extension"), ProblemJson(file.extensionProblem))
        .add(QStringLiteral("gann"), ProblemJson(file.gannProblem));
    o.add(QStringLiteral("file"), JsonString(file.history.fileName))
        .add(QStringLiteral("pivots"), PivotsJson(file.swings))
        .add(QStringLiteral("fibonacci"), file.fibonacci ? Nested(FibonacciOutputs.json(*file.fibonacci)) : JsonNull())
        .add(QStringLiteral("gann"), file.gann ? Nested(GannOutputs.json(*file.gann)) : JsonNull())
        .add(QStringLiteral("scale"), ScaleJson(file))
        .add(QStringLiteral("levels"), levels.text(false))
        .add(QStringLiteral("problems"), problems.text(false))
        .add(QStringLiteral("evidence"), EvidenceJson(evidence))
        .add(QStringLiteral("verdicts"), VerdictsJson(evidence))
        .add(QStringLiteral("notes"), NotesJson(file.history));
    return o;
}

// One file: its own object. Several: each file's object under "files", then the
// evidence of all of them pooled.
QByteArray HistoryJson(const HistoryRun& run)
{
    if (run.files.size() == 1)
        return FileJson(run, run.files.front(), run.evidence.pooled).text() + '\n';
    std::vector<QByteArray> files;
    for (size_t f = 0; f < run.files.size(); ++f)
        files.push_back(FileJson(run, run.files[f], run.evidence.files[f]).text(false));
    JsonObject o;
    o.add(QStringLiteral("files"), JsonArray(files))
        .add(QStringLiteral("evidence"), EvidenceJson(run.evidence.pooled))
        .add(QStringLiteral("verdicts"), VerdictsJson(run.evidence.pooled));
    return o.text() + '\n';
}

QString SwingLine(const Swing& s)
{
    QString line = QStringLiteral("  %1  %2  %3")
                       .arg(FormatMmDdYyyy(s.date), GeneralNumber(s.price).rightJustified(12), KindText(s));
    if (!s.confirmed)
        line += QString(4 - KindText(s).size(), QLatin1Char(' ')) + QStringLiteral("  unconfirmed");
    return line;
}

QString SwingText(const Swing& s) { return FormatMmDdYyyy(s.date) + QLatin1Char(' ') + GeneralNumber(s.price); }

// The square's highs and lows divided by the scale again, in the history's prices.
QString MappedBackLines(const GannResults& s, const PriceScale& scale)
{
    QStringList highs, lows;
    for (int k = 1; k <= s.AngleCount; ++k) {
        if (s.PotentialHigh[k]) highs << GeneralNumber(scale.fromSquare(s.PotentialHigh[k]));
        if (s.PotentialLow[k]) lows << GeneralNumber(scale.fromSquare(s.PotentialLow[k]));
    }
    return QStringLiteral("Highs in real prices: %1\nLows in real prices: %2\n")
        .arg(highs.join(QStringLiteral(", ")), lows.join(QStringLiteral(", ")));
}

QString FibonacciText(const HistoryRun& run, const FileRun& file)
{
    const std::vector<Swing>& s = file.lastConfirmed;
    if (s.size() < 2)
        return QStringLiteral("\nFibonacci: %1\n").arg(file.fibonacciProblem);
    QString text = QStringLiteral("\nFibonacci from %1 to %2\n").arg(SwingText(s[s.size() - 2]), SwingText(s.back()));
    if (file.fibonacci)
        return text + FibonacciOutputs.listing(*file.fibonacci).remove(QLatin1Char('\r'));
    if (file.fibonacciLevels)
        return text + LevelsListing(QStringLiteral("Fib Ratio"), run.ratios, *file.fibonacciLevels);
    return text + file.fibonacciProblem + QLatin1Char('\n');
}

QString ExtensionText(const HistoryRun& run, const FileRun& file)
{
    const std::vector<Swing>& s = file.lastConfirmed;
    if (s.size() < 3)
        return QStringLiteral("\n3-point extension: %1\n").arg(file.extensionProblem);
    const QString text = QStringLiteral("\n3-point extension from %1, %2 and %3\n")
                             .arg(SwingText(s[0]), SwingText(s[1]), SwingText(s[2]));
    if (!file.extension)
        return text + file.extensionProblem + QLatin1Char('\n');
    return text + LevelsListing(QStringLiteral("Ext Ratio"), run.ratios, *file.extension);
}

QString GannText(const FileRun& file)
{
    if (file.lastConfirmed.empty())
        return QStringLiteral("\nGann: %1\n").arg(file.gannProblem);
    const Swing& last = file.lastConfirmed.back();
    if (!file.gann)
        return QStringLiteral("\nGann from %1\n%2\n").arg(SwingText(last), file.gannProblem);
    QString text = QStringLiteral("\nGann from %1, on the square as %2 (x %3)\n")
                       .arg(SwingText(last), file.gann->controls.priceText, file.scale.text());
    text += GannOutputs.listing(*file.gann).remove(QLatin1Char('\r'));
    if (file.scale.power != 0)
        text += MappedBackLines(file.gann->state->results, file.scale);
    return text;
}

QString FileReport(const HistoryRun& run, const FileRun& file, const Evidence& evidence)
{
    const PriceHistory& h = file.history;
    QString text = QStringLiteral("Price history %1: %2 closes from %3 to %4\n")
                       .arg(h.fileName).arg(h.bars.size())
                       .arg(FormatMmDdYyyy(h.bars.front().date), FormatMmDdYyyy(h.bars.back().date));
    for (const QString& note : PriceReadNoteLines(h))
        text += note + QLatin1Char('\n');
    text += QStringLiteral("Swings of at least %1%%2\n")
                .arg(GeneralNumber(run.options.threshold),
                     SwingBasisFor(run.options, h) == SwingBasis::HighLow ? QStringLiteral(", on highs and lows") : QString());
    for (const Swing& s : file.swings)
        text += SwingLine(s) + QLatin1Char('\n');
    text += FibonacciText(run, file) + ExtensionText(run, file) + GannText(file);
    return text + QLatin1Char('\n') + EvidenceText(evidence);
}

QString HistoryReport(const HistoryRun& run)
{
    if (run.files.size() == 1)
        return FileReport(run, run.files.front(), run.evidence.pooled);
    QStringList parts;
    for (size_t f = 0; f < run.files.size(); ++f)
        parts << FileReport(run, run.files[f], run.evidence.files[f]);
    parts << QStringLiteral("All %1 files pooled\n").arg(run.files.size()) + EvidenceText(run.evidence.pooled);
    return parts.join(QLatin1Char('\n'));
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
    if (o.dataFiles.isEmpty())
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
    run.files.resize(size_t(run.options.dataFiles.size()));
    for (int f = 0; f < run.options.dataFiles.size(); ++f) {
        const QString& path = run.options.dataFiles[f];
        if (std::optional<CliFailure> failure = ReadHistory(run.options, path, io, run.files[size_t(f)]))
            return Fail(io, *failure);
    }
    QStringList warnings;
    const std::optional<CliFailure> ratiosFailure = ChooseRatios(run, env.programDir, &warnings);
    ReportWarnings(io, warnings);
    if (ratiosFailure)
        return Fail(io, *ratiosFailure);
    // The swings of the report and of the evidence come from one rule.
    const EvidenceRequest request = EvidenceRequestFor(run);
    std::vector<const PriceHistory*> histories;
    for (FileRun& file : run.files) {
        file.swings = request.swingRule(file.history);
        ProjectLastSwings(run, file);
        histories.push_back(&file.history);
    }
    run.evidence = MeasureEvidence(histories, request);
    Write(io.out, run.options.json ? HistoryJson(run) : HistoryReport(run).toUtf8());
    return ExitOk;
}
