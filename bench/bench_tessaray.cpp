// How long a trader waits after pressing Calculate: the calculation alone, and the
// calculation with the chart drawn into its image, on a 1920 x 1080 screen (large
// layout, 96 DPI). Everything runs on the offscreen platform, in one thread.
#include "core/fibonacci/fibonaccichart.h"
#include "core/fibonacci/fibonaccicore.h"
#include "forms/gann/frmGann.h"
#include "core/gann/ganncalc.h"
#include "core/gann/gannchart.h"
#include "core/reports/reports.h"
#include "core/drawing/fonts.h"
#include "platform/widgets.h"
#include "tests/support/fakeplatform.h"

#include <QApplication>
#include <benchmark/benchmark.h>

namespace {

const QDate Today(2024, 6, 1);
constexpr double TwipsPerPixel = 15.0;   // 96 DPI
const QSize Screen(1920, 1080);

// The chart box of a window filling the screen: the largest square its height holds.
qint32 ChartHalf() { return ChartHalfForHeight(Screen.height() * TwipsPerPixel); }

FibonacciInputs FibInputs()
{
    FibonacciInputs in;
    in.Price1Text = QStringLiteral("1234.5");
    in.Price2Text = QStringLiteral("1567.25");
    in.Picker1 = QDate(2023, 10, 2);
    in.Picker2 = QDate(2024, 3, 15);
    return in;
}

void BM_FibonacciCalculate(benchmark::State& st)
{
    const FibonacciInputs in = FibInputs();
    for (auto _ : st) {
        FibonacciState state;
        ValidateInputs(in, Today, state.document);
        Calculate(state, DefaultRatios);
        benchmark::DoNotOptimize(state.results.PotentialPrice);
    }
}
BENCHMARK(BM_FibonacciCalculate)->Unit(benchmark::kMicrosecond);

void BM_FibonacciCalculateAndDraw(benchmark::State& st)
{
    const FibonacciInputs in = FibInputs();
    PictureSurface surface(TwipsPerPixel);
    surface.setSizeTwips(2 * ChartHalf(), 2 * ChartHalf());
    for (auto _ : st) {
        FibonacciState state;
        ValidateInputs(in, Today, state.document);
        Calculate(state, DefaultRatios);
        surface.setPictureNone();
        surface.cls();
        DrawChart(surface, state, Layout::Large);
        benchmark::DoNotOptimize(surface.image().constBits());
    }
}
BENCHMARK(BM_FibonacciCalculateAndDraw)->Unit(benchmark::kMicrosecond);

// The Calculate button's core at a given price: the square, the spiral, highs, lows
// and the seasonal dates.
void BM_GannCalculate(benchmark::State& st)
{
    const QString price = QString::number(st.range(0));
    GannState state = InitialGannState(Layout::Large, Today, ChartHalf());
    for (auto _ : st) {
        CalculateGann(state, price, QDate(2024, 3, 25), Today, Layout::Large);
        benchmark::DoNotOptimize(state.results.PotentialHigh);
    }
}
BENCHMARK(BM_GannCalculate)->Arg(100)->Arg(1000)->Arg(9999)->Unit(benchmark::kMicrosecond);

// Calculate and the chart step into the chart box's image. 1225 is the largest price
// of the 37 x 37 square the large window still draws whole; 9999 gives the band chart.
void BM_GannCalculateAndDraw(benchmark::State& st)
{
    const QString price = QString::number(st.range(0));
    GannState state = InitialGannState(Layout::Large, Today, ChartHalf());
    PictureSurface surface(TwipsPerPixel);
    surface.setSizeTwips(2 * ChartHalf(), 2 * ChartHalf());
    for (auto _ : st) {
        CalculateGann(state, price, QDate(2024, 3, 25), Today, Layout::Large);
        DrawGannChartStep(surface, state, Layout::Large);
        benchmark::DoNotOptimize(surface.picture().constBits());
    }
    st.SetLabel(QStringLiteral("%1x%1 cells, %2x%3 px")
                    .arg(state.spiral.GridSize)
                    .arg(surface.widthPixels())
                    .arg(surface.heightPixels())
                    .toStdString());
}
BENCHMARK(BM_GannCalculateAndDraw)->Arg(1225)->Arg(9999)->Unit(benchmark::kMicrosecond);

// The whole button in the window: the calculation, both result tables, the chart step
// and the chart box repainted on screen.
void BM_GannWindowCalculate(benchmark::State& st)
{
    frmGann window;
    window.Form_Load();
    window.show();
    window.txtPrice->setText(QString::number(st.range(0)));
    window.dtpInputDate->setValue(QDate(2024, 3, 25));
    for (auto _ : st) {
        window.cmdCalculate_Click();
        window.pbGann->repaint();
    }
}
BENCHMARK(BM_GannWindowCalculate)->Arg(1225)->Arg(9999)->Unit(benchmark::kMicrosecond);

// A research log pasted into the notes: the report converts its line ends in one
// pass, so the time grows with the number of lines, not with their square.
void BM_FibonacciReportLongNotes(benchmark::State& st)
{
    FibonacciReportValues values;
    values.ProjectName = QStringLiteral("Gold");
    values.NotesText = QStringLiteral("Gold tested the 1/1 line again\n").repeated(st.range(0));
    for (auto _ : st)
        benchmark::DoNotOptimize(FibonacciReportText(values));
    st.SetComplexityN(st.range(0));
}
BENCHMARK(BM_FibonacciReportLongNotes)->RangeMultiplier(4)->Range(1 << 12, 1 << 22)->Complexity()
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    InstallFontSubstitutes();
    QApplication::setFont(MakeFont(QStringLiteral("MS Sans Serif"), 8));
    FakePlatform fake;
    fake.todayDate = Today;
    fake.screen = Screen;
    fake.tpp = TwipsPerPixel;
    setPlatform(&fake);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    setPlatform(nullptr);
    return fake.unexpected.isEmpty() ? 0 : 2;
}
