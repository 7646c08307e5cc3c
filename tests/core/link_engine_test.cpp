// SPDX-License-Identifier: GPL-3.0-or-later
// Whole exchanges against the in-process radio: frame counts, time-outs and retries, the echo
// guess, the password step, the compatibility check and the information read.
#include "link_sim.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace zt::test {
namespace {

Frame ReadFrame(int a) {
    return {'R', static_cast<std::uint8_t>(a >> 8), static_cast<std::uint8_t>(a & 0xFF), 0x10};
}

std::vector<int> Addresses(const std::vector<Frame>& sent, char kind) {
    std::vector<int> v;
    for (const auto& f : sent)
        if (!f.empty() && f[0] == kind && f.size() >= 4)
            v.push_back(f[1] << 8 | f[2]);
    return v;
}

std::vector<int> Range(int from, int to) { // every block from..to inclusive
    std::vector<int> v;
    for (int a = from; a <= to; a += 16)
        v.push_back(a);
    return v;
}

void FillPattern(SimRadio& r) {
    for (std::size_t i = 0; i < r.memory.size(); ++i)
        r.memory[i] = static_cast<std::uint8_t>(i * 7 + (i >> 8));
    r.setPassword("");
}

TEST(LinkRead, CleanReadSendsEveryFrameOnceAndCopiesTheMemory) {
    for (const bool echo : {true, false}) {
        SCOPED_TRACE(echo ? "echoing cable" : "plain cable");
        Bench b;
        FillPattern(b.radio);
        b.port.echoCable = echo;
        ASSERT_TRUE(b.engine.startRead());
        b.run();

        // A plain cable costs one handshake: the first guess is an echoing cable.
        EXPECT_EQ(b.port.count("PROGRAM"), echo ? 1u : 2u);
        EXPECT_EQ(b.port.count("\x02"), 1u);
        EXPECT_EQ(Addresses(b.port.sent, 'R').front(), 0x3F20);
        std::vector<int> blocks = Addresses(b.port.sent, 'R');
        blocks.erase(blocks.begin());
        EXPECT_EQ(blocks, Range(0x0000, 0x2430));
        EXPECT_EQ(b.port.count("END"), 1u);
        EXPECT_EQ(b.port.sent.back(), Frame({'E', 'N', 'D'}));

        EXPECT_TRUE(std::equal(b.engine.image().begin(), b.engine.image().end(), b.radio.memory.begin()));
        EXPECT_EQ(b.askedTexts(), std::vector<std::string>({b.text(9004), b.text(9009)}));
        ASSERT_EQ(b.host.ended.size(), 1u);
        EXPECT_EQ(b.host.ended[0], std::make_pair(LinkMode::Read, true));
        EXPECT_EQ(b.host.progressOpened, 1);
        EXPECT_EQ(b.host.progressClosed, 1);
        EXPECT_FALSE(b.port.opened);
        EXPECT_FALSE(b.engine.busy());
        EXPECT_EQ(b.engine.noEcho(), !echo); // the guess that worked is kept
    }
}

TEST(LinkRead, ProgressRisesByWholePercentsToHundred) {
    Bench b;
    FillPattern(b.radio);
    b.port.echoCable = true;
    b.engine.startRead();
    b.run();
    std::vector<int> expected;
    for (int p = 1; p <= 100; ++p)
        expected.push_back(p);
    EXPECT_EQ(b.host.progress, expected);
}

TEST(LinkRead, EchoBytesAreSkippedWhateverTheyHold) {
    Bench b;
    FillPattern(b.radio);
    b.port.echoCable = true;
    b.port.garbleEcho = true;
    b.engine.startRead();
    b.run();
    EXPECT_EQ(b.host.ended.back(), std::make_pair(LinkMode::Read, true));
    // Threshold of a read request with the echo: 4 echoed bytes + 22 reply bytes.
    const auto it = std::find(b.port.sent.begin(), b.port.sent.end(), ReadFrame(0x0120));
    ASSERT_NE(it, b.port.sent.end());
    EXPECT_EQ(b.port.thresholdAtWrite[static_cast<std::size_t>(it - b.port.sent.begin())], 26u);
}

TEST(LinkRead, SilentRadioGetsFourHandshakesAlternatingTheEchoGuessThenTheQuestion) {
    Bench b;
    b.radio.silentHandshakes = 1000;
    b.prompter.script = {Answer::Ok, Answer::Cancel};
    b.engine.startRead();
    b.run();
    EXPECT_EQ(b.port.count("PROGRAM"), 4u);
    std::vector<std::size_t> thresholds;
    for (std::size_t i = 0; i < b.port.sent.size(); ++i)
        if (b.port.sent[i] == Frame({'P', 'R', 'O', 'G', 'R', 'A', 'M'}))
            thresholds.push_back(b.port.thresholdAtWrite[i]);
    EXPECT_EQ(thresholds, std::vector<std::size_t>({10, 3, 10, 3}));
    EXPECT_EQ(b.askedTexts().back(), b.text(9008));
    EXPECT_EQ(b.port.sent.back(), Frame({'E', 'N', 'D'})); // sent without awaiting a reply
    EXPECT_EQ(b.host.ended.back(), std::make_pair(LinkMode::Read, false));
    EXPECT_FALSE(b.port.opened);
}

// How an exchange ended reaches the host as data, and a command that started nothing leaves its
// reason in lastResult.
TEST(LinkResult, EveryEndIsReportedWithItsReason) {
    struct Case {
        const char* name;
        std::function<void(Bench&)> setUp;
        bool starts;
        LinkOutcome outcome;
        int messageId;
        bool declined;
    };
    const Case cases[] = {
        {"read", [](Bench& b) { FillPattern(b.radio); }, true, LinkOutcome::Success, 9009, false},
        {"not confirmed", [](Bench& b) { b.prompter.script = {Answer::Cancel}; }, false,
         LinkOutcome::NotConfirmed, 9004, true},
        {"no port", [](Bench& b) { b.port.canOpen = false; }, false, LinkOutcome::PortUnavailable, 9003,
         false},
        {"silent radio, retry declined",
         [](Bench& b) {
             b.radio.silentHandshakes = 1000;
             b.prompter.script = {Answer::Ok, Answer::Cancel};
         },
         true, LinkOutcome::NoReply, 9008, true},
        {"aborted", [](Bench& b) { b.radio.silentHandshakes = 1000; }, true, LinkOutcome::Aborted, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bench b;
        b.port.echoCable = true;
        c.setUp(b);
        EXPECT_EQ(b.engine.startRead(), c.starts);
        if (c.outcome == LinkOutcome::Aborted)
            b.engine.abort();
        b.run();
        const LinkResult& r = b.engine.lastResult();
        EXPECT_EQ(b.host.results.size(), c.starts ? 1u : 0u);
        if (c.starts) {
            EXPECT_EQ(b.host.results.back().outcome, r.outcome);
        }
        EXPECT_EQ(r.mode, LinkMode::Read);
        EXPECT_EQ(r.outcome, c.outcome);
        EXPECT_EQ(r.messageId, c.messageId);
        EXPECT_EQ(r.declined, c.declined);
        EXPECT_EQ(r.text, c.messageId ? b.text(c.messageId) : "");
        EXPECT_EQ(r.radioVersion, c.outcome == LinkOutcome::Success ? "V300" : "");
    }
}

TEST(LinkRead, RetryQuestionRestartsFromTheHandshake) {
    Bench b;
    FillPattern(b.radio);
    b.port.echoCable = true;
    b.radio.silentHandshakes = 4;
    b.engine.startRead();
    b.run();
    // The retry starts with the last guess (no echo), which fails once on this cable.
    EXPECT_EQ(b.port.count("PROGRAM"), 6u);
    const auto asked = b.askedTexts();
    EXPECT_EQ(std::count(asked.begin(), asked.end(), b.text(9008)), 1);
    EXPECT_EQ(b.host.ended.back(), std::make_pair(LinkMode::Read, true));
    EXPECT_TRUE(std::equal(b.engine.image().begin(), b.engine.image().end(), b.radio.memory.begin()));
}

// A host that decides the retry itself (the command line's bounded retries) is asked instead of
// the user: no question shows, the exchange restarts on yes and ends as unanswered on no.
TEST(LinkRetry, HostThatDecidesIsNotAsked) {
    for (const LinkMode mode : {LinkMode::Read, LinkMode::Info}) {
        SCOPED_TRACE(static_cast<int>(mode));
        Bench b;
        b.port.echoCable = true;
        b.radio.silentHandshakes = 1000;
        b.host.retryDecisions = {true, false};
        ASSERT_TRUE(mode == LinkMode::Read ? b.engine.startRead() : b.engine.startInfoRead());
        b.run();
        EXPECT_EQ(b.host.retriesDecided, 2);
        const auto asked = b.askedTexts();
        EXPECT_EQ(std::count(asked.begin(), asked.end(), b.text(9008)), 0);
        // Each start again has four handshakes, both echo guesses twice: a new start that tried
        // one guess only would miss an echoing cable whose guess was just flipped.
        EXPECT_EQ(b.port.count("PROGRAM"), 8u);
        EXPECT_EQ(b.engine.lastResult().outcome, LinkOutcome::NoReply);
        EXPECT_EQ(b.engine.lastResult().messageId, 9008);
        EXPECT_EQ(b.host.ended.back(), std::make_pair(mode, false));
    }
}

TEST(LinkRead, BlockRetriesAreCountedOverTheWholeExchange) {
    struct Case {
        int silent;           // time-outs of block 0x0100
        long questions;       // retry questions asked
        std::size_t requests; // read requests for block 0x0100
    };
    for (const Case c : {Case{3, 0, 4}, Case{4, 1, 5}, Case{5, 2, 6}}) {
        SCOPED_TRACE(c.silent);
        Bench b;
        FillPattern(b.radio);
        b.port.echoCable = true;
        b.radio.silentReads[0x0100] = c.silent;
        b.engine.startRead();
        b.run();
        const auto asked = b.askedTexts();
        EXPECT_EQ(std::count(asked.begin(), asked.end(), b.text(9008)), c.questions);
        EXPECT_EQ(
            static_cast<std::size_t>(std::count(b.port.sent.begin(), b.port.sent.end(), ReadFrame(0x0100))),
            c.requests);
        EXPECT_EQ(b.host.ended.back(), std::make_pair(LinkMode::Read, true));
        EXPECT_TRUE(std::equal(b.engine.image().begin(), b.engine.image().end(), b.radio.memory.begin()));
        if (c.questions > 0) { // the restart reports progress from zero again
            EXPECT_NE(std::find(b.host.progress.begin(), b.host.progress.end(), 0), b.host.progress.end());
        }
    }
}

TEST(LinkRead, RepliesWithWrongChecksumOrAddressAreIgnoredAndAskedForAgain) {
    Bench b;
    FillPattern(b.radio);
    b.port.echoCable = true;
    b.radio.badChecksum[0x0200] = 1;
    b.radio.wrongAddress[0x0300] = 1;
    b.engine.startRead();
    b.run();
    EXPECT_EQ(std::count(b.port.sent.begin(), b.port.sent.end(), ReadFrame(0x0200)), 2);
    EXPECT_EQ(std::count(b.port.sent.begin(), b.port.sent.end(), ReadFrame(0x0300)), 2);
    EXPECT_EQ(b.timeouts, 2);
    EXPECT_TRUE(std::equal(b.engine.image().begin(), b.engine.image().end(), b.radio.memory.begin()));
}

TEST(LinkRead, UnacknowledgedEndStillSucceeds) {
    for (const bool write : {false, true}) {
        Bench b;
        FillPattern(b.radio);
        b.port.echoCable = true;
        b.radio.ackEnd = false;
        write ? b.engine.startWrite() : b.engine.startRead();
        b.run();
        EXPECT_EQ(b.host.ended.back(), std::make_pair(write ? LinkMode::Write : LinkMode::Read, true));
        EXPECT_EQ(b.askedTexts().back(), b.text(write ? 9010 : 9009));
        EXPECT_EQ(b.timeouts, 1);
    }
}

TEST(LinkRead, NoExchangeWhenThePortFailsOrTheUserCancels) {
    {
        Bench b;
        b.port.canOpen = false;
        EXPECT_FALSE(b.engine.startRead());
        EXPECT_EQ(b.askedTexts(), std::vector<std::string>({b.text(9003)}));
        EXPECT_EQ(b.prompter.asked[0].icon, Icon::Critical);
        EXPECT_FALSE(b.engine.busy());
    }
    {
        Bench b;
        b.prompter.reply = Answer::Cancel;
        EXPECT_FALSE(b.engine.startWrite());
        EXPECT_EQ(b.askedTexts(), std::vector<std::string>({b.text(9005)}));
        EXPECT_FALSE(b.port.opened);
        EXPECT_TRUE(b.port.sent.empty());
        EXPECT_FALSE(b.engine.busy());
        EXPECT_EQ(b.host.progressOpened, 0);
    }
}

TEST(LinkRead, PasswordBlockTimeoutAsksAtOnceUntilTheFirstQuestionArmsItsRetries) {
    Bench b;
    FillPattern(b.radio);
    b.port.echoCable = true;
    b.radio.silentPasswordReads = 3;
    b.engine.startRead();
    b.run();
    // The first time-out asks (no retries yet); after the question two re-reads are allowed.
    const auto asked = b.askedTexts();
    EXPECT_EQ(std::count(asked.begin(), asked.end(), b.text(9008)), 1);
    EXPECT_EQ(std::count(b.port.sent.begin(), b.port.sent.end(), ReadFrame(0x3F20)), 4);
    EXPECT_EQ(b.host.ended.back(), std::make_pair(LinkMode::Read, true));
}

// ---- password ---------------------------------------------------------------------------

TEST(LinkPassword, RadioPasswordAgainstWhatTheUserTypes) {
    struct Case {
        const char* radio; // "" = erased bytes
        std::optional<std::string> typed;
        const char* known; // password confirmed before the exchange
        int dialogs;
        bool ok;
    };
    const Case cases[] = {
        {"", std::nullopt, "", 0, true},         // no password: no dialog
        {"12", std::string("12 "), "", 1, true}, // trailing blanks are removed
        {"12", std::string("99"), "", 1, false},
        {"12", std::nullopt, "", 1, false},      // cancelled with a wrong previous password
        {"12", std::nullopt, "12", 0, true},     // already known
        {"ab", std::string("AB"), "", 1, false}, // case matters
        {"1234", std::string("1234"), "", 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.radio) + " / " + c.typed.value_or("<cancel>"));
        Bench b;
        FillPattern(b.radio);
        b.radio.setPassword(c.radio);
        b.port.echoCable = true;
        b.host.typedPassword = c.typed;
        b.engine.setProgrammingPassword(c.known);
        b.engine.startRead();
        b.run();
        EXPECT_EQ(b.host.passwordDialogs, c.dialogs);
        EXPECT_EQ(b.host.ended.back().second, c.ok);
        EXPECT_EQ(b.host.results.back().outcome, c.ok ? LinkOutcome::Success : LinkOutcome::PasswordRefused);
        const auto asked = b.askedTexts();
        EXPECT_EQ(std::count(asked.begin(), asked.end(), "PassWord Failure!"), c.ok ? 0 : 1);
        EXPECT_EQ(Addresses(b.port.sent, 'R').size(), c.ok ? 581u : 1u);
    }
}

TEST(LinkPassword, RadioPasswordEndsAtNulOrErasedByte) {
    Bench b;
    FillPattern(b.radio);
    b.radio.memory[0x3F2C] = '1';
    b.radio.memory[0x3F2D] = '2';
    b.radio.memory[0x3F2E] = 0x00;
    b.radio.memory[0x3F2F] = 0xFF;
    b.port.echoCable = true;
    b.host.typedPassword = "12";
    b.engine.startRead();
    b.run();
    EXPECT_EQ(b.host.passwordDialogs, 1);
    EXPECT_TRUE(b.host.ended.back().second);
    EXPECT_EQ(b.engine.programmingPassword(), "12");
}

TEST(LinkPassword, DialogThatCannotBeShownEndsQuietly) {
    Bench b;
    FillPattern(b.radio);
    b.radio.setPassword("7");
    b.port.echoCable = true;
    b.host.dialogShows = false;
    b.engine.startRead();
    b.run();
    EXPECT_EQ(b.host.ended.back(), std::make_pair(LinkMode::Read, false));
    EXPECT_EQ(b.askedTexts(), std::vector<std::string>({b.text(9004)}));
}

// ---- write ------------------------------------------------------------------------------

TEST(LinkWrite, CleanWriteSendsEveryBlockAndKeepsTheRadiosIdentification) {
    Bench b;
    b.port.echoCable = true;
    b.radio.identExtra = {0x05, 0x66};
    ASSERT_TRUE(b.engine.startWrite());
    b.run();
    EXPECT_EQ(b.port.count("PROGRAM"), 1u);
    EXPECT_EQ(b.port.count("\x02"), 1u);
    EXPECT_EQ(Addresses(b.port.sent, 'R'), std::vector<int>({0x3F20}));
    EXPECT_EQ(Addresses(b.port.sent, 'W'), Range(0x0000, 0x2430));
    EXPECT_EQ(b.port.count("END"), 1u);
    EXPECT_EQ(b.askedTexts(), std::vector<std::string>({b.text(9005), b.text(9010)}));
    EXPECT_TRUE(std::equal(b.engine.image().begin(), b.engine.image().end(), b.radio.memory.begin()));

    // 0x21F0..0x21FD come from the identification reply, except the band code at 0x21F6.
    const Frame ident{'Z', 'R', '2', '4', '5', '0', 2, 0x00, 'V', '3', '0', '0', 0x05, 0x66};
    for (int i = 0; i < 14; ++i)
        EXPECT_EQ(b.radio.memory[0x21F0 + i], ident[static_cast<std::size_t>(i)]) << i;
    // Every write frame carries a correct checksum and the closing 0x06.
    for (const auto& f : b.port.sent)
        if (f[0] == 'W') {
            unsigned sum = 0;
            for (int i = 1; i < 20; ++i)
                sum += f[static_cast<std::size_t>(i)];
            ASSERT_EQ(f[20], sum & 0xFF);
            ASSERT_EQ(f[21], 0x06);
        }
}

TEST(LinkWrite, RepeatRequestSendsTheSameFrameAgainWithoutUsingRetries) {
    Bench b;
    b.port.echoCable = true;
    b.radio.repeatOnce = {0x0120};
    b.radio.silentWrites[0x0120] = 3; // and three time-outs on the same block still go through
    b.engine.startWrite();
    b.run();
    std::vector<std::size_t> at;
    for (std::size_t i = 0; i < b.port.sent.size(); ++i)
        if (b.port.sent[i][0] == 'W' && b.port.sent[i][1] == 0x01 && b.port.sent[i][2] == 0x20)
            at.push_back(i);
    ASSERT_EQ(at.size(), 5u);
    for (std::size_t i : at)
        EXPECT_EQ(b.port.sent[i], b.port.sent[at[0]]);
    EXPECT_EQ(b.host.ended.back(), std::make_pair(LinkMode::Write, true));
    EXPECT_EQ(b.askedTexts().back(), b.text(9010));
}

TEST(LinkWrite, FlagsOfTheLastReadRefuseTheWrite) {
    for (const int flag : {0, 1}) {
        Bench b;
        b.port.echoCable = true;
        RadioFlags f{};
        f[static_cast<std::size_t>(flag)] = true;
        b.engine.setReadRadioFlags(f);
        b.engine.startWrite();
        b.run();
        EXPECT_EQ(b.askedTexts().back(), b.text(flag == 0 ? 9031 : 9032));
        EXPECT_EQ(b.host.ended.back(), std::make_pair(LinkMode::Write, false));
        EXPECT_EQ(b.host.results.back().outcome,
                  flag == 0 ? LinkOutcome::RadioLocked : LinkOutcome::RadioProtected);
        EXPECT_EQ(b.host.results.back().messageId, flag == 0 ? 9031 : 9032);
        EXPECT_TRUE(Addresses(b.port.sent, 'W').empty());
        EXPECT_EQ(b.port.sent.back(), Frame({'E', 'N', 'D'}));
    }
}

TEST(LinkCompatibility, ModelBandAndVersionChecks) {
    struct Case {
        const char* appModel;
        const char* model;
        int variant;
        const char* firmware;
        bool write;
        std::vector<Answer> script; // after the confirmation
        std::string expectedQuestion;
        LinkOutcome outcome;
        bool declined = false; // the answer to the question ended it
    };
    const Case cases[] = {
        {"ZT-450E", "ZT-450", 1, "V300", false, {}, "\r\nRadio is ZT-450FM", LinkOutcome::WrongModel},
        {"ZT-450E", "ZR2450", 1, "V300", false, {}, "\r\nRadio is ZR2450", LinkOutcome::WrongModel},
        {"ZT-450", "ZT-450", 1, "V300", false, {}, "", LinkOutcome::Success}, // band not checked when reading
        {"ZT-450", "ZT-450", 1, "V300", true, {Answer::Ok}, "#9014", LinkOutcome::Success}, // same family:
                                                                                            // asked
        {"ZT-450", "ZT-450", 1, "V300", true, {Answer::Cancel}, "#9014", LinkOutcome::BandRefused, true},
        {"ZT-450", "ZT-450", 8, "V300", true, {}, "#9030", LinkOutcome::BandRefused}, // other family
        {"ZT-450E",
         "ZR2450",
         2,
         "V301",
         false,
         {Answer::No},
         "other version V301",
         LinkOutcome::OtherVersion,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.model) + " " + std::to_string(c.variant) + " " + c.firmware);
        Bench b;
        FillPattern(b.radio);
        b.port.echoCable = true;
        b.app.ModelNameText = c.appModel;
        b.radio.model = c.model;
        b.radio.variant = static_cast<std::uint8_t>(c.variant);
        b.radio.firmware = c.firmware;
        b.prompter.script = {Answer::Ok};
        b.prompter.script.insert(b.prompter.script.end(), c.script.begin(), c.script.end());
        c.write ? b.engine.startWrite() : b.engine.startRead();
        b.run();
        const bool ok = c.outcome == LinkOutcome::Success;
        ASSERT_EQ(b.host.results.size(), 1u);
        const LinkResult& r = b.host.results.back();
        EXPECT_EQ(r.outcome, c.outcome);
        EXPECT_EQ(r.declined, c.declined);
        EXPECT_EQ(r.radioVersion, c.firmware);
        if (!c.expectedQuestion.empty()) {
            ASSERT_GE(b.prompter.asked.size(), 2u);
            const std::string& q = b.prompter.asked[1].text;
            if (!ok) {
                EXPECT_EQ(r.text, q); // the result names what ended it
            }
            if (c.expectedQuestion[0] == '#')
                EXPECT_EQ(q, b.text(std::stoi(c.expectedQuestion.substr(1))));
            else if (c.expectedQuestion.rfind("\r\n", 0) == 0)
                EXPECT_EQ(q, b.text(9012) + c.expectedQuestion);
            else
                EXPECT_EQ(q, c.expectedQuestion);
        }
        if (!ok) {
            EXPECT_LE(Addresses(b.port.sent, c.write ? 'W' : 'R').size(), 1u);
        }
        EXPECT_TRUE(b.host.handOvers.empty());
    }
}

