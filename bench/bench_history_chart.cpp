// How long a trader waits on the Price History window with a long history: opening
// it (read, swings, evidence, first paint of the chart) and each zoom or pan step
// after, on a 1920 x 1080 screen at 96 DPI, and what the history costs in memory
// beyond the empty window. Offscreen platform; the reading is the reader's as it is.
//
//   bench_history_chart --benchmark_filter=Open    the opening, with bytes_per_bar
//   bench_history_chart --benchmark_filter=Step    zoom and pan steps
#include "forms/history/frmPriceHistory.h"
#include "core/settings/settings.h"
#include "core/drawing/fonts.h"
#include "platform/widgets.h"
#include "tests/support/fakeplatform.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <map>
#include <memory>

namespace {

const QSize Screen(1920, 1080);

// The ratios a main menu would hand the window: the classic three.
const ProgramRatios& Ratios()
{
    static ProgramRatios ratios;
    ratios.setRatios(DefaultRatios);
    return ratios;
}
QTemporaryDir* g_dir = nullptr;

// A random walk of daily candles from 1601 on, one a calendar day, about 1 % a day: a
// history with swings at every threshold and dates on both sides of 1970.
QString HistoryFile(int bars)
{
    const QString path = QDir(g_dir->path()).filePath(QStringLiteral("walk-%1.csv").arg(bars));
    if (QFile::exists(path))
        return path;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write("Date,Open,High,Low,Close\n");
    quint64 seed = 12345;
    const auto uniform = [&seed] {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        return double(seed >> 11) / double(1ULL << 53);
    };
    double close = 100;
    QDate date(1601, 1, 1);
    QByteArray line;
    for (int i = 0; i < bars; ++i, date = date.addDays(1)) {
        const double open = close;
        close = std::max(1.0, open * (1 + 0.02 * (uniform() - 0.5)));
        const double high = std::max(open, close) * (1 + 0.005 * uniform());
        const double low = std::min(open, close) * (1 - 0.005 * uniform());
        line = date.toString(Qt::ISODate).toLatin1() + ',' + QByteArray::number(open, 'f', 2) + ','
               + QByteArray::number(high, 'f', 2) + ',' + QByteArray::number(low, 'f', 2) + ','
               + QByteArray::number(close, 'f', 2) + '\n';
        file.write(line);
    }
    return path;
}

// Bytes the program holds from the heap: small blocks and the large ones malloc maps
// on their own (a long history's table is one of those).
size_t HeapInUse()
{
    malloc_trim(0);
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
}

void BM_OpenHistory(benchmark::State& st)
{
    const QString path = HistoryFile(int(st.range(0)));
    double bytesPerBar = 0;
    for (auto _ : st) {
        auto window = std::make_unique<frmPriceHistory>(Ratios());
        window->show();
        QApplication::processEvents();
        st.PauseTiming();
        const size_t empty = HeapInUse();
        st.ResumeTiming();
        if (!window->LoadFile(path))
            st.SkipWithError("the history did not load");
        window->pbPrices->repaint();
        // The evidence, measured on a thread of its own after the first paint, is not
        // part of opening; its memory, once done, is.
        st.PauseTiming();
        while (window->measuringEvidence())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        bytesPerBar = double(HeapInUse() - empty) / double(st.range(0));
        window.reset();
        st.ResumeTiming();
    }
    st.counters["bytes_per_bar"] = bytesPerBar;
}
// CPU is the whole process's: the reading runs on a worker thread.
BENCHMARK(BM_OpenHistory)->Arg(10000)->Arg(200000)->Arg(1000000)->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()->UseRealTime()->Iterations(3);

// One window a size, loaded once and kept for the steps (until main ends, before the
// application does).
std::map<int, std::unique_ptr<frmPriceHistory>>* g_windows = nullptr;

frmPriceHistory& LoadedWindow(int bars)
{
    std::unique_ptr<frmPriceHistory>& w = (*g_windows)[bars];
    if (!w) {
        w = std::make_unique<frmPriceHistory>(Ratios());
        w->setAttribute(Qt::WA_DeleteOnClose, false);
        w->resize(Screen.width(), Screen.height() - 40);
        w->show();
        w->LoadFile(HistoryFile(bars));
        // The steps are measured alone, not beside the surrogate histories being drawn.
        while (w->measuringEvidence())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return *w;
}

// Wheel notches in, then out again, around a point a third across the chart; each
// step is the wheel event and the repaint it causes.
void BM_ZoomStep(benchmark::State& st)
{
    PriceChart* chart = LoadedWindow(int(st.range(0))).pbPrices;
    chart->showAll();
    const QPointF at(chart->width() / 3.0, chart->height() / 2.0);
    int step = 0;
    for (auto _ : st) {
        const int notch = (step++ / 30) % 2 == 0 ? 120 : -120;
        QWheelEvent wheel(at, chart->mapToGlobal(at), {}, {0, notch}, Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(chart, &wheel);
        chart->repaint();
    }
    st.SetLabel(QStringLiteral("chart %1 px wide").arg(chart->frame().plot.width()).toStdString());
}
BENCHMARK(BM_ZoomStep)->Arg(10000)->Arg(200000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Arrow-key steps back and forth across a view of a tenth of the history.
void BM_PanStep(benchmark::State& st)
{
    PriceChart* chart = LoadedWindow(int(st.range(0))).pbPrices;
    chart->showAll();
    const double span = (chart->lastDay() - chart->firstDay()) / 10;
    chart->setView(chart->firstDay() + 4 * span, chart->firstDay() + 5 * span);
    int step = 0;
    for (auto _ : st) {
        const Qt::Key key = (step++ / 20) % 2 == 0 ? Qt::Key_Right : Qt::Key_Left;
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(chart, &press);
        chart->repaint();
    }
}
BENCHMARK(BM_PanStep)->Arg(10000)->Arg(200000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    InstallFontSubstitutes();
    QTemporaryDir dir;
    g_dir = &dir;
    FakePlatform fake;
    fake.screen = Screen;
    setPlatform(&fake);
    std::map<int, std::unique_ptr<frmPriceHistory>> windows;
    g_windows = &windows;

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    windows.clear();
    setPlatform(nullptr);
    return fake.unexpected.isEmpty() && fake.messages.isEmpty() ? 0 : 2;
}
