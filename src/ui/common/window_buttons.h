// SPDX-License-Identifier: GPL-3.0-or-later
// The Close and Help buttons of the settings and list windows: Close closes the window; Help is
// shown only when a help file is available, and has no action of its own.
#pragma once

#include <QPushButton>

namespace zt {

class EditorWindow;

struct WindowButtons {
    QPushButton* close = nullptr;
    QPushButton* help = nullptr;

    void create(EditorWindow* w, bool helpAvailable);
    void setTexts(const QString& closeText, const QString& helpText);
    // Close with its right edge at `right`, Help to its left, both with their top at `top` (pixels).
    void place(int right, int top);
    // For windows laid out in twips: Close (1200 x 380 twips) at (leftTw, topTw) is the window's
    // bottom right corner, and the window takes its fixed size from it; Help stays hidden.
    static WindowButtons CloseAtTw(EditorWindow* w, int leftTw, int topTw);
};

} // namespace zt
