// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/cli/batchrun.h"

#include "app/cli/clifiles.h"
#include "app/cli/csvbatch.h"
#include "app/cli/fibrun.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLocale>

namespace {

// "12,345 rows, 48,210 rows/s" on one terminal line, rewritten at most four times a second.
class ProgressLine {
public:
    explicit ProgressLine(QIODevice* err) : m_err(err) { m_clock.start(); }

    void update(qint64 rows, bool last = false)
    {
        const qint64 now = m_clock.elapsed();
        if (!m_err || (!last && now - m_shown < 250))
            return;
        m_shown = now;
        const QLocale english(QLocale::English);
        const qint64 rate = now > 0 ? rows * 1000 / now : 0;
        const QString line =
            QStringLiteral("\r%1 rows, %2 rows/s").arg(english.toString(rows), english.toString(rate));
        m_err->write((line + (last ? QStringLiteral("\n") : QString())).toUtf8());
        if (auto* file = qobject_cast<QFileDevice*>(m_err))
            file->flush();
    }

private:
    QIODevice* m_err;
    QElapsedTimer m_clock;
    qint64 m_shown = 0;
};

// Each piece goes out as it is done: whoever reads the pipe sees rows as they come, and
// a full disk behind standard output stops the batch at its first refused write.
std::optional<CliFailure> WriteNow(QIODevice* out, const QByteArray& bytes)
{
    if (!out)
        return std::nullopt;
    auto* file = qobject_cast<QFileDevice*>(out);
    if (out->write(bytes) == bytes.size() && (!file || file->flush()))
        return std::nullopt;
    return FileFailure(QStringLiteral("Action failed:\nCannot write the file"),
                       QStringLiteral("(standard output)"), out->errorString());
}

}  // namespace

int RunWatchList(const CliOptions& o, const CliEnvironment& env, const QDate& today, Layout layout,
                 const CliStreams& io)
{
    BatchSettings settings;
    settings.analysis = o.analysis;
    settings.today = today;
    settings.layout = layout;
    settings.screen = o.screen;
    settings.lenient = o.lenient;
    if (o.analysis == Analysis::Fibonacci) {
        QStringList warnings;
        const std::optional<CliFailure> failure =
            FibonacciRatiosFor(o, env.programDir, settings.ratios, &warnings);
        ReportWarnings(io, warnings);
        if (failure)
            return ReportFailure(io, *failure);
    }

    QFile file(*o.csv);
    ByteSource source = io.in;
    if (*o.csv != QLatin1String("-")) {
        settings.sourceName = EscapeControls(*o.csv);
        const QString problem = ReadProblem(*o.csv);
        if (!problem.isEmpty() || !file.open(QIODevice::ReadOnly))
            return ReportFailure(io,
                                 FileFailure(QStringLiteral("Action failed:\nCannot read the watch-list"), *o.csv,
                                             problem.isEmpty() ? file.errorString() : problem));
        source = [&file](char* buffer, qint64 size) { return file.read(buffer, size); };
    }

    std::optional<ProgressLine> progress;
    if (env.showProgress)
        progress.emplace(io.err);
    qint64 rows = 0;
    const std::optional<CliFailure> failure =
        RunCsvBatch(source, settings, [&](const QByteArray& bytes, qint64 rowsWritten) {
            rows = rowsWritten;
            if (progress)
                progress->update(rows);
            return WriteNow(io.out, bytes);
        });
    if (progress)
        progress->update(rows, true);
    return failure ? ReportFailure(io, *failure) : ExitOk;
}
