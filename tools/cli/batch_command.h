// SPDX-License-Identifier: GPL-3.0-or-later
// ztprog-cli write FILE.dat --repeat --log LOG.csv [--verify]: the opened document written to radio
// after radio on one port until interrupted, one line of the log for each radio.
#pragma once

#include "cli_host.h"

#include "app/app_state.h"
#include "files/backup_store.h"
#include "model/document.h"

#include <optional>
#include <string>

namespace zt {

struct BatchCommandOptions {
    std::string logPath;
    bool verify = false;
    bool progressBar = false;
    bool interactive = false; // questions (a failed radio, a password) may be asked on the terminal
    std::optional<std::string> password;
};

// Runs the batch until SIGINT or SIGTERM (each ends it after the radio in progress, never in the
// middle of a write) or until the user declines to go on after a failed radio. On a terminal the
// document is confirmed once and a failed radio asks whether to go on (--yes answers both); without
// a terminal --repeat with --log is the confirmation and the batch goes on after a failed radio. Returns the
// exit status: 0 when every radio was written, 1 when one failed or the log could not be written (a log that
// cannot be opened stops everything before a radio is touched).
int BatchWriteCommand(AppState& app, Document& doc, CliPrompter& prompter, BackupStore* backups,
                      const BatchCommandOptions& options);

} // namespace zt
