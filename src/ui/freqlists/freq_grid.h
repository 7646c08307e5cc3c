// SPDX-License-Identifier: GPL-3.0-or-later
// What the two frequency-list windows share: a grid whose first row and column are headers, and
// an edit box that floats over the cell being edited. Entering a cell stores the cell left
// (when the user changed it), moves the box there and focuses it; the box takes digits and "."
// only, ignores cut, copy and paste, and Enter walks on as each window says.
// By keyboard: the arrow keys move the grid's current cell; typing, F2 or Enter opens the box on
// it; in the box Escape gives up the typing, Up and Down store and move, and Tab stores and
// leaves the grid for the next control of the window.
#pragma once

#include "common/editor_window.h"

#include <QLineEdit>
#include <QTableWidget>

class QKeyEvent;

namespace zt {

class FreqGrid : public QTableWidget {
    Q_OBJECT
  public:
    FreqGrid(int rows, int cols, QWidget* parent);
    // A cell of the header row or column: centred, grey, not editable.
    void setHeader(int row, int col, const QString& text);
    void setCell(int row, int col, const QString& text);
    QString cell(int row, int col) const;
    // Sizes in twips: row 0, the other rows, column 0, the other columns.
    void setSizesTw(int headRowTw, int rowTw, int headColTw, int colTw);
    // A grid that only shows (the user edits nothing in it) is passed over by Tab.
    void setShowOnly();

  protected:
    // The current cell never goes onto the header row or column.
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
};

class FreqListWindow : public EditorWindow {
    Q_OBJECT
  public:
    using EditorWindow::EditorWindow;

    void commitPendingEdit() override { commitCell(); }
    // Opens the edit box on a cell of the editable grid (the current cell's edit is stored first).
    void enterCell(int row, int col);

    FreqGrid* grid() const { return grid_; }
    QLineEdit* editBox() const { return text1_; }
    int currentRow() const { return row_; }
    int currentCol() const { return col_; }

  protected:
    // Sets up the editable grid and the floating edit box.
    void setUpEditing(FreqGrid* grid);
    // Stores the typed text of a cell (the window validates, shows and stores it).
    virtual void storeCell(int row, int col, const QString& text) = 0;
    // The text the edit box starts with.
    virtual QString editTextOf(const QString& cellText) const { return cellText; }
    // Where Enter goes from the current cell.
    virtual void enterKey() = 0;

    bool eventFilter(QObject* o, QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

  private:
    void commitCell();
    // Keys on the grid itself (no box open): open the box, or pass the key on.
    bool gridKey(QKeyEvent* k);
    // Keys in the box besides its filter: Escape, Up and Down, Tab and Shift+Tab.
    bool boxKey(const QKeyEvent* k);
    // Hides the box and gives the focus back to the grid, with the current cell at (row, col).
    void backToGrid(int row, int col);

    FreqGrid* grid_ = nullptr;
    QLineEdit* text1_ = nullptr;
    int row_ = 0, col_ = 0;
    bool edited_ = false; // the user changed the box since it opened on the cell
    bool committing_ = false;
};

} // namespace zt
