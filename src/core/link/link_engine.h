// SPDX-License-Identifier: GPL-3.0-or-later
// The radio link engine: the request/reply state machine of the read, write and radio
// information exchanges and of the first-run link test. It is event-driven and synchronous: a
// command starts an exchange by sending the handshake, and from then on only onReceive (a reply
// arrived) and onReplyTimeout (the reply timer ran out) move it on. It talks to the outside
// through the interfaces of link/link_io.h and asks every question through AppState::prompter.
//
// Frames, after the handshake "PROGRAM" (reply "ZT" 0x06): identification request 0x02 (reply
// 'P' + 14 bytes + 0x06), read 'R' addrHi addrLo 0x10 (reply 'W' addrHi addrLo 0x10 + 16 data
// bytes + checksum + 0x06), write 'W' addrHi addrLo 0x10 + 16 data + checksum + 0x06 (reply 0x06,
// or 0x0A to send it again), end "END" (reply 0x06). When the cable echoes, every reply is
// preceded by the frame just sent; the engine guesses the echo and flips its guess on every
// handshake time-out.
//
// Only one exchange runs at a time. Events that arrive while the engine waits for the user
// (a question, the password dialog) are dropped.
#pragma once

#include "app/app_state.h"
#include "link/image_verify.h"
#include "link/link_io.h"
#include "link/radio_image.h"
#include "link/radio_info.h"
#include "link/write_acks.h"
#include "model/document.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zt {

// The steps of an exchange, with the numbers the radio link has always used for them. Read and
// write share the first steps and differ in the step that carries the blocks; the information read
// sends its identification request at step 3 and reads its blocks at step 5.
enum class LinkStep : int {
    Idle = 0,
    Handshake = 1,     // "PROGRAM" sent, awaiting "ZT" 0x06
    Ident = 2,         // identification request sent (read, write)
    PasswordBlock = 3, // password block requested (read, write); identification request (information)
    WriteBlocks = 4,   // write frames, one block each
    ReadBlocks = 5,    // read requests, one block each (read, information)
    End = 69,          // end frame sent
};

struct LinkFrame; // a request and the length of its reply (link_engine.cpp)

// What the radio said about itself in its identification reply.
struct RadioIdent {
    std::string modelId;      // "ZT-450E" for a radio reporting "ZR2450" with variant 2
    std::int16_t variant = 0; // band/variant code
    std::string firmware;     // version text, e.g. "V300"
};

// The radio on the cable, as read at the start of the exchange that talks to it: its
// identification and its information area (serial number, sales area, customer code).
struct CableRadio {
    RadioIdent ident;
    RadioInfoBlock infoBlock{};
    RadioInfoRecord info; // the texts of infoBlock (model, band and version are not read)
    std::string serial() const { return info.SerialNumber.trimmed(); }
};

// What a restore expects of the radio: the backup's model and band, and the serial number of the
// radio it was taken of ("" when that radio had none).
struct RestoreTarget {
    std::string model;
    std::int16_t bandCode = 0;
    std::string serial;
};

class LinkEngine {
  public:
    // How often in a row the radio may ask for one frame again (0x0A: "not stored, send it
    // again") before the exchange gives up on it and asks whether to start again.
    static constexpr int kMaxRepeatRequests = 5;

    LinkEngine(AppState& app, Document& doc, LinkPort& port, LinkTimer& timer, LinkHost& host,
               const LinkVersionTable& versions);