// A write to a radio of another band of the same family: the radio's identification goes back
// into its memory, but the band code at 0x21F6 is the document's.
TEST(LinkCompatibility, SameFamilyWriteKeepsTheDocumentsBandCode) {
    Bench b;
    b.port.echoCable = true;
    b.app.ModelNameText = "ZT-450"; // band code 0
    b.radio.model = "ZT-450";
    b.radio.variant = 1;
    b.prompter.script = {Answer::Ok, Answer::Ok};
    b.engine.startWrite();
    b.run();
    ASSERT_EQ(b.host.ended.back(), std::make_pair(LinkMode::Write, true));
    const Frame ident{'Z', 'T', '-', '4', '5', '0', 0, 0x00, 'V', '3', '0', '0', 0x13, 0x14};
    EXPECT_EQ(Frame(b.radio.memory.begin() + 0x21F0, b.radio.memory.begin() + 0x21FE), ident);
}

TEST(LinkCompatibility, YesToTheVersionQuestionHandsOverAfterTheExchangeEnded) {
    Bench b;
    b.port.echoCable = true;
    b.radio.firmware = "V310";
    b.prompter.reply = Answer::Yes;
    b.engine.startRead();
    b.run();
    EXPECT_EQ(b.host.handOvers, std::vector<std::string>({"V310"}));
    EXPECT_EQ(b.host.ended.back(), std::make_pair(LinkMode::Read, false));
    const LinkResult& r = b.host.results.back();
    EXPECT_EQ(r.outcome, LinkOutcome::OtherVersion);
    EXPECT_TRUE(r.handOver);
    EXPECT_FALSE(r.declined);
    EXPECT_EQ(r.radioVersion, "V310");
    EXPECT_FALSE(b.port.opened);
}

