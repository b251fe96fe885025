// Keeps the user guide honest: every example it prints is what the program prints.
//
//   docexamples check  GUIDE CLI DOCSHOTS   fails, with a diff, where a block drifted
//   docexamples update GUIDE CLI DOCSHOTS   writes the program's output into the blocks
//
// An HTML comment on the line before a fenced block marks it:
//   <!-- input: watchlist.csv -->   a file the reader writes into the working folder
//   <!-- example: COMMAND -->       "$ COMMAND", then its standard output and error
//   <!-- file: Swing2004.fib -->    that file as the windows wrote it
// All blocks share one scratch folder, in the guide's order. tessaray-docshots first
// fills it through the real windows (Save, Export Results, the ratios dialog); a copy
// of tessaray-cli in its bin/ folder comes first on the PATH, so no settings file
// beside the build's tool changes the ratios. Commands run with /bin/sh in that
// folder; line ends compare as LF, so files written with CR LF read the same.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cstdio>
#include <optional>

namespace {

struct Block {
    QString kind, argument;                 // "input", "example" or "file"; file name or command
    int markerLine, firstLine, endLine;     // 0-based: the marker, inside the fence, the closing fence
};

void Print(const QString& text) { std::fputs(qPrintable(text), stdout); }

int Fail(const QString& text)
{
    std::fputs(qPrintable(text + QLatin1Char('\n')), stderr);
    return 1;
}

QString Normalised(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text.isEmpty() || text.endsWith(QLatin1Char('\n')) ? text : text + QLatin1Char('\n');
}

bool WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// What the program printed on standard output and error; nothing if it did not finish.
std::optional<QString> Run(const QString& program, const QStringList& args, const QString& folder,
                           const QProcessEnvironment& env, int* exitCode = nullptr)
{
    QProcess p;
    p.setProcessEnvironment(env);
    if (!folder.isEmpty())   // else the caller's, where relative program paths were given
        p.setWorkingDirectory(folder);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForFinished(120000)) {
        p.kill();
        return std::nullopt;
    }
    if (exitCode)
        *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromUtf8(p.readAll());
}

