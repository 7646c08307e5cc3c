// SPDX-License-Identifier: GPL-3.0-or-later
// What the radio link engine needs from the outside world: a serial port, a one-shot reply
// timer, a host for windows and requests, and the version table. The Qt side implements them
// with QSerialPort, QTimer and dialogs; tests implement them with a fake clock and an in-process
// simulated radio. Every call happens on one thread; nothing here blocks for long.
//
// Wiring an adapter (see LinkEngine in link/link_engine.h):
//   - port data arrived: when the bytes buffered reach the current receive threshold T (the last
//     value given to LinkPort::setReceiveThreshold), read everything buffered and pass it to
//     LinkEngine::onReceive. The engine keeps the first T bytes as the packet and drops the rest.
//     Fewer than T buffered bytes stay in the buffer (the next discardInput drops them).
//   - reply timer expired: call LinkEngine::onReplyTimeout once.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace zt {

using ByteSpan = std::span<const std::uint8_t>;

// Which exchange runs. Read, Write and Info are the radio exchanges of the main window; LinkTest
// is the handshake-only test of the first-run window.
enum class LinkMode : int { None = 0, Read = 1, Write = 2, Info = 3, LinkTest = 4 };

// How an exchange ended. The message or question that ended it (named in LinkResult) has been
// shown to the user when the host learns of it; Aborted, Failed and a password dialog that could
// not be shown end without one.
enum class LinkOutcome : int {
    Success = 0,
    PortUnavailable, // the port could not be opened
    NotConfirmed,    // the user declined the confirmation question
    NoReply,         // the radio stopped answering and the user did not try again (or, in the
                     // link test, four handshakes went unanswered)
    WrongModel,      // the radio is another model
    BandRefused,     // the radio's band differs from the document's and may not be written
    RadioLocked,     // the radio refuses writing (flag bit 3)
    RadioProtected,  // the radio refuses writing (flag bit 2)
    PasswordRefused, // the radio's password was not given (or the dialog could not be shown)
    OtherVersion,    // the radio's firmware needs another program version (see LinkResult)
    Aborted,         // LinkEngine::abort
    Failed,          // a reply the exchange cannot go on from
    BackupNotKept,   // a write: no backup could be kept before it and the user did not choose to
                     // write without one (no write frame was sent to the radio)
    OtherRadio,      // a restore: the radio on the cable is not the one the backup was taken of,
                     // and the user did not choose to restore it there (nothing was written)
};

// What the read-back after a write found (LinkEngine::setVerifyAfterWrite).
enum class VerifyStatus : int {
    NotRun = 0, // no read-back: verifying is off, or the write did not end with the radio's acknowledgement
    Verified,   // the radio holds what was written
    Differs,    // the radio acknowledged the write but holds something else (LinkEngine::verifyDifferences)
    Unfinished, // the radio stopped answering during the read-back: the write is not checked
};

// The end of an exchange, as data: what the host needs to decide what to do and what to say,
// without looking at the texts that were shown.
struct LinkResult {
    LinkMode mode = LinkMode::None;
    LinkOutcome outcome = LinkOutcome::Success;
    // The language text id of the message or question that ended it (9009 / 9010 after a read or
    // a write that succeeded, 9003, 9004, 9008, 9012, ...); 0 when it ended without one or with a
    // text of its own (the password failure, the link test's texts, the version question).
    int messageId = 0;
    // That text as the user saw it, on several lines maybe; empty when none was shown.
    std::string text;
    // The user's answer to that question ended the exchange (declined it).
    bool declined = false;
    // The firmware version the radio reported; empty before the identification reply.
    std::string radioVersion;
    // OtherVersion: the user chose to start the program version for radioVersion; the host's
    // handOver follows exchangeEnded.
    bool handOver = false;
    // A write that succeeded and was read back: what the read-back found.
    VerifyStatus verify = VerifyStatus::NotRun;
    // A write that failed after its first block was sent: the message (shown after the failure's
    // own) saying that the radio may hold a partly written memory and which backup of its memory
    // restores it (or that none was kept); empty otherwise.
    std::string partialWrite;
    // Some acknowledgement of the write came more than once (link/write_acks.h): the write was
    // read back whatever setVerifyAfterWrite says, and is confirmed only when verify is Verified.
    bool repeatedAcks = false;
    // The read-back found the write wanting and the user chose to write again (see
    // LinkHost::offersWriteAgain); the host starts the write once more.
    bool writeAgain = false;

