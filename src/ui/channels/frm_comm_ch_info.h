// SPDX-License-Identifier: GPL-3.0-or-later
// The channel grid window: the channels of one group, one row per channel slot, with the
// group picker, the group's name and its two special channels, and in-place cell editors.
// Its code is split by part: frm_comm_ch_info.cpp (controls, layout, texts),
// _display.cpp (a group's rows), _header.cpp (the group header and caption), _editors.cpp (the
// cell editors) and _navigation.cpp (entering cells, next line/column, scrolling, keys).
#pragma once

#include "channels/channel_editor.h"
#include "common/bound_list.h"
#include "common/editor_window.h"

#include <QTimer>
#include <QWidget>

#include <array>
#include <exception>
#include <string>
#include <vector>

class QAbstractButton;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

class QKeyEvent;

namespace zt {

class frmCommChInfo : public EditorWindow {
    Q_OBJECT
  public:
    static constexpr int kCols = 11;
    static constexpr const char* kName = "frmCommChInfo";

    explicit frmCommChInfo(ChannelEditor& ed, QWidget* parent = nullptr);
    ~frmCommChInfo() override;

    // Refresh operations other windows call.
    void reShowGrid(int rRow);
    void ReShowAllTxFre(bool rOffSet);
    void ReshowByCh();
    void ChangeGroup();
    void SetEditDisable();
    // In-place editing and navigation.
    void EnterGridEdit();
    bool FlexConcludeRx();
    void GridNextLine();
    void GridNextCol();
    void StoreGridEdit();
    void SetShowEditData();
    void ChangShowByLanguage();

    // The editor-window operations the main window calls.
    void loadFromDocument() override { SetGridData(); }
    void retranslate() override { ChangShowByLanguage(); }
    // The grid places the focus itself as it opens: on the cell it enters.
    void takeFocusOnOpen() override {}
    void commitPendingEdit() override { CommitPendingEdit(); }
    void refresh(Refresh what) override;
    // Stores an open in-place edit (the main window's SetSaveEditData).
    void CommitPendingEdit();
    // Gives the keyboard back to the cursor cell: its open editor, else the grid, where typing
    // opens the cell's editor.
    void FocusCurrentCell();
    // Rewrites every row of the shown group from the table.
    void ReShowAllRows();
    // The window became the active MDI child, or stopped being it.
    void Activated();
    void Deactivated();

    bool CodeMoveTopRow = false;

    // Grid coordinates: row 1..GroupSize, column 0..10 (0 and the header row are fixed).
    int gridRow() const;
    int gridCol() const;
    void setGridCell(int row, int col);
    int rowCount() const; // rows including the header row
    QString cellText(int row, int col) const;
    int firstVisibleRow() const;

    // Controls, for the main window and the tests.
    QTableWidget* MSFlexGrid1() const { return grid_; }
    QLineEdit* Text1() const { return text1_; }
    QLineEdit* Text2() const { return text2_; }
    QLineEdit* Text3() const { return text3_; }
    QComboBox* Combo7() const { return combo7_; }
    BoundList* Combo8(int i) const { return combo8_[i]; }
    QComboBox* ListEditor(int k) const { return lists_[k - 1]; } // Combo1(0)..Combo5(0)
    QPushButton* CommandCHInfoEdit() const { return cmdEdit_; }
    QTimer& TimerCHEdit() { return timerCHEdit_; }
    QTimer& ScrollTimer() { return scrollTimer_; }
    int CurrentRow = 1;
    bool EditorClickArmed = false;

  protected:
    bool gridKey(QKeyEvent* k, bool enter);
    bool eventFilter(QObject* o, QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

  private:
    void InitShowGrid();
    void ResetGridRows();
    void ShowRowHeaders();
    void SetGridData();
    void onGroupPicked(int index);
    void writeCaption(int firstId);
    void placeLabels();
    void writeRow(int row, const ChannelRecord& r, bool txAsOffset);
    void clearRow(int row);
    void setCell(int row, int col, const QString& text);
    void onCellEntered();
    void onCellClicked(int tableRow, int tableCol);
    void onCellDoubleClicked(int tableRow, int tableCol);
    void onUserScroll();
    void followScroll();
    int lastVisibleRow() const;
    bool isCellEditor(const QObject* o) const;
    // A key that would edit a frequency of a band-plan group: says once per cell why it is not.
    void refuseFixedFrequency();
    void paintCorner();
    void onListActivated(int k);
    void openEditWindow(bool focus);
    void hideEditors();
    void placeOverCell(QWidget* w, bool keepHeight);
    int groupRows() const;
    void enterInBox(bool store);
    bool text1Key(QKeyEvent* k);
    bool text2Key(QKeyEvent* k);
    void onText1Left();
    void storeGroupName();
    void onHeaderPick(int i, int idx);
    // Tells the user what the window was doing (text id) and the system's reason.
    void fail(int textId, const std::exception& e);
    QComboBox* listForColumn(int col) const;

    ChannelEditor& ed_;
    QTableWidget* grid_ = nullptr;
    QAbstractButton* corner_ = nullptr; // the grid's top-left corner, column 0's header
    QLineEdit* text1_ = nullptr;
    QLineEdit* text2_ = nullptr;
    QLineEdit* text3_ = nullptr;
    std::array<QComboBox*, 5> lists_{};
    QComboBox* combo7_ = nullptr;
    std::array<BoundList*, 4> combo8_{};
    QLabel* label1_ = nullptr;
    QLabel* label2_ = nullptr;
    std::array<QLabel*, 4> label3_{};
    QPushButton* cmdEdit_ = nullptr;
    QPushButton* cmdClose_ = nullptr;
    bool fixedNoticeShown_ = false; // the cursor cell has told why its frequency is fixed
    QTimer timerCHEdit_;
    QTimer scrollTimer_;

    std::vector<QString> toneTexts_;
    bool Refreshing = false;
    bool GridReady = false;
    bool FirstActivate = false;
    bool SkipEnterCell = false;
    bool SkipRxCheck = false;
    int LastTopRow = 1;
};

} // namespace zt
