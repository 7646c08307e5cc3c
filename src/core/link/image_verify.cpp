// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/image_verify.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <span>
#include <string_view>

namespace zt {

namespace {

constexpr int kOwnedFirst = addr::kIdent;
constexpr int kOwnedLast = addr::kRadioFlags + 1;

// Text ids of the labels the windows show for each field; the field's own name when it has none.
const std::map<std::string_view, int>& FieldTextIds() {
    static const std::map<std::string_view, int> ids = {
        {"RxFreq", 15002},
        {"DecodeTone", 15005},
        {"EncodeTone", 15006},
        {"FmPower", 15204},
        {"FmPowerLock", 15402},
        {"AmPower", 15203},
        {"AmPowerLock", 15401},
        {"Mode", 15202},
        {"ModeLock", 15400},
        {"RxExpander", 15300},
        {"TxCompressor", 15301},
        {"NbAnl", 15302},
        {"Att", 15303},
        {"HiCut", 15304},
        {"Tsq", 15023},
        {"BusyLock", 15011},
        {"RogerBeep", 15200},
        {"SquelchMode", 15201},
        {"PttIdBot", 15037},
        {"PttIdEot", 15038},
        {"RepLock", 15403},
        {"Rep", 15205},
        {"CallCode", 15013},
        {"ScanSkip", 15014},
        {"Used", 33200},
        {"TotTime", 16005},
        {"ChannelGroup", 33201},
        {"DisplayMode", 16013},
        {"BacklightColor", 16014},
        {"ScanMode", 16500},
        {"ScanResumeTime", 16501},
        {"Beep", 16026},
        {"PublicData", 33202},
        {"PttIdPauseTime", 16502},
        {"FreqEditable", 16028},
        {"SideTone", 18030},
        {"DtmfRate", 18005},
        {"FirstDigitDelay", 18007},
        {"FirstDigitTime", 18006},
        {"StarHashTime", 18008},
        {"DKeySetting", 18009},
        {"GroupChan", 33203},
        {"GroupFlag", 33204},
        {"ResetMode", 31000},
        {"PowerOnText", 16100},
        {"CodeList", 18004},
        {"EmbeddedMessage", 20000},
        {"GroupNames", 30000},
        {"ToneTips", 29000},
    };
    return ids;
}

constexpr int kTextMore = 33215;
constexpr int kTextSettings = 33216;

std::string Label(const AppState& app, int id, std::string_view fallback) {
    std::string t = app.LangText(id);
    // A label that ends in a colon or runs over lines reads badly inside a list.
    while (!t.empty() && (t.back() == ':' || t.back() == ' '))
        t.pop_back();
    return t.empty() ? std::string(fallback) : t;
}

constexpr std::size_t kFieldsALine = 6;

// "... and 5 more"
std::string MoreText(const AppState& app, std::size_t count) {
    std::string more = Label(app, kTextMore, "... and %1 more");
    const auto at = more.find("%1");
    if (at == std::string::npos)
        return more + " " + std::to_string(count);
    return more.replace(at, 2, std::to_string(count));
}

constexpr int kTextWhere = 34624;
constexpr int kTextOtherChannelData = 34640;
constexpr int kTextOtherSettings = 34641;
constexpr int kTextVfoShort = 34658;

// What a user calls a channel's fields: a few words, not one for each bit of the slot.
struct Kind {
    int textId;
    const char* fallback;
    std::initializer_list<std::string_view> fields;
};
const Kind kChannelKinds[] = {
    {34630, "frequency", {"RxFreq"}},
    {34631, "tones", {"DecodeTone", "EncodeTone"}},
    {34632, "power", {"FmPower", "AmPower", "FmPowerLock", "AmPowerLock"}},
    {34633, "mode", {"Mode", "ModeLock"}},
    {34634, "audio functions", {"RxExpander", "TxCompressor", "NbAnl", "Att", "HiCut"}},
    {34635, "squelch and beeps", {"Tsq", "BusyLock", "RogerBeep", "SquelchMode"}},
    {34636, "DTMF codes", {"PttIdBot", "PttIdEot", "CallCode"}},
    {34637, "repeater", {"Rep", "RepLock"}},
    {34638, "scan list", {"ScanSkip"}},
    {34639, "in use", {"Used"}},
};
const Kind kSettingsKinds[] = {
    {34642, "groups", {"GroupChan", "GroupFlag", "GroupNames"}},
    {34643,
     "DTMF settings",
     {"CodeList", "DtmfRate", "FirstDigitDelay", "FirstDigitTime", "StarHashTime", "DKeySetting",
      "SideTone"}},
};

// The short name of what differs: its kind for a channel, its window label for a setting (the
// VFO's fields as "VFO"), never an address.
std::string ShortLabel(const AppState& app, const ImageDifference& d) {
    const MemoryField& f = d.what;
    const bool channel = f.channel != 0;
    if (f.field.empty())
        return channel ? Label(app, kTextOtherChannelData, "other channel data")
                       : Label(app, kTextOtherSettings, "other settings");
    for (const Kind& k :
         channel ? std::span<const Kind>(kChannelKinds) : std::span<const Kind>(kSettingsKinds))
        if (std::find(k.fields.begin(), k.fields.end(), f.field) != k.fields.end())
            return Label(app, k.textId, k.fallback);
    if (f.field.starts_with("Vfo."))
        return Label(app, kTextVfoShort, "VFO");
    const auto& ids = FieldTextIds();
    const auto it = ids.find(f.field);
    return it == ids.end() ? std::string(f.field) : Label(app, it->second, f.field);
}

// "Group 8 CH 1 (channel 321)", as the channel grid shows the channel.
std::string ChannelWhere(const AppState& app, int channel) {
    const int group = (channel - 1) / 40;
    std::string t = app.LangText(kTextWhere);
    if (t.empty())
        t = "Group %1 CH %2 (channel %3)";
    const std::string values[] = {std::to_string(group), std::to_string(channel - 40 * group),
                                  std::to_string(channel)};
    for (int i = 0; i < 3; ++i) {
        const std::string mark = "%" + std::to_string(i + 1);
        if (const auto at = t.find(mark); at != std::string::npos)
            t.replace(at, mark.size(), values[i]);
    }
    return t;
}

} // namespace

std::string WrittenUpTo(const AppState& app, long confirmedEnd) {
    // Channel N fills the 16 bytes from N * 16: it is written once the block at N * 16 is.
    const long lastChannel = std::min<long>(confirmedEnd / 16 - 1, kMaxChannels);
    if (lastChannel < 1)
        return app.LangTextOr(34954, "The radio acknowledged no channel of this write.");
    if (lastChannel >= kMaxChannels)
        return app.LangTextOr(
            34955, "The radio acknowledged every channel of this write, but not all its settings.");
    return app.LangTextOr(34953, "The radio acknowledged the channels up to %1.",
                          ChannelWhere(app, static_cast<int>(lastChannel)));
}

bool IsRadioOwnedAddress(int address) {
    return address >= kOwnedFirst && address <= kOwnedLast;
}

std::vector<ImageDifference> CompareWrittenImage(const RadioImage& written, const RadioImage& readBack) {
    const auto& map = MemoryMap();
    std::vector<ImageDifference> out;
    // A memory that was not stored at all differs in every field: each is named once.
    std::vector<bool> seen(MemoryFieldCount());
    auto add = [&](const MemoryBits& bits, int address) {
        if (!seen[static_cast<std::size_t>(bits.id)]) {
            seen[static_cast<std::size_t>(bits.id)] = true;
            out.push_back({bits.what, address});
        }
    };
    for (int a = 0; a < static_cast<int>(written.size()); ++a) {
        const auto i = static_cast<std::size_t>(a);
        const std::uint8_t changed = written[i] ^ readBack[i];
        if (changed == 0 || IsRadioOwnedAddress(a))
            continue;
        std::uint8_t named = 0;
        for (const MemoryBits& bits : map[i]) {
            if ((bits.mask & changed) != 0)
                add(bits, a);
            named |= bits.mask;
        }
        if ((changed & ~named) != 0) {
            // Bits no field holds: still a difference, named by the channel whose slot holds them.
            const int slotChannel = a / 16;
            MemoryField unnamed;
            unnamed.channel = a < addr::kScanBitmap && slotChannel >= 1 ? slotChannel : 0;
            out.push_back({unnamed, a});
        }
    }
    return out;
}

std::vector<std::string> DescribeDifferences(const AppState& app, const std::vector<ImageDifference>& diffs,
                                             std::size_t maxLines) {
    // One line a channel, channels in number order, the radio-wide settings first. Labels are
    // made only for what is shown: a radio that stored nothing differs in thousands of fields.
    std::map<int, std::vector<const ImageDifference*>> byChannel;
    for (const ImageDifference& d : diffs)
        byChannel[d.what.channel].push_back(&d);
    std::vector<std::string> lines;
    std::size_t shown = 0;
    for (const auto& [channel, fields] : byChannel) {
        if (maxLines > 0 && shown + 1 == maxLines && byChannel.size() > maxLines) {
            lines.push_back(MoreText(app, byChannel.size() - shown));
            break;
        }
        std::string line = channel == 0 ? Label(app, kTextSettings, "Settings") : ChannelWhere(app, channel);
        line += ": ";
        // Each kind once, in the order first met; a channel the radio did not store at all differs
        // in every kind, and the first few say it.
        std::vector<std::string> kinds;
        for (const ImageDifference* d : fields) {
            std::string k = ShortLabel(app, *d);
            if (std::find(kinds.begin(), kinds.end(), k) == kinds.end())
                kinds.push_back(std::move(k));
        }
        const std::size_t named = std::min(kinds.size(), kFieldsALine);
        for (std::size_t i = 0; i < named; ++i)
            line += (i ? ", " : "") + kinds[i];
        if (named < kinds.size())
            line += " " + MoreText(app, kinds.size() - named);
        lines.push_back(line);
        ++shown;
    }
    return lines;
}

} // namespace zt
