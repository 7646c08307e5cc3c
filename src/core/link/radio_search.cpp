// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/radio_search.h"

#include <algorithm>
#include <utility>

namespace zt {

namespace {

using u8 = std::uint8_t;

const std::vector<u8> kHandshake{'P', 'R', 'O', 'G', 'R', 'A', 'M'};
const std::vector<u8> kEnd{'E', 'N', 'D'};
const std::vector<u8> kAnswer{'Z', 'T', 0x06};
const std::vector<u8> kEchoedAnswer{'P', 'R', 'O', 'G', 'R', 'A', 'M', 'Z', 'T', 0x06};

bool StartsWith(const std::vector<u8>& whole, const std::vector<u8>& part) {
    return part.size() <= whole.size() && std::equal(part.begin(), part.end(), whole.begin());
}

// Text ids of the fault reasons, in the order of PortFault from Missing.
constexpr int kFaultTextBase = 34500;
const char* const kFaultFallback[] = {
    "no such device",
    "permission denied: add yourself to the dialout group",
    "busy: another program is using it",
    "it did not open within 2 seconds",
    "it is not a serial port",
    "it went away while it was being used",
    "no answer from the radio",
    "something answers, but not as the radio does",
    "it cannot be opened",
};

} // namespace

std::string PortFaultText(const AppState& app, PortFault fault, const std::string& detail) {
    if (fault == PortFault::None)
        return detail;
    const int i = static_cast<int>(fault) - static_cast<int>(PortFault::Missing);
    std::string text = app.LangText(kFaultTextBase + i);
    if (text.empty())
        text = kFaultFallback[i];
    // The system's words add to the kinds it does not already name.
    if (!detail.empty() &&
        (fault == PortFault::Other || fault == PortFault::NotSerial || fault == PortFault::Vanished))
        text += " (" + detail + ")";
    return text;
}

std::string SkippedPortText(const AppState& app, const SkippedPort& s) {
    return s.port + ": " + PortFaultText(app, s.fault, s.detail);
}

RadioSearch::RadioSearch(LinkPort& port, LinkTimer& timer, SearchPortOpener& opener, SearchHost& host)
    : port_(port), timer_(timer), opener_(opener), host_(host) {}

std::string RadioSearch::current() const {
    return state_ == State::Idle || index_ >= ports_.size() ? std::string() : ports_[index_];
}

bool RadioSearch::start(std::vector<std::string> ports) {
    if (running())
        return false;
    ports_.clear();
    for (std::string& p : ports)
        if (!p.empty() && std::find(ports_.begin(), ports_.end(), p) == ports_.end())
            ports_.push_back(std::move(p));
    result_ = SearchResult{};
    index_ = static_cast<std::size_t>(-1); // the first tryNext makes it 0
    state_ = State::Between;
    tryNext();
    return true;
}

void RadioSearch::tryNext() {
    timer_.stop();
    port_.close();
    ++index_;
    if (index_ >= ports_.size()) {
        finish(SearchOutcome::NotFound);
        return;
    }
    handshakes_ = 0;
    strayBytes_ = 0;
    state_ = State::Opening;
    host_.trying(ports_[index_], index_, ports_.size());
    if (state_ != State::Opening)
        return; // cancelled from the host
    timer_.start(kOpenLimitMs);
    opener_.startOpen(ports_[index_]);
}

void RadioSearch::onOpened(bool ok, PortFault fault, const std::string& detail) {
    if (state_ != State::Opening)
        return; // too late: the port was skipped or the search ended
    timer_.stop();
    if (!ok) {
        skip(fault == PortFault::None ? PortFault::Other : fault, detail);
        return;
    }
    state_ = State::Handshake;
    sendHandshake();
}

void RadioSearch::sendHandshake() {
    ++handshakes_;
    reply_.clear();
    port_.setReceiveThreshold(1);
    port_.discardOutput();
    port_.discardInput();
    timer_.start(kReplyMs);
    port_.write(kHandshake);
}

void RadioSearch::onReceive(ByteSpan bytes) {
    if (state_ != State::Handshake && state_ != State::Ending)
        return;
    for (u8 b : bytes)
        if (reply_.size() < kMaxReply)
            reply_.push_back(b);
    if (state_ == State::Ending) {
        // The end frame's acknowledgement, after its echo when the cable echoes.
        const bool acked = (result_.noEcho && reply_ == std::vector<u8>{0x06}) ||
                           (!result_.noEcho && reply_ == std::vector<u8>{'E', 'N', 'D', 0x06});
        if (acked)
            finish(SearchOutcome::Found);
        return;
    }
    // Only the whole answer counts, with or without the echo of the handshake in front: a device
    // that sends a stream of bytes does not pass for a radio by a lucky tail.
    if (reply_ == kAnswer || reply_ == kEchoedAnswer) {
        timer_.stop();
        result_.port = ports_[index_];
        result_.noEcho = reply_ == kAnswer;
        state_ = State::Ending;
        reply_.clear();
        port_.discardInput();
        timer_.start(kEndReplyMs);
        port_.write(kEnd);
        return;
    }
    if (!StartsWith(kAnswer, reply_) && !StartsWith(kEchoedAnswer, reply_))
        strayBytes_ += bytes.size(); // not an answer: the reply timer decides
}

void RadioSearch::onTimeout() {
    switch (state_) {
    case State::Idle:
    case State::Between:
        return;
    case State::Opening:
        opener_.abandon();
        skip(PortFault::Hangs, {});
        return;
    case State::Handshake:
        if (!port_.isOpen()) {
            skip(PortFault::Vanished, opener_.lastError());
            return;
        }
        // The start of an answer that never finished is something, but the echo of the handshake
        // alone is the cable's doing: a radio switched off behind an echoing cable is silent.
        if (!reply_.empty() && strayBytes_ == 0 && reply_ != kHandshake)
            strayBytes_ = reply_.size();
        if (handshakes_ < kHandshakes) {
            sendHandshake();
            return;
        }
        skip(strayBytes_ > 0 ? PortFault::Garbage : PortFault::NoAnswer, {});
        return;
    case State::Ending:
        // The radio answered the handshake: an unacknowledged end frame does not change that.
        finish(SearchOutcome::Found);
        return;
    }
}

void RadioSearch::skip(PortFault fault, const std::string& detail) {
    timer_.stop();
    port_.close();
    SkippedPort s{ports_[index_], fault, detail};
    result_.skipped.push_back(s);
    state_ = State::Between;
    host_.skipped(s);
    if (state_ != State::Between)
        return; // cancelled from the host
    tryNext();
}

void RadioSearch::cancel() {
    if (state_ == State::Idle)
        return;
    if (state_ == State::Opening)
        opener_.abandon();
    if ((state_ == State::Handshake) && port_.isOpen())
        port_.write(kEnd); // the radio may have taken the handshake: it leaves programming mode
    finish(SearchOutcome::Cancelled);
}

void RadioSearch::finish(SearchOutcome outcome) {
    timer_.stop();
    port_.close();
    state_ = State::Idle;
    result_.outcome = outcome;
    if (outcome != SearchOutcome::Found) {
        result_.port.clear();
        result_.noEcho = false;
    }
    ports_.clear();
    const SearchResult r = result_; // the host may start another search from the callback
    host_.searchEnded(r);
}

} // namespace zt
