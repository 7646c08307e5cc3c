// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/child_window.h"

#include <QMdiSubWindow>
#include <QWidget>

namespace zt {

void CloseChildWindow(QWidget* content) {
    if (content == nullptr)
        return;
    if (auto* frame = qobject_cast<QMdiSubWindow*>(content->parentWidget()); frame != nullptr)
        frame->close();
    else
        content->close();
}

} // namespace zt
