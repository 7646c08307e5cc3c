// SPDX-License-Identifier: GPL-3.0-or-later
// Verify after write: the read-back phase of a write, the naming of what differs, and the backups
// the engine asks its host to keep.
#include "link_sim.h"

#include "link/image_verify.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace zt::test {
namespace {

int CountFrames(const std::vector<Frame>& sent, char kind) {
    return static_cast<int>(std::count_if(sent.begin(), sent.end(), [kind](const Frame& f) {
        return f.size() >= 4 && f[0] == static_cast<std::uint8_t>(kind);
    }));
}

// A document with a few channels, so that the written image holds something to lose.
void SomeChannels(Bench& b) {
    b.app.ModelNameText = "ZT-450E";
    auto& w = b.doc.work;
    for (int i = 0; i < 3; ++i) {
        ChannelRecord& r = w.channels[static_cast<std::size_t>(i)];
        r.ChannelNo = static_cast<i16>(11 + i);
        r.RxFreq = "02851000";
        r.AmPower = 1;
    }
    w.settings.ChannelCount = 3;
}

TEST(VerifyCompare, EachByteOrBitIsNamedByItsChannelAndField) {
    struct Case {
        int address;
        std::uint8_t flip;
        MemoryField expected;
    };
    const Case cases[] = {
        {12 * 16 + 0, 0x01, {12, "RxFreq", -1}},
        {12 * 16 + 5, 0x08, {12, "AmPower", -1}}, // one bit of the shared power byte
        {12 * 16 + 5, 0x01, {12, "FmPower", -1}},
        {481 * 16 + 7, 0x10, {481, "DecodeTone", -1}},
        {12 * 16 + 13, 0xFF, {12, "PttIdEot", -1}},
        {12 * 16 + 3, 0x04, {12, "", -1}},                     // a slot byte no field holds
        {addr::kUsedBitmap + 1, 0x08, {12, "Used", -1}},       // channel 12 is bit 3 of byte 1
        {addr::kScanBitmap + 60, 0x01, {481, "ScanSkip", -1}}, // channel 481 is bit 0 of byte 60
        {addr::kGroupNames + 3 * 4 + 1, 0x20, {0, "GroupNames", 4}},
        {addr::kVfo + 1, 0x02, {0, "Vfo.DecodeTone", -1}},
        {addr::kOptions + 0xB, 0x01, {0, "FirstDigitTime", -1}},
        {addr::kDtmfCodes + 16 * 3 + 2, 0x01, {0, "CodeList", 4}},
        {addr::kToneTips + 30 * 7 + 29, 0x01, {0, "ToneTips", 8}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address);
        RadioImage written;
        written.fill(0x00);
        RadioImage held = written;
        held[static_cast<std::size_t>(c.address)] ^= c.flip;
        const auto diffs = CompareWrittenImage(written, held);
        ASSERT_EQ(diffs.size(), 1u);
        EXPECT_EQ(diffs[0].what, c.expected);
        EXPECT_EQ(diffs[0].address, c.address);
    }
}

TEST(VerifyCompare, TheRadiosOwnBytesNeverDifferAndOneFieldIsNamedOnce) {
    RadioImage written;
    written.fill(0xFF);
    RadioImage held = written;
    for (int a = addr::kIdent; a <= addr::kRadioFlags + 1; ++a)
        held[static_cast<std::size_t>(a)] = 0x00;
    EXPECT_TRUE(CompareWrittenImage(written, held).empty());
    held[addr::kPowerOnText + 2] = 'A';
    held[addr::kPowerOnText + 9] = 'B';
    const auto diffs = CompareWrittenImage(written, held);
    ASSERT_EQ(diffs.size(), 1u);
    EXPECT_EQ(diffs[0].what.field, "PowerOnText");
}

// The radio owns exactly 0x21F0..0x21FD: the bytes on either side of that range are the document's
// (the last of the power-on text, the two bytes after the flags, the first DTMF code's first digit).
TEST(VerifyCompare, TheBytesAroundTheRadiosOwnAreCompared) {
    const struct {
        int address;
        const char* field;
    } cases[] = {
        {addr::kPowerOnText + 15, "PowerOnText"},
        {addr::kRadioFlags + 2, ""},
        {addr::kRadioFlags + 3, ""},
        {addr::kDtmfCodes, "CodeList"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address);
        EXPECT_FALSE(IsRadioOwnedAddress(c.address));
        RadioImage written;
        written.fill(0x00);
        RadioImage held = written;
        held[static_cast<std::size_t>(c.address)] = 0x05;
        const auto diffs = CompareWrittenImage(written, held);
        ASSERT_EQ(diffs.size(), 1u);
        EXPECT_EQ(diffs[0].address, c.address);
        EXPECT_EQ(diffs[0].what.field, c.field);
    }
}

TEST(VerifyCompare, DescriptionGivesOneLineAChannelInTheUsersWords) {
    Bench b;
    std::vector<ImageDifference> diffs = {{{12, "RxFreq", -1}, 0xC0},   {{0, "GroupNames", 4}, 0x214C},
                                          {{12, "AmPower", -1}, 0xC5},  {{12, "FmPowerLock", -1}, 0xC5},
                                          {{321, "", -1}, 0x1415},      {{0, "Vfo.DecodeTone", -1}, 0x2191},
                                          {{0, "", -1}, 0x2188},        {{481, "EncodeTone", -1}, 0x1E18},
                                          {{0, "GroupChan", 3}, 0x2408}};
    // Channels as the grid shows them, what differs in a few words, never an address.
    EXPECT_EQ(DescribeDifferences(b.app, diffs),
              std::vector<std::string>(
                  {"Settings: groups, VFO, other settings", "Group 0 CH 12 (channel 12): frequency, power",
                   "Group 8 CH 1 (channel 321): other channel data", "Group 12 CH 1 (channel 481): tones"}));

    diffs.clear();
    for (int ch = 1; ch <= 30; ++ch)
        diffs.push_back({{ch, "Mode", -1}, ch * 16 + 5});
    const auto lines = DescribeDifferences(b.app, diffs, 5);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "Group 0 CH 1 (channel 1): mode");
    EXPECT_EQ(lines[4], "... and 26 more");
}

