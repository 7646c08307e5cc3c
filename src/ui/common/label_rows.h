// SPDX-License-Identifier: GPL-3.0-or-later
// A column of controls with their captions to the left: the controls line up after the widest
// caption, and each caption ends a fixed gap left of its control, so that longer texts of another
// language push the column right instead of being cut.
#pragma once

#include <QLabel>
#include <QWidget>

#include <vector>

namespace zt {

class BoundList;

struct LabelledRow {
    QLabel* label = nullptr; // may be null: a control without a caption
    QWidget* control = nullptr;
};

// A list named Combo1_<index> with its caption label (whose buddy it is), both in `parent`.
BoundList* AddLabelledList(QWidget* parent, QLabel*& label, int index);

// Lays the rows out from (leftTw, topTw), one every `rowStepTw` twips, controls `widthTw` wide;
// returns the pixel position right of the widest control and below the last row.
QPoint LayoutLabelledColumn(const std::vector<LabelledRow>& rows, int leftTw, int topTw, int widthTw,
                            int rowStepTw, int gapTw = 100);

// Sizes a window to hold its visible children with a margin of `marginTw` twips, and wide
// enough for its caption.
void FitToChildren(QWidget* w, int marginTw = 120);
// Width a window needs to show its whole caption beside the title-bar buttons.
int CaptionWidth(const QWidget* w);

} // namespace zt
