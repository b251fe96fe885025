// How long a trader waits for a long price history to load: 100,000 daily bars
// (about 400 years of trading days) read from CSV text and sorted by date.
#include "forms/history/core/pricehistory.h"

#include <QDate>
#include <benchmark/benchmark.h>
#include <cmath>

namespace {

QByteArray LongHistory()
{
    QByteArray bytes("Date,Open,High,Low,Close,Volume\r\n");
    const QDate first(1700, 1, 1);
    for (int i = 0; i < 100000; ++i) {
        const QByteArray close = QByteArray::number(1000 + 200 * std::sin(i / 50.0), 'f', 2);
        bytes += first.addDays(i).toString(Qt::ISODate).toLatin1() + ',' + close + ',' + close + ','
                 + close + ',' + close + ",12345\r\n";
    }
    return bytes;
}

void BM_LoadHistory100k(benchmark::State& state)
{
    const QByteArray bytes = LongHistory();
    for (auto _ : state) {
        PriceHistoryRead read = ReadPriceHistory(bytes, QStringLiteral("long.csv"));
        benchmark::DoNotOptimize(read);
    }
}
BENCHMARK(BM_LoadHistory100k)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
