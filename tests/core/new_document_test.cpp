// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/channel_table.h"
#include "model/new_document.h"

#include <gtest/gtest.h>

namespace zt {
namespace {

class NewDocumentTest : public ::testing::Test {
  protected:
    NewDocumentTest() {
        app.prompter = &prompter;
        SetNewDocumentValues(app, doc, info, CalendarDate{2025, 11, 30});
    }
    AppState app;
    RecordingPrompter prompter;
    Document doc;
    RadioInfoRecord info;
    SettingsRecord& s() { return doc.work.settings; }
};

TEST_F(NewDocumentTest, TwoChannelsAtTheBandMiddleAndNotModified) {
    ASSERT_EQ(doc.work.count(), 2);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(doc.work.channels[i].ChannelNo, i == 0 ? 1 : 481);
        EXPECT_EQ(doc.work.channels[i].RxFreq.raw(), "02786000");
    }
    EXPECT_FALSE(IsModified(doc));
    EXPECT_TRUE(app.IsUntitled);
    EXPECT_EQ(app.DocFileName, "new.dat");
    EXPECT_TRUE(prompter.asked.empty());
}

TEST_F(NewDocumentTest, RecordValues) {
    const auto& f = s().Options.Features;
    EXPECT_EQ(s().Version.raw(), "V300");
    EXPECT_EQ(s().GroupNames[5].raw(), "U-E");
    EXPECT_EQ(s().GroupNames[6].raw(), "U-U");
    EXPECT_EQ(s().GroupNames[0].raw(), "E  ");
    EXPECT_EQ(s().GroupNames[11].raw(), "E  ");
    EXPECT_EQ(s().BroadcastFreqs[19].IsBlank, 1);
    EXPECT_EQ(s().TestFreqs[0].TxFreq.raw(), "43510000");
    EXPECT_EQ(s().TestFreqs[10].RxFreq.raw(), std::string("\0       ", 8));
    EXPECT_EQ(s().TestFreqs[10].RxFreq.trimmed(), "");
    EXPECT_EQ(s().Model.ModelName.raw(), "ZT-450E");
    EXPECT_EQ(s().Model.BandCode, 0);
    EXPECT_EQ(s().Options.KeyBlock, (std::array<i16, 6>{10, 10, 0, 0, 0, 0}));
    EXPECT_EQ(s().Options.AlertBlock[0], 1);
    EXPECT_EQ(s().Options.EmbeddedMessage[2].trimmed(), "");
    EXPECT_EQ(f.TotTime, 4);
    EXPECT_EQ(f.ChannelGroup, 3);
    EXPECT_EQ(f.GroupChan[2], 6);
    EXPECT_EQ(f.ResetMode[4], 9);
    EXPECT_EQ(f.TailElimMode, 3);
    EXPECT_EQ(f.VoicePrompt, 1);
    EXPECT_EQ(f.PowerOnText.raw(), std::string("        rv2180 \0", 16));
    EXPECT_EQ(s().Options.Dtmf.IdCode.raw(), "000       ");
    EXPECT_EQ(s().Options.Dtmf.IdCodeLen, 3);

    const auto& tips = s().ToneTips;
    EXPECT_EQ(tips[0].Steps[6].Tone, 210);
    EXPECT_EQ(tips[0].Steps[7].Length, 0);
    EXPECT_EQ(tips[1].Steps[12].Tone, 80);
    EXPECT_EQ(tips[1].Steps[13].Tone, 0);
    EXPECT_EQ(tips[1].Steps[13].Length, 4);
    EXPECT_EQ(tips[3].Steps[4].Tone, 192);
    EXPECT_EQ(tips[4].Steps[5].Length, 20);
    EXPECT_EQ(tips[4].Repeat, 1);
    EXPECT_EQ(tips[5].Repeat, 0);

    EXPECT_EQ(info.ProductionBatch.trimmed(), "11-1-E-1");
    EXPECT_EQ(info.FactoryDate.trimmed(), "2025-11-30");
    EXPECT_EQ(info.InfoModel, "ZT-450E");
    EXPECT_EQ(kFixedTuningPairs[3].tx, std::string("46060000"));
}

TEST_F(NewDocumentTest, ReplacesWhatAnEarlierDocumentLeft) {
    AppendChannel(app, doc.work, 200, "28");
    s().Options.Features.VfoChannel.DecodeTone = 9;
    s().Options.Features.VfoChannel.Mode = 1; // not one of the VFO settings a new document resets
    s().Options.Dtmf.CodeList[3] = {2, FixedText<16>("12")};
    doc.editor.EditWindowOpen = true;
    SetNewDocumentValues(app, doc, info, CalendarDate{2025, 1, 2});
    EXPECT_EQ(doc.work.count(), 2);
    EXPECT_EQ(doc.work.channels[2], ChannelRecord{});
    EXPECT_EQ(s().Options.Features.VfoChannel.DecodeTone, 0);
    EXPECT_EQ(s().Options.Features.VfoChannel.Mode, 1);
    EXPECT_EQ(s().Options.Dtmf.CodeList[3].Len, 0);
    EXPECT_FALSE(doc.editor.EditWindowOpen);
    EXPECT_FALSE(IsModified(doc));
}

TEST_F(NewDocumentTest, ChangesThatDoNotCount) {
    struct Case {
        const char* what;
        void (*change)(Document&);
    } cases[] = {
        {"trailing blank of a message line",
         [](Document& d) { d.work.settings.Options.EmbeddedMessage[0].bytes[0] = ' '; }},
        {"unused ID digits",
         [](Document& d) {
             auto& w = d.work.settings.Options.Dtmf;
             auto& f = d.file.settings.Options.Dtmf;
             w.IdCode = "1234";
             f.IdCode = "12";
             w.IdCodeLen = f.IdCodeLen = 2;
         }},
        {"channel slot order", [](Document& d) { std::swap(d.work.channels[0], d.work.channels[1]); }},
        {"offset blanks against NULs", [](Document& d) { d.work.channels[0].TxOffset = "       "; }},
        {"trailing blank of a broadcast frequency",
         [](Document& d) { d.work.settings.BroadcastFreqs[3].Freq.bytes[7] = '\0'; }},
        {"version", [](Document& d) { d.work.settings.Version = "V200"; }},
        {"slot past the count", [](Document& d) { d.work.channels[5].Mode = 1; }},
    };
    const Document clean = doc;
    for (const auto& c : cases) {
        doc = clean;
        c.change(doc);
        EXPECT_FALSE(IsModified(doc)) << c.what;
    }
}

TEST_F(NewDocumentTest, ChangesThatCount) {
    struct Case {
        const char* what;
        void (*change)(Document&);
    } cases[] = {
        {"channel field", [](Document& d) { d.work.channels[1].RepLock = 1; }},
        {"channel renumbered", [](Document& d) { d.work.channels[1].ChannelNo = 480; }},
        {"channel count", [](Document& d) { d.work.settings.ChannelCount = 1; }},
        {"model", [](Document& d) { d.work.settings.Model.BandCode = 3; }},
        {"message text", [](Document& d) { d.work.settings.Options.EmbeddedMessage[3] = "HI"; }},
        {"key", [](Document& d) { d.work.settings.Options.KeyBlock[5] = 1; }},
        {"one scan byte", [](Document& d) { d.work.settings.Options.ScanBlock[11] = 1; }},
        {"one alert byte", [](Document& d) { d.work.settings.Options.AlertBlock[10] = 1; }},
        {"feature slot", [](Document& d) { d.work.settings.Options.Features.VoxDelay = 1; }},
        {"reset mode", [](Document& d) { d.work.settings.Options.Features.ResetMode[0] = 1; }},
        {"VFO field", [](Document& d) { d.work.settings.Options.Features.VfoChannel.Tsq = 1; }},
        {"power-on text", [](Document& d) { d.work.settings.Options.Features.PowerOnText = "HELLO"; }},
        {"group pair", [](Document& d) { d.work.settings.Options.Features.GroupFlag[23] = 1; }},
        {"test frequency", [](Document& d) { d.work.settings.TestFreqs[4].TxFreq = "02700000"; }},
        {"broadcast slot used", [](Document& d) { d.work.settings.BroadcastFreqs[0].IsBlank = 0; }},
        {"broadcast frequency", [](Document& d) { d.work.settings.BroadcastFreqs[19].Freq = "08800000"; }},
        {"DTMF option", [](Document& d) { d.work.settings.Options.Dtmf.DtmfOpt[2] = 1; }},
        {"DTMF rate", [](Document& d) { ++d.work.settings.Options.Dtmf.DtmfRate; }},
        {"first digit time", [](Document& d) { ++d.work.settings.Options.Dtmf.FirstDigitTime; }},
        {"first digit delay", [](Document& d) { ++d.work.settings.Options.Dtmf.FirstDigitDelay; }},
        {"star and hash time", [](Document& d) { ++d.work.settings.Options.Dtmf.StarHashTime; }},
        {"D key", [](Document& d) { ++d.work.settings.Options.Dtmf.DKeySetting; }},
        {"side tone", [](Document& d) { ++d.work.settings.Options.Dtmf.SideTone; }},
        {"ID length", [](Document& d) { ++d.work.settings.Options.Dtmf.IdCodeLen; }},
        {"ID digit in use", [](Document& d) { d.work.settings.Options.Dtmf.IdCode = "010"; }},
        {"tenth ID digit",
         [](Document& d) {
             d.work.settings.Options.Dtmf.IdCode = "0123456789";
             d.file.settings.Options.Dtmf.IdCode = "0123456780";
             d.work.settings.Options.Dtmf.IdCodeLen = d.file.settings.Options.Dtmf.IdCodeLen = 10;
         }},
        {"code length", [](Document& d) { d.work.settings.Options.Dtmf.KillCode.Len = 1; }},
        {"code digits", [](Document& d) { d.work.settings.Options.Dtmf.CodeList[15].Code = "5"; }},
        {"group name", [](Document& d) { d.work.settings.GroupNames[11] = "Z"; }},
        {"tone tip", [](Document& d) { d.work.settings.ToneTips[7].Interval = 1; }},
    };
    const Document clean = doc;
    for (const auto& c : cases) {
        doc = clean;
        c.change(doc);
        EXPECT_TRUE(IsModified(doc)) << c.what;
    }
}

} // namespace
} // namespace zt
