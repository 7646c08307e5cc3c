// SPDX-License-Identifier: GPL-3.0-or-later
// Costs of the model and codec work the windows do on every redraw and edit: the frequency texts
// of one channel page, the settings record codec, the modified check of a full table, one cell edit;
// and the check of a write: encoding the full table, and comparing a read-back that holds nothing
// of it (the worst case: every field of every channel differs) and naming what differs.
#include "full_table.h"

#include "codec/freq.h"
#include "codec/tone.h"
#include "link/image_verify.h"
#include "link/radio_image.h"
#include "model/channel_editor.h"
#include "model/channel_table.h"

#include <benchmark/benchmark.h>

#include <algorithm>

namespace {

using namespace zt;

struct Fixture : FullTable {
    Fixture() { CopyWorkingToFile(doc); }
};

void ChannelPageTexts(benchmark::State& state) {
    Fixture fx;
    for (auto _ : state) {
        for (std::size_t i = 0; i < 40; ++i) {
            const auto& r = fx.doc.work.channels[i];
            benchmark::DoNotOptimize(RxText(fx.app, r.RxFreq.raw()));
            benchmark::DoNotOptimize(TxText(fx.app, r.RxFreq.raw(), r.TxOffset.raw(), r.TxOffsetDir, false));
            benchmark::DoNotOptimize(ToneText(r.DecodeTone));
        }
    }
    state.SetItemsProcessed(state.iterations() * 40);
}
BENCHMARK(ChannelPageTexts);

void SettingsRoundTrip(benchmark::State& state) {
    Fixture fx;
    for (auto _ : state) {
        const auto bytes = WriteSettings(fx.doc.work.settings);
        benchmark::DoNotOptimize(ReadSettings(
            std::span<const std::uint8_t, kSettingsRecordSize>(bytes.data(), kSettingsRecordSize)));
    }
}
BENCHMARK(SettingsRoundTrip);

void IsModifiedFullTable(benchmark::State& state) {
    Fixture fx;
    // Reverse the working slots so every channel is found by search.
    std::reverse(fx.doc.work.channels.begin(), fx.doc.work.channels.begin() + kMaxChannels);
    for (auto _ : state)
        benchmark::DoNotOptimize(IsModified(fx.doc));
}
BENCHMARK(IsModifiedFullTable);

void TxCellEdit(benchmark::State& state) {
    Fixture fx;
    fx.doc.work.settings.Options.Features.FreqEditable = 1;
    bool up = false;
    for (auto _ : state) {
        up = !up;
        benchmark::DoNotOptimize(SetChannelCell(fx.app, fx.doc, 10, 1, col::TxFreq, up ? "27.1" : "26.9"));
    }
}
BENCHMARK(TxCellEdit);

} // namespace

void EncodeFullTable(benchmark::State& state) {
    Fixture fx;
    RadioImage img;
    for (auto _ : state) {
        ClearRadioImage(img);
        EncodeRadioImage(fx.app, fx.doc.work, img);
        benchmark::DoNotOptimize(img);
    }
}
BENCHMARK(EncodeFullTable);

void VerifyNothingStored(benchmark::State& state) {
    Fixture fx;
    RadioImage written;
    ClearRadioImage(written);
    EncodeRadioImage(fx.app, fx.doc.work, written);
    RadioImage erased;
    ClearRadioImage(erased);
    std::size_t found = 0;
    for (auto _ : state) {
        const auto diffs = CompareWrittenImage(written, erased);
        found = diffs.size();
        if (state.range(0))
            benchmark::DoNotOptimize(DescribeDifferences(fx.app, diffs));
    }
    state.counters["differences"] = static_cast<double>(found);
}
BENCHMARK(VerifyNothingStored)->Arg(0)->Arg(1);

BENCHMARK_MAIN();
