// SPDX-License-Identifier: GPL-3.0-or-later
// Writing one document to radio after radio, as a dealer programs the radios of an order: the
// user confirms the document once; for every radio that answers on the port the batch reads its
// information area (serial number, sales area, customer code), keeps a backup of its memory, writes
// the document (and reads it back when verifying is on), logs one line and waits for the next radio.
// Waiting is quiet: handshake attempts on the same port, each bounded by the link's own time-outs,
// until a radio answers that is not the one just done. A radio that failed waits for the user's word
// (goOn or stop) before the batch goes on. Nothing here knows about windows: the window and the
// command line are BatchHost implementations.
#pragma once

#include "files/backup_store.h"
#include "link/link_engine.h"

#include <cstdio>
#include <ctime>
#include <memory>
#include <string>

namespace zt {

enum class BatchResult { Written, Verified, Failed };

// One radio of a batch: one line of the log.
struct BatchRadio {
    std::time_t when = 0;
    std::string serial;
    std::string model;
    std::string firmware;
    std::string salesArea;
    std::string customerCode;
    std::string document; // the file name of the document written, without its folder
    BatchResult result = BatchResult::Failed;
    std::string reason; // why it failed, on one line; empty otherwise
    std::string backup; // the folder of the backup of its memory before the write; empty when none
};

struct BatchCount {
    int written = 0; // written and not verified (verifying off)
    int verified = 0;
    int failed = 0;
    int total() const { return written + verified + failed; }
};

// "written", "verified", "failed".
const char* BatchResultText(BatchResult r);

// The log's first line, and one radio as a line of it (comma-separated, quoted where a field holds
// a comma, a quote or a line break; control characters from the radio shown as \xNN), without the
// line break.
std::string BatchLogHeader();
std::string BatchLogLine(const BatchRadio& radio);

// The batch log: one line a radio, each flushed to the disk before the batch goes on.
class BatchLog {
  public:
    BatchLog() = default;
    ~BatchLog();
    BatchLog(const BatchLog&) = delete;
    BatchLog& operator=(const BatchLog&) = delete;

    // Opens `path` for appending, creating it with the header line when it does not exist or is
    // empty. Refused, with `error` naming the path and the reason: a folder, a data file name
    // (.dat, .fre), `document` itself, an existing file that is not a batch log, a file that cannot
    // be written.
    bool open(const std::string& path, const std::string& document, std::string* error);
    bool isOpen() const { return fd_ >= 0; }
    // Appends the radio's line and flushes it; false with `error` when it could not be written.
    // A line is written whole or not at all: a write that fails part-way (a full disk) is cut
    // back to the file's previous end, so the next line does not continue a broken one.
    bool append(const BatchRadio& radio, std::string* error);
    void close();
    const std::string& path() const { return path_; }

  private:
    bool writeLine(const std::string& line, std::string* error);
    int fd_ = -1;
    bool needsLineEnd_ = false; // the file's last line has no line end (cut off by another program)
    std::string path_;
};

enum class BatchPhase {
    Idle,
    Waiting,      // no new radio yet: handshake attempts on the port
    Reading,      // a new radio answered: its memory is read for the backup
    Writing,      // the document is being written
    Verifying,    // the write is being read back
    AwaitingGoOn, // a radio failed: the user decides
    Ended,
};

// The window or the command line around a batch.
class BatchHost {
  public:
    virtual ~BatchHost() = default;
    // What the batch does now; `radio` is the radio in hand (its serial number once known).
    virtual void phaseChanged(BatchPhase phase, const BatchRadio& radio) = 0;
    // Progress of the read, write or read-back, 0..100.
    virtual void progress(int percent) { (void)percent; }
    // The port cannot be opened while the batch waits for a radio: `why` names the port and the
    // system's reason (permission refused, no such device); the batch keeps trying. An empty `why`:
    // the port opens again. Called when this changes, not at every attempt.
    virtual void portTrouble(const std::string& why) { (void)why; }
    // The radio asks for its programming password (see LinkHost::askPassword).
    virtual bool askPassword(std::string& password) = 0;
    // A radio is done and its line logged (`logError` says why it could not be, and the batch then
    // ends). After a failed radio the batch waits for goOn() or stop(), which may be called from here.
    virtual void radioDone(const BatchRadio& radio, const BatchCount& count, const std::string& logError) = 0;
    // The batch is over; `why` is empty when the user stopped it, else the reason (the log failed).
    virtual void batchEnded(const BatchCount& count, const std::string& why) = 0;
};

// Pauses between handshake attempts, in milliseconds. A port that cannot be opened (a radio on a
// USB adapter unplugged with it) is tried again after kPortPollMs; the radio just done, still on
// the cable, is asked again after kSameRadioPollMs. An attempt without an answer is followed at once
// by the next one: its handshakes took their own time-outs.
constexpr int kBatchPortPollMs = 250;
constexpr int kBatchSameRadioPollMs = 500;

class BatchWriter : public LinkHost {
  public:
    // `stepTimer` is a one-shot timer whose expiry the adapter passes to onStepTimer; `backups`
    // may be null (no backup, and then no read before the write). The engine's port and reply
    // timer events go to onReceive and onReplyTimeout (AttachLinkEngine(port, timer, batch)).
    BatchWriter(AppState& app, Document& doc, LinkPort& port, LinkTimer& replyTimer, LinkTimer& stepTimer,
                const LinkVersionTable& versions, BatchHost& host, BatchLog& log, BackupStore* backups);
    ~BatchWriter() override;

