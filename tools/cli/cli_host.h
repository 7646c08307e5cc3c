// SPDX-License-Identifier: GPL-3.0-or-later
// What the link engine needs from a command line: answers to its questions, the password, a
// progress bar on stderr, and the end of the exchange.
#pragma once

#include "util/shown_text.h" // OneLine

#include "files/backup_store.h"
#include "link/link_engine.h"
#include "link/link_io.h"
#include "util/prompter.h"

#include <optional>
#include <string>

namespace zt {

// Answers questions as the command line's flags say and keeps the last message shown (the file
// layer reports its refusals through it).
class CliPrompter : public Prompter {
  public:
    bool yes = false;         // --yes: confirm every question
    bool verbose = false;     // echo every message on stderr
    bool interactive = false; // stdin is a terminal: questions not covered by a flag are asked there

    Answer ask(const std::string& text, Icon icon, Buttons buttons, const std::string& title = {}) override;

    // The last message or question shown, on one line ("" when none).
    const std::string& lastText() const { return last_; }

  private:
    std::string last_;
};

class CliHost : public LinkHost {
  public:
    bool progressBar = true;
    std::optional<std::string> password; // --password
    bool interactive = false;
    int retries = 1;      // --retries: how often to start again when the radio stops answering
    bool verbose = false; // say so on stderr when starting again

    void openProgress(LinkMode mode) override;
    void setProgress(int percent) override;
    void closeProgress() override;
    bool askPassword(std::string& password) override;
    // A bounded number of new starts, then give up, so that a script never waits for ever.
    std::optional<bool> decideRetry() override;
    // Nothing to start from the command line: the result names the version (see ExchangeFailure).
    void handOver(const std::string&) override {}
    // Ends the event loop that runs the exchange.
    void exchangeEnded(const LinkResult& result) override;
    // The read-back after a write gets a progress bar of its own.
    void beginReadBack() override;
    // The backups: every complete read, the memory before a write, every write and restore, each
    // with the radio read in the same exchange; none when `backups` is null (--no-backup).
    BackupStore* backups = nullptr;
    const LinkEngine* engine = nullptr;
    const Document* doc = nullptr;
    std::string documentName; // the file name of the document a write sends
    bool otherRadio = false;  // --other-radio: a restore may go to another radio than its backup's
    void keepBackup(LinkMode mode, const std::array<std::uint8_t, 0x2440>& image) override;
    WriteBackup keepWriteBackup(const std::array<std::uint8_t, 0x2440>& image) override;
    WriteBackup keepMemoryBackup(const std::array<std::uint8_t, 0x2440>& memory) override;
    std::string newestMemoryBackup(const std::string& serial) override;
    void writeOutcome(bool acknowledged, VerifyStatus verify) override;
    std::optional<bool> decideOtherRadio(const std::string&, const std::string&) override {
        return otherRadio;
    }
    void beginBackupRead() override;
    void beginWriting() override;
    // Writing without a backup is chosen with --no-backup only, never by a question's answer.
    std::optional<bool> decideWriteWithoutBackup() override { return false; }
    // Why the backup before the last write could not be kept ("" when it was).
    std::string backupError;
    // The backups the last exchange kept: the memory before the write, and the write itself.
    std::string memoryBackup;
    std::string writeBackup;

  private:
    WriteBackup keep(BackupKind kind, const std::array<std::uint8_t, 0x2440>& image);
    void drawBar(int percent);
    bool barShown_ = false;
    bool passwordOffered_ = false;
};

} // namespace zt
