// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/tone_tips.h"

#include "model/channel_table.h"

namespace zt {

int ToneDefined(const SettingsRecord& s, int n) {
    if (n < 1 || n > kToneTipCount)
        return 0;
    const ToneTipEntry& t = s.ToneTips[static_cast<std::size_t>(n - 1)];
    if (t.Repeat < 1)
        return 0;
    for (const ToneTipStep& st : t.Steps)
        if (st.Length > 0)
            return n;
    return 0;
}

void ToneTipsChanged(DocumentCopy& d) {
    const int n = UsedSlots(d);
    for (int i = 0; i < n; ++i) {
        ChannelRecord& r = d.channels[static_cast<std::size_t>(i)];
        r.RogerBeep = static_cast<i16>(ToneDefined(d.settings, r.RogerBeep));
    }
    ChannelRecord& vfo = d.settings.Options.Features.VfoChannel;
    vfo.RogerBeep = static_cast<i16>(ToneDefined(d.settings, vfo.RogerBeep));
}

} // namespace zt
