// SPDX-License-Identifier: GPL-3.0-or-later
// The File menu's channel exchange commands: import and export of the channel table as CSV, the
// print preview of the channel list (also the toolbar's Print button) and its export as PDF.
#pragma once

#include "app/app_state.h"
#include "common/main_host.h"
#include "model/document.h"

#include <QString>

#include <vector>

namespace zt {

struct ExchangeCommand {
    Cmd command; // its menu command
    int textId;  // caption
    void (*run)(MainHost& main, AppState& app, Document& doc);
};
// In menu order. mnuPrintList is also the toolbar's Print button.
const std::vector<ExchangeCommand>& ChannelExchangeCommands();

// The import of one file: the preview, and on confirmation the taken rows go into the working
// copy as one change, the channel window shows the group of the lowest channel imported and a
// message says how many channels were imported and where. Returns whether the document changed.
bool ImportChannelsCsv(MainHost& main, AppState& app, Document& doc, const QString& path);

} // namespace zt
