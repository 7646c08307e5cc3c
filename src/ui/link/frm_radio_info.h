// SPDX-License-Identifier: GPL-3.0-or-later
// The radio information window: the information area last read from a radio (model, band,
// serial number, dates, dealer data). It only displays: every list and text box is disabled and
// nothing typed there is stored or written to a radio.
#pragma once

#include "common/editor_window.h"
#include "model/radio_info.h"

#include <array>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace zt {

class FrmRadioInfo : public EditorWindow {
    Q_OBJECT
  public:
    static constexpr const char* kName = "FrmRadioInfo";
    FrmRadioInfo(AppState& app, Document& doc, const RadioInfoRecord& info, WindowRouter* router);

    void loadFromDocument() override { ShowByData(); }
    void retranslate() override;
    void ShowByData();

    QComboBox* Combo1(int i) const { return combos_[static_cast<std::size_t>(i)]; }
    // Text1(4), the repair reason, is the multi-line box; the others are one line.
    QWidget* Text1(int i) const;
    QString text(int i) const;
    QLabel* label(int textId) const;

  private:
    const RadioInfoRecord& info_;
    std::array<QComboBox*, 2> combos_{};
    std::array<QLineEdit*, 12> texts_{};
    QPlainTextEdit* reason_ = nullptr;
    std::array<QLabel*, 15> labels_{}; // text ids 21002..21016
    QGroupBox* frame1_ = nullptr;
    QPushButton* close_ = nullptr;
};

} // namespace zt
