#include "link/radio_image.h"

#include "codec/tone.h"
#include "codec/vfo_tone.h"
#include "model/model_config.h"

#include <algorithm>
#include <string_view>

namespace zt {

namespace {

using u8 = std::uint8_t;

constexpr int kSlotSize = 16;
constexpr int kLastChannel = 481;

u8 Low8(int v) {
    return static_cast<u8>(v & 0xFF);
}

void PutWord(RadioImage& img, int at, std::uint16_t w) {
    img[static_cast<std::size_t>(at)] = static_cast<u8>(w >> 8);
    img[static_cast<std::size_t>(at) + 1] = static_cast<u8>(w & 0xFF);
}

std::uint16_t GetWord(const RadioImage& img, int at) {
    return static_cast<std::uint16_t>(img[static_cast<std::size_t>(at)] << 8 |
                                      img[static_cast<std::size_t>(at) + 1]);
}

u8 Get(const RadioImage& img, int at) {
    return img[static_cast<std::size_t>(at)];
}
void Put(RadioImage& img, int at, u8 v) {
    img[static_cast<std::size_t>(at)] = v;
}

// ---- frequency: whole kHz as 16 bits, low byte first --------------------------------------

// The kHz number of a stored RX text, or -1 when it has none that fits 16 bits.
long FrequencyKhz(std::string_view stored) {
    std::string s = TrimFixed(stored);
    if (s.size() % 2 == 1)
        s += '0';
    if (s.size() < 6)
        s.insert(0, 6 - s.size(), '0');
    s.resize(6);
    long v = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            break; // read as a number: the leading digits count
        v = v * 10 + (c - '0');
    }
    if (v % 10 == 1)
        ++v; // the radio marks a frequency ending in 125 Hz x 10 by a last kHz digit of 2
    return v <= 0xFFFF ? v : -1;
}

std::string FrequencyText(unsigned v) {
    std::string digits = std::to_string(v);
    if (digits.size() < 5)
        digits.insert(0, 5 - digits.size(), '0');
    const char last = digits.back();
    if (last == '1' || last == '2')
        return "0" + digits.substr(0, digits.size() - 1) + "125";
    return "0" + digits + "00";
}

// ---- channel references and texts ---------------------------------------------------------

u8 ChannelRef(int n) {
    return n == 0 ? 0xFF : Low8(n - 1);
}
i16 ChannelFromRef(u8 b) {
    return b == 0xFF ? 0 : static_cast<i16>(b + 1);
}

void PutText(RadioImage& img, int at, int width, std::string_view field, u8 fill) {
    const std::string s = TrimFixed(field);
    for (int i = 0; i < width; ++i)
        Put(img, at + i,
            i < static_cast<int>(s.size()) ? static_cast<u8>(s[static_cast<std::size_t>(i)]) : fill);
}

struct ReadText {
    std::string text;
    bool stopped = false; // a stop byte ended it before the field's end
};

ReadText GetText(const RadioImage& img, int at, int width, bool stopAtNul) {
    ReadText r;
    for (int i = 0; i < width; ++i) {
        const u8 b = Get(img, at + i);
        if (b == 0xFF || (stopAtNul && b == 0x00)) {
            r.stopped = true;
            break;
        }
        r.text += static_cast<char>(b);
    }
    return r;
}

// ---- DTMF codes: one hexadecimal digit a byte, 0xFF after the code -----------------------

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return 0;
}

void PutDtmfCode(RadioImage& img, int at, const DtmfCodeEntry& e) {
    std::string s = e.Code.trimmed();
    std::replace(s.begin(), s.end(), '*', 'E');
    std::replace(s.begin(), s.end(), '#', 'F');
    const int len = (e.Len < 0 || e.Len > 16) ? 0 : e.Len;
    if (static_cast<int>(s.size()) < len)
        s.append(static_cast<std::size_t>(len) - s.size(), '0');
    for (int i = 0; i < 16; ++i)
        Put(img, at + i, i < len ? static_cast<u8>(HexValue(s[static_cast<std::size_t>(i)])) : 0xFF);
}

