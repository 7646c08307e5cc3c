// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/bound_list.h"

#include "common/wheel_guard.h"

namespace zt {

BoundList::BoundList(QWidget* parent) : ChoiceList(parent) {
    GuardWheel(this);
    connect(this, &QComboBox::currentIndexChanged, this, &BoundList::userPicked);
}

void BoundList::setEntries(const QStringList& entries) {
    const bool was = programmatic_;
    programmatic_ = true;
    clear();
    addItems(entries);
    setCurrentIndex(-1);
    programmatic_ = was;
}

int BoundList::positionFor(int stored) const {
    if (count() == 0)
        return -1;
    return stored >= 0 && stored < count() ? stored : 0;
}

void BoundList::showMatching(const QString& text) {
    const int at = findText(text, Qt::MatchExactly);
    showValue(at >= 0 ? at : 0);
}

void BoundList::showValue(int stored) {
    const int pos = positionFor(stored);
    if (pos < 0)
        return;
    programmatic_ = true;
    setCurrentIndex(pos);
    programmatic_ = false;
    if (handler_)
        handler_(pos);
}

void BoundList::userPicked(int index) {
    if (programmatic_ || index < 0)
        return;
    if (handler_)
        handler_(index);
}

} // namespace zt
