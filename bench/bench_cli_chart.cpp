// SPDX-License-Identifier: GPL-3.0-or-later
// A script asking the command-line tool for the Square of Nine with its chart bitmap:
// the whole run of `tessaray-cli gann ... --chart FILE` as a new process, from start
// to exit, and the same run inside this process (the work without loading the
// program, Qt and the fonts). The chart box is the one of a 1920 x 1080 screen, large
// layout, price 1225: the full 37 x 37 square.
//
// Process runs: the time is wall clock (manual time) and `cpu_ms` the CPU time the
// tool used (user and system, its loading included), which a machine busy with other
// work stretches less. `--benchmark_repetitions=N` adds the fastest run as `_min`.
#include "app/cli/cli.h"

#include <QBuffer>
#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

QTemporaryDir* Scratch = nullptr;

QStringList ChartArgs(const QString& chart)
{
    QStringList args{"gann", "--price", "1225", "--date", "3/25/2024", "--today", "6/1/2024",
                     "--screen", "1920x1080"};
    if (!chart.isEmpty())
        args << "--chart" << Scratch->filePath(chart);
    return args;
}

const char* const Charts[] = {"", "chart.png", "chart.bmp"};

void BM_ChartRunInProcess(benchmark::State& st)
{
    const QStringList args = ChartArgs(QString::fromLatin1(Charts[st.range(0)]));
    CliEnvironment env;
    env.programDir = Scratch->path();
    env.computerToday = QDate(2024, 6, 1);
    for (auto _ : st) {
        QBuffer out, err;
        out.open(QIODevice::WriteOnly);
        err.open(QIODevice::WriteOnly);
        if (RunCli(args, env, CliStreams{{}, &out, &err}) != 0)
            st.SkipWithError("the run failed");
    }
    st.SetLabel(Charts[st.range(0)][0] ? Charts[st.range(0)] : "no chart");
}
BENCHMARK(BM_ChartRunInProcess)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

double Milliseconds(const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; }

// The tool started as a script starts it, its output thrown away.
void BM_ChartRunProcess(benchmark::State& st)
{
    const QStringList args = ChartArgs(QString::fromLatin1(Charts[st.range(0)]));
    std::vector<QByteArray> bytes{QByteArray(TESSARAY_CLI)};
    for (const QString& a : args)
        bytes.push_back(a.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    double cpu = 0;
    for (auto _ : st) {
        const auto start = std::chrono::steady_clock::now();
        pid_t pid = 0;
        int status = 0;
        rusage usage{};
        if (posix_spawn(&pid, argv[0], &quiet, nullptr, argv.data(), environ) != 0
            || wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            st.SkipWithError("the tool failed");
            break;
        }
        st.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        cpu += Milliseconds(usage.ru_utime) + Milliseconds(usage.ru_stime);
    }
    posix_spawn_file_actions_destroy(&quiet);
    st.counters["cpu_ms"] = benchmark::Counter(cpu, benchmark::Counter::kAvgIterations);
    st.SetLabel(Charts[st.range(0)][0] ? Charts[st.range(0)] : "no chart");
}
BENCHMARK(BM_ChartRunProcess)
    ->DenseRange(0, 2)
    ->UseManualTime()
    ->Iterations(10)
    ->ComputeStatistics("min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); })
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTemporaryDir scratch;
    Scratch = &scratch;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
