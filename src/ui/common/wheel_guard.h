// SPDX-License-Identifier: GPL-3.0-or-later
// Keeps the mouse wheel from changing a list the user is not working in: a list (or spin box)
// takes wheel events only while it has the keyboard focus. Otherwise the wheel goes on to the
// list's parent, so scrolling over a window scrolls it instead of changing a setting in passing.
#pragma once

class QWidget;

namespace zt {

// Guards one control: it no longer takes the focus from the wheel, and ignores the wheel while
// it has no focus.
void GuardWheel(QWidget* control);

// Guards every list and spin box inside `window`, including the ones it holds at this moment
// in child widgets. Controls created later are guarded with GuardWheel.
void GuardWheelOnLists(QWidget* window);

} // namespace zt
