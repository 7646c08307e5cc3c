// SPDX-License-Identifier: GPL-3.0-or-later
// CTCSS/DCS tones: index 0..264 in the records, 16-bit codes in the radio image.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zt {

constexpr int kToneCount = 265;

std::uint16_t ToneToCode(int index);
int CodeToTone(std::uint16_t code);
// "OFF", "67.0", "D023N", "D023I"; index out of range gives "OFF".
std::string ToneText(int index);
// The 265 entries of the channel windows' tone lists, in index order.
const std::vector<std::string>& ToneList();

} // namespace zt
