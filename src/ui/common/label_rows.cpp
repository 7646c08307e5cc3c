// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/label_rows.h"

#include "common/bound_list.h"
#include "common/twips.h"

#include <algorithm>

namespace zt {

BoundList* AddLabelledList(QWidget* parent, QLabel*& label, int index) {
    label = new QLabel(parent);
    auto* list = new BoundList(parent);
    list->setObjectName(QString("Combo1_%1").arg(index));
    label->setBuddy(list);
    return list;
}

QPoint LayoutLabelledColumn(const std::vector<LabelledRow>& rows, int leftTw, int topTw, int widthTw,
                            int rowStepTw, int gapTw) {
    if (rows.empty())
        return {};
    const QWidget* ref = rows.front().control;
    int widest = 0;
    for (const auto& r : rows) {
        if (r.label != nullptr) {
            r.label->adjustSize();
            widest = std::max(widest, r.label->width());
        }
    }
    const int x = Tw(leftTw, ref) + widest + Tw(gapTw, ref);
    int y = Tw(topTw, ref);
    int right = x;
    for (const auto& r : rows) {
        const int h = std::max(r.control->sizeHint().height(), Tw(300, ref));
        r.control->setGeometry(x, y, Tw(widthTw, ref), h);
        right = std::max(right, r.control->geometry().right());
        if (r.label != nullptr)
            PlaceLabelLeft(r.label, r.control, gapTw);
        y += std::max(Tw(rowStepTw, ref), h + Tw(60, ref));
    }
    return {right, y};
}

void FitToChildren(QWidget* w, int marginTw) {
    QRect all;
    for (const QWidget* c : w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (!c->isHidden())
            all = all.united(c->geometry());
    const int m = Tw(marginTw, w);
    w->setFixedSize(std::max(all.right() + m, CaptionWidth(w)), all.bottom() + m);
}

int CaptionWidth(const QWidget* w) {
    // The caption is drawn in the title bar's font, about as wide as the window's own; the
    // window icon and the three buttons take the rest.
    return w->fontMetrics().horizontalAdvance(w->windowTitle()) + 160;
}

} // namespace zt
