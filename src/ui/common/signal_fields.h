// SPDX-License-Identifier: GPL-3.0-or-later
// The signalling settings a channel and the VFO share, each described once: its column id, its
// caption and the entries of its list. The channel edit window (a channel's fields) and the
// optional features window (the VFO's fields) build their controls from here.
#pragma once

#include "model/records.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace zt {

using TextOf = std::function<QString(int id)>;

struct SignalFieldDesc {
    int column;    // the channel table's column id (col::, model/channel_editor.h)
    int captionId; // its caption
    // The list's entries; nullptr for a check box or a list filled from the document (tones,
    // DTMF code numbers, tone tips: see the functions below).
    QStringList (*entries)(const TextOf& text);
};

// The description of a signalling column; nullptr when the column has none.
const SignalFieldDesc* FindSignalField(int column);
// Its caption and entries (empty for a column without a description).
QString SignalCaption(int column, const TextOf& text);
QStringList SignalEntries(int column, const TextOf& text);

// Busy lock: off, carrier, and lock on a wrong tone only where there is a decode tone.
QStringList BusyLockEntries(const TextOf& text, bool withTone);
// "OFF", then the number of every tone tip that is defined.
QStringList ToneTipEntries(const SettingsRecord& s, const TextOf& text);

} // namespace zt
