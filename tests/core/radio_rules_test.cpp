// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/radio_rules.h"

#include <gtest/gtest.h>

namespace zt {
namespace {

TEST(RadioRules, ChannelNumbersAndGroupsAgree) {
    struct Case {
        int channel, group, row;
    } cases[] = {{1, 0, 1}, {40, 0, 40}, {41, 1, 1}, {280, 6, 40}, {281, 7, 1}, {480, 11, 40}, {481, 12, 1}};
    for (const auto& c : cases) {
        EXPECT_EQ(GroupOfChannel(c.channel), c.group) << c.channel;
        EXPECT_EQ(ChannelNumber(c.group, c.row), c.channel) << c.channel;
        EXPECT_LE(c.row, GroupSize(c.group)) << c.channel;
    }
    EXPECT_EQ(GroupOfChannel(kVfoChannelNo), kVfoGroup);
    EXPECT_EQ(GroupSize(kVfoGroup), 1);
    EXPECT_EQ(ClampGroup(-1), 0);
    EXPECT_EQ(ClampGroup(13), kVfoGroup);
    EXPECT_FALSE(IsGroup(13));
}

TEST(RadioRules, FixedGroupsNeedTheOption) {
    // Groups 0..6 take a frequency only with "frequency changeable"; 7..12 always.
    for (int g = 0; g <= kVfoGroup; ++g) {
        EXPECT_EQ(FrequencyEditable(g, false), g > 6) << g;
        EXPECT_TRUE(FrequencyEditable(g, true)) << g;
    }
    EXPECT_TRUE(KeepsRxFrequency(400));
    EXPECT_FALSE(KeepsRxFrequency(401));
}

TEST(RadioRules, BusyLockOnAWrongToneNeedsATone) {
    struct Case {
        i16 busy;
        int tone;
        i16 forTone, afterSignal;
    } cases[] = {{0, 0, 0, 0}, {1, 0, 1, 1}, {2, 0, 1, 1}, {3, 0, 3, 1}, {2, 5, 2, 2}, {3, 5, 3, 3}};
    for (const auto& c : cases) {
        EXPECT_EQ(BusyLockForTone(c.busy, c.tone), c.forTone) << c.busy << "/" << c.tone;
        EXPECT_EQ(BusyLockAfterSignalChange(c.busy, c.tone), c.afterSignal) << c.busy << "/" << c.tone;
    }
    ChannelRecord r;
    r.DecodeTone = 0;
    r.EncodeTone = 7;
    EXPECT_EQ(EffectiveDecodeTone(r), 0);
    r.Scrambler = 1; // the scrambler compares the encode tone
    EXPECT_EQ(EffectiveDecodeTone(r), 7);
}

TEST(RadioRules, BandEdgesAndStepGrids) {
    const AppState app; // 25.615 - 30.105 MHz
    struct Case {
        const char* typed;
        int group;
        const char* text;
        bool outOfBand;
    } cases[] = {
        {"27.61125", 5, "27.61000", false}, {"27.61125", 6, "27.61125", false},
        {"27.6149", 7, "27.61000", false},  {"25.615", 0, "25.61500", false},
        {"25.6", 0, "25.61500", true},      {"30.2", 0, "30.10500", true},
        {"x", 0, "25.61500", true},
    };
    for (const auto& c : cases) {
        const BandCheck b = CheckBand(app, c.typed, c.group);
        EXPECT_EQ(b.text, c.text) << c.typed;
        EXPECT_EQ(b.outOfBand, c.outOfBand) << c.typed;
    }
    const long long low = BandLowUnits(app);
    EXPECT_TRUE(InBand(app, low));
    EXPECT_FALSE(InBand(app, low - 1));
    EXPECT_TRUE(InBand(app, BandHighUnits(app)));
    EXPECT_FALSE(InBand(app, BandHighUnits(app) + 1));
    struct Grid {
        long long offset, units;
        i16 stepClass;
    } grid[] = {{500, 500, 0}, {625, 625, 1}, {833, 833, 2}, {2499, 2500, 2}, {1001, 1000, 0}};
    for (const auto& g : grid) {
        const GridPlace p = PlaceOnStepGrid(low + g.offset, low);
        EXPECT_EQ(p.units - low, g.units) << g.offset;
        EXPECT_EQ(p.stepClass, g.stepClass) << g.offset;
    }
}

} // namespace
} // namespace zt
