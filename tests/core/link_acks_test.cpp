// SPDX-License-Identifier: GPL-3.0-or-later
// A radio or cable that sends each acknowledgement of a write twice: the write is never reported
// as written on acknowledgements that may belong to other frames; it is read back and confirmed
// only by what the radio holds. A radio whose replies come once, however fast, is not doubted.
#include "link_sim.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace zt::test {
namespace {

void FillPattern(SimRadio& r) {
    for (std::size_t i = 0; i < r.memory.size(); ++i)
        r.memory[i] = static_cast<std::uint8_t>(i * 7 + (i >> 8));
    r.setPassword("");
}

bool RadioHoldsImage(const Bench& b) {
    return std::equal(b.engine.image().begin(), b.engine.image().end(), b.radio.memory.begin());
}

// Whatever the repetitions do to the pairing of frames and replies, the write ends as written only
// when the read-back found the radio holding every byte; a block the radio refused and that was
// never sent again shows as a difference, not as success.
TEST(LinkRepeatedAcks, AWriteIsConfirmedOnlyByWhatTheRadioHolds) {
    struct Case {
        const char* name;
        int after;        // frames after which the repetition comes (-1: none)
        bool random;      // after a random number of frames 0..3
        bool onePerRead;  // each delivery carries one reply, the rest comes a moment later
        bool echo;        // echoing cable
        int refusedOnce;  // a block the radio refuses once with 0x0A (-1: none)
        bool verifyAsked; // --verify
        bool repeated;    // LinkResult::repeatedAcks
    };
    const Case cases[] = {
        {"no repetition: trusted, not read back", -1, false, false, false, -1, false, false},
        {"no repetition, one reply per read, echoing cable", -1, false, true, true, 0x0120, false, false},
        {"repeated before the next frame (stale when it goes out)", 0, false, true, false, -1, false, true},
        {"repeated together with the reply", 0, false, false, false, -1, false, true},
        {"repeated after the next frame, taken for its reply", 1, false, true, false, -1, false, true},
        {"repeated after the next frame, a refused block", 1, false, true, false, 0x0120, false, true},
        {"repeated three frames later, a refused block", 3, false, true, false, 0x0300, false, true},
        {"repeated after random delays", 0, true, true, false, 0x0800, false, true},
        {"repeated after random delays, echoing cable", 0, true, true, true, 0x1000, true, true},
        {"repeated after random delays, all in one read", 0, true, false, false, 0x0040, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bench b;
        FillPattern(b.radio);
        b.port.echoCable = c.echo;
        b.port.repeatAckAfter = c.after;
        b.port.repeatAckRandom = c.random;
        b.oneReplyPerDelivery = c.onePerRead;
        if (c.refusedOnce >= 0)
            b.radio.repeatOnce.insert(c.refusedOnce);
        b.engine.setVerifyAfterWrite(c.verifyAsked);
        b.prompter.reply = Answer::Ok;
        ASSERT_TRUE(b.engine.startWrite());
        b.run();
        ASSERT_EQ(b.host.results.size(), 1u);
        const LinkResult& r = b.host.results[0];
        EXPECT_EQ(r.repeatedAcks, c.repeated);
        if (c.repeated || c.verifyAsked) {
            EXPECT_EQ(b.host.readBacks, 1);
            // Written is said only when the radio holds what was sent.
            const bool holds = RadioHoldsImage(b);
            EXPECT_EQ(r.verify == VerifyStatus::Verified, holds);
            if (!holds) {
                EXPECT_EQ(r.verify, VerifyStatus::Differs);
            }
        } else {
            EXPECT_EQ(b.host.readBacks, 0);
            EXPECT_EQ(r.verify, VerifyStatus::NotRun);
            EXPECT_TRUE(r.ok());
            EXPECT_TRUE(RadioHoldsImage(b));
        }
        if (c.repeated && r.verify == VerifyStatus::Verified) {
            EXPECT_NE(r.text.find(b.app.LangTextOr(34950, "")), std::string::npos);
        }
        EXPECT_EQ(b.port.sent.back(), Frame({'E', 'N', 'D'}));
    }
}

// Only the repetitions after the first write frame count: a read of the radio, however its
// replies come, is not affected, and a write that follows a doubted one starts trusted.
TEST(LinkRepeatedAcks, TheDoubtBelongsToOneWrite) {
    Bench b;
    FillPattern(b.radio);
    b.prompter.reply = Answer::Ok;
    b.port.repeatAckAfter = 1;
    b.oneReplyPerDelivery = true;
    ASSERT_TRUE(b.engine.startWrite());
    b.run();
    ASSERT_EQ(b.host.results.size(), 1u);
    EXPECT_TRUE(b.host.results[0].repeatedAcks);

    b.port.repeatAckAfter = -1;
    b.port.strays.clear();
    ASSERT_TRUE(b.engine.startWrite());
    b.run();
    ASSERT_EQ(b.host.results.size(), 2u);
    EXPECT_FALSE(b.host.results[1].repeatedAcks);
    EXPECT_EQ(b.host.results[1].verify, VerifyStatus::NotRun);
    EXPECT_TRUE(b.host.results[1].ok());
    EXPECT_EQ(b.host.readBacks, 1);
}

// Nothing confirms a doubted write whose read-back cannot finish: it is not reported as written
// and acknowledged.
TEST(LinkRepeatedAcks, ADoubtedWriteThatCannotBeReadBackIsNotConfirmed) {
    struct Writes : FakeHost {
        std::vector<bool> acknowledged;
        void writeOutcome(bool ack, VerifyStatus) override { acknowledged.push_back(ack); }
    };
    Bench b;
    Writes host;
    LinkEngine engine{b.app, b.doc, b.port, b.timer, host, b.versions};
    FillPattern(b.radio);
    b.prompter.reply = Answer::Ok;
    b.port.repeatAckAfter = 0;
    b.radio.silentAfterEnd = true; // no read-back
    engine.setReadInfoFirst(false);
    ASSERT_TRUE(engine.startWrite());
    for (int i = 0; i < 100000; ++i) {
        if (b.port.opened && b.port.rx.size() >= b.port.threshold) {
            Frame bytes;
            bytes.swap(b.port.rx);
            engine.onReceive(bytes);
        } else if (b.timer.running) {
            b.timer.running = false;
            engine.onReplyTimeout();
        } else {
            break;
        }
    }
    ASSERT_EQ(host.results.size(), 1u);
    const LinkResult& r = host.results[0];
    EXPECT_TRUE(r.repeatedAcks);
    EXPECT_EQ(r.verify, VerifyStatus::Unfinished);
    EXPECT_EQ(r.messageId, 34951);
    EXPECT_EQ(host.acknowledged, std::vector<bool>{false});
}

} // namespace
} // namespace zt::test
