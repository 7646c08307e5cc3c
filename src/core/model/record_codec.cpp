// SPDX-License-Identifier: GPL-3.0-or-later
// Stored forms of the channel record (92 bytes) and the settings record (1664 bytes):
// little-endian, packed, written and read field by field in the stored order.
#include "model/records.h"
#include "util/bytes.h"

namespace zt {

namespace {

template <std::size_t N> void PutText(ByteWriter& w, const FixedText<N>& t) {
    w.bytes(t.bytes.data(), N);
}
template <std::size_t N> void GetText(ByteReader& r, FixedText<N>& t) {
    r.bytes(t.bytes.data(), N);
}

// One routine per record serves both directions, so the field order is written down once.
struct Out {
    ByteWriter& w;
    void operator()(const i16& v) { w.i16(v); }
    void operator()(const std::uint8_t& v) { w.u8(v); }
    template <std::size_t N> void operator()(const FixedText<N>& t) { PutText(w, t); }
};
struct In {
    ByteReader& r;
    void operator()(i16& v) { v = r.i16(); }
    void operator()(std::uint8_t& v) { v = r.u8(); }
    template <std::size_t N> void operator()(FixedText<N>& t) { GetText(r, t); }
};

template <class Rec, class F> void Channel(Rec& c, F&& f) {
    f(c.ChannelNo);
    f(c.IsBlank);
    f(c.ScanSkip);
    f(c.RxFreq);
    f(c.DecodeTone);
    f(c.EncodeTone);
    f(c.FmPower);
    f(c.FmPowerLock);
    f(c.AmPower);
    f(c.AmPowerLock);
    f(c.Mode);
    f(c.ModeLock);
    f(c.RxExpander);
    f(c.TxCompressor);
    f(c.NbAnl);
    f(c.Att);
    f(c.HiCut);
    f(c.BusyLock);
    f(c.RogerBeep);
    f(c.SquelchMode);
    f(c.PttIdBot);
    f(c.PttIdEot);
    f(c.CallCode);
    f(c.TxOffsetDir);
    f(c.TxOffset);
    f(c.RxStepClass);
    f(c.TxStepClass);
    f(c.TxInhibit);
    f(c.ScrambleTalkaround);
    f(c.VoiceEncrypt);
    f(c.Talkaround);
    f(c.SignalRelation);
    f(c.Whisper);
    f(c.PttIdMode);
    f(c.Spacing);
    f(c.OptSignal);
    f(c.Compander);
    f(c.Scrambler);
    f(c.Rep);
    f(c.Tsq);
    f(c.RepLock);
}

template <class Arr, class F> void Each(Arr& a, F&& f) {
    for (auto& v : a)
        f(v);
}

template <class Rec, class F> void CodeEntry(Rec& e, F&& f) {
    f(e.Len);
    f(e.Code);
}

template <class Rec, class F> void Settings(Rec& s, F&& f) {
    f(s.Version);
    f(s.ChannelCount);
    for (auto& b : s.BroadcastFreqs) {
        f(b.IsBlank);
        f(b.Freq);
    }
    for (auto& t : s.TestFreqs) {
        f(t.RxFreq);
        f(t.TxFreq);
    }
    f(s.Model.ModelName);
    f(s.Model.BandCode);

    auto& fb = s.Options.Features;
    f(fb.TotTime);
    f(fb.ChannelGroup);
    f(fb.DisplayMode);
    f(fb.BacklightColor);
    f(fb.ScanMode);
    f(fb.ScanResumeTime);
    f(fb.Beep);
    f(fb.PublicData);
    f(fb.PttIdPauseTime);
    Each(fb.GroupChan, f);
    Each(fb.GroupFlag, f);
    Each(fb.ResetMode, f);
    Channel(fb.VfoChannel, f);
    f(fb.PowerOnText);
    f(fb.SquelchLevel);
    f(fb.VoicePrompt);
    f(fb.VoiceVolume);
    f(fb.TailElimMode);
    f(fb.BatterySave);
    f(fb.Vox);
    f(fb.VoxTone);
    f(fb.ChannelLock);
    f(fb.GroupSelect);
    f(fb.TotPreAlert);
    f(fb.WiredClone);
    f(fb.TailElimNoSig);
    f(fb.FreqEditable);
    f(fb.TotRekeyTime);
    f(fb.TotResetTime);
    f(fb.VoxLevel);
    f(fb.VoxDelay);

    auto& d = s.Options.Dtmf;
    f(d.DtmfRate);
    f(d.FirstDigitTime);
    f(d.FirstDigitDelay);
    f(d.StarHashTime);
    f(d.DKeySetting);
    f(d.SideTone);
    Each(d.DtmfOpt, f);
    f(d.IdCode);
    f(d.IdCodeLen);
    CodeEntry(d.BotCode, f);
    CodeEntry(d.EotCode, f);
    CodeEntry(d.StunCode, f);
    CodeEntry(d.KillCode, f);
    for (auto& e : d.CodeList)
        CodeEntry(e, f);

    Each(s.Options.EmbeddedMessage, f);
    Each(s.Options.KeyBlock, f);
    Each(s.Options.AlertBlock, f);
    Each(s.Options.ScanBlock, f);

    for (auto& tip : s.ToneTips) {
        for (auto& step : tip.Steps) {
            f(step.Tone);
            f(step.Length);
        }
        f(tip.Repeat);
        f(tip.Interval);
    }
    Each(s.GroupNames, f);
}

} // namespace

void EncodeChannel(const ChannelRecord& r, std::span<std::uint8_t, kChannelRecordSize> out) {
    ByteWriter w(out);
    Channel(r, Out{w});
}

ChannelRecord DecodeChannel(std::span<const std::uint8_t, kChannelRecordSize> in) {
    ChannelRecord r;
    ByteReader rd(in);
    Channel(r, In{rd});
    return r;
}

std::vector<std::uint8_t> WriteSettings(const SettingsRecord& s) {
    std::vector<std::uint8_t> out(kSettingsRecordSize);
    ByteWriter w(out);
    Settings(s, Out{w});
    if (w.pos() != kSettingsRecordSize)
        throw std::logic_error("settings record layout does not fill 1664 bytes");
    return out;
}

SettingsRecord ReadSettings(std::span<const std::uint8_t, kSettingsRecordSize> in) {
    SettingsRecord s;
    ByteReader rd(in);
    Settings(s, In{rd});
    return s;
}

} // namespace zt
