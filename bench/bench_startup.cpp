// Start to main menu: the time from asking the system to start the program until its
// main menu has been shown and painted, the settings file read on the way. The parent
// starts itself as the program (the same start-up as app/main.cpp) a number of times
// and reports the median and the slowest run.
#include "forms/shell/frmMain.h"
#include "platform/fonts.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

int RunProgram(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Marlowind - Tessaray"));
    InstallFontSubstitutes();
    QApplication::setFont(MakeFont(QStringLiteral("MS Sans Serif"), 8));

    auto* menu = new frmMain();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->show();
    // Queued behind the show and the first paint: the menu is on screen when it runs.
    QTimer::singleShot(0, menu, [menu] {
        menu->repaint();
        std::fputs("menu shown\n", stdout);
        std::fflush(stdout);
        QCoreApplication::exit(0);
    });
    return app.exec();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && QByteArray(argv[1]) == "--program")
        return RunProgram(argc, argv);

    const int runs = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 20;
    QCoreApplication app(argc, argv);
    std::vector<double> ms;
    for (int i = 0; i < runs + 1; ++i) {
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        program.setProcessEnvironment(env);
        QElapsedTimer timer;
        timer.start();
        program.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--program")});
        bool shown = false;
        while (!shown && program.waitForReadyRead(10000))
            shown = program.readAll().contains("menu shown");
        const double elapsed = timer.nsecsElapsed() / 1e6;
        program.waitForFinished(10000);
        if (!shown) {
            std::fprintf(stderr, "the program did not show its main menu\n");
            return 1;
        }
        if (i > 0)   // the first run only warms the disk cache
            ms.push_back(elapsed);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("start to main menu over %d runs: median %.1f ms, fastest %.1f ms, slowest %.1f ms\n",
                runs, ms[ms.size() / 2], ms.front(), ms.back());
    return 0;
}
