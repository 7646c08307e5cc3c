#include "model/records.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace zt {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::int16_t I16At(const Bytes& b, std::size_t off) {
    return static_cast<std::int16_t>(b[off] | (b[off + 1] << 8));
}
std::string TextAt(const Bytes& b, std::size_t off, std::size_t n) {
    return std::string(b.begin() + static_cast<long>(off), b.begin() + static_cast<long>(off + n));
}

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

TEST(ChannelRecordCodec, FieldsSitAtTheirStoredOffsets) {
    ChannelRecord c = DistinctChannel(0x100);
    c.ChannelNo = 481;
    c.DecodeTone = -2; // negative values keep their two's-complement bytes
    Bytes b(kChannelRecordSize, 0xAA);
    EncodeChannel(c, std::span<std::uint8_t, kChannelRecordSize>(b.data(), kChannelRecordSize));

    EXPECT_EQ(I16At(b, 0), 481);
    EXPECT_EQ(TextAt(b, 6, 8), "02761125");
    EXPECT_EQ(I16At(b, 14), -2);
    EXPECT_EQ(I16At(b, 16), c.EncodeTone);
    EXPECT_EQ(I16At(b, 40), c.BusyLock);
    EXPECT_EQ(I16At(b, 50), c.CallCode);
    EXPECT_EQ(b[52], 2);
    EXPECT_EQ(TextAt(b, 53, 7), "0010000");
    EXPECT_EQ(I16At(b, 60), c.RxStepClass);
    EXPECT_EQ(I16At(b, 64), c.TxInhibit);
    EXPECT_EQ(I16At(b, 90), c.RepLock);

    const ChannelRecord back =
        DecodeChannel(std::span<const std::uint8_t, kChannelRecordSize>(b.data(), kChannelRecordSize));
    EXPECT_EQ(back, c);
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

TEST(SettingsRecordCodec, FieldsSitAtTheirStoredOffsets) {
    const SettingsRecord s = DistinctSettings();
    const Bytes b = WriteSettings(s);
    ASSERT_EQ(b.size(), kSettingsRecordSize);

    struct Case {
        const char* field;
        std::size_t offset;
        int value;
    };
    const Case i16Fields[] = {
        {"ChannelCount", 4, 2},
        {"BroadcastFreqs[19].IsBlank", 6 + 19 * 10, 1},
        {"BandCode", 389, 3},
        {"TotTime", 391, 4},
        {"PttIdPauseTime", 391 + 16, 9},
        {"GroupChan[0]", 391 + 18, 11},
        {"GroupChan[23]", 391 + 18 + 46, 12},
        {"GroupFlag[23]", 391 + 66 + 46, 13},
        {"ResetMode[5]", 391 + 114 + 10, 14},
        {"VfoChannel.ChannelNo", 391 + 126, 0x200},
        {"SquelchLevel", 391 + 234, 15},
        {"VoxDelay", 391 + 266, 16},
        {"DtmfRate", 659, 17},
        {"DtmfOpt[2]", 659 + 16, 18},
        {"IdCodeLen", 659 + 28, 3},
        {"BotCode.Len", 659 + 30, 4},
        {"KillCode.Len", 659 + 84, 2},
        {"CodeList[16].Len", 659 + 102 + 15 * 18, 5},
        {"KeyBlock[5]", 1113 + 10, 19},
        {"ToneTips[8].Steps[14].Tone", 1148 + 7 * 60 + 52, 210},
        {"ToneTips[8].Steps[14].Length", 1148 + 7 * 60 + 54, 10},
        {"ToneTips[8].Repeat", 1148 + 7 * 60 + 56, 20},
        {"ToneTips[8].Interval", 1148 + 7 * 60 + 58, 21},
    };
    for (const auto& c : i16Fields)
        EXPECT_EQ(I16At(b, c.offset), c.value) << c.field;

    struct TextCase {
        const char* field;
        std::size_t offset;
        std::string text;
    };
    const TextCase texts[] = {
        {"Version", 0, "V300"},
        {"BroadcastFreqs[19].Freq", 6 + 19 * 10 + 2, "01234567"},
        {"TestFreqs[10]", 206 + 10 * 16, "0270000002710000"},
        {"ModelName", 382, "ZT-450E"},
        {"VfoChannel.RxFreq", 391 + 126 + 6, "02761125"},
        {"PowerOnText", 391 + 218, "        rv2180  "},
        {"IdCode", 659 + 18, "000       "},
        {"BotCode.Code", 659 + 32, "12*#            "},
        {"CodeList[16].Code", 659 + 102 + 15 * 18 + 2, "ABCD0           "},
        {"EmbeddedMessage[3]", 1049 + 48, "last line       "},
        {"GroupNames[11]", 1628 + 33, "U-E"},
    };
    for (const auto& c : texts)
        EXPECT_EQ(TextAt(b, c.offset, c.text.size()), c.text) << c.field;

    EXPECT_EQ(b[1125 + 10], 0xAB); // AlertBlock[10]
    EXPECT_EQ(b[1136 + 11], 0xCD); // ScanBlock[11]
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
