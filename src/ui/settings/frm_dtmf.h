// SPDX-License-Identifier: GPL-3.0-or-later
// The DTMF window: digit timing, D key and side tone, group code, reset timer and call alert, the
// radio's ID code, the stun and kill codes and the sixteen numbered codes other windows refer to.
#pragma once

#include "common/bound_list.h"
#include "common/editor_window.h"

#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace zt {

class FrmDTMF : public EditorWindow {
    Q_OBJECT
  public:
    static constexpr const char* kName = "FrmDTMF";

    FrmDTMF(AppState& app, Document& doc, WindowRouter* router, QWidget* parent = nullptr);

    void loadFromDocument() override;
    void orderTabs() override;
    void retranslate() override;
    void commitPendingEdit() override;

    // Controls by their index: Combo1(0..4, 16), Combo2(1, 4, 5), Text1(0..3), Text2(0..15).
    BoundList* Combo1(int i) const;
    BoundList* Combo2(int i) const;
    QCheckBox* Check1() const { return check1_; }
    QLineEdit* Text1(int i) const { return text1_.at(static_cast<std::size_t>(i)); }
    QLineEdit* Text2(int i) const { return text2_.at(static_cast<std::size_t>(i)); }
    QLineEdit* Text3() const { return text3_; }
    QTabWidget* SSTab1() const { return tab_; }

  protected:
    void closeEvent(QCloseEvent* e) override;

  private:
    void saveTiming(int i, int index);
    void saveCode(QLineEdit* box, DtmfCodeEntry& entry);
    void listCodeChanged(int i);
    void saveIdCode();
    void placeLabels();

    QTabWidget* tab_ = nullptr;
    std::array<BoundList*, 6> combo1_{}; // Combo1(0..4) and Combo1(16) at 5
    std::array<QLabel*, 6> label1_{};
    std::array<BoundList*, 3> combo2_{}; // Combo2(1), Combo2(4), Combo2(5)
    std::array<QLabel*, 3> label2_{};
    QCheckBox* check1_ = nullptr;
    std::array<QLineEdit*, 4> text1_{};
    std::array<QLabel*, 4> label3_{};
    std::array<QLineEdit*, 16> text2_{};
    std::array<QLabel*, 16> label4_{};
    QLineEdit* text3_ = nullptr;
    QLabel* label5_ = nullptr;
    QPushButton* cmdClose_ = nullptr;
    QPushButton* cmdHelp_ = nullptr;
};

} // namespace zt
