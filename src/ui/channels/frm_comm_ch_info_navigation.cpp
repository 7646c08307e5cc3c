// SPDX-License-Identifier: GPL-3.0-or-later
// The channel grid: navigation and scrolling - entering a cell, the next line and column,
// clicks, the cursor following the user's scrolling, and the keys of the window's controls.
#include "channels/frm_comm_ch_info.h"

#include "channels/frm_comm_ch_info_parts.h"
#include "common/choice_list.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QTableWidget>

#include <algorithm>
#include <exception>

namespace zt {

using namespace chgrid;

void frmCommChInfo::onCellEntered() {
    // A cell entered by the user or by the editing keys is where the cursor belongs: a scroll
    // still waiting to move it is settled.
    scrollTimer_.stop();
    LastTopRow = firstVisibleRow();
    if (Refreshing || !GridReady)
        return;
    if (grid_->currentRow() < 0 || grid_->currentColumn() < 0)
        return;
    if (SkipEnterCell) {
        SkipEnterCell = false;
        return;
    }
    CurrentRow = gridRow();
    fixedNoticeShown_ = false;
    ed_.SetChannelGroup(combo7_->currentIndex());
    writeCaption(14012);
    grid_->setFocus();
    if (SkipRxCheck) {
        SkipRxCheck = false;
    } else if (gridCol() > col::RxFreq && gridCol() < kDetailsCol) {
        if (!FlexConcludeRx())
            return;
    }
    hideEditors();
    EnterGridEdit();
}

void frmCommChInfo::GridNextLine() {
    try {
        int row = gridRow() + 1;
        if (row >= rowCount())
            row = 1;
        if (row == gridRow()) {
            // A group of one row wraps onto the same cell: enter it again, so that its editor
            // opens and shows what the cell holds now.
            onCellEntered();
            return;
        }
        setGridCell(row, gridCol());
    } catch (const std::exception& e) {
        fail(kFailNextCell, e);
    }
}

void frmCommChInfo::GridNextCol() {
    try {
        for (int c = gridCol() + 1; c <= kLastDataCol; ++c) {
            if (kWidths[static_cast<std::size_t>(c)] != 0) {
                setGridCell(gridRow(), c);
                return;
            }
        }
        if (gridCol() != col::RxFreq) {
            SkipEnterCell = true;
            setGridCell(gridRow(), col::RxFreq);
        }
        GridNextLine();
    } catch (const std::exception& e) {
        fail(kFailNextCell, e);
    }
}

void frmCommChInfo::onCellClicked(int tableRow, int tableCol) {
    // Entering a new cell runs the cell entry already; a click on the current cell re-enters it.
    if (timerCHEdit_.isActive())
        return;
    if (tableRow != grid_->currentRow() || tableCol != grid_->currentColumn())
        return;
    if (ed_.EditCell.row == tableRow + 1 && ed_.EditCell.col == tableCol + 1 &&
        (text1_->isVisible() || text2_->isVisible() ||
         (listForColumn(tableCol + 1) && listForColumn(tableCol + 1)->isVisible())))
        return;
    onCellEntered();
}

void frmCommChInfo::onCellDoubleClicked(int, int tableCol) {
    if (tableCol + 1 != kDetailsCol)
        return;
    timerCHEdit_.start();
    openEditWindow(true);
}

void frmCommChInfo::openEditWindow(bool) {
    if (ed_.host != nullptr)
        ed_.host->ShowEditWindow();
}

void frmCommChInfo::onUserScroll() {
    if (CodeMoveTopRow || !GridReady)
        return;
    scrollTimer_.start(); // restarted by every step: the cursor follows when the scrolling pauses
}

void frmCommChInfo::followScroll() {
    scrollTimer_.stop();
    const int top = firstVisibleRow();
    const int moved = top - LastTopRow;
    LastTopRow = top;
    if (CodeMoveTopRow || !GridReady || moved == 0)
        return;
    // The cursor keeps its line on the screen, and stays on a row shown in full so that the
    // editor over it is in sight.
    const int row = std::clamp(gridRow() + moved, top, lastVisibleRow());
    if (row != gridRow())
        setGridCell(row, gridCol());
}

int frmCommChInfo::lastVisibleRow() const {
    const int h = grid_->viewport()->height();
    int r = grid_->rowAt(h - 1);
    if (r < 0)
        return rowCount() - 1;
    if (grid_->rowViewportPosition(r) + grid_->rowHeight(r) > h && r + 1 > firstVisibleRow())
        --r; // the bottom row is cut
    return r + 1;
}

bool frmCommChInfo::gridKey(QKeyEvent* k, bool enter) {
    // Enter or F2 on the grid (reached by Tab, or after a group was picked) opens the cell's
    // editor; typing opens it too and goes into it, so no typed character is lost.
    if (enter || k->key() == Qt::Key_F2) {
        EnterGridEdit();
        refuseFixedFrequency();
        return true;
    }
    const QString t = k->text();
    const bool typing =
        (k->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) == 0 &&
        ((t.size() == 1 && t.at(0).isPrint()) || k->key() == Qt::Key_Backspace || k->key() == Qt::Key_Delete);
    if (!typing)
        return false;
    EnterGridEdit();
    refuseFixedFrequency();
    QWidget* now = QApplication::focusWidget();
    if (now != nullptr && now != grid_ && isCellEditor(now)) {
        QKeyEvent again(k->type(), k->key(), k->modifiers(), t, k->isAutoRepeat(), k->count());
        QApplication::sendEvent(now, &again);
    }
    return true;
}

void frmCommChInfo::refuseFixedFrequency() {
    const int column = gridCol();
    const int group = ed_.ChannelGroup();
    if ((column != col::RxFreq && column != col::TxFreq) || ed_.FrequencyEditable(group) || fixedNoticeShown_)
        return;
    fixedNoticeShown_ = true;
    if (ed_.host != nullptr)
        ed_.host->ShowStatus(
            QString::fromStdString(ed_.Text(kFixedFrequencies))
                .arg(group)
                .arg(QString::fromStdString(ed_.Text(16000)), QString::fromStdString(ed_.Text(16028)))
                .toStdString());
}

void frmCommChInfo::FocusCurrentCell() {
    QWidget* editor = nullptr;
    const int column = gridCol();
    if (ed_.EditCell.col == column && ed_.EditCell.row == gridRow()) {
        if (column == col::RxFreq || column == col::TxFreq)
            editor = ed_.FrequencyEditable(ed_.ChannelGroup()) ? text1_ : nullptr;
        else if (column == col::Name)
            editor = text2_;
        else
            editor = listForColumn(column);
    }
    if (editor != nullptr && editor->isVisible()) {
        editor->setFocus();
        return;
    }
    hideEditors();
    grid_->setFocus();
}

bool frmCommChInfo::eventFilter(QObject* o, QEvent* e) {
    if (o == corner_ && e->type() == QEvent::Paint) {
        paintCorner();
        return true;
    }
    if (e->type() == QEvent::FocusOut && o == text2_ && text2_->isVisible()) {
        StoreGridEdit();
        return false;
    }
    if (e->type() != QEvent::KeyPress)
        return QWidget::eventFilter(o, e);
    auto* k = static_cast<QKeyEvent*>(e);
    const bool enter = k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter;
    // A key pressed while the cursor has yet to follow a scroll belongs to the row in sight:
    // the cursor follows first, and a key typed into an editor goes to the editor opened there.
    if (scrollTimer_.isActive() && isCellEditor(o)) {
        followScroll();
        QWidget* now = QApplication::focusWidget();
        if (o != grid_ && now != nullptr && now != o && isCellEditor(now)) {
            QKeyEvent again(k->type(), k->key(), k->modifiers(), k->text(), k->isAutoRepeat(), k->count());
            QApplication::sendEvent(now, &again);
            return true;
        }
    }
    try {
        if (o == grid_)
            return gridKey(k, enter);
        if (o == text1_)
            return text1Key(k);
        if (o == text2_)
            return text2Key(k);
        if (o == text3_) {
            if (enter) {
                focusNextChild();
                return true;
            }
            if (k->matches(QKeySequence::Cut) || k->matches(QKeySequence::Copy) ||
                k->matches(QKeySequence::Paste))
                return true;
            return k->text() == "\\" || k->text() == "~" ||
                   (k->text().size() == 1 && k->text().at(0).unicode() > 127);
        }
        for (QComboBox* c : combo8_) {
            if (o == c && enter) {
                focusNextChild();
                return true;
            }
        }
        for (QComboBox* c : lists_) {
            if (o == c && enter) {
                // The tone reached by typing is stored before the cursor moves on.
                if (auto* choice = qobject_cast<ChoiceList*>(c))
                    choice->commitChoice();
                const int column = gridCol();
                if (column > kNumberCol && column < kDetailsCol)
                    GridNextCol();
                return true;
            }
        }
    } catch (const std::exception& e) {
        fail(kFailKey, e);
        return true;
    }
    return QWidget::eventFilter(o, e);
}

} // namespace zt
