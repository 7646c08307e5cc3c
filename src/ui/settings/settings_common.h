// SPDX-License-Identifier: GPL-3.0-or-later
// Pieces the radio-wide settings windows share (their buttons and keys: common/window_buttons.h,
// common/form_keys.h): boxes that select their text when entered, number lists, selecting a list entry by its
// text, and the list of defined DTMF code numbers that several windows offer.
#pragma once

#include "common/bound_list.h"
#include "model/records.h"

#include <QObject>
#include <QString>
#include <QStringList>

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace zt {

class EditorWindow;

// Places `label` `gapTwips` left of `control` and makes it the control's caption (the name the
// control is known by, also to assistive technology).
void PlaceCaption(QLabel* label, QWidget* control, int gapTwips = 100);

// Entering the box selects its whole text, so what is typed replaces it. A full box of one
// character takes a typed character in place of what it holds wherever its cursor stands.
void SelectAllOnFocus(QLineEdit* box);

// "from", "from + step", ... up to "to", each followed by `suffix`.
QStringList NumberEntries(int from, int to, int step, const QString& suffix = {});
// Selects the first entry whose text is `text` (the first entry when none is) and stores it.
void ShowText(BoundList* list, const QString& text);

// `first`, then the number of every DTMF list code (1..16) that holds a code.
QStringList DtmfCodeEntries(const DtmfBlock& dtmf, const QString& first);
// Rebuilds a list of code numbers, keeping the shown entry when it is still offered and showing
// the first entry otherwise; the list's handler stores what is shown.
void RefillCodeList(BoundList* list, const QStringList& entries);

} // namespace zt
