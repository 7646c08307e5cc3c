// SPDX-License-Identifier: GPL-3.0-or-later
// The last start-up step: the data file named on the command line (a file manager's double
// click on a .dat file), then the channel window on whatever document resulted.
#pragma once

#include "app/app_state.h"
#include "model/document.h"
#include "model/radio_info.h"

#include <QStringList>

namespace zt {

class frmMain;

// Opens args[1] (when given) like the Open command: a refused file has been reported through
// the prompter and the new document stays. Then the channel window opens. Returns false when the
// file was handed over to another installed version of the program, which then ends.
bool OpenStartupDocument(AppState& app, Document& doc, RadioInfoRecord& info, frmMain& w,
                         const QStringList& args);

} // namespace zt
