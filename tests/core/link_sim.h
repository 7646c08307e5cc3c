// SPDX-License-Identifier: GPL-3.0-or-later
// An in-process radio on a fake serial cable, a fake reply timer on a fake clock, and a host that
// records what the engine asked for. The run loop delivers buffered bytes once they reach the
// receive threshold and otherwise lets the running reply timer expire, so whole exchanges run
// deterministically and instantly.
#pragma once

#include "link/link_engine.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace zt::test {

using Frame = std::vector<std::uint8_t>;

// The radio's side of the protocol, with a few faults to inject.
struct SimRadio {
    std::array<std::uint8_t, 0x4000> memory{};
    std::string model = "ZR2450";
    std::uint8_t variant = 2;
    std::string firmware = "V300";
    std::array<std::uint8_t, 2> identExtra{0x13, 0x14}; // bytes 13..14 of the identification reply

    int silentHandshakes = 0;        // handshakes left unanswered
    std::map<int, int> silentReads;  // address -> read requests left unanswered
    std::map<int, int> silentWrites; // address -> write frames left unanswered
    std::set<int> repeatOnce;        // write addresses answered once with 0x0A
    std::map<int, int> repeatWrites; // address -> write frames answered with 0x0A (not stored)
    int repeatEnds = 0;              // end frames answered with 0x0A
    std::map<int, int> badChecksum;  // address -> replies sent with a wrong checksum
    std::map<int, int> wrongAddress; // address -> replies that name another address
    std::set<int> lostWrites;        // write addresses acknowledged but not stored
    std::set<int> alteredWrites;     // write addresses stored with bit 0 of their first byte inverted
    bool silentAfterEnd = false;     // after an end frame the radio answers nothing more
    bool ended = false;
    bool silentIdent = false;
    bool ackEnd = true;
    int silentPasswordReads = 0;

    SimRadio() { memory.fill(0xFF); }
    void setPassword(const std::string& pw) {
        for (int i = 0; i < 4; ++i)
            memory[0x3F2C + i] = i < static_cast<int>(pw.size()) ? static_cast<std::uint8_t>(pw[i]) : 0xFF;
    }

    static Frame DataReply(int address, const std::uint8_t* data, int checksumDelta = 0) {
        Frame f{'W', static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address & 0xFF),
                0x10};
        unsigned sum = f[1] + f[2] + f[3];
        for (int i = 0; i < 16; ++i) {
            f.push_back(data[i]);
            sum += data[i];
        }
        f.push_back(static_cast<std::uint8_t>(sum + checksumDelta));
        f.push_back(0x06);
        return f;
    }

    static bool Take(std::map<int, int>& m, int key) {
        auto it = m.find(key);
        if (it == m.end() || it->second <= 0)
            return false;
        --it->second;
        return true;
    }

    Frame handle(const Frame& f) {
        const std::string s(f.begin(), f.end());
        if (ended && silentAfterEnd)
            return {};
        if (s == "PROGRAM") {
            if (silentHandshakes > 0) {
                --silentHandshakes;
                return {};
            }
            return {'Z', 'T', 0x06};
        }
        if (f.size() == 1 && f[0] == 0x02) {
            if (silentIdent)
                return {};
            Frame r{'P'};
            for (int i = 0; i < 6; ++i)
                r.push_back(i < static_cast<int>(model.size()) ? static_cast<std::uint8_t>(model[i]) : 0x00);
            r.push_back(variant);
            r.push_back(0x00);
            for (int i = 0; i < 4; ++i)
                r.push_back(i < static_cast<int>(firmware.size()) ? static_cast<std::uint8_t>(firmware[i])
                                                                  : 0x00);
            r.push_back(identExtra[0]);
            r.push_back(identExtra[1]);
            r.push_back(0x06);
            return r;
        }
        if (f.size() == 4 && f[0] == 'R') {
            const int a = f[1] << 8 | f[2];
            if (a == 0x3F20 && silentPasswordReads > 0) {
                --silentPasswordReads;
                return {};
            }
            if (Take(silentReads, a))
                return {};
            const int named = Take(wrongAddress, a) ? a + 0x10 : a;
            return DataReply(named, &memory[static_cast<std::size_t>(a)], Take(badChecksum, a) ? 1 : 0);
        }
        if (f.size() == 22 && f[0] == 'W') {
            const int a = f[1] << 8 | f[2];
            if (Take(silentWrites, a))
                return {};
            if (repeatOnce.erase(a) || Take(repeatWrites, a))
                return {0x0A};
            if (lostWrites.count(a))
                return {0x06};
            for (int i = 0; i < 16; ++i)
                memory[static_cast<std::size_t>(a + i)] = f[4 + static_cast<std::size_t>(i)];
            if (alteredWrites.count(a))
                memory[static_cast<std::size_t>(a)] ^= 0x01;
            return {0x06};
        }
        if (s == "END") {
            if (repeatEnds > 0) {
                --repeatEnds;
                return {0x0A};
            }
            ended = true;
            return ackEnd ? Frame{0x06} : Frame{};
        }
        return {};
    }
};

