// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/channel_table.h"

#include "codec/freq.h"

#include <algorithm>

namespace zt {

int UsedSlots(const DocumentCopy& d) {
    return std::clamp<int>(d.settings.ChannelCount, 0, kMaxChannels);
}

int FindChannel(const DocumentCopy& d, int channelNo) {
    const int n = UsedSlots(d);
    for (int i = 0; i < n; ++i)
        if (d.channels[static_cast<std::size_t>(i)].ChannelNo == channelNo)
            return i;
    return -1;
}

bool AppendChannel(const AppState& app, DocumentCopy& d, int channelNo, std::string_view freqText) {
    const int n = UsedSlots(d);
    if (n >= kMaxChannels || channelNo < 1 || channelNo > kMaxChannels || FindChannel(d, channelNo) >= 0)
        return false;
    ChannelRecord r;
    r.ChannelNo = static_cast<i16>(channelNo);
    r.IsBlank = 0;
    r.RxFreq = StorageForm(app, freqText);
    r.TxOffset = std::string(7, '\0');
    r.TxOffsetDir = 0;
    d.channels[static_cast<std::size_t>(n)] = r;
    d.settings.ChannelCount = static_cast<i16>(n + 1);
    return true;
}

void DeleteChannelAt(DocumentCopy& d, int slot) {
    const int n = UsedSlots(d);
    if (slot < 0 || slot >= n)
        return;
    auto first = d.channels.begin() + slot;
    std::move(first + 1, d.channels.begin() + n, first);
    d.channels[static_cast<std::size_t>(n - 1)] = ChannelRecord{};
    d.settings.ChannelCount = static_cast<i16>(n - 1);
}

void DeleteChannelNo(DocumentCopy& d, int channelNo) {
    DeleteChannelAt(d, FindChannel(d, channelNo));
}

std::vector<int> GroupChannelList(const DocumentCopy& d, int g) {
    std::vector<int> list;
    if (g < 0 || g > kVfoGroup)
        return list;
    const int n = UsedSlots(d);
    for (int i = 0; i < n; ++i) {
        const int k = d.channels[static_cast<std::size_t>(i)].ChannelNo - GroupBase(g);
        if (k >= 1 && k <= GroupSize(g))
            list.push_back(k);
    }
    std::sort(list.begin(), list.end());
    list.erase(std::unique(list.begin(), list.end()), list.end());
    return list;
}

int ChannelInGroup(const DocumentCopy& d, int g, int n) {
    if (g < 0 || g > kVfoGroup || n < 1 || n > GroupSize(g))
        return 0;
    return FindChannel(d, GroupBase(g) + n) >= 0 ? n : 0;
}

void ClearCodeReferences(DocumentCopy& d, int k) {
    auto clear = [k](ChannelRecord& r) {
        for (i16* f : {&r.PttIdBot, &r.PttIdEot, &r.CallCode})
            if (*f == k)
                *f = 0;
    };
    const int n = UsedSlots(d);
    for (int i = 0; i < n; ++i)
        clear(d.channels[static_cast<std::size_t>(i)]);
    clear(d.settings.Options.Features.VfoChannel);
}

std::string GroupLabel(const SettingsRecord& s, int g) {
    if (g < 0 || g > kVfoGroup)
        g = 0;
    std::string label = std::to_string(g) + " -- ";
    if (g == kVfoGroup)
        label += "VFO";
    else
        label += s.GroupNames[static_cast<std::size_t>(g)].trimmed();
    return label;
}

} // namespace zt
