// SPDX-License-Identifier: GPL-3.0-or-later
// The radio image codec: byte-exact fields against hand-computed images, and round trips.
#include "codec/vfo_tone.h"
#include "link/radio_image.h"
#include "link/radio_info.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace zt {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes At(const RadioImage& img, int addr, int n) {
    return Bytes(img.begin() + addr, img.begin() + addr + n);
}

struct Fixture {
    AppState app;
    DocumentCopy work;
    RadioImage img{};

    ChannelRecord& add(int n, std::string_view freq) {
        ChannelRecord& r = work.channels[static_cast<std::size_t>(work.settings.ChannelCount++)];
        r = ChannelRecord{};
        r.ChannelNo = static_cast<i16>(n);
        r.RxFreq = freq;
        return r;
    }
    void encode() {
        ClearRadioImage(img);
        EncodeRadioImage(app, work, img);
    }
};

TEST(RadioImage, FrequencyTravelsAsWholeKilohertzWithThe125Rule) {
    struct Case {
        std::string_view stored;
        Bytes bytes;
        const char* decoded;
    };
    const Case cases[] = {
        {"02761125", {0xDC, 0x6B}, "02761125"}, // 27611 -> 27612
        {"02761200", {0xDC, 0x6B}, "02761125"}, // a whole-kHz 2 reads back as 125 below it
        {"02696500", {0x55, 0x69}, "02696500"},
        {"02761500", {0xDF, 0x6B}, "02761500"},
        {"0276112", {0xDC, 0x6B}, "02761125"},                          // odd length: a 0 is appended
        {std::string_view("02761\0\0\0", 8), {0xDA, 0x6B}, "02761000"}, // cut at the first NUL, then as above
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.decoded);
        Fixture f;
        f.add(7, c.stored);
        f.encode();
        EXPECT_EQ(At(f.img, 7 * 16, 2), c.bytes);
        EXPECT_EQ(At(f.img, 7 * 16 + 2, 3), Bytes({0xFF, 0xFF, 0xFF}));
        EXPECT_EQ(f.img[7 * 16 + 15], 0xFF);
        DocumentCopy back;
        DecodeRadioImage(f.img, back);
        ASSERT_EQ(back.settings.ChannelCount, 2); // channel 7 and the VFO entry 481
        EXPECT_EQ(back.channels[0].RxFreq.raw(), c.decoded);
    }
}

TEST(RadioImage, SlotBitsAndToneWordsAreLaidOutExactly) {
    Fixture f;
    ChannelRecord& r = f.add(2, "02700000");
    r.FmPower = 1;
    r.AmPowerLock = 1;
    r.ModeLock = 1;
    r.DecodeTone = 51;  // D017N
    r.EncodeTone = 158; // D017I
    r.NbAnl = 1;
    r.Tsq = 1;
    r.BusyLock = 2;
    r.RogerBeep = 5;
    r.SquelchMode = 3;
    r.PttIdBot = 17;
    r.RepLock = 1;
    r.Rep = 2;
    r.PttIdEot = 9;
    r.CallCode = 200;
    f.add(3, "02700000"); // all zero: tone index 0 is no tone
    f.encode();
    EXPECT_EQ(At(f.img, 0x20, 16), Bytes({0x78, 0x69, 0xFF, 0xFF, 0xFF, 0x51, 0xD0, 0x0F, 0x80, 0x0F, 0xA4,
                                          0x35, 0xB1, 9, 200, 0xFF}));
    EXPECT_EQ(At(f.img, 0x36, 4), Bytes({0xFF, 0xFF, 0xFF, 0xFF}));

    DocumentCopy back;
    DecodeRadioImage(f.img, back);
    ChannelRecord expected = r;
    EXPECT_EQ(back.channels[0], expected);
}

