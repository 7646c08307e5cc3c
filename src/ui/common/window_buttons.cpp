// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/window_buttons.h"

#include "common/editor_window.h"
#include "common/twips.h"

#include <algorithm>

namespace zt {

void WindowButtons::create(EditorWindow* w, bool helpAvailable) {
    close = new QPushButton(w);
    close->setObjectName("CommandClose");
    QObject::connect(close, &QPushButton::clicked, w, &EditorWindow::closeWindow);
    help = new QPushButton(w);
    help->setObjectName("CommandHelp");
    help->setVisible(helpAvailable);
}

void WindowButtons::setTexts(const QString& closeText, const QString& helpText) {
    close->setText(closeText);
    help->setText(helpText);
}

void WindowButtons::place(int right, int top) {
    const int w = std::max({close->sizeHint().width(), help->sizeHint().width(), Tw(1100, close)});
    const int h = close->sizeHint().height();
    close->setGeometry(right - w + 1, top, w, h);
    help->setGeometry(close->x() - w - Tw(120, close), top, w, h);
}

WindowButtons WindowButtons::CloseAtTw(EditorWindow* w, int leftTw, int topTw) {
    constexpr int width = 1200;
    constexpr int height = 380;
    WindowButtons b;
    b.create(w, false);
    SetGeometryTw(b.close, leftTw, topTw, width, height);
    w->setFixedSize(Tw(leftTw + width + 120, w), Tw(topTw + height + 140, w));
    return b;
}

} // namespace zt
