// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/choice_list.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <QWheelEvent>

namespace zt {

ChoiceList::ChoiceList(QWidget* parent) : QComboBox(parent) {
    // Any selection announced (a pick from the open list, the program's) ends a pending move.
    connect(this, &QComboBox::currentIndexChanged, this, [this] {
        if (!moving_)
            pending_ = false;
    });
    connect(this, &QComboBox::activated, this, [this] {
        if (!moving_)
            pending_ = false;
    });
}

void ChoiceList::beginMove() {
    if (!pending_) {
        chosen_ = currentIndex();
        pending_ = true;
    }
}

void ChoiceList::commitChoice() {
    if (!pending_)
        return;
    pending_ = false;
    const int reached = currentIndex();
    if (reached == chosen_ || reached < 0)
        return;
    {
        // Back to the entry chosen before, silently, so that the choice is a change.
        const QSignalBlocker block(this);
        setCurrentIndex(chosen_);
    }
    setCurrentIndex(reached);
    emit activated(reached);
    emit textActivated(itemText(reached));
}

void ChoiceList::keyPressEvent(QKeyEvent* e) {
    if (!chosenOnLeave_) {
        QComboBox::keyPressEvent(e);
        return;
    }
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        commitChoice();
        QComboBox::keyPressEvent(e);
        return;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Escape:
        QComboBox::keyPressEvent(e);
        return;
    default:
        break;
    }
    beginMove();
    moving_ = true;
    {
        const QSignalBlocker block(this);
        QComboBox::keyPressEvent(e);
    }
    moving_ = false;
}

void ChoiceList::wheelEvent(QWheelEvent* e) {
    if (!chosenOnLeave_) {
        QComboBox::wheelEvent(e);
        return;
    }
    beginMove();
    moving_ = true;
    {
        const QSignalBlocker block(this);
        QComboBox::wheelEvent(e);
    }
    moving_ = false;
}

void ChoiceList::focusOutEvent(QFocusEvent* e) {
    // Opening the list's own pop-up is not leaving it.
    if (e->reason() != Qt::PopupFocusReason)
        commitChoice();
    QComboBox::focusOutEvent(e);
}

} // namespace zt