TEST(RadioImage, BitmapsAndTableOrder) {
    Fixture f;
    f.add(9, "02700000").ScanSkip = 1;
    f.add(1, "02700000");
    f.add(481, "02700000");
    f.add(40, "        "); // blank: not marked used
    f.add(0, "02700000");  // no slot for channel 0 or numbers above 481
    f.add(600, "02700000");
    f.encode();
    MarkBlankChannels(f.work);
    EXPECT_EQ(f.work.channels[3].IsBlank, 1);
    EXPECT_EQ(f.work.channels[0].IsBlank, 0);
    EXPECT_EQ(f.img[0x20F0], 0x01);      // channel 1
    EXPECT_EQ(f.img[0x20F1], 0x01);      // channel 9
    EXPECT_EQ(f.img[0x20F0 + 60], 0x01); // channel 481: byte 60, bit 0
    EXPECT_EQ(f.img[0x20F4], 0x00);      // channel 40 is blank
    EXPECT_EQ(f.img[0x20A0], 0x01);      // channel 1 scanned
    EXPECT_EQ(f.img[0x20A1], 0x00);      // channel 9 skipped
    EXPECT_EQ(At(f.img, 0x0000, 16), Bytes(16, 0xFF));

    DocumentCopy back;
    DecodeRadioImage(f.img, back);
    ASSERT_EQ(back.settings.ChannelCount, 3);
    EXPECT_EQ(back.channels[0].ChannelNo, 1);
    EXPECT_EQ(back.channels[1].ChannelNo, 9);
    EXPECT_EQ(back.channels[1].ScanSkip, 1);
    EXPECT_EQ(back.channels[2].ChannelNo, 481);
    EXPECT_EQ(back.channels[0].ScanSkip, 0);
}

TEST(RadioImage, EmptyBitmapGivesOnlyChannel481) {
    RadioImage img;
    ClearRadioImage(img);
    std::fill(img.begin() + 0x20F0, img.begin() + 0x20F0 + 66, 0);
    DocumentCopy back;
    back.channels[0].TxOffset = "0010000"; // not held by a slot: kept
    DecodeRadioImage(img, back);
    ASSERT_EQ(back.settings.ChannelCount, 1);
    EXPECT_EQ(back.channels[0].ChannelNo, 481);
    EXPECT_EQ(back.channels[0].RxFreq.raw(), "06553500");
    EXPECT_EQ(back.channels[0].TxOffset.raw(), "0010000");
    EXPECT_EQ(back.channels[0].DecodeTone, 0);
}

