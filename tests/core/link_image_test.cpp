// The radio image codec: byte-exact fields against hand-computed images, and round trips.
#include "codec/vfo_tone.h"
#include "link/radio_image.h"
#include "link/radio_info.h"

#include <gtest/gtest.h>

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

    ChannelRecord& add(int n, const char* freq) {
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
        const char* stored;
        Bytes bytes;
        const char* decoded;
    };
    const Case cases[] = {
        {"02761125", {0xDC, 0x6B}, "02761125"}, // 27611 -> 27612
        {"02761200", {0xDC, 0x6B}, "02761125"}, // a whole-kHz 2 reads back as 125 below it
        {"02696500", {0x55, 0x69}, "02696500"},
        {"02761500", {0xDF, 0x6B}, "02761500"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
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

} // namespace
} // namespace zt
