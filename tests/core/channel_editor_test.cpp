// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/channel_editor.h"
#include "model/channel_table.h"

#include <gtest/gtest.h>

#include <iterator>
#include <vector>

namespace zt {
namespace {

class ChannelEditorTest : public ::testing::Test {
  protected:
    ChannelEditorTest() {
        app.prompter = &prompter;
        app.habits.TxAsOffset = false;
    }
    AppState app;
    RecordingPrompter prompter;
    Document doc;

    void Add(int channelNo, const char* freq = "27.00000") {
        ASSERT_TRUE(AppendChannel(app, doc.work, channelNo, freq));
    }
    ChannelRecord& Ch(int channelNo) {
        const int slot = FindChannel(doc.work, channelNo);
        EXPECT_GE(slot, 0) << channelNo;
        return doc.work.channels[static_cast<std::size_t>(slot < 0 ? 0 : slot)];
    }
    std::string Rx(int channelNo) { return Ch(channelNo).RxFreq.raw(); }
};

TEST_F(ChannelEditorTest, ClearingRxDeletesButNeverTheLastChannel) {
    Add(401);
    EXPECT_FALSE(SetChannelCell(app, doc, 10, 1, col::RxFreq, ""));
    EXPECT_EQ(doc.work.count(), 1);

    Add(402);
    EXPECT_TRUE(SetChannelCell(app, doc, 10, 1, col::RxFreq, ""));
    EXPECT_EQ(doc.work.count(), 1);
    EXPECT_EQ(FindChannel(doc.work, 401), -1);
    EXPECT_EQ(FindChannel(doc.work, 402), 0);
}

TEST_F(ChannelEditorTest, RxEntryAppendsOrChangesOnlyFreeChannels) {
    Add(300);
    Add(401);
    // Empty row 5 of group 7 (channel 285): appended with the validated frequency.
    EXPECT_TRUE(SetChannelCell(app, doc, 7, 5, col::RxFreq, "27.617"));
    EXPECT_EQ(Rx(285), "02761500");
    // Channels 1..400 keep their RX frequency; 401 and above take the new one.
    EXPECT_FALSE(SetChannelCell(app, doc, 7, 20, col::RxFreq, "28.5"));
    EXPECT_EQ(Rx(300), "02700000");
    EXPECT_TRUE(SetChannelCell(app, doc, 10, 1, col::RxFreq, "28.5"));
    EXPECT_EQ(Rx(401), "02850000");
    EXPECT_TRUE(prompter.asked.empty());
    // Other columns on an absent channel change nothing.
    EXPECT_FALSE(SetChannelCell(app, doc, 7, 6, col::Mode, 1));
    EXPECT_EQ(FindChannel(doc.work, 286), -1);
}

TEST_F(ChannelEditorTest, FrequenciesOfBandPlanGroupsNeedFreqEditable) {
    Add(81);
    for (int column : {col::RxFreq, col::TxFreq})
        EXPECT_FALSE(SetChannelCell(app, doc, 2, 2, column, "27.5"));
    EXPECT_FALSE(SetChannelCell(app, doc, 2, 1, col::TxFreq, "27.5"));
    EXPECT_EQ(doc.work.count(), 1);

    doc.work.settings.Options.Features.FreqEditable = 1;
    EXPECT_TRUE(SetChannelCell(app, doc, 2, 2, col::RxFreq, "27.5"));
    EXPECT_TRUE(SetChannelCell(app, doc, 2, 1, col::TxFreq, "27.5"));
    EXPECT_EQ(Ch(81).TxOffsetDir, 2);
}

// The RX rule at its boundary and at the edges of the groups: channels 1..400 keep their RX
// frequency, every channel above takes a new one; the first and last row of each group reach
// their channel.
TEST_F(ChannelEditorTest, RxChangeTakesFromChannel401AtEveryGroupEdge) {
    doc.work.settings.Options.Features.FreqEditable = 1; // the band-plan groups take frequencies too
    struct Case {
        int group;
        int row;
        int channel;
        bool takes;
    };
    const Case cases[] = {
        {0, 1, 1, false},   {0, 40, 40, false},  {1, 1, 41, false},  {9, 39, 399, false}, {9, 40, 400, false},
        {10, 1, 401, true}, {10, 40, 440, true}, {11, 1, 441, true}, {11, 40, 480, true}, {12, 1, 481, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.channel);
        Add(c.channel, "27.00000");
        EXPECT_EQ(SetChannelCell(app, doc, c.group, c.row, col::RxFreq, "28.5"), c.takes);
        EXPECT_EQ(Rx(c.channel), c.takes ? "02850000" : "02700000");
    }
    EXPECT_EQ(doc.work.count(), static_cast<int>(std::size(cases))); // no row reached another channel
}

// Groups 0..6 are the fixed band plan: their frequencies change only with FreqEditable set;
// group 7 and above always take them, in both frequency columns.
TEST_F(ChannelEditorTest, FrequencyLockEndsAfterGroup6) {
    struct Case {
        int group;
        int editable;
        bool takes;
    };
    const Case cases[] = {{6, 0, false}, {6, 1, true}, {7, 0, true}, {7, 1, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "group " << c.group << " FreqEditable " << c.editable);
        doc = Document{};
        doc.work.settings.Options.Features.FreqEditable = static_cast<i16>(c.editable);
        const int first = GroupBase(c.group) + 1;
        Add(first + 1, "27.00000");
        // RX on an empty row appends a channel; TX on an existing one sets its offset.
        EXPECT_EQ(SetChannelCell(app, doc, c.group, 1, col::RxFreq, "27.5"), c.takes);
        EXPECT_EQ(FindChannel(doc.work, first) >= 0, c.takes);
        EXPECT_EQ(SetChannelCell(app, doc, c.group, 2, col::TxFreq, "27.6"), c.takes);
        EXPECT_EQ(Ch(first + 1).TxOffsetDir, c.takes ? 2 : 0);
    }
}

TEST_F(ChannelEditorTest, OutOfBandRxIsReportedAndReplacedByTheEdge) {
    EXPECT_TRUE(SetChannelCell(app, doc, 10, 3, col::RxFreq, "31"));
    EXPECT_EQ(Rx(403), "03010500");
    ASSERT_EQ(prompter.asked.size(), 1u);
    EXPECT_EQ(prompter.asked[0].icon, Icon::Warning);
}

TEST_F(ChannelEditorTest, TxColumnSetsOffsetAndDirection) {
    Add(401, "27.00000");
    EXPECT_TRUE(SetChannelCell(app, doc, 10, 1, col::TxFreq, "26.9"));
    EXPECT_EQ(Ch(401).TxOffset.raw(), "0010000");
    EXPECT_EQ(Ch(401).TxOffsetDir, 1);
    // The same text as shown changes nothing.
    EXPECT_FALSE(SetChannelCell(app, doc, 10, 1, col::TxFreq, "26.90000"));

    app.habits.TxAsOffset = true;
    EXPECT_FALSE(SetChannelCell(app, doc, 10, 1, col::TxFreq, "-0.10000"));
    EXPECT_TRUE(SetChannelCell(app, doc, 10, 1, col::TxFreq, "+0.6"));
    EXPECT_EQ(Ch(401).TxOffset.raw(), "0060000");
    EXPECT_EQ(Ch(401).TxOffsetDir, 2);
    EXPECT_TRUE(prompter.asked.empty()); // an offset is not checked against the band
}

// A typed TX frequency or offset is moved onto a step grid measured from the band's low edge
// (25.615): 28.003 is on none (lowered to 28.000, simplex), an offset to 28.0025 is on the 6.25 kHz
// grid, 27.89997 is lowered onto the 5 kHz grid. A typed TX frequency (not an offset) is first
// checked as a frequency, which keeps it on the 5 kHz channel grid.
TEST_F(ChannelEditorTest, TypedTxIsSnappedOntoAStepGrid) {
    const struct {
        bool asOffset;
        const char* typed;
        int dir;
        const char* offset;
        int txClass;
    } cases[] = {
        {true, "+0.003", 0, "", 0},          {false, "28.003", 0, "", 0},
        {true, "+0.0025", 2, "0000250", 1},  {false, "27.99625", 1, "0000500", 0},
        {true, "-0.10003", 1, "0010500", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        doc = Document{};
        Add(401, "28.00000");
        app.habits.TxAsOffset = c.asOffset;
        SetChannelCell(app, doc, 10, 1, col::TxFreq, c.typed);
        EXPECT_EQ(Ch(401).TxOffsetDir, c.dir);
        if (c.dir != 0) {
            EXPECT_EQ(Ch(401).TxOffset.raw(), c.offset);
        }
        EXPECT_EQ(Ch(401).TxStepClass, c.txClass);
        EXPECT_EQ(Rx(401), "02800000");
    }
}

TEST_F(ChannelEditorTest, ToneRules) {
    Add(1);
    ChannelRecord& r = Ch(1);
    r.BusyLock = 2;
    EXPECT_TRUE(SetChannelCell(app, doc, 0, 1, col::DecodeTone, 5));
    EXPECT_EQ(r.DecodeTone, 5);
    EXPECT_EQ(r.EncodeTone, 5);
    EXPECT_EQ(r.BusyLock, 2);
    EXPECT_TRUE(SetChannelCell(app, doc, 0, 1, col::DecodeTone, 0));
    EXPECT_EQ(r.DecodeTone, 0);
    EXPECT_EQ(r.EncodeTone, 5);
    EXPECT_EQ(r.BusyLock, 1); // busy lock by tone needs a decode tone

    EXPECT_TRUE(SetChannelCell(app, doc, 0, 1, col::EncodeTone, 0));
    EXPECT_TRUE(SetChannelCell(app, doc, 0, 1, col::EncodeTone, 60));
    EXPECT_EQ(r.DecodeTone, 60);
    EXPECT_TRUE(SetChannelCell(app, doc, 0, 1, col::EncodeTone, 61));
    EXPECT_EQ(r.DecodeTone, 60); // only a tone that was off follows

    r.DecodeTone = 0;
    r.BusyLock = 3;
    EXPECT_TRUE(SetChannelCell(app, doc, 0, 1, col::OptSignal, 2));
    EXPECT_EQ(r.OptSignal, 2);
    EXPECT_EQ(r.BusyLock, 1);
}

// Busy lock by tone (2) needs a decode tone: clearing the decode tone turns only that choice into
// plain busy lock (1); an optional signal turns any choice above 1 into 1 while no decode tone is set.
TEST_F(ChannelEditorTest, BusyLockFollowsTheDecodeTone) {
    struct Case {
        int column;
        int value;
        i16 decodeBefore;
        i16 busyBefore;
        i16 busyAfter;
    };
    const Case cases[] = {
        {col::DecodeTone, 0, 5, 2, 1}, {col::DecodeTone, 0, 5, 3, 3}, {col::DecodeTone, 0, 5, 1, 1},
        {col::DecodeTone, 6, 5, 2, 2}, {col::OptSignal, 1, 0, 2, 1},  {col::OptSignal, 1, 0, 3, 1},
        {col::OptSignal, 1, 0, 1, 1},  {col::OptSignal, 1, 5, 3, 3},  {col::OptSignal, 1, 5, 2, 2},
    };
    Add(1);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "column " << c.column << " decode " << c.decodeBefore << " busy " << c.busyBefore);
        ChannelRecord& r = Ch(1);
        r.DecodeTone = c.decodeBefore;
        r.EncodeTone = 7;
        r.OptSignal = 0;
        r.BusyLock = c.busyBefore;
        EXPECT_TRUE(SetChannelCell(app, doc, 0, 1, c.column, c.value));
        EXPECT_EQ(r.BusyLock, c.busyAfter);
    }
}

TEST_F(ChannelEditorTest, PlainColumnsSetTheirFieldOnly) {
    Add(5);
    struct Case {
        int column;
        i16 ChannelRecord::*field;
    } cases[] = {
        {col::ScanSkip, &ChannelRecord::ScanSkip},
        {col::Spacing, &ChannelRecord::Spacing},
        {col::PttIdMode, &ChannelRecord::PttIdMode},
        {col::BusyLock, &ChannelRecord::BusyLock},
        {col::ScrambleTalkaround, &ChannelRecord::ScrambleTalkaround},
        {col::PttIdBot, &ChannelRecord::PttIdBot},
        {col::VoiceEncrypt, &ChannelRecord::VoiceEncrypt},
        {col::TxInhibit, &ChannelRecord::TxInhibit},
        {col::Talkaround, &ChannelRecord::Talkaround},
        {col::Scrambler, &ChannelRecord::Scrambler},
        {col::Whisper, &ChannelRecord::Whisper},
        {col::Compander, &ChannelRecord::Compander},
        {col::SignalRelation, &ChannelRecord::SignalRelation},
        {col::PttIdEot, &ChannelRecord::PttIdEot},
        {col::RogerBeep, &ChannelRecord::RogerBeep},
        {col::SquelchMode, &ChannelRecord::SquelchMode},
        {col::Mode, &ChannelRecord::Mode},
        {col::AmPower, &ChannelRecord::AmPower},
        {col::FmPower, &ChannelRecord::FmPower},
        {col::CallCode, &ChannelRecord::CallCode},
        {col::Rep, &ChannelRecord::Rep},
        {col::Tsq, &ChannelRecord::Tsq},
        {col::RxExpander, &ChannelRecord::RxExpander},
        {col::TxCompressor, &ChannelRecord::TxCompressor},
        {col::NbAnl, &ChannelRecord::NbAnl},
        {col::Att, &ChannelRecord::Att},
        {col::HiCut, &ChannelRecord::HiCut},
        {col::ModeLock, &ChannelRecord::ModeLock},
        {col::AmPowerLock, &ChannelRecord::AmPowerLock},
        {col::FmPowerLock, &ChannelRecord::FmPowerLock},
        {col::RepLock, &ChannelRecord::RepLock},
    };
    for (const auto& c : cases) {
        ChannelRecord expected = Ch(5);
        expected.*c.field = 3;
        EXPECT_TRUE(SetChannelCell(app, doc, 0, 5, c.column, "3")) << c.column;
        EXPECT_EQ(Ch(5), expected) << c.column;
        Ch(5).*c.field = 0;
    }
    const ChannelRecord before = Ch(5);
    for (int column : {3, 6, 20, 31, 32, 33, 34, 35, 36, 46, 0, -1})
        EXPECT_FALSE(SetChannelCell(app, doc, 0, 5, column, 1)) << column;
    // Texts that are no 16-bit whole number change nothing; halves go to the even neighbour.
    for (const char* text : {"", "abc", "40000", "-40000"})
        EXPECT_FALSE(SetChannelCell(app, doc, 0, 5, col::Mode, text)) << text;
    EXPECT_EQ(Ch(5), before);
    EXPECT_TRUE(SetChannelCell(app, doc, 0, 5, col::RogerBeep, "2.5"));
    EXPECT_EQ(Ch(5).RogerBeep, 2);
}

TEST_F(ChannelEditorTest, RowsOutsideTheGroupAreIgnored) {
    Add(481);
    EXPECT_FALSE(SetChannelCell(app, doc, 12, 2, col::RxFreq, "27.5")); // would be channel 482
    EXPECT_FALSE(SetChannelCell(app, doc, 13, 1, col::RxFreq, "27.5"));
    EXPECT_FALSE(SetChannelCell(app, doc, 10, 0, col::RxFreq, "27.5"));
    EXPECT_FALSE(SetChannelCell(app, doc, 10, 41, col::RxFreq, "27.5"));
    EXPECT_EQ(doc.work.count(), 1);
}

TEST_F(ChannelEditorTest, RxChangesRefreshTheOpenWindows) {
    Add(401);
    Add(403);
    Add(405);
    auto& pair = doc.work.settings.Options.Features.GroupChan;
    pair[20] = 3; // group 10's pair: channels 403 and 405
    pair[21] = 5;
    int redisplays = 0;
    int reloads = 0;
    std::vector<int> rows;
    doc.editor.EditGroup = 10;
    doc.editor.RedisplayGrids = [&] { ++redisplays; };
    doc.editor.RedisplayChannel = [&](int no) { rows.push_back(no); };
    doc.editor.ReloadEditWindow = [&] { ++reloads; };

    // Windows closed: no callbacks, but the pair still forgets the deleted channel.
    EXPECT_TRUE(SetChannelCell(app, doc, 10, 5, col::RxFreq, ""));
    EXPECT_EQ(pair[20], 3);
    EXPECT_EQ(pair[21], 0);
    EXPECT_EQ(redisplays + reloads, 0);
    EXPECT_TRUE(SetChannelCell(app, doc, 10, 3, col::Mode, 1));
    EXPECT_TRUE(rows.empty());

    doc.editor.GridOpen = true;
    doc.editor.EditWindowOpen = true;
    EXPECT_TRUE(SetChannelCell(app, doc, 10, 7, col::RxFreq, "27.5"));
    EXPECT_EQ(redisplays, 1);
    EXPECT_EQ(reloads, 1);
    EXPECT_TRUE(rows.empty());
    // A plain column rewrites only that channel's row and reloads the edit window.
    EXPECT_TRUE(SetChannelCell(app, doc, 10, 7, col::Mode, 1));
    EXPECT_EQ(redisplays, 1);
    EXPECT_EQ(rows, std::vector<int>{407});
    EXPECT_EQ(reloads, 2);
    // A column on a missing channel changes nothing and has no row to rewrite.
    EXPECT_FALSE(SetChannelCell(app, doc, 10, 9, col::Mode, 1));
    EXPECT_EQ(rows.size(), 1u);
}

} // namespace
} // namespace zt