TEST(RadioImage, IdentificationAreaAndFlags) {
    Fixture f;
    f.work.settings.Model.ModelName = "ZT-OLD"; // the current model counts, not the document's
    f.encode();
    EXPECT_EQ(At(f.img, 0x21F0, 16),
              Bytes({'Z', 'R', '2', '4', '5', '0', 2, 0xFF, 'V', '3', '0', '0', 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(f.work.settings.Model.ModelName.trimmed(), "ZT-OLD");

    f.img[0x21FC] = 0x0A; // bits 3 and 1
    DocumentCopy back;
    DecodedIdent ident;
    const RadioFlags flags = DecodeRadioImage(f.img, back, &ident);
    EXPECT_EQ(flags, RadioFlags({true, false, true, false}));
    EXPECT_EQ(ident.model, "ZT-450E");
    EXPECT_EQ(ident.bandCode, 0);
    EXPECT_EQ(back.settings.Model.ModelName.trimmed(), "ZT-450E");

    Fixture other;
    other.app.ModelNameText = "ZT-450";
    other.app.BandText = "430 - 450 MHz";
    other.encode();
    EXPECT_EQ(At(other.img, 0x21F0, 7), Bytes({'Z', 'T', '-', '4', '5', '0', 1}));
}

TEST(RadioImage, SettingsFieldsByteExact) {
    Fixture f;
    SettingsRecord& s = f.work.settings;
    FeatureBlock& ft = s.Options.Features;
    ft.TotTime = 40;
    ft.ChannelGroup = 3;
    ft.FreqEditable = 1;
    ft.GroupChan[0] = 0;
    ft.GroupChan[1] = 5;
    ft.GroupChan[22] = 1;
    ft.GroupFlag[3] = 1;
    ft.ResetMode = {7, 0, 1, 12, 9, 3};
    ft.PowerOnText = "        rv2180 ";
    s.GroupNames[0] = "AB";
    s.GroupNames[1] = "U-E";
    s.Options.EmbeddedMessage[2] = "HELLO";
    s.Options.Dtmf.SideTone = 1;
    s.Options.Dtmf.DtmfRate = 4;
    auto& code = s.Options.Dtmf.CodeList[0];
    code.Code = "12*#";
    code.Len = 4;
    auto& padded = s.Options.Dtmf.CodeList[1];
    padded.Code = "9";
    padded.Len = 3; // shorter text than its length: padded with 0
    auto& tooLong = s.Options.Dtmf.CodeList[2];
    tooLong.Code = "123";
    tooLong.Len = 17; // treated as 0
    for (int k = 0; k < 14; ++k)
        s.ToneTips[1].Steps[static_cast<std::size_t>(k)] = {static_cast<i16>(k + 1),
                                                            static_cast<i16>(100 + k)};
    s.ToneTips[1].Repeat = 2;
    s.ToneTips[1].Interval = 77;
    f.encode();

    EXPECT_EQ(At(f.img, 0x2170, 4), Bytes({2, 1, 3, 0}));
    EXPECT_EQ(f.img[0x2179], 4);
    EXPECT_EQ(f.img[0x217F], 1);
    EXPECT_EQ(f.img[0x2408], 0xFF); // group 0 first: none
    EXPECT_EQ(f.img[0x2414], 4);    // group 0 second: channel 5
    EXPECT_EQ(f.img[0x2408 + 11], 0);
    EXPECT_EQ(f.img[0x242C + 1], 1);
    EXPECT_EQ(At(f.img, 0x2400, 6), Bytes({7, 0xFF, 1, 11, 9, 2}));
    EXPECT_EQ(At(f.img, 0x21E0, 16),
              Bytes({' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', 'r', 'v', '2', '1', '8', '0', 0, 0}));
    EXPECT_EQ(At(f.img, 0x2140, 6), Bytes({'A', 'B', ' ', 'U', '-', 'E'}));
    EXPECT_EQ(At(f.img, 0x21C0, 6), Bytes({'H', 'E', 'L', 'L', 'O', 0}));
    Bytes dtmf{0x01, 0x02, 0x0E, 0x0F};
    dtmf.resize(16, 0xFF);
    EXPECT_EQ(At(f.img, 0x2200, 16), dtmf);
    EXPECT_EQ(At(f.img, 0x2210, 4), Bytes({9, 0, 0, 0xFF}));
    EXPECT_EQ(At(f.img, 0x2220, 16), Bytes(16, 0xFF));
    // Tone tip 2: even-indexed values (tones), then odd-indexed (lengths), repeat, interval.
    EXPECT_EQ(At(f.img, 0x2300 + 30, 3), Bytes({1, 2, 3}));
    EXPECT_EQ(At(f.img, 0x2300 + 30 + 14, 3), Bytes({100, 101, 102}));
    EXPECT_EQ(At(f.img, 0x2300 + 30 + 28, 2), Bytes({2, 77}));

    DocumentCopy back;
    DecodeRadioImage(f.img, back);
    const FeatureBlock& bt = back.settings.Options.Features;
    EXPECT_EQ(bt.TotTime, 30); // 40 s travels as 2 units of 15 s
    EXPECT_EQ(bt.GroupChan, ft.GroupChan);
    EXPECT_EQ(bt.GroupFlag, ft.GroupFlag);
    EXPECT_EQ(bt.ResetMode, ft.ResetMode);
    EXPECT_EQ(bt.PowerOnText.trimmed(), "        rv2180");
    EXPECT_EQ(back.settings.GroupNames[0].trimmed(), "AB");
    EXPECT_EQ(back.settings.GroupNames[1].raw(), "U-E");
    EXPECT_EQ(back.settings.Options.EmbeddedMessage[2].trimmed(), "HELLO");
    EXPECT_EQ(back.settings.Options.Dtmf.CodeList[0].Code.trimmed(), "12*#");
    EXPECT_EQ(back.settings.Options.Dtmf.CodeList[0].Len, 4);
    EXPECT_EQ(back.settings.Options.Dtmf.CodeList[1].Code.trimmed(), "900");
    EXPECT_EQ(back.settings.Options.Dtmf.CodeList[2].Len, 0);
    EXPECT_EQ(back.settings.ToneTips[1], s.ToneTips[1]);
}

TEST(RadioImage, TextsStopAtTheirStopBytes) {
    RadioImage img;
    ClearRadioImage(img);
    const Bytes names{'A', 0x00, 'Z', 'B', 'C', 'D'}; // group 0 stops at NUL, group 1 fills its width
    std::copy(names.begin(), names.end(), img.begin() + 0x2140);
    const Bytes msg{'H', 'I', 0x00, 'X', 0xFF}; // an embedded message stops only at 0xFF
    std::copy(msg.begin(), msg.end(), img.begin() + 0x21A0);
    const Bytes power{'O', 'N', 0xFF};
    std::copy(power.begin(), power.end(), img.begin() + 0x21E0);
    DocumentCopy back;
    DecodeRadioImage(img, back);
    EXPECT_EQ(back.settings.GroupNames[0].trimmed(), "A");
    EXPECT_EQ(back.settings.GroupNames[1].raw(), "BCD");
    EXPECT_EQ(back.settings.Options.EmbeddedMessage[0].trimmed(), "HI");
    EXPECT_EQ(back.settings.Options.Features.PowerOnText.trimmed(), "ON");
    EXPECT_EQ(back.settings.Options.Dtmf.CodeList[0].Len, 0); // erased code
}

TEST(RadioImage, VfoTonesUseTheLongListBothWays) {
    // Positions beyond 63 differ between the two lists; the VFO keeps its own positions.
    struct Case {
        int index;
        std::uint16_t code;
        const char* text;
    };
    const Case cases[] = {{0, 0xFFFF, "OFF"},    {1, 670, "67.0"},     {50, 2541, "254.1"},
                          {51, 0xD00F, "017N"},  {64, 0xD02D, "055N"}, {166, 0xD1F5, "765N"},
                          {167, 0x800F, "017I"}, {282, 0x81F5, "765I"}};
    ASSERT_EQ(VfoToneList().size(), 283u);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        EXPECT_EQ(VfoToneList()[static_cast<std::size_t>(c.index)], c.text);
        Fixture f;
        f.work.settings.Options.Features.VfoChannel.DecodeTone = static_cast<i16>(c.index);
        f.work.settings.Options.Features.VfoChannel.EncodeTone = static_cast<i16>(c.index);
        f.encode();
        EXPECT_EQ(At(f.img, 0x2190, 4),
                  Bytes({static_cast<std::uint8_t>(c.code >> 8), static_cast<std::uint8_t>(c.code & 0xFF),
                         static_cast<std::uint8_t>(c.code >> 8), static_cast<std::uint8_t>(c.code & 0xFF)}));
        DocumentCopy back;
        DecodeRadioImage(f.img, back);
        EXPECT_EQ(back.settings.Options.Features.VfoChannel.DecodeTone, c.index);
        EXPECT_EQ(back.settings.Options.Features.VfoChannel.EncodeTone, c.index);
    }
    EXPECT_EQ(VfoToneToCode(283), 0xFFFF);
    EXPECT_EQ(VfoCodeToTone(0x0123), 0); // 29.1 Hz is no list entry
    EXPECT_EQ(VfoCodeToTone(0xD000 + 0777), 0);
}

TEST(RadioImage, EncodeDecodeEncodeIsStable) {
    Fixture f;
    for (int n = 1; n <= 481; n += 7) {
        ChannelRecord& r = f.add(n, n % 2 ? "02761125" : "02896500");
        r.DecodeTone = static_cast<i16>(n % 265);
        r.EncodeTone = static_cast<i16>((n * 3) % 265);
        r.Mode = n % 2;
        r.RogerBeep = static_cast<i16>(n % 9);
        r.ScanSkip = n % 3 == 0;
        r.CallCode = static_cast<i16>(n % 200);
    }
    f.add(481, "02700000"); // a read always brings the VFO entry
    f.encode();
    DocumentCopy back;
    DecodeRadioImage(f.img, back);
    RadioImage again;
    ClearRadioImage(again);
    EncodeRadioImage(f.app, back, again);
    EXPECT_EQ(again, f.img);
}

// Every field of a channel slot's packed bytes 5 and 10..14 set alone, all others clear: the byte
// it lives in holds exactly its bits, and those bits alone decode to exactly that field. Bytes
// 10..14 are laid out the same in the VFO settings at 0x2194..0x2198. A wide field is tried with
// its lowest and highest bit and all bits, so a wrong position or mask width shows.
TEST(RadioImage, SlotFieldsEachAloneBothWays) {
    struct Case {
        const char* name;
        i16 ChannelRecord::*field;
        i16 value;
        int byte;
        std::uint8_t stored;
    };
    const Case cases[] = {
        {"FmPower", &ChannelRecord::FmPower, 1, 5, 0x01},
        {"FmPowerLock", &ChannelRecord::FmPowerLock, 1, 5, 0x02},
        {"AmPower", &ChannelRecord::AmPower, 1, 5, 0x08},
        {"AmPowerLock", &ChannelRecord::AmPowerLock, 1, 5, 0x10},
        {"Mode", &ChannelRecord::Mode, 1, 5, 0x20},
        {"ModeLock", &ChannelRecord::ModeLock, 1, 5, 0x40},
        {"RxExpander", &ChannelRecord::RxExpander, 1, 10, 0x01},
        {"TxCompressor", &ChannelRecord::TxCompressor, 1, 10, 0x02},
        {"NbAnl", &ChannelRecord::NbAnl, 1, 10, 0x04},
        {"Att", &ChannelRecord::Att, 1, 10, 0x08},
        {"HiCut", &ChannelRecord::HiCut, 1, 10, 0x10},
        {"Tsq", &ChannelRecord::Tsq, 1, 10, 0x20},
        {"BusyLock", &ChannelRecord::BusyLock, 1, 10, 0x40},
        {"BusyLock", &ChannelRecord::BusyLock, 2, 10, 0x80},
        {"BusyLock", &ChannelRecord::BusyLock, 3, 10, 0xC0},
        {"RogerBeep", &ChannelRecord::RogerBeep, 1, 11, 0x01},
        {"RogerBeep", &ChannelRecord::RogerBeep, 8, 11, 0x08},
        {"RogerBeep", &ChannelRecord::RogerBeep, 15, 11, 0x0F},
        {"SquelchMode", &ChannelRecord::SquelchMode, 1, 11, 0x10},
        {"SquelchMode", &ChannelRecord::SquelchMode, 8, 11, 0x80},
        {"SquelchMode", &ChannelRecord::SquelchMode, 15, 11, 0xF0},
        {"PttIdBot", &ChannelRecord::PttIdBot, 1, 12, 0x01},
        {"PttIdBot", &ChannelRecord::PttIdBot, 16, 12, 0x10},
        {"PttIdBot", &ChannelRecord::PttIdBot, 31, 12, 0x1F},
        {"RepLock", &ChannelRecord::RepLock, 1, 12, 0x20},
        {"Rep", &ChannelRecord::Rep, 1, 12, 0x40},
        {"Rep", &ChannelRecord::Rep, 2, 12, 0x80},
        {"Rep", &ChannelRecord::Rep, 3, 12, 0xC0},
        {"PttIdEot", &ChannelRecord::PttIdEot, 1, 13, 0x01},
        {"PttIdEot", &ChannelRecord::PttIdEot, 255, 13, 0xFF},
        {"CallCode", &ChannelRecord::CallCode, 1, 14, 0x01},
        {"CallCode", &ChannelRecord::CallCode, 255, 14, 0xFF},
    };
    // Slot of channel 2 at 27.000 MHz with every field clear; tone index 0 is the word 0xFFFF.
    const Bytes clear{0x78, 0x69, 0xFF, 0xFF, 0xFF, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0xFF};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.name << " = " << c.value);
        ChannelRecord want;
        want.ChannelNo = 2;
        want.RxFreq = "02700000";
        want.*c.field = c.value;
        Bytes slot = clear;
        slot[static_cast<std::size_t>(c.byte)] = c.stored;

        Fixture f;
        f.add(2, "02700000") = want;
        f.work.settings.Options.Features.VfoChannel.*c.field = c.value;
        f.encode();
        EXPECT_EQ(At(f.img, 0x20, 16), slot);
        if (c.byte >= 10) {
            EXPECT_EQ(At(f.img, 0x2194, 5), Bytes(slot.begin() + 10, slot.begin() + 15));
        }

        // Decoding reads those bytes alone, whatever the encoder made of the field.
        RadioImage img = f.img;
        std::copy(slot.begin(), slot.end(), img.begin() + 0x20);
        std::copy(slot.begin() + 10, slot.begin() + 15, img.begin() + 0x2194);
        DocumentCopy back;
        DecodeRadioImage(img, back);
        EXPECT_EQ(back.channels[0], want);
        ChannelRecord vfo;
        if (c.byte >= 10)
            vfo.*c.field = c.value;
        EXPECT_EQ(back.settings.Options.Features.VfoChannel, vfo);
    }
}

