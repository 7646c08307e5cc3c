// SPDX-License-Identifier: GPL-3.0-or-later
// Text boxes that take only some characters. The filter holds for what the user adds, before it
// changes the text: a typed key it refuses changes nothing (a selection is not deleted), pasted
// text (also by the middle mouse button) and input-method text go in without the refused
// characters, as one change. Text the program sets (setText) passes the filter as a whole; a
// window that shows stored text as it is lets everything through while it fills (filling()).
// Such boxes offer no context menu and take no drops.
#pragma once

#include <QChar>

#include <functional>

class QLineEdit;

namespace zt {

using CharFilter = std::function<bool(QChar)>;

// No context menu, no drops. With a filter, what the user adds passes it (the filter is asked
// each time, so it may depend on the window's state).
void GuardTextBox(QLineEdit* box, CharFilter allowed = {});

// Characters of a frequency box: digits and the decimal point, and + or - where `sign` says so.
CharFilter FrequencyChars(std::function<bool()> sign = {});

} // namespace zt
