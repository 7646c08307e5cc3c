// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/records.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zt {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A channel with every field distinct, so a swapped or shifted field shows up.
ChannelRecord DistinctChannel(int base) {
    ChannelRecord c;
    i16 v = static_cast<i16>(base);
    for (i16* f : {&c.ChannelNo,
                   &c.IsBlank,
                   &c.ScanSkip,
                   &c.DecodeTone,
                   &c.EncodeTone,
                   &c.FmPower,
                   &c.FmPowerLock,
                   &c.AmPower,
                   &c.AmPowerLock,
                   &c.Mode,
                   &c.ModeLock,
                   &c.RxExpander,
                   &c.TxCompressor,
                   &c.NbAnl,
                   &c.Att,
                   &c.HiCut,
                   &c.BusyLock,
                   &c.RogerBeep,
                   &c.SquelchMode,
                   &c.PttIdBot,
                   &c.PttIdEot,
                   &c.CallCode,
                   &c.RxStepClass,
                   &c.TxStepClass,
                   &c.TxInhibit,
                   &c.ScrambleTalkaround,
                   &c.VoiceEncrypt,
                   &c.Talkaround,
                   &c.SignalRelation,
                   &c.Whisper,
                   &c.PttIdMode,
                   &c.Spacing,
                   &c.OptSignal,
                   &c.Compander,
                   &c.Scrambler,
                   &c.Rep,
                   &c.Tsq,
                   &c.RepLock})
        *f = v++;
    c.RxFreq = "02761125";
    c.TxOffsetDir = 2;
    c.TxOffset = "0010000";
    return c;
}

// One stored field as the layout tests see it: a 16-bit number, a byte or a fixed-width text.
struct FieldRef {
    i16* number = nullptr;
    std::uint8_t* byte = nullptr;
    char* text = nullptr;
    std::size_t width = 0;
};
FieldRef Ref(i16& v) {
    return {&v, nullptr, nullptr, 2};
}
FieldRef Ref(std::uint8_t& v) {
    return {nullptr, &v, nullptr, 1};
}
template <std::size_t N> FieldRef Ref(FixedText<N>& t) {
    return {nullptr, nullptr, t.bytes.data(), N};
}

// Gives the field a value none of whose stored bytes an empty record holds, and returns those
// bytes: a negative number (two's complement, low byte first), a byte above 127, letters.
Bytes Mark(FieldRef f) {
    if (f.number) {
        *f.number = static_cast<i16>(0x8A2B);
        return {0x2B, 0x8A};
    }
    if (f.byte) {
        *f.byte = 0xC5;
        return {0xC5};
    }
    Bytes b;
    for (std::size_t i = 0; i < f.width; ++i) {
        f.text[i] = static_cast<char>('a' + i);
        b.push_back(static_cast<std::uint8_t>('a' + i));
    }
    return b;
}