// The option bytes at 0x2170..0x217F, each field alone, both ways. A byte above 127 reads back
// positive; the time-out timer travels in units of 15 s.
TEST(RadioImage, OptionBytesEachAloneBothWays) {
    using Field = i16& (*)(SettingsRecord&);
    const std::pair<int, Field> fields[] = {
        {0x2170, [](SettingsRecord& s) -> i16& { return s.Options.Features.TotTime; }},
        {0x2171, [](SettingsRecord& s) -> i16& { return s.Options.Dtmf.SideTone; }},
        {0x2172, [](SettingsRecord& s) -> i16& { return s.Options.Features.ChannelGroup; }},
        {0x2173, [](SettingsRecord& s) -> i16& { return s.Options.Features.DisplayMode; }},
        {0x2174, [](SettingsRecord& s) -> i16& { return s.Options.Features.BacklightColor; }},
        {0x2175, [](SettingsRecord& s) -> i16& { return s.Options.Features.ScanMode; }},
        {0x2176, [](SettingsRecord& s) -> i16& { return s.Options.Features.ScanResumeTime; }},
        {0x2177, [](SettingsRecord& s) -> i16& { return s.Options.Features.Beep; }},
        {0x2178, [](SettingsRecord& s) -> i16& { return s.Options.Features.PublicData; }},
        {0x2179, [](SettingsRecord& s) -> i16& { return s.Options.Dtmf.DtmfRate; }},
        {0x217A, [](SettingsRecord& s) -> i16& { return s.Options.Dtmf.FirstDigitDelay; }},
        {0x217B, [](SettingsRecord& s) -> i16& { return s.Options.Dtmf.FirstDigitTime; }},
        {0x217C, [](SettingsRecord& s) -> i16& { return s.Options.Dtmf.StarHashTime; }},
        {0x217D, [](SettingsRecord& s) -> i16& { return s.Options.Dtmf.DKeySetting; }},
        {0x217E, [](SettingsRecord& s) -> i16& { return s.Options.Features.PttIdPauseTime; }},
        {0x217F, [](SettingsRecord& s) -> i16& { return s.Options.Features.FreqEditable; }},
    };
    const auto values = [&](SettingsRecord& s) {
        std::vector<int> v;
        for (const auto& [address, field] : fields)
            v.push_back(field(s));
        return v;
    };
    for (const auto& [address, field] : fields) {
        SCOPED_TRACE(testing::Message() << std::hex << address);
        Fixture f;
        field(f.work.settings) = static_cast<i16>(address == 0x2170 ? 0xC5 * 15 : 0xC5);
        const std::vector<int> want = values(f.work.settings);
        Bytes options(16, 0);
        options[static_cast<std::size_t>(address - 0x2170)] = 0xC5;
        f.encode();
        EXPECT_EQ(At(f.img, 0x2170, 16), options);

        std::copy(options.begin(), options.end(), f.img.begin() + 0x2170);
        DocumentCopy back;
        DecodeRadioImage(f.img, back);
        EXPECT_EQ(values(back.settings), want);
    }
}

