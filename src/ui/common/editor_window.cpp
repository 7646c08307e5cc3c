// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/editor_window.h"

#include "common/child_window.h"
#include "common/tab_order.h"
#include "common/wheel_guard.h"

#include <QPushButton>

namespace zt {

EditorWindow::EditorWindow(AppState& app, Document& doc, WindowRouter* router, const char* name,
                           QWidget* parent)
    : QWidget(parent), app_(app), doc_(doc), router_(router) {
    setObjectName(name);
    setAttribute(Qt::WA_DeleteOnClose);
}

void EditorWindow::loadWindow() {
    const FillGuard guard(*this);
    retranslate();
    loadFromDocument();
    // Lists change only under the wheel of a user working in them.
    GuardWheelOnLists(this);
}

void EditorWindow::takeFocusOnOpen() {
    FocusFirstControl(this);
}

void EditorWindow::orderTabs() {
    SetScreenTabOrder(this);
}

void EditorWindow::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    // Tab and Enter walk the controls as they stand on the screen, which is known only once
    // the window's texts and layouts have placed them.
    if (!tabsOrdered_) {
        tabsOrdered_ = true;
        orderTabs();
        // Enter on a focused button presses it, as Space does.
        for (QPushButton* b : findChildren<QPushButton*>())
            b->setAutoDefault(true);
    }
}

void EditorWindow::closeWindow() {
    CloseChildWindow(this);
}

void EditorWindow::route(Refresh what) {
    if (router_ != nullptr)
        router_->Route(what, this);
}

void EditorWindow::fail(const char* routine) {
    if (app_.prompter != nullptr)
        app_.prompter->message(routine, Icon::Critical);
}

} // namespace zt
