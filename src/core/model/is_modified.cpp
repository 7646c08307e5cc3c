// SPDX-License-Identifier: GPL-3.0-or-later
// Comparison of the working copy with the file copy: has the user changed anything since the
// document was last loaded, saved, read or written?
#include "model/channel_table.h"
#include "model/document.h"

#include <algorithm>

namespace zt {

namespace {

template <std::size_t N> bool SameTrimmed(const FixedText<N>& a, const FixedText<N>& b) {
    return a.trimmed() == b.trimmed();
}

// Every field of a channel; the offset is compared without its trailing blanks (and NULs).
bool SameChannel(const ChannelRecord& a, const ChannelRecord& b) {
    ChannelRecord x = a;
    ChannelRecord y = b;
    x.TxOffset = a.TxOffset.trimmed();
    y.TxOffset = b.TxOffset.trimmed();
    return x == y;
}

bool SameChannels(const DocumentCopy& work, const DocumentCopy& file) {
    if (work.settings.ChannelCount != file.settings.ChannelCount)
        return false;
    const int n = UsedSlots(file);
    for (int i = 0; i < n; ++i) {
        const ChannelRecord& f = file.channels[static_cast<std::size_t>(i)];
        int slot = i < UsedSlots(work) && work.channels[static_cast<std::size_t>(i)].ChannelNo == f.ChannelNo
                       ? i
                       : FindChannel(work, f.ChannelNo);
        if (slot < 0 || !SameChannel(work.channels[static_cast<std::size_t>(slot)], f))
            return false;
    }
    return true;
}

bool SameFeatures(const FeatureBlock& a, const FeatureBlock& b) {
    FeatureBlock x = a;
    FeatureBlock y = b;
    // The VFO record and the power-on text have their own comparison rules.
    x.VfoChannel = y.VfoChannel = ChannelRecord{};
    x.PowerOnText = y.PowerOnText = FixedText<16>{};
    return x == y && SameChannel(a.VfoChannel, b.VfoChannel) && SameTrimmed(a.PowerOnText, b.PowerOnText);
}

bool SameIdCode(const DtmfBlock& a, const DtmfBlock& b) {
    const auto used = [](const DtmfBlock& d) {
        const auto n = static_cast<std::size_t>(std::clamp<int>(d.IdCodeLen, 0, 10));
        return std::string(d.IdCode.bytes.data(), n);
    };
    return used(a) == used(b);
}

bool SameCode(const DtmfCodeEntry& a, const DtmfCodeEntry& b) {
    return a.Len == b.Len && SameTrimmed(a.Code, b.Code);
}

bool SameDtmf(const DtmfBlock& a, const DtmfBlock& b) {
    if (a.DtmfRate != b.DtmfRate || a.FirstDigitTime != b.FirstDigitTime ||
        a.FirstDigitDelay != b.FirstDigitDelay || a.StarHashTime != b.StarHashTime ||
        a.DKeySetting != b.DKeySetting || a.SideTone != b.SideTone || a.DtmfOpt != b.DtmfOpt ||
        a.IdCodeLen != b.IdCodeLen)
        return false;
    if (!SameIdCode(a, b))
        return false;
    if (!SameCode(a.BotCode, b.BotCode) || !SameCode(a.EotCode, b.EotCode) ||
        !SameCode(a.StunCode, b.StunCode) || !SameCode(a.KillCode, b.KillCode))
        return false;
    for (std::size_t i = 0; i < a.CodeList.size(); ++i)
        if (!SameCode(a.CodeList[i], b.CodeList[i]))
            return false;
    return true;
}

template <class T, std::size_t N, class Eq>
bool SameEach(const std::array<T, N>& a, const std::array<T, N>& b, Eq eq) {
    for (std::size_t i = 0; i < N; ++i)
        if (!eq(a[i], b[i]))
            return false;
    return true;
}

} // namespace

bool IsModified(const Document& doc) {
    const SettingsRecord& w = doc.work.settings;
    const SettingsRecord& f = doc.file.settings;
    const auto trimmedEq = [](const auto& x, const auto& y) { return SameTrimmed(x, y); };
    const bool same = SameChannels(doc.work, doc.file) && w.Model == f.Model &&
                      SameEach(w.Options.EmbeddedMessage, f.Options.EmbeddedMessage, trimmedEq) &&
                      w.Options.KeyBlock == f.Options.KeyBlock &&
                      w.Options.ScanBlock == f.Options.ScanBlock &&
                      w.Options.AlertBlock == f.Options.AlertBlock &&
                      SameFeatures(w.Options.Features, f.Options.Features) &&
                      SameEach(w.TestFreqs, f.TestFreqs,
                               [](const TestFreqEntry& x, const TestFreqEntry& y) {
                                   return SameTrimmed(x.RxFreq, y.RxFreq) && SameTrimmed(x.TxFreq, y.TxFreq);
                               }) &&
                      SameDtmf(w.Options.Dtmf, f.Options.Dtmf) &&
                      SameEach(w.GroupNames, f.GroupNames, trimmedEq) && w.ToneTips == f.ToneTips &&
                      // The broadcast-radio list is edited by the user like any other list, so a
                      // change to it must be offered for saving too.
                      SameEach(w.BroadcastFreqs, f.BroadcastFreqs,
                               [](const BroadcastFreqEntry& x, const BroadcastFreqEntry& y) {
                                   return x.IsBlank == y.IsBlank && SameTrimmed(x.Freq, y.Freq);
                               });
    return !same;
}

} // namespace zt
