// The radio information area (addresses 0x3F00..0x3FFF): model, serial number, dates and dealer
// data, read by the information exchange and shown read-only. It is never written to a radio.
#pragma once

#include "link/radio_image.h"
#include "model/radio_info.h"

#include <cstdint>
#include <string>

namespace zt {

// RadioInfoRecord and its new-document reset (ResetRadioInfo) live in model/radio_info.h.

// Fills the fields that have a source in the information block; InfoModel, InfoBandCode and
// InfoVersion are left as they are.
void DecodeRadioInfo(const RadioInfoBlock& block, RadioInfoRecord& info);

} // namespace zt
