// SPDX-License-Identifier: GPL-3.0-or-later
// Decoding of the radio information area (addresses 0x3F00..0x3FFF) into the texts the
// information window shows. The area is never written to a radio. RadioInfoRecord and its
// new-document reset (ResetRadioInfo) live in model/radio_info.h.
#pragma once

#include "model/radio_info.h"

namespace zt {

// Fills the fields that have a source in the information block: each text runs to the first
// 0x00 or 0xFF byte or the end of its range. InfoModel, InfoBandCode and InfoVersion are left
// as they are.
void DecodeRadioInfo(const RadioInfoBlock& block, RadioInfoRecord& info);

} // namespace zt
