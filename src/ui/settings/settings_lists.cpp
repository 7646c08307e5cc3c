// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/settings_lists.h"

#include <algorithm>
#include <set>

namespace zt {

namespace {

constexpr int kBlock = 16;

template <class Pick> QStringList Collect(const DocumentCopy& d, Pick pick) {
    std::set<int> found;
    for (int i = 0; i < d.count() && i < kMaxChannels; ++i) {
        const int n = d.channels[static_cast<std::size_t>(i)].ChannelNo;
        if (n >= 1)
            pick(n, found);
    }
    QStringList out;
    for (int v : found)
        out << QString::number(v);
    return out;
}

} // namespace

QStringList Tenths(int from, int to) {
    QStringList l;
    for (int v = from; v <= to; ++v)
        l << QString::number(v / 10.0, 'f', 1);
    return l;
}

QStringList Counting(int from, int to) {
    QStringList l;
    for (int v = from; v <= to; ++v)
        l << QString::number(v);
    return l;
}

QStringList ChannelGroups16(const DocumentCopy& d) {
    return Collect(d, [](int n, std::set<int>& s) { s.insert((n - 1) / kBlock + 1); });
}

QStringList ChannelsOfGroup16(const DocumentCopy& d, int g) {
    if (g == 0)
        return {};
    return Collect(d, [g](int n, std::set<int>& s) {
        if ((n - 1) / kBlock + 1 == g)
            s.insert((n - 1) % kBlock + 1);
    });
}

int ShownNumber(const QString& text) {
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    return ok ? v : 0;
}

} // namespace zt
