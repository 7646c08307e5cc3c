// SPDX-License-Identifier: GPL-3.0-or-later
// Exchanges that go wrong and what the user can do about it: a radio that never stores a block,
// a cable pulled and put back, a write cut short after its first block, and a write whose backup
// cannot be kept.
#include "link_sim.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace zt::test {
namespace {

void FillPattern(SimRadio& r) {
    for (std::size_t i = 0; i < r.memory.size(); ++i)
        r.memory[i] = static_cast<std::uint8_t>(i * 7 + (i >> 8));
    r.setPassword("");
}

std::size_t WriteFramesAt(const FakePort& port, int address) {
    return static_cast<std::size_t>(std::count_if(port.sent.begin(), port.sent.end(), [&](const Frame& f) {
        return f.size() == 22 && f[0] == 'W' && (f[1] << 8 | f[2]) == address;
    }));
}

long Count(const std::vector<std::string>& texts, const std::string& t) {
    return std::count(texts.begin(), texts.end(), t);
}

constexpr std::size_t kSends = LinkEngine::kMaxRepeatRequests + 1; // first send and its repeats

// A block answered "not stored, send it again" is sent again a bounded number of times in a row;
// then the retry question (or the host's own decision) starts the write over or ends it.
TEST(LinkRepeat, ABlockTheRadioNeverStoresEndsInTheRetryQuestion) {
    struct Case {
        const char* name;
        int repeats;                // 0x0A answers to the write frame of block 0x0120
        std::vector<bool> decision; // the host's retry decisions (empty: the user is asked)
        std::vector<Answer> script; // answers: confirmation, then retry questions
        bool ok;
        std::size_t frames; // write frames of block 0x0120
        long questions;     // retry questions shown
    };
    const int never = 1000000;
    const Case cases[] = {
        {"stored at the last repeat allowed",
         LinkEngine::kMaxRepeatRequests,
         {},
         {Answer::Ok},
         true,
         kSends,
         0},
        {"never stored, the user gives up", never, {}, {Answer::Ok, Answer::Cancel}, false, kSends, 1},
        {"never stored, the user tries once more",
         never,
         {},
         {Answer::Ok, Answer::Ok, Answer::Cancel},
         false,
         2 * kSends,
         2},
        {"never stored, a host that decides", never, {true, false}, {Answer::Ok}, false, 2 * kSends, 0},
        {"stored after the restart", static_cast<int>(kSends), {true}, {Answer::Ok}, true, kSends + 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bench b;
        b.port.echoCable = true;
        b.radio.repeatWrites[0x0120] = c.repeats;
        b.host.retryDecisions = c.decision;
        b.prompter.script = c.script;
        b.prompter.reply = Answer::Cancel;
        ASSERT_TRUE(b.engine.startWrite());
        b.run();
        ASSERT_EQ(b.host.results.size(), 1u);
        const LinkResult& r = b.host.results[0];
        EXPECT_EQ(r.ok(), c.ok);
        EXPECT_EQ(WriteFramesAt(b.port, 0x0120), c.frames);
        std::string question = b.text(34200);
        question.replace(question.find("%1"), 2, "0x0120");
        question.replace(question.find("%2"), 2, std::to_string(kSends));
        EXPECT_EQ(Count(b.askedTexts(), question), c.questions);
        if (!c.ok) {
            EXPECT_EQ(r.outcome, LinkOutcome::NoReply);
            EXPECT_EQ(r.messageId, 34200);
            EXPECT_EQ(r.text, question);
            EXPECT_EQ(b.port.sent.back(), Frame({'E', 'N', 'D'}));
        } else {
            EXPECT_TRUE(std::equal(b.engine.image().begin(), b.engine.image().end(), b.radio.memory.begin()));
        }
    }
}

// The end frame answered "send it again" for ever: sent a bounded number of times, and the write,
// whose every block was acknowledged, ends as for an unanswered end frame.
TEST(LinkRepeat, AnEndFrameAskedForAgainForEverEndsTheWrite) {
    Bench b;
    b.radio.repeatEnds = 1000000;
    ASSERT_TRUE(b.engine.startWrite());
    b.run();
    EXPECT_EQ(b.port.count("END"), kSends);
    EXPECT_TRUE(b.host.results.at(0).ok());
    EXPECT_EQ(b.askedTexts().back(), b.text(9010));
}

// A cable pulled during an exchange and put back: the port reports an error and closes; starting
// again opens it anew, and the exchange then completes with exactly the radio's memory.
TEST(LinkRetry, StartingAgainReopensAPortThatWentAway) {
    for (const LinkMode mode : {LinkMode::Read, LinkMode::Write, LinkMode::Info}) {
        for (const int failedOpens : {0, 2}) {
            // The information read asks at once after its fourth handshake time-out in an
            // exchange, so it is given its port back at the first new start.
            if (mode == LinkMode::Info && failedOpens > 0)
                continue;
            SCOPED_TRACE(static_cast<int>(mode) * 10 + failedOpens);
            Bench b;
            FillPattern(b.radio);
            b.port.echoCable = true;
            b.port.framesUntilUnplugged = mode == LinkMode::Info ? 8 : 200;
            b.port.opensUntilBack = failedOpens;
            // One restart that finds no port, one more for each open that fails.
            b.host.retryDecisions = std::vector<bool>(static_cast<std::size_t>(failedOpens) + 1, true);
            b.host.retryDecisions.push_back(false);
            const RadioImage before = [&] {
                RadioImage im{};
                std::copy_n(b.radio.memory.begin(), im.size(), im.begin());
                return im;
            }();
            ASSERT_TRUE(mode == LinkMode::Read    ? b.engine.startRead()
                        : mode == LinkMode::Write ? b.engine.startWrite()
                                                  : b.engine.startInfoRead());
            const int opensAtStart = b.port.opens;
            b.run();
            ASSERT_EQ(b.host.results.size(), 1u);
            EXPECT_TRUE(b.host.results[0].ok());
            EXPECT_EQ(b.host.retriesDecided, failedOpens + 1);
            EXPECT_EQ(b.port.opens - opensAtStart, failedOpens + 1);
            const bool exact =
                mode == LinkMode::Read ? std::equal(before.begin(), before.end(), b.engine.image().begin())
                : mode == LinkMode::Write
                    ? std::equal(b.engine.image().begin(), b.engine.image().end(), b.radio.memory.begin())
                    : std::equal(b.engine.infoBlock().begin(), b.engine.infoBlock().end(),
                                 b.radio.memory.begin() + 0x3F00);
            EXPECT_TRUE(exact);
        }
    }
}

// A write that fails once a write frame went out tells the user that the radio may hold a partly
// written memory and what restores it: the memory kept before this write, else the newest backup
// of that radio's memory, else that none was kept; never the document being written. A write that
// failed before its first block, and a failed read, say nothing of the kind.
TEST(LinkPartialWrite, AWriteCutShortSaysWhatTheRadioMayHold) {
    struct Case {
        const char* name;
        LinkMode mode;
        std::function<void(Bench&)> fault;
        bool keepBefore;
        std::string newest; // the host's newest backup of the radio's memory
        int text;           // what restores it; 0: no partial write
        std::string upTo;   // how far the radio acknowledged the write
    };
    const Case cases[] = {
        {"silent from block 0x1000, memory kept", LinkMode::Write,
         [](Bench& b) { b.radio.silentWrites[0x1000] = 1000; }, true, "", 34701,
         "The radio acknowledged the channels up to Group 6 CH 15 (channel 255)."},
        {"first block never stored, nothing kept", LinkMode::Write,
         [](Bench& b) { b.radio.repeatWrites[0x0000] = 1000; }, false, "", 34703,
         "The radio acknowledged no channel of this write."},
        {"cable pulled during the blocks, an older read", LinkMode::Write,
         [](Bench& b) { b.port.framesUntilUnplugged = 40; }, false, "2026-12-10 20:31:05: /backups/r2", 34702,
         "The radio acknowledged the channels up to Group 0 CH 36 (channel 36)."},
        {"silent before the first block", LinkMode::Write, [](Bench& b) { b.radio.silentHandshakes = 1000; },
         true, "", 0, ""},
        {"password refused", LinkMode::Write, [](Bench& b) { b.radio.setPassword("1234"); }, true, "", 0, ""},
        {"read cut short", LinkMode::Read, [](Bench& b) { b.radio.silentReads[0x1000] = 1000; }, true, "", 0,
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bench b;
        b.port.echoCable = true;
        c.fault(b);
        for (int a = 0; a < 0x2440; ++a)
            b.radio.memory[static_cast<std::size_t>(a)] = static_cast<std::uint8_t>(a * 7 + 3);
        RadioImage held{};
        std::copy_n(b.radio.memory.begin(), held.size(), held.begin());
        b.engine.setKeepBeforeWrite(c.keepBefore);
        b.host.writeBackup.folder = "/backups/w1"; // what is being written: never named
        b.host.memoryBackup.folder = "/backups/m1";
        b.host.newestMemory = c.newest;
        b.host.typedPassword = std::nullopt;
        b.prompter.script = {Answer::Ok};
        b.prompter.reply = Answer::Cancel;
        ASSERT_TRUE(c.mode == LinkMode::Write ? b.engine.startWrite() : b.engine.startRead());
        b.run();
        const LinkResult& r = b.host.results.at(0);
        EXPECT_FALSE(r.ok());
        std::string expected;
        if (c.text != 0) {
            expected = b.text(34202) + "\r\n";
            expected += c.upTo + "\r\n";
            expected += b.text(c.text);
            if (c.text == 34701)
                expected += "\r\n/backups/m1";
            if (c.text == 34702)
                expected += " " + c.newest;
        }
        EXPECT_EQ(r.partialWrite, expected);
        // Shown last, after the failure's own message, as a warning.
        EXPECT_EQ(b.askedTexts().back() == expected, c.text != 0);
        if (c.text != 0) {
            EXPECT_EQ(b.prompter.asked.back().icon, Icon::Warning);
            EXPECT_EQ(b.host.writeOutcomes,
                      (std::vector<std::pair<bool, VerifyStatus>>{{false, VerifyStatus::NotRun}}));
        }
        if (c.text == 34701) {
            // The memory kept is what the radio held before the write.
            ASSERT_EQ(b.host.memories.size(), 1u);
            EXPECT_TRUE(std::equal(held.begin(), held.end(), b.host.memories[0].begin()));
        }
    }
}

// No backup can be kept before a write: the write starts only when the user (or the host) chooses
// to write without one; refused, no write frame is sent to the radio. With the memory read before
// the write, the user is asked once, however many of the write's backups fail.
TEST(LinkWriteBackup, NoBackupNoWriteUnlessChosen) {
    struct Case {
        const char* name;
        bool keepBefore;
        std::optional<bool> hostDecides;
        Answer answer; // to the question, when asked
        bool writes;
    };
    const Case cases[] = {
        {"user declines", false, std::nullopt, Answer::No, false},
        {"user writes without", false, std::nullopt, Answer::Yes, true},
        {"host refuses", false, false, Answer::Yes, false},
        {"host allows", false, true, Answer::No, true},
        {"memory not kept, user declines", true, std::nullopt, Answer::No, false},
        {"memory not kept, user writes without", true, std::nullopt, Answer::Yes, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bench b;
        b.engine.setKeepBeforeWrite(c.keepBefore);
        b.host.writeBackup.error = "/data/backups: No space left on device";
        b.host.memoryBackup.error = b.host.writeBackup.error;
        b.host.writeWithoutBackup = c.hostDecides;
        b.prompter.script = {Answer::Ok, c.answer};
        const int id = c.keepBefore ? 34705 : 34201;
        const std::string question = b.text(id) + "\r\n" + b.host.writeBackup.error;
        EXPECT_TRUE(b.engine.startWrite());
        b.run();
        EXPECT_EQ(Count(b.askedTexts(), question), c.hostDecides ? 0 : 1);
        EXPECT_EQ(Count(b.askedTexts(), b.text(34201) + "\r\n" + b.host.writeBackup.error),
                  c.keepBefore || c.hostDecides ? 0 : 1);
        const bool wroteBlocks = std::any_of(b.port.sent.begin(), b.port.sent.end(),
                                             [](const Frame& f) { return f.size() > 4 && f[0] == 'W'; });
        EXPECT_EQ(wroteBlocks, c.writes);
        EXPECT_FALSE(b.engine.busy());
        const LinkResult& r = b.host.results.at(0);
        if (c.writes) {
            EXPECT_TRUE(r.ok());
            EXPECT_TRUE(std::equal(b.engine.image().begin(), b.engine.image().end(), b.radio.memory.begin()));
        } else {
            EXPECT_EQ(r.outcome, LinkOutcome::BackupNotKept);
            EXPECT_EQ(r.messageId, id);
            EXPECT_TRUE(r.declined);
            EXPECT_TRUE(r.partialWrite.empty());
        }
    }
    // Backups kept: no question, the write goes on.
    Bench kept;
    kept.host.writeBackup.folder = "/data/backups/1";
    EXPECT_TRUE(kept.engine.startWrite());
    kept.run();
    EXPECT_EQ(kept.askedTexts(), std::vector<std::string>({kept.text(9005), kept.text(9010)}));
}

} // namespace
} // namespace zt::test
