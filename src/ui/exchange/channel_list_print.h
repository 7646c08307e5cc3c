// SPDX-License-Identifier: GPL-3.0-or-later
// The channel list on paper or as PDF: group by group, every channel with its number, RX, TX (or
// offset, as the channel window shows it; "RX only" for a receive-only channel), tones, mode,
// power and scan skip, under a header with the document's name and the model.
#pragma once

#include "app/app_state.h"
#include "model/document.h"

#include <QString>

class QPrinter;

namespace zt {

// The list as rich text (what is printed).
QString ChannelListHtml(const AppState& app, const Document& doc);
// Lays the list out on the printer's pages.
void PrintChannelList(const AppState& app, const Document& doc, QPrinter* printer);
// Writes the list as a PDF file; false when the file cannot be written.
bool ExportChannelListPdf(const AppState& app, const Document& doc, const QString& path);

} // namespace zt
