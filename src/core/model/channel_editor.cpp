// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/channel_editor.h"

#include "codec/freq.h"
#include "codec/numbers.h"
#include "model/channel_table.h"
#include "model/radio_rules.h"

#include <limits>
#include <optional>
#include <string>

namespace zt {

namespace {

// The 16-bit field behind a plain column id, or nullptr for ids that change nothing.
template <class Record> auto PlainField(Record& r, int column) -> decltype(&r.ScanSkip) {
    switch (column) {
    case col::ScanSkip:
        return &r.ScanSkip;
    case col::Spacing:
        return &r.Spacing;
    case col::PttIdMode:
        return &r.PttIdMode;
    case col::BusyLock:
        return &r.BusyLock;
    case col::ScrambleTalkaround:
        return &r.ScrambleTalkaround;
    case col::PttIdBot:
        return &r.PttIdBot;
    case col::VoiceEncrypt:
        return &r.VoiceEncrypt;
    case col::TxInhibit:
        return &r.TxInhibit;
    case col::Talkaround:
        return &r.Talkaround;
    case col::Scrambler:
        return &r.Scrambler;
    case col::Whisper:
        return &r.Whisper;
    case col::Compander:
        return &r.Compander;
    case col::SignalRelation:
        return &r.SignalRelation;
    case col::PttIdEot:
        return &r.PttIdEot;
    case col::RogerBeep:
        return &r.RogerBeep;
    case col::SquelchMode:
        return &r.SquelchMode;
    case col::Mode:
        return &r.Mode;
    case col::AmPower:
        return &r.AmPower;
    case col::FmPower:
        return &r.FmPower;
    case col::CallCode:
        return &r.CallCode;
    case col::Rep:
        return &r.Rep;
    case col::Tsq:
        return &r.Tsq;
    case col::RxExpander:
        return &r.RxExpander;
    case col::TxCompressor:
        return &r.TxCompressor;
    case col::NbAnl:
        return &r.NbAnl;
    case col::Att:
        return &r.Att;
    case col::HiCut:
        return &r.HiCut;
    case col::ModeLock:
        return &r.ModeLock;
    case col::AmPowerLock:
        return &r.AmPowerLock;
    case col::FmPowerLock:
        return &r.FmPowerLock;
    case col::RepLock:
        return &r.RepLock;
    default:
        return nullptr;
    }
}

// The field behind any column id that stores a whole number.
template <class Record> auto AnyField(Record& r, int column) -> decltype(&r.ScanSkip) {
    switch (column) {
    case col::DecodeTone:
        return &r.DecodeTone;
    case col::EncodeTone:
        return &r.EncodeTone;
    case col::OptSignal:
        return &r.OptSignal;
    default:
        return PlainField(r, column);
    }
}

// A whole 16-bit number from a cell text: halves go to the even neighbour; anything else
// (empty, not a number, out of range) is no value.
std::optional<i16> CellNumber(std::string_view text) {
    const auto v = ParseNumber(text);
    if (!v || *v < std::numeric_limits<i16>::min() - 0.5 || *v > std::numeric_limits<i16>::max() + 0.5)
        return std::nullopt;
    const long long n = RoundHalfEven(*v);
    if (n < std::numeric_limits<i16>::min() || n > std::numeric_limits<i16>::max())
        return std::nullopt;
    return static_cast<i16>(n);
}

// After a change of the RX column: the channel pair of the group shown in the channel window
// forgets channels that no longer exist, and the open grids redisplay.
void RefreshAfterRxChange(Document& doc) {
    const int g = doc.editor.EditGroup;
    if (g >= 0 && g < kVfoGroup) {
        auto& pair = doc.work.settings.Options.Features.GroupChan;
        for (int k : {2 * g, 2 * g + 1}) {
            i16& entry = pair[static_cast<std::size_t>(k)];
            entry = static_cast<i16>(ChannelInGroup(doc.work, g, entry));
        }
    }
    if (doc.editor.GridOpen && doc.editor.RedisplayGrids)
        doc.editor.RedisplayGrids();
}

bool SetTone(ChannelRecord& r, int column, i16 v) {
    const ChannelRecord before = r;
    if (column == col::DecodeTone) {
        r.DecodeTone = v;
        r.BusyLock = BusyLockForTone(r.BusyLock, v);
        if (before.DecodeTone == 0 && r.EncodeTone == 0)
            r.EncodeTone = v;
    } else {
        r.EncodeTone = v;
        if (before.EncodeTone == 0 && r.DecodeTone == 0)
            r.DecodeTone = v;
    }
    return !(r == before);
}

bool SetField(const AppState& app, ChannelRecord& r, int column, std::string_view value) {
    const bool asOffset = app.habits.TxAsOffset;
    if (column == col::RxFreq) {
        if (value == RxText(app, r.RxFreq.raw()))
            return false;
        if (KeepsRxFrequency(r.ChannelNo))
            return false;
        const FixedText<8> before = r.RxFreq;
        r.RxFreq = StorageForm(app, value);
        return !(r.RxFreq == before);
    }
    if (column == col::TxFreq) {
        if (value == TxText(app, r.RxFreq.raw(), r.TxOffset.raw(), r.TxOffsetDir, asOffset))
            return false;
        const ChannelRecord before = r;
        const TxOffsetValue v =
            ParseTxText(app, r.RxFreq.raw(), value, asOffset, r.TxOffset.raw(), r.TxOffsetDir);
        r.TxOffset = v.offset;
        r.TxOffsetDir = v.dir;
        SnapChannel(app, r);
        return !(r == before);
    }

    const auto v = CellNumber(value);
    if (!v)
        return false;
    if (column == col::DecodeTone || column == col::EncodeTone)
        return SetTone(r, column, *v);
    if (column == col::OptSignal) {
        const ChannelRecord before = r;
        r.OptSignal = *v;
        r.BusyLock = BusyLockAfterSignalChange(r.BusyLock, r.DecodeTone);
        return !(r == before);
    }
    i16* field = PlainField(r, column);
    if (!field || *field == *v)
        return false;
    *field = *v;
    return true;
}

} // namespace

bool SetChannelCell(const AppState& app, Document& doc, int g, int row, int column, std::string_view value) {
    if (!IsGroup(g) || row < 1 || row > GroupSize(g))
        return false;
    const bool freqColumn = column == col::RxFreq || column == col::TxFreq;
    DocumentCopy& work = doc.work;
    const FeatureBlock& features = work.settings.Options.Features;
    if (freqColumn && !FrequencyEditable(g, features))
        return false;

    std::string text(value);
    const bool validate = column == col::RxFreq || (column == col::TxFreq && !app.habits.TxAsOffset);
    if (validate && !text.empty())
        text = CheckFrequency(app, text, features.ChannelGroup);

    const int channelNo = ChannelNumber(g, row);
    const int slot = FindChannel(work, channelNo);
    bool changed = false;
    if (slot < 0) {
        if (column == col::RxFreq && !text.empty()) {
            changed = AppendChannel(app, work, channelNo, text);
            RefreshAfterRxChange(doc);
        }
    } else if (column == col::RxFreq && text.empty()) {
        if (UsedSlots(work) > 1) {
            DeleteChannelAt(work, slot);
            changed = true;
        }
        RefreshAfterRxChange(doc);
    } else {
        changed = SetField(app, work.channels[static_cast<std::size_t>(slot)], column, text);
        if (column == col::RxFreq)
            RefreshAfterRxChange(doc);
        else if (doc.editor.GridOpen && doc.editor.RedisplayChannel)
            // The grid row shows the stored value, not what was typed (a snapped TX frequency,
            // a tone copied to its partner).
            doc.editor.RedisplayChannel(channelNo);
    }

    if (doc.editor.EditWindowOpen && doc.editor.ReloadEditWindow)
        doc.editor.ReloadEditWindow();
    // A channel added or deleted changes the channel numbers that other windows offer.
    const bool addedOrDeleted = changed && column == col::RxFreq && (slot < 0 || text.empty());
    if (addedOrDeleted && doc.editor.ChannelsChanged)
        doc.editor.ChannelsChanged();
    return changed;
}

i16* ChannelField(ChannelRecord& r, int column) {
    return AnyField(r, column);
}

int ChannelFieldValue(const ChannelRecord& r, int column) {
    const i16* field = AnyField(r, column);
    return field != nullptr ? *field : 0;
}

bool SetChannelCell(const AppState& app, Document& doc, int g, int row, int column, int value) {
    return SetChannelCell(app, doc, g, row, column, std::string_view(std::to_string(value)));
}

} // namespace zt
