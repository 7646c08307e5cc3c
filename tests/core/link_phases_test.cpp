// SPDX-License-Identifier: GPL-3.0-or-later
// The steps before a read, write or restore: the radio's information area read first (so that
// what is kept names the radio on the cable), the radio's memory read before a write, and a restore
// that sends a backup's memory byte for byte to the radio it was taken of.
#include "link_sim.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace zt::test {
namespace {

// A radio whose memory holds a pattern and whose information area names `serial`.
void Prepare(Bench& b, const std::string& serial, int seed) {
    for (int a = 0; a < 0x2440; ++a)
        b.radio.memory[static_cast<std::size_t>(a)] = static_cast<std::uint8_t>(a * seed + 11);
    std::copy(serial.begin(), serial.end(), b.radio.memory.begin() + 0x3F30);
    b.radio.memory[0x3F30 + serial.size()] = 0x00;
    b.engine.setReadInfoFirst(true);
}

RadioImage Held(const Bench& b) {
    RadioImage im{};
    std::copy_n(b.radio.memory.begin(), im.size(), im.begin());
    return im;
}

bool SentWriteFrames(const Bench& b) {
    return std::any_of(b.port.sent.begin(), b.port.sent.end(),
                       [](const Frame& f) { return f.size() > 4 && f[0] == 'W'; });
}

// The information area comes first, in an exchange of its own, and names the radio on the cable
// whatever the engine's information record (the window's) says.
TEST(LinkPhases, EveryReadAndWriteFirstReadsTheRadioOnTheCable) {
    for (LinkMode mode : {LinkMode::Read, LinkMode::Write}) {
        SCOPED_TRACE(mode == LinkMode::Read ? "read" : "write");
        Bench b;
        Prepare(b, "ZT45000042", 3);
        b.engine.radioInfo().SerialNumber = std::string("SN-OTHER") + '\0';
        b.prompter.script = {Answer::Ok};
        ASSERT_TRUE(mode == LinkMode::Read ? b.engine.startRead() : b.engine.startWrite());
        b.run();
        ASSERT_TRUE(b.host.results.at(0).ok());
        EXPECT_EQ(b.host.results[0].mode, mode);
        ASSERT_NE(b.engine.cableRadio(), nullptr);
        EXPECT_EQ(b.engine.cableRadio()->serial(), "ZT45000042");
        EXPECT_EQ(b.engine.cableRadio()->ident.modelId, "ZT-450E");
        // The 16 blocks of the area and the end frame come before anything else is read or written,
        // and the exchange itself starts with a handshake of its own.
        const auto& sent = b.port.sent;
        const auto first = std::find(sent.begin(), sent.end(), Frame({'R', 0x3F, 0x00, 0x10}));
        ASSERT_NE(first, sent.end());
        const auto at = static_cast<std::size_t>(first - sent.begin());
        ASSERT_GT(sent.size(), at + 18);
        for (std::size_t i = 0; i < at; ++i)
            EXPECT_NE(sent[i][0], 'R') << i;
        for (std::size_t i = 0; i < 16; ++i)
            EXPECT_EQ(sent[at + i], Frame({'R', 0x3F, static_cast<std::uint8_t>(i * 16), 0x10}));
        EXPECT_EQ(sent[at + 16], Frame({'E', 'N', 'D'}));
        EXPECT_EQ(sent[at + 17], Frame({'P', 'R', 'O', 'G', 'R', 'A', 'M'}));
        if (mode == LinkMode::Read) {
            EXPECT_TRUE(std::equal(b.engine.image().begin(), b.engine.image().end(), b.radio.memory.begin()));
        }
    }
}

// A radio that stops answering during the information area ends the exchange the user asked for,
// as that exchange, and nothing of the memory is read or written.
TEST(LinkPhases, SilenceDuringTheInformationAreaEndsTheExchange) {
    Bench b;
    Prepare(b, "ZT45000043", 5);
    b.radio.silentReads[0x3F50] = 1000;
    b.prompter.script = {Answer::Ok};
    b.prompter.reply = Answer::Cancel;
    ASSERT_TRUE(b.engine.startWrite());
    b.run();
    const LinkResult& r = b.host.results.at(0);
    EXPECT_EQ(r.mode, LinkMode::Write);
    EXPECT_FALSE(r.ok());
    EXPECT_FALSE(SentWriteFrames(b));
    EXPECT_TRUE(r.partialWrite.empty());
    EXPECT_EQ(b.host.progressOpened, b.host.progressClosed);
    EXPECT_FALSE(b.engine.busy());
}

// Keep-before-write: the whole memory the radio held goes to the host before the first write frame.
TEST(LinkPhases, TheMemoryBeforeAWriteIsWhatTheRadioHeld) {
    Bench b;
    Prepare(b, "ZT45000044", 7);
    const RadioImage held = Held(b);
    b.engine.setKeepBeforeWrite(true);
    b.host.memoryBackup.folder = "/backups/m";
    b.prompter.script = {Answer::Ok};
    ASSERT_TRUE(b.engine.startWrite());
    b.run();
    ASSERT_TRUE(b.host.results.at(0).ok());
    ASSERT_EQ(b.host.memories.size(), 1u);
    EXPECT_EQ(b.host.memories[0], held);
    EXPECT_EQ(b.engine.memoryBackupFolder(), "/backups/m");
    EXPECT_TRUE(std::equal(b.engine.image().begin(), b.engine.image().end(), b.radio.memory.begin()));
    EXPECT_EQ(b.host.writeOutcomes,
              (std::vector<std::pair<bool, VerifyStatus>>{{true, VerifyStatus::NotRun}}));
}

// Restore sends the backup's memory byte for byte (only the radio's identification bytes are the
// radio's own), to the radio it was taken of; another radio only when chosen; another model never.
TEST(LinkPhases, RestoreWritesTheBackupToItsRadio) {
    struct Case {
        const char* name;
        std::string onCable;
        std::string model; // what the backup's identification names
        std::optional<bool> otherRadio;
        LinkOutcome outcome;
    };
    const Case cases[] = {
        {"its own radio", "ZT45000045", "ZT-450E", std::nullopt, LinkOutcome::Success},
        {"another radio, refused", "ZT45000099", "ZT-450E", false, LinkOutcome::OtherRadio},
        {"another radio, chosen", "ZT45000099", "ZT-450E", true, LinkOutcome::Success},
        {"another model", "ZT45000045", "ZT-999", std::nullopt, LinkOutcome::WrongModel},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bench b;
        Prepare(b, c.onCable, 9);
        RadioImage backup{};
        for (std::size_t a = 0; a < backup.size(); ++a)
            backup[a] = static_cast<std::uint8_t>(a * 13 + 1);
        b.host.otherRadio = c.otherRadio;
        b.engine.setKeepBeforeWrite(true);
        b.prompter.script = {Answer::Ok};
        ASSERT_TRUE(b.engine.startRestore(backup, {c.model, 0, "ZT45000045"}));
        b.run();
        const LinkResult& r = b.host.results.at(0);
        EXPECT_EQ(r.outcome, c.outcome);
        EXPECT_EQ(b.prompter.asked.front().text, b.text(34700));
        if (c.outcome != LinkOutcome::Success) {
            EXPECT_FALSE(SentWriteFrames(b));
            continue;
        }
        for (int a = 0; a < 0x2440; ++a) {
            if (!IsRadioOwnedAddress(a)) {
                ASSERT_EQ(b.radio.memory[static_cast<std::size_t>(a)], backup[static_cast<std::size_t>(a)])
                    << a;
            }
        }
        EXPECT_TRUE(b.engine.restoring());
    }
}

} // namespace
} // namespace zt::test