void GetDtmfCode(const RadioImage& img, int at, DtmfCodeEntry& e) {
    static constexpr char kDigits[] = "0123456789ABCD*#";
    std::string s;
    for (int i = 0; i < 16; ++i) {
        const u8 b = Get(img, at + i);
        if (b >= 0x10)
            break;
        s += kDigits[b];
    }
    e.Len = static_cast<i16>(s.size());
    e.Code = s;
}

// ---- channel slot bytes 5..14 and the VFO settings ---------------------------------------

u8 Bit(int v, int bit) {
    return static_cast<u8>((v & 1) << bit);
}

u8 FlagsByte(const ChannelRecord& r) {
    return Bit(r.RxExpander, 0) | Bit(r.TxCompressor, 1) | Bit(r.NbAnl, 2) | Bit(r.Att, 3) | Bit(r.HiCut, 4) |
           Bit(r.Tsq, 5) | static_cast<u8>((r.BusyLock & 3) << 6);
}
u8 BeepByte(const ChannelRecord& r) {
    return static_cast<u8>((r.RogerBeep & 0x0F) | (r.SquelchMode & 0x0F) << 4);
}
u8 PttByte(const ChannelRecord& r) {
    return static_cast<u8>((r.PttIdBot & 0x1F) | Bit(r.RepLock, 5) | (r.Rep & 3) << 6);
}

void SetFlagsByte(ChannelRecord& r, u8 b) {
    r.RxExpander = b & 1;
    r.TxCompressor = b >> 1 & 1;
    r.NbAnl = b >> 2 & 1;
    r.Att = b >> 3 & 1;
    r.HiCut = b >> 4 & 1;
    r.Tsq = b >> 5 & 1;
    r.BusyLock = b >> 6 & 3;
}
void SetBeepByte(ChannelRecord& r, u8 b) {
    r.RogerBeep = b & 0x0F;
    r.SquelchMode = b >> 4 & 0x0F;
}
void SetPttByte(ChannelRecord& r, u8 b) {
    r.PttIdBot = b & 0x1F;
    r.RepLock = b >> 5 & 1;
    r.Rep = b >> 6 & 3;
}

void PutChannelSlot(RadioImage& img, const ChannelRecord& r) {
    const int at = r.ChannelNo * kSlotSize;
    if (const long khz = FrequencyKhz(r.RxFreq.raw()); khz >= 0 && r.RxFreq.trimmed() != "FFFFFFFF") {
        Put(img, at, Low8(static_cast<int>(khz)));
        Put(img, at + 1, Low8(static_cast<int>(khz >> 8)));
    }
    Put(img, at + 5,
        Bit(r.FmPower, 0) | Bit(r.FmPowerLock, 1) | Bit(r.AmPower, 3) | Bit(r.AmPowerLock, 4) |
            Bit(r.Mode, 5) | Bit(r.ModeLock, 6));
    PutWord(img, at + 6, ToneToCode(r.DecodeTone));
    PutWord(img, at + 8, ToneToCode(r.EncodeTone));
    Put(img, at + 10, FlagsByte(r));
    Put(img, at + 11, BeepByte(r));
    Put(img, at + 12, PttByte(r));
    Put(img, at + 13, Low8(r.PttIdEot));
    Put(img, at + 14, Low8(r.CallCode));
}

void GetChannelSlot(const RadioImage& img, int n, ChannelRecord& r) {
    const int at = n * kSlotSize;
    r.RxFreq = FrequencyText(static_cast<unsigned>(Get(img, at) | Get(img, at + 1) << 8));
    const u8 b5 = Get(img, at + 5);
    r.FmPower = b5 & 1;
    r.FmPowerLock = b5 >> 1 & 1;
    r.AmPower = b5 >> 3 & 1;
    r.AmPowerLock = b5 >> 4 & 1;
    r.Mode = b5 >> 5 & 1;
    r.ModeLock = b5 >> 6 & 1;
    r.DecodeTone = static_cast<i16>(CodeToTone(GetWord(img, at + 6)));
    r.EncodeTone = static_cast<i16>(CodeToTone(GetWord(img, at + 8)));
    SetFlagsByte(r, Get(img, at + 10));
    SetBeepByte(r, Get(img, at + 11));
    SetPttByte(r, Get(img, at + 12));
    r.PttIdEot = Get(img, at + 13);
    r.CallCode = Get(img, at + 14);
}

