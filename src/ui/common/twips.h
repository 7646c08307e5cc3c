// SPDX-License-Identifier: GPL-3.0-or-later
// Window geometry is laid out in twips (1/1440 inch); widgets take pixels at the screen's
// logical DPI (15 twips per pixel at 96 DPI).
#pragma once

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QWidget>
#include <QtMath>

namespace zt {

inline double LogicalDpi(const QWidget* w) {
    if (w != nullptr)
        return w->logicalDpiX();
    const QScreen* s = QGuiApplication::primaryScreen();
    return s != nullptr ? s->logicalDotsPerInchX() : 96.0;
}

inline int Tw(int twips, const QWidget* w = nullptr) {
    return qRound(twips * LogicalDpi(w) / 1440.0);
}

// Places a widget at a rectangle given in twips.
inline void SetGeometryTw(QWidget* w, int left, int top, int width, int height) {
    w->setGeometry(Tw(left, w), Tw(top, w), Tw(width, w), Tw(height, w));
}

// Places a label `gapTwips` to the left of its control, vertically centred on it. The label also
// names its control (keyboard mnemonic, and the name the accessibility interface reports).
inline void PlaceLabelLeft(QWidget* label, const QWidget* control, int gapTwips) {
    if (auto* l = qobject_cast<QLabel*>(label))
        l->setBuddy(const_cast<QWidget*>(control));
    label->adjustSize();
    const QRect c = control->geometry();
    label->move(c.left() - label->width() - Tw(gapTwips, control),
                c.top() + (c.height() - label->height()) / 2);
}

} // namespace zt
