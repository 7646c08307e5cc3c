// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/wheel_guard.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QWidget>

namespace zt {

namespace {

// One filter object serves every guarded control of the program.
class WheelGuardFilter : public QObject {
  public:
    using QObject::QObject;

    static WheelGuardFilter* instance() {
        // Owned by the application object, made again should that be replaced.
        static QPointer<WheelGuardFilter> filter;
        if (filter.isNull())
            filter = new WheelGuardFilter(QCoreApplication::instance());
        return filter;
    }

  protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() != QEvent::Wheel)
            return false;
        auto* w = qobject_cast<QWidget*>(o);
        if (w == nullptr || w->hasFocus())
            return false;
        // Ignored, the wheel event travels on to the parent (a scrolling area or the window).
        e->ignore();
        return true;
    }
};

} // namespace

void GuardWheel(QWidget* control) {
    if (control == nullptr)
        return;
    // A control with wheel focus would take the focus from the wheel and then act on it.
    if (control->focusPolicy() == Qt::WheelFocus)
        control->setFocusPolicy(Qt::StrongFocus);
    control->installEventFilter(WheelGuardFilter::instance());
}

void GuardWheelOnLists(QWidget* window) {
    if (window == nullptr)
        return;
    for (QComboBox* c : window->findChildren<QComboBox*>())
        GuardWheel(c);
    for (QAbstractSpinBox* s : window->findChildren<QAbstractSpinBox*>())
        GuardWheel(s);
}

} // namespace zt
