// How long a trader waits for a long price history: a million daily rows (a random
// walk over 2,700 years, as a Yahoo download lays it out) and a million 30-minute bars
// (twenty thousand days once taken per day), each read from a file on disk with its
// swings found; and the 100,000 rows read from memory that earlier figures were taken on.
//
//   bench_history                     the benchmarks
//   bench_history --write FOLDER      writes daily-1m.csv and intraday-1m.csv there, for
//                                     measuring the command-line tool's time and memory
#include "core/history/pricehistory.h"
#include "core/history/swings.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstring>

namespace {

// A random walk that is the same on every run: 1 % a day, with a day's range around it.
class Walk {
public:
    double next()
    {
        m_state = m_state * 6364136223846793005ULL + 1442695040888963407ULL;
        const double u = double(m_state >> 11) / double(1ULL << 53);
        m_price *= std::exp(0.02 * (u - 0.5));
        return m_price;
    }

private:
    quint64 m_state = 42;
    double m_price = 100;
};

QByteArray Price(double p) { return QByteArray::number(p, 'f', 4); }

QByteArray DailyRows(int rows)
{
    QByteArray bytes("Date,Open,High,Low,Close,Adj Close,Volume\n");
    bytes.reserve(qsizetype(rows) * 64);
    Walk walk;
    const QDate first(1700, 1, 1);
    double close = 100;
    for (int i = 0; i < rows; ++i) {
        const double open = close;
        close = walk.next();
        const double high = std::max(open, close) * 1.004, low = std::min(open, close) * 0.996;
        bytes += first.addDays(i).toString(Qt::ISODate).toLatin1() + ',' + Price(open) + ',' + Price(high) + ','
                 + Price(low) + ',' + Price(close) + ',' + Price(close) + ",1234567\n";
    }
    return bytes;
}

QByteArray IntradayRows(int rows)
{
    QByteArray bytes("Date,Time,Open,High,Low,Close,Volume\n");
    bytes.reserve(qsizetype(rows) * 56);
    Walk walk;
    const QDate first(1990, 1, 1);
    double close = 100.0 / 7;
    for (int i = 0; i < rows; ++i) {
        const double open = close;
        close = walk.next() / 7;
        const double high = std::max(open, close) * 1.001, low = std::min(open, close) * 0.999;
        const int minutes = (i % 48) * 30;
        char time[8];
        std::snprintf(time, sizeof time, "%02d:%02d", minutes / 60, minutes % 60);
        bytes += first.addDays(i / 48).toString(Qt::ISODate).toLatin1() + ',' + time + ',' + Price(open) + ','
                 + Price(high) + ',' + Price(low) + ',' + Price(close) + ",120\n";
    }
    return bytes;
}

bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// The files, written once for all the benchmarks.
const QString& Folder()
{
    static QTemporaryDir dir;
    static const bool written = WriteFile(dir.filePath(QStringLiteral("daily-1m.csv")), DailyRows(1000000))
                                && WriteFile(dir.filePath(QStringLiteral("intraday-1m.csv")), IntradayRows(1000000));
    static const QString path = written ? dir.path() : QString();
    return path;
}

void ReadWithSwings(benchmark::State& state, const char* name)
{
    const QString path = QDir(Folder()).filePath(QString::fromLatin1(name));
    size_t bars = 0, swings = 0;
    for (auto _ : state) {
        const PriceHistoryRead read = LoadPriceHistoryFile(path);
        if (!read.history) {
            state.SkipWithError(qPrintable(read.problem));
            return;
        }
        bars = read.history->bars.size();
        swings = FindSwings(*read.history, DefaultSwingThreshold).size();
    }
    state.SetBytesProcessed(state.iterations() * QFileInfo(path).size());
    state.counters["bars"] = double(bars);
    state.counters["swings"] = double(swings);
}

void BM_DailyMillionRowsWithSwings(benchmark::State& state) { ReadWithSwings(state, "daily-1m.csv"); }
BENCHMARK(BM_DailyMillionRowsWithSwings)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_IntradayMillionBarsPerDayWithSwings(benchmark::State& state) { ReadWithSwings(state, "intraday-1m.csv"); }
BENCHMARK(BM_IntradayMillionBarsPerDayWithSwings)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LoadHistory100k(benchmark::State& state)
{
    const QByteArray bytes = DailyRows(100000);
    for (auto _ : state) {
        PriceHistoryRead read = ReadPriceHistory(bytes, QStringLiteral("long.csv"));
        benchmark::DoNotOptimize(read);
    }
}
BENCHMARK(BM_LoadHistory100k)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--write") == 0) {
        const QDir dir(QString::fromLocal8Bit(argv[2]));
        return WriteFile(dir.filePath(QStringLiteral("daily-1m.csv")), DailyRows(1000000))
                       && WriteFile(dir.filePath(QStringLiteral("intraday-1m.csv")), IntradayRows(1000000))
                   ? 0
                   : 1;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
