// SPDX-License-Identifier: GPL-3.0-or-later
// The command line's CSV commands: export-csv FILE.dat OUT.csv and import-csv IN.csv FILE.dat.
#pragma once

#include "app/app_state.h"
#include "files/csv_channels.h"
#include "model/document.h"
#include "model/radio_info.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

#include <optional>
#include <string>
#include <vector>

namespace zt {

// How import-csv places the rows and what it does with refused ones.
struct CsvImportChoice {
    bool placementGiven = false; // --from-channel or --file-numbers; else the file decides
    CsvImportOptions options;    // the placement when given, and what happens to channels in use
    bool partial = false;        // take the good rows, list the refused ones
};

// import-csv's options (--from-channel, --file-numbers, --replace, --update-columns, --partial).
const std::vector<QCommandLineOption>& ImportCsvOptions();
// Reads them; nothing when they are usable, else the usage error. `importing`: the command is
// import-csv (the options go with it only).
std::optional<std::string> ReadImportCsvChoice(const QCommandLineParser& parser, bool importing,
                                               CsvImportChoice& choice);
// "G:C" (group and channel as the grid shows them, 8:1) or a channel number (321): the channel
// number, or nothing when the text names no channel.
std::optional<int> ParseChannelPlace(const std::string& text);

// Writes the channels of the data file pair `datPath` as CSV. Returns the exit status (0 or 1,
// with one line on stderr saying why).
int ExportCsvCommand(AppState& app, Document& doc, RadioInfoRecord& info, const std::string& datPath,
                     const std::string& csvPath);
// Imports a CSV file into the pair `datPath` and saves it. Every refused row is reported on
// stderr, one line each ("IN.csv:LINE: channel N: reason; reason"; after the first few hundred,
// one line with the count of the rest). Without `choice.partial` any refused row means nothing is
// written and the status is 1; with it the good rows are taken (status 0 when at least one was).
// When the file's own channel numbers do not fit and no placement was given, the rows go in
// file order from the first free channel, with one line saying so. With `verbose`, where every
// row went and how its values were understood is reported too.
int ImportCsvCommand(AppState& app, Document& doc, RadioInfoRecord& info, const std::string& csvPath,
                     const std::string& datPath, const CsvImportChoice& choice, bool verbose);

} // namespace zt