// ---- radio information ---------------------------------------------------------------------

void PutText(SimRadio& r, int at, const std::string& s) {
    for (std::size_t i = 0; i < s.size(); ++i)
        r.memory[static_cast<std::size_t>(at) + i] = static_cast<std::uint8_t>(s[i]);
}

TEST(LinkInfo, ReadsTheSixteenInformationBlocksWithoutPasswordOrQuestion) {
    Bench b;
    b.port.echoCable = true;
    b.radio.setPassword("99"); // not asked in this exchange
    PutText(b.radio, 0x3F00, "0123");
    PutText(b.radio, 0x3F30, "SN-42   ");
    b.radio.memory[0x3F38] = 0x00;
    PutText(b.radio, 0x3FC0, "DEALER");
    ASSERT_TRUE(b.engine.startInfoRead());
    b.run();
    EXPECT_EQ(Addresses(b.port.sent, 'R'), Range(0x3F00, 0x3FF0));
    EXPECT_EQ(b.port.count("END"), 1u);
    EXPECT_TRUE(b.prompter.asked.empty());
    EXPECT_EQ(b.host.progressOpened, 0);
    EXPECT_EQ(b.host.ended.back(), std::make_pair(LinkMode::Info, true));
    const RadioInfoRecord& info = b.engine.radioInfo();
    EXPECT_EQ(info.SalesArea, "0123");
    EXPECT_EQ(info.SerialNumber.trimmed(), "SN-42");
    EXPECT_EQ(info.DealerCode.trimmed(), "DEALER");
    EXPECT_EQ(info.FactoryDate.trimmed(), ""); // all 0xFF
    EXPECT_EQ(info.InfoVersion, "V3.00");      // not from the radio
}

