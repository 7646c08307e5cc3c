// SPDX-License-Identifier: GPL-3.0-or-later
// Finding the radio: the programming handshake is tried on each port of a list in turn until a
// radio answers it. Nothing but the handshake and, after an answer, the end frame is ever sent,
// so a radio that answers leaves programming mode again and any other device sees at most a few
// handshakes. Every step is bounded: opening a port (which may hang in its driver), each
// handshake's reply, and the end frame's acknowledgement; a port that fails is skipped with its
// reason and the search goes on.
//
// Like the link engine it is event-driven on one thread: start sends the first request, and
// onOpened, onReceive and onTimeout move it on.
#pragma once

#include "app/app_state.h"
#include "link/link_io.h"

#include <cstddef>
#include <string>
#include <vector>

namespace zt {

// Why a port could not be used. The same kinds name the failure of an exchange's port.
enum class PortFault : int {
    None = 0,
    Missing,    // no such device (unplugged, a link to nothing, a typo)
    Permission, // the device exists but this user may not open it (the dialout group)
    Busy,       // another program has it open
    Hangs,      // opening it did not finish in time
    NotSerial,  // it opened, but it is no serial port
    Vanished,   // it went away while it was being used
    NoAnswer,   // nothing came back to the handshake
    Garbage,    // something answered, but not as the radio does
    Other,      // the system's own reason (detail)
};

// A port passed over, and why; `detail` is the system's description ("" when none).
struct SkippedPort {
    std::string port;
    PortFault fault = PortFault::None;
    std::string detail;
};

// The reason of a fault in the user's language, with the system's description when there is one:
// "permission denied: add yourself to the dialout group", "no answer from the radio", ...
std::string PortFaultText(const AppState& app, PortFault fault, const std::string& detail = {});
// "PORT: reason".
std::string SkippedPortText(const AppState& app, const SkippedPort& s);

enum class SearchOutcome : int { Found = 0, NotFound, Cancelled };

struct SearchResult {
    SearchOutcome outcome = SearchOutcome::NotFound;
    std::string port;                 // Found: the port where the radio answered
    bool noEcho = false;              // Found: the cable does not echo what is sent
    std::vector<SkippedPort> skipped; // every port passed over, in the order tried
    bool found() const { return outcome == SearchOutcome::Found; }
};

// Opens the ports of a search. Opening may block in a driver, so it is asynchronous: the opener
// reports back through RadioSearch::onOpened, maybe before startOpen returns.
class SearchPortOpener {
  public:
    virtual ~SearchPortOpener() = default;
    // Opens `name` as the search's LinkPort (9600 8N1, as the link engine opens it).
    virtual void startOpen(const std::string& name) = 0;
    // The search no longer waits for the open started last: its result is dropped.
    virtual void abandon() = 0;
    // Why the port last failed (open, read or write), as the system says it ("" when unknown).
    virtual std::string lastError() const = 0;
};

class SearchHost {
  public:
    virtual ~SearchHost() = default;
    // Port `index` (from 0) of `count` is being tried now.
    virtual void trying(const std::string& port, std::size_t index, std::size_t count) = 0;
    virtual void skipped(const SkippedPort& s) = 0;
    // The search is over: found, nothing found, or cancelled. Called once for every start.
    virtual void searchEnded(const SearchResult& result) = 0;
};

class RadioSearch {
  public:
    static constexpr int kOpenLimitMs = 2000;    // a port that has not opened by then is skipped
    static constexpr int kReplyMs = 300;         // each handshake's reply
    static constexpr int kHandshakes = 3;        // handshakes per port
    static constexpr int kEndReplyMs = 300;      // the end frame's acknowledgement
    static constexpr std::size_t kMaxReply = 64; // bytes kept of what came back

    RadioSearch(LinkPort& port, LinkTimer& timer, SearchPortOpener& opener, SearchHost& host);

    // Starts searching `ports` in their order (duplicates are tried once). Returns false when a
    // search runs already; an empty list ends at once with NotFound.
    bool start(std::vector<std::string> ports);
    // Stops the search: a port where a handshake was sent gets the end frame; searchEnded follows
    // with Cancelled. Nothing happens when no search runs.
    void cancel();
    bool running() const { return state_ != State::Idle; }
    // The port being tried ("" when none).
    std::string current() const;

    // Events: the opener's report, bytes from the port, the timer's expiry.
    void onOpened(bool ok, PortFault fault, const std::string& detail);
    void onReceive(ByteSpan bytes);
    void onTimeout();

  private:
    enum class State { Idle, Between, Opening, Handshake, Ending };
    void tryNext();
    void sendHandshake();
    void skip(PortFault fault, const std::string& detail);
    void finish(SearchOutcome outcome);

    LinkPort& port_;
    LinkTimer& timer_;
    SearchPortOpener& opener_;
    SearchHost& host_;
    State state_ = State::Idle;
    std::vector<std::string> ports_;
    std::size_t index_ = 0;
    int handshakes_ = 0;
    std::size_t strayBytes_ = 0; // bytes received that were no handshake reply, on this port
    std::vector<std::uint8_t> reply_;
    SearchResult result_;
};

} // namespace zt
