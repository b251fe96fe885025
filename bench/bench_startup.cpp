// SPDX-License-Identifier: GPL-3.0-or-later
// Start to main menu: the time from asking the system to start the program until its
// main menu has been shown and painted, the settings file read on the way. The parent
// starts itself as the program (the start-up of app/main.cpp) a number of times and
// reports the median, fastest and slowest run: the wall-clock time, and the CPU time
// the program had used by then (user and system, the loader's work included), which a
// machine busy with other work stretches less. For scale it does the same for a bare
// Qt program that shows one label: what loading Qt, its platform and the system's
// fonts costs before this program does anything.
#include "app/startup.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

namespace {

double CpuMilliseconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

void Report(const char* what, std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    std::printf("  %-10s median %6.1f ms, fastest %6.1f ms, slowest %6.1f ms\n", what, ms[ms.size() / 2],
                ms.front(), ms.back());
}

int RunProgram(int argc, char** argv, bool bare)
{
    QApplication app(argc, argv);
    QWidget* menu = nullptr;
    if (bare) {
        menu = new QLabel(QStringLiteral("Fibonacci"));
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->show();
    } else {
        menu = ShowMainMenu();
    }
    // Queued behind the show and the first paint: the menu is on screen when it runs.
    QTimer::singleShot(0, menu, [menu] {
        menu->repaint();
        std::printf("menu shown %.3f\n", CpuMilliseconds());
        std::fflush(stdout);
        QCoreApplication::exit(0);
    });
    return app.exec();
}

// One start of the program (or of the bare Qt program): wall-clock and CPU time until
// its window was painted; false when it never was.
struct Start {
    double wallMs = 0, cpuMs = 0;
};
bool StartOnce(const QString& mode, Start& start)
{
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(env);
    QElapsedTimer timer;
    timer.start();
    program.start(QCoreApplication::applicationFilePath(), {mode});
    QByteArray said;
    while (!said.contains('\n') && program.waitForReadyRead(10000))
        said += program.readAll();
    start.wallMs = timer.nsecsElapsed() / 1e6;
    program.waitForFinished(10000);
    start.cpuMs = said.mid(11).trimmed().toDouble();
    return said.startsWith("menu shown ");
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && (QByteArray(argv[1]) == "--program" || QByteArray(argv[1]) == "--bare"))
        return RunProgram(argc, argv, QByteArray(argv[1]) == "--bare");

    const int runs = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 20;
    QCoreApplication app(argc, argv);
    std::vector<double> ms, cpu, bareMs, bareCpu;
    // Taken in turns, so a change in the machine's load touches both alike.
    for (int i = 0; i < runs + 1; ++i) {
        Start program, bare;
        if (!StartOnce(QStringLiteral("--program"), program) || !StartOnce(QStringLiteral("--bare"), bare)) {
            std::fprintf(stderr, "the program did not show its main menu\n");
            return 1;
        }
        if (i > 0) {   // the first run only warms the disk cache
            ms.push_back(program.wallMs);
            cpu.push_back(program.cpuMs);
            bareMs.push_back(bare.wallMs);
            bareCpu.push_back(bare.cpuMs);
        }
    }
    std::printf("start to main menu over %d runs:\n", runs);
    Report("wall clock", ms);
    Report("CPU", cpu);
    std::printf("a bare Qt program showing one label, for scale:\n");
    Report("wall clock", bareMs);
    Report("CPU", bareCpu);
    return 0;
}
