// SPDX-License-Identifier: GPL-3.0-or-later
// Keyboard habits of the settings windows: cut, copy and paste keys are swallowed in their text
// boxes, and Enter moves the focus to the next control in a fixed order.
#pragma once

#include <QPointer>
#include <QWidget>

#include <vector>

class QKeyEvent;

namespace zt {

bool IsClipboardKey(const QKeyEvent* k);
// The cut, copy and paste keys do nothing in `box` (also when a character filter of the box
// would let pasted text through).
void SwallowClipboardKeys(QWidget* box);
bool IsEnterKey(const QKeyEvent* k);

// Moves the focus from `from` to the next enabled, visible control of its window in the Tab order.
void FocusNext(QWidget* from);

// Where Enter moves the focus in a window: either the controls added in the order Enter walks
// them (after the last comes the first), or the window's own Tab order (FollowTabOrder).
class FocusChain : public QObject {
    Q_OBJECT
  public:
    using QObject::QObject;
    // With `enterMoves`, Enter in the control moves on (a control with key rules of its own
    // calls next() itself).
    void add(QWidget* w, bool enterMoves = true);
    // Focuses the first enabled, visible control after `from`.
    void next(const QWidget* from) const;
    // Enter in every list, check box, text box and tab bar of `window` moves on in the window's
    // Tab order (a text box reports its edit finished first; an open drop-down keeps its Enter).
    static FocusChain* FollowTabOrder(QWidget* window);

  protected:
    bool eventFilter(QObject* o, QEvent* e) override;

  private:
    std::vector<QPointer<QWidget>> widgets_;
    bool tabOrder_ = false;
};

} // namespace zt
