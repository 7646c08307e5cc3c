// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/csv_channels.h"
#include "util/shown_text.h"

#include "codec/freq.h"
#include "codec/tone.h"
#include "model/channel_table.h"
#include "model/new_document.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace zt {
namespace {

int Tone(const std::string& text) {
    const auto& list = ToneList();
    return static_cast<int>(std::find(list.begin(), list.end(), text) - list.begin());
}

class CsvChannelsTest : public ::testing::Test {
  protected:
    CsvChannelsTest() { app.prompter = &prompter; }

    AppState app;
    RecordingPrompter prompter;

    ChannelRecord& Add(DocumentCopy& d, int no, const char* freq) {
        EXPECT_TRUE(AppendChannel(app, d, no, freq)) << no;
        return d.channels[static_cast<std::size_t>(FindChannel(d, no))];
    }

    // A document with one channel of every shape the CSV layout has to carry.
    DocumentCopy Sample() {
        DocumentCopy d;
        d.settings.Options.Features.FreqEditable = 1;
        ChannelRecord& a = Add(d, 1, "27.00000"); // simplex, no tones, AM low
        a.ScanSkip = 1;
        ChannelRecord& b = Add(d, 2, "29.62000"); // repeater -100 kHz, TSQL 88.5, FM high
        b.TxOffsetDir = 1;
        b.TxOffset = std::string("0010000");
        b.DecodeTone = b.EncodeTone = static_cast<i16>(Tone("88.5"));
        b.Mode = 1;
        b.FmPower = 1;
        b.AmPower = 1;
        b.BusyLock = 2;
        b.RogerBeep = 3;
        ChannelRecord& c = Add(d, 45, "28.30000"); // TX tone only
        c.EncodeTone = static_cast<i16>(Tone("100.0"));
        ChannelRecord& e = Add(d, 300, "29.60000"); // DCS both ways, TX normal, RX inverted
        e.EncodeTone = static_cast<i16>(Tone("D023N"));
        e.DecodeTone = static_cast<i16>(Tone("D023I"));
        e.TxOffsetDir = 2;
        e.TxOffset = std::string("0010000");
        e.Mode = 1;
        ChannelRecord& f = Add(d, 401, "28.00000"); // cross: TX DCS, RX CTCSS; every switch
        f.EncodeTone = static_cast<i16>(Tone("D754I"));
        f.DecodeTone = static_cast<i16>(Tone("254.1"));
        f.TxInhibit = f.Whisper = f.Compander = f.Tsq = f.RepLock = f.HiCut = 1;
        f.PttIdBot = 31;
        f.CallCode = 200;
        f.Rep = 3;
        ChannelRecord& g = Add(d, 402, "28.10000"); // RX tone only; offset kept while simplex
        g.DecodeTone = static_cast<i16>(Tone("D065N"));
        g.TxOffset = std::string("0060000");
        ChannelRecord& h = Add(d, 481, "27.86000"); // VFO entry
        h.Mode = 1;
        return d;
    }

    static std::map<int, ChannelRecord> ByNumber(const DocumentCopy& d) {
        std::map<int, ChannelRecord> m;
        for (int i = 0; i < UsedSlots(d); ++i)
            m[d.channels[static_cast<std::size_t>(i)].ChannelNo] = d.channels[static_cast<std::size_t>(i)];
        return m;
    }