// Every slot in use: the bitmaps are full up to channel 481 and the whole table comes back.
TEST(RadioImage, EverySlotUsedBothWays) {
    Fixture f;
    for (int n = 1; n <= kMaxChannels; ++n) {
        ChannelRecord& r = f.add(n, n % 2 ? "02761125" : "02896500");
        r.CallCode = static_cast<i16>(n % 256);
        r.ScanSkip = n == kMaxChannels;
    }
    f.encode();
    Bytes used(66, 0);
    std::fill(used.begin(), used.begin() + 60, 0xFF);
    Bytes scanned = used;
    used[60] = 0x01; // channel 481: byte 60, bit 0
    EXPECT_EQ(At(f.img, 0x20F0, 66), used);
    EXPECT_EQ(At(f.img, 0x20A0, 66), scanned);
    EXPECT_EQ(At(f.img, 481 * 16, 2), Bytes({0xDC, 0x6B}));
    EXPECT_EQ(At(f.img, 481 * 16 + 14, 1), Bytes({481 % 256}));

    DocumentCopy back;
    DecodeRadioImage(f.img, back);
    EXPECT_EQ(back.settings.ChannelCount, kMaxChannels);
    EXPECT_EQ(back.channels, f.work.channels);
}

// Decoding a slot's kHz number on its own: a last digit of 1 or 2 marks the 125 Hz x 10 ending.
TEST(RadioImage, KilohertzNumberDecodesWithThe125Rule) {
    const std::pair<unsigned, const char*> cases[] = {
        {27610, "02761000"}, {27611, "02761125"}, {27612, "02761125"}, {27613, "02761300"},
        {27619, "02761900"}, {9990, "00999000"},  {65535, "06553500"},
    };
    for (const auto& [khz, text] : cases) {
        SCOPED_TRACE(khz);
        Fixture f;
        f.add(481, "02700000");
        f.encode();
        f.img[481 * 16] = static_cast<std::uint8_t>(khz & 0xFF);
        f.img[481 * 16 + 1] = static_cast<std::uint8_t>(khz >> 8);
        DocumentCopy back;
        DecodeRadioImage(f.img, back);
        EXPECT_EQ(back.channels[0].RxFreq.raw(), text);
    }
}

