// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/new_document.h"

#include "codec/freq.h"
#include "codec/numbers.h"
#include "model/channel_table.h"
#include "model/model_config.h"

#include <initializer_list>
#include <string>

namespace zt {

namespace {

// A text field that starts with a NUL and is blank after it: it reads as empty text.
template <std::size_t N> FixedText<N> NulText() {
    FixedText<N> t;
    t.bytes[0] = '\0';
    return t;
}

void SetFeatures(FeatureBlock& f) {
    // The VFO record keeps the fields the feature window does not edit.
    ChannelRecord vfo = f.VfoChannel;
    for (i16* v : {&vfo.DecodeTone, &vfo.EncodeTone, &vfo.RxExpander, &vfo.TxCompressor, &vfo.NbAnl, &vfo.Att,
                   &vfo.HiCut, &vfo.BusyLock, &vfo.RogerBeep, &vfo.SquelchMode, &vfo.PttIdBot, &vfo.PttIdEot,
                   &vfo.CallCode, &vfo.Rep, &vfo.Tsq, &vfo.RepLock})
        *v = 0;

    f = FeatureBlock{};
    f.VfoChannel = vfo;
    f.TotTime = 4;
    f.ChannelGroup = 3;
    f.DisplayMode = 1;
    f.BacklightColor = 1;
    f.Beep = 1;
    f.GroupChan[2] = 6;
    f.ResetMode[4] = 9;
    f.PowerOnText = std::string("        rv2180 ") + '\0';
    f.VoicePrompt = 1;
    f.TailElimMode = 3;
}

void SetDtmf(DtmfBlock& d) {
    d = DtmfBlock{};
    d.IdCode = "000";
    d.IdCodeLen = 3;
}

struct TipStep {
    i16 tone;
    i16 length;
};

ToneTipEntry Tip(std::initializer_list<TipStep> steps, i16 repeat) {
    ToneTipEntry e;
    std::size_t i = 0;
    for (const auto& s : steps)
        e.Steps[i++] = {s.tone, s.length};
    e.Repeat = repeat;
    return e;
}

void SetToneTips(std::array<ToneTipEntry, 8>& tips) {
    tips = {};
    tips[0] = Tip({{210, 10}, {0, 10}, {210, 10}, {0, 10}, {210, 10}, {0, 10}, {210, 10}}, 1);
    // Entry 2: fourteen steps alternating 80/4 and 0/4, starting with 80/4.
    tips[1].Repeat = 1;
    for (std::size_t k = 0; k < tips[1].Steps.size(); ++k)
        tips[1].Steps[k] = {static_cast<i16>(k % 2 == 0 ? 80 : 0), 4};
    tips[2] = Tip({{170, 3}, {90, 3}, {170, 3}, {90, 3}, {170, 3}, {90, 3}, {170, 3}}, 1);
    tips[3] = Tip({{64, 6}, {94, 6}, {134, 6}, {163, 6}, {192, 6}}, 1);
    tips[4] = Tip({{150, 20}, {70, 20}, {150, 20}, {70, 20}, {150, 20}, {70, 20}}, 1);
}

} // namespace

void SetNewDocumentValues(AppState& app, Document& doc, RadioInfoRecord& info, CalendarDate today) {
    app.IsUntitled = true;
    app.DocFileName = "new.dat";

    SettingsRecord& s = doc.work.settings;
    OptionsRecord& o = s.Options;
    o.KeyBlock = {10, 10, 0, 0, 0, 0};
    o.AlertBlock = {};
    o.AlertBlock[0] = 1;
    o.ScanBlock = {};
    SetFeatures(o.Features);
    for (auto& line : o.EmbeddedMessage)
        line = NulText<16>();
    SetDtmf(o.Dtmf);

    // Channels 1 and 481 at the middle of the band; every slot is cleared so that nothing of an
    // earlier document stays behind in the unused part of the table.
    doc.work.channels = {};
    s.ChannelCount = 0;
    const std::string middle = FormatFixed5((app.BandLow + app.BandHigh) / 2.0);
    AppendChannel(app, doc.work, 1, middle);
    AppendChannel(app, doc.work, kVfoChannelNo, middle);
    doc.editor.EditWindowOpen = false;

    s.Version = "V300";
    for (auto& b : s.BroadcastFreqs)
        b = {1, FixedText<8>()};
    s.TestFreqs[0] = {FixedText<8>("43510000"), FixedText<8>("43510000")};
    for (std::size_t i = 1; i < s.TestFreqs.size(); ++i)
        s.TestFreqs[i] = {NulText<8>(), NulText<8>()};
    StoreModelInfo(app, s);
    static constexpr const char* kGroupNames[12] = {"E",    "D", "EU", "EC", "PL", "U-EU",
                                                    "U-UK", "A", "B",  "C",  "D",  "E"};
    for (std::size_t g = 0; g < s.GroupNames.size(); ++g)
        s.GroupNames[g] = kGroupNames[g]; // cut to three characters: "U-E", "U-U"
    SetToneTips(s.ToneTips);
    ResetRadioInfo(info, app.ModelNameText, s.Model.BandCode, today.year, today.month, today.day);

    StoreModelInfo(app, s);
    CopyWorkingToFile(doc);
}

} // namespace zt
