// SPDX-License-Identifier: GPL-3.0-or-later
// The one setter through which the channel grid, the channel edit window and the clipboard
// commands change a field of a channel in the working copy.
#pragma once

#include "app/app_state.h"
#include "model/document.h"

#include <string_view>

namespace zt {

// Column ids shared by the grid and the edit window. The grid shows columns 1..9 and the
// details link in column 10; Name and Power are shown but store nothing (the radio keeps no
// channel names, and a channel's power is per mode: AmPower, FmPower).
namespace col {
constexpr int RxFreq = 1;
constexpr int TxFreq = 2;
constexpr int Name = 3;
constexpr int DecodeTone = 4;
constexpr int EncodeTone = 5;
constexpr int Power = 6;
constexpr int ScanSkip = 7;
constexpr int OptSignal = 8;
constexpr int Spacing = 9;
constexpr int PttIdMode = 10;
constexpr int BusyLock = 11;
constexpr int ScrambleTalkaround = 12;
constexpr int PttIdBot = 13;
constexpr int VoiceEncrypt = 14;
constexpr int TxInhibit = 15;
constexpr int Talkaround = 16;
constexpr int Scrambler = 17;
constexpr int Whisper = 18;
constexpr int Compander = 19;
constexpr int SignalRelation = 21;
constexpr int PttIdEot = 22;
constexpr int RogerBeep = 23;
constexpr int SquelchMode = 24;
constexpr int Mode = 25;
constexpr int AmPower = 26;
constexpr int FmPower = 27;
constexpr int CallCode = 28;
constexpr int Rep = 29;
constexpr int Tsq = 30;
constexpr int RxExpander = 37;
constexpr int TxCompressor = 38;
constexpr int NbAnl = 39;
constexpr int Att = 40;
constexpr int HiCut = 41;
constexpr int ModeLock = 42;
constexpr int AmPowerLock = 43;
constexpr int FmPowerLock = 44;
constexpr int RepLock = 45;
} // namespace col

// Sets one field of channel 40g+row (row 1..40, or 1 for the VFO group 12) from a typed text.
// Frequency columns (1, 2) take a frequency text; every other column a whole number, given as
// text ("5") or through the overload below. An empty RX text deletes the channel (never the last
// one); an RX text on an absent channel appends it. Returns true when the table or a record
// changed. Open channel windows are refreshed through doc.editor: after an RX change every grid
// redisplays its channels, after any other column of an existing channel the grids rewrite that
// channel's row; the edit window reloads after every call.
bool SetChannelCell(const AppState& app, Document& doc, int g, int row, int column, std::string_view value);
bool SetChannelCell(const AppState& app, Document& doc, int g, int row, int column, int value);

// The stored whole number behind a column id (0 for the frequency columns and the columns that
// store nothing).
int ChannelFieldValue(const ChannelRecord& r, int column);
// The stored field behind a column id, or nullptr (frequency columns, columns that store nothing).
i16* ChannelField(ChannelRecord& r, int column);

} // namespace zt
