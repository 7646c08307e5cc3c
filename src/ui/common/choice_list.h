// SPDX-License-Identifier: GPL-3.0-or-later
// A drop-down list whose keyboard and wheel moves can be made provisional: typing a tone's
// text (each key jumps to the first entry that begins with what has been typed so far), the
// arrow keys and the wheel only move the selection, and the entry reached is chosen once, when
// the list loses the focus or Enter is pressed. A pick from the open list is chosen at once.
// A choice is announced as a user's selection is (currentIndexChanged and activated), so the
// handlers of the window store it as any other pick. Without the mode it is a plain list.
#pragma once

#include <QComboBox>

namespace zt {

class ChoiceList : public QComboBox {
    Q_OBJECT
  public:
    explicit ChoiceList(QWidget* parent = nullptr);

    // Keyboard and wheel moves wait for the focus to leave or for Enter.
    void setChosenOnLeave(bool on) { chosenOnLeave_ = on; }
    bool chosenOnLeave() const { return chosenOnLeave_; }
    // True while the selection shown has been reached by keys and is not chosen yet.
    bool choicePending() const { return pending_; }
    // Chooses the entry the keys have reached (nothing happens when none is pending or when it
    // is the entry chosen before).
    void commitChoice();

  protected:
    void keyPressEvent(QKeyEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

  private:
    void beginMove();

    bool chosenOnLeave_ = false;
    bool pending_ = false;
    bool moving_ = false;
    int chosen_ = -1;
};

} // namespace zt
