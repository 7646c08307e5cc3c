// SPDX-License-Identifier: GPL-3.0-or-later
// Frequencies: stored digit texts (8 digits, offsets 7), displayed "#0.00000" texts, validation
// against the band and snapping to the 5 / 6.25 / 8.33 kHz grids measured from the band's low edge.
#pragma once

#include "app/app_state.h"
#include "model/radio_rules.h" // the band and the step grids
#include "model/records.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace zt {

// f x 100000 to the nearest integer, halves to even: whole units of 10 Hz.
long long Units(double mhz);
// Display text -> 8-character stored form ("" stays "", the field becomes blanks).
std::string StorageForm(const AppState& app, std::string_view display);
// Stored RX text -> display text, "" for blanks or "FFFFFFFF"; other junk shows as the band's
// low edge (StoredRxIsJunk tells it apart, for the windows to report).
std::string RxText(const AppState& app, std::string_view stored);
bool StoredRxIsJunk(std::string_view stored);
// Signed offset display text ("+0.10000"); dir 0 none, 1 minus, 2 plus.
std::string OffsetText(std::string_view offset, int dir);
// Text of the TX column: the TX frequency, or the signed offset when asOffset.
std::string TxText(const AppState& app, std::string_view rx, std::string_view offset, int dir, bool asOffset);

struct TxOffsetValue {
    std::string offset; // 7-character stored form
    std::uint8_t dir = 0;
};
// New offset and direction from a typed TX text (a TX frequency, or a signed offset when asOffset).
TxOffsetValue ParseTxText(const AppState& app, std::string_view rx, std::string_view typed, bool asOffset,
                          std::string_view offset, int dir);
// Validated display text of a typed frequency (CheckBand); out-of-band or non-numeric input is
// reported through the prompter (message 9021) and replaced by the nearest band edge.
std::string CheckFrequency(const AppState& app, std::string_view value, int group);
// RX and TX moved onto their grids, step classes set, offset recomputed.
void SnapChannel(const AppState& app, ChannelRecord& r);

} // namespace zt
