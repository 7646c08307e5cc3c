// SPDX-License-Identifier: GPL-3.0-or-later
// Closing a child window of the main window from inside it.
#pragma once

class QWidget;

namespace zt {

// Closes the window that holds `content`: its frame in the main window's window area when it
// has one, exactly as the frame's own close button does (the content's close handling runs
// first and may refuse), else `content` itself.
void CloseChildWindow(QWidget* content);

} // namespace zt
