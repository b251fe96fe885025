// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/commandline.h"
#include "app/startup.h"

#include <cstdio>

namespace {

int Print(FILE* stream, const QString& text, int status)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    return status;
}

}  // namespace

// Start-up shows the main menu (and the project named on the command line) and returns
// to the event loop; the program ends when its last window closes.
int main(int argc, char* argv[])
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    // Answered before Qt looks for a display, so a terminal without one gets them too.
    const StartRequest early = ReadCommandLine(args);
    if (early.kind == StartRequest::Help)
        return Print(stdout, UsageText(), 0);
    if (early.kind == StartRequest::Version)
        return Print(stdout, VersionText(), 0);
    if (!DisplayAvailable(args))
        return Print(stderr,
                     QStringLiteral("tessaray: no display to open the windows on (DISPLAY and WAYLAND_DISPLAY "
                                    "are unset); tessaray-cli works without one.\n"),
                     1);

    QApplication app(argc, argv);
    // Qt has taken its own options (-platform, -style ...) out by now.
    const StartRequest request = ReadCommandLine(QCoreApplication::arguments().mid(1));
    if (request.kind == StartRequest::UsageError)
        return Print(stderr, QStringLiteral("tessaray: %1\n").arg(request.error) + UsageText(), 64);
    ShowMainMenu();
    if (!request.projectFile.isEmpty())
        frmMain::OpenProjectFile(request.projectFile);
    return app.exec();
}
