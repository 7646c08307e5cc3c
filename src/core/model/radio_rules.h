// SPDX-License-Identifier: GPL-3.0-or-later
// The radio's channel rules in one place: how channels are numbered and grouped, which groups
// have fixed frequencies, what busy lock a channel without a decode tone may have, the band and
// the step grids. The core channel editor, the CSV import and the windows all ask here.
#pragma once

#include "app/app_state.h"
#include "model/records.h"

#include <string>
#include <string_view>

namespace zt {

// --- Numbering and groups -------------------------------------------------------------------
// Channels 1..480 form the memory groups 0..11 of 40 channels each (channel 40g+n is entry n of
// group g); channel 481 is the VFO entry, alone in group 12.
constexpr int kChannelsPerGroup = 40;
constexpr int kMemoryGroups = 12;
constexpr int kVfoGroup = 12;
constexpr int kVfoChannelNo = 481;

constexpr bool IsGroup(int g) {
    return g >= 0 && g <= kVfoGroup;
}
// A group number kept within 0..12.
constexpr int ClampGroup(int g) {
    return g < 0 ? 0 : (g > kVfoGroup ? kVfoGroup : g);
}
constexpr int GroupBase(int g) {
    return kChannelsPerGroup * g;
}
constexpr int GroupSize(int g) {
    return g == kVfoGroup ? 1 : kChannelsPerGroup;
}
// Channel number of entry `row` (1..GroupSize) of group g.
constexpr int ChannelNumber(int g, int row) {
    return GroupBase(g) + row;
}
// The group a channel number 1..481 belongs to.
constexpr int GroupOfChannel(int channelNo) {
    return (channelNo - 1) / kChannelsPerGroup;
}

// --- Fixed frequencies ----------------------------------------------------------------------
// Groups 0..6 hold the band plan: their frequencies are fixed unless the radio-wide option
// "frequency changeable" is on.
constexpr int kLastFixedGroup = 6;
constexpr bool GroupHasFixedFrequencies(int g) {
    return g <= kLastFixedGroup;
}
constexpr bool FrequencyEditable(int g, bool freqEditableOption) {
    return !GroupHasFixedFrequencies(g) || freqEditableOption;
}
inline bool FrequencyEditable(int g, const FeatureBlock& f) {
    return FrequencyEditable(g, f.FreqEditable != 0);
}
// Channels 1..400 keep their RX frequency once they exist; only the channels above take a new one.
constexpr int kLastKeptRxChannel = 400;
constexpr bool KeepsRxFrequency(int channelNo) {
    return channelNo <= kLastKeptRxChannel;
}

// --- Busy lock ------------------------------------------------------------------------------
constexpr i16 kBusyLockOff = 0;
constexpr i16 kBusyLockCarrier = 1;
constexpr i16 kBusyLockWrongTone = 2;

// The decode tone the radio acts on: the encode tone when the scrambler is on.
constexpr int EffectiveDecodeTone(const ChannelRecord& r) {
    return r.Scrambler != 0 ? r.EncodeTone : r.DecodeTone;
}
// Busy lock on a wrong tone needs a decode tone: without one it becomes lock on carrier.
constexpr i16 BusyLockForTone(i16 busyLock, int decodeTone) {
    return decodeTone == 0 && busyLock == kBusyLockWrongTone ? kBusyLockCarrier : busyLock;
}
// After the optional signal changes, a channel without a decode tone keeps at most lock on carrier.
constexpr i16 BusyLockAfterSignalChange(i16 busyLock, int decodeTone) {
    return decodeTone == 0 && busyLock > kBusyLockCarrier ? kBusyLockCarrier : busyLock;
}

// --- Band and step grids --------------------------------------------------------------------
// Frequencies in whole units of 10 Hz (MHz x 100000).
long long BandLowUnits(const AppState& app);
long long BandHighUnits(const AppState& app);
bool InBand(const AppState& app, long long units);

// Where a frequency lies relative to the band's low edge: class 0 on the 5 kHz grid, 1 on the
// 6.25 kHz grid, 2 on the 8.33 kHz grid. A frequency on none of them is lowered onto the 5 kHz
// grid; one 10 Hz below a 25 kHz point (the third 8.33 kHz step) is raised onto that point.
struct GridPlace {
    long long units;
    i16 stepClass;
};
GridPlace PlaceOnStepGrid(long long units, long long lowUnits);

// Group 6 also takes the channel points between the 5 kHz steps ending in 125 (x.xx125).
constexpr int kFineStepGroup = 6;
// Value snapped down to the 5 kHz channel grid (group 6 also keeps frequencies ending in 125).
double SnapFrequency(const AppState& app, double mhz, int group);

// A typed frequency checked against the band: the "#0.00000" text to store, the nearest band
// edge when the value is outside the band or no number.
struct BandCheck {
    std::string text;
    bool outOfBand = false;
};
BandCheck CheckBand(const AppState& app, std::string_view value, int group);

} // namespace zt
