// SPDX-License-Identifier: GPL-3.0-or-later
// The link engine fed arbitrary bytes and time-outs at every step of every exchange: the input
// picks the exchange, the answers to questions, and then a stream of events (a chunk of
// received bytes, or a reply time-out).
#include "link/link_engine.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

struct Port : zt::LinkPort {
    bool opened = false;
    bool open(const std::string&) override { return opened = true; }
    void close() override { opened = false; }
    bool isOpen() const override { return opened; }
    void write(zt::ByteSpan) override {}
    std::size_t discardInput() override { return 0; }
    void discardOutput() override {}
    void setReceiveThreshold(std::size_t) override {}
};

struct Timer : zt::LinkTimer {
    void start(int) override {}
    void stop() override {}
};

struct Host : zt::LinkHost {
    std::string typed;
    void openProgress(zt::LinkMode) override {}
    void setProgress(int p) override {
        if (p < 0 || p > 100)
            __builtin_trap();
    }
    void closeProgress() override {}
    bool askPassword(std::string& pw) override {
        pw = typed;
        return true;
    }
    void handOver(const std::string&) override {}
    void exchangeEnded(const zt::LinkResult& r) override {
        // Every result names its exchange, and a success was ended by no declined question.
        if (r.mode == zt::LinkMode::None || (r.ok() && r.declined))
            __builtin_trap();
        // Only a write that succeeded is read back; a cut read-back never fails the write.
        if (r.verify != zt::VerifyStatus::NotRun && (r.mode != zt::LinkMode::Write || !r.ok()))
            __builtin_trap();
    }
};

struct Versions : zt::LinkVersionTable {
    bool isPairKnown(std::string_view p, std::string_view d) const override { return p == d; }
    std::string versionMessage(std::string_view, std::string_view, int) const override { return "?"; }
};

struct ByteAnswers : zt::Prompter {
    const std::uint8_t* p;
    std::size_t n;
    std::size_t i = 0;
    zt::Answer ask(const std::string&, zt::Icon, zt::Buttons b, const std::string&) override {
        const bool yes = i < n ? (p[i++] & 1) != 0 : false;
        if (b == zt::Buttons::YesNo || b == zt::Buttons::YesNoCancel)
            return yes ? zt::Answer::Yes : zt::Answer::No;
        if (b == zt::Buttons::RetryCancel)
            return yes ? zt::Answer::Retry : zt::Answer::Cancel;
        return yes ? zt::Answer::Ok : zt::Answer::Cancel;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4)
        return 0;
    zt::AppState app;
    ByteAnswers answers;
    answers.p = data + 1;
    answers.n = 2;
    app.prompter = &answers;
    zt::Document doc;
    Port port;
    Timer timer;
    Host host;
    host.typed = std::string(1, static_cast<char>(data[3]));
    Versions versions;
    zt::LinkEngine engine(app, doc, port, timer, host, versions);
    engine.setNoEcho((data[0] & 8) != 0);
    engine.setVerifyAfterWrite((data[0] & 16) != 0);
    switch (data[0] & 3) {
    case 0:
        engine.startRead();
        break;
    case 1:
        engine.startWrite();
        break;
    case 2:
        engine.startInfoRead();
        break;
    default:
        engine.startLinkTest();
        break;
    }
    // Events: a length byte L; L = 0 is a time-out, otherwise the next L bytes arrive.
    std::size_t i = 4;
    answers.p = data;
    answers.n = size;
    answers.i = 4;
    while (i < size) {
        const std::size_t len = data[i++] % 40;
        if (len == 0) {
            engine.onReplyTimeout();
            continue;
        }
        const std::size_t take = std::min(len, size - i);
        engine.onReceive(zt::ByteSpan(data + i, take));
        i += take;
    }
    engine.abort();
    if (engine.busy() || port.opened)
        __builtin_trap();
    return 0;
}
