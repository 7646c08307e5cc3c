// SPDX-License-Identifier: GPL-3.0-or-later
// Costs of the channel grid's group switch (all 40 rows rebuilt from the table) and of the full
// redisplay that follows an RX change, with and without painting the grid. Runs on the offscreen
// platform unless QT_QPA_PLATFORM says otherwise.
#include "../full_table.h"

#include "app/frm_main.h"
#include "channels/frm_comm_ch_info.h"

#include <QApplication>
#include <QComboBox>
#include <QTableWidget>

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

using namespace zt;

struct Fixture : FullTable {
    std::unique_ptr<frmMain> main;
    frmCommChInfo* grid = nullptr;

    Fixture() {
        app.lang.load(ZT_PROGRAM_DIR "/language/english.ini");
        // Tones and list values spread over their ranges.
        for (int n = 1; n <= kMaxChannels; ++n) {
            auto& r = doc.work.channels[static_cast<std::size_t>(n - 1)];
            r.DecodeTone = static_cast<i16>(n % 265);
            r.EncodeTone = static_cast<i16>((n * 7) % 265);
            r.ScanSkip = static_cast<i16>(n % 2);
            r.Spacing = static_cast<i16>(n % 3);
        }
        doc.work.settings.Options.Features.ChannelGroup = 8;
        main = std::make_unique<frmMain>(app, doc);
        main->resize(1000, 800);
        main->show();
        grid = static_cast<frmCommChInfo*>(main->ShowChildWindow(frmCommChInfo::kName));
        QApplication::processEvents();
    }
};

Fixture* fx = nullptr;

// The user picks another group: rows, headers, caption, group controls and 40 rows of cells.
void GroupSwitch(benchmark::State& state) {
    const bool paint = state.range(0) != 0;
    int g = 8;
    for (auto _ : state) {
        g = g == 8 ? 9 : 8;
        fx->grid->Combo7()->setCurrentIndex(g);
        if (paint)
            fx->grid->MSFlexGrid1()->viewport()->repaint();
    }
    state.SetLabel(paint ? "with painting" : "cells only");
}
BENCHMARK(GroupSwitch)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// What every open grid does after an RX change: group controls and all rows rewritten.
void FullRedisplay(benchmark::State& state) {
    const bool paint = state.range(0) != 0;
    for (auto _ : state) {
        fx->doc.editor.RedisplayGrids();
        if (paint)
            fx->grid->MSFlexGrid1()->viewport()->repaint();
    }
    state.SetLabel(paint ? "with painting" : "cells only");
}
BENCHMARK(FullRedisplay)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// One grid row rewritten after a plain cell edit.
void RowRedisplay(benchmark::State& state) {
    for (auto _ : state)
        fx->doc.editor.RedisplayChannel(GroupBase(fx->grid->Combo7()->currentIndex()) + 17);
}
BENCHMARK(RowRedisplay)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    benchmark::Initialize(&argc, argv);
    Fixture f;
    fx = &f;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fx = nullptr;
    return 0;
}
