// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/cli/cli.h"
#include "app/cli/clifiles.h"

#include <QFile>
#include <QGuiApplication>
#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace {

// Standard error carries the tool's own sentences only: Qt's notes about the
// environment (no runtime directory, no session bus) would read like failures to a
// script. Real breakdowns still get through.
void QuietMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

// Standard input as it arrives: a read returns what the pipe holds, so a watch-list fed
// row by row is answered row by row.
qint64 ReadStandardInput(char* buffer, qint64 size)
{
    for (;;) {
        const ssize_t n = ::read(STDIN_FILENO, buffer, size_t(size));
        if (n >= 0 || errno != EINTR)
            return n;
    }
}

}  // namespace

// tessaray-cli: the scripting face of the calculator. It needs no display: charts are
// drawn offscreen, on the same drawing surface the windows use.
int main(int argc, char* argv[])
{
    qInstallMessageHandler(QuietMessages);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("tessaray-cli"));
    QGuiApplication::setApplicationVersion(QStringLiteral(TESSARAY_VERSION));

    QFile out, err;
    out.open(stdout, QIODevice::WriteOnly, QFileDevice::DontCloseHandle);
    err.open(stderr, QIODevice::WriteOnly, QFileDevice::DontCloseHandle);

    CliEnvironment env;
    // The settings file is found from the executable's folder, as the windows find it.
    env.programDir = QCoreApplication::applicationDirPath();
    env.computerToday = QDate::currentDate();
    env.version = QStringLiteral(TESSARAY_VERSION);
    // On a terminal that also shows the rows, the rows are the progress.
    env.showProgress = ::isatty(STDERR_FILENO) == 1 && ::isatty(STDOUT_FILENO) == 0;
    int status = RunCli(app.arguments().mid(1), env, CliStreams{ReadStandardInput, &out, &err});
    // Standard output is written as it goes; a full disk behind it shows only now, and
    // a script must not take the run for done.
    const bool written = out.flush() && out.error() == QFileDevice::NoError;
    if (!written && status == ExitOk) {
        const CliFailure failure = FileFailure(QStringLiteral("Action failed:\nCannot write the file"),
                                               QStringLiteral("(standard output)"), out.errorString());
        err.write((failure.message + QLatin1Char('\n')).toUtf8());
        status = failure.status;
    }
    err.flush();
    return status;
}