// Where a decoded text ends with a NUL: a group name cut short by a stop byte, a message line or
// power-on text of at most 15 characters; a text that fills its field has none.
TEST(RadioImage, DecodedTextsEndWithANulOnlyWhenShort) {
    struct Case {
        const char* name;
        int address;
        std::string bytes;
        std::string (*raw)(const DocumentCopy&);
        std::string want;
    };
    const auto group = [](const DocumentCopy& d) { return d.settings.GroupNames[0].raw(); };
    const auto message = [](const DocumentCopy& d) { return d.settings.Options.EmbeddedMessage[0].raw(); };
    const auto power = [](const DocumentCopy& d) { return d.settings.Options.Features.PowerOnText.raw(); };
    const std::string nul(1, '\0');
    const Case cases[] = {
        {"group name of 2", 0x2140, "AB\xFF", group, "AB" + nul},
        {"group name of 3", 0x2140, "ABC", group, "ABC"},
        {"message of 15", 0x21A0, "ABCDEFGHIJKLMNO\xFF", message, "ABCDEFGHIJKLMNO" + nul},
        {"message of 16", 0x21A0, "ABCDEFGHIJKLMNOP", message, "ABCDEFGHIJKLMNOP"},
        {"message with trailing blanks", 0x21A0, "AB  \xFF", message, "AB" + nul + std::string(13, ' ')},
        {"power-on text of 15", 0x21E0, "ABCDEFGHIJKLMNO" + nul, power, "ABCDEFGHIJKLMNO" + nul},
        {"power-on text of 16", 0x21E0, "ABCDEFGHIJKLMNOP", power, "ABCDEFGHIJKLMNOP"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RadioImage img;
        ClearRadioImage(img);
        std::copy(c.bytes.begin(), c.bytes.end(), img.begin() + c.address);
        DocumentCopy back;
        DecodeRadioImage(img, back);
        EXPECT_EQ(c.raw(back), c.want);
    }
}

// DTMF codes: one hexadecimal digit a byte, star and hash as E and F, 0xFF after the code; a
// length above 16 is no code, a byte of 0x10 or more ends one.
TEST(RadioImage, DtmfCodesBothWays) {
    struct Case {
        const char* code;
        int len;
        Bytes bytes; // the first bytes; the rest of the 16 are 0xFF
        const char* decoded;
    };
    const Case cases[] = {
        {"12*#", 4, {1, 2, 0x0E, 0x0F}, "12*#"},
        {"0123456789ABCD*#", 16, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}, "0123456789ABCD*#"},
        {"9", 3, {9, 0, 0}, "900"},
        {"123", 17, {}, ""},
        {"123", -1, {}, ""},
        {"123", 0, {}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.code << " len " << c.len);
        Bytes stored = c.bytes;
        stored.resize(16, 0xFF);
        Fixture f;
        f.work.settings.Options.Dtmf.CodeList[4] = {static_cast<i16>(c.len), FixedText<16>(c.code)};
        f.encode();
        EXPECT_EQ(At(f.img, 0x2240, 16), stored);

        std::copy(stored.begin(), stored.end(), f.img.begin() + 0x2240);
        DocumentCopy back;
        DecodeRadioImage(f.img, back);
        const DtmfCodeEntry& e = back.settings.Options.Dtmf.CodeList[4];
        EXPECT_EQ(e.Code.trimmed(), c.decoded);
        EXPECT_EQ(e.Len, static_cast<i16>(std::string(c.decoded).size()));
    }
    // A byte of 0x10 ends the code even when digits follow.
    RadioImage img;
    ClearRadioImage(img);
    const Bytes cut{3, 0x10, 4, 5};
    std::copy(cut.begin(), cut.end(), img.begin() + 0x2200);
    DocumentCopy back;
    DecodeRadioImage(img, back);
    EXPECT_EQ(back.settings.Options.Dtmf.CodeList[0].Code.trimmed(), "3");
    EXPECT_EQ(back.settings.Options.Dtmf.CodeList[0].Len, 1);
}

