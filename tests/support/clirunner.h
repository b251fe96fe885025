#pragma once
#include <QProcess>
#include <QtTest>

#include <sys/resource.h>

// Runs the built tessaray-cli as a script would, with optional standard input; its
// standard output goes to `outputFile` when one is named. memoryLimit: the bytes of
// data the run may take (0: no limit); a run that needs more fails.
struct CliResult {
    int status = -1;
    QByteArray out, err;
    QString errText() const { return QString::fromUtf8(err); }
    QString outText() const { return QString::fromUtf8(out); }
};

inline CliResult RunCliProgram(const QStringList& args, const QByteArray& input = QByteArray(),
                               const QString& program = QStringLiteral(TESSARAY_CLI_PATH),
                               const QString& outputFile = QString(), qint64 memoryLimit = 0) {
    QProcess process;
    if (!outputFile.isEmpty())
        process.setStandardOutputFile(outputFile);
#ifdef __SANITIZE_ADDRESS__
    memoryLimit = 0;   // AddressSanitizer maps its shadow memory up front, far beyond any limit
#endif
    if (memoryLimit > 0)
        process.setChildProcessModifier([memoryLimit] {
            const rlimit limit{rlim_t(memoryLimit), rlim_t(memoryLimit)};
            ::setrlimit(RLIMIT_DATA, &limit);
        });
    process.start(program, args);
    process.write(input);
    process.closeWriteChannel();
    CliResult r;
    if (!process.waitForFinished(60000)) {
        process.kill();
        r.err = "did not finish: " + process.errorString().toUtf8();
        return r;
    }
    r.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    r.out = process.readAllStandardOutput();
    r.err = process.readAllStandardError();
    return r;
}
