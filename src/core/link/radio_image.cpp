// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/radio_image.h"

#include "codec/tone.h"
#include "codec/vfo_tone.h"
#include "model/model_config.h"

#include <algorithm>
#include <map>
#include <set>
#include <string_view>
#include <tuple>

// The memory map is described once: tables of byte and bit fields (address, shift, width, record
// field) and one walk per area that names every field's place and kind. The encoder and the
// decoder are two directions given to the same walks, so a field cannot be written one way and
// read another.

namespace zt {

namespace {

using u8 = std::uint8_t;

constexpr int kSlotSize = 16;
constexpr int kLastChannel = 481;

u8 Low8(int v) {
    return static_cast<u8>(v & 0xFF);
}

u8 Get(const RadioImage& img, int at) {
    return img[static_cast<std::size_t>(at)];
}
void Put(RadioImage& img, int at, u8 v) {
    img[static_cast<std::size_t>(at)] = v;
}

// Tone words are stored high byte first; frequencies low byte first.
void PutU16Be(RadioImage& img, int at, std::uint16_t w) {
    Put(img, at, static_cast<u8>(w >> 8));
    Put(img, at + 1, static_cast<u8>(w & 0xFF));
}
std::uint16_t GetU16Be(const RadioImage& img, int at) {
    return static_cast<std::uint16_t>(Get(img, at) << 8 | Get(img, at + 1));
}
void PutU16Le(RadioImage& img, int at, std::uint16_t w) {
    Put(img, at, static_cast<u8>(w & 0xFF));
    Put(img, at + 1, static_cast<u8>(w >> 8));
}
std::uint16_t GetU16Le(const RadioImage& img, int at) {
    return static_cast<std::uint16_t>(Get(img, at) | Get(img, at + 1) << 8);
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

// Tone tip entry i as 30 byte values: even-indexed values first, then the odd-indexed ones,
// then the repeat count and the interval.
constexpr int ToneTipOffset(int k) {
    return k < 28 ? (k % 2 == 0 ? k / 2 : 14 + k / 2) : k;
}

// ---- the tables ----------------------------------------------------------------------------

// A value held in `width` bits from bit `shift` of the byte at `offset` (from an area's base),
// stored divided by `scale`. Bits of an owned byte that no field holds are written 0.
template <class Rec> struct ByteField {
    int offset;
    int shift;
    int width;
    i16 Rec::*field;
    const char* name; // the record field's name, for naming a byte that differs (see MemoryMap)
    int scale = 1;
    constexpr int mask() const { return (1 << width) - 1; }
};

// A record field and its name, written once.
#define ZT_FIELD(Rec, f) &Rec::f, #f

using ChannelField = ByteField<ChannelRecord>;

// Byte 5 of a channel slot: power and mode, each with its lock.
constexpr ChannelField kSlotPowerByte[] = {
    {5, 0, 1, ZT_FIELD(ChannelRecord, FmPower)}, {5, 1, 1, ZT_FIELD(ChannelRecord, FmPowerLock)},
    {5, 3, 1, ZT_FIELD(ChannelRecord, AmPower)}, {5, 4, 1, ZT_FIELD(ChannelRecord, AmPowerLock)},
    {5, 5, 1, ZT_FIELD(ChannelRecord, Mode)},    {5, 6, 1, ZT_FIELD(ChannelRecord, ModeLock)},
};
// The five signalling bytes that a channel slot (from byte 10) and the VFO (from byte 4) share.
constexpr ChannelField kSignalBytes[] = {
    {0, 0, 1, ZT_FIELD(ChannelRecord, RxExpander)},  {0, 1, 1, ZT_FIELD(ChannelRecord, TxCompressor)},
    {0, 2, 1, ZT_FIELD(ChannelRecord, NbAnl)},       {0, 3, 1, ZT_FIELD(ChannelRecord, Att)},
    {0, 4, 1, ZT_FIELD(ChannelRecord, HiCut)},       {0, 5, 1, ZT_FIELD(ChannelRecord, Tsq)},
    {0, 6, 2, ZT_FIELD(ChannelRecord, BusyLock)},    {1, 0, 4, ZT_FIELD(ChannelRecord, RogerBeep)},
    {1, 4, 4, ZT_FIELD(ChannelRecord, SquelchMode)}, {2, 0, 5, ZT_FIELD(ChannelRecord, PttIdBot)},
    {2, 5, 1, ZT_FIELD(ChannelRecord, RepLock)},     {2, 6, 2, ZT_FIELD(ChannelRecord, Rep)},
    {3, 0, 8, ZT_FIELD(ChannelRecord, PttIdEot)},    {4, 0, 8, ZT_FIELD(ChannelRecord, CallCode)},
};
constexpr int kSlotSignalBytes = 10;
constexpr int kVfoSignalBytes = 4;

// The option bytes from addr::kOptions, one a field.
constexpr ByteField<FeatureBlock> kFeatureBytes[] = {
    {0x0, 0, 8, ZT_FIELD(FeatureBlock, TotTime), 15},    {0x2, 0, 8, ZT_FIELD(FeatureBlock, ChannelGroup)},
    {0x3, 0, 8, ZT_FIELD(FeatureBlock, DisplayMode)},    {0x4, 0, 8, ZT_FIELD(FeatureBlock, BacklightColor)},
    {0x5, 0, 8, ZT_FIELD(FeatureBlock, ScanMode)},       {0x6, 0, 8, ZT_FIELD(FeatureBlock, ScanResumeTime)},
    {0x7, 0, 8, ZT_FIELD(FeatureBlock, Beep)},           {0x8, 0, 8, ZT_FIELD(FeatureBlock, PublicData)},
    {0xE, 0, 8, ZT_FIELD(FeatureBlock, PttIdPauseTime)}, {0xF, 0, 8, ZT_FIELD(FeatureBlock, FreqEditable)},
};
constexpr ByteField<DtmfBlock> kDtmfBytes[] = {
    {0x1, 0, 8, ZT_FIELD(DtmfBlock, SideTone)},        {0x9, 0, 8, ZT_FIELD(DtmfBlock, DtmfRate)},
    {0xA, 0, 8, ZT_FIELD(DtmfBlock, FirstDigitDelay)}, {0xB, 0, 8, ZT_FIELD(DtmfBlock, FirstDigitTime)},
    {0xC, 0, 8, ZT_FIELD(DtmfBlock, StarHashTime)},    {0xD, 0, 8, ZT_FIELD(DtmfBlock, DKeySetting)},
};

// Each table's fields lie within their byte and share no bit, and the two option tables share no
// byte: a field added on bits another one holds does not compile.
template <class Rec, std::size_t N> constexpr bool FieldsApart(const ByteField<Rec> (&table)[N]) {
    for (std::size_t i = 0; i < N; ++i) {
        const auto& a = table[i];
        if (a.shift < 0 || a.width < 1 || a.shift + a.width > 8)
            return false;
        for (std::size_t j = i + 1; j < N; ++j)
            if (table[j].offset == a.offset && (table[j].mask() << table[j].shift & a.mask() << a.shift) != 0)
                return false;
    }
    return true;
}
template <class A, std::size_t N, class B, std::size_t M>
constexpr bool BytesApart(const ByteField<A> (&a)[N], const ByteField<B> (&b)[M]) {
    for (const auto& x : a)
        for (const auto& y : b)
            if (x.offset == y.offset)
                return false;
    return true;
}
static_assert(FieldsApart(kSlotPowerByte) && FieldsApart(kSignalBytes));
static_assert(FieldsApart(kFeatureBytes) && FieldsApart(kDtmfBytes) && BytesApart(kFeatureBytes, kDtmfBytes));

// A tone word (high byte first) and the table that maps it to the record's tone index: channels
// and the VFO have tone lists of their own.
struct ToneCodec {
    std::uint16_t (*toCode)(int index);
    int (*toTone)(std::uint16_t code);
};
constexpr ToneCodec kChannelTones{ToneToCode, CodeToTone};
constexpr ToneCodec kVfoTones{VfoToneToCode, VfoCodeToTone};

// How a text field is stored: blank-trimmed and padded with `fill`; read up to 0xFF (and 0x00
// when `stopAtNul`), blank-trimmed again when `trim`, and NUL-ended when shorter than the field.
struct TextRule {
    int width;
    u8 fill;
    bool stopAtNul;
    bool trim;
};
constexpr TextRule kPowerOnRule{16, 0x00, true, false};
constexpr TextRule kEmbeddedRule{16, 0x00, false, true};
constexpr TextRule kGroupNameRule{3, 0x20, true, false};
constexpr TextRule kIdentRule{6, 0x00, true, false};
constexpr TextRule kIdentVersionRule{4, 0x00, true, false};

// ---- the directions -------------------------------------------------------------------------

// The name of what a walk step holds: a record field, and its element (1..) in a list of them.
struct Name {
    const char* field;
    int index = -1; // -1: not a list
};

// Record -> image.
struct Encode {
    RadioImage& img;

    void section(int, const char*) {}

    template <class Rec, std::size_t N>
    void fields(int base, const Rec& r, const ByteField<Rec> (&table)[N]) {
        for (const auto& f : table)
            Put(img, base + f.offset, 0);
        for (const auto& f : table)
            img[static_cast<std::size_t>(base + f.offset)] |=
                static_cast<u8>(((r.*f.field / f.scale) & f.mask()) << f.shift);
    }
    void byte(int at, const i16& v, Name) { Put(img, at, Low8(v)); }
    void flag(int at, const i16& v, Name) { Put(img, at, Low8(v)); }
    // A channel number as a reference byte: 0xFF for none, else the number less one.
    void ref(int at, const i16& n, Name) { Put(img, at, n == 0 ? 0xFF : Low8(n - 1)); }
    void tone(int at, const i16& index, const ToneCodec& c, Name) { PutU16Be(img, at, c.toCode(index)); }
    template <std::size_t N> void text(int at, const FixedText<N>& field, const TextRule& rule, Name) {
        putText(at, field.raw(), rule);
    }
    void putText(int at, std::string_view field, const TextRule& rule) {
        const std::string s = TrimFixed(field);
        for (int i = 0; i < rule.width; ++i)
            Put(img, at + i,
                i < static_cast<int>(s.size()) ? static_cast<u8>(s[static_cast<std::size_t>(i)]) : rule.fill);
    }
    // A slot whose text holds no frequency that fits keeps the erased bytes.
    void frequency(int at, const FixedText<8>& rx, Name) {
        if (const long khz = FrequencyKhz(rx.raw()); khz >= 0 && rx.trimmed() != "FFFFFFFF")
            PutU16Le(img, at, static_cast<std::uint16_t>(khz));
    }
    void dtmf(int at, const DtmfCodeEntry& e, Name) { PutDtmfCode(img, at, e); }
};

// Image -> record.
struct Decode {
    const RadioImage& img;

    void section(int, const char*) {}

    template <class Rec, std::size_t N> void fields(int base, Rec& r, const ByteField<Rec> (&table)[N]) {
        for (const auto& f : table)
            r.*f.field = static_cast<i16>((Get(img, base + f.offset) >> f.shift & f.mask()) * f.scale);
    }
    void byte(int at, i16& v, Name) { v = Get(img, at); }
    void flag(int at, i16& v, Name) { v = Get(img, at) != 0 ? 1 : 0; }
    void ref(int at, i16& n, Name) {
        const u8 b = Get(img, at);
        n = b == 0xFF ? 0 : static_cast<i16>(b + 1);
    }
    void tone(int at, i16& index, const ToneCodec& c, Name) {
        index = static_cast<i16>(c.toTone(GetU16Be(img, at)));
    }
    template <std::size_t N> void text(int at, FixedText<N>& field, const TextRule& rule, Name) {
        std::string t = readText(at, rule);
        if (rule.trim)
            t = TrimFixed(t);
        field = static_cast<int>(t.size()) < rule.width ? t + std::string(1, '\0') : t;
    }
    std::string readText(int at, const TextRule& rule) const {
        std::string t;
        for (int i = 0; i < rule.width; ++i) {
            const u8 b = Get(img, at + i);
            if (b == 0xFF || (rule.stopAtNul && b == 0x00))
                break;
            t += static_cast<char>(b);
        }
        return t;
    }
    void frequency(int at, FixedText<8>& rx, Name) { rx = FrequencyText(GetU16Le(img, at)); }
    void dtmf(int at, DtmfCodeEntry& e, Name) { GetDtmfCode(img, at, e); }
};

// Names every bit of the memory that a field holds: the map of MemoryMap. Each distinct field gets
// a number, and its name is kept once (the map refers to it), so that comparing two memories that
// differ everywhere allocates nothing per byte.
struct Describe {
    std::vector<std::vector<MemoryBits>>& map;
    std::set<std::string>& names;
    std::map<std::tuple<int, std::string_view, int>, int>& ids;
    int channel = 0;
    const char* prefix = "";

    void section(int ch, const char* p) {
        channel = ch;
        prefix = p;
    }
    void add(int at, std::uint8_t mask, int ch, std::string_view field, int index) {
        const std::string_view name = *names.insert(std::string(field)).first;
        const auto id =
            ids.emplace(std::make_tuple(ch, name, index), static_cast<int>(ids.size())).first->second;
        map[static_cast<std::size_t>(at)].push_back({mask, {ch, name, index}, id});
    }
    void mark(int at, int width, std::uint8_t mask, Name n) {
        for (int i = 0; i < width; ++i)
            add(at + i, mask, channel, std::string(prefix) + n.field, n.index);
    }
    template <class Rec, std::size_t N> void fields(int base, const Rec&, const ByteField<Rec> (&table)[N]) {
        for (const auto& f : table)
            mark(base + f.offset, 1, static_cast<std::uint8_t>(f.mask() << f.shift), {f.name});
    }
    void byte(int at, const i16&, Name n) { mark(at, 1, 0xFF, n); }
    void flag(int at, const i16&, Name n) { mark(at, 1, 0xFF, n); }
    void ref(int at, const i16&, Name n) { mark(at, 1, 0xFF, n); }
    void tone(int at, const i16&, const ToneCodec&, Name n) { mark(at, 2, 0xFF, n); }
    template <std::size_t N> void text(int at, const FixedText<N>&, const TextRule& rule, Name n) {
        mark(at, rule.width, 0xFF, n);
    }
    void frequency(int at, const FixedText<8>&, Name n) { mark(at, 2, 0xFF, n); }
    void dtmf(int at, const DtmfCodeEntry&, Name n) { mark(at, 16, 0xFF, n); }
};

// ---- the walks: every field of the memory map, in one place ---------------------------------

// Which element of an entry's 30 tone tip values value k is (see ToneTipOffset).
template <class Entry> auto& ToneTipValue(Entry& e, int k) {
    if (k == 28)
        return e.Repeat;
    if (k == 29)
        return e.Interval;
    auto& step = e.Steps[static_cast<std::size_t>(k / 2)];
    return k % 2 == 0 ? step.Tone : step.Length;
}

// Slot `n` (16 bytes at n * 16): frequency, power byte, two tone words, signalling bytes.
template <class Rec, class Dir> void WalkSlot(Rec& r, int n, Dir&& d) {
    const int at = n * kSlotSize;
    d.section(n, "");
    d.frequency(at, r.RxFreq, {"RxFreq"});
    d.fields(at, r, kSlotPowerByte);
    d.tone(at + 6, r.DecodeTone, kChannelTones, {"DecodeTone"});
    d.tone(at + 8, r.EncodeTone, kChannelTones, {"EncodeTone"});
    d.fields(at + kSlotSignalBytes, r, kSignalBytes);
}

// Everything the settings record holds in the radio (addresses 0x2140 on).
template <class Settings, class Dir> void WalkSettings(Settings& s, Dir&& d) {
    auto& f = s.Options.Features;
    d.section(0, "");
    d.fields(addr::kOptions, f, kFeatureBytes);
    d.fields(addr::kOptions, s.Options.Dtmf, kDtmfBytes);
    // Group k's two channels and flags: the first of each pair in bytes 0..11, the second in 12..23.
    for (int g = 0; g < 12; ++g) {
        for (int h = 0; h < 2; ++h) {
            const auto i = static_cast<std::size_t>(2 * g + h);
            d.ref(addr::kGroupChan + 12 * h + g, f.GroupChan[i], {"GroupChan", g});
            d.flag(addr::kGroupFlag + 12 * h + g, f.GroupFlag[i], {"GroupFlag", g});
        }
    }
    // Reset mode: a value, then a channel, three times.
    for (int j = 0; j < 6; ++j) {
        if (j % 2 == 1)
            d.ref(addr::kResetMode + j, f.ResetMode[static_cast<std::size_t>(j)], {"ResetMode", j + 1});
        else
            d.byte(addr::kResetMode + j, f.ResetMode[static_cast<std::size_t>(j)], {"ResetMode", j + 1});
    }
    d.text(addr::kPowerOnText, f.PowerOnText, kPowerOnRule, {"PowerOnText"});

    auto& vfo = f.VfoChannel;
    d.section(0, "Vfo.");
    d.tone(addr::kVfo, vfo.DecodeTone, kVfoTones, {"DecodeTone"});
    d.tone(addr::kVfo + 2, vfo.EncodeTone, kVfoTones, {"EncodeTone"});
    d.fields(addr::kVfo + kVfoSignalBytes, vfo, kSignalBytes);
    d.section(0, "");

    for (int k = 0; k < 16; ++k)
        d.dtmf(addr::kDtmfCodes + 16 * k, s.Options.Dtmf.CodeList[static_cast<std::size_t>(k)],
               {"CodeList", k + 1});
    for (int m = 0; m < 4; ++m)
        d.text(addr::kEmbeddedMessage + 16 * m, s.Options.EmbeddedMessage[static_cast<std::size_t>(m)],
               kEmbeddedRule, {"EmbeddedMessage", m + 1});
    for (int g = 0; g < 12; ++g)
        d.text(addr::kGroupNames + 3 * g, s.GroupNames[static_cast<std::size_t>(g)], kGroupNameRule,
               {"GroupNames", g});
    for (int i = 0; i < 8; ++i) {
        auto& e = s.ToneTips[static_cast<std::size_t>(i)];
        for (int k = 0; k < 30; ++k)
            d.byte(addr::kToneTips + 30 * i + ToneTipOffset(k), ToneTipValue(e, k), {"ToneTips", i + 1});
    }
}

bool BitmapBit(const RadioImage& img, int base, int s) {
    return (Get(img, base + s / 8) >> (s % 8) & 1) != 0;
}
void SetBitmapBit(RadioImage& img, int base, int s) {
    img[static_cast<std::size_t>(base + s / 8)] |= static_cast<u8>(1 << (s % 8));
}

} // namespace

const std::vector<std::vector<MemoryBits>>& MemoryMap() {
    static std::set<std::string> names; // what the map's field names refer to
    static const std::vector<std::vector<MemoryBits>> map = [] {
        std::vector<std::vector<MemoryBits>> m(kRadioImageSize);
        std::map<std::tuple<int, std::string_view, int>, int> ids;
        Describe d{m, names, ids};
        ChannelRecord channel;
        for (int n = 1; n <= kLastChannel; ++n)
            WalkSlot(channel, n, d);
        SettingsRecord settings;
        WalkSettings(settings, d);
        for (int s = 0; s < kLastChannel; ++s) {
            const auto bit = static_cast<std::uint8_t>(1 << (s % 8));
            d.add(addr::kUsedBitmap + s / 8, bit, s + 1, "Used", -1);
            d.add(addr::kScanBitmap + s / 8, bit, s + 1, "ScanSkip", -1);
        }
        return m;
    }();
    return map;
}

std::size_t MemoryFieldCount() {
    static const std::size_t count = [] {
        int top = -1;
        for (const auto& bits : MemoryMap())
            for (const MemoryBits& b : bits)
                top = std::max(top, b.id);
        return static_cast<std::size_t>(top + 1);
    }();
    return count;
}

void ClearRadioImage(RadioImage& img) {
    img.fill(0xFF);
}

bool IsBlankFrequency(const ChannelRecord& r) {
    const std::string freq = r.RxFreq.trimmed();
    return freq.empty() || freq == "FFFFFFFF";
}

void MarkBlankChannels(DocumentCopy& work) {
    const int count = std::clamp<int>(work.settings.ChannelCount, 0, kMaxChannels);
    for (int i = 0; i < count; ++i) {
        ChannelRecord& r = work.channels[static_cast<std::size_t>(i)];
        r.IsBlank = IsBlankFrequency(r) ? 1 : 0;
    }
}

void EncodeRadioImage(const AppState& app, const DocumentCopy& work, RadioImage& img) {
    std::fill(img.begin(), img.begin() + addr::kScanBitmap, u8{0xFF});
    std::fill(img.begin() + addr::kScanBitmap, img.begin() + addr::kScanBitmap + addr::kBitmapSize, u8{0});
    std::fill(img.begin() + addr::kUsedBitmap, img.begin() + addr::kUsedBitmap + addr::kBitmapSize, u8{0});
    std::fill(img.begin() + addr::kGroupNames, img.end(), u8{0xFF});

    // Channels, in table order. A number outside 1..481 has no slot in the radio; a blank channel
    // has its slot but is not marked used.
    const int count = std::clamp<int>(work.settings.ChannelCount, 0, kMaxChannels);
    for (int i = 0; i < count; ++i) {
        const ChannelRecord& r = work.channels[static_cast<std::size_t>(i)];
        if (r.ChannelNo < 1 || r.ChannelNo > kLastChannel)
            continue;
        if (!IsBlankFrequency(r)) {
            SetBitmapBit(img, addr::kUsedBitmap, r.ChannelNo - 1);
            if (r.ScanSkip == 0)
                SetBitmapBit(img, addr::kScanBitmap, r.ChannelNo - 1);
        }
        WalkSlot(r, r.ChannelNo, Encode{img});
    }

    // Identification, from the current model: the radio knows this model as "ZR2450" with code 2.
    const ModelInfo model = CurrentModelInfo(app);
    const bool ours = model.ModelName.trimmed() == "ZT-450E";
    Encode e{img};
    e.putText(addr::kIdent, ours ? std::string("ZR2450") : model.ModelName.raw(), kIdentRule);
    Put(img, addr::kIdentVariant, ours ? u8{2} : Low8(model.BandCode));
    e.putText(addr::kIdentVersion, "V300", kIdentVersionRule);

    WalkSettings(work.settings, e);
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
        WalkSlot(r, s + 1, Decode{img});
    }
    work.settings.ChannelCount = static_cast<i16>(count);

    // Identification.
    DecodedIdent ident{Decode{img}.readText(addr::kIdent, kIdentRule), Get(img, addr::kIdentVariant)};
    if (ident.model == "ZR2450" && ident.bandCode == 2)
        ident = {"ZT-450E", 0};
    work.settings.Model.ModelName = ident.model + std::string(1, '\0');
    work.settings.Model.BandCode = ident.bandCode;
    if (identOut)
        *identOut = ident;

    WalkSettings(work.settings, Decode{img});

    const u8 flags = Get(img, addr::kRadioFlags);
    return {(flags & 0x08) != 0, (flags & 0x04) != 0, (flags & 0x02) != 0, (flags & 0x01) != 0};
}

} // namespace zt