TEST(RadioInfo, TextsRunToTheirFirstNulOrErasedByte) {
    RadioInfoBlock block;
    block.fill(0xFF);
    const std::string area = "05951";
    std::copy(area.begin(), area.end(), block.begin());
    const std::string serial = "AB12  ";
    std::copy(serial.begin(), serial.end(), block.begin() + 0x30);
    block[0x36] = 0x00;
    block[0x37] = 'Q';
    RadioInfoRecord info;
    info.InfoModel = "ZT-450E";
    DecodeRadioInfo(block, info);
    EXPECT_EQ(info.SalesArea, "0595");
    EXPECT_EQ(info.SerialNumber.trimmed(), "AB12");
    EXPECT_EQ(info.HandledBy.trimmed(), "");
    EXPECT_EQ(info.InfoModel, "ZT-450E");
}

// With no stop byte anywhere every field reads its whole width from its own offset.
TEST(RadioInfo, FieldsFillTheirWholeWidthFromTheirOffsets) {
    RadioInfoBlock block;
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<std::uint8_t>('!' + i % 90); // printable, never a blank
    RadioInfoRecord info;
    DecodeRadioInfo(block, info);
    struct Case {
        const char* name;
        std::size_t offset;
        std::size_t width;
        std::string read;
    };
    const Case cases[] = {
        {"SalesArea", 0x00, 4, info.SalesArea},
        {"ProductionBatch", 0x10, 8, info.ProductionBatch.trimmed()},
        {"CustomerCode", 0x20, 4, info.CustomerCode.trimmed()},
        {"SerialNumber", 0x30, 16, info.SerialNumber.trimmed()},
        {"FactoryDate", 0x40, 16, info.FactoryDate.trimmed()},
        {"RepairDate", 0x50, 16, info.RepairDate.trimmed()},
        {"RepairReason", 0x60, 96, info.RepairReason.trimmed()},
        {"DealerCode", 0xC0, 16, info.DealerCode.trimmed()},
        {"StockInDate", 0xD0, 16, info.StockInDate.trimmed()},
        {"SaleDate", 0xE0, 16, info.SaleDate.trimmed()},
        {"HandledBy", 0xF0, 16, info.HandledBy.trimmed()},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.read, std::string(block.begin() + static_cast<long>(c.offset),
                                      block.begin() + static_cast<long>(c.offset + c.width)))
            << c.name;
}

} // namespace
} // namespace zt
