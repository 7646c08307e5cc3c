// SPDX-License-Identifier: GPL-3.0-or-later
#include "freqlists/freq_grid.h"

#include "common/form_keys.h"
#include "common/text_guard.h"
#include "common/twips.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHeaderView>
#include <QKeyEvent>

#include <algorithm>

namespace zt {

FreqGrid::FreqGrid(int rows, int cols, QWidget* parent) : QTableWidget(rows, cols, parent) {
    horizontalHeader()->hide();
    verticalHeader()->hide();
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The current cell is the one selected, so the keyboard user sees where typing goes.
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Tab leaves the grid for the window's next control instead of walking the cells.
    setTabKeyNavigation(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            auto* it = new QTableWidgetItem;
            it->setTextAlignment(Qt::AlignCenter);
            it->setFlags(Qt::ItemIsEnabled);
            if (r == 0 || c == 0)
                it->setBackground(palette().button());
            else
                it->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            setItem(r, c, it);
        }
}

void FreqGrid::setHeader(int row, int col, const QString& text) {
    item(row, col)->setText(text);
}

void FreqGrid::setCell(int row, int col, const QString& text) {
    item(row, col)->setText(text);
}

QString FreqGrid::cell(int row, int col) const {
    return item(row, col)->text();
}

void FreqGrid::setSizesTw(int headRowTw, int rowTw, int headColTw, int colTw) {
    for (int r = 0; r < rowCount(); ++r)
        setRowHeight(r, Tw(r == 0 ? headRowTw : rowTw, this));
    for (int c = 0; c < columnCount(); ++c)
        setColumnWidth(c, Tw(c == 0 ? headColTw : colTw, this));
    int w = 2 * frameWidth(), h = 2 * frameWidth();
    for (int c = 0; c < columnCount(); ++c)
        w += columnWidth(c);
    for (int r = 0; r < rowCount(); ++r)
        h += rowHeight(r);
    setFixedSize(w, h);
}

void FreqGrid::setShowOnly() {
    setFocusPolicy(Qt::NoFocus);
    setSelectionMode(QAbstractItemView::NoSelection);
}

QModelIndex FreqGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    const QModelIndex to = QTableWidget::moveCursor(action, modifiers);
    if (!to.isValid())
        return to;
    return model()->index(std::max(to.row(), 1), std::max(to.column(), 1));
}

void FreqListWindow::setUpEditing(FreqGrid* grid) {
    grid_ = grid;
    text1_ = new QLineEdit(grid->viewport());
    text1_->setObjectName("Text1");
    text1_->setAlignment(Qt::AlignCenter);
    text1_->hide();
    GuardTextBox(text1_, FrequencyChars());
    text1_->installEventFilter(this);
    grid->installEventFilter(this);
    grid->setCurrentCell(1, 1);
    connect(text1_, &QLineEdit::textEdited, this, [this] { edited_ = true; });
    connect(grid, &QTableWidget::cellPressed, this, [this](int r, int c) {
        if (r >= 1 && c >= 1)
            enterCell(r, c);
    });
}

void FreqListWindow::enterCell(int row, int col) {
    if (row == row_ && col == col_ && text1_->isVisible()) {
        text1_->setFocus();
        return;
    }
    commitCell();
    row_ = row;
    col_ = col;
    {
        const FillGuard guard(*this);
        text1_->setText(editTextOf(grid_->cell(row, col)));
    }
    edited_ = false;
    grid_->setCurrentCell(row, col);
    grid_->scrollToItem(grid_->item(row, col));
    text1_->setGeometry(grid_->visualItemRect(grid_->item(row, col)));
    text1_->show();
    text1_->setFocus();
    if (!text1_->text().isEmpty())
        text1_->selectAll();
}

void FreqListWindow::commitCell() {
    if (committing_ || row_ < 1 || col_ < 1)
        return;
    // A cell the user only passed through keeps what it holds.
    if (!edited_)
        return;
    committing_ = true;
    edited_ = false;
    storeCell(row_, col_, text1_->text());
    committing_ = false;
}

bool FreqListWindow::eventFilter(QObject* o, QEvent* e) {
    if (o == grid_ && e->type() == QEvent::FocusIn) {
        // Back on the grid: the box is put away (what it held was stored when it lost the focus).
        text1_->hide();
        return false;
    }
    if (o == grid_ && e->type() == QEvent::KeyPress)
        return gridKey(static_cast<QKeyEvent*>(e));
    if (o != text1_)
        return EditorWindow::eventFilter(o, e);
    if (e->type() == QEvent::FocusOut) {
        commitCell();
        return false;
    }
    if (e->type() != QEvent::KeyPress)
        return false;
    const auto* k = static_cast<QKeyEvent*>(e);
    if (IsClipboardKey(k))
        return true;
    if (IsEnterKey(k)) {
        enterKey();
        return true;
    }
    if (boxKey(k))
        return true;
    const QString t = k->text();
    if (t.size() == 1 && t.at(0).unicode() > 127)
        return true;
    return false;
}

bool FreqListWindow::gridKey(QKeyEvent* k) {
    const int row = std::max(grid_->currentRow(), 1);
    const int col = std::max(grid_->currentColumn(), 1);
    if (k->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    if (k->key() == Qt::Key_F2 || IsEnterKey(k)) {
        enterCell(row, col);
        return true;
    }
    const QString t = k->text();
    const bool typing =
        k->key() == Qt::Key_Backspace || k->key() == Qt::Key_Delete || (t.size() == 1 && t.at(0).isPrint());
    if (!typing)
        return false;
    // Typing on a cell opens the box with the cell's text selected, so the key replaces it.
    enterCell(row, col);
    QKeyEvent again(k->type(), k->key(), k->modifiers(), t, k->isAutoRepeat(), k->count());
    QCoreApplication::sendEvent(text1_, &again);
    return true;
}

bool FreqListWindow::boxKey(const QKeyEvent* k) {
    const int last = grid_->rowCount() - 1;
    switch (k->key()) {
    case Qt::Key_Escape:
        // The typing is given up: the cell keeps what it holds.
        edited_ = false;
        backToGrid(row_, col_);
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down: {
        commitCell();
        const int step = k->key() == Qt::Key_Up ? -1 : 1;
        backToGrid(std::clamp(row_ + step, 1, last), col_);
        return true;
    }
    case Qt::Key_Tab:
    case Qt::Key_Backtab: {
        if (k->modifiers() & Qt::ControlModifier)
            return false;
        commitCell();
        backToGrid(row_, col_);
        // The grid passes the Tab on to the control after (or before) it.
        QKeyEvent tab(QEvent::KeyPress, k->key(), k->modifiers());
        QCoreApplication::sendEvent(grid_, &tab);
        return true;
    }
    default:
        return false;
    }
}

void FreqListWindow::backToGrid(int row, int col) {
    grid_->setCurrentCell(row, col);
    grid_->setFocus(Qt::OtherFocusReason);
    text1_->hide();
}

void FreqListWindow::closeEvent(QCloseEvent* e) {
    commitCell();
    EditorWindow::closeEvent(e);
}

} // namespace zt