    bool ok() const { return outcome == LinkOutcome::Success; }
};

constexpr int kReplyTimeoutMs = 150;    // every frame of an exchange
constexpr int kLinkTestTimeoutMs = 300; // every handshake of the link test

class LinkPort {
  public:
    virtual ~LinkPort() = default;
    // Opens the port `name` ("COM3", "/dev/ttyUSB0", ...) at 9600 baud, no parity, 8 data bits,
    // 1 stop bit, no flow control, raw bytes, receive threshold 1; DTR and RTS stay at the port's
    // defaults. A port that is already open is closed first. Returns false when it cannot be
    // opened; the engine reports that to the user.
    virtual bool open(const std::string& name) = 0;
    // Closes the port; nothing happens when it is not open.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Queues the bytes for sending and returns at once.
    virtual void write(ByteSpan bytes) = 0;
    // Drops every byte received and not yet passed to the engine; returns how many were dropped
    // (as far as the port can count them).
    virtual std::size_t discardInput() = 0;
    // Drops every byte queued for sending and not yet sent.
    virtual void discardOutput() = 0;
    // The number of bytes that must be buffered before they are passed to LinkEngine::onReceive.
    virtual void setReceiveThreshold(std::size_t t) = 0;
    // Why the last open failed, naming the port, in the user's words ("" when unknown): the
    // engine adds it to its message.
    virtual std::string openFailure() const { return {}; }
};

class LinkTimer {
  public:
    virtual ~LinkTimer() = default;
    // One shot: (re)starts the timer; when `ms` milliseconds pass without stop(), the adapter
    // calls LinkEngine::onReplyTimeout once.
    virtual void start(int ms) = 0;
    virtual void stop() = 0;
};

// The windows and requests of an exchange. Questions and messages do not come here: the engine
// asks them through AppState::prompter with texts from AppState::LangText.
// The backup a host kept before a write (LinkHost::keepWriteBackup).
struct WriteBackup {
    std::string folder; // where it was kept; empty when none was kept
    std::string error;  // why none could be kept (path and reason); empty when kept or not wanted
};

