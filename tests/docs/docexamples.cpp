// Keeps the user guide honest: every example it prints is what the program prints.
//
//   docexamples check  GUIDE CLI DOCSHOTS   fails, with a diff, where a block drifted
//   docexamples update GUIDE CLI DOCSHOTS   writes the program's output into the blocks
//
// The guide marks its blocks with an HTML comment on the line before the fence:
//
//   <!-- input: watchlist.csv -->    the block is a file the reader writes; it is put
//                                    into the working folder before the next commands
//   <!-- example: COMMAND -->        the block is "$ COMMAND", then what the command
//                                    prints (standard output and error, as a terminal
//                                    shows them)
//   <!-- file: Swing2004.fib -->     the block is that file as the windows wrote it
//
// All blocks of the guide share one scratch folder, in the order they appear. Before
// the first one, tessaray-docshots fills it through the real windows (Save, Export
// Results, the ratios dialog), and a copy of tessaray-cli is put in its bin/ folder,
// first on the PATH: a copy, so no settings file left beside the build's tool can
// change the ratios the examples use. Commands run with /bin/sh in that folder. Line
// ends are compared as LF; files the program writes with CR LF read the same.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cstdio>
#include <optional>

namespace {

struct Block {
    QString kind;       // "input", "example" or "file"
    QString argument;   // file name or command
    int markerLine = 0; // 0-based line of the marker
    int firstLine = 0;  // first line inside the fence
    int endLine = 0;    // the closing fence
};

void Print(const QString& text) { std::fputs(qPrintable(text), stdout); }
void PrintError(const QString& text) { std::fputs(qPrintable(text), stderr); }

QString Normalised(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (!text.isEmpty() && !text.endsWith(QLatin1Char('\n')))
        text += QLatin1Char('\n');
    return text;
}

std::optional<QList<Block>> FindBlocks(const QStringList& lines, QString& error)
{
    static const QRegularExpression marker(QStringLiteral("^<!-- (input|example|file): (.+) -->\\s*$"));
    QList<Block> blocks;
    for (int i = 0; i < lines.size(); ++i) {
        const QRegularExpressionMatch m = marker.match(lines[i]);
        if (!m.hasMatch())
            continue;
        Block b;
        b.kind = m.captured(1);
        b.argument = m.captured(2).trimmed();
        b.markerLine = i;
        const int fence = i + 1;
        if (fence >= lines.size() || !lines[fence].startsWith(QLatin1String("```"))) {
            error = QStringLiteral("line %1: a marker must be followed by a fenced block").arg(i + 1);
            return std::nullopt;
        }
        int end = fence + 1;
        while (end < lines.size() && lines[end] != QLatin1String("```"))
            ++end;
        if (end >= lines.size()) {
            error = QStringLiteral("line %1: the block is not closed").arg(fence + 1);
            return std::nullopt;
        }
        b.firstLine = fence + 1;
        b.endLine = end;
        blocks << b;
        i = end;
    }
    return blocks;
}

QString BlockText(const QStringList& lines, const Block& b)
{
    QString text;
    for (int i = b.firstLine; i < b.endLine; ++i)
        text += lines[i] + QLatin1Char('\n');
    return text;
}

QString Run(const QString& command, const QString& folder, const QProcessEnvironment& env, bool& ok)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(folder);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command});
    ok = p.waitForFinished(60000);
    if (!ok)
        p.kill();
    return QString::fromUtf8(p.readAll());
}