bool BitmapBit(const RadioImage& img, int base, int s) {
    return (Get(img, base + s / 8) >> (s % 8) & 1) != 0;
}
void SetBitmapBit(RadioImage& img, int base, int s) {
    img[static_cast<std::size_t>(base + s / 8)] |= static_cast<u8>(1 << (s % 8));
}

// Tone tip entry i as 30 byte values: even-indexed values first, then the odd-indexed ones,
// then the repeat count and the interval.
constexpr int ToneTipOffset(int k) {
    return k < 28 ? (k % 2 == 0 ? k / 2 : 14 + k / 2) : k;
}

i16 ToneTipValue(const ToneTipEntry& e, int k) {
    if (k == 28)
        return e.Repeat;
    if (k == 29)
        return e.Interval;
    const auto& step = e.Steps[static_cast<std::size_t>(k / 2)];
    return k % 2 == 0 ? step.Tone : step.Length;
}

void SetToneTipValue(ToneTipEntry& e, int k, i16 v) {
    if (k == 28)
        e.Repeat = v;
    else if (k == 29)
        e.Interval = v;
    else if (k % 2 == 0)
        e.Steps[static_cast<std::size_t>(k / 2)].Tone = v;
    else
        e.Steps[static_cast<std::size_t>(k / 2)].Length = v;
}

} // namespace

void ClearRadioImage(RadioImage& img) {
    img.fill(0xFF);
}