    // Commands. Each returns true when the exchange started (the handshake was sent) and false
    // when it did not: the port could not be opened (message 9003) or the user cancelled the
    // confirmation, and lastResult() says which; or another exchange runs (lastResult() is left
    // to that exchange). An exchange that started
    // ends with LinkHost::exchangeEnded. The host commits pending edits before calling them.
    //
    // Read the radio: confirmation 9004, progress window, 580 blocks 0x0000..0x2430 into image().
    bool startRead();
    // Write the radio: confirmation 9005, the working copy encoded into image(), the backup of it
    // (LinkHost::keepWriteBackup; when none can be kept the write starts only if the user chooses
    // so, else it ends as BackupNotKept), progress window, 580 blocks written. The host starts it
    // 100 ms after the write command.
    bool startWrite();
    // Restore: as a write, but what is sent is `image` byte for byte (a backup's memory), not the
    // document; the radio must be of `target`'s model and band family, and another radio than the
    // backup's asks LinkHost::decideOtherRadio (declined: outcome OtherRadio). Confirmation 34700.
    bool startRestore(const RadioImage& image, const RestoreTarget& target);
    // Read the radio information area 0x3F00..0x3FFF: no question, no progress window.
    bool startInfoRead();
    // First-run link test: handshakes only, 300 ms each, alternating the echo guess; after four
    // without an answer "Communication Error!" with the port and the reason, and the test ends
    // (the user may start it again). A port that cannot be opened gives "Cannot Open
    // Communication Port." with the port's LinkPort::openFailure.
    bool startLinkTest();
    // Ends a running exchange as failed (the end frame is sent without awaiting a reply, the port
    // is closed, exchangeEnded with outcome Aborted). Nothing happens when no exchange runs.
    void abort();
    // Stops a running exchange at the next reply: the frame in flight (a block being written or
    // read) is finished, the end frame is sent and its reply awaited, and the exchange ends with
    // outcome Aborted; a write cut short this way reports what the radio may hold
    // (LinkResult::partialWrite). Nothing happens when no exchange runs.
    void stopAfterBlock();
    bool stopping() const { return stopping_; }

    // Adapter events (see link/link_io.h).
    void onReceive(ByteSpan bytes);
    void onReplyTimeout();

    // How the last exchange ended, or why the last command did not start one.
    const LinkResult& lastResult() const { return result_; }

    LinkMode mode() const { return mode_; }
    bool busy() const { return mode_ != LinkMode::None; }
    // The step of the running read or information read, and of the running write (Idle otherwise).
    LinkStep readStep() const { return readStep_; }
    LinkStep writeStep() const { return writeStep_; }
    // The threshold last given to the port: echo length + expected reply length.
    std::size_t receiveThreshold() const { return threshold_; }
    // The echo guess: false means the cable is taken to echo every byte sent. It starts false
    // and keeps the last guess that worked for the rest of the run.
    bool noEcho() const { return noEcho_; }
    void setNoEcho(bool v) { noEcho_ = v; }
    // The port used: AppState::ComPortName when set, else "COM" followed by AppState::ComPort.
    std::string portName() const;

    const RadioImage& image() const { return image_; }
    RadioImage& image() { return image_; }
    const RadioIdent& radioIdent() const { return ident_; }
    // The information area as last read, and the texts the information window shows (new
    // documents reset them with ResetRadioInfo).
    const RadioInfoBlock& infoBlock() const { return infoBlock_; }
    const RadioInfoRecord& radioInfo() const { return info_; }
    RadioInfoRecord& radioInfo() { return info_; }
    // Flags of the last image accepted in this run (AcceptReadImage); clear before any read.
    const RadioFlags& readRadioFlags() const { return readFlags_; }
    void setReadRadioFlags(const RadioFlags& f) { readFlags_ = f; }
    // The password the user last confirmed; empty at start.
    const std::string& programmingPassword() const { return password_; }
    void setProgrammingPassword(std::string p) { password_ = std::move(p); }
    int lastProgressPercent() const { return lastPercent_; }

    // Verify after write: once the radio has acknowledged the end of a write, the same exchange
    // reads the memory back (a second phase of the progress window) and compares it with what was
    // sent; LinkResult::verify says what it found. Off at start.
    void setVerifyAfterWrite(bool on) { verifyAfterWrite_ = on; }
    bool verifyAfterWrite() const { return verifyAfterWrite_; }
    // The write is being read back.
    bool readingBack() const { return readingBack_; }

