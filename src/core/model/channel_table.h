// SPDX-License-Identifier: GPL-3.0-or-later
// Operations on a document's channel table: a compact list of up to 481 records numbered 1..481,
// grouped by 40 (group 12 holds only channel 481, the VFO entry).
#pragma once

#include "app/app_state.h"
#include "model/document.h"
#include "model/radio_rules.h"

#include <string>
#include <string_view>
#include <vector>

namespace zt {

// Slots in use, kept within 0..481 whatever the stored count says.
int UsedSlots(const DocumentCopy& d);

// Slot index of a channel number, or -1 when absent.
int FindChannel(const DocumentCopy& d, int channelNo);
// Appends a channel at slot ChannelCount with RxFreq = the stored form of `freqText`, the offset
// seven NULs and every other field 0. Refused (false) when the table is full, the number is
// outside 1..481 or the channel already exists.
bool AppendChannel(const AppState& app, DocumentCopy& d, int channelNo, std::string_view freqText);
// Removes a slot, moving every later slot one place down. Out-of-range slots are ignored.
void DeleteChannelAt(DocumentCopy& d, int slot);
void DeleteChannelNo(DocumentCopy& d, int channelNo);

// In-group numbers of the existing channels of group g, ascending.
std::vector<int> GroupChannelList(const DocumentCopy& d, int g);
// n when channel 40g+n exists, else 0.
int ChannelInGroup(const DocumentCopy& d, int g, int n);
// Every PttIdBot, PttIdEot and CallCode equal to k (channels and VFO settings) becomes 0.
void ClearCodeReferences(DocumentCopy& d, int k);
// "3 -- EU": group number, then the trimmed group name; "12 -- VFO"; groups above 12 show as 0.
std::string GroupLabel(const SettingsRecord& s, int g);

} // namespace zt