TEST(LinkInfo, RetryAsksAgainForTheBlockThatFailed) {
    Bench b;
    b.port.echoCable = true;
    PutText(b.radio, 0x3F50, "2024-01-02");
    b.radio.silentReads[0x3F50] = 1;
    b.engine.startInfoRead();
    b.run();
    EXPECT_EQ(b.prompter.asked.size(), 1u);
    EXPECT_EQ(b.prompter.asked[0].buttons, Buttons::RetryCancel);
    EXPECT_EQ(b.port.count("PROGRAM"), 2u);
    std::vector<int> expected = Range(0x3F00, 0x3F50);
    const std::vector<int> rest = Range(0x3F50, 0x3FF0);
    expected.insert(expected.end(), rest.begin(), rest.end());
    EXPECT_EQ(Addresses(b.port.sent, 'R'), expected);
    EXPECT_EQ(b.host.ended.back(), std::make_pair(LinkMode::Info, true));
    EXPECT_EQ(b.engine.radioInfo().RepairDate.trimmed(), "2024-01-02");
}

TEST(LinkInfo, FailedBlockNeverShowsWhatAnEarlierRadioHeld) {
    Bench b;
    PutText(b.radio, 0x3F30, "FIRST-RADIO");
    ASSERT_TRUE(b.engine.startInfoRead());
    b.run();
    ASSERT_EQ(b.engine.radioInfo().SerialNumber.trimmed(), "FIRST-RADIO");

    PutText(b.radio, 0x3F30, "SECOND     ");
    b.radio.silentReads[0x3F30] = 1;
    ASSERT_TRUE(b.engine.startInfoRead());
    b.run();
    EXPECT_EQ(b.host.ended.back(), std::make_pair(LinkMode::Info, true));
    EXPECT_EQ(b.engine.radioInfo().SerialNumber.trimmed(), "SECOND");
}

