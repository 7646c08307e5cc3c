// SPDX-License-Identifier: GPL-3.0-or-later
// The eight tone tips (short melodies the radio plays as roger beeps): when a tip counts as
// defined, and what a change of the tips does to the roger-beep choices that name them.
#pragma once

#include "model/document.h"

namespace zt {

constexpr int kToneTipCount = 8;

// n when tip n (1..8) repeats at least once and has a step with a length above 0; else 0.
int ToneDefined(const SettingsRecord& s, int n);

// Every channel's and the VFO's roger beep that names a tip no longer defined becomes 0.
void ToneTipsChanged(DocumentCopy& d);

} // namespace zt
