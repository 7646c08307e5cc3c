// The command line's CSV commands: export-csv FILE.dat OUT.csv and import-csv IN.csv FILE.dat.
#pragma once

#include "app/app_state.h"
#include "model/document.h"
#include "model/radio_info.h"

#include <string>

namespace zt {

// Writes the channels of the data file pair `datPath` as CSV. Returns the exit status (0 or 1,
// with one line on stderr saying why).
int ExportCsvCommand(AppState& app, Document& doc, RadioInfoRecord& info, const std::string& datPath,
                     const std::string& csvPath);
// Imports a CSV file into the pair `datPath` and saves it. Every refused row is reported on
// stderr, one line each ("IN.csv:LINE: channel N: reason; reason"), and then nothing is written
// and the status is 1. With `verbose`, how accepted values were understood is reported too.
int ImportCsvCommand(AppState& app, Document& doc, RadioInfoRecord& info, const std::string& csvPath,
                     const std::string& datPath, bool verbose);

} // namespace zt
