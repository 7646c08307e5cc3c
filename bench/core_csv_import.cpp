// SPDX-License-Identifier: GPL-3.0-or-later
// Planning a CSV import of a file at the size limit (8 MB) made of short rows: rows that cannot
// be numbers, repeated numbers and good rows, on the file's numbers and in file order; and the
// export of a full table read back. Planning keeps only the rows taken and the first refused
// ones, so time grows with the file's size and memory with the rows kept. Peak memory of the
// whole command: /usr/bin/time -v ztprog-cli import-csv FILE.csv FILE.dat.
#include "full_table.h"

#include "files/csv_channels.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

using namespace zt;

std::string ShortRows(std::size_t size) {
    static const char* const kRows[] = {"x\n", "1,28.000000,FM\n", "0,27.0,AM\n", "9\n"};
    std::string text = "Location,Frequency,Mode\n";
    for (std::size_t i = 0; text.size() < size; ++i)
        text += kRows[i % 4];
    return text;
}

void PlanShortRows(benchmark::State& state) {
    FullTable fx;
    fx.doc.work.settings.ChannelCount = 40; // room for rows in file order
    const std::string csv = ShortRows(static_cast<std::size_t>(state.range(0)) * 1024 * 1024);
    CsvImportOptions options;
    options.placement = state.range(1) ? CsvPlacement::FileOrder : CsvPlacement::FileNumbers;
    for (auto _ : state) {
        const CsvImportPlan plan = PlanCsvImport(fx.app, fx.doc.work, csv, options);
        benchmark::DoNotOptimize(plan.refusedCount);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<long long>(csv.size()));
}
BENCHMARK(PlanShortRows)->Args({1, 0})->Args({8, 0})->Args({8, 1})->Unit(benchmark::kMillisecond);

// One row whose Name is a single quoted field of 1, 2 or 8 MB: a field grows in amortised constant
// time per byte, so time is linear in its length (run it built with ZT_SANITIZE too, where the
// allocator moves every grown block).
void PlanLongField(benchmark::State& state) {
    FullTable fx;
    const std::string csv = "Location,Frequency,Name\n401,28,\"" +
                            std::string(static_cast<std::size_t>(state.range(0)) * 1024 * 1024, 'a') + "\"\n";
    for (auto _ : state)
        benchmark::DoNotOptimize(PlanCsvImport(fx.app, fx.doc.work, csv).taken.size());
    state.SetBytesProcessed(state.iterations() * static_cast<long long>(csv.size()));
}
BENCHMARK(PlanLongField)->Arg(1)->Arg(2)->Arg(8)->Unit(benchmark::kMillisecond);

void ExportAndPlanFullTable(benchmark::State& state) {
    FullTable fx;
    for (auto _ : state) {
        const std::string csv = ExportChannelsCsv(fx.app, fx.doc.work);
        benchmark::DoNotOptimize(PlanCsvImport(fx.app, fx.doc.work, csv).taken.size());
    }
}
BENCHMARK(ExportAndPlanFullTable)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
