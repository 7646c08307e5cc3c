// SPDX-License-Identifier: GPL-3.0-or-later
// Tab order in the order a reader meets the controls on the screen, and the first control of a
// window, which takes the keyboard focus when the window opens.
#pragma once

#include <vector>

class QTabBar;
class QTabWidget;
class QWidget;

namespace zt {

// The controls of `root` that take the focus by Tab, in reading order: rows from top to bottom,
// each row from left to right. A frame, a tab page or any other widget holding controls is read
// as one block where it stands (so a frame beside a column of rows comes after that column, not
// interleaved with it); the pages of a tab widget follow its tab strip, page by page. Controls
// hidden on purpose are left out.
//
// Where the controls stand both in rows and in columns (a form of two columns of labelled lists),
// ReadBy::Rows reads each row across, ReadBy::Columns each column down before the next column.
enum class ReadBy { Rows, Columns };
std::vector<QWidget*> ScreenOrder(QWidget* root, ReadBy by = ReadBy::Rows);

// Chains the controls of `root` in ScreenOrder for Tab and Shift+Tab.
void SetScreenTabOrder(QWidget* root, ReadBy by = ReadBy::Rows);

// Chains `controls` one after the other in the Tab order (where a window reads a block of
// controls in its own order, such as a numbered list laid out in columns).
void ChainTabOrder(const std::vector<QWidget*>& controls);

// Gives the keyboard focus to the first control of `root` in the Tab order that is shown and
// enabled. Returns false when `root` has none.
bool FocusFirstControl(QWidget* root);

// Ctrl+Tab and Ctrl+Page Down show the next tab of `bar`, Ctrl+Shift+Tab and Ctrl+Page Up the
// previous one, wherever the focus is in `window` (the window area would otherwise take
// Ctrl+Tab to switch windows). With `pages`, the tab strip of a tab widget, the new page's first
// control takes the focus; a strip whose tabs show other values in the same controls leaves the
// focus where it is.
void SwitchTabsByKeys(QTabBar* bar, QWidget* window, QTabWidget* pages = nullptr);

} // namespace zt