// ---- first-run link test ------------------------------------------------------------------

TEST(LinkTest, FindsTheRadioAndClearsTheFirstRunFlag) {
    for (const bool echo : {true, false}) {
        Bench b;
        b.app.IsFirstRun = true;
        b.port.echoCable = echo;
        b.engine.setNoEcho(true); // with an echo, "PROGRAM" "ZT" 0x06 still ends in the answer
        ASSERT_TRUE(b.engine.startLinkTest());
        b.run();
        EXPECT_EQ(b.host.ended.back(), std::make_pair(LinkMode::LinkTest, true));
        EXPECT_FALSE(b.app.IsFirstRun);
        EXPECT_EQ(b.port.count("PROGRAM"), 1u);
        EXPECT_EQ(b.port.sent.size(), 1u); // no identification request, no end frame
        EXPECT_FALSE(b.port.opened);
    }
}

TEST(LinkTest, FourUnansweredHandshakesReportACommunicationError) {
    Bench b;
    b.app.IsFirstRun = true;
    b.radio.silentHandshakes = 1000;
    b.engine.startLinkTest();
    b.run();
    EXPECT_EQ(b.port.count("PROGRAM"), 4u);
    EXPECT_EQ(b.clockMs, 4 * kLinkTestTimeoutMs);
    EXPECT_EQ(b.askedTexts(),
              std::vector<std::string>({"Communication Error!\r\nCOM1: no answer from the radio"}));
    EXPECT_TRUE(b.app.IsFirstRun);
    EXPECT_EQ(b.host.ended.back(), std::make_pair(LinkMode::LinkTest, false));

    Bench c;
    c.port.canOpen = false;
    EXPECT_FALSE(c.engine.startLinkTest());
    EXPECT_EQ(c.askedTexts(), std::vector<std::string>({"Cannot Open Communication Port."}));
}

