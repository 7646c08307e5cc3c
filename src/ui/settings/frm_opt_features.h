// SPDX-License-Identifier: GPL-3.0-or-later
// The optional features window: radio-wide options (time-out timer, display, backlight, scan,
// key beep, frequency editing, power-on text) and the VFO's common signalling settings.
#pragma once

#include "common/bound_list.h"
#include "common/editor_window.h"

#include <array>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zt {

class FrmOptFeatures : public EditorWindow {
    Q_OBJECT
  public:
    static constexpr const char* kName = "FrmOptFeatures";
    static constexpr int kPowerOnTextId = 140;

    FrmOptFeatures(AppState& app, Document& doc, WindowRouter* router, QWidget* parent = nullptr);

    void loadFromDocument() override;
    void retranslate() override;
    void refresh(Refresh what) override;

    // Copies one control into the record: a Combo1 index (0..40), 100 + a Check1 index, or 140
    // for the power-on text (the fields are described in one table, frm_opt_features.cpp).
    void SaveOptFeat(int id);
    // Rebuilds the roger-beep list from the defined tone tips and shows the stored choice.
    void ShowRBOpt();
    // Rebuilds the PTT-ID and call code lists from the DTMF code list.
    void FillCodeLists();

    BoundList* Combo1(int i) const { return combo1_.at(static_cast<std::size_t>(i)); }
    QCheckBox* Check1(int i) const { return check1_.at(static_cast<std::size_t>(i)); }
    QLineEdit* Text1(int i) const { return text1_.at(static_cast<std::size_t>(i)); }
    QLabel* Label1(int i) const { return label1_.at(static_cast<std::size_t>(i)); }
    QGroupBox* Frame3() const { return frame3_; }

  private:
    // Enables each control by its place and rule: the VFO block while its common settings are
    // on, the VOX settings while VOX is on, the squelch mode with a decode tone, the repeater
    // offset while it is not locked (unless `repLockRule` is false).
    void applyRules(bool repLockRule = true);
    // A change of the VFO's decode tone: the busy-lock and squelch lists follow.
    void decodeRule();
    void fillBusyLock(bool withTone);
    void showPowerOnText();
    void placeLabels();

    std::array<BoundList*, 41> combo1_{};
    std::array<QLabel*, 41> label1_{};
    std::array<QCheckBox*, 15> check1_{};
    std::array<QLineEdit*, 16> text1_{};
    QLabel* label2_ = nullptr;
    QGroupBox* frame1_ = nullptr;
    QGroupBox* frame3_ = nullptr;
    QPushButton* cmdClose_ = nullptr;
};

} // namespace zt