    std::vector<int> Taken(const CsvImportPlan& p) {
        std::vector<int> v;
        for (const auto& t : p.taken)
            v.push_back(t.record.ChannelNo);
        return v;
    }
    // line -> first reason id
    static std::map<int, int> Refused(const CsvImportPlan& p) {
        std::map<int, int> m;
        for (const auto& r : p.refused)
            m[r.line] = r.reasons.empty() ? 0 : r.reasons.front().textId;
        return m;
    }
};

TEST_F(CsvChannelsTest, ExportImportsBackUnchanged) {
    const DocumentCopy original = Sample();
    const std::string csv = ExportChannelsCsv(app, original);
    EXPECT_EQ(csv.substr(0, csv.find("\r\n")),
              "Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,DtcsCode,DtcsPolarity,"
              "RxDtcsCode,CrossMode,Mode,TStep,Skip,Power,Comment,URCALL,RPT1CALL,RPT2CALL,DVCODE");
    EXPECT_NE(csv.find("\r\n2,,29.620000,-,0.100000,TSQL,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,25W,"
                       "zt: ampower=1 busylock=2 rogerbeep=3,,,,\r\n"),
              std::string::npos)
        << csv;
    EXPECT_NE(csv.find("\r\n300,,29.600000,+,0.100000,DTCS,88.5,88.5,023,NR,023,"), std::string::npos) << csv;
    EXPECT_NE(csv.find("\r\n401,,28.000000,off,0.000000,Cross,88.5,254.1,754,RN,023,DTCS->Tone,AM"),
              std::string::npos)
        << csv;

    // Into the same document after every channel was changed: the export's values come back.
    DocumentCopy changed = original;
    for (int i = 0; i < UsedSlots(changed); ++i) {
        ChannelRecord& r = changed.channels[static_cast<std::size_t>(i)];
        r.DecodeTone = r.EncodeTone = 7;
        r.Mode = static_cast<i16>(1 - r.Mode);
        r.ScanSkip = static_cast<i16>(1 - r.ScanSkip);
        r.Spacing = 2;
        r.TxOffsetDir = 0;
    }
    CsvImportPlan plan = PlanCsvImport(app, changed, csv);
    EXPECT_EQ(plan.fileError, 0);
    EXPECT_TRUE(plan.refused.empty()) << CsvIssueText(app, plan.refused.front().reasons.front());
    EXPECT_TRUE(ApplyCsvImport(plan, changed));
    EXPECT_EQ(ByNumber(changed), ByNumber(original));

    // Into an empty table: the same channels, in channel order.
    DocumentCopy empty;
    empty.settings.Options.Features.FreqEditable = 1;
    plan = PlanCsvImport(app, empty, csv);
    EXPECT_TRUE(plan.refused.empty());
    ApplyCsvImport(plan, empty);
    EXPECT_EQ(ByNumber(empty), ByNumber(original));
    // A second import of the same file changes nothing.
    EXPECT_FALSE(ApplyCsvImport(PlanCsvImport(app, empty, csv), empty));
    EXPECT_TRUE(prompter.asked.empty());
}

TEST_F(CsvChannelsTest, OtherProgramsFilesAreTakenRowByRow) {
    // Another program's shape: byte-order mark, CRLF, columns in another order with extra ones,
    // quoted names with commas, quotes and a line break, watts for power, DCS codes.
    const std::string csv =
        "\xEF\xBB\xBF"
        "Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,DtcsCode,DtcsPolarity,"
        "RxDtcsCode,CrossMode,Mode,TStep,Skip,Power,Comment,URCALL,RPT1CALL,RPT2CALL,DVCODE,Extra\r\n"
        "401,\"Net, \"\"Sunday\"\"\",28.400000,,0.000000,Tone,67.0,88.5,023,NN,023,Tone->Tone,FM,5.00,,"
        "4.0W,,,,,,x\r\n" // line 2: taken
        "402,\"two\r\nlines\",29.620000,-,0.100000,DTCS,88.5,88.5,023,RN,023,Tone->Tone,FM,5.00,S,"
        "1.0W,free text,,,,,\r\n" // lines 3-4: taken
        "403,Out,145.500000,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,High,,,,,,\r\n" // 5
        "404,USB,28.500000,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,USB,5.00,,High,,,,,,\r\n" // 6
        "401,Dup,28.600000,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,High,,,,,,\r\n"  // 7
        "0,Zero,28.600000,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,High,,,,,,\r\n"   // 8
        "405,BadTone,28.600000,,0.000000,TSQL,88.5,61.2,023,NN,023,Tone->Tone,FM,5.00,,High,,,,,,\r\n"
        "406,BadDcs,28.600000,,0.000000,DTCS,88.5,88.5,024,NN,023,Tone->Tone,FM,5.00,,High,,,,,,\r\n"
        "407,Grid,28.601000,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,High,,,,,,\r\n" // 11
        "408,TxOut,30.100000,+,0.100000,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,High,,,,,,\r\n"
        "5,Fixed,28.000000,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,High,,,,,,\r\n" // 13
        "409,Cross,28.700000,,0.000000,Cross,88.5,100.0,023,NN,125,->DTCS,AM,5.00,,Low,,,,,,\r\n"
        ",,,,,,,,,,,,,,,,,,,,,\r\n"
        "410,Split,28.000000,split,28.100000,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,P,High,,,,,,\r\n";
    DocumentCopy d;
    Add(d, 1, "27.00000");
    const DocumentCopy before = d;
    const CsvImportPlan plan = PlanCsvImport(app, d, csv);
    ASSERT_EQ(plan.fileError, 0);
    EXPECT_EQ(Taken(plan), (std::vector<int>{401, 402, 407, 409, 410}));
    EXPECT_EQ(Refused(plan), (std::map<int, int>{{5, csvtext::FrequencyOutOfBand},
                                                 {6, csvtext::ModeUnsupported},
                                                 {7, csvtext::LocationRepeated},
                                                 {8, csvtext::LocationRange},
                                                 {9, csvtext::CtcssUnknown},
                                                 {10, csvtext::DcsUnknown},
                                                 {12, csvtext::TxOutOfBand},
                                                 {13, csvtext::FrequencyFixed}}));
    EXPECT_EQ(d.count(), before.count());
    EXPECT_EQ(ByNumber(d), ByNumber(before)) << "planning changes nothing";

    const auto& t = plan.taken;
    EXPECT_EQ(t[0].record.EncodeTone, Tone("67.0"));
    EXPECT_EQ(t[0].record.DecodeTone, 0);
    EXPECT_EQ(t[0].record.FmPower, 0); // 4 W is under 10 W, whatever the other rows say
    EXPECT_EQ(t[1].line, 3);
    EXPECT_EQ(t[1].record.EncodeTone, Tone("D023I"));
    EXPECT_EQ(t[1].record.DecodeTone, Tone("D023N"));
    EXPECT_EQ(t[1].record.TxOffsetDir, 1);
    EXPECT_EQ(t[1].record.TxOffset.raw(), "0010000");
    EXPECT_EQ(t[1].record.ScanSkip, 1);
    EXPECT_EQ(t[1].record.FmPower, 0);
    // Off the 5 kHz grid but a frequency the radio holds: stored as it is, with a note.
    EXPECT_EQ(t[2].record.RxFreq.raw(), "02860100");
    EXPECT_EQ(t[2].notes.front().textId, csvtext::NoteOffGrid);
    EXPECT_EQ(t[3].record.EncodeTone, 0);
    EXPECT_EQ(t[3].record.DecodeTone, Tone("D125N"));
    EXPECT_EQ(t[3].record.Mode, 0);
    EXPECT_EQ(t[4].record.TxOffsetDir, 2);
    EXPECT_EQ(t[4].record.TxOffset.raw(), "0010000");
    EXPECT_EQ(t[4].notes.front().textId, csvtext::NotePriorityScan);

    ApplyCsvImport(plan, d);
    EXPECT_EQ(d.count(), 6);
    EXPECT_EQ(d.channels[1].RxFreq.raw(), "02840000");
}

TEST_F(CsvChannelsTest, FixedGroupsAndMinimalFiles) {
    DocumentCopy d;
    Add(d, 5, "27.00000");
    // Only the two required columns; a fixed band-plan channel takes its own frequency back (its
    // other columns may change) but no other; group 6 takes the .125 points off the 5 kHz grid.
    const std::string csv = "Frequency,Location\n27.000000,5\n27.010000,6\n";
    CsvImportPlan plan = PlanCsvImport(app, d, csv);
    EXPECT_EQ(Taken(plan), std::vector<int>{5});
    EXPECT_EQ(Refused(plan), (std::map<int, int>{{3, csvtext::FrequencyFixed}}));
    d.settings.Options.Features.FreqEditable = 1;
    plan = PlanCsvImport(app, d, "Location,Frequency\n241,27.611250\n1,27.611250\n2,27.6112567\n");
    EXPECT_EQ(Taken(plan), (std::vector<int>{241, 1}));
    EXPECT_TRUE(plan.taken[0].notes.empty()) << "group 6 has the x.xx125 points";
    ASSERT_EQ(plan.taken[1].notes.size(), 1u);
    EXPECT_EQ(plan.taken[1].notes.front().textId, csvtext::NoteOffGrid);
    EXPECT_EQ(Refused(plan), (std::map<int, int>{{4, csvtext::FrequencyTooFine}}));

    EXPECT_EQ(PlanCsvImport(app, d, "Name,Comment\nx,y\n").fileError, csvtext::NoLocationOrFrequency);
    EXPECT_EQ(PlanCsvImport(app, d, "").fileError, csvtext::FileUnreadable);
    EXPECT_EQ(PlanCsvImport(app, d, "Location,Frequency\n401,28\n").taken.front().record.RxFreq.raw(),
              "02800000");
    // Updating only the file's columns leaves the channel's other values alone: here its repeater
    // shift and tones.
    ChannelRecord& rep = Add(d, 420, "29.60000");
    rep.TxOffsetDir = 2;
    rep.TxOffset = std::string("0010000");
    rep.DecodeTone = 3;
    CsvImportOptions update;
    update.replace = CsvReplace::UpdateColumns;
    plan = PlanCsvImport(app, d, "Location,Frequency,Mode\n420,29.6,FM\n", update);
    ASSERT_EQ(plan.taken.size(), 1u);
    EXPECT_EQ(plan.taken.front().record.TxOffsetDir, 2);
    EXPECT_EQ(plan.taken.front().record.TxOffset.raw(), "0010000");
    EXPECT_EQ(plan.taken.front().record.DecodeTone, 3);
    EXPECT_EQ(plan.taken.front().record.Mode, 1);
    // A comment of this program with a value the field cannot hold refuses the row.
    plan =
        PlanCsvImport(app, d, "Location,Frequency,Comment\n401,28,zt: busylock=9\n402,28,zt: rep=1 tsq=1\n");
    EXPECT_EQ(Refused(plan), (std::map<int, int>{{2, csvtext::CommentInvalid}}));
    ASSERT_EQ(plan.taken.size(), 1u);
    EXPECT_EQ(plan.taken.front().record.Rep, 1);
}

// Another tool's export: rows numbered from 0, every tone column filled, watts, a USB row and a
// 6-metre row. Its numbers land on the band plan, so the file goes in file order.
const char* const kOtherToolExport =
    "Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,DtcsCode,DtcsPolarity,RxDtcsCode,"
    "CrossMode,Mode,TStep,Skip,Power,Comment,URCALL,RPT1CALL,RPT2CALL,DVCODE\r\n"
    "0,CALL,28.400000,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,5.0W,,,,,\r\n"
    "1,RPT,29.620000,-,0.100000,Tone,100.0,88.5,023,NN,023,Tone->Tone,FM,5.00,,50W,,,,,\r\n"
    "2,SSB,28.500000,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,USB,5.00,,50W,,,,,\r\n"
    "3,SIX,50.125000,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,50W,,,,,\r\n"
    "4,AM,27.025000,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,AM,5.00,S,4.0W,,,,,\r\n"
    "5,TSQ,29.600000,+,0.100000,TSQL,88.5,123.0,023,NN,023,Tone->Tone,FM,5.00,,10W,,,,,\r\n";

TEST_F(CsvChannelsTest, OtherToolsExportGoesInFileOrderFromAFreeChannel) {
    DocumentCopy d; // frequencies not editable: groups 0..6 are the band plan
    Add(d, 281, "27.00000");
    Add(d, 283, "27.50000");
    const CsvPlacementAdvice advice = AdviseCsvPlacement(app, d, kOtherToolExport);
    EXPECT_EQ(advice.options.placement, CsvPlacement::FileOrder);
    EXPECT_EQ(advice.options.firstChannel, 282);
    EXPECT_EQ(advice.misplaced, 5); // all but the 6-metre row, refused for its content
    EXPECT_EQ(advice.considered, 5);

    CsvImportPlan plan = PlanCsvImport(app, d, kOtherToolExport, advice.options);
    // Content refusals keep their reason and take no channel; channel 283 is in use and skipped.
    EXPECT_EQ(Taken(plan), (std::vector<int>{282, 284, 285, 286}));
    EXPECT_EQ(Refused(plan),
              (std::map<int, int>{{4, csvtext::ModeUnsupported}, {5, csvtext::FrequencyOutOfBand}}));
    EXPECT_EQ(plan.refusedCount, 2);
    EXPECT_EQ(plan.rowCount, 6);
    const auto& t = plan.taken;
    EXPECT_EQ(t[0].record.RxFreq.raw(), "02840000");
    EXPECT_EQ(t[0].location, "0");
    EXPECT_EQ(t[1].record.EncodeTone, Tone("100.0"));
    EXPECT_EQ(t[1].record.DecodeTone, 0); // the filled cToneFreq is not used by "Tone"
    EXPECT_EQ(t[1].record.TxOffsetDir, 1);
    EXPECT_EQ(t[2].record.Mode, 0);
    EXPECT_EQ(t[3].record.DecodeTone, Tone("123.0"));
    // One watts rule for every row: under 10 W Low, 10 W or more High.
    EXPECT_EQ(t[0].record.FmPower, 0);
    EXPECT_EQ(t[1].record.FmPower, 1);
    EXPECT_EQ(t[2].record.AmPower, 0);
    EXPECT_EQ(t[3].record.FmPower, 1);

    // Also replacing channels in use: 283 takes a row, and is reset to a new channel's settings.
    d.channels[static_cast<std::size_t>(FindChannel(d, 283))].RogerBeep = 5;
    d.channels[static_cast<std::size_t>(FindChannel(d, 283))].CallCode = 7;
    CsvImportOptions options = advice.options;
    options.replaceInUse = true;
    plan = PlanCsvImport(app, d, kOtherToolExport, options);
    EXPECT_EQ(Taken(plan), (std::vector<int>{282, 283, 284, 285}));
    EXPECT_TRUE(plan.taken[1].replaces && plan.taken[1].reset);
    EXPECT_EQ(plan.taken[1].record.RogerBeep, 0);
    EXPECT_EQ(plan.taken[1].record.CallCode, 0);
    EXPECT_EQ(plan.taken[1].notes.front().textId, csvtext::NoteReset);
    // ... or keeps what the file does not say.
    options.replace = CsvReplace::UpdateColumns;
    plan = PlanCsvImport(app, d, kOtherToolExport, options);
    EXPECT_FALSE(plan.taken[1].reset);
    EXPECT_EQ(plan.taken[1].record.RogerBeep, 5);
    EXPECT_EQ(plan.taken[1].notes.front().textId, csvtext::NoteUpdated);

    // Starting on a band-plan channel, or near the end: band-plan channels and the VFO entry are
    // skipped, and rows left over have no channel.
    options = {};
    options.placement = CsvPlacement::FileOrder;
    options.firstChannel = 5;
    plan = PlanCsvImport(app, d, kOtherToolExport, options);
    EXPECT_EQ(Taken(plan), (std::vector<int>{282, 284, 285, 286}));
    options.firstChannel = 479;
    plan = PlanCsvImport(app, d, kOtherToolExport, options);
    EXPECT_EQ(Taken(plan), (std::vector<int>{479, 480}));
    EXPECT_EQ(Refused(plan), (std::map<int, int>{{4, csvtext::NoFreeChannel},
                                                 {5, csvtext::NoFreeChannel},
                                                 {6, csvtext::NoFreeChannel},
                                                 {7, csvtext::NoFreeChannel}}));

    // With frequencies editable the band plan takes rows too, from channel 2 (channel 1 is in use).
    Add(d, 1, "27.00000");
    d.settings.Options.Features.FreqEditable = 1;
    EXPECT_EQ(FirstFreeChannel(d), 2);
    EXPECT_FALSE(CsvChannelTakesFrequency(d, kVfoChannelNo));
    // This program's own export keeps its numbers.
    EXPECT_EQ(AdviseCsvPlacement(app, d, ExportChannelsCsv(app, Sample())).options.placement,
              CsvPlacement::FileNumbers);
}

TEST_F(CsvChannelsTest, ReceiveOnlyChannelsAndResetAcrossTheRoundTrip) {
    DocumentCopy d = Sample();
    ChannelRecord& rx = d.channels[static_cast<std::size_t>(FindChannel(d, 300))]; // +0.1 MHz, DCS
    rx.TxInhibit = 1;
    const std::string csv = ExportChannelsCsv(app, d);
    EXPECT_NE(csv.find("\r\n300,,29.600000,off,0.100000,DTCS,"), std::string::npos) << csv;
    EXPECT_NE(csv.find("txinhibit=1 offsetdir=2"), std::string::npos) << csv;
    DocumentCopy back = d;
    for (int i = 0; i < UsedSlots(back); ++i)
        back.channels[static_cast<std::size_t>(i)].TxInhibit = 0;
    back.channels[static_cast<std::size_t>(FindChannel(back, 300))].TxOffsetDir = 0;
    CsvImportPlan plan = PlanCsvImport(app, back, csv);
    EXPECT_EQ(plan.refusedCount, 0);
    ApplyCsvImport(plan, back);
    EXPECT_EQ(ByNumber(back), ByNumber(d));

    // Another tool's "off": receive-only, and a replaced channel loses the settings the file does
    // not give.
    plan = PlanCsvImport(app, d, "Location,Frequency,Duplex,Offset\n2,29.62,off,0\n");
    ASSERT_EQ(plan.taken.size(), 1u);
    const ChannelRecord& r = plan.taken.front().record;
    EXPECT_EQ(r.TxInhibit, 1);
    EXPECT_EQ(r.TxOffsetDir, 0);
    EXPECT_EQ(r.BusyLock, 0);
    EXPECT_EQ(r.RogerBeep, 0);
    EXPECT_EQ(r.FmPower, 0);
    EXPECT_EQ(r.Mode, 0);
}

TEST_F(CsvChannelsTest, BrokenFilesAndHugeNumbersGiveReasons) {
    DocumentCopy d;
    d.settings.Options.Features.FreqEditable = 1;
    // A quote still open at the end names the line where it opened; no row is taken.
    CsvImportPlan plan =
        PlanCsvImport(app, d, "Location,Frequency,Name\n401,28.000000,\"oops\n402,28.1,a\n403,28.2,b\n");
    EXPECT_EQ(plan.fileError, csvtext::QuoteNotClosed);
    EXPECT_EQ(plan.fileErrorLine, 2);
    EXPECT_TRUE(plan.taken.empty());
    app.lang.load(std::string(ZT_DATA_DIR) + "/language/english.ini");
    EXPECT_NE(CsvFileErrorText(app, plan, "in.csv").find("line 2"), std::string::npos)
        << CsvFileErrorText(app, plan, "in.csv");
    // A closed quote with doubled quotes and a line break inside is fine.
    plan = PlanCsvImport(app, d, "Location,Frequency,Name\n401,28.000000,\"a \"\"b\"\"\r\nc\"\r\n402,28.1,x");
    EXPECT_EQ(plan.fileError, 0);
    EXPECT_EQ(Taken(plan), (std::vector<int>{401, 402}));

    // Numbers of any length are checked before any arithmetic, and shown as typed.
    const std::string huge = "99999999999999999999";
    plan = PlanCsvImport(app, d,
                         "Location,Frequency,Duplex,Offset\n"
                         "401," +
                             huge +
                             ",,\n" // 2
                             "402,28.0,+," +
                             huge +
                             "\n" // 3
                             "403,28.0,split," +
                             huge +
                             "\n" // 4
                             "404,28.0,," +
                             huge + "\n" // 5
                             + huge +
                             ",28.0,,\n"                                  // 6
                             "-1,28.0,,\n"                                // 7
                             "405,28.0,+,0000000000000000000000.1\n"      // 8: taken
                             "406,000000000000000000028.000000000000,,\n" // 9: taken
                             "407,28.00000000000000000001,,\n");          // 10
    EXPECT_EQ(Taken(plan), (std::vector<int>{405, 406}));
    EXPECT_EQ(Refused(plan), (std::map<int, int>{{2, csvtext::FrequencyOutOfBand},
                                                 {3, csvtext::TxOutOfBand},
                                                 {4, csvtext::TxOutOfBand},
                                                 {5, csvtext::OffsetInvalid},
                                                 {6, csvtext::LocationRange},
                                                 {7, csvtext::LocationRange},
                                                 {10, csvtext::FrequencyTooFine}}));
    for (const auto& r : plan.refused)
        for (const auto& why : r.reasons)
            EXPECT_TRUE(why.detail.find('-') == std::string::npos || why.detail == "-1") << why.detail;
    EXPECT_EQ(plan.refused.front().reasons.front().detail, huge);

    // Many refused rows: the first few hundred are listed, the rest counted.
    std::string many = "Location,Frequency\n";
    for (int i = 0; i < 5000; ++i)
        many += "x\n";
    plan = PlanCsvImport(app, d, many);
    EXPECT_EQ(plan.refusedCount, 5000);
    EXPECT_EQ(plan.refused.size(), static_cast<std::size_t>(kCsvListedRefusals));
    EXPECT_EQ(plan.refused.back().line, kCsvListedRefusals + 1);

    // Empty files, a header alone, mixed line ends, texts with control characters.
    EXPECT_EQ(PlanCsvImport(app, d, "").fileError, csvtext::FileUnreadable);
    plan = PlanCsvImport(app, d, "Location,Frequency\r\n");
    EXPECT_EQ(plan.fileError, 0);
    EXPECT_EQ(plan.rowCount, 0);
    plan = PlanCsvImport(app, d, "Location,Frequency\r\n401,28\n402,28.1\r403,28.2\r\n\x1b[2J,28\n");
    EXPECT_EQ(Taken(plan), (std::vector<int>{401, 402, 403}));
    ASSERT_EQ(plan.refused.size(), 1u);
    EXPECT_EQ(CsvIssueText(app, plan.refused.front().reasons.front()).find('\x1b'), std::string::npos);
    EXPECT_EQ(ShownText("a\r\nb\x1b[31m\x7f\tc\xc2\x9b"), "a\\r\\nb\\e[31m\\x7f\\tc\\u009b");
    EXPECT_EQ(ShownText("Gr\xc3\xbc\xc3\x9f"), "Gr\xc3\xbc\xc3\x9f");
}

// UTF-16 little-endian with its mark, from ASCII text.
std::string Utf16Le(std::string_view ascii) {
    std::string out = "\xFF\xFE";
    for (char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

TEST_F(CsvChannelsTest, SpreadsheetShapesAndCommentLinesAreRead) {
    struct Case {
        std::string bytes;
        int encoding;
        char separator;
        int commentLines;
    };
    const std::string rows = "Location;Frequency;Offset;Duplex;Power;Mode\r\n"
                             "401;29,600;0,1;-;4,5W;FM\r\n"
                             "402;\"28,000000\";;;50W;AM\r\n";
    std::string tabs = rows;
    std::replace(tabs.begin(), tabs.end(), ';', '\t');
    const Case cases[] = {
        {rows, 0, ';', 0},
        {"\xEF\xBB\xBF" + rows, 1, ';', 0},
        {Utf16Le(tabs), 2, '\t', 0},
        // Comment lines before the header and between rows, as another tool keeps them.
        {"# from the club list\r\n" + rows.substr(0, rows.find("402")) +
             "# next: the AM calling channel\r\n" + rows.substr(rows.find("402")),
         0, ';', 2},
    };
    DocumentCopy d;
    for (const Case& c : cases) {
        const CsvImportPlan plan = PlanCsvImport(app, d, c.bytes);
        ASSERT_EQ(plan.fileError, 0) << ShownText(c.bytes);
        EXPECT_EQ(plan.shape.encoding, c.encoding);
        EXPECT_EQ(plan.shape.separator, c.separator);
        EXPECT_EQ(plan.shape.commentLines, c.commentLines);
        ASSERT_EQ(Taken(plan), (std::vector<int>{401, 402})) << ShownText(c.bytes);
        EXPECT_EQ(plan.taken[0].record.RxFreq.raw(), "02960000");
        EXPECT_EQ(plan.taken[0].record.TxOffset.raw(), "0010000");
        EXPECT_EQ(plan.taken[0].record.TxOffsetDir, 1);
        EXPECT_EQ(plan.taken[0].record.FmPower, 0); // 4.5 W
        EXPECT_EQ(plan.taken[1].record.RxFreq.raw(), "02800000");
        EXPECT_EQ(plan.taken[1].record.AmPower, 1);
    }
    // A decimal comma in a comma-separated file is a separator, as it always was: the frequency
    // "29" and an extra column.
    CsvImportPlan plan = PlanCsvImport(app, d, "Location,Frequency\n401,29,600\n");
    ASSERT_EQ(plan.taken.size(), 1u);
    EXPECT_EQ(plan.taken[0].record.RxFreq.raw(), "02900000");
    // UTF-16 cut in half a character is refused as such.
    plan = PlanCsvImport(app, d, Utf16Le("Location,Frequency\n401,29\n") + "x");
    EXPECT_EQ(plan.fileError, csvtext::Utf16Cut);
    // A file of comments alone has no header.
    EXPECT_EQ(PlanCsvImport(app, d, "# a\n# b\n").fileError, csvtext::FileUnreadable);

    app.lang.load(std::string(ZT_DATA_DIR) + "/language/english.ini");
    EXPECT_EQ(CsvShapeText(app, PlanCsvImport(app, d, cases[3].bytes).shape),
              "Read as UTF-8 text, columns separated by semicolons (decimal commas accepted). 2 comment "
              "lines (starting with #) skipped.");
    EXPECT_EQ(CsvShapeText(app, PlanCsvImport(app, d, cases[2].bytes).shape),
              "Read as UTF-16 little-endian text, columns separated by tabs (decimal commas accepted).");
}

// A document as a radio read gives it: channels in every group, the band plan's groups 0..6 with
// frequencies not editable, frequencies off the step grids, receive-only channels, both power
// levels in both modes, step classes the grid would not give.
DocumentCopy RadioDocument(const AppState& app) {
    AppState scratch;
    Document doc;
    RadioInfoRecord info;
    SetNewDocumentValues(scratch, doc, info, CalendarDate{2024, 1, 1});
    DocumentCopy d = doc.work;
    d.settings.Options.Features.FreqEditable = 0;
    d.settings.ChannelCount = 0;
    d.channels = {};
    auto add = [&](int no, const char* freq) -> ChannelRecord& {
        EXPECT_TRUE(AppendChannel(app, d, no, freq)) << no;
        return d.channels[static_cast<std::size_t>(FindChannel(d, no))];
    };
    for (int g = 0; g < kMemoryGroups; ++g) {
        for (int n : {1, 2, 39}) {
            const int no = GroupBase(g) + n;
            char freq[16];
            std::snprintf(freq, sizeof freq, "%.5f", 26.965 + 0.01 * (no % 97));
            ChannelRecord& r = add(no, freq);
            SnapChannel(app, r);
            r.Mode = static_cast<i16>(no % 2);
            r.AmPower = static_cast<i16>(no % 3 == 0);
            r.FmPower = static_cast<i16>(no % 4 == 0);
        }
    }
    ChannelRecord& offGrid = add(480, "26.34900");
    offGrid.RxStepClass = 2; // as the radio had it
    offGrid.FmPower = 1;
    offGrid.Mode = 1;
    ChannelRecord& fine = add(3, "27.61125"); // a .125 point outside group 6
    fine.TxOffsetDir = 2;
    fine.TxOffset = std::string("0010000");
    ChannelRecord& txOff = add(300, "29.60000"); // TX 29.7013: off the grid
    txOff.TxOffsetDir = 2;
    txOff.TxOffset = std::string("0010130");
    txOff.EncodeTone = txOff.DecodeTone = 5;
    ChannelRecord& rxOnly = add(301, "29.62000");
    rxOnly.TxInhibit = 1;
    rxOnly.TxOffsetDir = 1;
    rxOnly.TxOffset = std::string("0010000");
    ChannelRecord& vfo = add(kVfoChannelNo, "27.86000");
    vfo.Mode = 1;
    return d;
}

TEST_F(CsvChannelsTest, EveryDocumentExportsAndImportsBackIntoANewDocument) {
    const DocumentCopy radio = RadioDocument(app);
    const std::string csv = ExportChannelsCsv(app, radio);
    EXPECT_NE(
        csv.find("\r\n480,,26.349000,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,8.33,,25W,zt: rxstep=2,"),
        std::string::npos)
        << csv;

    Document fresh;
    RadioInfoRecord info;
    SetNewDocumentValues(app, fresh, info, CalendarDate{2024, 1, 1});
    for (const bool freqEditable : {false, true}) {
        DocumentCopy d = fresh.work;
        d.settings.Options.Features.FreqEditable = freqEditable ? 1 : 0;
        const CsvPlacementAdvice advice = AdviseCsvPlacement(app, d, csv);
        EXPECT_EQ(advice.options.placement, CsvPlacement::FileNumbers);
        const CsvImportPlan plan = PlanCsvImport(app, d, csv);
        EXPECT_EQ(plan.refusedCount, 0) << CsvOutcomeText(app, plan);
        EXPECT_EQ(plan.taken.size(), static_cast<std::size_t>(radio.count()));
        ApplyCsvImport(plan, d);
        EXPECT_EQ(ByNumber(d), ByNumber(radio));
        EXPECT_EQ(ExportChannelsCsv(app, d), csv);
    }
    // The off-grid values are noted in the preview.
    const CsvImportPlan plan = PlanCsvImport(app, fresh.work, csv);
    std::vector<int> noted;
    for (const CsvTakenRow& t : plan.taken)
        for (const CsvIssue& n : t.notes)
            if (n.textId == csvtext::NoteOffGrid)
                noted.push_back(t.record.ChannelNo);
    EXPECT_EQ(noted, (std::vector<int>{3, 300, 480}));

    // Another tool's row on a band-plan channel is still refused unless it holds the channel's
    // frequency; then its other columns apply.
    DocumentCopy d = radio;
    const CsvImportPlan other =
        PlanCsvImport(app, d, "Location,Frequency,Mode\n1,26.966,AM\n2,26.985,FM\n41,26.1,FM\n");
    EXPECT_EQ(Taken(other), (std::vector<int>{2}));
    EXPECT_EQ(other.taken[0].record.Mode, 1);
    EXPECT_EQ(Refused(other),
              (std::map<int, int>{{2, csvtext::FrequencyFixed}, {4, csvtext::FrequencyFixed}}));
}

TEST_F(CsvChannelsTest, OutcomeAndPlacementReasonNameWhatApplied) {
    app.lang.load(std::string(ZT_DATA_DIR) + "/language/english.ini");
    DocumentCopy d;
    Add(d, 281, "27.00000");
    Add(d, 283, "27.50000");
    const CsvPlacementAdvice advice = AdviseCsvPlacement(app, d, kOtherToolExport);
    EXPECT_EQ(CsvPlacementReasonText(app, advice),
              "The file's own channel numbers do not fit 5 of 5 rows (channels 1..5 are in the band-plan "
              "groups 0..6 (4 rows); 1 rows are numbered outside 1..481 (such as 0)): they go in file order "
              "from Group 7 CH 2.");
    const std::string repeated = "Location,Frequency\n401,28\n401,28\n401,28\n5,28\n";
    CsvPlacementAdvice again = AdviseCsvPlacement(app, d, repeated);
    EXPECT_NE(CsvPlacementReasonText(app, again)
                  .find("(channel 5 is in the band-plan groups 0..6; 2 rows "
                        "repeat the number of an earlier row)"),
              std::string::npos)
        << CsvPlacementReasonText(app, again);

    CsvImportPlan plan = PlanCsvImport(app, d, kOtherToolExport, advice.options);
    EXPECT_EQ(CsvOutcomeText(app, plan),
              "4 imported, 2 refused; first refused: line 4, channel 2: mode not available on this radio "
              "(AM and FM only) (USB); line 5, channel 3: frequency outside the radio's band (50.125000)");
    EXPECT_EQ(CsvOutcomeText(app, plan, false).substr(0, 22), "0 imported, 2 refused;");
    plan = PlanCsvImport(app, d, "Location,Frequency\n" + std::string(5, 'x') + "\n0\n-1\n482\n401,28\n");
    EXPECT_NE(CsvOutcomeText(app, plan).find("1 imported, 4 refused; first refused: line 2"),
              std::string::npos);
    EXPECT_EQ(CsvOutcomeText(app, plan).substr(CsvOutcomeText(app, plan).size() - 5), "; ...");
}

} // namespace
} // namespace zt
