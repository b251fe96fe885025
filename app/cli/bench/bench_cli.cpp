// SPDX-License-Identifier: GPL-3.0-or-later
// The watch-list batch at the size a large desk would run it: 100,000 Gann rows
// through the whole road of the tool (CSV reading, the window's calculation for each
// row, CSV writing), on one worker and on every core. Wall-clock time: the work runs
// on other threads than the one the benchmark watches.
#include "app/cli/csvbatch.h"

#include <QRandomGenerator>
#include <benchmark/benchmark.h>

namespace {

// Prices over the whole range the window takes, dates over a few years, and now and
// then a row with only a price or only a date, like a real list.
QByteArray GannWatchList(int rows)
{
    QRandomGenerator random(20240115);
    QString csv = QStringLiteral("name,price,date\r\n");
    const QDate first(2018, 1, 1);
    for (int i = 0; i < rows; ++i) {
        const int price = random.bounded(1, 10000);
        const QDate date = first.addDays(random.bounded(0, 3000));
        const int kind = random.bounded(10);
        csv += QStringLiteral("\"Instrument %1, Inc.\",").arg(i);
        csv += kind == 0 ? QString() : QString::number(price);
        csv += QLatin1Char(',');
        csv +=
            kind == 1 ? QString() : QStringLiteral("%1/%2/%3").arg(date.month()).arg(date.day()).arg(date.year());
        csv += QStringLiteral("\r\n");
    }
    return csv.toUtf8();
}

void BM_GannBatch(benchmark::State& state)
{
    const int rows = 100000;
    const QByteArray csv = GannWatchList(rows);
    BatchSettings settings;
    settings.analysis = Analysis::Gann;
    settings.today = QDate(2024, 6, 1);
    settings.layout = Layout::Large;
    settings.threads = int(state.range(0));  // 0: every core
    qint64 bytes = 0;
    for (auto _ : state) {
        bytes = 0;
        RunCsvBatch(csv, settings, [&bytes](const QByteArray& chunk, qint64) {
            bytes += chunk.size();
            return std::optional<CliFailure>();
        });
    }
    state.SetItemsProcessed(state.iterations() * rows);
    state.counters["output_bytes"] = double(bytes);
}
BENCHMARK(BM_GannBatch)
    ->ArgName("workers")
    ->Arg(1)
    ->Arg(0)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
