// SPDX-License-Identifier: GPL-3.0-or-later
#include "freqlists/freq_grid.h"

#include "common/form_keys.h"
#include "common/text_guard.h"
#include "common/twips.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>

namespace zt {

FreqGrid::FreqGrid(int rows, int cols, QWidget* parent) : QTableWidget(rows, cols, parent) {
    horizontalHeader()->hide();
    verticalHeader()->hide();
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::NoSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            auto* it = new QTableWidgetItem;
            it->setTextAlignment(Qt::AlignCenter);
            it->setFlags(Qt::ItemIsEnabled);
            if (r == 0 || c == 0)
                it->setBackground(palette().button());
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

void FreqListWindow::setUpEditing(FreqGrid* grid) {
    grid_ = grid;
    text1_ = new QLineEdit(grid->viewport());
    text1_->setObjectName("Text1");
    text1_->setAlignment(Qt::AlignCenter);
    text1_->hide();
    GuardTextBox(text1_, FrequencyChars());
    text1_->installEventFilter(this);
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
    const QString t = k->text();
    if (t.size() == 1 && t.at(0).unicode() > 127)
        return true;
    return false;
}

void FreqListWindow::closeEvent(QCloseEvent* e) {
    commitCell();
    EditorWindow::closeEvent(e);
}

} // namespace zt