struct FakeTimer : LinkTimer {
    bool running = false;
    int interval = 0;
    void start(int ms) override {
        running = true;
        interval = ms;
    }
    void stop() override { running = false; }
};

struct FakePort : LinkPort {
    SimRadio* radio = nullptr;
    bool echoCable = false;
    bool garbleEcho = false; // the echo comes back as junk bytes of the same length
    bool canOpen = true;
    std::string failure; // why it cannot be opened, when it cannot
    bool opened = false;
    // A cable pulled and put back: after this many more frames the device is gone (the port
    // reports an error and closes, as the serial adapter does), and this many opens then fail.
    int framesUntilUnplugged = -1;
    int opensUntilBack = 0;
    bool unplugged = false;
    int opens = 0;
    // A noisy cable: the radio's replies are lost for the next this many openings of the port (an
    // exchange opens it once), though the radio hears and handles every frame.
    int lostOpenings = 0;
    bool losing = false;
    // A radio or cable that sends each acknowledgement (0x06 to a write frame or the end frame)
    // twice: the second after `repeatAckAfter` more frames were written (0: before the next frame
    // goes out; 1: once the next frame is written, before its reply; ...), or after a random
    // number of frames 0..3 when `repeatAckRandom` is set (seeded by `repeatAckSeed`).
    int repeatAckAfter = -1;
    bool repeatAckRandom = false;
    unsigned repeatAckSeed = 1;
    std::vector<std::pair<int, Frame>> strays; // bytes still to come, after this many frames
    std::string openedName;
    std::size_t threshold = 1;
    Frame rx;
    std::vector<Frame> sent;
    std::vector<std::size_t> thresholdAtWrite;

    bool open(const std::string& name) override {
        openedName = name;
        ++opens;
        if (unplugged && opensUntilBack-- > 0)
            return opened = false;
        unplugged = false;
        opened = canOpen;
        threshold = 1;
        losing = opened && lostOpenings > 0;
        if (losing)
            --lostOpenings;
        return opened;
    }
    void close() override { opened = false; }
    bool isOpen() const override { return opened; }
    std::string openFailure() const override { return canOpen ? std::string() : failure; }
    void write(ByteSpan bytes) override {
        if (framesUntilUnplugged == 0) {
            framesUntilUnplugged = -1;
            unplugged = true;
            opened = false;
        }
        if (unplugged || !opened)
            return; // nothing leaves a closed port
        if (framesUntilUnplugged > 0)
            --framesUntilUnplugged;
        Frame f(bytes.begin(), bytes.end());
        sent.push_back(f);
        thresholdAtWrite.push_back(threshold);
        if (echoCable)
            for (auto b : f)
                rx.push_back(garbleEcho ? static_cast<std::uint8_t>(b ^ 0x5A) : b);
        for (auto it = strays.begin(); it != strays.end();) {
            if (--it->first > 0) {
                ++it;
                continue;
            }
            rx.insert(rx.end(), it->second.begin(), it->second.end());
            it = strays.erase(it);
        }
        if (radio) {
            const Frame reply = radio->handle(f);
            if (!losing)
                rx.insert(rx.end(), reply.begin(), reply.end());
            const bool ack = reply == Frame{0x06} && (f[0] == 'W' || f == Frame{'E', 'N', 'D'});
            if (ack && (repeatAckAfter >= 0 || repeatAckRandom)) {
                int after = repeatAckAfter;
                if (repeatAckRandom) {
                    repeatAckSeed = repeatAckSeed * 1103515245u + 12345u;
                    after = static_cast<int>((repeatAckSeed >> 16) % 4);
                }
                if (after == 0)
                    rx.push_back(0x06);
                else
                    strays.emplace_back(after, Frame{0x06});
            }
        }
    }
    std::size_t discardInput() override {
        const std::size_t n = rx.size();
        rx.clear();
        return n;
    }
    void discardOutput() override {}
    void setReceiveThreshold(std::size_t t) override { threshold = t; }

    std::size_t count(const std::string& prefix) const {
        std::size_t n = 0;
        for (const auto& f : sent)
            if (f.size() >= prefix.size() && std::string(f.begin(), f.begin() + prefix.size()) == prefix)
                ++n;
        return n;
    }
};

struct FakeHost : LinkHost {
    std::vector<int> progress;
    int progressOpened = 0;
    int progressClosed = 0;
    std::optional<std::string> typedPassword; // nullopt: the user cancels the dialog
    bool dialogShows = true;
    int passwordDialogs = 0;
    std::vector<std::string> handOvers;
    int readBacks = 0;
    std::vector<std::pair<LinkMode, RadioImage>> backups;
    std::vector<std::pair<LinkMode, bool>> ended;
    std::vector<LinkResult> results;
    std::vector<bool> retryDecisions; // taken in turn without a question; when none is left, ask
    int retriesDecided = 0;
    WriteBackup writeBackup;                // what keepWriteBackup reports
    std::optional<bool> writeWithoutBackup; // decideWriteWithoutBackup
    WriteBackup memoryBackup;               // what keepMemoryBackup reports
    std::vector<RadioImage> memories;       // the memories handed to keepMemoryBackup
    std::string newestMemory;               // what newestMemoryBackup reports
    std::vector<std::pair<bool, VerifyStatus>> writeOutcomes;
    std::optional<bool> otherRadio; // decideOtherRadio

