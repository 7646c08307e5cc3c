// SPDX-License-Identifier: GPL-3.0-or-later
// The channel grid: the in-place cell editors - the frequency box, the name box and the lists
// opened over the cursor cell, and how what they hold is stored.
#include "channels/frm_comm_ch_info.h"

#include "channels/frm_ch_info_edit.h"
#include "channels/frm_comm_ch_info_parts.h"
#include "codec/freq.h"
#include "codec/numbers.h"
#include "common/choice_list.h"
#include "model/fixed_text.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QTableWidget>

#include <algorithm>
#include <cmath>
#include <exception>

namespace zt {

using namespace chgrid;

void frmCommChInfo::SetEditDisable() {
    text1_->hide();
    text2_->hide();
    for (QComboBox* c : lists_)
        c->hide();
}

void frmCommChInfo::hideEditors() {
    SetEditDisable();
}

bool frmCommChInfo::isCellEditor(const QObject* o) const {
    return o == grid_ || o == text1_ || o == text2_ ||
           std::find(lists_.begin(), lists_.end(), o) != lists_.end();
}

QComboBox* frmCommChInfo::listForColumn(int column) const {
    switch (column) {
    case col::DecodeTone:
    case col::EncodeTone:
        return lists_[0];
    case col::Power:
        return lists_[1];
    case col::ScanSkip:
        return lists_[2];
    case col::OptSignal:
        return lists_[3];
    case col::Spacing:
        return lists_[4];
    default:
        return nullptr;
    }
}

void frmCommChInfo::placeOverCell(QWidget* w, bool keepHeight) {
    const QRect rect = grid_->visualRect(grid_->model()->index(gridRow() - 1, gridCol() - 1));
    w->setGeometry(rect.left(), rect.top(), rect.width(),
                   keepHeight ? w->sizeHint().height() : rect.height());
}

bool frmCommChInfo::FlexConcludeRx() {
    try {
        const int row = gridRow();
        if (cellText(row, col::RxFreq).isEmpty()) {
            ed_.EditCell = {col::RxFreq, row};
            SkipRxCheck = true;
            setGridCell(row, col::RxFreq);
            return false;
        }
        return true;
    } catch (const std::exception& e) {
        fail(kFailOpenEditor, e);
        return false;
    }
}

void frmCommChInfo::EnterGridEdit() {
    try {
        const int column = gridCol();
        const int row = gridRow();
        ed_.EditCell = {column, row};
        LastTopRow = firstVisibleRow();
        if (ed_.EditWindowOpen())
            ed_.edit->SetGridEditData(true);
        if (column == col::RxFreq || column == col::TxFreq) {
            if (!ed_.FrequencyEditable(ed_.ChannelGroup()))
                return;
            placeOverCell(text1_, false);
            {
                const QSignalBlocker block(text1_);
                text1_->setText(cellText(row, column));
                text1_->setModified(false);
            }
            text1_->show();
            text1_->raise();
            text1_->setFocus();
            if (!text1_->text().isEmpty())
                text1_->selectAll();
        } else if (column == col::Name) {
            placeOverCell(text2_, false);
            text2_->setText(QString::fromStdString(TrimFixed(cellText(row, column).toStdString())));
            EditorClickArmed = false;
            text2_->show();
            text2_->raise();
            text2_->setFocus();
        } else if (QComboBox* list = listForColumn(column)) {
            placeOverCell(list, true);
            EditorClickArmed = false;
            {
                // Loading the cell's text into the list is not a choice of the user.
                const QSignalBlocker block(list);
                const int idx = list->findText(cellText(row, column));
                list->setCurrentIndex(idx >= 0 ? idx : (list->count() > 0 ? 0 : -1));
            }
            EditorClickArmed = true;
            list->setEnabled(true);
            list->show();
            list->raise();
            list->setFocus();
        }
    } catch (const std::exception& e) {
        fail(kFailOpenEditor, e);
    }
}

void frmCommChInfo::StoreGridEdit() {
    const int column = ed_.EditCell.col;
    const int row = ed_.EditCell.row;
    if (row < 1 || row >= rowCount())
        return;
    if (column == col::RxFreq && text1_->isVisible()) {
        const std::string typed = text1_->text().toStdString();
        std::string shown = typed;
        if (const auto v = ParseNumber(typed); v && !typed.empty())
            shown = FormatFixed5(*v);
        setCell(row, col::RxFreq, Q(shown));
        text1_->setModified(false);
        ed_.SetCell(ed_.EditGroup(), row, col::RxFreq, shown);
    } else if (column == col::TxFreq && text1_->isVisible()) {
        const std::string typed = text1_->text().toStdString();
        const auto v = ParseNumber(typed);
        if (!v || !IsNumeric(typed))
            return;
        const QString t = text1_->text().trimmed();
        QString shown = Q(FormatFixed5(*v));
        if (t.startsWith('+') || t.startsWith('-'))
            shown = t.left(1) + Q(FormatFixed5(std::abs(*v)));
        setCell(row, col::TxFreq, shown);
        text1_->setModified(false);
        ed_.SetCell(ed_.EditGroup(), row, col::TxFreq, typed);
    } else if (column == col::Name && text2_->isVisible()) {
        setCell(row, col::Name, text2_->text());
        ed_.SetCell(ed_.EditGroup(), row, col::Name, text2_->text().toStdString());
    } else if (QComboBox* list = listForColumn(column); list != nullptr && list->isVisible()) {
        setCell(row, column, list->currentText());
        ed_.SetCell(ed_.EditGroup(), row, column, list->currentIndex());
    }
}

void frmCommChInfo::SetShowEditData() {
    try {
        const int column = ed_.EditCell.col;
        const QString t = cellText(ed_.EditCell.row, column);
        if (column == col::RxFreq || column == col::TxFreq) {
            const QSignalBlocker block(text1_);
            text1_->setText(t);
            text1_->setModified(false);
        } else if (column == col::Name) {
            text2_->setText(QString::fromStdString(TrimFixed(t.toStdString())));
        } else if (QComboBox* list = listForColumn(column)) {
            const QSignalBlocker block(list);
            const int idx = list->findText(t);
            list->setCurrentIndex(idx >= 0 ? idx : (list->count() > 0 ? 0 : -1));
        }
    } catch (const std::exception& e) {
        fail(kFailOpenEditor, e);
    }
}

void frmCommChInfo::onText1Left() {
    // Leaving the box stores what was typed, unless Enter has stored it already.
    if (!text1_->isModified())
        return;
    const int column = ed_.EditCell.col;
    if (column != col::RxFreq && column != col::TxFreq)
        return;
    text1_->setModified(false);
    ed_.SetCell(ed_.EditGroup(), ed_.EditCell.row, column, text1_->text().toStdString());
}

void frmCommChInfo::CommitPendingEdit() {
    if (text1_->isVisible())
        onText1Left();
    if (text2_->isVisible())
        StoreGridEdit();
    for (QComboBox* c : lists_) {
        if (auto* choice = qobject_cast<ChoiceList*>(c); choice != nullptr && choice->isVisible())
            choice->commitChoice();
    }
}

void frmCommChInfo::onListActivated(int k) {
    if (lists_[static_cast<std::size_t>(k - 1)] != listForColumn(ed_.EditCell.col))
        return;
    if (EditorClickArmed)
        StoreGridEdit();
    else
        EditorClickArmed = true;
}

// Enter in a box over the grid: the frequency and name columns are stored (when `store`), then
// an emptied RX box moves to the next line and any other column to the next column.
void frmCommChInfo::enterInBox(bool store) {
    const int column = ed_.EditCell.col;
    // Decided on the text as the user left it: storing may redisplay the row and refill the box
    // with the frequency the channel keeps.
    const bool emptied = text1_->text().isEmpty();
    if (store && column >= col::RxFreq && column <= col::Name)
        StoreGridEdit();
    if (column == col::RxFreq && emptied)
        GridNextLine();
    else if (column >= col::RxFreq && column <= kDetailsCol)
        GridNextCol();
}

bool frmCommChInfo::text1Key(QKeyEvent* k) {
    if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
        enterInBox(ed_.FrequencyEditable(ed_.ChannelGroup()));
        return true;
    }
    return SwallowFrequencyKey(k, ed_.EditCell.col == col::TxFreq && ed_.TxAsOffset());
}

bool frmCommChInfo::text2Key(QKeyEvent* k) {
    if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
        enterInBox(true);
        return true;
    }
    if (k->matches(QKeySequence::Cut) || k->matches(QKeySequence::Copy) || k->matches(QKeySequence::Paste))
        return true;
    const QString t = k->text();
    if (t.size() != 1)
        return false;
    const QChar ch = t.at(0);
    if (ch.unicode() > 127)
        return true;
    if (ch.unicode() < 32 || ch.unicode() == 127)
        return false;
    if (ch >= 'a' && ch <= 'z') {
        text2_->insert(QString(ch.toUpper()));
        return true;
    }
    return !((ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'Z'));
}

} // namespace zt
