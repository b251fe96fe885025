#include "app/cli/cli.h"

#include <QFile>
#include <QGuiApplication>
#include <cstdio>

namespace {

// Standard error carries the tool's own sentences only: Qt's notes about the
// environment (no runtime directory, no session bus) would read like failures to a
// script. Real breakdowns still get through.
void QuietMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
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
