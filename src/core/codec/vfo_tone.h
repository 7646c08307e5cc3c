// SPDX-License-Identifier: GPL-3.0-or-later
// The VFO tone list of the optional features window: 283 entries, a longer DCS part than the
// channels' 265-entry tone table. A VFO tone is stored as its position in this list and travels
// to the radio as the code of that entry, so a VFO tone read from a radio shows and writes back
// unchanged.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zt {

constexpr int kVfoToneCount = 283;

// Position -> 16-bit radio code: 0 gives 0xFFFF (no tone), 1..50 the CTCSS tone in tenths of a
// hertz, 51..166 0xD000 + the DCS code (normal), 167..282 0x8000 + the code (inverted). A
// position outside 0..282 gives 0xFFFF.
std::uint16_t VfoToneToCode(int index);
// Radio code -> position; a code that is not in the list gives 0 (no tone).
int VfoCodeToTone(std::uint16_t code);
// The 283 entry texts: "OFF", "67.0" .. "254.1", "017N" .. "765N", "017I" .. "765I". The window
// replaces entry 0 by its language text.
const std::vector<std::string>& VfoToneList();

} // namespace zt
