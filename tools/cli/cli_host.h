// SPDX-License-Identifier: GPL-3.0-or-later
// What the link engine needs from a command line: answers to its questions, the password, a
// progress bar on stderr, and the end of the exchange.
#pragma once

#include "util/shown_text.h" // OneLine

#include "link/link_io.h"
#include "util/prompter.h"

#include <functional>
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
    // Keeps the backup the engine asks for (see main.cpp); nothing when unset (--no-backup).
    std::function<WriteBackup(LinkMode, const std::array<std::uint8_t, 0x2440>&)> onBackup;
    void keepBackup(LinkMode mode, const std::array<std::uint8_t, 0x2440>& image) override {
        if (onBackup)
            onBackup(mode, image);
    }
    WriteBackup keepWriteBackup(const std::array<std::uint8_t, 0x2440>& image) override {
        WriteBackup kept = onBackup ? onBackup(LinkMode::Write, image) : WriteBackup{};
        backupError = kept.error;
        return kept;
    }
    // Writing without a backup is chosen with --no-backup only, never by a question's answer.
    std::optional<bool> decideWriteWithoutBackup() override { return false; }
    // Why the backup before the last write could not be kept ("" when it was).
    std::string backupError;

  private:
    void drawBar(int percent);
    bool barShown_ = false;
    bool passwordOffered_ = false;
};

} // namespace zt
