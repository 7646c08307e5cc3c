#include "common/form_keys.h"

#include <QKeyEvent>
#include <QKeySequence>

namespace zt {

bool IsClipboardKey(const QKeyEvent* k) {
    return k->matches(QKeySequence::Cut) || k->matches(QKeySequence::Copy) || k->matches(QKeySequence::Paste);
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
    if (e->type() == QEvent::KeyPress && IsEnterKey(static_cast<QKeyEvent*>(e))) {
        next(static_cast<QWidget*>(o));
        return true;
    }
    return false;
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
