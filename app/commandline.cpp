#include "app/commandline.h"

#include "core/numbers/licence.h"

#ifndef TESSARAY_VERSION
#define TESSARAY_VERSION "unknown"
#endif

StartRequest ReadCommandLine(const QStringList& args)
{
    StartRequest request;
    for (const QString& arg : args) {
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h"))
            return {StartRequest::Help, QString(), QString()};
        if (arg == QLatin1String("--version"))
            return {StartRequest::Version, QString(), QString()};
    }
    for (const QString& arg : args) {
        if (arg.startsWith(QLatin1Char('-')) && arg != QLatin1String("-"))
            return {StartRequest::UsageError, QString(), QStringLiteral("unknown option %1").arg(arg)};
        if (!request.projectFile.isEmpty())
            return {StartRequest::UsageError, QString(),
                    QStringLiteral("one project file at a time, not %1 and %2").arg(request.projectFile, arg)};
        request.projectFile = arg;
    }
    return request;
}

QString UsageText()
{
    return QStringLiteral(
        "Usage: tessaray [FILE.fib | FILE.gann]\n"
        "       tessaray --help | --version\n"
        "\n"
        "Opens the main menu of Marlowind - Tessaray. A Fibonacci (.fib) or Gann (.gann)\n"
        "project named here opens in its analysis window, as the window's Open would.\n"
        "The same calculations without windows: tessaray-cli --help.\n");
}

QString VersionText()
{
    return QStringLiteral("tessaray %1\n").arg(QStringLiteral(TESSARAY_VERSION)) + ProgramLicence();
}

bool DisplayAvailable(const QStringList& args)
{
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        if (!qEnvironmentVariableIsEmpty(variable))
            return true;
    return args.contains(QStringLiteral("-platform")) || args.contains(QStringLiteral("--platform"));
}
