// Text boxes that take only some characters: the filter holds for typing, pasting (also by the
// middle mouse button), input methods and drops, because it runs on every change of the text.
// Such boxes offer no context menu (nothing to paste through) and take no drops.
#pragma once

#include <QChar>

#include <functional>

class QLineEdit;

namespace zt {

using CharFilter = std::function<bool(QChar)>;

// No context menu, no drops. With a filter, every change of the text drops the characters the
// filter refuses (the filter is asked at each change, so it may depend on the window's state).
void GuardTextBox(QLineEdit* box, CharFilter allowed = {});

// Characters of a frequency box: digits and the decimal point, and + or - where `sign` says so.
CharFilter FrequencyChars(std::function<bool()> sign = {});

} // namespace zt
