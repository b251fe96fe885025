#include "app/cli/cli.h"

#include <QFile>
#include <QGuiApplication>
#include <cstdio>

// tessaray-cli: the scripting face of the calculator. It needs no display: charts are
// drawn offscreen, on the same drawing surface the windows use.
int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("tessaray-cli"));
    QGuiApplication::setApplicationVersion(QStringLiteral(TESSARAY_VERSION));

    QFile in, out, err;
    in.open(stdin, QIODevice::ReadOnly, QFileDevice::DontCloseHandle);
    out.open(stdout, QIODevice::WriteOnly, QFileDevice::DontCloseHandle);
    err.open(stderr, QIODevice::WriteOnly, QFileDevice::DontCloseHandle);

    CliEnvironment env;
    // The settings file lies beside the executable, as the windows look for it.
    env.programDir = QCoreApplication::applicationDirPath();
    env.computerToday = QDate::currentDate();
    env.version = QStringLiteral(TESSARAY_VERSION);
    const int status = RunCli(app.arguments().mid(1), env, CliStreams{&in, &out, &err});
    out.flush();
    err.flush();
    return status;
}