// A run of `count` equal fields of `width` bytes, the first at `offset`, one every `stride` bytes.
template <class Rec> struct Stored {
    std::string name;
    std::size_t offset;
    std::size_t width;
    int count;
    std::size_t stride;
    std::function<FieldRef(Rec&, int)> at;
};
// clang-format off
#define ONE(offset, width, path) {#path, offset, width, 1, 0, [](auto& r, int) { return Ref(r.path); }}
#define RUN(offset, width, count, stride, path) \
    {#path, offset, width, count, stride, [](auto& r, int k) { return Ref(r.path); }}
// clang-format on

// The channel record as it is stored, independently of the codec's field list.
const std::vector<Stored<ChannelRecord>>& ChannelLayout() {
    static const std::vector<Stored<ChannelRecord>> rows = {
        ONE(0, 2, ChannelNo),
        ONE(2, 2, IsBlank),
        ONE(4, 2, ScanSkip),
        ONE(6, 8, RxFreq),
        ONE(14, 2, DecodeTone),
        ONE(16, 2, EncodeTone),
        ONE(18, 2, FmPower),
        ONE(20, 2, FmPowerLock),
        ONE(22, 2, AmPower),
        ONE(24, 2, AmPowerLock),
        ONE(26, 2, Mode),
        ONE(28, 2, ModeLock),
        ONE(30, 2, RxExpander),
        ONE(32, 2, TxCompressor),
        ONE(34, 2, NbAnl),
        ONE(36, 2, Att),
        ONE(38, 2, HiCut),
        ONE(40, 2, BusyLock),
        ONE(42, 2, RogerBeep),
        ONE(44, 2, SquelchMode),
        ONE(46, 2, PttIdBot),
        ONE(48, 2, PttIdEot),
        ONE(50, 2, CallCode),
        ONE(52, 1, TxOffsetDir),
        ONE(53, 7, TxOffset),
        ONE(60, 2, RxStepClass),
        ONE(62, 2, TxStepClass),
        ONE(64, 2, TxInhibit),
        ONE(66, 2, ScrambleTalkaround),
        ONE(68, 2, VoiceEncrypt),
        ONE(70, 2, Talkaround),
        ONE(72, 2, SignalRelation),
        ONE(74, 2, Whisper),
        ONE(76, 2, PttIdMode),
        ONE(78, 2, Spacing),
        ONE(80, 2, OptSignal),
        ONE(82, 2, Compander),
        ONE(84, 2, Scrambler),
        ONE(86, 2, Rep),
        ONE(88, 2, Tsq),
        ONE(90, 2, RepLock),
    };
    return rows;
}

// Where two encodings differ, as "offset: got/want" pairs (the first few).
std::string Differences(const Bytes& got, const Bytes& want) {
    std::string out;
    int shown = 0;
    for (std::size_t i = 0; i < std::min(got.size(), want.size()) && shown < 4; ++i)
        if (got[i] != want[i]) {
            out += std::to_string(i) + ": " + std::to_string(got[i]) + "/" + std::to_string(want[i]) + " ";
            ++shown;
        }
    if (got.size() != want.size())
        out += "size " + std::to_string(got.size()) + "/" + std::to_string(want.size());
    return out;
}

// Every field of the layout table on its own, all others empty: encoding puts exactly its bytes at
// its offset and changes no other byte, and decoding those bytes fills exactly that field. A
// swapped pair of neighbours, a shifted field or a wrong width fails here even where a round trip
// would hide it. The table must cover each byte of the record exactly once.
template <class Rec, class Encode, class Decode>
void CheckLayout(const std::vector<Stored<Rec>>& rows, std::size_t size, Encode encode, Decode decode) {
    std::vector<int> owners(size, 0);
    for (const auto& row : rows)
        for (int k = 0; k < row.count; ++k)
            for (std::size_t j = 0; j < row.width; ++j) {
                const std::size_t at = row.offset + static_cast<std::size_t>(k) * row.stride + j;
                ASSERT_LT(at, size) << row.name;
                ++owners[at];
            }
    for (std::size_t i = 0; i < size; ++i)
        ASSERT_EQ(owners[i], 1) << "layout table: byte " << i;

    const Bytes empty = encode(Rec{});
    for (const auto& row : rows)
        for (int k = 0; k < row.count; ++k) {
            SCOPED_TRACE(row.name + " k=" + std::to_string(k));
            Rec rec{};
            const Bytes mark = Mark(row.at(rec, k));
            ASSERT_EQ(mark.size(), row.width);
            Bytes want = empty;
            std::copy(mark.begin(), mark.end(),
                      want.begin() +
                          static_cast<long>(row.offset + static_cast<std::size_t>(k) * row.stride));
            EXPECT_EQ(Differences(encode(rec), want), "");
            EXPECT_TRUE(decode(want) == rec);
        }
}

Bytes EncodeChannelBytes(const ChannelRecord& c) {
    Bytes b(kChannelRecordSize);
    EncodeChannel(c, std::span<std::uint8_t, kChannelRecordSize>(b.data(), kChannelRecordSize));
    return b;
}
ChannelRecord DecodeChannelBytes(const Bytes& b) {
    return DecodeChannel(std::span<const std::uint8_t, kChannelRecordSize>(b.data(), kChannelRecordSize));
}

TEST(ChannelRecordCodec, EveryFieldSitsAtItsStoredOffsetAndWidth) {
    CheckLayout(ChannelLayout(), kChannelRecordSize, EncodeChannelBytes, DecodeChannelBytes);
}

TEST(ChannelRecordCodec, TextBytesAboveAsciiAndNulsSurvive) {
    ChannelRecord c;
    c.RxFreq.bytes = {'\xFF', '\xFF', '\x00', '1', '\x80', ' ', ' ', ' '};
    c.TxOffset = std::string(7, '\0');
    Bytes b(kChannelRecordSize);
    EncodeChannel(c, std::span<std::uint8_t, kChannelRecordSize>(b.data(), kChannelRecordSize));
    EXPECT_EQ(b[6], 0xFF);
    EXPECT_EQ(b[10], 0x80);
    EXPECT_EQ(DecodeChannel(std::span<const std::uint8_t, kChannelRecordSize>(b.data(), kChannelRecordSize)),
              c);
}

SettingsRecord DistinctSettings() {
    SettingsRecord s;
    s.Version = "V300";
    s.ChannelCount = 2;
    s.BroadcastFreqs[19] = {1, FixedText<8>("01234567")};
    s.TestFreqs[10] = {FixedText<8>("02700000"), FixedText<8>("02710000")};
    s.Model = {FixedText<7>("ZT-450E"), 3};
    auto& f = s.Options.Features;
    f.TotTime = 4;
    f.PttIdPauseTime = 9;
    f.GroupChan[0] = 11;
    f.GroupChan[23] = 12;
    f.GroupFlag[23] = 13;
    f.ResetMode[5] = 14;
    f.VfoChannel = DistinctChannel(0x200);
    f.PowerOnText = "        rv2180 ";
    f.SquelchLevel = 15;
    f.VoxDelay = 16;
    auto& d = s.Options.Dtmf;
    d.DtmfRate = 17;
    d.DtmfOpt[2] = 18;
    d.IdCode = "000";
    d.IdCodeLen = 3;
    d.BotCode = {4, FixedText<16>("12*#")};
    d.KillCode = {2, FixedText<16>("99")};
    d.CodeList[15] = {5, FixedText<16>("ABCD0")};
    s.Options.EmbeddedMessage[3] = "last line";
    s.Options.KeyBlock[5] = 19;
    s.Options.AlertBlock[10] = 0xAB;
    s.Options.ScanBlock[11] = 0xCD;
    s.ToneTips[7].Steps[13] = {210, 10};
    s.ToneTips[7].Repeat = 20;
    s.ToneTips[7].Interval = 21;
    s.GroupNames[11] = "U-EU";
    return s;
}

// The settings record as it is stored, independently of the codec's field list. The VFO settings
// are a whole channel record inside the feature block.
std::vector<Stored<SettingsRecord>> SettingsLayout() {
    constexpr std::size_t kFeatures = 391, kVfo = kFeatures + 126, kDtmf = 659;
    std::vector<Stored<SettingsRecord>> rows = {
        ONE(0, 4, Version),
        ONE(4, 2, ChannelCount),
        RUN(6, 2, 20, 10, BroadcastFreqs[k].IsBlank),
        RUN(8, 8, 20, 10, BroadcastFreqs[k].Freq),
        RUN(206, 8, 11, 16, TestFreqs[k].RxFreq),
        RUN(214, 8, 11, 16, TestFreqs[k].TxFreq),
        ONE(382, 7, Model.ModelName),
        ONE(389, 2, Model.BandCode),
        ONE(kFeatures + 0, 2, Options.Features.TotTime),
        ONE(kFeatures + 2, 2, Options.Features.ChannelGroup),
        ONE(kFeatures + 4, 2, Options.Features.DisplayMode),
        ONE(kFeatures + 6, 2, Options.Features.BacklightColor),
        ONE(kFeatures + 8, 2, Options.Features.ScanMode),
        ONE(kFeatures + 10, 2, Options.Features.ScanResumeTime),
        ONE(kFeatures + 12, 2, Options.Features.Beep),
        ONE(kFeatures + 14, 2, Options.Features.PublicData),
        ONE(kFeatures + 16, 2, Options.Features.PttIdPauseTime),
        RUN(kFeatures + 18, 2, 24, 2, Options.Features.GroupChan[k]),
        RUN(kFeatures + 66, 2, 24, 2, Options.Features.GroupFlag[k]),
        RUN(kFeatures + 114, 2, 6, 2, Options.Features.ResetMode[k]),
        ONE(kFeatures + 218, 16, Options.Features.PowerOnText),
        ONE(kFeatures + 234, 2, Options.Features.SquelchLevel),
        ONE(kFeatures + 236, 2, Options.Features.VoicePrompt),
        ONE(kFeatures + 238, 2, Options.Features.VoiceVolume),
        ONE(kFeatures + 240, 2, Options.Features.TailElimMode),
        ONE(kFeatures + 242, 2, Options.Features.BatterySave),
        ONE(kFeatures + 244, 2, Options.Features.Vox),
        ONE(kFeatures + 246, 2, Options.Features.VoxTone),
        ONE(kFeatures + 248, 2, Options.Features.ChannelLock),
        ONE(kFeatures + 250, 2, Options.Features.GroupSelect),
        ONE(kFeatures + 252, 2, Options.Features.TotPreAlert),
        ONE(kFeatures + 254, 2, Options.Features.WiredClone),
        ONE(kFeatures + 256, 2, Options.Features.TailElimNoSig),
        ONE(kFeatures + 258, 2, Options.Features.FreqEditable),
        ONE(kFeatures + 260, 2, Options.Features.TotRekeyTime),
        ONE(kFeatures + 262, 2, Options.Features.TotResetTime),
        ONE(kFeatures + 264, 2, Options.Features.VoxLevel),
        ONE(kFeatures + 266, 2, Options.Features.VoxDelay),
        ONE(kDtmf + 0, 2, Options.Dtmf.DtmfRate),
        ONE(kDtmf + 2, 2, Options.Dtmf.FirstDigitTime),
        ONE(kDtmf + 4, 2, Options.Dtmf.FirstDigitDelay),
        ONE(kDtmf + 6, 2, Options.Dtmf.StarHashTime),
        ONE(kDtmf + 8, 2, Options.Dtmf.DKeySetting),
        ONE(kDtmf + 10, 2, Options.Dtmf.SideTone),
        RUN(kDtmf + 12, 2, 3, 2, Options.Dtmf.DtmfOpt[k]),
        ONE(kDtmf + 18, 10, Options.Dtmf.IdCode),
        ONE(kDtmf + 28, 2, Options.Dtmf.IdCodeLen),
        ONE(kDtmf + 30, 2, Options.Dtmf.BotCode.Len),
        ONE(kDtmf + 32, 16, Options.Dtmf.BotCode.Code),
        ONE(kDtmf + 48, 2, Options.Dtmf.EotCode.Len),
        ONE(kDtmf + 50, 16, Options.Dtmf.EotCode.Code),
        ONE(kDtmf + 66, 2, Options.Dtmf.StunCode.Len),
        ONE(kDtmf + 68, 16, Options.Dtmf.StunCode.Code),
        ONE(kDtmf + 84, 2, Options.Dtmf.KillCode.Len),
        ONE(kDtmf + 86, 16, Options.Dtmf.KillCode.Code),
        RUN(kDtmf + 102, 2, 16, 18, Options.Dtmf.CodeList[k].Len),
        RUN(kDtmf + 104, 16, 16, 18, Options.Dtmf.CodeList[k].Code),
        RUN(1049, 16, 4, 16, Options.EmbeddedMessage[k]),
        RUN(1113, 2, 6, 2, Options.KeyBlock[k]),
        RUN(1125, 1, 11, 1, Options.AlertBlock[k]),
        RUN(1136, 1, 12, 1, Options.ScanBlock[k]),
        // The tone tips: 8 entries of 30 values, each entry 14 (tone, length) steps, then the
        // repeat count and the interval.
        {"ToneTips", 1148, 2, 8 * 30, 2,
         [](SettingsRecord& s, int k) {
             ToneTipEntry& e = s.ToneTips[static_cast<std::size_t>(k / 30)];
             const int v = k % 30;
             if (v == 28)
                 return Ref(e.Repeat);
             if (v == 29)
                 return Ref(e.Interval);
             ToneTipStep& step = e.Steps[static_cast<std::size_t>(v / 2)];
             return Ref(v % 2 == 0 ? step.Tone : step.Length);
         }},
        RUN(1628, 3, 12, 3, GroupNames[k]),
    };
    for (const auto& c : ChannelLayout())
        rows.push_back(
            {"VfoChannel." + c.name, kVfo + c.offset, c.width, 1, 0,
             [at = c.at](SettingsRecord& s, int k) { return at(s.Options.Features.VfoChannel, k); }});
    return rows;
}

#undef ONE
#undef RUN

TEST(SettingsRecordCodec, EveryFieldSitsAtItsStoredOffsetAndWidth) {
    CheckLayout(SettingsLayout(), kSettingsRecordSize, WriteSettings, [](const Bytes& b) {
        return ReadSettings(
            std::span<const std::uint8_t, kSettingsRecordSize>(b.data(), kSettingsRecordSize));
    });
}

TEST(SettingsRecordCodec, RoundTripKeepsEveryField) {
    const SettingsRecord s = DistinctSettings();
    const Bytes b = WriteSettings(s);
    const SettingsRecord back =
        ReadSettings(std::span<const std::uint8_t, kSettingsRecordSize>(b.data(), kSettingsRecordSize));
    EXPECT_EQ(back, s);
    EXPECT_EQ(WriteSettings(back), b);
}

TEST(SettingsRecordCodec, VfoRecordUsesTheChannelLayout) {
    const SettingsRecord s = DistinctSettings();
    const Bytes settings = WriteSettings(s);
    Bytes channel(kChannelRecordSize);
    EncodeChannel(s.Options.Features.VfoChannel,
                  std::span<std::uint8_t, kChannelRecordSize>(channel.data(), kChannelRecordSize));
    EXPECT_EQ(Bytes(settings.begin() + 391 + 126, settings.begin() + 391 + 126 + 92), channel);
}

TEST(SettingsRecordCodec, AnyBytesDecodeAndReencodeUnchanged) {
    Bytes b(kSettingsRecordSize);
    std::uint32_t x = 12345;
    for (auto& v : b) {
        x = x * 1103515245u + 12345u;
        v = static_cast<std::uint8_t>(x >> 16);
    }
    const SettingsRecord s =
        ReadSettings(std::span<const std::uint8_t, kSettingsRecordSize>(b.data(), kSettingsRecordSize));
    EXPECT_EQ(WriteSettings(s), b);
}

} // namespace
} // namespace zt