void EncodeRadioImage(const AppState& app, DocumentCopy& work, RadioImage& img) {
    std::fill(img.begin(), img.begin() + addr::kScanBitmap, u8{0xFF});
    std::fill(img.begin() + addr::kScanBitmap, img.begin() + addr::kScanBitmap + addr::kBitmapSize, u8{0});
    std::fill(img.begin() + addr::kUsedBitmap, img.begin() + addr::kUsedBitmap + addr::kBitmapSize, u8{0});
    std::fill(img.begin() + addr::kGroupNames, img.end(), u8{0xFF});

    // Channels, in table order. A number outside 1..481 has no slot in the radio.
    const int count = std::clamp<int>(work.settings.ChannelCount, 0, kMaxChannels);
    for (int i = 0; i < count; ++i) {
        ChannelRecord& r = work.channels[static_cast<std::size_t>(i)];
        const std::string freq = r.RxFreq.trimmed();
        r.IsBlank = (freq.empty() || freq == "FFFFFFFF") ? 1 : 0;
        if (r.ChannelNo < 1 || r.ChannelNo > kLastChannel)
            continue;
        if (r.IsBlank == 0) {
            SetBitmapBit(img, addr::kUsedBitmap, r.ChannelNo - 1);
            if (r.ScanSkip == 0)
                SetBitmapBit(img, addr::kScanBitmap, r.ChannelNo - 1);
        }
        PutChannelSlot(img, r);
    }

    // Identification: the radio knows this model as "ZR2450" with code 2.
    StoreModelInfo(app, work.settings);
    const ModelInfo& model = work.settings.Model;
    const bool ours = model.ModelName.trimmed() == "ZT-450E";
    PutText(img, addr::kIdent, 6, ours ? std::string("ZR2450") : model.ModelName.raw(), 0x00);
    Put(img, addr::kIdentVariant, ours ? u8{2} : Low8(model.BandCode));
    PutText(img, addr::kIdentVersion, 4, "V300", 0x00);

    const FeatureBlock& f = work.settings.Options.Features;
    const DtmfBlock& d = work.settings.Options.Dtmf;
    const int o = addr::kOptions;
    Put(img, o + 0x0, Low8(f.TotTime / 15));
    Put(img, o + 0x1, Low8(d.SideTone));
    Put(img, o + 0x2, Low8(f.ChannelGroup));
    Put(img, o + 0x3, Low8(f.DisplayMode));
    Put(img, o + 0x4, Low8(f.BacklightColor));
    Put(img, o + 0x5, Low8(f.ScanMode));
    Put(img, o + 0x6, Low8(f.ScanResumeTime));
    Put(img, o + 0x7, Low8(f.Beep));
    Put(img, o + 0x8, Low8(f.PublicData));
    Put(img, o + 0x9, Low8(d.DtmfRate));
    Put(img, o + 0xA, Low8(d.FirstDigitDelay));
    Put(img, o + 0xB, Low8(d.FirstDigitTime));
    Put(img, o + 0xC, Low8(d.StarHashTime));
    Put(img, o + 0xD, Low8(d.DKeySetting));
    Put(img, o + 0xE, Low8(f.PttIdPauseTime));
    Put(img, o + 0xF, Low8(f.FreqEditable));

    for (int g = 0; g < 12; ++g) {
        Put(img, addr::kGroupChan + g, ChannelRef(f.GroupChan[static_cast<std::size_t>(2 * g)]));
        Put(img, addr::kGroupChan + 12 + g, ChannelRef(f.GroupChan[static_cast<std::size_t>(2 * g + 1)]));
        Put(img, addr::kGroupFlag + g, Low8(f.GroupFlag[static_cast<std::size_t>(2 * g)]));
        Put(img, addr::kGroupFlag + 12 + g, Low8(f.GroupFlag[static_cast<std::size_t>(2 * g + 1)]));
    }
    for (int j = 0; j < 6; ++j) {
        const int v = f.ResetMode[static_cast<std::size_t>(j)];
        Put(img, addr::kResetMode + j, j % 2 == 1 ? ChannelRef(v) : Low8(v));
    }
    PutText(img, addr::kPowerOnText, 16, f.PowerOnText.raw(), 0x00);

    const ChannelRecord& vfo = f.VfoChannel;
    PutWord(img, addr::kVfo, VfoToneToCode(vfo.DecodeTone));
    PutWord(img, addr::kVfo + 2, VfoToneToCode(vfo.EncodeTone));
    Put(img, addr::kVfo + 4, FlagsByte(vfo));
    Put(img, addr::kVfo + 5, BeepByte(vfo));
    Put(img, addr::kVfo + 6, PttByte(vfo));
    Put(img, addr::kVfo + 7, Low8(vfo.PttIdEot));
    Put(img, addr::kVfo + 8, Low8(vfo.CallCode));

    for (int k = 0; k < 16; ++k)
        PutDtmfCode(img, addr::kDtmfCodes + 16 * k, d.CodeList[static_cast<std::size_t>(k)]);
    for (int m = 0; m < 4; ++m)
        PutText(img, addr::kEmbeddedMessage + 16 * m, 16,
                work.settings.Options.EmbeddedMessage[static_cast<std::size_t>(m)].raw(), 0x00);
    for (int g = 0; g < 12; ++g)
        PutText(img, addr::kGroupNames + 3 * g, 3,
                work.settings.GroupNames[static_cast<std::size_t>(g)].raw(), 0x20);
    for (int i = 0; i < 8; ++i) {
        const ToneTipEntry& e = work.settings.ToneTips[static_cast<std::size_t>(i)];
        for (int k = 0; k < 30; ++k)
            Put(img, addr::kToneTips + 30 * i + ToneTipOffset(k), Low8(ToneTipValue(e, k)));
    }
}

