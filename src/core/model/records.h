// SPDX-License-Identifier: GPL-3.0-or-later
// The document's records in memory: one channel (92 bytes stored), the channel table, and the
// settings record (1664 bytes stored) with its sub-records. Field order follows the stored
// layout; encoding and decoding are explicit per field (record_codec.cpp).
#pragma once

#include "model/fixed_text.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace zt {

using i16 = std::int16_t;

constexpr std::size_t kChannelRecordSize = 92;
constexpr std::size_t kSettingsRecordSize = 1664;
constexpr int kMaxChannels = 481;
constexpr int kGroupCount = 13; // groups 0..12; group 12 holds only channel 481, the VFO entry

struct ChannelRecord {
    i16 ChannelNo = 0;
    i16 IsBlank = 0;
    i16 ScanSkip = 0;
    FixedText<8> RxFreq;
    i16 DecodeTone = 0;
    i16 EncodeTone = 0;
    i16 FmPower = 0;
    i16 FmPowerLock = 0;
    i16 AmPower = 0;
    i16 AmPowerLock = 0;
    i16 Mode = 0;
    i16 ModeLock = 0;
    i16 RxExpander = 0;
    i16 TxCompressor = 0;
    i16 NbAnl = 0;
    i16 Att = 0;
    i16 HiCut = 0;
    i16 BusyLock = 0;
    i16 RogerBeep = 0;
    i16 SquelchMode = 0;
    i16 PttIdBot = 0;
    i16 PttIdEot = 0;
    i16 CallCode = 0;
    std::uint8_t TxOffsetDir = 0;
    FixedText<7> TxOffset;
    i16 RxStepClass = 0;
    i16 TxStepClass = 0;
    i16 TxInhibit = 0;
    i16 ScrambleTalkaround = 0;
    i16 VoiceEncrypt = 0;
    i16 Talkaround = 0;
    i16 SignalRelation = 0;
    i16 Whisper = 0;
    i16 PttIdMode = 0;
    i16 Spacing = 0;
    i16 OptSignal = 0;
    i16 Compander = 0;
    i16 Scrambler = 0;
    i16 Rep = 0;
    i16 Tsq = 0;
    i16 RepLock = 0;

    bool operator==(const ChannelRecord&) const = default;
};

struct BroadcastFreqEntry {
    i16 IsBlank = 0;
    FixedText<8> Freq;
    bool operator==(const BroadcastFreqEntry&) const = default;
};

struct TestFreqEntry {
    FixedText<8> RxFreq;
    FixedText<8> TxFreq;
    bool operator==(const TestFreqEntry&) const = default;
};

struct ModelInfo {
    FixedText<7> ModelName;
    i16 BandCode = 0;
    bool operator==(const ModelInfo&) const = default;
};

struct FeatureBlock {
    i16 TotTime = 0;
    i16 ChannelGroup = 0;
    i16 DisplayMode = 0;
    i16 BacklightColor = 0;
    i16 ScanMode = 0;
    i16 ScanResumeTime = 0;
    i16 Beep = 0;
    i16 PublicData = 0;
    i16 PttIdPauseTime = 0;
    std::array<i16, 24> GroupChan{};
    std::array<i16, 24> GroupFlag{};
    std::array<i16, 6> ResetMode{};
    ChannelRecord VfoChannel;
    FixedText<16> PowerOnText;
    i16 SquelchLevel = 0;
    i16 VoicePrompt = 0;
    i16 VoiceVolume = 0;
    i16 TailElimMode = 0;
    i16 BatterySave = 0;
    i16 Vox = 0;
    i16 VoxTone = 0;
    i16 ChannelLock = 0;
    i16 GroupSelect = 0;
    i16 TotPreAlert = 0;
    i16 WiredClone = 0;
    i16 TailElimNoSig = 0;
    i16 FreqEditable = 0;
    i16 TotRekeyTime = 0;
    i16 TotResetTime = 0;
    i16 VoxLevel = 0;
    i16 VoxDelay = 0;
    bool operator==(const FeatureBlock&) const = default;
};

struct DtmfCodeEntry {
    i16 Len = 0;
    FixedText<16> Code;
    bool operator==(const DtmfCodeEntry&) const = default;
};

struct DtmfBlock {
    i16 DtmfRate = 0;
    i16 FirstDigitTime = 0;
    i16 FirstDigitDelay = 0;
    i16 StarHashTime = 0;
    i16 DKeySetting = 0;
    i16 SideTone = 0;
    std::array<i16, 3> DtmfOpt{};
    FixedText<10> IdCode;
    i16 IdCodeLen = 0;
    DtmfCodeEntry BotCode;
    DtmfCodeEntry EotCode;
    DtmfCodeEntry StunCode;
    DtmfCodeEntry KillCode;
    std::array<DtmfCodeEntry, 16> CodeList{}; // entries 1..16 at index 0..15
    bool operator==(const DtmfBlock&) const = default;
};

struct OptionsRecord {
    FeatureBlock Features;
    DtmfBlock Dtmf;
    std::array<FixedText<16>, 4> EmbeddedMessage{};
    std::array<i16, 6> KeyBlock{};
    std::array<std::uint8_t, 11> AlertBlock{};
    std::array<std::uint8_t, 12> ScanBlock{};
    bool operator==(const OptionsRecord&) const = default;
};

struct ToneTipStep {
    i16 Tone = 0;   // tone frequency code
    i16 Length = 0; // ms
    bool operator==(const ToneTipStep&) const = default;
};

struct ToneTipEntry {
    std::array<ToneTipStep, 14> Steps{};
    i16 Repeat = 0;
    i16 Interval = 0;
    bool operator==(const ToneTipEntry&) const = default;
};

struct SettingsRecord {
    FixedText<4> Version;
    i16 ChannelCount = 0;
    std::array<BroadcastFreqEntry, 20> BroadcastFreqs{};
    std::array<TestFreqEntry, 11> TestFreqs{};
    ModelInfo Model;
    OptionsRecord Options;
    std::array<ToneTipEntry, 8> ToneTips{}; // entries 1..8 at index 0..7
    std::array<FixedText<3>, 12> GroupNames{};
    bool operator==(const SettingsRecord&) const = default;
};

// Compact table of up to 481 channels; the count lives in SettingsRecord::ChannelCount.
using ChannelSlots = std::array<ChannelRecord, kMaxChannels>;

// Stored forms (little-endian, packed). Encoders write exactly the record size.
void EncodeChannel(const ChannelRecord& r, std::span<std::uint8_t, kChannelRecordSize> out);
ChannelRecord DecodeChannel(std::span<const std::uint8_t, kChannelRecordSize> in);
std::vector<std::uint8_t> WriteSettings(const SettingsRecord& s);
// Decodes exactly 1664 bytes; the caller rejects any other length.
SettingsRecord ReadSettings(std::span<const std::uint8_t, kSettingsRecordSize> in);

} // namespace zt
