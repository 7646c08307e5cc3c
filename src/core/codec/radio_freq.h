// SPDX-License-Identifier: GPL-3.0-or-later
// Broadcast-radio (FM) frequencies: 76 to 108 MHz on a 50 kHz raster, shown "000.00000" and
// stored as 8 digits (3 of whole MHz, 5 of fraction).
#pragma once

#include <string>
#include <string_view>

namespace zt {

// Snaps to 0.05 MHz: 0.01 MHz units, remainders 0..2 of 5 round down, 3 and 4 round up.
double StepRadio(double mhz);
// Display text of an entry: "" stays ""; not a number gives 76, out of range the nearest edge.
std::string CheckRadioFre(std::string_view text);
// 8-digit stored form of a display text ("088.50000" -> "08850000"); "" stays "".
std::string GetSaveRadioFreData(std::string_view text);

} // namespace zt
