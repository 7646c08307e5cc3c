// SPDX-License-Identifier: GPL-3.0-or-later
// The channel edit window: every setting of one channel at once. The channel is picked by
// group and in-group number, or follows the cell entered in the channel grid; every change is
// stored at once.
#pragma once

#include "channels/channel_editor.h"
#include "common/editor_window.h"
#include "common/tab_order.h"

#include <QWidget>

#include <array>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zt {

class FrmCHInfoEdit : public EditorWindow {
    Q_OBJECT
  public:
    static constexpr const char* kName = "FrmCHInfoEdit";
    static constexpr int kCombo2Count = 19;
    static constexpr int kCheckCount = 16;

    explicit FrmCHInfoEdit(ChannelEditor& ed, QWidget* parent = nullptr);
    ~FrmCHInfoEdit() override;

    void SetGridEditData(bool rIsGridChange);
    void ReShowEditTxFre(bool rOffSet);
    void ChangShowCHs(int rGroupID);
    void SetShowFreModify();
    void ShowRB();
    // Refills the lists of DTMF code numbers (after a change of the code list).
    void FillCodeLists();
    // Stores a pending RX or TX entry.
    void CommitPendingEdit();

    // The editor-window operations the main window calls.
    void loadFromDocument() override { SetGridEditData(false); }
    void retranslate() override { setTexts(); }
    // Two columns of labelled lists: each column is read down before the next.
    void orderTabs() override { SetScreenTabOrder(this, ReadBy::Columns); }
    void commitPendingEdit() override { CommitPendingEdit(); }
    void refresh(Refresh what) override;
    // The channel number the window shows (group picker and channel picker).
    int ShownChannel() const;
    // Refills the busy-lock list for a channel, keeping its stored value to what the list offers.
    void ShowBusyLock(ChannelRecord& r);

    bool WandToSave = true;

    QComboBox* Combo4() const { return combo4_; }
    QComboBox* Combo1() const { return combo1_; }
    QLineEdit* Text1() const { return text1_; }
    QLineEdit* Text2() const { return text2_; }
    QComboBox* Combo2(int k) const { return combo2_[static_cast<std::size_t>(k)]; }
    QCheckBox* Check1(int k) const { return check1_[static_cast<std::size_t>(k)]; }
    QLabel* Label2(int k) const { return label2_[static_cast<std::size_t>(k)]; }
    QPushButton* CommandClose() const { return cmdClose_; }

  protected:
    bool eventFilter(QObject* o, QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;

  private:
    void setTexts();
    void layoutControls();
    void fillFromRecord(ChannelRecord& r);
    void clearForMissing();
    void applyInterlocks();
    void onCombo2(int k);
    void onCheck(int k);
    // Stores the RX box into channel `row` of `group`.
    void storeText1(int group, int row);
    void onText1Left();
    void onText2Left();
    void onPickerChanged();
    std::vector<QString> listEntries(int k) const;
    // The window's texts by id, for the shared field descriptions.
    std::function<QString(int)> text() const {
        return [this](int id) { return QString::fromStdString(ed_.Text(id)); };
    }

    ChannelEditor& ed_;
    QComboBox* combo4_ = nullptr;
    QComboBox* combo1_ = nullptr;
    QLineEdit* text1_ = nullptr;
    QLineEdit* text2_ = nullptr;
    std::array<QLineEdit*, 5> text3_{};
    QLineEdit* text4_ = nullptr;
    std::array<QComboBox*, kCombo2Count> combo2_{};
    std::array<QCheckBox*, kCheckCount> check1_{};
    QComboBox* combo3_ = nullptr; // full busy-lock list, hidden
    QComboBox* combo5_ = nullptr; // full roger-beep list, hidden
    QLabel* label4_ = nullptr;
    QLabel* label1_ = nullptr;
    std::array<QLabel*, 4> label2_{};
    std::array<QLabel*, kCombo2Count> label3_{};
    QPushButton* cmdClose_ = nullptr;
};

} // namespace zt
