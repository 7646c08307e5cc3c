// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/form_keys.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>

namespace zt {

bool IsClipboardKey(const QKeyEvent* k) {
    return k->matches(QKeySequence::Cut) || k->matches(QKeySequence::Copy) || k->matches(QKeySequence::Paste);
}

namespace {

class ClipboardKeyEater : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::ShortcutOverride && IsClipboardKey(static_cast<QKeyEvent*>(e))) {
            // The key belongs to the box, not to a menu command with the same shortcut.
            e->accept();
            return true;
        }
        return e->type() == QEvent::KeyPress && IsClipboardKey(static_cast<QKeyEvent*>(e));
    }
};

} // namespace

void SwallowClipboardKeys(QWidget* box) {
    // Installed last, so it sees the keys before the box's character filter does.
    box->installEventFilter(new ClipboardKeyEater(box));
}

bool IsEnterKey(const QKeyEvent* k) {
    return k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter;
}

void FocusChain::add(QWidget* w, bool enterMoves) {
    widgets_.emplace_back(w);
    if (enterMoves)
        w->installEventFilter(this);
}

bool FocusChain::eventFilter(QObject* o, QEvent* e) {
    if (e->type() != QEvent::KeyPress || !IsEnterKey(static_cast<QKeyEvent*>(e)))
        return false;
    auto* w = qobject_cast<QWidget*>(o);
    // Enter on a button presses it.
    if (w == nullptr || qobject_cast<QPushButton*>(w) != nullptr)
        return false;
    if (!tabOrder_) {
        next(w);
        return true;
    }
    if (auto* c = qobject_cast<QComboBox*>(w); c != nullptr && c->view()->isVisible())
        return false;
    if (auto* box = qobject_cast<QLineEdit*>(w))
        emit box->editingFinished();
    FocusNext(w);
    return true;
}

FocusChain* FocusChain::FollowTabOrder(QWidget* window) {
    auto* chain = new FocusChain(window);
    chain->tabOrder_ = true;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (qobject_cast<QComboBox*>(w) != nullptr || qobject_cast<QCheckBox*>(w) != nullptr ||
            qobject_cast<QLineEdit*>(w) != nullptr || qobject_cast<QTabBar*>(w) != nullptr)
            w->installEventFilter(chain);
    }
    return chain;
}

void FocusNext(QWidget* from) {
    for (QWidget* n = from->nextInFocusChain(); n != nullptr && n != from; n = n->nextInFocusChain()) {
        const bool takesFocus = (n->focusPolicy() & Qt::TabFocus) != 0 && n->isVisible() && n->isEnabled();
        if (takesFocus && n->window() == from->window()) {
            n->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

void FocusChain::next(const QWidget* from) const {
    const int n = static_cast<int>(widgets_.size());
    int at = -1;
    for (int i = 0; i < n; ++i)
        if (widgets_[static_cast<std::size_t>(i)] == from)
            at = i;
    for (int step = 1; step <= n; ++step) {
        QWidget* w = widgets_[static_cast<std::size_t>((at + step + n) % n)];
        if (w != nullptr && w->isEnabled() && w->isVisibleTo(w->window())) {
            w->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

} // namespace zt