void ShowDiff(const QString& expected, const QString& actual, const QString& folder)
{
    const QString a = QDir(folder).filePath(QStringLiteral(".guide-block"));
    const QString b = QDir(folder).filePath(QStringLiteral(".program-output"));
    for (const auto& [path, text] : {std::pair{a, expected}, std::pair{b, actual}}) {
        QFile f(path);
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            f.write(text.toUtf8());
    }
    QProcess diff;
    diff.setProcessChannelMode(QProcess::MergedChannels);
    diff.start(QStringLiteral("diff"), {QStringLiteral("-u"), QStringLiteral("--label"), QStringLiteral("guide"),
                                        QStringLiteral("--label"), QStringLiteral("program"), a, b});
    if (diff.waitForFinished(10000) && diff.exitStatus() == QProcess::NormalExit) {
        Print(QString::fromUtf8(diff.readAll()));
        return;
    }
    Print(QStringLiteral("--- guide\n") + expected + QStringLiteral("+++ program\n") + actual);
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 5 || (args[1] != QLatin1String("check") && args[1] != QLatin1String("update"))) {
        PrintError(QStringLiteral("usage: docexamples check|update GUIDE CLI DOCSHOTS\n"));
        return 64;
    }
    const bool update = args[1] == QLatin1String("update");
    const QString guidePath = args[2];
    const QString cli = args[3];
    const QString docshots = args[4];

    QFile guideFile(guidePath);
    if (!guideFile.open(QIODevice::ReadOnly)) {
        PrintError(QStringLiteral("cannot read %1\n").arg(guidePath));
        return 1;
    }
    const QString guideText = QString::fromUtf8(guideFile.readAll());
    guideFile.close();
    QStringList lines = guideText.split(QLatin1Char('\n'));
    const bool finalNewline = guideText.endsWith(QLatin1Char('\n'));
    if (finalNewline)
        lines.removeLast();

    QString error;
    const std::optional<QList<Block>> found = FindBlocks(lines, error);
    if (!found) {
        PrintError(guidePath + QStringLiteral(": ") + error + QLatin1Char('\n'));
        return 1;
    }
    const QList<Block>& blocks = *found;
    if (blocks.isEmpty()) {
        PrintError(guidePath + QStringLiteral(": no marked examples found\n"));
        return 1;
    }

    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        PrintError(QStringLiteral("cannot make a scratch folder\n"));
        return 1;
    }
    const QString folder = scratch.path();
    const QString bin = QDir(folder).filePath(QStringLiteral("bin"));
    QDir().mkpath(bin);
    if (!QFile::copy(cli, QDir(bin).filePath(QStringLiteral("tessaray-cli")))) {
        PrintError(QStringLiteral("cannot copy %1\n").arg(cli));
        return 1;
    }

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PATH"), bin + QLatin1Char(':') + env.value(QStringLiteral("PATH")));
    env.insert(QStringLiteral("TZ"), QStringLiteral("UTC"));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

    {
        QProcess windows;
        windows.setProcessEnvironment(env);
        windows.setProcessChannelMode(QProcess::MergedChannels);
        windows.start(docshots, {QStringLiteral("files"), folder});
        if (!windows.waitForFinished(120000) || windows.exitStatus() != QProcess::NormalExit
            || windows.exitCode() != 0) {
            PrintError(QStringLiteral("tessaray-docshots files failed:\n") + QString::fromUtf8(windows.readAll()));
            return 1;
        }
    }

    int drifted = 0;
    int compared = 0;   // blocks the program produced output for
    int inputs = 0;
    QStringList updated = lines;
    // Replacing blocks from the last to the first keeps the earlier line numbers valid.
    QList<std::pair<Block, QString>> replacements;
    for (const Block& b : blocks) {
        const QString expected = BlockText(lines, b);
        const QString where = QStringLiteral("%1:%2").arg(QFileInfo(guidePath).fileName()).arg(b.markerLine + 1);
        if (b.kind == QLatin1String("input")) {
            ++inputs;
            QFile f(QDir(folder).filePath(b.argument));
            if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(expected.toUtf8()) < 0) {
                PrintError(where + QStringLiteral(": cannot write the input file ") + b.argument + QLatin1Char('\n'));
                return 1;
            }
            continue;
        }
        QString actual;
        if (b.kind == QLatin1String("file")) {
            QFile f(QDir(folder).filePath(b.argument));
            if (!f.open(QIODevice::ReadOnly)) {
                Print(where + QStringLiteral(": the program wrote no file ") + b.argument + QLatin1Char('\n'));
                ++drifted;
                continue;
            }
            actual = Normalised(QString::fromUtf8(f.readAll()));
        } else {
            bool finished = false;
            const QString output = Run(b.argument, folder, env, finished);
            if (!finished) {
                Print(where + QStringLiteral(": the command did not finish: ") + b.argument + QLatin1Char('\n'));
                ++drifted;
                continue;
            }
            actual = Normalised(QStringLiteral("$ ") + b.argument + QLatin1Char('\n') + output);
        }
        ++compared;
        if (actual == expected)
            continue;
        if (update) {
            replacements.append({b, actual});
            continue;
        }
        ++drifted;
        Print(QStringLiteral("%1: the %2 block for \"%3\" no longer matches what the program prints:\n")
                  .arg(where, b.kind, b.argument));
        ShowDiff(expected, actual, folder);
        Print(QStringLiteral("\n"));
    }

    if (update) {
        for (auto it = replacements.crbegin(); it != replacements.crend(); ++it) {
            const Block& b = it->first;
            QStringList newLines = it->second.split(QLatin1Char('\n'));
            newLines.removeLast();   // the text ends with a line end
            updated.remove(b.firstLine, b.endLine - b.firstLine);
            for (int i = 0; i < newLines.size(); ++i)
                updated.insert(b.firstLine + i, newLines[i]);
        }
        if (!replacements.isEmpty()) {
            QFile out(guidePath);
            if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
                PrintError(QStringLiteral("cannot write %1\n").arg(guidePath));
                return 1;
            }
            out.write((updated.join(QLatin1Char('\n')) + (finalNewline ? QStringLiteral("\n") : QString())).toUtf8());
        }
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