RadioFlags DecodeRadioImage(const RadioImage& img, DocumentCopy& work, DecodedIdent* identOut) {
    // Channels: every slot marked used, and always channel 481, in ascending order.
    int count = 0;
    for (int s = 0; s < kLastChannel; ++s) {
        if (!BitmapBit(img, addr::kUsedBitmap, s) && s != kLastChannel - 1)
            continue;
        ChannelRecord& r = work.channels[static_cast<std::size_t>(count++)];
        r.ChannelNo = static_cast<i16>(s + 1);
        r.IsBlank = 0;
        r.ScanSkip = BitmapBit(img, addr::kScanBitmap, s) ? 0 : 1;
        GetChannelSlot(img, s + 1, r);
    }
    work.settings.ChannelCount = static_cast<i16>(count);

    // Identification.
    const ReadText id = GetText(img, addr::kIdent, 6, true);
    DecodedIdent ident{id.text, Get(img, addr::kIdentVariant)};
    if (ident.model == "ZR2450" && ident.bandCode == 2)
        ident = {"ZT-450E", 0};
    work.settings.Model.ModelName = ident.model + std::string(1, '\0');
    work.settings.Model.BandCode = ident.bandCode;
    if (identOut)
        *identOut = ident;

    FeatureBlock& f = work.settings.Options.Features;
    DtmfBlock& d = work.settings.Options.Dtmf;
    const int o = addr::kOptions;
    f.TotTime = static_cast<i16>(Get(img, o + 0x0) * 15);
    d.SideTone = Get(img, o + 0x1);
    f.ChannelGroup = Get(img, o + 0x2);
    f.DisplayMode = Get(img, o + 0x3);
    f.BacklightColor = Get(img, o + 0x4);
    f.ScanMode = Get(img, o + 0x5);
    f.ScanResumeTime = Get(img, o + 0x6);
    f.Beep = Get(img, o + 0x7);
    f.PublicData = Get(img, o + 0x8);
    d.DtmfRate = Get(img, o + 0x9);
    d.FirstDigitDelay = Get(img, o + 0xA);
    d.FirstDigitTime = Get(img, o + 0xB);
    d.StarHashTime = Get(img, o + 0xC);
    d.DKeySetting = Get(img, o + 0xD);
    f.PttIdPauseTime = Get(img, o + 0xE);
    f.FreqEditable = Get(img, o + 0xF);

    for (int g = 0; g < 12; ++g) {
        f.GroupChan[static_cast<std::size_t>(2 * g)] = ChannelFromRef(Get(img, addr::kGroupChan + g));
        f.GroupChan[static_cast<std::size_t>(2 * g + 1)] =
            ChannelFromRef(Get(img, addr::kGroupChan + 12 + g));
        f.GroupFlag[static_cast<std::size_t>(2 * g)] = Get(img, addr::kGroupFlag + g) != 0 ? 1 : 0;
        f.GroupFlag[static_cast<std::size_t>(2 * g + 1)] = Get(img, addr::kGroupFlag + 12 + g) != 0 ? 1 : 0;
    }
    for (int j = 0; j < 6; ++j) {
        const u8 b = Get(img, addr::kResetMode + j);
        f.ResetMode[static_cast<std::size_t>(j)] = j % 2 == 1 ? ChannelFromRef(b) : static_cast<i16>(b);
    }
    {
        const ReadText t = GetText(img, addr::kPowerOnText, 16, true);
        f.PowerOnText = t.text.size() <= 15 ? t.text + std::string(1, '\0') : t.text;
    }

    ChannelRecord& vfo = f.VfoChannel;
    vfo.DecodeTone = static_cast<i16>(VfoCodeToTone(GetWord(img, addr::kVfo)));
    vfo.EncodeTone = static_cast<i16>(VfoCodeToTone(GetWord(img, addr::kVfo + 2)));
    SetFlagsByte(vfo, Get(img, addr::kVfo + 4));
    SetBeepByte(vfo, Get(img, addr::kVfo + 5));
    SetPttByte(vfo, Get(img, addr::kVfo + 6));
    vfo.PttIdEot = Get(img, addr::kVfo + 7);
    vfo.CallCode = Get(img, addr::kVfo + 8);

    for (int k = 0; k < 16; ++k)
        GetDtmfCode(img, addr::kDtmfCodes + 16 * k, d.CodeList[static_cast<std::size_t>(k)]);
    for (int m = 0; m < 4; ++m) {
        const std::string t = TrimFixed(GetText(img, addr::kEmbeddedMessage + 16 * m, 16, false).text);
        work.settings.Options.EmbeddedMessage[static_cast<std::size_t>(m)] =
            t.size() <= 15 ? t + std::string(1, '\0') : t;
    }
    for (int g = 0; g < 12; ++g) {
        const ReadText t = GetText(img, addr::kGroupNames + 3 * g, 3, true);
        work.settings.GroupNames[static_cast<std::size_t>(g)] =
            t.stopped ? t.text + std::string(1, '\0') : t.text;
    }
    for (int i = 0; i < 8; ++i) {
        ToneTipEntry& e = work.settings.ToneTips[static_cast<std::size_t>(i)];
        for (int k = 0; k < 30; ++k)
            SetToneTipValue(e, k, Get(img, addr::kToneTips + 30 * i + ToneTipOffset(k)));
    }

    const u8 flags = Get(img, addr::kRadioFlags);
    return {(flags & 0x08) != 0, (flags & 0x04) != 0, (flags & 0x02) != 0, (flags & 0x01) != 0};
}

} // namespace zt