void ShowDiff(const QString& expected, const QString& actual, const QString& folder,
              const QProcessEnvironment& env)
{
    const QString a = QDir(folder).filePath(QStringLiteral(".guide-block"));
    const QString b = QDir(folder).filePath(QStringLiteral(".program-output"));
    const std::optional<QString> diff =
        WriteAll(a, expected.toUtf8()) && WriteAll(b, actual.toUtf8())
            ? Run(QStringLiteral("diff"), {"-u", "--label", "guide", "--label", "program", a, b}, folder, env)
            : std::nullopt;
    Print(diff && !diff->isEmpty() ? *diff : "--- guide\n" + expected + "+++ program\n" + actual);
    Print(QStringLiteral("\n"));
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 5 || (args[1] != QLatin1String("check") && args[1] != QLatin1String("update"))) {
        std::fputs("usage: docexamples check|update GUIDE CLI DOCSHOTS\n", stderr);
        return 64;
    }
    const bool update = args[1] == QLatin1String("update");
    const QString guidePath = args[2];
    QFile guideFile(guidePath);
    if (!guideFile.open(QIODevice::ReadOnly))
        return Fail(QStringLiteral("cannot read ") + guidePath);
    const QString guideText = QString::fromUtf8(guideFile.readAll());
    QStringList lines = guideText.split(QLatin1Char('\n'));
    const bool finalNewline = guideText.endsWith(QLatin1Char('\n'));
    if (finalNewline)
        lines.removeLast();

    static const QRegularExpression marker(QStringLiteral("^<!-- (input|example|file): (.+) -->\\s*$"));
    QList<Block> blocks;
    for (int i = 0; i < lines.size(); ++i) {
        const QRegularExpressionMatch m = marker.match(lines[i]);
        if (!m.hasMatch())
            continue;
        if (i + 1 >= lines.size() || !lines[i + 1].startsWith(QLatin1String("```")))
            return Fail(QStringLiteral("%1: line %2: a marker must be followed by a fenced block").arg(guidePath).arg(i + 1));
        int end = i + 2;
        while (end < lines.size() && lines[end] != QLatin1String("```"))
            ++end;
        if (end >= lines.size())
            return Fail(QStringLiteral("%1: line %2: the block is not closed").arg(guidePath).arg(i + 2));
        blocks.append({m.captured(1), m.captured(2).trimmed(), i, i + 2, end});
        i = end;
    }
    if (blocks.isEmpty())
        return Fail(guidePath + QStringLiteral(": no marked examples found"));

    QTemporaryDir scratch;
    const QString folder = scratch.path();
    const QString bin = QDir(folder).filePath(QStringLiteral("bin"));
    if (!scratch.isValid() || !QDir().mkpath(bin) || !QFile::copy(args[3], QDir(bin).filePath("tessaray-cli")))
        return Fail(QStringLiteral("cannot make a scratch folder with a copy of ") + args[3]);
    // The price histories the guide's walk-through reads, beside the commands.
    for (const QString prices : {QStringLiteral("djia-daily-1980-1989.csv"), QStringLiteral("msft-daily-ohlcv-2000-2001.csv")})
        QFile::copy(QFileInfo(guidePath).dir().filePath(QStringLiteral("../tests/data/") + prices),
                    QDir(folder).filePath(prices));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PATH"), bin + QLatin1Char(':') + env.value(QStringLiteral("PATH")));
    env.insert(QStringLiteral("TZ"), QStringLiteral("UTC"));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    int status = -1;
    const std::optional<QString> shots = Run(args[4], {QStringLiteral("files"), folder}, QString(), env, &status);
    if (!shots || status != 0)
        return Fail(QStringLiteral("tessaray-docshots files failed:\n") + shots.value_or(QString()));

    int drifted = 0, compared = 0, inputs = 0;
    QList<std::pair<Block, QString>> replacements;
    for (const Block& b : blocks) {
        QString expected;
        for (int i = b.firstLine; i < b.endLine; ++i)
            expected += lines[i] + QLatin1Char('\n');
        const QString where = QStringLiteral("%1:%2").arg(QFileInfo(guidePath).fileName()).arg(b.markerLine + 1);
        const QString path = QDir(folder).filePath(b.argument);
        if (b.kind == QLatin1String("input")) {
            ++inputs;
            if (!WriteAll(path, expected.toUtf8()))
                return Fail(where + QStringLiteral(": cannot write the input file ") + b.argument);
            continue;
        }
        std::optional<QString> actual;
        if (b.kind == QLatin1String("file")) {
            QFile f(path);
            if (f.open(QIODevice::ReadOnly))
                actual = Normalised(QString::fromUtf8(f.readAll()));
        } else if (const std::optional<QString> output = Run(QStringLiteral("/bin/sh"), {"-c", b.argument}, folder, env)) {
            actual = Normalised(QStringLiteral("$ ") + b.argument + QLatin1Char('\n') + *output);
        }
        if (!actual) {
            ++drifted;
            Print(where + (b.kind == QLatin1String("file") ? QStringLiteral(": the program wrote no file ")
                                                           : QStringLiteral(": the command did not finish: "))
                  + b.argument + QLatin1Char('\n'));
            continue;
        }
        ++compared;
        if (*actual == expected)
            continue;
        if (update) {
            replacements.append({b, *actual});
            continue;
        }
        ++drifted;
        Print(QStringLiteral("%1: the %2 block for \"%3\" no longer matches what the program prints:\n")
                  .arg(where, b.kind, b.argument));
        ShowDiff(expected, *actual, folder, env);
    }

    if (update) {
        // From the last block to the first, so the earlier line numbers stay valid.
        for (auto it = replacements.crbegin(); it != replacements.crend(); ++it) {
            QStringList newLines = it->second.split(QLatin1Char('\n'));
            newLines.removeLast();   // the text ends with a line end
            lines.remove(it->first.firstLine, it->first.endLine - it->first.firstLine);
            for (int i = 0; i < newLines.size(); ++i)
                lines.insert(it->first.firstLine + i, newLines[i]);
        }
        if (!replacements.isEmpty()
            && !WriteAll(guidePath, (lines.join(QLatin1Char('\n')) + (finalNewline ? "\n" : "")).toUtf8()))
            return Fail(QStringLiteral("cannot write ") + guidePath);
        Print(QStringLiteral("%1 of %2 blocks updated, %3 failed to run\n")
                  .arg(replacements.size()).arg(compared).arg(drifted));
        return drifted == 0 ? 0 : 1;
    }
    if (drifted > 0) {
        Print(QStringLiteral("%1 of %2 examples in the guide differ from the program. If the program is "
                             "right, run: bash scripts/screenshots.sh --examples\n")
                  .arg(drifted).arg(blocks.size() - inputs));
        return 1;
    }
    Print(QStringLiteral("all %1 examples in the guide match the program\n").arg(compared));
    return 0;
}
