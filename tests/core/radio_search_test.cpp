// SPDX-License-Identifier: GPL-3.0-or-later
// Finding the radio among ports that are missing, silent, chattering, hanging or vanishing: the
// search goes on past each with its reason, writes nothing but handshakes and one end frame, and
// every wait is bounded by the timer.
#include "link/radio_search.h"
#include "link_sim.h"

#include <gtest/gtest.h>

#include <map>

namespace zt::test {
namespace {

// What sits behind a port name.
struct Device {
    enum class Open { Ok, Fails, Hangs } open = Open::Ok;
    PortFault fault = PortFault::None; // Fails: why
    bool radio = false;                // answers the handshake and the end frame
    bool echo = false;                 // the cable echoes every byte first
    std::vector<std::uint8_t> chatter; // sent back to every write (a device that is no radio)
    int vanishAfterWrites = -1;        // the device goes away after this many writes
};

Device Failing(PortFault why) {
    Device d;
    d.open = Device::Open::Fails;
    d.fault = why;
    return d;
}

Device Hanging() {
    Device d;
    d.open = Device::Open::Hangs;
    return d;
}

struct Line : LinkPort, SearchPortOpener, SearchHost {
    std::map<std::string, Device> devices;
    RadioSearch* search = nullptr;
    FakeTimer timer;
    std::string attached;
    bool opened = false;
    std::vector<std::uint8_t> rx;
    std::map<std::string, std::vector<std::string>> written; // per port, every write as text
    std::vector<std::string> tried;
    std::vector<SkippedPort> skips;
    std::vector<SearchResult> ended;
    std::vector<int> openLimits; // the timer's interval while a port opens
    std::string cancelOnTrying;  // the host cancels when this port comes up

    // SearchPortOpener
    void startOpen(const std::string& name) override {
        openLimits.push_back(timer.interval);
        const Device& d = devices[name];
        if (d.open == Device::Open::Hangs)
            return; // never reports
        attached = name;
        opened = d.open == Device::Open::Ok;
        rx.clear();
        search->onOpened(opened, d.fault, "");
    }
    void abandon() override {}
    std::string lastError() const override { return opened ? "" : "Input/output error"; }

    // LinkPort
    bool open(const std::string&) override { return false; }
    void close() override { opened = false; }
    bool isOpen() const override { return opened; }
    void write(ByteSpan bytes) override {
        if (!opened)
            return;
        Device& d = devices[attached];
        written[attached].emplace_back(bytes.begin(), bytes.end());
        if (d.vanishAfterWrites >= 0 && static_cast<int>(written[attached].size()) > d.vanishAfterWrites) {
            opened = false;
            return;
        }
        if (d.echo)
            rx.insert(rx.end(), bytes.begin(), bytes.end());
        const std::string s(bytes.begin(), bytes.end());
        if (d.radio && s == "PROGRAM")
            rx.insert(rx.end(), {'Z', 'T', 0x06});
        else if (d.radio && s == "END")
            rx.push_back(0x06);
        rx.insert(rx.end(), d.chatter.begin(), d.chatter.end());
    }
    std::size_t discardInput() override {
        const std::size_t n = rx.size();
        rx.clear();
        return n;
    }
    void discardOutput() override {}
    void setReceiveThreshold(std::size_t) override {}

    // SearchHost
    void trying(const std::string& port, std::size_t, std::size_t) override {
        tried.push_back(port);
        if (port == cancelOnTrying)
            search->cancel();
    }
    void skipped(const SkippedPort& s) override { skips.push_back(s); }
    void searchEnded(const SearchResult& r) override { ended.push_back(r); }
};

struct SearchBench {
    Line line;
    RadioSearch search{line, line.timer, line, line};
    long clockMs = 0;
    SearchBench() { line.search = &search; }