// A port that cannot be opened is one message, with the port's reason on a line of its own.
TEST(LinkPortFailure, OneMessageCarriesThePortsReason) {
    const std::string why = "/dev/ttyUSB0: permission denied: add yourself to the dialout group";
    for (auto start : {&LinkEngine::startRead, &LinkEngine::startWrite, &LinkEngine::startInfoRead,
                       &LinkEngine::startLinkTest}) {
        Bench b;
        b.port.canOpen = false;
        b.port.failure = why;
        EXPECT_FALSE((b.engine.*start)());
        ASSERT_EQ(b.askedTexts().size(), 1u);
        EXPECT_EQ(b.askedTexts()[0].substr(b.askedTexts()[0].size() - why.size() - 2), "\r\n" + why);
        EXPECT_EQ(b.engine.lastResult().outcome, LinkOutcome::PortUnavailable);
        EXPECT_EQ(b.engine.lastResult().text, b.askedTexts()[0]);
    }
}

TEST(LinkRead, AcceptedImageReplacesTheWorkingCopyAndKeepsTheFlags) {
    Bench b;
    b.port.echoCable = true;
    std::fill(b.radio.memory.begin() + 0x20F0, b.radio.memory.begin() + 0x20F0 + 66, 0);
    b.radio.memory[0x20F0] = 0x05; // channels 1 and 3
    for (int n : {1, 3, 481}) {
        b.radio.memory[static_cast<std::size_t>(n * 16)] = 0x78; // 27000 kHz
        b.radio.memory[static_cast<std::size_t>(n * 16 + 1)] = 0x69;
    }
    const std::string ident = "ZR2450";
    std::copy(ident.begin(), ident.end(), b.radio.memory.begin() + 0x21F0);
    b.radio.memory[0x21F6] = 2;
    b.radio.memory[0x21FC] = 0x04; // bit 2
    b.app.StoredRadioParams = {0, 0, 0, 1};
    b.app.IsUntitled = false;
    b.app.DocFileName = "mine.dat";
    b.engine.startRead();
    b.run();
    ASSERT_TRUE(b.host.ended.back().second);
    AcceptReadImage(b.engine, b.app, b.doc);
    ASSERT_EQ(b.doc.work.settings.ChannelCount, 3);
    EXPECT_EQ(b.doc.work.channels[1].ChannelNo, 3);
    EXPECT_EQ(b.doc.work.channels[1].RxFreq.raw(), "02700000");
    EXPECT_EQ(b.app.ModelNameText, "ZT-450E");
    EXPECT_EQ(b.engine.readRadioFlags(), RadioFlags({false, true, false, false}));
    EXPECT_EQ(b.app.StoredRadioParams, (std::array<std::uint8_t, 4>{0, 1, 0, 1})); // once set, kept
    EXPECT_TRUE(b.app.IsUntitled);
    EXPECT_EQ(b.app.DocFileName, "new.dat");

    // The flag read now refuses the next write.
    b.engine.startWrite();
    b.run();
    EXPECT_EQ(b.askedTexts().back(), b.text(9032));
}

TEST(LinkEngine, EventsOutsideAnExchangeAreDropped) {
    Bench b;
    const Frame junk{0x06, 'Z', 'T', 0x06};
    b.engine.onReceive(junk);
    b.engine.onReplyTimeout();
    EXPECT_TRUE(b.port.sent.empty());
    EXPECT_TRUE(b.host.ended.empty());
}

TEST(LinkEngine, AbortEndsARunningExchange) {
    Bench b;
    b.port.echoCable = true;
    b.engine.startRead();
    b.engine.abort();
    EXPECT_FALSE(b.engine.busy());
    EXPECT_FALSE(b.port.opened);
    EXPECT_EQ(b.host.ended.back(), std::make_pair(LinkMode::Read, false));
    EXPECT_EQ(b.port.sent.back(), Frame({'E', 'N', 'D'}));
}

} // namespace
} // namespace zt::test