class LinkHost {
  public:
    virtual ~LinkHost() = default;
    // Read and write: the progress window, caption text 9027 (read) or 9028 (write), label text
    // 9029, bar and percentage label at 0. Must return at once (show it, do not run a nested
    // event loop); the engine sends the first frame after this call.
    virtual void openProgress(LinkMode mode) = 0;
    // Percentage 0..100 for the bar and the label ("37%"). Called when the value rises by at
    // least one, and with 0 when an exchange restarts after the retry question.
    virtual void setProgress(int percent) = 0;
    // Unloads the progress window; called at the end of every read and write exchange.
    virtual void closeProgress() = 0;
    // A write that the radio acknowledged is now read back to check it: the progress window shows
    // this second phase (its own caption) and the bar starts again from 0.
    virtual void beginReadBack() {}
    // Before a write, the radio's whole memory is read to keep it (LinkEngine::setKeepBeforeWrite):
    // the progress window names this step, and the bar starts again from 0 when the write follows
    // (beginWriting).
    virtual void beginBackupRead() {}
    virtual void beginWriting() {}
    // The radio's memory as read before a write, with the radio's information read in the same
    // exchange (LinkEngine::cableRadio): keep it as a backup of kind "before write". The result
    // names its folder or says why none could be kept (the write then starts only when the host
    // or the user chooses so). By default nothing is kept and the write goes on.
    virtual WriteBackup keepMemoryBackup(const std::array<std::uint8_t, 0x2440>& memory) {
        (void)memory;
        return {};
    }
    // A write failed after its first block and no memory was read before it: the newest backup
    // kept of the memory of the radio with serial number `serial`, as "DATE TIME: FOLDER"; empty
    // when none is kept (or the serial is unknown).
    virtual std::string newestMemoryBackup(const std::string& serial) {
        (void)serial;
        return {};
    }
    // How a write ended, as soon as it is known and before its message is shown: `acknowledged`
    // when the radio confirmed every block, and what the read-back found.
    virtual void writeOutcome(bool acknowledged, VerifyStatus verify) {
        (void)acknowledged;
        (void)verify;
    }
    // A restore finds another radio on the cable than the backup was taken of (serial numbers
    // `backupSerial` and `radioSerial`): whether to restore it there. nullopt: the user is asked.
    virtual std::optional<bool> decideOtherRadio(const std::string& backupSerial,
                                                 const std::string& radioSerial) {
        (void)backupSerial;
        (void)radioSerial;
        return std::nullopt;
    }
    // Keep a backup, now and before anything else happens: `mode` Read when a read has received
    // the whole memory (before the success message), Write when a confirmed write is about to send
    // `image` (the encoded working copy; only through the default keepWriteBackup). The engine
    // goes on whatever the host does.
    virtual void keepBackup(LinkMode mode, const std::array<std::uint8_t, 0x2440>& image) {
        (void)mode;
        (void)image;
    }
    // Before a write, once it is confirmed and before the progress window opens: keep the backup
    // of `image`, what is about to be written. The result names the backup's folder, or says why
    // none could be kept; then the write starts only when the host (decideWriteWithoutBackup) or
    // the user chooses to write without a backup. A host that keeps no backup by the user's choice
    // returns neither. By default: keepBackup(Write, image), and nothing is known of its fate.
    virtual WriteBackup keepWriteBackup(const std::array<std::uint8_t, 0x2440>& image) {
        keepBackup(LinkMode::Write, image);
        return {};
    }
    // No backup could be kept before a write: whether to write without one. nullopt: the user is
    // asked (default).
    virtual std::optional<bool> decideWriteWithoutBackup() { return std::nullopt; }
    // The password dialog, shown modally with `password` (the password last confirmed) in its
    // text box. OK stores the typed text, cut at its first NUL and without trailing blanks, into
    // `password`; Cancel leaves it unchanged. Returns false only when the dialog could not be
    // shown at all (the exchange then ends without a further message).
    virtual bool askPassword(std::string& password) = 0;
    // The radio stopped answering (text 9008), or refused to store a block however often it was
    // sent again, and the exchange would ask whether to start again.
    // A host that decides without a question, such as a script with a bounded number of retries,
    // returns its decision; by default the user is asked.
    virtual std::optional<bool> decideRetry() { return std::nullopt; }
    // A write whose read-back did not find what was written ends with a question whether to write
    // again (LinkResult::writeAgain) instead of a message, when the host can start it again.
    virtual bool offersWriteAgain() const { return false; }
    // The user chose to start the program version that handles the radio's firmware version
    // `radioVersion` (for example "V301"): start it (the version table's hand-over) and end this
    // program. The engine has already ended the exchange when this is called.
    virtual void handOver(const std::string& radioVersion) = 0;
    // The exchange is over: the port is closed and the success message (9009 after a read,
    // 9010 after a write) or the failure's message has been shown. Called once for every exchange
    // a start command began (a command that returns false calls nothing; LinkEngine::lastResult
    // says why it did not start). What the host does next:
    //   Read, ok:     close the child windows, then 500 ms later call AcceptReadImage
    //                 (link/link_engine.h) and open the channel window.
    //   Info, ok:     LinkEngine::radioInfo() holds the decoded information; open its window.
    //   LinkTest, ok: a radio answered the handshake (AppState::IsFirstRun is now false).
    //   not ok:       nothing more is required; result.outcome says why for a host that reports
    //                 it elsewhere (a log, a status line, an exit status). OtherVersion with
    //                 handOver set is followed by handOver().
    virtual void exchangeEnded(const LinkResult& result) = 0;
};

// The version pairs (program version, data or firmware version) this installation knows.
class LinkVersionTable {
  public:
    virtual ~LinkVersionTable() = default;
    virtual bool isPairKnown(std::string_view programVersion, std::string_view dataVersion) const = 0;
    // The question offering the program version for `otherVersion` (kind 0: a radio).
    virtual std::string versionMessage(std::string_view ownVersion, std::string_view otherVersion,
                                       int kind) const = 0;
};

} // namespace zt