    // Delivers bytes and fires the timer until the search waits for nothing.
    void run() {
        for (int i = 0; i < 10000 && search.running(); ++i) {
            if (line.opened && !line.rx.empty()) {
                std::vector<std::uint8_t> bytes;
                bytes.swap(line.rx);
                search.onReceive(bytes);
            } else if (line.timer.running) {
                line.timer.running = false;
                clockMs += line.timer.interval;
                search.onTimeout();
            } else {
                FAIL() << "the search waits for nothing";
            }
        }
        ASSERT_FALSE(search.running());
    }
    std::vector<PortFault> faults() const {
        std::vector<PortFault> v;
        for (const auto& s : line.skips)
            v.push_back(s.fault);
        return v;
    }
};

using Writes = std::vector<std::string>;

TEST(RadioSearch, PassesOverEveryKindOfFaultyPortAndFindsTheRadio) {
    for (const bool echo : {false, true}) {
        SCOPED_TRACE(echo ? "echoing cable" : "plain cable");
        SearchBench b;
        b.line.devices["missing"] = Failing(PortFault::Missing);
        b.line.devices["refused"] = Failing(PortFault::Permission);
        b.line.devices["hangs"] = Hanging();
        b.line.devices["silent"] = {};
        b.line.devices["chatter"].chatter = {'?', 'Z', 'T', 0x06}; // a lucky tail is no answer
        b.line.devices["gone"].vanishAfterWrites = 0;
        b.line.devices["radio"].radio = true;
        b.line.devices["radio"].echo = echo;
        b.line.devices["after"].radio = true;
        ASSERT_TRUE(b.search.start(
            {"missing", "refused", "hangs", "silent", "chatter", "silent", "gone", "radio", "after"}));
        b.run();

        ASSERT_EQ(b.line.ended.size(), 1u);
        const SearchResult& r = b.line.ended[0];
        EXPECT_TRUE(r.found());
        EXPECT_EQ(r.port, "radio");
        EXPECT_EQ(r.noEcho, !echo);
        EXPECT_EQ(b.line.tried,
                  (Writes{"missing", "refused", "hangs", "silent", "chatter", "gone", "radio"}));
        EXPECT_EQ(b.faults(),
                  (std::vector<PortFault>{PortFault::Missing, PortFault::Permission, PortFault::Hangs,
                                          PortFault::NoAnswer, PortFault::Garbage, PortFault::Vanished}));
        EXPECT_EQ(r.skipped.size(), 6u);
        EXPECT_EQ(r.skipped.back().detail, "Input/output error");
        // Nothing but handshakes, and the end frame only where the radio answered.
        const Writes three(RadioSearch::kHandshakes, "PROGRAM");
        EXPECT_EQ(b.line.written["silent"], three);
        EXPECT_EQ(b.line.written["chatter"], three);
        EXPECT_EQ(b.line.written["radio"], (Writes{"PROGRAM", "END"}));
        EXPECT_FALSE(b.line.written.count("after"));
        EXPECT_FALSE(b.line.opened);
        // Each wait is bounded: the hanging open by its limit, each silent port by its handshakes.
        EXPECT_EQ(b.line.openLimits, std::vector<int>(7, RadioSearch::kOpenLimitMs));
        EXPECT_EQ(b.clockMs, RadioSearch::kOpenLimitMs +
                                 2 * RadioSearch::kHandshakes * RadioSearch::kReplyMs +
                                 RadioSearch::kReplyMs);
    }
}

TEST(RadioSearch, EndsWithTheReasonOfEveryPortWhenNoRadioAnswers) {
    SearchBench b;
    b.line.devices["half"].chatter = {'Z', 'T'}; // the start of an answer that never ends
    b.line.devices["silent"] = {};
    b.line.devices["radio off"].echo = true; // an echoing cable, the radio behind it switched off
    b.search.start({"half", "silent", "half", "radio off"});
    b.run();
    ASSERT_EQ(b.line.ended.size(), 1u);
    EXPECT_EQ(b.line.ended[0].outcome, SearchOutcome::NotFound);
    EXPECT_EQ(b.line.ended[0].port, "");
    EXPECT_EQ(b.faults(),
              (std::vector<PortFault>{PortFault::Garbage, PortFault::NoAnswer, PortFault::NoAnswer}));

    SearchBench none;
    none.search.start({});
    ASSERT_EQ(none.line.ended.size(), 1u);
    EXPECT_EQ(none.line.ended[0].outcome, SearchOutcome::NotFound);
    EXPECT_FALSE(none.search.running());
}

TEST(RadioSearch, CancelSendsTheEndFrameAfterAHandshakeAndTriesNoMorePorts) {
    SearchBench b;
    b.line.devices["silent"] = {};
    b.line.devices["radio"].radio = true;
    b.search.start({"silent", "radio"});
    EXPECT_EQ(b.search.current(), "silent");
    EXPECT_FALSE(b.search.start({"radio"})); // one search at a time
    b.search.cancel();
    ASSERT_EQ(b.line.ended.size(), 1u);
    EXPECT_EQ(b.line.ended[0].outcome, SearchOutcome::Cancelled);
    EXPECT_EQ(b.line.written["silent"], (Writes{"PROGRAM", "END"}));
    EXPECT_FALSE(b.line.opened);
    EXPECT_FALSE(b.line.timer.running);
    EXPECT_FALSE(b.line.written.count("radio"));

    // Cancelled while a port hangs on open: its late report changes nothing.
    SearchBench h;
    h.line.devices["hangs"] = Hanging();
    h.search.start({"hangs"});
    h.search.cancel();
    h.search.onOpened(true, PortFault::None, "");
    EXPECT_EQ(h.line.ended.size(), 1u);
    EXPECT_FALSE(h.search.running());

    // Cancelled by the host as a port comes up.
    SearchBench c;
    c.line.devices["radio"].radio = true;
    c.line.cancelOnTrying = "radio";
    c.line.devices["missing"] = Failing(PortFault::Missing);
    c.search.start({"missing", "radio"});
    ASSERT_EQ(c.line.ended.size(), 1u);
    EXPECT_EQ(c.line.ended[0].outcome, SearchOutcome::Cancelled);
    EXPECT_FALSE(c.line.written.count("radio"));
}

TEST(RadioSearch, ReasonsReadAsTheUserNeedsThem) {
    AppState app;
    app.lang.load(std::string(ZT_DATA_DIR) + "/language/english.ini");
    EXPECT_EQ(SkippedPortText(app, {"/dev/ttyUSB0", PortFault::Permission, "Permission denied"}),
              "/dev/ttyUSB0: permission denied: add yourself to the dialout group");
    EXPECT_EQ(PortFaultText(app, PortFault::Missing), "no such device");
    EXPECT_EQ(PortFaultText(app, PortFault::NoAnswer), "no answer from the radio");
    EXPECT_EQ(PortFaultText(app, PortFault::Other, "Inappropriate ioctl for device"),
              "it cannot be opened (Inappropriate ioctl for device)");
    AppState bare; // no language file: the English words all the same
    EXPECT_EQ(PortFaultText(bare, PortFault::Busy), "busy: another program is using it");
}

} // namespace
} // namespace zt::test
