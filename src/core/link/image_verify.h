// SPDX-License-Identifier: GPL-3.0-or-later
// Checking a write: the memory read back from the radio against the image that was written, and
// the differences named the way the user knows them (channel number and field).
#pragma once

#include "app/app_state.h"
#include "link/radio_image.h"

#include <string>
#include <vector>

namespace zt {

// Bytes the radio owns: its identification, band code, firmware version and flags
// (0x21F0..0x21FD). A write sends them back as the radio reported them, but the radio keeps its
// own, so a read-back never counts them as differences.
bool IsRadioOwnedAddress(int address);

// One thing that differs between what was written and what the radio holds: a field (see
// MemoryField), or for a byte no field holds, its address with an empty field name.
struct ImageDifference {
    MemoryField what;
    int address = 0; // the first address at which it differs
};

// The differences, each named once, in address order; empty when the radio holds what was written
// (the bytes it owns aside).
std::vector<ImageDifference> CompareWrittenImage(const RadioImage& written, const RadioImage& readBack);

// The differences as lines for a message: "Channel 12: RX Freq (MHz), Power", one line for each
// channel and one for the radio-wide settings, in the language of `app`; at most `maxLines` lines,
// the last saying how many more channels differ.
std::vector<std::string> DescribeDifferences(const AppState& app, const std::vector<ImageDifference>& diffs,
                                             std::size_t maxLines = 12);

// How far a write that was cut short got, from the end of the blocks the radio acknowledged
// (every block below `confirmedEnd`): "The radio acknowledged the channels up to Group 2 CH 7
// (channel 87)", or that it acknowledged no channel, or every channel.
std::string WrittenUpTo(const AppState& app, long confirmedEnd);

} // namespace zt