    void setVerify(bool on) { engine_.setVerifyAfterWrite(on); }
    bool verify() const { return engine_.verifyAfterWrite(); }
    void setPassword(const std::string& p) { engine_.setProgrammingPassword(p); }
    LinkEngine& engine() { return engine_; }

    // Starts waiting for the first radio. The log must be open and the document confirmed.
    void start();
    // Ends the batch: at once when no write runs, otherwise once the radio in hand is done.
    void stop();
    // After a failed radio: wait for the next one.
    void goOn();
    bool running() const { return phase_ != BatchPhase::Idle && phase_ != BatchPhase::Ended; }
    bool stopRequested() const { return stopRequested_; }
    BatchPhase phase() const { return phase_; }
    const BatchCount& count() const { return count_; }
    const BatchRadio& current() const { return current_; }

    // Adapter events.
    void onReceive(ByteSpan bytes);
    void onReplyTimeout();
    void onStepTimer();

    // LinkHost
    void openProgress(LinkMode) override {}
    void setProgress(int percent) override;
    void closeProgress() override {}
    void beginReadBack() override;
    void keepBackup(LinkMode mode, const std::array<std::uint8_t, 0x2440>& image) override;
    WriteBackup keepWriteBackup(const std::array<std::uint8_t, 0x2440>& image) override;
    void writeOutcome(bool acknowledged, VerifyStatus verify) override;
    bool askPassword(std::string& password) override { return host_.askPassword(password); }
    std::optional<bool> decideRetry() override { return false; }
    void handOver(const std::string&) override {}
    void exchangeEnded(const LinkResult& result) override;

  private:
    class QuietPrompter;
    enum class Next { None, Probe, Read, Write, Ended, Finish };
    void schedule(Next next, int ms);
    void setPhase(BatchPhase p);
    void probe();
    void startRead();
    void startWrite();
    void onExchangeEnded(const LinkResult& r);
    void onProbeEnded(const LinkResult& r);
    void onReadEnded(const LinkResult& r);
    void onWriteEnded(const LinkResult& r);
    void fail(std::string reason);
    // A stop while the radio in hand was read: logs it when its memory was kept; false when not.
    bool logStoppedAfterRead();
    void finishRadio();
    void finish(const std::string& why);
    void noteModel();
    std::string refusal(const LinkResult& r) const;
    void sampleWriteStep();
    void setPortTrouble(const std::string& why);
    BackupRadio radioOnCable() const;

    AppState& app_;
    Document& doc_;
    LinkPort& port_;
    std::string portTrouble_; // why the port last failed to open while waiting; empty when it opens
    LinkTimer& stepTimer_;
    BatchHost& host_;
    BatchLog& log_;
    BackupStore* backups_;
    std::unique_ptr<QuietPrompter> quiet_;
    LinkEngine engine_;

    BatchPhase phase_ = BatchPhase::Idle;
    Next next_ = Next::None;
    bool stopRequested_ = false;
    bool absentSeen_ = true; // no radio answered since the last one was done
    bool haveLast_ = false;
    int missedProbes_ = 0; // handshake attempts in a row without an answer
    std::string lastSerial_;
    bool writeBegan_ = false; // a write frame went out to the radio in hand
    int percent_ = 0;
    std::string backupError_;
    std::string writeBackup_; // the listing of the write in hand
    BatchRadio current_;
    BatchCount count_;
    LinkResult ended_; // the exchange that ended, handled on the next turn
};

} // namespace zt