    // Every read, write and restore first reads the radio's information area in a short exchange
    // of its own, so that what is kept of it names the radio on the cable (cableRadio). On at
    // start; a host that has just read it (the batch's probe) turns it off.
    void setReadInfoFirst(bool on) { readInfoFirst_ = on; }
    bool readInfoFirst() const { return readInfoFirst_; }
    // Before a write or a restore, the radio's whole memory is read and handed to
    // LinkHost::keepMemoryBackup, so that what it held can be put back. Off at start.
    void setKeepBeforeWrite(bool on) { keepBeforeWrite_ = on; }
    bool keepBeforeWrite() const { return keepBeforeWrite_; }
    // The radio on the cable as read in the running or last exchange; nullptr when that exchange
    // did not read its information area (the information read itself counts).
    const CableRadio* cableRadio() const { return cable_ ? &*cable_ : nullptr; }
    // The memory read before the running or last write (keepBeforeWrite), and the backup it was
    // kept in ("" when none).
    const RadioImage& memoryBeforeWrite() const { return before_; }
    const std::string& memoryBackupFolder() const { return beforeBackupFolder_; }
    // The running or last write is a restore.
    bool restoring() const { return restoring_; }
    // The memory as the last read-back found it, and how it differs from what was written.
    const RadioImage& readBackImage() const { return readBack_; }
    const std::vector<ImageDifference>& verifyDifferences() const { return differences_; }

  private:
    bool openLinkPort();
    bool reopenForExchange();
    bool startImageExchange(LinkMode mode, int confirmTextId);
    // The steps of a read, write or restore before its own: the information area, then (writing)
    // the memory before the write. Each is an exchange of its own on the open port.
    enum class Phase { Main, Info, Memory };
    void beginPhase(Phase phase);
    void beginMain();
    void nextPhase();
    void setBlockRange();
    bool checkRestoreTarget();
    RadioImage& blockTarget();
    Answer ask(const std::string& text, Icon icon, Buttons buttons);
    // `text` and, on a line of its own, why the port did not open (LinkPort::openFailure).
    std::string WithReason(const std::string& text) const;
    void message(const std::string& text, Icon icon = Icon::None) { ask(text, icon, Buttons::Ok); }
    // Records how the exchange ends; the first call after a start counts.
    void settle(LinkOutcome outcome, int messageId, std::string text, bool declined = false);
    // Shows a message and records it as the way the exchange ends.
    void refuse(LinkOutcome outcome, int messageId, const std::string& text, Icon icon = Icon::None);
    // A start command that began nothing: the outcome is recorded, the engine stays idle.
    bool notStarted(LinkOutcome outcome);
    void beginResult(LinkMode mode);
    LinkStep& step();
    bool isImageExchange() const { return mode_ == LinkMode::Read || mode_ == LinkMode::Write; }
    bool isRadioExchange() const { return isImageExchange() || mode_ == LinkMode::Info; }
    // The step that carries the blocks in this exchange.
    LinkStep blockStep() const { return sendsBlocks() ? LinkStep::WriteBlocks : LinkStep::ReadBlocks; }
    // The exchange sends write frames now (a write, before its read-back).
    bool sendsBlocks() const { return mode_ == LinkMode::Write && !readingBack_; }
    void beginReadBack();
    // What the read-back found, and the message that ends a write with it.
    VerifyStatus finishReadBack(bool complete);
    void writeEndMessage(VerifyStatus verify);
    bool atBlockStep() { return isRadioExchange() && step() == blockStep(); }
    bool awaitsPasswordBlock() { return isImageExchange() && step() == LinkStep::PasswordBlock; }
    void sendFrame(const LinkFrame& frame);
    void sendHandshake();
    void sendIdentRequest();
    void sendPasswordBlockRead();
    void sendReadBlock();
    void sendWriteBlock();
    void sendBlock();
    void sendNextBlock();
    void sendEnd();
    void finishBlocks();
    void advance();
    void onIdentReply(ByteSpan reply);
    void onPasswordReply(ByteSpan reply);
    bool checkRadioPassword(ByteSpan reply) const;
    bool checkRadioCompatible();
    void storeBlock(ByteSpan data);
    void updateProgress();
    bool retryHandshake();
    // A frame the radio asked for again (0x0A): sent again while the bound allows.
    void onRepeatRequest();
    void askRetryLink(int questionId, const std::string& question);
    void askRetryLink();
    void askRetryInfo();
    // Before starting again: the port is closed and opened anew (a port that reported an error,
    // its device gone, is closed; a device that came back under the same name is found again).
    void reopenForRetry();
    // Before a write: keeps the backup; false when the write must not start.
    bool keepWriteBackup();
    // A write that fails after its first block: what the radio may now hold, and how to restore it.
    void reportPartialWrite();
    void endLink(bool ok);
    void closeLink(bool ok);
    void endLinkTest(bool ok);
    // Completes the result (success, or the recorded failure) and hands it to the host.
    void announceEnd(bool ok);
    std::size_t blockIndex() const;
    // The current block may still be asked for again.
    bool blockRetriesLeft() const;

