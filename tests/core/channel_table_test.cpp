// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/channel_table.h"

#include <gtest/gtest.h>

namespace zt {
namespace {

class ChannelTableTest : public ::testing::Test {
  protected:
    AppState app;
    DocumentCopy d;

    void Add(std::initializer_list<int> numbers) {
        for (int n : numbers)
            ASSERT_TRUE(AppendChannel(app, d, n, "27.6"));
    }
    std::vector<int> Numbers() const {
        std::vector<int> v;
        for (int i = 0; i < d.count(); ++i)
            v.push_back(d.channels[static_cast<std::size_t>(i)].ChannelNo);
        return v;
    }
};

TEST_F(ChannelTableTest, AppendWritesAFreshRecordAtTheEnd) {
    d.channels[0].Mode = 1; // left over from an earlier table; must not leak into the new record
    Add({481});
    const ChannelRecord& r = d.channels[0];
    EXPECT_EQ(d.count(), 1);
    EXPECT_EQ(r.ChannelNo, 481);
    EXPECT_EQ(r.RxFreq.raw(), "02760000");
    EXPECT_EQ(r.TxOffset.raw(), std::string(7, '\0'));
    EXPECT_EQ(r.TxOffsetDir, 0);
    EXPECT_EQ(r.Mode, 0);
}

TEST_F(ChannelTableTest, AppendRefusesDuplicatesBadNumbersAndAFullTable) {
    Add({5});
    EXPECT_FALSE(AppendChannel(app, d, 5, "27.6"));
    EXPECT_FALSE(AppendChannel(app, d, 0, "27.6"));
    EXPECT_FALSE(AppendChannel(app, d, 482, "27.6"));
    EXPECT_EQ(d.count(), 1);

    for (int n = 1; n <= kMaxChannels; ++n) {
        if (n != 5) {
            ASSERT_TRUE(AppendChannel(app, d, n, "27.6"));
        }
    }
    EXPECT_EQ(d.count(), kMaxChannels);
    DeleteChannelNo(d, 7);
    EXPECT_TRUE(AppendChannel(app, d, 7, "27.6"));
    EXPECT_FALSE(AppendChannel(app, d, 7, "27.6"));
}

TEST_F(ChannelTableTest, DeleteShiftsLaterSlotsDown) {
    Add({3, 1, 481, 41});
    DeleteChannelAt(d, 1);
    EXPECT_EQ(Numbers(), (std::vector<int>{3, 481, 41}));
    DeleteChannelNo(d, 41);
    EXPECT_EQ(Numbers(), (std::vector<int>{3, 481}));
    DeleteChannelNo(d, 2); // absent: nothing happens
    DeleteChannelAt(d, 2); // past the end: nothing happens
    DeleteChannelAt(d, -1);
    EXPECT_EQ(Numbers(), (std::vector<int>{3, 481}));
    EXPECT_EQ(FindChannel(d, 481), 1);
    EXPECT_EQ(FindChannel(d, 41), -1);
}

TEST_F(ChannelTableTest, CountFromABadFileNeverReadsPastTheTable) {
    d.settings.ChannelCount = 30000;
    EXPECT_EQ(FindChannel(d, 999), -1);
    d.settings.ChannelCount = -4;
    EXPECT_EQ(FindChannel(d, 0), -1);
    EXPECT_TRUE(GroupChannelList(d, 0).empty());
    Add({2});
    EXPECT_EQ(Numbers(), std::vector<int>{2});
}

TEST_F(ChannelTableTest, GroupListsAndMembership) {
    Add({481, 52, 41, 80, 1, 81, 40});
    EXPECT_EQ(GroupChannelList(d, 0), (std::vector<int>{1, 40}));
    EXPECT_EQ(GroupChannelList(d, 1), (std::vector<int>{1, 12, 40}));
    EXPECT_EQ(GroupChannelList(d, 2), (std::vector<int>{1}));
    EXPECT_EQ(GroupChannelList(d, 12), (std::vector<int>{1}));
    EXPECT_TRUE(GroupChannelList(d, 11).empty());
    EXPECT_TRUE(GroupChannelList(d, 13).empty());

    EXPECT_EQ(ChannelInGroup(d, 1, 12), 12);
    EXPECT_EQ(ChannelInGroup(d, 1, 13), 0);
    EXPECT_EQ(ChannelInGroup(d, 12, 1), 1);
    EXPECT_EQ(ChannelInGroup(d, 0, 41), 0); // 41 is not an in-group number of group 0
    EXPECT_EQ(ChannelInGroup(d, 0, 0), 0);

    DeleteChannelNo(d, 481);
    EXPECT_TRUE(GroupChannelList(d, 12).empty());
}

TEST_F(ChannelTableTest, ClearingACodeResetsOnlyThatCode) {
    Add({1, 2});
    d.channels[0].PttIdBot = 3;
    d.channels[0].PttIdEot = 4;
    d.channels[1].CallCode = 3;
    d.channels[1].PttIdEot = 3;
    auto& vfo = d.settings.Options.Features.VfoChannel;
    vfo.PttIdBot = 3;
    vfo.CallCode = 4;
    ClearCodeReferences(d, 3);
    EXPECT_EQ(d.channels[0].PttIdBot, 0);
    EXPECT_EQ(d.channels[0].PttIdEot, 4);
    EXPECT_EQ(d.channels[1].CallCode, 0);
    EXPECT_EQ(d.channels[1].PttIdEot, 0);
    EXPECT_EQ(vfo.PttIdBot, 0);
    EXPECT_EQ(vfo.CallCode, 4);
}

TEST(GroupLabelTest, NumberNameAndVfo) {
    SettingsRecord s;
    s.GroupNames[3] = "EC";
    s.GroupNames[0] = "E";
    struct Case {
        int group;
        const char* label;
    } cases[] = {{3, "3 -- EC"}, {1, "1 -- "}, {12, "12 -- VFO"}, {13, "0 -- E"}, {-1, "0 -- E"}};
    for (const auto& c : cases)
        EXPECT_EQ(GroupLabel(s, c.group), c.label) << c.group;
}

} // namespace
} // namespace zt