    void openProgress(LinkMode) override { ++progressOpened; }
    void setProgress(int p) override { progress.push_back(p); }
    void closeProgress() override { ++progressClosed; }
    void beginReadBack() override { ++readBacks; }
    void keepBackup(LinkMode mode, const RadioImage& image) override { backups.emplace_back(mode, image); }
    WriteBackup keepWriteBackup(const RadioImage& image) override {
        if (writeBackup.error.empty())
            backups.emplace_back(LinkMode::Write, image);
        return writeBackup;
    }
    std::optional<bool> decideWriteWithoutBackup() override { return writeWithoutBackup; }
    WriteBackup keepMemoryBackup(const RadioImage& memory) override {
        memories.push_back(memory);
        return memoryBackup;
    }
    std::string newestMemoryBackup(const std::string&) override { return newestMemory; }
    void writeOutcome(bool acknowledged, VerifyStatus verify) override {
        writeOutcomes.emplace_back(acknowledged, verify);
    }
    std::optional<bool> decideOtherRadio(const std::string&, const std::string&) override {
        return otherRadio;
    }
    bool askPassword(std::string& pw) override {
        ++passwordDialogs;
        if (!dialogShows)
            return false;
        if (typedPassword)
            pw = TrimFixed(*typedPassword);
        return true;
    }
    std::optional<bool> decideRetry() override {
        if (retriesDecided >= static_cast<int>(retryDecisions.size()))
            return std::nullopt;
        return retryDecisions[static_cast<std::size_t>(retriesDecided++)];
    }
    void handOver(const std::string& v) override { handOvers.push_back(v); }
    void exchangeEnded(const LinkResult& r) override {
        ended.emplace_back(r.mode, r.ok());
        results.push_back(r);
    }
};

struct PairTable : LinkVersionTable {
    std::vector<std::pair<std::string, std::string>> pairs{{"V300", "V300"}};
    bool isPairKnown(std::string_view p, std::string_view d) const override {
        for (const auto& [a, b] : pairs)
            if (a == p && b == d)
                return true;
        return false;
    }
    std::string versionMessage(std::string_view, std::string_view other, int) const override {
        return "other version " + std::string(other);
    }
};

// Answers questions from a script (then `reply`), and records them.
struct ScriptedPrompter : RecordingPrompter {
    std::vector<Answer> script;
    Answer ask(const std::string& text, Icon icon, Buttons buttons, const std::string& title = {}) override {
        if (!script.empty()) {
            const Answer saved = reply;
            reply = script.front();
            script.erase(script.begin());
            const Answer a = RecordingPrompter::ask(text, icon, buttons, title);
            reply = saved;
            return a;
        }
        return RecordingPrompter::ask(text, icon, buttons, title);
    }
};

// Everything an engine needs, wired together.
struct Bench {
    AppState app;
    Document doc;
    ScriptedPrompter prompter;
    SimRadio radio;
    FakePort port;
    FakeTimer timer;
    FakeHost host;
    PairTable versions;
    LinkEngine engine{app, doc, port, timer, host, versions};
    long clockMs = 0;
    int timeouts = 0;
    // Each delivery carries one reply (the threshold's bytes); what follows it stays buffered, as
    // when it arrives a moment later.
    bool oneReplyPerDelivery = false;

    Bench() {
        app.prompter = &prompter;
        app.lang.load(std::string(ZT_DATA_DIR) + "/language/english.ini");
        port.radio = &radio;
        // The tests of one exchange's frames see that exchange alone; the steps before it (the
        // information area, the memory before a write) have tests of their own.
        engine.setReadInfoFirst(false);
    }

    // Delivers replies and fires time-outs until the engine waits for nothing.
    void run(int maxEvents = 200000) {
        for (int i = 0; i < maxEvents; ++i) {
            if (port.opened && port.rx.size() >= port.threshold) {
                Frame bytes;
                bytes.swap(port.rx);
                if (oneReplyPerDelivery) {
                    port.rx.assign(bytes.begin() + static_cast<std::ptrdiff_t>(port.threshold), bytes.end());
                    bytes.resize(port.threshold);
                }
                engine.onReceive(bytes);
            } else if (timer.running) {
                timer.running = false;
                clockMs += timer.interval;
                ++timeouts;
                engine.onReplyTimeout();
            } else {
                return;
            }
        }
        throw std::runtime_error("exchange did not settle");
    }

    std::vector<std::string> askedTexts() const {
        std::vector<std::string> v;
        for (const auto& a : prompter.asked)
            v.push_back(a.text);
        return v;
    }
    std::string text(int id) const { return app.LangText(id); }
};

} // namespace zt::test
