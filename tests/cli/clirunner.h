#pragma once
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QtTest>

// Runs the built tessaray-cli as a script would, with optional standard input.
struct CliResult {
    int status = -1;
    QByteArray out;
    QByteArray err;
    QString errText() const { return QString::fromUtf8(err); }
    QString outText() const { return QString::fromUtf8(out); }
};

inline CliResult RunCliProgram(const QStringList& args, const QByteArray& input = QByteArray(),
                               const QString& program = QStringLiteral(TESSARAY_CLI_PATH))
{
    QProcess process;
    process.start(program, args);
    CliResult r;
    if (!process.waitForStarted(10000)) {
        r.err = "could not start " + program.toUtf8();
        return r;
    }
    if (!input.isEmpty())
        process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000)) {
        process.kill();
        r.err = "timed out";
        return r;
    }
    r.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    r.out = process.readAllStandardOutput();
    r.err = process.readAllStandardError();
    return r;
}

inline void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

inline QByteArray ReadFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
