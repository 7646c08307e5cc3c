// SPDX-License-Identifier: GPL-3.0-or-later
// List contents that several settings windows share: numbers in steps of a tenth, counts, and
// the channel pickers that group the channel table in blocks of 16 by channel number (channel n
// is channel (n - 1) mod 16 + 1 of group (n - 1) div 16 + 1).
#pragma once

#include "model/document.h"

#include <QStringList>

namespace zt {

// from/10 .. to/10 in steps of 0.1, one decimal.
QStringList Tenths(int from, int to);
// "from" .. "to".
QStringList Counting(int from, int to);

// The groups that hold channels of the table, ascending, in decimal.
QStringList ChannelGroups16(const DocumentCopy& d);
// The positions of the table's channels in group g, ascending (empty for group 0).
QStringList ChannelsOfGroup16(const DocumentCopy& d, int g);

// The number a list entry shows, 0 when it shows none or not a number.
int ShownNumber(const QString& text);

} // namespace zt
