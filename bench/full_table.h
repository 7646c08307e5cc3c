// SPDX-License-Identifier: GPL-3.0-or-later
// The document the benchmarks work on: the new-document values of a fixed day and every channel
// in use, 6.25 kHz apart from 26 MHz, with a 10 kHz TX offset in each direction in turn. Questions
// go to a recording prompter.
#pragma once

#include "app/app_state.h"
#include "model/channel_table.h"
#include "model/document.h"
#include "model/new_document.h"
#include "util/prompter.h"

#include <cstdio>

namespace zt {

struct FullTable {
    AppState app;
    RecordingPrompter prompter;
    Document doc;
    RadioInfoRecord info;

    FullTable() {
        app.prompter = &prompter;
        SetNewDocumentValues(app, doc, info, CalendarDate{2025, 1, 1});
        doc.work.settings.ChannelCount = 0;
        for (int n = 1; n <= kMaxChannels; ++n) {
            char f[16];
            std::snprintf(f, sizeof f, "%.5f", 26.0 + n * 0.00625);
            AppendChannel(app, doc.work, n, f);
            auto& r = doc.work.channels[static_cast<std::size_t>(n - 1)];
            r.TxOffsetDir = static_cast<std::uint8_t>(n % 3);
            r.TxOffset = "0010000";
        }
    }
};

} // namespace zt