    AppState& app_;
    Document& doc_;
    LinkPort& port_;
    LinkTimer& timer_;
    LinkHost& host_;
    const LinkVersionTable& versions_;

    LinkMode mode_ = LinkMode::None;
    LinkStep readStep_ = LinkStep::Idle;
    LinkStep writeStep_ = LinkStep::Idle;
    bool noEcho_ = false;
    bool listening_ = false;
    bool inDialog_ = false;
    std::size_t echoOffset_ = 0;
    std::size_t threshold_ = 1;
    long blockAddress_ = 0;
    long endAddress_ = 0;
    std::vector<std::int16_t> blockRetries_;
    int handshakeAttempts_ = 0;
    int repeatRequests_ = 0;   // of the frame sent last, in a row
    bool wroteBlocks_ = false; // a write frame went out in this write exchange
    std::string writeBackupFolder_;
    int passwordBlockRetries_ = 0;
    int lastPercent_ = 0;
    std::string password_;
    RadioIdent ident_;
    RadioImage image_{};
    RadioInfoBlock infoBlock_{};
    RadioInfoRecord info_;
    RadioFlags readFlags_{};
    LinkResult result_;
    bool verifyAfterWrite_ = false;
    bool readingBack_ = false;
    RadioImage readBack_{};
    std::vector<ImageDifference> differences_;
    Phase phase_ = Phase::Main;
    LinkMode mainMode_ = LinkMode::None; // the exchange the user asked for
    bool readInfoFirst_ = true;
    bool keepBeforeWrite_ = false;
    bool restoring_ = false;
    bool afterEnd_ = false;            // this step follows an end frame in the same exchange
    bool writeStarted_ = false;        // the write itself began (its backup was asked for)
    bool withoutBackupChosen_ = false; // the user chose to write without the memory's backup
    WriteAckWatch acks_;
    bool ackQuiet_ = false;          // listening for a repetition after a write's end frame was acknowledged
    std::size_t unansweredEcho_ = 0; // the echo of the frame last sent, until a reply is delivered
    bool stopping_ = false;          // stopAfterBlock: the end frame follows the next reply
    long confirmedEnd_ = 0;          // the write frames below this address were acknowledged
    RestoreTarget restore_;
    std::optional<CableRadio> cable_;
    RadioImage before_{};
    std::string beforeBackupFolder_;
};

// What a restore of `image` expects: the model and band its identification names, and `serial`.
RestoreTarget RestoreTargetOf(const RadioImage& image, std::string serial);

// After a successful read (the host's 500 ms timer): decodes image() into the working copy,
// takes the current model from it, keeps the radio flags (engine and AppState::StoredRadioParams,
// whose bytes once set stay set; the host saves them at exit), and makes the document the
// untitled "new.dat".
void AcceptReadImage(LinkEngine& engine, AppState& app, Document& doc);

} // namespace zt