TEST(VerifyWrite, ReadBackFindsWhatTheRadioHolds) {
    struct Case {
        const char* name;
        bool verify;
        std::set<int> lost, altered;
        bool silentAfterEnd;
        VerifyStatus status;
        int readBlocks; // block reads after the password block
        std::vector<std::string> firstLines;
    };
    const Case cases[] = {
        {"verifying off", false, {}, {}, false, VerifyStatus::NotRun, 0, {}},
        {"radio stores everything", true, {}, {}, false, VerifyStatus::Verified, 580, {}},
        {"channel 12 lost, group names altered",
         true,
         {12 * 16},
         {addr::kGroupNames},
         false,
         VerifyStatus::Differs,
         580,
         {"Settings: groups", "Group 0 CH 12 (channel 12): frequency, power, mode, other channel data, "
                              "audio functions, squelch and beeps ... and 2 more"}},
        {"radio silent after the write", true, {}, {}, true, VerifyStatus::Unfinished, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bench b;
        SomeChannels(b);
        b.radio.lostWrites = c.lost;
        b.radio.alteredWrites = c.altered;
        b.radio.silentAfterEnd = c.silentAfterEnd;
        b.port.echoCable = true;
        b.engine.setVerifyAfterWrite(c.verify);
        ASSERT_TRUE(b.engine.startWrite());
        b.run();

        ASSERT_EQ(b.host.results.size(), 1u);
        const LinkResult& r = b.host.results[0];
        EXPECT_TRUE(r.ok()) << "the write itself was acknowledged";
        EXPECT_EQ(r.mode, LinkMode::Write);
        EXPECT_EQ(r.verify, c.status);
        EXPECT_EQ(b.host.readBacks, c.verify ? 1 : 0);
        EXPECT_EQ(b.host.progressOpened, 1);
        EXPECT_EQ(b.host.progressClosed, 1);
        EXPECT_FALSE(b.port.opened);
        // The password block is read once for the write and once for a read-back that got that far.
        const int passwordReads = c.verify && !c.silentAfterEnd ? 2 : 1;
        EXPECT_EQ(CountFrames(b.port.sent, 'R'), passwordReads + c.readBlocks);
        EXPECT_EQ(CountFrames(b.port.sent, 'W'), 580) << "a failed read-back never writes again";

        // The last message says what was found; nothing asks to try the link again.
        const std::string last = b.askedTexts().back();
        const auto& texts = b.askedTexts();
        EXPECT_EQ(std::count(texts.begin(), texts.end(), b.text(9008)), 0);
        switch (c.status) {
        case VerifyStatus::NotRun:
            EXPECT_EQ(last, b.text(9010));
            break;
        case VerifyStatus::Verified:
            EXPECT_EQ(last, b.text(9010) + "\r\n" + b.text(33212));
            break;
        case VerifyStatus::Differs: {
            EXPECT_EQ(r.messageId, 33213);
            std::string expected = b.text(33213);
            for (const auto& line : c.firstLines)
                expected += "\r\n" + line;
            EXPECT_EQ(last, expected);
            EXPECT_EQ(b.prompter.asked.back().icon, Icon::Warning);
            break;
        }
        case VerifyStatus::Unfinished:
            EXPECT_EQ(r.messageId, 33214);
            EXPECT_EQ(last, b.text(33214));
            break;
        }
    }
}

TEST(VerifyWrite, ProgressStartsAgainForTheReadBack) {
    Bench b;
    b.port.echoCable = true;
    b.engine.setVerifyAfterWrite(true);
    b.engine.startWrite();
    b.run();
    // Two rises from 1 to 100: the write, then the read-back.
    ASSERT_EQ(b.host.progress.size(), 200u);
    EXPECT_EQ(b.host.progress[99], 100);
    EXPECT_EQ(b.host.progress[100], 1);
    EXPECT_EQ(b.host.progress.back(), 100);
}

TEST(Backups, KeptForACompleteReadAndBeforeAWriteButNotForAFailedRead) {
    Bench b;
    for (std::size_t i = 0; i < 0x2440; ++i)
        b.radio.memory[i] = static_cast<std::uint8_t>(i * 5);
    b.radio.setPassword("");
    b.port.echoCable = true;
    b.engine.startRead();
    b.run();
    ASSERT_EQ(b.host.backups.size(), 1u);
    EXPECT_EQ(b.host.backups[0].first, LinkMode::Read);
    EXPECT_TRUE(
        std::equal(b.host.backups[0].second.begin(), b.host.backups[0].second.end(), b.radio.memory.begin()));
    // Kept before the success message is shown, so nothing the user does can come first.
    EXPECT_EQ(b.askedTexts().back(), b.text(9009));

    b.engine.startWrite();
    ASSERT_EQ(b.host.backups.size(), 2u) << "kept before the first frame";
    EXPECT_EQ(b.host.backups[1].first, LinkMode::Write);
    EXPECT_EQ(b.host.backups[1].second, b.engine.image());
    b.run();

    Bench silent;
    silent.radio.silentHandshakes = 1000;
    silent.prompter.script = {Answer::Ok, Answer::Cancel}; // confirm the read, then give up
    silent.engine.startRead();
    silent.run();
    EXPECT_FALSE(silent.host.results.at(0).ok());
    EXPECT_TRUE(silent.host.backups.empty());
}

} // namespace
} // namespace zt::test
