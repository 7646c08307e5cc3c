// Keyboard habits of the settings windows: cut, copy and paste keys are swallowed in their text
// boxes, and Enter moves the focus to the next control in a fixed order.
#pragma once

#include <QPointer>
#include <QWidget>

#include <vector>

class QKeyEvent;

namespace zt {

bool IsClipboardKey(const QKeyEvent* k);
bool IsEnterKey(const QKeyEvent* k);

// The controls of a window in the order Enter walks them (after the last comes the first).
class FocusChain : public QObject {
    Q_OBJECT
  public:
    // With `enterMoves`, Enter in the control moves on (a control with key rules of its own
    // calls next() itself).
    void add(QWidget* w, bool enterMoves = true);
    // Focuses the first enabled, visible control after `from`.
    void next(const QWidget* from) const;

  protected:
    bool eventFilter(QObject* o, QEvent* e) override;

  private:
    std::vector<QPointer<QWidget>> widgets_;
};

} // namespace zt
